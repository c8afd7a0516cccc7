#pragma once
// quarn::unit_bank_t: the registered unit classes by type name. Names compare byte for
// byte (case counts). A fresh bank knows "unit_base" and "unit".
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/collections/vptrhash.h"
#include "qrncore/strings/string.h"
#include "qrncore/units/unit_structs.h"

namespace quarn {

class QRNCORE_API unit_bank_t {
public:
    // Registers unit_base_t and unit_t.
    unit_bank_t();
    // The descriptors are static and stay.
    ~unit_bank_t();
    unit_bank_t(const unit_bank_t &) = delete;
    unit_bank_t &operator=(const unit_bank_t &) = delete;

    // Adds the class under its type name. True also when the same descriptor is there
    // already (a verbose note); false, keeping the first, when another descriptor has
    // the name, and when the table has no memory.
    bool register_class(const unit_descriptor_t *d);
    // Removes the entry under d's type name. True when it was d; false with an error
    // when it was another class (that entry is gone all the same) and false with a
    // verbose note when there was none.
    bool unregister_class(const unit_descriptor_t *d);
    // The class registered under the type name, or null (no message).
    const unit_descriptor_t *get_descriptor(const string &type_name) const;
    uint32_t get_class_count() const { return m_table.get_count(); }
    // The type name of the i-th entry in the table's entry order; i must be below
    // get_class_count().
    string get_class_name(uint32_t i) const;
    // Empties the table and registers unit_base_t and unit_t again.
    void reset();

private:
    void register_core();

    vptrhash_t m_table;
};

}  // namespace quarn
