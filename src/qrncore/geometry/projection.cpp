#include "qrncore/geometry/projection.h"

#include <cmath>

namespace quarn {

void r_ortho_projection_matrix(mat4_t *m, const rectangle_t<float> &rect, float n, float f) {
    *m = mat4_t{};
    const float w = rect.right - rect.left, h = rect.top - rect.bottom;
    m->m[0] = 2.0f / w;
    m->m[5] = 2.0f / h;
    m->m[10] = 2.0f / (n - f);
    m->m[3] = -(rect.left + rect.right) / w;
    m->m[7] = -(rect.top + rect.bottom) / h;
    m->m[11] = -(n + f) / (f - n);
    m->m[15] = 1.0f;
}

void r_ortho_projection_inverse_matrix(mat4_t *m, const rectangle_t<float> &rect, float n, float f) {
    *m = mat4_t{};
    m->m[0] = (rect.right - rect.left) / 2.0f;
    m->m[5] = (rect.top - rect.bottom) / 2.0f;
    m->m[10] = (n - f) / 2.0f;
    m->m[3] = (rect.left + rect.right) / 2.0f;
    m->m[7] = (rect.top + rect.bottom) / 2.0f;
    // The depth offset was +(near + far)/2, which sends depth -1 to +far instead of
    // -near: the sign is mended so this is the inverse of the matrix above.
    m->m[11] = -(n + f) / 2.0f;
    m->m[15] = 1.0f;
}

namespace {
// The half extents of the near rectangle: g across, h up.
void half_extents(const rectangle_t<float> &rect, float n, float fov, float aspect, float *g, float *h) {
    if (aspect == 0.0f) aspect = (rect.right - rect.left) / (rect.top - rect.bottom);
    *g = n * std::tan(fov * 0.008726646f);
    *h = *g / aspect;
}
}  // namespace

void r_frustum_projection_matrix(mat4_t *m, const rectangle_t<float> &rect, float n, float f, float fov,
                                 float aspect) {
    float g, h;
    half_extents(rect, n, fov, aspect, &g, &h);
    *m = mat4_t{};
    m->m[0] = n / g;
    m->m[5] = n / h;
    m->m[10] = (n + f) / (n - f);
    m->m[11] = 2.0f * n * f / (n - f);
    m->m[14] = -1.0f;
}

void r_frustum_projection_inverse_matrix(mat4_t *m, const rectangle_t<float> &rect, float n, float f, float fov,
                                         float aspect) {
    float g, h;
    half_extents(rect, n, fov, aspect, &g, &h);
    *m = mat4_t{};
    m->m[0] = g / n;
    m->m[5] = h / n;
    m->m[11] = -1.0f;
    m->m[14] = (n - f) / (2.0f * n * f);
    m->m[15] = (n + f) / (2.0f * n * f);
}

plane_t r_extract_near_plane(const mat4_t &m) {
    plane_t p{m.m[12] + m.m[8], m.m[13] + m.m[9], m.m[14] + m.m[10], m.m[15] + m.m[11]};
    p.renormalize();
    return p;
}

}  // namespace quarn
