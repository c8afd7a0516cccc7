#include "qrncore/geometry/plane_side.h"

#include <cmath>

#include "qrncore/geometry/plane_equation.h"

namespace quarn {

namespace {
float signed_value(const vec3_t &p, const vec4_t &plane) { return plane.x * p.x + plane.y * p.y + plane.z * p.z + plane.w; }
float support(const vec4_t &plane, const vec3_t &e) {
    return std::fabs(plane.x * e.x) + std::fabs(plane.y * e.y) + std::fabs(plane.z * e.z);
}
int sign_of(float t) { return t > 0.0f ? 1 : -1; }
}  // namespace

bool point_left(const vec4_t &point, const vec4_t &plane) { return dot(point, plane) <= 0.0f; }
bool point_left(const vec4_t &point, const vec4_t &plane, float eps) { return dot(point, plane) - eps <= 0.0f; }
bool point_right(const vec4_t &point, const vec4_t &plane) { return dot(point, plane) >= 0.0f; }
bool point_right(const vec4_t &point, const vec4_t &plane, float eps) { return dot(point, plane) + eps >= 0.0f; }

bool point_left(const vec3_t &p, const vec4_t &plane) { return signed_value(p, plane) <= 0.0f; }
bool point_left(const vec3_t &p, const vec4_t &plane, float eps) { return signed_value(p, plane) - eps <= 0.0f; }
bool point_right(const vec3_t &p, const vec4_t &plane) { return signed_value(p, plane) >= 0.0f; }
bool point_right(const vec3_t &p, const vec4_t &plane, float eps) { return signed_value(p, plane) + eps >= 0.0f; }

bool point_on_plane(const vec3_t &p, const vec4_t &plane, float eps) { return std::fabs(signed_value(p, plane)) < eps; }

int point_side(const vec3_t &p, const vec4_t &plane, float eps) {
    const float s = signed_value(p, plane);
    return std::fabs(s) <= eps ? 0 : sign_of(s);
}

int point_side(const vec3_t &p, const vec4_t &plane) {
    const float s = signed_value(p, plane);
    return s == 0.0f ? 0 : sign_of(s);
}

bool point_left(const vec3_t &p, const vec4_t &plane, const vec3_t &e) {
    return signed_value(p, plane) - support(plane, e) <= 0.0f;
}
bool point_left(const vec3_t &p, const vec4_t &plane, const vec3_t &e, float eps) {
    return signed_value(p, plane) - support(plane, e) - eps <= 0.0f;
}
bool point_left_inv(const vec3_t &p, const vec4_t &plane, const vec3_t &e, float eps) {
    return signed_value(p, plane) + support(plane, e) - eps <= 0.0f;
}
bool point_left_inv(const vec3_t &p, const vec4_t &plane, float radius, float eps) {
    const float r = std::fabs(radius * plane.x) + std::fabs(radius * plane.y) + std::fabs(radius * plane.z);
    return signed_value(p, plane) + r - eps <= 0.0f;
}
bool point_right(const vec3_t &p, const vec4_t &plane, const vec3_t &e) {
    return signed_value(p, plane) - support(plane, e) >= 0.0f;
}
bool point_right(const vec3_t &p, const vec4_t &plane, const vec3_t &e, float eps) {
    return signed_value(p, plane) - support(plane, e) + eps >= 0.0f;
}
bool point_right_inv(const vec3_t &p, const vec4_t &plane, const vec3_t &e, float eps) {
    return signed_value(p, plane) + support(plane, e) + eps >= 0.0f;
}

int point_side(const vec3_t &p, const vec4_t &plane, const vec3_t &e, float eps) {
    const float t = signed_value(p, plane) - support(plane, e);
    return std::fabs(t) <= eps ? 0 : (t >= 0.0f ? 1 : -1);
}

int point_side(const vec3_t &p, const vec4_t &plane, const vec3_t &e) {
    const float t = signed_value(p, plane) - support(plane, e);
    return t == 0.0f ? 0 : (t >= 0.0f ? 1 : -1);
}

bool point_on_plane(const vec3_t &p, const vec4_t &plane, const vec3_t &e, float eps) {
    return point_left(p, plane, e, eps) && point_left(p, -plane, e, eps);
}

bool valid_point(const vec3_t &p, float eps) {
    return std::fabs(p.x) <= eps && std::fabs(p.y) <= eps && std::fabs(p.z) <= eps;
}

bool compare_vpoint(const vec3_t &a, const vec3_t &b) { return compare_vpoint(a, b, 0.01f); }

bool compare_vpoint(const vec3_t &a, const vec3_t &b, float eps) {
    return std::fabs(a.x - b.x) < eps && std::fabs(a.y - b.y) < eps && std::fabs(a.z - b.z) < eps;
}

bool min_max_separated(const vec3_t &amin, const vec3_t &amax, const vec3_t &bmin, const vec3_t &bmax) {
    return amin.x > bmax.x || amax.x < bmin.x || amin.z > bmax.z || amax.z < bmin.z || amin.y > bmax.y ||
           amax.y < bmin.y;
}

namespace {
float plane_point_distance_squared(const vec4_t &p, const vec4_t &q) {
    vec3_t pp, pq;
    plane_point(&pp, p);
    plane_point(&pq, q);
    return length_squared(pp - pq);
}
}  // namespace

bool planes_identical(const vec4_t &p, const vec4_t &q, float eps) {
    const float d = dot(p, q);
    return d >= 1.0f - eps && plane_point_distance_squared(p, q) <= eps * eps && d > 0.0f;
}

bool planes_touch(const vec4_t &p, const vec4_t &q, float eps) {
    return std::fabs(dot(p, q)) >= 1.0f - eps && plane_point_distance_squared(p, q) <= eps * eps;
}

bool planes_reversed_identical(const vec4_t &p, const vec4_t &q, float eps) {
    return dot(p, q) + 1.0f < eps && std::sqrt(plane_point_distance_squared(p, q)) < eps;
}

}  // namespace quarn
