#include "qrncore/geometry/tri_tri.h"

#include <cmath>
#include <utility>

namespace quarn {

namespace {

constexpr float ON_PLANE = 1e-6f;

// Signed values of three points against the plane (n, d), with tiny ones made 0.
void plane_values(const vec3_t &n, float d, const vec3_t &p0, const vec3_t &p1, const vec3_t &p2, float g[3]) {
    const vec3_t *p[3] = {&p0, &p1, &p2};
    for (int k = 0; k < 3; ++k) {
        g[k] = dot(n, *p[k]) + d;
        if (std::fabs(g[k]) < ON_PLANE) g[k] = 0.0f;
    }
}

bool all_one_side(const float g[3]) { return g[0] * g[1] > 0.0f && g[0] * g[2] > 0.0f; }

// One edge of A (from v0, direction ax, ay) against the edge u0→u1 of B.
bool edge_edge(float ax, float ay, const vec3_t &v0, const vec3_t &u0, const vec3_t &u1, int i0, int i1) {
    const float bx = u0[i0] - u1[i0], by = u0[i1] - u1[i1];
    const float cx = v0[i0] - u0[i0], cy = v0[i1] - u0[i1];
    const float f = ay * bx - ax * by;
    const float d = by * cx - bx * cy;
    if ((f > 0.0f && d >= 0.0f && d <= f) || (f < 0.0f && d <= 0.0f && d >= f)) {
        const float e = ax * cy - ay * cx;
        if (f > 0.0f) return e >= 0.0f && e <= f;
        return e <= 0.0f && e >= f;
    }
    return false;
}

bool edge_against_edges(const vec3_t &v0, const vec3_t &v1, const vec3_t &u0, const vec3_t &u1, const vec3_t &u2,
                        int i0, int i1) {
    const float ax = v1[i0] - v0[i0], ay = v1[i1] - v0[i1];
    return edge_edge(ax, ay, v0, u0, u1, i0, i1) || edge_edge(ax, ay, v0, u1, u2, i0, i1) ||
           edge_edge(ax, ay, v0, u2, u0, i0, i1);
}

// p strictly inside the triangle u0 u1 u2 (same side of all three edge lines).
bool point_in_triangle(const vec3_t &p, const vec3_t &u0, const vec3_t &u1, const vec3_t &u2, int i0, int i1) {
    const vec3_t *u[3] = {&u0, &u1, &u2};
    float d[3];
    for (int k = 0; k < 3; ++k) {
        const vec3_t &s = *u[k], &e = *u[(k + 1) % 3];
        const float a = e[i1] - s[i1];
        const float b = -(e[i0] - s[i0]);
        const float c = -a * s[i0] - b * s[i1];
        d[k] = a * p[i0] + b * p[i1] + c;
    }
    return d[0] * d[1] > 0.0f && d[0] * d[2] > 0.0f;
}

bool coplanar(const vec3_t &n, const vec3_t &a0, const vec3_t &a1, const vec3_t &a2, const vec3_t &b0,
              const vec3_t &b1, const vec3_t &b2) {
    // Project on the two axes other than the normal's largest.
    const float ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
    int i0, i1;
    if (ax > ay) {
        if (ax > az) i0 = 1, i1 = 2;
        else i0 = 0, i1 = 1;
    } else {
        if (az > ay) i0 = 0, i1 = 1;
        else i0 = 0, i1 = 2;
    }
    if (edge_against_edges(a0, a1, b0, b1, b2, i0, i1) || edge_against_edges(a1, a2, b0, b1, b2, i0, i1) ||
        edge_against_edges(a2, a0, b0, b1, b2, i0, i1))
        return true;
    return point_in_triangle(a0, b0, b1, b2, i0, i1) || point_in_triangle(b0, a0, a1, a2, i0, i1);
}

// The interval where the other plane cuts this triangle, on the projection axis: p
// are the projected vertices, d their distances to the other plane. False when all
// three distances are 0 (the triangles are coplanar).
bool interval(const float p[3], const float d[3], float out[2]) {
    int k, m, n;
    if (d[0] * d[1] > 0.0f) k = 2, m = 0, n = 1;
    else if (d[0] * d[2] > 0.0f) k = 1, m = 0, n = 2;
    else if (d[1] * d[2] > 0.0f || d[0] != 0.0f) k = 0, m = 1, n = 2;
    else if (d[1] != 0.0f) k = 1, m = 0, n = 2;
    else if (d[2] != 0.0f) k = 2, m = 0, n = 1;
    else return false;
    out[0] = p[k] + (p[m] - p[k]) * d[k] / (d[k] - d[m]);
    out[1] = p[k] + (p[n] - p[k]) * d[k] / (d[k] - d[n]);
    if (out[0] > out[1]) std::swap(out[0], out[1]);
    return true;
}

}  // namespace

bool triangle_triangle_intersection(const vec3_t &a0, const vec3_t &a1, const vec3_t &a2, const vec3_t &b0,
                                    const vec3_t &b1, const vec3_t &b2) {
    const vec3_t n1 = cross(a1 - a0, a2 - a0);
    const float d1 = -dot(n1, a0);
    float gb[3];
    plane_values(n1, d1, b0, b1, b2, gb);
    if (all_one_side(gb)) return false;

    const vec3_t n2 = cross(b1 - b0, b2 - b0);
    const float d2 = -dot(n2, b0);
    float ga[3];
    plane_values(n2, d2, a0, a1, a2, ga);
    if (all_one_side(ga)) return false;

    // The line where the planes meet runs along n1 × n2; its largest axis is enough to
    // order points on it. Ties keep the earlier axis.
    const vec3_t dir = cross(n1, n2);
    int axis = 0;
    float largest = std::fabs(dir.x);
    if (std::fabs(dir.y) > largest) axis = 1, largest = std::fabs(dir.y);
    if (std::fabs(dir.z) > largest) axis = 2;

    const float pa[3] = {a0[axis], a1[axis], a2[axis]};
    const float pb[3] = {b0[axis], b1[axis], b2[axis]};
    float ia[2], ib[2];
    if (!interval(pa, ga, ia)) return coplanar(n1, a0, a1, a2, b0, b1, b2);
    if (!interval(pb, gb, ib)) return coplanar(n1, a0, a1, a2, b0, b1, b2);
    return ia[1] >= ib[0] && ib[1] >= ia[0];
}

}  // namespace quarn
