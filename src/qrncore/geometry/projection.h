#pragma once
// Projection matrices of the renderer front-ends (column vectors, row-major storage;
// the camera looks along -Z). Angles in degrees.
#include "qrncore/api.h"
#include "qrncore/geometry/plane.h"
#include "qrncore/math/mat_sq.h"

namespace quarn {

// A screen rectangle: left, right, top, bottom.
template <class T>
struct rectangle_t {
    T left{}, right{}, top{}, bottom{};
};

// Maps the box rect × [-near, -far] to the cube [-1, 1]³.
QRNCORE_API void r_ortho_projection_matrix(mat4_t *m, const rectangle_t<float> &rect, float near_distance,
                                           float far_distance);
QRNCORE_API void r_ortho_projection_inverse_matrix(mat4_t *m, const rectangle_t<float> &rect, float near_distance,
                                                   float far_distance);
// A symmetric perspective of horizontal field of view fov; aspect is width/height, and
// 0 takes it from the rectangle.
QRNCORE_API void r_frustum_projection_matrix(mat4_t *m, const rectangle_t<float> &rect, float near_distance,
                                             float far_distance, float fov, float aspect);
QRNCORE_API void r_frustum_projection_inverse_matrix(mat4_t *m, const rectangle_t<float> &rect, float near_distance,
                                                     float far_distance, float fov, float aspect);
// The near clipping plane of a projection matrix, in view space, normalised.
QRNCORE_API plane_t r_extract_near_plane(const mat4_t &m);

}  // namespace quarn
