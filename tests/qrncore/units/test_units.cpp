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

namespace {

constexpr unit_enum_symbol_t enum_by_value[] = {{-1, "low"}, {3, "mid"}, {7, "high"}};
constexpr unit_enum_symbol_t enum_by_name[] = {{7, "high"}, {-1, "low"}, {3, "mid"}};
constexpr unit_attr_t<UNIT_ATTR_STRING> string_domain{{8}};
constexpr unit_attr_t<UNIT_ATTR_FLOAT> float_domain{{-1.0f, 10.0f}};
constexpr unit_attr_t<UNIT_ATTR_VEC3> vec3_domain{{{0, 0, 0}, {1, 2, 3}}};
constexpr unit_attr_t<UNIT_ATTR_INT32> int_domain{{-5, 5}};
constexpr unit_attr_t<UNIT_ATTR_UINT32_B> uint_b_domain{{1, 100}};
constexpr unit_attr_t<UNIT_ATTR_INT64> int64_domain{{-(int64_t(1) << 40), int64_t(1) << 40}};
constexpr unit_attr_t<UNIT_ATTR_UINT64> uint64_domain{{10, UINT64_MAX}};
constexpr unit_attr_t<UNIT_ATTR_OWNER> owner_domain{{&test_node_u::unit_descriptor, 0}};
constexpr unit_attr_t<UNIT_ATTR_REF> ref_domain{{nullptr, 1}};
constexpr unit_attr_t<UNIT_ATTR_STRING_ARRAY> strings_domain{{8}};
constexpr unit_attr_t<UNIT_ATTR_FLOAT_ARRAY> floats_domain{{-1.0f, 10.0f}};
constexpr unit_attr_t<UNIT_ATTR_ENUM_ARRAY> test_enums_domain{{0, 3, enum_by_value, enum_by_name}};

}  // namespace

constinit const unit_attr_t<UNIT_ATTR_ENUM> test_enum_domain{{0, 3, enum_by_value, enum_by_name}};

QRN_UNIT_DEFINE(test_all_u, "test_all",
                QRN_ATTR(m_string, UNIT_ATTR_STRING, "string", &string_domain),
                QRN_ATTR(m_token, UNIT_ATTR_TOKEN, "token"),
                QRN_ATTR(m_float, UNIT_ATTR_FLOAT, "float", &float_domain),
                QRN_ATTR(m_vec2, UNIT_ATTR_VEC2, "vec2"),
                QRN_ATTR(m_vec3, UNIT_ATTR_VEC3, "vec3", &vec3_domain),
                QRN_ATTR(m_vec4, UNIT_ATTR_VEC4, "vec4"),
                QRN_ATTR(m_matrix, UNIT_ATTR_MATRIX, "matrix"),
                QRN_ATTR(m_quat, UNIT_ATTR_QUAT, "quat"),
                QRN_ATTR(m_placement, UNIT_ATTR_PLACEMENT, "placement"),
                QRN_ATTR(m_placement_scale, UNIT_ATTR_PLACEMENT_SCALE, "placement_scale"),
                QRN_ATTR(m_placement_nonuniform, UNIT_ATTR_PLACEMENT_NONUNIFORM, "placement_nonuniform"),
                QRN_ATTR(m_plane, UNIT_ATTR_PLANE, "plane"),
                QRN_ATTR(m_sphere, UNIT_ATTR_SPHERE, "sphere"),
                QRN_ATTR(m_aabox, UNIT_ATTR_AABOX, "aabox"),
                QRN_ATTR(m_int, UNIT_ATTR_INT32, "int", &int_domain),
                QRN_ATTR(m_uint, UNIT_ATTR_UINT32, "uint"),
                QRN_ATTR(m_int_b, UNIT_ATTR_INT32_B, "int_b"),
                QRN_ATTR(m_uint_b, UNIT_ATTR_UINT32_B, "uint_b", &uint_b_domain),
                QRN_ATTR(m_int64, UNIT_ATTR_INT64, "int64", &int64_domain),
                QRN_ATTR(m_uint64, UNIT_ATTR_UINT64, "uint64", &uint64_domain),
                QRN_ATTR(m_uint_plain, UNIT_ATTR_UINT32_PLAIN, "uint_plain"),
                QRN_ATTR(m_bool, UNIT_ATTR_BOOL, "bool"),
                QRN_ATTR(m_enum, UNIT_ATTR_ENUM, "enum", &test_enum_domain),
                QRN_ATTR(m_owner, UNIT_ATTR_OWNER, "owner", &owner_domain),
                QRN_ATTR(m_ref, UNIT_ATTR_REF, "ref", &ref_domain),
                QRN_ATTR(m_resource, UNIT_ATTR_RESOURCE, "resource"),
                QRN_ATTR(m_strings, UNIT_ATTR_STRING_ARRAY, "strings", &strings_domain),
                QRN_ATTR(m_tokens, UNIT_ATTR_TOKEN_ARRAY, "tokens"),
                QRN_ATTR(m_floats, UNIT_ATTR_FLOAT_ARRAY, "floats", &floats_domain),
                QRN_ATTR(m_vec2s, UNIT_ATTR_VEC2_ARRAY, "vec2s"),
                QRN_ATTR(m_vec3s, UNIT_ATTR_VEC3_ARRAY, "vec3s"),
                QRN_ATTR(m_vec4s, UNIT_ATTR_VEC4_ARRAY, "vec4s"),
                QRN_ATTR(m_matrices, UNIT_ATTR_MATRIX_ARRAY, "matrices"),
                QRN_ATTR(m_quats, UNIT_ATTR_QUAT_ARRAY, "quats"),
                QRN_ATTR(m_placements, UNIT_ATTR_PLACEMENT_ARRAY, "placements"),
                QRN_ATTR(m_placements_scale, UNIT_ATTR_PLACEMENT_SCALE_ARRAY, "placements_scale"),
                QRN_ATTR(m_placements_nonuniform, UNIT_ATTR_PLACEMENT_NONUNIFORM_ARRAY, "placements_nonuniform"),
                QRN_ATTR(m_planes, UNIT_ATTR_PLANE_ARRAY, "planes"),
                QRN_ATTR(m_spheres, UNIT_ATTR_SPHERE_ARRAY, "spheres"),
                QRN_ATTR(m_aaboxes, UNIT_ATTR_AABOX_ARRAY, "aaboxes"),
                QRN_ATTR(m_ints, UNIT_ATTR_INT32_ARRAY, "ints"),
                QRN_ATTR(m_uints, UNIT_ATTR_UINT32_ARRAY, "uints"),
                QRN_ATTR(m_ints_b, UNIT_ATTR_INT32_B_ARRAY, "ints_b"),
                QRN_ATTR(m_uints_b, UNIT_ATTR_UINT32_B_ARRAY, "uints_b"),
                QRN_ATTR(m_int64s, UNIT_ATTR_INT64_ARRAY, "int64s"),
                QRN_ATTR(m_uint64s, UNIT_ATTR_UINT64_ARRAY, "uint64s"),
                QRN_ATTR(m_uints_plain, UNIT_ATTR_UINT32_PLAIN_ARRAY, "uints_plain"),
                QRN_ATTR(m_bools, UNIT_ATTR_BOOL_ARRAY, "bools"),
                QRN_ATTR(m_enums, UNIT_ATTR_ENUM_ARRAY, "enums", &test_enums_domain),
                QRN_ATTR(m_owners, UNIT_ATTR_OWNER_ARRAY, "owners"),
                QRN_ATTR(m_refs, UNIT_ATTR_REF_ARRAY, "refs"),
                QRN_ATTR(m_resources, UNIT_ATTR_RESOURCE_ARRAY, "resources"));

std::vector<std::string> test_hooked_u::log;
std::vector<std::string> test_stepped_u::log;

QRN_UNIT_DEFINE(test_stepped_u, "test_stepped", QRN_ATTR(m_made_with, UNIT_ATTR_INT32, "made_with"));
QRN_UNIT_DEFINE(test_stepped_more_u, "test_stepped_more");
QRN_UNIT_DEFINE(test_stepped_inherit_u, "test_stepped_inherit");

QRN_UNIT_DEFINE(test_hooked_u, "test_hooked",
                QRN_ATTR(m_value, UNIT_ATTR_INT32, "value", &int_domain),
                QRN_ATTR(m_next, UNIT_ATTR_REF, "next"),
                QRN_ATTR(m_refuse_post_load, UNIT_ATTR_BOOL, "refuse_post_load"));

std::vector<std::string> test_finishing_u::log;

QRN_UNIT_DEFINE(test_finishing_u, "test_finishing", QRN_ATTR(m_value, UNIT_ATTR_INT32, "value", &int_domain));
QRN_UNIT_DEFINE(test_finishing_leaf_u, "test_finishing_leaf", QRN_ATTR(m_refuse, UNIT_ATTR_BOOL, "refuse"));
QRN_UNIT_DEFINE(test_finishing_plain_u, "test_finishing_plain");

bool test_finishing_u::_clone_finish(unit_base_t *target) {
    // The class's attributes are in the copy by now.
    log.push_back("finish base " + std::to_string(static_cast<test_finishing_u *>(target)->m_value));
    return true;
}

bool test_finishing_leaf_u::_clone_finish(unit_base_t *) {
    log.push_back("finish derived");
    return !m_refuse;
}

void register_test_units(unit_bank_t &bank) {
    test_hooked_u::register_class(bank);
    test_all_u::register_class(bank);
    test_node_u::register_class(bank);
    test_leaf_u::register_class(bank);
    test_abstract_u::register_class(bank);
    test_concrete_u::register_class(bank);
    test_stepped_u::register_class(bank);
    test_stepped_more_u::register_class(bank);
    test_stepped_inherit_u::register_class(bank);
    test_plain_u::register_class(bank);
}

}  // namespace quarn::test
