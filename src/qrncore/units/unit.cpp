#include "qrncore/units/unit.h"

#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_ptr.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

constinit const string unit_t::class_name{"unit"};
constinit const uint32_t unit_t::fingerprint = unit_system_t::compute_fingerprint("unit_t");
constinit const unit_attribute_t unit_t::unit_attributes[] = {
    {&unit_t::unit_descriptor, nullptr, UNIT_ATTR_END, nullptr, nullptr}};
constinit const unit_descriptor_t unit_t::unit_descriptor = {
    &unit_t::class_name,           &unit_t::create_instance, &unit_base_t::destroy_instance,
    &unit_base_t::unit_descriptor, unit_t::unit_attributes,  &unit_t::fingerprint};

unit_t::unit_t(unit_system_t *system) : unit_base_t(system) {}

unit_t::~unit_t() { remove_name(); }

unit_base_t *unit_t::create_instance(unit_system_t *system) { return new unit_t(system); }

bool unit_t::register_class(unit_bank_t &bank) { return bank.register_class(&unit_descriptor); }

bool unit_t::set_name(const string &name) { return is_alive() && unit_name_t::set_name(name, true); }

bool unit_t::set_name_internal(const string &name) { return is_alive() && unit_name_t::set_name(name, false); }

bool unit_t::set_name_internal(const unit_name_tokens_t &name) { return is_alive() && unit_name_t::set_name(name); }

void unit_t::destroy() {
    mark_name_dead();
    _destroy_attributes(unit_descriptor);
    unit_base_t::destroy();
}

owner_ptr_ret_t<unit_base_t> unit_t::clone() {
    unit_system_t *system = get_system();
    if (!system) return {};
    owner_ptr_t<unit_base_t> copy(owner_ptr_ret_t<unit_base_t>(create_instance(system)));
    if (copy && !_clone_to(copy.get())) copy.reset();
    return copy.release();
}

bool unit_t::_clone_to(unit_base_t *target) { return unit_base_t::_clone_to(target); }

bool unit_t::is_anonymous() const { return false; }

bool unit_t::is_nameless() const { return !has_name(); }

bool unit_t::get_name(mstring_t &out) const {
    return has_name() ? compose_name(out) : unit_name_t::compose_nameless(out, this);
}

uint64_t unit_t::get_name_suffix() const {
    return has_name() ? compose_suffix() : unit_name_t::compose_nameless_suffix(this);
}

const unit_descriptor_t *unit_t::get_descriptor() const { return &unit_descriptor; }

}  // namespace quarn
