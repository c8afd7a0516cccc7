#include "test_units.h"

namespace quarn::test {

QRN_UNIT_DEFINE(test_node_u, "test_node",
                QRN_ATTR(m_value, UNIT_ATTR_INT32, "value"),
                QRN_ATTR(m_child, UNIT_ATTR_OWNER, "child"),
                QRN_ATTR(m_link, UNIT_ATTR_REF, "link"));

QRN_UNIT_DEFINE(test_leaf_u, "test_leaf", QRN_ATTR(m_value2, UNIT_ATTR_UINT32, "value"));

QRN_UNIT_DEFINE_ABSTRACT(test_abstract_u, "test_abstract", QRN_ATTR(m_weight, UNIT_ATTR_INT32, "weight"));

QRN_UNIT_DEFINE(test_concrete_u, "test_concrete");

QRN_UNIT_DEFINE(test_plain_u, "test_plain");

void register_test_units(unit_bank_t &bank) {
    test_node_u::register_class(bank);
    test_leaf_u::register_class(bank);
    test_abstract_u::register_class(bank);
    test_concrete_u::register_class(bank);
    test_plain_u::register_class(bank);
}

}  // namespace quarn::test
