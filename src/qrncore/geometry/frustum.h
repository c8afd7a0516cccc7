#pragma once
// The view volume of a camera, for culling. fov is the horizontal field of view in
// degrees; aspect is the vertical half-extent over the horizontal one. The local
// planes describe a camera at the origin looking along -Z; update() places them in
// the world. Planes are in the order left, right, top, bottom, near, far, facing in.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/geometry/aabox.h"
#include "qrncore/geometry/plane.h"
#include "qrncore/geometry/sphere.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"

namespace quarn {

class QRNCORE_API frustum_t {
public:
    static constexpr int PLANE_COUNT = 6;
    enum plane_index_t { LEFT, RIGHT, TOP, BOTTOM, NEAR, FAR };

    // fov 90, aspect 1, near 1, far 1000.
    frustum_t();
    frustum_t(float fov, float aspect, float near_distance, float far_distance);

    float get_fov() const { return m_fov; }
    float get_aspect_ratio() const { return m_aspect; }
    float get_near_plane() const { return m_near; }
    float get_far_plane() const { return m_far; }
    // Each marks the local planes for recomputation, only when the value changes.
    void set_fov(float fov);
    void set_aspect_ratio(float aspect);
    void set_near_plane(float near_distance);
    void set_far_plane(float far_distance);
    bool is_dirty() const { return m_dirty != 0; }

    // Places the world planes for a camera at position with the given rotation.
    // The world planes are valid only after this.
    void update(const vec3_t &position, const quat_t &rotation);

    // No world plane has the point behind it (points on a plane are inside).
    bool contains(const vec3_t &p) const;
    bool intersects(const sphere_t &sphere) const;
    // Conservative: may answer true for a box outside near the volume's edges.
    bool intersects(const aabox_t &box) const;

    const plane_t &get_plane(int i) const { return m_planes[i]; }
    const plane_t &get_local_plane(int i) const { return m_local[i]; }
    unsigned get_octant(int i) const { return m_octants[i]; }

private:
    void compute_local_planes();

    float m_fov, m_aspect, m_near, m_far;
    plane_t m_planes[PLANE_COUNT];
    plane_t m_local[PLANE_COUNT];
    unsigned m_octants[PLANE_COUNT] = {};
    uint8_t m_dirty = 0;
};

}  // namespace quarn
