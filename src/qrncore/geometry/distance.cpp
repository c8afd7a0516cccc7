#include "qrncore/geometry/distance.h"

#include <cmath>

#include "qrncore/geometry/intersection.h"

namespace quarn {

float get_edge_squaredist(const vec3_t &a, const vec3_t &b, const vec3_t &p) {
    const vec3_t ap = p - a, ab = b - a;
    const float d = dot(ap, ab);
    return length_squared(ap) - d * d / length_squared(ab);
}

float get_edge_dist(const vec3_t &a, const vec3_t &b, const vec3_t &p) { return std::sqrt(get_edge_squaredist(a, b, p)); }

float project_point_on_line(const vec3_t &a, const vec3_t &b, const vec3_t &p, vec3_t *out) {
    const vec3_t ab = b - a;
    const float t = dot(p - a, ab) / length_squared(ab);
    *out = a + t * ab;
    return t;
}

float point_line_distance_squared(const vec3_t &a, const vec3_t &b, const vec3_t &p) {
    vec3_t q;
    return point_line_distance_squared(a, b, p, &q);
}

float point_line_distance_squared(const vec3_t &a, const vec3_t &b, const vec3_t &p, vec3_t *out) {
    project_point_on_line(a, b, p, out);
    return length_squared(*out - p);
}

float point_line_distance(const vec3_t &a, const vec3_t &b, const vec3_t &p) {
    return std::sqrt(point_line_distance_squared(a, b, p));
}

float point_line_distance(const vec3_t &a, const vec3_t &b, const vec3_t &p, vec3_t *out) {
    return std::sqrt(point_line_distance_squared(a, b, p, out));
}

float point_segment_distance_squared(const vec3_t &a, const vec3_t &b, const vec3_t &p) {
    vec3_t q;
    return point_segment_distance_squared(a, b, p, &q);
}

float point_segment_distance_squared(const vec3_t &a, const vec3_t &b, const vec3_t &p, vec3_t *out) {
    // A segment of two equal points gave t = NaN and a NaN distance; it is the point a.
    if (length_squared(b - a) == 0.0f) {
        *out = a;
        return length_squared(a - p);
    }
    vec3_t q;
    const float t = project_point_on_line(a, b, p, &q);
    *out = t < 0.0f ? a : (t > 1.0f ? b : q);
    return length_squared(*out - p);
}

float point_segment_distance(const vec3_t &a, const vec3_t &b, const vec3_t &p) {
    return std::sqrt(point_segment_distance_squared(a, b, p));
}

float point_segment_distance(const vec3_t &a, const vec3_t &b, const vec3_t &p, vec3_t *out) {
    return std::sqrt(point_segment_distance_squared(a, b, p, out));
}

void get_edge_point(const vec3_t &a, const vec3_t &b, const vec3_t &p, vec3_t *out) {
    const vec3_t ab = b - a;
    const vec3_t u = ab / length(ab);
    *out = a + u * dot(u, p - a);
}

float get_line_point_squaredist(const vec3_t &a, const vec3_t &b, const vec3_t &p, vec3_t *out) {
    get_edge_point(a, b, p, out);
    return length_squared(*out - p);
}

namespace {

// The foot along the normal against the given plane: the line p → p + n cut with it.
bool normal_foot(const vec3_t &p, const vec4_t &plane, float eps, vec3_t *out, float *dist) {
    const vec3_t n{plane.x, plane.y, plane.z};
    const vec3_t dir = (p + n) - p;
    vec3_t hit;
    // A degenerate normal left out unwritten (or "hit" p itself) and dist computed
    // from that; both are defined now (out = p, dist 0) and the failure is reported.
    if (length_squared(dir) < 1e-8f || compute_edge_plane_intersection(p, p + n, plane, &hit, eps) == 0) {
        *out = p;
        if (dist) *dist = 0.0f;
        return false;
    }
    *out = hit;
    if (dist) *dist = length(hit - p);
    return true;
}

}  // namespace

bool get_plane_normal_point(const vec3_t &p, const vec4_t &plane, vec3_t *out, float *dist) {
    return normal_foot(p, plane, 0.01f, out, dist);
}

bool get_plane_normal_point(const vec3_t &p, const vec4_t &plane, const vec3_t &e, vec3_t *out, float *dist) {
    const float r = std::fabs(plane.x * e.x) + std::fabs(plane.y * e.y) + std::fabs(plane.z * e.z);
    return normal_foot(p, vec4_t{plane.x, plane.y, plane.z, plane.w + r}, 0.0001f, out, dist);
}

float get_plane_dist(const vec3_t &p, const vec4_t &plane) {
    vec3_t foot;
    float dist = 0.0f;
    get_plane_normal_point(p, plane, &foot, &dist);
    return dist;
}

void project_vector2vector(const vec3_t &a, const vec3_t &b, vec3_t *out) {
    const vec3_t u = a / length(a);
    *out = u * dot(u, b);
}

void project_vector(const vec3_t &a, const vec3_t &b, vec3_t *out) {
    if (length_squared(b) == 0.0f) {
        *out = b;
        return;
    }
    const vec3_t c = cross(a, b);
    if (length_squared(c) == 0.0f) {
        *out = vec3_t{};
        return;
    }
    vec3_t u = cross(c, a);
    u = u / length(u);
    *out = u * dot(u, b);
}

}  // namespace quarn
