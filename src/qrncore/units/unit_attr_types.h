#pragma once
// What each attribute type code stores in the unit (unit_attr_storage_t<CODE>) and
// the layout of its domain record (unit_attr_t<CODE>). The class kit (unit_class.h)
// checks every attribute's member type and domain against these at compile time.
#include <cstdint>
#include <type_traits>

#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/aabox.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/geometry/plane.h"
#include "qrncore/geometry/sphere.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_ptr.h"
#include "qrncore/units/unit_structs.h"

namespace quarn {

// Domain records by type code; codes without a record take no domain.
template <uint32_t CODE>
struct unit_attr_t;

// Texts: the longest text allowed, in bytes.
struct unit_attr_string_domain_t {
    uint32_t max_length;
};
struct unit_attr_float_domain_t {
    float minimum;
    float maximum;
};
// Vectors: component-wise minimum and maximum.
template <int N>
struct unit_attr_vec_domain_t {
    vec_t<float, N> minimum;
    vec_t<float, N> maximum;
};
struct unit_attr_int32_domain_t {
    int32_t minimum;
    int32_t maximum;
};
struct unit_attr_uint32_domain_t {
    uint32_t minimum;
    uint32_t maximum;
};
struct unit_attr_int64_domain_t {
    int64_t minimum;
    int64_t maximum;
};
struct unit_attr_uint64_domain_t {
    uint64_t minimum;
    uint64_t maximum;
};

// One symbol of an enumeration.
struct unit_enum_symbol_t {
    int32_t value;
    const char *name;
};

// Enumerations: the symbols twice, sorted by value and by name (byte order). Lookups
// stop early on the sort order, so unsorted tables do not find their symbols.
struct unit_attr_enum_domain_t {
    uint32_t reserved;  // not read by the core
    uint32_t count;
    const unit_enum_symbol_t *by_value;
    const unit_enum_symbol_t *by_name;
};

// Unit pointers: the class the unit must be of (null: any) and whether null is refused.
struct unit_attr_unit_domain_t {
    const unit_descriptor_t *required;
    uint32_t non_null;
};

// Resource ties: as unit pointers, with further data only the resource tie reads.
struct unit_attr_resource_domain_t {
    const unit_descriptor_t *required;
    uint32_t non_null;
    const void *tie_data;
};

// The pointer-sized value of a resource attribute. Only the installed resource tie
// reads and writes it; the accessors hand it out as a unit pointer.
struct unit_resource_slot_t {
    unit_base_t *value = nullptr;
};

template <> struct unit_attr_t<UNIT_ATTR_STRING> : unit_attr_string_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_STRING_ARRAY> : unit_attr_string_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_FLOAT> : unit_attr_float_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_FLOAT_ARRAY> : unit_attr_float_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_VEC2> : unit_attr_vec_domain_t<2> {};
template <> struct unit_attr_t<UNIT_ATTR_VEC2_ARRAY> : unit_attr_vec_domain_t<2> {};
template <> struct unit_attr_t<UNIT_ATTR_VEC3> : unit_attr_vec_domain_t<3> {};
template <> struct unit_attr_t<UNIT_ATTR_VEC3_ARRAY> : unit_attr_vec_domain_t<3> {};
template <> struct unit_attr_t<UNIT_ATTR_VEC4> : unit_attr_vec_domain_t<4> {};
template <> struct unit_attr_t<UNIT_ATTR_VEC4_ARRAY> : unit_attr_vec_domain_t<4> {};
template <> struct unit_attr_t<UNIT_ATTR_INT32> : unit_attr_int32_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_INT32_ARRAY> : unit_attr_int32_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_INT32_B> : unit_attr_int32_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_INT32_B_ARRAY> : unit_attr_int32_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_UINT32> : unit_attr_uint32_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_UINT32_ARRAY> : unit_attr_uint32_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_UINT32_B> : unit_attr_uint32_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_UINT32_B_ARRAY> : unit_attr_uint32_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_INT64> : unit_attr_int64_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_INT64_ARRAY> : unit_attr_int64_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_UINT64> : unit_attr_uint64_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_UINT64_ARRAY> : unit_attr_uint64_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_ENUM> : unit_attr_enum_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_ENUM_ARRAY> : unit_attr_enum_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_OWNER> : unit_attr_unit_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_OWNER_ARRAY> : unit_attr_unit_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_REF> : unit_attr_unit_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_REF_ARRAY> : unit_attr_unit_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_RESOURCE> : unit_attr_resource_domain_t {};
template <> struct unit_attr_t<UNIT_ATTR_RESOURCE_ARRAY> : unit_attr_resource_domain_t {};

// The domain record type a code takes; void for codes without one.
template <uint32_t CODE, class = void>
struct unit_attr_domain_of {
    using type = void;
};
template <uint32_t CODE>
struct unit_attr_domain_of<CODE, std::void_t<decltype(sizeof(unit_attr_t<CODE>))>> {
    using type = unit_attr_t<CODE>;
};
template <uint32_t CODE>
using unit_attr_domain_t = typename unit_attr_domain_of<CODE>::type;

// The type a member must have to be declared with a code.
template <uint32_t CODE>
struct unit_attr_storage;
template <> struct unit_attr_storage<UNIT_ATTR_STRING> { using type = mstring_dyn_t; };
template <> struct unit_attr_storage<UNIT_ATTR_TOKEN> { using type = uint64_t; };
template <> struct unit_attr_storage<UNIT_ATTR_FLOAT> { using type = float; };
template <> struct unit_attr_storage<UNIT_ATTR_VEC2> { using type = vec2_t; };
template <> struct unit_attr_storage<UNIT_ATTR_VEC3> { using type = vec3_t; };
template <> struct unit_attr_storage<UNIT_ATTR_VEC4> { using type = vec4_t; };
template <> struct unit_attr_storage<UNIT_ATTR_MATRIX> { using type = mat4_t; };
template <> struct unit_attr_storage<UNIT_ATTR_QUAT> { using type = quat_t; };
template <> struct unit_attr_storage<UNIT_ATTR_PLACEMENT> { using type = placement_t; };
template <> struct unit_attr_storage<UNIT_ATTR_PLACEMENT_SCALE> { using type = placement_scale_t; };
template <> struct unit_attr_storage<UNIT_ATTR_PLACEMENT_NONUNIFORM> { using type = placement_nonuniform_t; };
template <> struct unit_attr_storage<UNIT_ATTR_PLANE> { using type = plane_t; };
template <> struct unit_attr_storage<UNIT_ATTR_SPHERE> { using type = sphere_t; };
template <> struct unit_attr_storage<UNIT_ATTR_AABOX> { using type = aabox_t; };
template <> struct unit_attr_storage<UNIT_ATTR_INT32> { using type = int32_t; };
template <> struct unit_attr_storage<UNIT_ATTR_UINT32> { using type = uint32_t; };
template <> struct unit_attr_storage<UNIT_ATTR_INT32_B> { using type = int32_t; };
template <> struct unit_attr_storage<UNIT_ATTR_UINT32_B> { using type = uint32_t; };
template <> struct unit_attr_storage<UNIT_ATTR_INT64> { using type = int64_t; };
template <> struct unit_attr_storage<UNIT_ATTR_UINT64> { using type = uint64_t; };
template <> struct unit_attr_storage<UNIT_ATTR_UINT32_PLAIN> { using type = uint32_t; };
template <> struct unit_attr_storage<UNIT_ATTR_BOOL> { using type = bool; };
template <> struct unit_attr_storage<UNIT_ATTR_ENUM> { using type = int32_t; };
template <> struct unit_attr_storage<UNIT_ATTR_OWNER> { using type = owner_ptr_t<unit_base_t>; };
template <> struct unit_attr_storage<UNIT_ATTR_REF> { using type = ref_ptr_t<unit_base_t>; };
template <> struct unit_attr_storage<UNIT_ATTR_RESOURCE> { using type = unit_resource_slot_t; };
// An array code stores a heap array of its scalar code's storage.
#define QRN_UNIT_ARRAY_STORAGE(code) \
    template <>                      \
    struct unit_attr_storage<code + 1> { using type = array_dyn_t<typename unit_attr_storage<code>::type>; };
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_STRING)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_TOKEN)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_FLOAT)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_VEC2)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_VEC3)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_VEC4)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_MATRIX)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_QUAT)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_PLACEMENT)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_PLACEMENT_SCALE)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_PLACEMENT_NONUNIFORM)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_PLANE)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_SPHERE)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_AABOX)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_INT32)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_UINT32)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_INT32_B)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_UINT32_B)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_INT64)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_UINT64)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_UINT32_PLAIN)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_BOOL)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_ENUM)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_OWNER)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_REF)
QRN_UNIT_ARRAY_STORAGE(UNIT_ATTR_RESOURCE)
#undef QRN_UNIT_ARRAY_STORAGE
template <uint32_t CODE>
using unit_attr_storage_t = typename unit_attr_storage<CODE>::type;

}  // namespace quarn
