#pragma once
// The dominant axes of a vector and snapping a vector to an axis.
#include "qrncore/api.h"
#include "qrncore/math/vec.h"

namespace quarn {

// The axis indices (0 x, 1 y, 2 z) by falling absolute component; ties go to the
// lower index. Nothing is written when a component is NaN. A vec4's w is ignored.
QRNCORE_API void axis_importance(const vec3_t &v, int *first, int *second, int *third);
QRNCORE_API void axis_importance(const vec4_t &v, int *first, int *second, int *third);

// True when exactly one component has |c| > eps and the other two |c| < eps (a
// component equal to eps makes it false). Then out (when given) receives v with the
// large component replaced by its sign (0 counting as positive) and the others by 0;
// otherwise out is untouched.
QRNCORE_API bool get_axis_aligned(const vec3_t &v, vec3_t *out, float eps);

}  // namespace quarn
