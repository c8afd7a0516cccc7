#include "game/visuals/physics/physics_checks.h"

#include <cmath>

#include "qrncore/system/messages.h"

namespace quarn {

bool phys_is_finite(float v) { return std::isfinite(v); }

bool phys_is_finite(const vec3_t &v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

bool phys_check_finite(const char *operation, const char *what, float v) {
    if (phys_is_finite(v)) return true;
    error("[phys] %s: %s is not a finite value", operation, what);
    return false;
}

bool phys_check_finite(const char *operation, const char *what, const vec3_t &v) {
    if (phys_is_finite(v)) return true;
    error("[phys] %s: %s (%g, %g, %g) is not finite", operation, what, double(v.x), double(v.y), double(v.z));
    return false;
}

bool phys_check_positive(const char *operation, const char *what, float v) {
    if (phys_is_finite(v) && v > 0.0f) return true;
    error("[phys] %s: %s %g must be a finite value above 0", operation, what, double(v));
    return false;
}

bool phys_check_not_negative(const char *operation, const char *what, float v) {
    if (phys_is_finite(v) && v >= 0.0f) return true;
    error("[phys] %s: %s %g must be a finite value of 0 or more", operation, what, double(v));
    return false;
}

bool phys_check_direction(const char *operation, const char *what, const vec3_t &v) {
    if (!phys_check_finite(operation, what, v)) return false;
    if (length(v) >= vec_traits_t<float>::EPSILON) return true;
    error("[phys] %s: %s (%g, %g, %g) has no length", operation, what, double(v.x), double(v.y), double(v.z));
    return false;
}

bool phys_check_rotation(const char *operation, quat_t *q) {
    const vec4_t v{q->w, q->x, q->y, q->z};
    if (!(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.w))) {
        error("[phys] %s: rotation is not finite", operation);
        return false;
    }
    // A rotation too short to normalise would leave the library with a zero
    // quaternion.
    if (length(v) < vec_traits_t<float>::EPSILON) {
        error("[phys] %s: rotation (%g, %g, %g, %g) is a zero quaternion", operation, double(v.x), double(v.y),
              double(v.z), double(v.w));
        return false;
    }
    q->normalize();
    return true;
}

bool phys_check_pose(const char *operation, physics_pose_t *pose) {
    return phys_check_finite(operation, "position", pose->position) && phys_check_rotation(operation, &pose->rotation);
}

bool phys_check_index(const char *operation, const char *what, int index) {
    if (index >= 0 && index < PHYSICS_GROUPS) return true;
    error("[phys] %s: %s %d is outside 0..%d", operation, what, index, PHYSICS_GROUPS - 1);
    return false;
}

}  // namespace quarn
