#pragma once
// Position and orientation of an object: the position p and the rotation q, acting
// as p + q·x on a local point x (rotation first, then the move). The scaled forms
// scale the local point first. Field order is also the order in files.
#include "qrncore/api.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"

namespace quarn {

struct QRNCORE_API placement_t {
    constexpr placement_t() = default;
    constexpr placement_t(const vec3_t &p, const quat_t &q) : position(p), rotation(q) {}

    // Rotation about the world origin: p = r·p, q = r ⊗ q.
    void rotate_globally(const quat_t &r);
    // Rotation by r about the point q·v (q as before the change); q = r ⊗ q.
    void rotate_locally(const vec3_t &v, const quat_t &r);
    // Moves along the local axes: p += q·v.
    void translate_locally(const vec3_t &v);
    // The placement of a rigid matrix T·R: its translation and its rotation,
    // normalised (a bone or body matrix that drifted slightly stays a rotation).
    static placement_t from_matrix(const mat4_t &m);
    // T(p)·R(q): local to world.
    mat4_t compute_matrix() const;
    void compute_matrix(mat4_t *m) const;
    // R(q*)·T(-p): world to local.
    mat4_t compute_inverse_matrix() const;
    void compute_inverse_matrix(mat4_t *m) const;
    // Lerps the position and slerps the rotation (short way) from a to b.
    void interpolate(const placement_t &a, const placement_t &b, float t);
    // World point to local and back.
    vec3_t to_local_space(const vec3_t &point) const;
    vec3_t from_local_space(const vec3_t &point) const;
    // A world placement relative to this one, and a relative one back to the world.
    placement_t to_local_space(const placement_t &o) const;
    placement_t from_local_space(const placement_t &l) const;

    vec3_t position;
    quat_t rotation;
};

// With a uniform scale s applied to the local point first.
struct QRNCORE_API placement_scale_t {
    constexpr placement_scale_t() = default;
    constexpr placement_scale_t(const vec3_t &p, float s, const quat_t &q) : position(p), scale(s), rotation(q) {}

    // T(p)·R(q)·S(s) and its inverse S(1/s)·R(q*)·T(-p).
    mat4_t compute_matrix() const;
    void compute_matrix(mat4_t *m) const;
    mat4_t compute_inverse_matrix() const;
    void compute_inverse_matrix(mat4_t *m) const;
    // Lerps position and scale, slerps the rotation.
    void interpolate(const placement_scale_t &a, const placement_scale_t &b, float t);
    // A zero scale gives infinities in the to_local forms.
    vec3_t to_local_space(const vec3_t &point) const;
    vec3_t from_local_space(const vec3_t &point) const;
    placement_t to_local_space(const placement_t &o) const;
    placement_t from_local_space(const placement_t &l) const;

    vec3_t position;
    float scale = 1.0f;
    quat_t rotation;
};

// With a scale per local axis applied to the local point first.
struct QRNCORE_API placement_nonuniform_t {
    constexpr placement_nonuniform_t() = default;
    constexpr placement_nonuniform_t(const vec3_t &p, const vec3_t &s, const quat_t &q)
        : position(p), scale(s), rotation(q) {}

    mat4_t compute_matrix() const;
    void compute_matrix(mat4_t *m) const;
    mat4_t compute_inverse_matrix() const;
    void compute_inverse_matrix(mat4_t *m) const;
    void interpolate(const placement_nonuniform_t &a, const placement_nonuniform_t &b, float t);
    vec3_t to_local_space(const vec3_t &point) const;
    vec3_t from_local_space(const vec3_t &point) const;

    vec3_t position;
    vec3_t scale{1.0f, 1.0f, 1.0f};
    quat_t rotation;
};

static_assert(sizeof(placement_t) == 28 && sizeof(placement_scale_t) == 32 && sizeof(placement_nonuniform_t) == 40,
              "placements are packed floats");

}  // namespace quarn
