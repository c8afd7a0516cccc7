#include "qrncore/units/unit_resource_tie.h"

#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

unit_resource_tie_t *installed_tie = nullptr;
// The default tie made at start-up; it stays allocated when another tie replaces it.
unit_resource_tie_t *default_tie = nullptr;

}  // namespace

unit_resource_tie_t::unit_resource_tie_t() { installed_tie = this; }

unit_resource_tie_t::~unit_resource_tie_t() { installed_tie = nullptr; }

void *unit_resource_tie_t::operator new(size_t bytes) noexcept { return qrncore_system_new(bytes); }

void unit_resource_tie_t::operator delete(void *memory) { qrncore_system_delete(memory); }

unit_resource_tie_t *unit_resource_tie_t::get_installed() { return installed_tie; }

unit_resource_tie_t &unit_resource_tie_t::installed() {
    if (!installed_tie) V_ABORT("[unit] A resource attribute was used while no resource tie is installed.");
    return *installed_tie;
}

void unit_resource_tie_t::destroy_instance() { delete installed_tie; }

bool unit_resource_tie_t::get_resource_name(mstring_t *out, unit_base_t *) {
    if (out) out->copy(string::EMPTY);
    V_ABORT("[unit] Can not support querying names of resources.");
}

bool unit_resource_tie_t::check_resource_type(unit_base_t *value) {
    if (!value) return true;
    V_ABORT("[unit] Can not support resource type checking.");
}

void unit_resource_tie_t::destroy_value(unit_base_t *, const unit_attribute_t *) {
    V_ABORT("[unit] Resource tie is unable to destroy itself.");
}

void unit_resource_tie_t::destroy_array(unit_base_t *, const unit_attribute_t *) {
    V_ABORT("[unit] Resource tie is unable to destroy itself.");
}

bool unit_resource_tie_t::clone_value(unit_base_t *, const unit_attribute_t *, unit_base_t *) {
    V_ABORT("[unit] Resource tie is unable to clone itself.");
}

bool unit_resource_tie_t::clone_array(unit_base_t *, const unit_attribute_t *, unit_base_t *) {
    V_ABORT("[unit] Resource tie is unable to clone itself.");
}

unit_base_t *unit_resource_tie_t::load(const string &, unit_base_t *, const unit_attribute_t *) {
    V_ABORT("[unit] Can not load the resource tie.");
}

void unit_resource_tie_t::unload(unit_base_t *value, unit_base_t *, const unit_attribute_t *) {
    if (value) V_ABORT("[unit] Can not unload the resource tie.");
}

bool unit_resource_tie_t::remove_array_element(unit_base_t *, const unit_attribute_t *, uint32_t) {
    V_ABORT("[unit] Can not remove element from array of resource ties.");
}

bool unit_resource_tie_t::get_array_size(unit_base_t *, const unit_attribute_t *, uint32_t *) {
    V_ABORT("[unit] Can not query the size of array of resource ties.");
}

bool unit_resource_tie_t::set_array_capacity(unit_base_t *, const unit_attribute_t *, uint32_t) {
    V_ABORT("[unit] Can not change capacity of array of resource ties.");
}

bool unit_resource_tie_t::get_value(unit_base_t *, const unit_attribute_t *, unit_base_t **) {
    V_ABORT("[unit] Can not get resource tie attribute value.");
}

bool unit_resource_tie_t::get_element(unit_base_t *, const unit_attribute_t *, uint32_t, unit_base_t **) {
    V_ABORT("[unit] Can not get resource tie attribute value.");
}

bool unit_resource_tie_t::get_array_copy(unit_base_t *, const unit_attribute_t *, array_t<unit_base_t *> *) {
    V_ABORT("[unit] Can not get the resource tie array copy.");
}

bool unit_resource_tie_t::set_value(unit_base_t *, const unit_attribute_t *, unit_base_t *) {
    V_ABORT("[unit] Can not set the resource tie attribute value.");
}

bool unit_resource_tie_t::set_element(unit_base_t *, const unit_attribute_t *, uint32_t, unit_base_t *) {
    V_ABORT("[unit] Can not set the resource tie attribute value.");
}

bool unit_resource_tie_t::append(unit_base_t *, const unit_attribute_t *, uint32_t, unit_base_t *) {
    V_ABORT("[unit] Can not append the resource tie attribute value.");
}

bool unit_resource_tie_t::prepend(unit_base_t *, const unit_attribute_t *, uint32_t, unit_base_t *) {
    V_ABORT("[unit] Can not prepend the resource tie attribute value.");
}

void unit_resource_tie_startup() {
    // A start of the core after the resource layer's (a process that starts the core
    // again, or late) keeps the layer's tie in force: the layer is alive and installs
    // it only once, so displacing it would leave its resources to the refusing default.
    // With no tie installed the default is, also one left from an earlier start.
    unit_resource_tie_t *layer = installed_tie;
    if (!default_tie) default_tie = new unit_resource_tie_t;  // null without memory
    installed_tie = layer ? layer : default_tie;
}

void unit_resource_tie_shutdown() {
    unit_resource_tie_t *installed = installed_tie;
    unit_resource_tie_t::destroy_instance();
    // A default that another tie replaced would otherwise stay allocated for good.
    if (default_tie && default_tie != installed) delete default_tie;
    default_tie = nullptr;
}

}  // namespace quarn
