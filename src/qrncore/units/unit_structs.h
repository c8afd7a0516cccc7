#pragma once
// The static records that describe unit classes: one descriptor per class and a table
// of attribute records per class, both constant-initialised at load time, and the
// attribute type codes.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/strings/string.h"

namespace quarn {

class unit_base_t;
class unit_system_t;
struct unit_attribute_t;

// Attribute type codes: odd codes are scalar kinds, the even code above each is an
// array of that kind. 0 closes an attribute table.
enum unit_attr_type_t : uint32_t {
    UNIT_ATTR_END = 0,
    UNIT_ATTR_STRING = 1,  // owned text
    UNIT_ATTR_STRING_ARRAY = 2,
    UNIT_ATTR_TOKEN = 3,  // 64-bit name token, read and written as its text
    UNIT_ATTR_TOKEN_ARRAY = 4,
    UNIT_ATTR_FLOAT = 5,
    UNIT_ATTR_FLOAT_ARRAY = 6,
    UNIT_ATTR_VEC2 = 7,
    UNIT_ATTR_VEC2_ARRAY = 8,
    UNIT_ATTR_VEC3 = 9,
    UNIT_ATTR_VEC3_ARRAY = 10,
    UNIT_ATTR_VEC4 = 11,
    UNIT_ATTR_VEC4_ARRAY = 12,
    UNIT_ATTR_MATRIX = 13,
    UNIT_ATTR_MATRIX_ARRAY = 14,
    UNIT_ATTR_QUAT = 15,
    UNIT_ATTR_QUAT_ARRAY = 16,
    UNIT_ATTR_PLACEMENT = 17,
    UNIT_ATTR_PLACEMENT_ARRAY = 18,
    UNIT_ATTR_PLACEMENT_SCALE = 19,
    UNIT_ATTR_PLACEMENT_SCALE_ARRAY = 20,
    UNIT_ATTR_PLACEMENT_NONUNIFORM = 21,
    UNIT_ATTR_PLACEMENT_NONUNIFORM_ARRAY = 22,
    UNIT_ATTR_PLANE = 23,
    UNIT_ATTR_PLANE_ARRAY = 24,
    UNIT_ATTR_SPHERE = 25,
    UNIT_ATTR_SPHERE_ARRAY = 26,
    UNIT_ATTR_AABOX = 27,
    UNIT_ATTR_AABOX_ARRAY = 28,
    UNIT_ATTR_INT32 = 29,
    UNIT_ATTR_INT32_ARRAY = 30,
    UNIT_ATTR_UINT32 = 31,  // all bits set is "nil"
    UNIT_ATTR_UINT32_ARRAY = 32,
    UNIT_ATTR_INT32_B = 33,  // a second signed code, behaving exactly as 29
    UNIT_ATTR_INT32_B_ARRAY = 34,
    UNIT_ATTR_UINT32_B = 35,  // a second unsigned code, behaving exactly as 31
    UNIT_ATTR_UINT32_B_ARRAY = 36,
    UNIT_ATTR_INT64 = 37,
    UNIT_ATTR_INT64_ARRAY = 38,
    UNIT_ATTR_UINT64 = 39,  // all bits set is "nil"
    UNIT_ATTR_UINT64_ARRAY = 40,
    UNIT_ATTR_UINT32_PLAIN = 41,  // no "nil" form, no range domain
    UNIT_ATTR_UINT32_PLAIN_ARRAY = 42,
    UNIT_ATTR_BOOL = 43,
    UNIT_ATTR_BOOL_ARRAY = 44,
    UNIT_ATTR_ENUM = 45,  // signed 32-bit value named by a symbol table
    UNIT_ATTR_ENUM_ARRAY = 46,
    UNIT_ATTR_OWNER = 47,  // owning unit pointer
    UNIT_ATTR_OWNER_ARRAY = 48,
    UNIT_ATTR_REF = 49,  // referencing unit pointer
    UNIT_ATTR_REF_ARRAY = 50,
    UNIT_ATTR_RESOURCE = 51,  // resource tie, handled by the installed unit_resource_tie_t
    UNIT_ATTR_RESOURCE_ARRAY = 52,
};

// Highest type code.
inline constexpr uint32_t UNIT_ATTR_LAST = 52;

// True for the unit-pointer codes 47-50 (not for resource ties). Codes above 52 abort.
QRNCORE_API bool unit_attr_type_is_unit(unit_attr_type_t t);
// True for the even codes 2-52. Codes above 52 abort.
QRNCORE_API bool unit_attr_type_is_array(unit_attr_type_t t);
// The scalar code of a code: t for odd t, t - 1 for even t, 0 for 0. Codes above 52
// abort.
QRNCORE_API unit_attr_type_t unit_attr_type_element_type(unit_attr_type_t t);
// unit_attr_type_element_type of a code known to be at most UNIT_ATTR_LAST, inline for
// the paths that ask it for every value they read.
inline constexpr unit_attr_type_t unit_attr_element_code(unit_attr_type_t t) {
    return t % 2 || t == UNIT_ATTR_END ? t : unit_attr_type_t(t - 1);
}

// The result of unit_base_t::check_value.
enum unit_check_result_t : uint32_t {
    UNIT_CHECK_OK = 0,              // the value may be stored
    UNIT_CHECK_NULL_UNIT = 2,       // the unit is null
    UNIT_CHECK_NULL_ATTRIBUTE = 3,  // the attribute is null
    UNIT_CHECK_WRONG_CLASS = 4,     // the attribute belongs to a class the unit does not derive from
    UNIT_CHECK_WRONG_OVERLOAD = 5,  // the overload does not apply to the attribute's type code
    UNIT_CHECK_WRONG_KIND = 6,      // the value does not fit the attribute's value kind
    UNIT_CHECK_BELOW_MINIMUM = 7,
    UNIT_CHECK_ABOVE_MAXIMUM = 8,
    UNIT_CHECK_TOO_LONG = 9,        // text longer than the domain's maximum length
    UNIT_CHECK_BAD_TOKEN = 10,      // text is not a valid name token
    UNIT_CHECK_NOT_IN_ENUM = 11,    // no symbol of the enumeration has the number
    UNIT_CHECK_WRONG_UNIT = 12,     // the unit (or resource) is not of the required class
    UNIT_CHECK_NULL_VALUE = 13,     // null where the domain requires a value
};

// One unit class. The records are constant-initialised (their fields are addresses of
// other static data, resolved by the loader), so no start-up code has to fill them.
struct unit_descriptor_t {
    // The type name used in unit files and in the bank ("unit", "round_logic").
    const string *class_name;
    // New instance constructed for the system; null when allocation fails. Null for an
    // abstract class.
    unit_base_t *(*create)(unit_system_t *system);
    // Frees a unit that leaves the garbage list.
    void (*destroy)(unit_base_t *unit, unit_system_t *system);
    // The base class's descriptor; null only for unit_base_t.
    const unit_descriptor_t *parent;
    // The attributes this class adds (not the inherited ones), closed by a record of
    // type UNIT_ATTR_END.
    const unit_attribute_t *attributes;
    // Hash of the class identifier ("round_logic_u"), not of the type name.
    const uint32_t *fingerprint;
};

// One attribute of a class. The record keeps a function made from a pointer to member,
// not a byte offset into the object: it finds the value inside a
// unit of the declaring class (or a subclass) without offset arithmetic on classes
// with virtual functions. Callers check the unit's class before they call it.
struct unit_attribute_t {
    // The class that declares the attribute.
    const unit_descriptor_t *descriptor;
    // Address of the value inside unit, which must be of the declaring class.
    void *(*locate)(unit_base_t *unit);
    unit_attr_type_t type;
    // The domain record of the type, or null for no restriction.
    const void *domain;
    // The name in unit files ("map_name", "trails").
    const char *name;

    void *address_in(unit_base_t *unit) const { return locate(unit); }
};

}  // namespace quarn
