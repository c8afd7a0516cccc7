#include "qrncore/math/axes.h"

#include <cmath>

namespace quarn {

void axis_importance(const vec3_t &v, int *first, int *second, int *third) {
    const float a = std::fabs(v.x), b = std::fabs(v.y), c = std::fabs(v.z);
    int f, s, t;
    if (a >= b && a >= c) {
        f = 0;
        if (b >= c) s = 1, t = 2;
        else s = 2, t = 1;
    } else if (a <= b && b >= c) {
        f = 1;
        if (a >= c) s = 0, t = 2;
        else s = 2, t = 0;
    } else if (a <= c && b <= c) {
        f = 2;
        if (a >= b) s = 0, t = 1;
        else s = 1, t = 0;
    } else {
        return;  // a NaN among them
    }
    *first = f, *second = s, *third = t;
}

void axis_importance(const vec4_t &v, int *first, int *second, int *third) {
    axis_importance(vec3_t{v.x, v.y, v.z}, first, second, third);
}

bool get_axis_aligned(const vec3_t &v, vec3_t *out, float eps) {
    int large = 0, small = 0;
    for (int i = 0; i < 3; ++i) {
        const float a = std::fabs(v[i]);
        if (a > eps) ++large;
        else if (a < eps) ++small;
    }
    if (large != 1 || small != 2) return false;
    if (out) {
        for (int i = 0; i < 3; ++i)
            (*out)[i] = std::fabs(v[i]) > eps ? (v[i] >= 0.0f ? 1.0f : -1.0f) : 0.0f;
    }
    return true;
}

}  // namespace quarn
