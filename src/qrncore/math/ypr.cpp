#include "qrncore/math/ypr.h"

#include <cmath>

#include "qrncore/math/matrix_table.h"
#include "qrncore/math/scalar.h"

namespace quarn {

void ypr_t::set_direction(const vec3_t &dir) {
    roll = 0.0f;
    const float len = length(dir);
    if (len < vec_traits_t<float>::EPSILON) {
        yaw = pitch = 0.0f;
        return;
    }
    pitch = safe_asin(dir.y / len) * RAD_TO_DEG;
    if (std::fabs(dir.z) < vec_traits_t<float>::EPSILON) {
        yaw = dir.x < 0.0f ? 90.0f : (dir.x > 0.0f ? 270.0f : 0.0f);
        return;
    }
    const float a = std::atan(dir.x / dir.z) * RAD_TO_DEG;
    if (dir.z >= 0.0f) yaw = a + 180.0f;
    else yaw = a < 0.0f ? a + 360.0f : a;
}

vec3_t ypr_t::get_direction() const {
    mat4_t m;
    fptr_matrix_set_rotate(&m, *this);
    const vec3_t forward{0.0f, 0.0f, -1.0f};
    vec3_t out;
    fptr_mult_normal_matrix_fast(&out, &forward, m, 1, sizeof(vec3_t), sizeof(vec3_t));
    return out;
}

}  // namespace quarn
