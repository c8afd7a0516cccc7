#pragma once
// Checks made before a value reaches the physics library, which aborts the process
// on what they refuse. Each logs "[phys] <operation>: <reason>" and returns false;
// the caller then changes nothing.
#include "game/visuals/physics/physics_types.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"

namespace quarn {

bool phys_is_finite(float v);
bool phys_is_finite(const vec3_t &v);

// A finite value.
bool phys_check_finite(const char *operation, const char *what, float v);
// A finite vector.
bool phys_check_finite(const char *operation, const char *what, const vec3_t &v);
// A finite value above 0.
bool phys_check_positive(const char *operation, const char *what, float v);
// A finite value of 0 or more.
bool phys_check_not_negative(const char *operation, const char *what, float v);
// A finite vector of length EPSILON or more (a direction or an axis).
bool phys_check_direction(const char *operation, const char *what, const vec3_t &v);
// A finite rotation of length EPSILON or more; written back normalised.
bool phys_check_rotation(const char *operation, quat_t *q);
// A finite position and a rotation as above (normalised in place).
bool phys_check_pose(const char *operation, physics_pose_t *pose);
// A collision group or material row: 0..31.
bool phys_check_index(const char *operation, const char *what, int index);

}  // namespace quarn
