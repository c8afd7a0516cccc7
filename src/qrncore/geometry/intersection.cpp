#include "qrncore/geometry/intersection.h"

#include <cmath>

#include "qrncore/geometry/plane_equation.h"

namespace quarn {

namespace {

vec3_t normal_of(const vec4_t &p) { return {p.x, p.y, p.z}; }
float signed_value(const vec3_t &p, const vec4_t &plane) { return dot(normal_of(plane), p) + plane.w; }
float support(const vec4_t &plane, const vec3_t &e) {
    return std::fabs(plane.x * e.x) + std::fabs(plane.y * e.y) + std::fabs(plane.z * e.z);
}
// The determinant of the 3×3 matrix with rows (or columns) r0, r1, r2.
float det3(const vec3_t &r0, const vec3_t &r1, const vec3_t &r2) { return dot(r0, cross(r1, r2)); }

// Point in triangle after dropping the plane normal's dominant axis: the three edge
// functions at q all <= 0 or all >= 0, so edges count as inside whatever the winding.
bool projected_inside(const vec3_t &t0, const vec3_t &t1, const vec3_t &t2, const vec3_t &q, const vec4_t &plane) {
    const float ax = std::fabs(plane.x), ay = std::fabs(plane.y), az = std::fabs(plane.z);
    int u, v;
    if (ax >= ay && ax >= az) u = 1, v = 2;
    else if (ay >= ax && ay >= az) u = 0, v = 2;
    else u = 0, v = 1;
    const vec3_t *corner[3] = {&t0, &t1, &t2};
    float e[3];
    for (int k = 0; k < 3; ++k) {
        const vec3_t &s = *corner[k], &f = *corner[(k + 1) % 3];
        e[k] = (f[u] - s[u]) * (q[v] - s[v]) - (f[v] - s[v]) * (q[u] - s[u]);
    }
    return (e[0] <= 0.0f && e[1] <= 0.0f && e[2] <= 0.0f) || (e[0] >= 0.0f && e[1] >= 0.0f && e[2] >= 0.0f);
}

// Snaps a coordinate to two decimals.
float snap(float v) { return std::floor(v * 100.0f + 0.5f) * 0.01f; }

}  // namespace

int compute_edge_plane_intersection(const vec3_t &a, const vec3_t &b, const vec4_t &plane, vec3_t *out, float eps) {
    const vec3_t dir = b - a;
    if (length_squared(dir) < 1e-8f) {
        *out = a;
        return 1;
    }
    const float g = dot(normal_of(plane), dir);
    if (!(std::fabs(g) > eps)) return 0;
    const float t = -signed_value(a, plane) / g;
    *out = a + t * dir;
    return t >= 0.0f ? 1 : -1;
}

bool compute_edge_plane_intersection(const vec3_t &a, const vec3_t &b, const vec4_t &plane, vec3_t *out,
                                     const vec3_t &e, float eps) {
    const vec4_t moved{plane.x, plane.y, plane.z, plane.w + support(plane, e)};
    return compute_edge_plane_intersection(a, b, moved, out, eps) == 1;
}

float compute_edge_intersection_coef(const vec3_t &a, const vec3_t &b, const vec4_t &plane, float eps) {
    const float g = dot(normal_of(plane), b - a);
    return std::fabs(g) > eps ? -signed_value(a, plane) / g : 0.0f;
}

bool compute_limited_plane_intersection(const vec3_t &a, const vec3_t &b, const vec4_t &plane, vec3_t *out,
                                        float eps) {
    const vec3_t dir = b - a;
    const float len2 = length_squared(dir);
    if (len2 < 1e-6f) {
        *out = b;
        return false;
    }
    const float g = dot(normal_of(plane), dir);
    // A fixed parallel threshold; eps only widens the segment.
    if (!(std::fabs(g) > 0.0001f)) {
        *out = b;
        return false;
    }
    const float t = -signed_value(a, plane) / g;
    *out = a + t * dir;
    const float len = std::sqrt(len2);
    const float s = t * len;
    return -eps <= s && s <= len + eps;
}

void compute_limited_plane_intersection_c(const vec3_t &a, const vec3_t &b, const vec4_t &plane, vec3_t *out,
                                          const vec3_t &e, float eps) {
    const vec3_t dir = b - a;
    const float g = dot(normal_of(plane), dir);
    if (std::fabs(g) <= eps) return;
    const float t = -(signed_value(a, plane) + support(plane, e)) / g;
    *out = a + t * dir;
}

bool compute_limited_plane_intersection(const vec3_t &a, const vec3_t &b, const vec4_t &plane, vec3_t *out,
                                        const vec3_t &e, float eps) {
    const vec3_t dir = b - a;
    const float g = dot(normal_of(plane), dir);
    if (std::fabs(g) <= 1e-6f) return false;
    const float t = -(signed_value(a, plane) + support(plane, e)) / g;
    *out = a + t * dir;
    const float len = length(dir);
    const float s = t * len;
    return -eps <= s && s <= len + eps;
}

bool plane_intersection(const vec4_t &p1, const vec4_t &p2, const vec4_t &p3, vec3_t *out, float eps) {
    vec4_t a = p1, b = p2, c = p3;
    reorder_equations(&a, &b, &c);
    const vec3_t na = normal_of(a), nb = normal_of(b), nc = normal_of(c);
    const float det = det3(na, nb, nc);
    if (std::fabs(det) < eps) return false;
    const float inv = 1.0f / det;
    // Cramer's rule for n_i·x = -d_i: column k of the normals replaced by -d.
    const vec3_t col_x{na.x, nb.x, nc.x}, col_y{na.y, nb.y, nc.y}, col_z{na.z, nb.z, nc.z};
    const vec3_t rhs{-a.w, -b.w, -c.w};
    float x = det3(rhs, col_y, col_z) * inv;
    float y = det3(col_x, rhs, col_z) * inv;
    float z = det3(col_x, col_y, rhs) * inv;
    // Kept on purpose: x snaps on either side of an integer, y and z only from just
    // below one.
    if (std::fabs(std::floor(x + 0.5f) - x) < 0.01f) x = snap(x);
    if (std::fabs(std::floor(y + 1.0f) - y) < 0.01f) y = snap(y);
    if (std::fabs(std::floor(z + 1.0f) - z) < 0.01f) z = snap(z);
    *out = {x, y, z};
    return true;
}

bool solve_formulas(const vec3_t &a, const vec3_t &b, const vec3_t &c, const vec3_t &r, float *x, float *y,
                    float *z) {
    const float det = det3(a, b, c);
    if (det == 0.0f) {
        *x = *y = 0.0f;
        if (z) *z = 0.0f;
        return false;
    }
    const float m = 1.0f / det;
    // A zero numerator gives exactly 0, also when m overflowed to infinity.
    auto solve = [m](float num) { return num == 0.0f ? 0.0f : num * m; };
    *x = solve(det3(r, b, c));
    *y = solve(det3(a, r, c));
    if (z) *z = solve(det3(a, b, r));
    return true;
}

bool point_inside_triangle(const vec3_t &p, const vec3_t &a, const vec3_t &b, const vec3_t &c, int i, int j,
                           float *u_out, float *v_out) {
    const vec3_t e1 = b - a, e2 = c - a, q = p - a;
    float u, v;
    if (e1[i] == 0.0f) {
        if (e2[i] == 0.0f || e1[j] == 0.0f) return false;
        u = q[i] / e2[i];
        if (u < 0.0f || u > 1.0f) return false;
        v = (q[j] - u * e2[j]) / e1[j];
        if (v < 0.0f) return false;
    } else {
        const float d = e2[j] * e1[i] - e2[i] * e1[j];
        if (d == 0.0f) return false;
        u = (e1[i] * q[j] - e1[j] * q[i]) / d;
        if (u < 0.0f || u > 1.0f) return false;
        v = (q[i] - u * e2[i]) / e1[i];
        if (v < 0.0f) return false;
    }
    if (u + v > 1.0f) return false;
    if (u_out) *u_out = u;
    if (v_out) *v_out = v;
    return true;
}

bool point_inside_triangle(const vec3_t &p, const vec3_t &a, const vec3_t &b, const vec3_t &c, int i, int j) {
    return point_inside_triangle(p, a, b, c, i, j, nullptr, nullptr);
}

bool triangle_interval_intersection(const vec3_t &t0, const vec3_t &t1, const vec3_t &t2, const vec3_t &a,
                                    const vec3_t &b, vec3_t *out) {
    // A degenerate triangle leaves an unnormalised normal with d = 0; the tests below
    // then simply find nothing useful, as before.
    vec4_t plane{};
    points_compute_equation(t0, t1, t2, &plane, 0.01f);
    return triangle_interval_intersection(t0, t1, t2, plane, a, b, out);
}

bool triangle_interval_intersection(const vec3_t &t0, const vec3_t &t1, const vec3_t &t2, const vec4_t &plane,
                                    const vec3_t &a, const vec3_t &b, vec3_t *out) {
    if (!compute_limited_plane_intersection(a, b, plane, out, 0.01f)) return false;
    // Kept on purpose: a hit within one unit of the end b does not count.
    if (length_squared(*out - b) < 1.0f) return false;
    return projected_inside(t0, t1, t2, *out, plane);
}

bool compute_triangle_intersection(const vec3_t &t0, const vec3_t &t1, const vec3_t &t2, const vec3_t &a,
                                   const vec3_t &b, vec3_t *out) {
    vec4_t plane{};
    points_compute_equation(t0, t1, t2, &plane, 0.00001f);
    if (compute_edge_plane_intersection(a, b, plane, out, 0.00001f) == 0) return false;
    return projected_inside(t0, t1, t2, *out, plane);
}

int point_on_line_2d(const float &pu, const float &pv, const float &au, const float &av, const float &bu,
                     const float &bv) {
    const float cross_value = (av - pv) * (bu - pu) - (au - pu) * (bv - pv);
    if (std::fabs(cross_value) >= std::fmax(std::fabs(av - pv), std::fabs(au - pu))) return 0;
    if ((au < pu && pu < bu) || (av < pv && pv < bv) || (bu < pu && pu < au) || (bv < pv && pv < av)) return 1;
    if ((pu < au && au < bu) || (pv < av && av < bv) || (bu < au && au < pu) || (bv < av && av < pv)) return 3;
    return 2;
}

int point_on_line_xz(const vec3_t &p, const vec3_t &a, const vec3_t &b) {
    return point_on_line_2d(p.x, p.z, a.x, a.z, b.x, b.z);
}

int point_on_line_xy(const vec3_t &p, const vec3_t &a, const vec3_t &b) {
    return point_on_line_2d(p.x, p.y, a.x, a.y, b.x, b.y);
}

int point_on_line_zy(const vec3_t &p, const vec3_t &a, const vec3_t &b) {
    return point_on_line_2d(p.y, p.z, a.y, a.z, b.y, b.z);
}

}  // namespace quarn
