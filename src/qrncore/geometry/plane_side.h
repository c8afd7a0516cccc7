#pragma once
// Classifying points and boxes against planes, and comparing points, boxes and
// planes. A plane is a vec4 (a, b, c, d) with signed value s(p) = n·p + d: positive
// in front (right), negative behind (left). A box is its centre p and half extents
// e; against a plane its support radius is r = |a·e.x| + |b·e.y| + |c·e.z|.
#include "qrncore/api.h"
#include "qrncore/math/vec.h"

namespace quarn {

// Homogeneous points: the 4-component dot product with the plane.
QRNCORE_API bool point_left(const vec4_t &point, const vec4_t &plane);             // dot <= 0
QRNCORE_API bool point_left(const vec4_t &point, const vec4_t &plane, float eps);  // dot - eps <= 0
QRNCORE_API bool point_right(const vec4_t &point, const vec4_t &plane);            // dot >= 0
QRNCORE_API bool point_right(const vec4_t &point, const vec4_t &plane, float eps); // dot + eps >= 0

QRNCORE_API bool point_left(const vec3_t &p, const vec4_t &plane);             // s <= 0
QRNCORE_API bool point_left(const vec3_t &p, const vec4_t &plane, float eps);  // s - eps <= 0
QRNCORE_API bool point_right(const vec3_t &p, const vec4_t &plane);            // s >= 0
QRNCORE_API bool point_right(const vec3_t &p, const vec4_t &plane, float eps); // s + eps >= 0
// |s| < eps.
QRNCORE_API bool point_on_plane(const vec3_t &p, const vec4_t &plane, float eps);
// 0 when |s| <= eps (s = eps counts as on the plane), else 1 in front, -1 behind.
QRNCORE_API int point_side(const vec3_t &p, const vec4_t &plane, float eps);
// 0 when s is exactly 0, else 1 in front, -1 behind.
QRNCORE_API int point_side(const vec3_t &p, const vec4_t &plane);

// Boxes.
// Some of the box is on or behind the plane: s - r <= 0 (- eps in the second form).
QRNCORE_API bool point_left(const vec3_t &p, const vec4_t &plane, const vec3_t &e);
QRNCORE_API bool point_left(const vec3_t &p, const vec4_t &plane, const vec3_t &e, float eps);
// The whole box is behind, within eps: s + r - eps <= 0.
QRNCORE_API bool point_left_inv(const vec3_t &p, const vec4_t &plane, const vec3_t &e, float eps);
// The same for a cube of half size radius.
QRNCORE_API bool point_left_inv(const vec3_t &p, const vec4_t &plane, float radius, float eps);
// The whole box is in front: s - r >= 0 (+ eps in the second form).
QRNCORE_API bool point_right(const vec3_t &p, const vec4_t &plane, const vec3_t &e);
QRNCORE_API bool point_right(const vec3_t &p, const vec4_t &plane, const vec3_t &e, float eps);
// Some of the box is in front, within eps: s + r + eps >= 0.
QRNCORE_API bool point_right_inv(const vec3_t &p, const vec4_t &plane, const vec3_t &e, float eps);
// With t = s - r: 0 when |t| <= eps, else 1 when t >= 0, else -1.
QRNCORE_API int point_side(const vec3_t &p, const vec4_t &plane, const vec3_t &e, float eps);
// With t = s - r: 0 when t = 0, else 1 when t > 0, else -1.
QRNCORE_API int point_side(const vec3_t &p, const vec4_t &plane, const vec3_t &e);
// The box reaches the plane from both sides within eps.
QRNCORE_API bool point_on_plane(const vec3_t &p, const vec4_t &plane, const vec3_t &e, float eps);

// Every component within eps of 0 (inclusive).
QRNCORE_API bool valid_point(const vec3_t &p, float eps);
// Every component differs by less than 0.01 (or eps; strict).
QRNCORE_API bool compare_vpoint(const vec3_t &a, const vec3_t &b);
QRNCORE_API bool compare_vpoint(const vec3_t &a, const vec3_t &b, float eps);
// True when the boxes are apart on some axis; boxes sharing a face are not.
QRNCORE_API bool min_max_separated(const vec3_t &amin, const vec3_t &amax, const vec3_t &bmin, const vec3_t &bmax);

// Plane comparisons for unit planes. dot4 is the dot product of all four components
// (d·d included); the distance is that of the two plane points.
// dot4 >= 1 - eps, distance² <= eps², and dot4 > 0.
QRNCORE_API bool planes_identical(const vec4_t &p, const vec4_t &q, float eps);
// |dot4| >= 1 - eps and distance² <= eps²: the same plane facing either way.
QRNCORE_API bool planes_touch(const vec4_t &p, const vec4_t &q, float eps);
// dot4 + 1 < eps and distance < eps: the same plane facing the other way.
QRNCORE_API bool planes_reversed_identical(const vec4_t &p, const vec4_t &q, float eps);

}  // namespace quarn
