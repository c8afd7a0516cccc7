#include "outside/visbase/camera.h"

#include <cmath>

#include "outside/qrnshared/parameter_packet.h"
#include "qrncore/math/matrix.h"

namespace quarn {

namespace {

struct camera_t {
    mat4_t view = mat4_t::identity();
    mat4_t world = mat4_t::identity();
    mat4_t projection = mat4_t::identity();
    // The six planes of projection·view, facing in: a, b, c, d per plane.
    float planes[6][4] = {};
    bool planes_valid = false;
};

camera_t current;

void compute_planes() {
    mat4_t clip;
    mult_matrix_matrix(&clip, current.view, current.projection);
    // Rows combined pairwise: left, right, bottom, top, near, far.
    for (int p = 0; p < 6; ++p) {
        const int row = p / 2;
        const float sign = (p % 2 == 0) ? 1.0f : -1.0f;
        float *plane = current.planes[p];
        for (int c = 0; c < 4; ++c) plane[c] = clip.at(3, c) + sign * clip.at(row, c);
        const float length = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
        if (length > 0.0f)
            for (float &v : current.planes[p]) v /= length;
    }
    current.planes_valid = true;
}

}  // namespace

void gfx_camera_load(const pp_camera_u &camera) {
    current.view = camera.view;
    current.world = camera.camera;
    current.projection = camera.projection;
    current.planes_valid = false;
}

const mat4_t &gfx_camera_matrix() { return current.view; }

const mat4_t &gfx_camera_world_matrix() { return current.world; }

const mat4_t &gfx_camera_projection() { return current.projection; }

bool gfx_sphere_visible(const sphere_t &sphere, const mat4_t &m) {
    if (!current.planes_valid) compute_planes();
    const vec3_t &c = sphere.center;
    float world[3];
    for (int r = 0; r < 3; ++r) world[r] = m.at(r, 0) * c.x + m.at(r, 1) * c.y + m.at(r, 2) * c.z + m.at(r, 3);
    float scale = 0.0f;
    for (int col = 0; col < 3; ++col) {
        const float s = std::sqrt(m.at(0, col) * m.at(0, col) + m.at(1, col) * m.at(1, col) + m.at(2, col) * m.at(2, col));
        if (s > scale) scale = s;
    }
    const float radius = sphere.radius * scale;
    for (const float *plane : current.planes) {
        if (plane[0] == 0.0f && plane[1] == 0.0f && plane[2] == 0.0f) continue;  // a degenerate projection row
        const float d = plane[0] * world[0] + plane[1] * world[1] + plane[2] * world[2] + plane[3];
        if (d < -radius) return false;
    }
    return true;
}

bool gfx_box_visible(const aabox_t &box) {
    if (!current.planes_valid) compute_planes();
    for (const float *plane : current.planes) {
        if (plane[0] == 0.0f && plane[1] == 0.0f && plane[2] == 0.0f) continue;
        // The corner farthest along the plane's normal: when even it is behind, the
        // whole box is.
        const float x = plane[0] >= 0.0f ? box.max.x : box.min.x;
        const float y = plane[1] >= 0.0f ? box.max.y : box.min.y;
        const float z = plane[2] >= 0.0f ? box.max.z : box.min.z;
        if (plane[0] * x + plane[1] * y + plane[2] * z + plane[3] < 0.0f) return false;
    }
    return true;
}

}  // namespace quarn
