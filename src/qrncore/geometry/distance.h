#pragma once
// Distances of points from lines, segments and planes, and projections. a and b
// define a line or segment, p is the query point; planes are vec4 (a, b, c, d).
// A line through two equal points has no direction: the line forms then give NaN.
#include "qrncore/api.h"
#include "qrncore/math/vec.h"

namespace quarn {

// Squared distance of p from the line ab.
QRNCORE_API float get_edge_squaredist(const vec3_t &a, const vec3_t &b, const vec3_t &p);
QRNCORE_API float get_edge_dist(const vec3_t &a, const vec3_t &b, const vec3_t &p);
// Returns t = ((p - a)·(b - a))/|b - a|² and writes out = a + t·(b - a).
QRNCORE_API float project_point_on_line(const vec3_t &a, const vec3_t &b, const vec3_t &p, vec3_t *out);
// Distance of p from the line ab; out, where given, receives the nearest point.
QRNCORE_API float point_line_distance_squared(const vec3_t &a, const vec3_t &b, const vec3_t &p);
QRNCORE_API float point_line_distance_squared(const vec3_t &a, const vec3_t &b, const vec3_t &p, vec3_t *out);
QRNCORE_API float point_line_distance(const vec3_t &a, const vec3_t &b, const vec3_t &p);
QRNCORE_API float point_line_distance(const vec3_t &a, const vec3_t &b, const vec3_t &p, vec3_t *out);
// Distance of p from the segment ab (beyond an end, from that end); out, where given,
// receives the nearest point. A segment of two equal points is the point a.
QRNCORE_API float point_segment_distance_squared(const vec3_t &a, const vec3_t &b, const vec3_t &p);
QRNCORE_API float point_segment_distance_squared(const vec3_t &a, const vec3_t &b, const vec3_t &p, vec3_t *out);
QRNCORE_API float point_segment_distance(const vec3_t &a, const vec3_t &b, const vec3_t &p);
QRNCORE_API float point_segment_distance(const vec3_t &a, const vec3_t &b, const vec3_t &p, vec3_t *out);
// out = the foot of p on the line ab, through the unit direction.
QRNCORE_API void get_edge_point(const vec3_t &a, const vec3_t &b, const vec3_t &p, vec3_t *out);
// get_edge_point, then |out - p|².
QRNCORE_API float get_line_point_squaredist(const vec3_t &a, const vec3_t &b, const vec3_t &p, vec3_t *out);

// The foot of p on the plane along its normal; dist (when given) receives |out - p|.
// A normal with |n|² <= 0.01 has no usable foot: out = p, dist = 0 and false.
QRNCORE_API bool get_plane_normal_point(const vec3_t &p, const vec4_t &plane, vec3_t *out, float *dist);
// The same against the plane moved out by the support radius of box extents e
// (normal threshold 0.0001).
QRNCORE_API bool get_plane_normal_point(const vec3_t &p, const vec4_t &plane, const vec3_t &e, vec3_t *out,
                                        float *dist);
// The unsigned distance of get_plane_normal_point (0 for a degenerate normal).
QRNCORE_API float get_plane_dist(const vec3_t &p, const vec4_t &plane);

// out = â·(â·b) with â = a/|a| (a must not be zero).
QRNCORE_API void project_vector2vector(const vec3_t &a, const vec3_t &b, vec3_t *out);
// The part of b perpendicular to a: b itself when b is zero, zero when a and b are
// parallel.
QRNCORE_API void project_vector(const vec3_t &a, const vec3_t &b, vec3_t *out);

}  // namespace quarn
