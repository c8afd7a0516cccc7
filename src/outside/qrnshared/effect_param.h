#pragma once
// Parameter sources: where the value of a shader uniform comes from when a prototype
// is drawn. A source names the value's kind, a packet slot of the prototype's
// parameter array (or -1 for a value the pass itself computes in prepare_parameters)
// and a locate function that finds the value inside the packet (or the pass), as the
// unit kit's attribute records find their members. The packet in the slot must be of
// the source's packet class; an empty slot, or a packet of another class, gives the
// source's stand-in value, the initial value of that class.
//
//   // "transform.p": the projection of the camera packet in slot 0.
//   constexpr effect_param_data_t projection =
//       effect_packet_param<EFFECT_PARAM_MATRIX, pp_camera_u, &pp_camera_u::projection>(0);
//   // "transform.mv": the model-view the pass computed.
//   constexpr effect_param_data_t mv = effect_pass_param<EFFECT_PARAM_MATRIX, my_pass_u, &my_pass_u::mv>();
#include <cstdint>
#include <type_traits>

#include "qrncore/math/mat_sq.h"
#include "qrncore/math/vec.h"
#include "qrncore/units/unit_structs.h"

namespace quarn {

class unit_base_t;

// The value kinds; the numbers are the layer's.
enum effect_param_kind_t : uint32_t {
    EFFECT_PARAM_FLOAT3 = 2,
    EFFECT_PARAM_FLOAT4 = 3,
    EFFECT_PARAM_MATRIX = 6,  // 4 x 4, row by row
};

// Floats a value of the kind holds.
constexpr uint32_t effect_param_float_count(effect_param_kind_t kind) {
    return kind == EFFECT_PARAM_FLOAT3 ? 3 : kind == EFFECT_PARAM_FLOAT4 ? 4 : kind == EFFECT_PARAM_MATRIX ? 16 : 0;
}

// Stand-in values: zeros, the identity matrix, and ones.
inline constexpr float EFFECT_PARAM_ZEROS[16] = {};
inline constexpr float EFFECT_PARAM_IDENTITY[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
inline constexpr float EFFECT_PARAM_ONES[4] = {1, 1, 1, 1};

struct effect_param_data_t {
    effect_param_kind_t kind = EFFECT_PARAM_FLOAT4;
    int32_t slot = -1;  // packet slot 0-6, or -1 for a value of the pass
    // The class the packet in the slot must be of (null for -1).
    const unit_descriptor_t *packet_class = nullptr;
    // The value inside the packet (or the pass); the unit is of the class above.
    const float *(*locate)(const unit_base_t *unit) = nullptr;
    // The value used when the slot holds no packet of the class.
    const float *absent = EFFECT_PARAM_ZEROS;
};

// The floats of the value types a source may point at.
inline const float *effect_param_floats(const vec3_t &v) { return &v.x; }
inline const float *effect_param_floats(const vec4_t &v) { return &v.x; }
inline const float *effect_param_floats(const mat4_t &m) { return m.m; }
template <size_t N>
inline const float *effect_param_floats(const float (&a)[N]) {
    return a;
}

template <class M>
constexpr size_t effect_param_member_floats = sizeof(M) / sizeof(float);

template <class C, auto MEMBER>
const float *effect_param_locate(const unit_base_t *unit) {
    return effect_param_floats(static_cast<const C *>(unit)->*MEMBER);
}

template <class P>
struct effect_param_member_t;
template <class C, class M>
struct effect_param_member_t<M C::*> {
    using value_type = M;
};

// A value of the packet in slot, of class C, at MEMBER.
template <effect_param_kind_t KIND, class C, auto MEMBER>
constexpr effect_param_data_t effect_packet_param(int32_t slot, const float *absent = nullptr) {
    using M = typename effect_param_member_t<decltype(MEMBER)>::value_type;
    static_assert(effect_param_member_floats<M> >= effect_param_float_count(KIND), "the member is smaller than the kind");
    return {KIND, slot, &C::unit_descriptor, &effect_param_locate<C, MEMBER>,
            absent ? absent : KIND == EFFECT_PARAM_MATRIX ? EFFECT_PARAM_IDENTITY : EFFECT_PARAM_ZEROS};
}

// A value that the pass of class P computes into MEMBER.
template <effect_param_kind_t KIND, class P, auto MEMBER>
constexpr effect_param_data_t effect_pass_param() {
    using M = typename effect_param_member_t<decltype(MEMBER)>::value_type;
    static_assert(effect_param_member_floats<M> >= effect_param_float_count(KIND), "the member is smaller than the kind");
    return {KIND, -1, nullptr, &effect_param_locate<P, MEMBER>, EFFECT_PARAM_ZEROS};
}

// A value of the pass found by a locate function of one's own (an element of an
// array member, say).
constexpr effect_param_data_t effect_pass_param(effect_param_kind_t kind, const float *(*locate)(const unit_base_t *)) {
    return {kind, -1, nullptr, locate, EFFECT_PARAM_ZEROS};
}

}  // namespace quarn
