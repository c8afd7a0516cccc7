#pragma once
// Unit classes of the tests, declared with the class kit.
#include <cstdint>

#include "qrncore/units/unit_class.h"

namespace quarn::test {

// A named unit with a number, an owned and a referenced unit as attributes, and a
// counted pointer outside the attribute table that only its destructor releases.
class test_node_u : public unit_t {
    QRN_UNIT_CLASS(test_node_u, unit_t);

public:
    int32_t m_value = 0;
    owner_ptr_t<unit_base_t> m_child;
    ref_ptr_t<unit_base_t> m_link;
    ref_ptr_t<unit_base_t> m_keep;  // not an attribute
};

// Adds an attribute that hides the parent's "value".
class test_leaf_u : public test_node_u {
    QRN_UNIT_CLASS(test_leaf_u, test_node_u);

public:
    uint32_t m_value2 = 0;
};

// A base that is never instantiated.
class test_abstract_u : public unit_t {
    QRN_UNIT_CLASS(test_abstract_u, unit_t);

public:
    virtual int32_t kind() const = 0;
    int32_t m_weight = 0;
};

// A class made from the abstract one.
class test_concrete_u : public test_abstract_u {
    QRN_UNIT_CLASS(test_concrete_u, test_abstract_u);

public:
    int32_t kind() const override { return 1; }
};

// An anonymous unit class.
class test_plain_u : public unit_base_t {
    QRN_UNIT_CLASS(test_plain_u, unit_base_t);
};

void register_test_units(unit_bank_t &bank);

}  // namespace quarn::test
