#pragma once
// quarn::unit_t: a unit that can carry a name (see unit_name.h). Nameless units still
// print a name composed from their address.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/units/unit_base.h"
#include "qrncore/units/unit_name.h"

namespace quarn {

class QRNCORE_API unit_t : public unit_base_t, public unit_name_t {
public:
    static const string class_name;
    static const uint32_t fingerprint;
    static const unit_descriptor_t unit_descriptor;
    static const unit_attribute_t unit_attributes[];
    static unit_base_t *create_instance(unit_system_t *system);
    static bool register_class(unit_bank_t &bank);

    // Sets the dotted name, refusing one whose first token is "_nameless". False, with
    // the old name kept, for a bad form, a name another live unit has, or a unit that
    // is no longer alive; true when the unit already has the name.
    bool set_name(const string &name);
    // The same, allowing "_nameless" names (proxies of file-local names).
    bool set_name_internal(const string &name);
    bool set_name_internal(const unit_name_tokens_t &name);

    // Marks the name dead (lookups stop matching it), then as unit_base_t.
    void destroy() override;
    owner_ptr_ret_t<unit_base_t> clone() override;
    bool is_anonymous() const override;
    bool is_nameless() const override;
    bool get_name(mstring_t &out) const override;
    uint64_t get_name_suffix() const override;
    const unit_descriptor_t *get_descriptor() const override;

protected:
    explicit unit_t(unit_system_t *system);
    // Unlinks the name before the memory goes.
    ~unit_t() override;

    // Names are not copied: two live units cannot share one.
    bool _clone_to(unit_base_t *target);
};

}  // namespace quarn
