#pragma once
// Intersections of lines and segments with planes and triangles, the meeting point of
// three planes, small linear solves, and point tests in two dimensions. Planes are
// vec4 (a, b, c, d); outputs are pointers written only where stated.
#include "qrncore/api.h"
#include "qrncore/math/vec.h"

namespace quarn {

// The line through a and b against the plane. a = b (closer than 1e-4): out = a, 1.
// Parallel (|n·(b - a)| not above eps): 0, out untouched. Otherwise out = the hit and
// 1 when it lies on a's side towards b (t >= 0), -1 when behind a.
QRNCORE_API int compute_edge_plane_intersection(const vec3_t &a, const vec3_t &b, const vec4_t &plane, vec3_t *out,
                                                float eps);
// The same against the plane moved out by the support radius of box extents e; true
// only when the int form gives 1 (out may be written for -1 too).
QRNCORE_API bool compute_edge_plane_intersection(const vec3_t &a, const vec3_t &b, const vec4_t &plane, vec3_t *out,
                                                 const vec3_t &e, float eps);
// The line parameter of the hit, -(n·a + d)/(n·(b - a)); 0 when the line is parallel.
QRNCORE_API float compute_edge_intersection_coef(const vec3_t &a, const vec3_t &b, const vec4_t &plane, float eps);
// The segment ab against the plane. A segment shorter than 0.001 or parallel within
// 0.0001: out = b, false. Otherwise out = the hit of the line, true when it lies on
// the segment widened by the length eps at both ends.
QRNCORE_API bool compute_limited_plane_intersection(const vec3_t &a, const vec3_t &b, const vec4_t &plane,
                                                    vec3_t *out, float eps);
// The hit of the line ab on the plane n·x + d + r = 0, r the support radius of box
// extents e; nothing is written when |n·(b - a)| <= eps.
QRNCORE_API void compute_limited_plane_intersection_c(const vec3_t &a, const vec3_t &b, const vec4_t &plane,
                                                      vec3_t *out, const vec3_t &e, float eps);
// The segment form against that same plane n·x + d + r = 0: false (out untouched)
// when |n·(b - a)| <= 1e-6; else out = the hit, true when it lies on the segment
// widened by the length eps at both ends.
QRNCORE_API bool compute_limited_plane_intersection(const vec3_t &a, const vec3_t &b, const vec4_t &plane,
                                                    vec3_t *out, const vec3_t &e, float eps);

// The common point of three planes (any order gives the same answer). False, out
// untouched, when their normals are nearly dependent (|det| < eps). Coordinates close
// to a round value are snapped to two decimals: x within 0.01 of an integer, y and z
// only when just below an integer.
QRNCORE_API bool plane_intersection(const vec4_t &p1, const vec4_t &p2, const vec4_t &p3, vec3_t *out, float eps);
// Solves x·a + y·b + z·c = r (z may be null). A singular system gives zeros and false.
QRNCORE_API bool solve_formulas(const vec3_t &a, const vec3_t &b, const vec3_t &c, const vec3_t &r, float *x, float *y,
                                float *z);

// Barycentric test on the coordinates i and j (0 x, 1 y, 2 z): p = a + v·(b - a) +
// u·(c - a) with u, v >= 0 and u + v <= 1 (edges count as inside). u (the weight of c)
// and v (the weight of b) are written only on success, and only where given.
QRNCORE_API bool point_inside_triangle(const vec3_t &p, const vec3_t &a, const vec3_t &b, const vec3_t &c, int i,
                                       int j, float *u, float *v);
QRNCORE_API bool point_inside_triangle(const vec3_t &p, const vec3_t &a, const vec3_t &b, const vec3_t &c, int i,
                                       int j);

// The segment ab against the triangle t0 t1 t2. A hit less than one unit from the
// end b does not count. out receives the hit of the segment's line with the plane.
QRNCORE_API bool triangle_interval_intersection(const vec3_t &t0, const vec3_t &t1, const vec3_t &t2,
                                                const vec3_t &a, const vec3_t &b, vec3_t *out);
// The same with the triangle's plane given.
QRNCORE_API bool triangle_interval_intersection(const vec3_t &t0, const vec3_t &t1, const vec3_t &t2,
                                                const vec4_t &plane, const vec3_t &a, const vec3_t &b, vec3_t *out);
// The whole line through a and b against the triangle; a hit behind a counts.
QRNCORE_API bool compute_triangle_intersection(const vec3_t &t0, const vec3_t &t1, const vec3_t &t2, const vec3_t &a,
                                               const vec3_t &b, vec3_t *out);

// Where P = (pu, pv) lies against the segment A-B: 0 off the line (or P = A), 1
// strictly between A and B, 3 before A (A between P and B), 2 beyond B or on an end.
QRNCORE_API int point_on_line_2d(const float &pu, const float &pv, const float &au, const float &av, const float &bu,
                                 const float &bv);
// point_on_line_2d on the coordinates (x, z), (x, y) and (y, z).
QRNCORE_API int point_on_line_xz(const vec3_t &p, const vec3_t &a, const vec3_t &b);
QRNCORE_API int point_on_line_xy(const vec3_t &p, const vec3_t &a, const vec3_t &b);
QRNCORE_API int point_on_line_zy(const vec3_t &p, const vec3_t &a, const vec3_t &b);

}  // namespace quarn
