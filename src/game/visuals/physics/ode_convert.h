#pragma once
// The layer is single precision; the library (built with double-precision dReal)
// gets every value converted at the call.
#include <ode/ode.h>

#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"

namespace quarn {

inline vec3_t ode_to_vec(const dReal *v) { return {float(v[0]), float(v[1]), float(v[2])}; }

// Both store w, x, y, z.
inline quat_t ode_to_quat(const dReal *q) { return {float(q[0]), float(q[1]), float(q[2]), float(q[3])}; }

inline void ode_from_quat(dQuaternion out, const quat_t &q) {
    out[0] = q.w;
    out[1] = q.x;
    out[2] = q.y;
    out[3] = q.z;
}

}  // namespace quarn
