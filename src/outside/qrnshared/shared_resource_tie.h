#pragma once
// shared_resource_tie_t: the resource tie the game relies on, installed by the shared
// layer at its start. A resource attribute holds a resource unit (resource_unit_u);
// while it holds one it counts the unit's item, so the item stays cached. A unit
// file names a resource by its item's name; loading the name obtains the item from
// the kernel's memory manager (_mm_obtain_resource), of the class the attribute's
// domain requires, or of the class the loaders guess.
#include "outside/qrnshared/api.h"
#include "qrncore/units/unit_resource_tie.h"

namespace quarn {

class QRNSHARED_API shared_resource_tie_t : public unit_resource_tie_t {
public:
    // The item's name of a resource unit bound to a named item; false for anything
    // else (an anonymous item has no name a file could give).
    bool get_resource_name(mstring_t *out, unit_base_t *value) override;
    // Null, or a resource unit bound to an item.
    bool check_resource_type(unit_base_t *value) override;
    // Releases the value (each element), leaving null (an empty array).
    void destroy_value(unit_base_t *unit, const unit_attribute_t *a) override;
    void destroy_array(unit_base_t *unit, const unit_attribute_t *a) override;
    // The target holds the source's resources too, each counted.
    bool clone_value(unit_base_t *source, const unit_attribute_t *a, unit_base_t *target) override;
    bool clone_array(unit_base_t *source, const unit_attribute_t *a, unit_base_t *target) override;
    // The resource unit of the item named text, uncounted until it is stored; null
    // (logged by the manager) when it cannot be had.
    unit_base_t *load(const string &text, unit_base_t *unit, const unit_attribute_t *a) override;
    // A loaded value that was not stored: its item, when nobody counts it, gets its
    // last-reference treatment (an item without memory goes).
    void unload(unit_base_t *value, unit_base_t *unit, const unit_attribute_t *a) override;
    bool remove_array_element(unit_base_t *unit, const unit_attribute_t *a, uint32_t index) override;
    bool get_array_size(unit_base_t *unit, const unit_attribute_t *a, uint32_t *out) override;
    bool set_array_capacity(unit_base_t *unit, const unit_attribute_t *a, uint32_t count) override;
    bool get_value(unit_base_t *unit, const unit_attribute_t *a, unit_base_t **out) override;
    bool get_element(unit_base_t *unit, const unit_attribute_t *a, uint32_t index, unit_base_t **out) override;
    bool get_array_copy(unit_base_t *unit, const unit_attribute_t *a, array_t<unit_base_t *> *out) override;
    // Stores a value check_resource_type accepts, counting the new item before the
    // old one is released; false for any other value.
    bool set_value(unit_base_t *unit, const unit_attribute_t *a, unit_base_t *value) override;
    bool set_element(unit_base_t *unit, const unit_attribute_t *a, uint32_t index, unit_base_t *value) override;
    // After the element at index (AT_END: at the end) / before it.
    bool append(unit_base_t *unit, const unit_attribute_t *a, uint32_t index, unit_base_t *value) override;
    bool prepend(unit_base_t *unit, const unit_attribute_t *a, uint32_t index, unit_base_t *value) override;
};

}  // namespace quarn
