#pragma once
// quarn::unit_proxy_u: a named stand-in for a unit that a unit file mentions before
// (or without) defining it. It holds two pointers to the unit defined under its name:
// the target, a counted reference, and the held unit, an owning hold that an owned
// pointer of the file takes over. A proxy passes every class test.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class QRNCORE_API unit_proxy_u : public unit_t {
public:
    static const string class_name;
    static const uint32_t fingerprint;
    static const unit_descriptor_t unit_descriptor;
    static const unit_attribute_t unit_attributes[];
    // A new proxy (proxy flag set) for the system; null when allocation fails.
    static unit_base_t *create_instance(unit_system_t *system);
    static bool register_class(unit_bank_t &bank);
    // create_instance carried to its owner.
    static owner_ptr_ret_t<unit_proxy_u> create(unit_system_t *system);

    // Releases the held unit (as its owner) and the target, then as unit_t.
    void destroy() override;
    // A new empty proxy in the same system.
    owner_ptr_ret_t<unit_base_t> clone() override;
    const unit_descriptor_t *get_descriptor() const override;

    unit_base_t *get_target() const { return m_target.get(); }
    unit_base_t *get_held() const { return m_held.get(); }
    // Counts unit as the target (the old target is released).
    void set_target(unit_base_t *unit) { m_target = unit; }
    // Owns unit (the old held unit is released as owned).
    void hold(unit_base_t *unit) { m_held.reset(unit); }
    // Gives the held unit up without destroying it.
    owner_ptr_ret_t<unit_base_t> release_held() { return m_held.release(); }

    // The unit reader's bookkeeping while a load runs: the loader the proxy belongs
    // to, and the index (in that load) of the unit whose owned pointer holds it.
    const void *load_tag = nullptr;
    uint32_t owner_index = UINT32_MAX;

protected:
    explicit unit_proxy_u(unit_system_t *system);
    ~unit_proxy_u() override;

private:
    owner_ptr_t<unit_base_t> m_held;
    ref_ptr_t<unit_base_t> m_target;
};

}  // namespace quarn
