#include "qrncore/units/unit_base.h"

#include <cstdio>

#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_name.h"
#include "qrncore/units/unit_ptr.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

namespace {

uint32_t live_units = 0;

}  // namespace

constinit const string unit_base_t::class_name{"unit_base"};
constinit const uint32_t unit_base_t::fingerprint = unit_system_t::compute_fingerprint("unit_base_t");
constinit const unit_attribute_t unit_base_t::unit_attributes[] = {
    {&unit_base_t::unit_descriptor, nullptr, UNIT_ATTR_END, nullptr, nullptr}};
constinit const unit_descriptor_t unit_base_t::unit_descriptor = {
    &unit_base_t::class_name,      &unit_base_t::create_instance, &unit_base_t::destroy_instance, nullptr,
    unit_base_t::unit_attributes, &unit_base_t::fingerprint};

void unit_count_overflow() {
    V_ABORT("[unit] Reference count overflow: 65535 counted pointers hold the unit already.");
}

void unit_count_underflow() { V_ABORT("[unit] Release of a unit whose reference count is 0."); }

unit_base_t::unit_base_t(unit_system_t *system) {
    V_ASSERT(system != nullptr);
    m_flags = uint8_t(FLAG_ALIVE | (system->get_index() & FLAG_SYSTEM_MASK));
    ++live_units;
}

unit_base_t::~unit_base_t() { --live_units; }

void *unit_base_t::operator new(size_t bytes) noexcept { return qrncore_system_new(bytes); }

void unit_base_t::operator delete(void *memory) { qrncore_system_delete(memory); }

uint32_t unit_base_t::get_live_count() { return live_units; }

unit_base_t *unit_base_t::create_instance(unit_system_t *system) { return new unit_base_t(system); }

void unit_base_t::destroy_instance(unit_base_t *unit, unit_system_t *) { delete unit; }

bool unit_base_t::register_class(unit_bank_t &bank) { return bank.register_class(&unit_descriptor); }

void unit_base_t::destroy() { m_flags &= uint8_t(~(FLAG_OWNED | FLAG_ALIVE)); }

owner_ptr_ret_t<unit_base_t> unit_base_t::clone() {
    unit_system_t *system = get_system();
    if (!system) return {};
    return owner_ptr_ret_t<unit_base_t>(create_instance(system));
}

bool unit_base_t::is_anonymous() const { return true; }

bool unit_base_t::is_nameless() const { return true; }

bool unit_base_t::get_name(mstring_t &out) const { return unit_name_t::compose_nameless(out, this); }

uint64_t unit_base_t::get_name_suffix() const { return unit_name_t::compose_nameless_suffix(this); }

const unit_descriptor_t *unit_base_t::get_descriptor() const { return &unit_descriptor; }

bool unit_base_t::_call_pre_save() { return true; }

bool unit_base_t::_call_post_save() { return true; }

void unit_base_t::_call_pre_load() {}

bool unit_base_t::_call_post_load() { return true; }

bool unit_base_t::_clone_to(unit_base_t *) { return true; }

unit_system_t *unit_base_t::get_system() const { return unit_system_t::get_system(get_system_index()); }

bool unit_base_t::is_kind_of(const unit_descriptor_t &d) const {
    for (const unit_descriptor_t *c = get_descriptor(); c; c = c->parent)
        if (c == &d) return true;
    return false;
}

void unit_base_t::dispose_unowned() {
    if (is_owned()) return;
    take_owned();
    release_owned();
}

void unit_base_t::list_as_garbage() { unit_system_t::add_to_garbage(this); }

}  // namespace quarn
