#include "qrncore/geometry/frustum.h"

#include <cmath>

#include "qrncore/math/rotation.h"
#include "qrncore/math/scalar.h"

namespace quarn {

frustum_t::frustum_t() : frustum_t(90.0f, 1.0f, 1.0f, 1000.0f) {}

frustum_t::frustum_t(float fov, float aspect, float near_distance, float far_distance)
    : m_fov(fov), m_aspect(aspect), m_near(near_distance), m_far(far_distance) {
    compute_local_planes();
}

void frustum_t::compute_local_planes() {
    const float a = 1.0f / std::tan(m_fov * DEG_TO_RAD * 0.5f);
    const float s = 1.0f / std::sqrt(a * a + 1.0f);
    const float e = 1.0f / std::sqrt(a * a + m_aspect * m_aspect);
    m_local[LEFT] = {a * s, 0.0f, -s, 0.0f};
    m_local[RIGHT] = {-a * s, 0.0f, -s, 0.0f};
    m_local[TOP] = {0.0f, -a * e, -m_aspect * e, 0.0f};
    m_local[BOTTOM] = {0.0f, a * e, -m_aspect * e, 0.0f};
    m_local[NEAR] = {0.0f, 0.0f, -1.0f, -m_near};
    m_local[FAR] = {0.0f, 0.0f, 1.0f, m_far};
    m_dirty = 0;
}

void frustum_t::set_fov(float fov) {
    if (fov != m_fov) m_fov = fov, m_dirty = 1;
}

void frustum_t::set_aspect_ratio(float aspect) {
    if (aspect != m_aspect) m_aspect = aspect, m_dirty = 1;
}

void frustum_t::set_near_plane(float near_distance) {
    if (near_distance != m_near) m_near = near_distance, m_dirty = 1;
}

void frustum_t::set_far_plane(float far_distance) {
    if (far_distance != m_far) m_far = far_distance, m_dirty = 1;
}

void frustum_t::update(const vec3_t &position, const quat_t &rotation) {
    if (m_dirty) compute_local_planes();
    for (int i = 0; i < PLANE_COUNT; ++i) {
        vec3_t n;
        normal_rotate(&n, m_local[i].get_normal(), rotation);
        plane_t world{n.x, n.y, n.z, m_local[i].d - dot(n, position)};
        world.renormalize();
        m_planes[i] = world;
        m_octants[i] = world.get_normal_octant();
    }
}

bool frustum_t::contains(const vec3_t &p) const {
    for (const plane_t &plane : m_planes)
        if (plane.get_signed_distance(p) < 0.0f) return false;
    return true;
}

bool frustum_t::intersects(const sphere_t &sphere) const {
    for (const plane_t &plane : m_planes)
        if (plane.get_signed_distance(sphere.center) + sphere.radius < 0.0f) return false;
    return true;
}

bool frustum_t::intersects(const aabox_t &box) const {
    for (int i = 0; i < PLANE_COUNT; ++i)
        if (m_planes[i].get_signed_distance(box.get_corner(m_octants[i])) < 0.0f) return false;
    return true;
}

}  // namespace quarn
