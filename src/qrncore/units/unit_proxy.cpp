#include "qrncore/units/unit_proxy.h"

#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

constinit const string unit_proxy_u::class_name{"unit_proxy"};
constinit const uint32_t unit_proxy_u::fingerprint = unit_system_t::compute_fingerprint("unit_proxy_u");
constinit const unit_attribute_t unit_proxy_u::unit_attributes[] = {
    {&unit_proxy_u::unit_descriptor, nullptr, UNIT_ATTR_END, nullptr, nullptr}};
constinit const unit_descriptor_t unit_proxy_u::unit_descriptor = {
    &unit_proxy_u::class_name, &unit_proxy_u::create_instance,  &unit_base_t::destroy_instance,
    &unit_t::unit_descriptor,  unit_proxy_u::unit_attributes, &unit_proxy_u::fingerprint};

unit_proxy_u::unit_proxy_u(unit_system_t *system) : unit_t(system) { set_flags(FLAG_PROXY); }

// The members release the held unit and the target; unit_t's destructor the name.
unit_proxy_u::~unit_proxy_u() = default;

unit_base_t *unit_proxy_u::create_instance(unit_system_t *system) { return new unit_proxy_u(system); }

bool unit_proxy_u::register_class(unit_bank_t &bank) { return bank.register_class(&unit_descriptor); }

owner_ptr_ret_t<unit_proxy_u> unit_proxy_u::create(unit_system_t *system) {
    return owner_ptr_ret_t<unit_proxy_u>(
        static_cast<unit_proxy_u *>(unit_system_t::create_unit_in(system, unit_descriptor)));
}

void unit_proxy_u::destroy() {
    m_held.reset();
    m_target.reset();
    unit_t::destroy();
}

owner_ptr_ret_t<unit_base_t> unit_proxy_u::clone() {
    unit_system_t *system = get_system();
    if (!system) return {};
    return owner_ptr_ret_t<unit_base_t>(create_instance(system));
}

const unit_descriptor_t *unit_proxy_u::get_descriptor() const { return &unit_descriptor; }

}  // namespace quarn
