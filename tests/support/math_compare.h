#pragma once
// Numeric tolerances of the math tests, written once, gtest predicates that compare
// vectors, quaternions and matrices component by component and print both sides when
// they differ, and the rotations the tests are written in.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "qrncore/math/mat_sq.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/scalar.h"
#include "qrncore/math/vec.h"

namespace quarn::test {

// A few float steps around 1: results of one short chain of float operations.
inline constexpr float TOL_ULPS = 2e-6f;
// Unit-sized results of longer chains (rotations, products, inverses).
inline constexpr float TOL_UNIT = 1e-5f;
// Results that went through trigonometry and back, in the units they come back in
// (radians, unit vectors, or positions of a few units).
inline constexpr float TOL_TRIG = 1e-4f;
// Angles in degrees after a round trip through a quaternion.
inline constexpr float TOL_DEGREES = 2e-3f;

inline bool close(float a, float b, float tol) { return std::fabs(a - b) <= tol; }

template <int N>
::testing::AssertionResult vec_near(const vec_t<float, N> &a, const vec_t<float, N> &b, float tol) {
    for (int i = 0; i < N; ++i) {
        if (!close(a[i], b[i], tol)) {
            std::ostringstream s;
            s << "(";
            for (int k = 0; k < N; ++k) s << (k ? ", " : "") << a[k];
            s << ") differs from (";
            for (int k = 0; k < N; ++k) s << (k ? ", " : "") << b[k];
            s << ") at " << i << " beyond " << tol;
            return ::testing::AssertionFailure() << s.str();
        }
    }
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult quat_near(const quat_t &a, const quat_t &b, float tol) {
    return vec_near(vec4_t{a.w, a.x, a.y, a.z}, vec4_t{b.w, b.x, b.y, b.z}, tol);
}

// The same rotation: q or -q.
inline ::testing::AssertionResult same_rotation(const quat_t &a, const quat_t &b, float tol) {
    if (quat_near(a, b, tol)) return ::testing::AssertionSuccess();
    return quat_near(a, quat_t{-b.w, -b.x, -b.y, -b.z}, tol);
}

inline ::testing::AssertionResult mat_near(const mat4_t &a, const mat4_t &b, float tol) {
    for (int i = 0; i < 16; ++i) {
        if (!close(a.m[i], b.m[i], tol)) {
            std::ostringstream s;
            s << "element " << i << ": " << a.m[i] << " vs " << b.m[i] << " beyond " << tol;
            return ::testing::AssertionFailure() << s.str();
        }
    }
    return ::testing::AssertionSuccess();
}

// The rotation by degrees about axis (any length).
inline quat_t axis_angle(const vec3_t &axis, float degrees) {
    quat_t q;
    q.set_axis_angle(axis, degrees * DEG_TO_RAD);
    return q;
}

}  // namespace quarn::test
