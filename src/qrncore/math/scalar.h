#pragma once
// Scalar constants and helpers shared by the math code. The angle factors are the
// float values every conversion uses, so angles round-trip the same way everywhere.
#include <cmath>

namespace quarn {

inline constexpr float DEG_TO_RAD = 0.017453292f;
inline constexpr float RAD_TO_DEG = 57.295776f;
inline constexpr float PI_F = 3.1415927f;
inline constexpr float TWO_PI_F = 6.2831855f;
inline constexpr float HALF_PI_F = 1.5707964f;

// Limits x to [lo, hi]. A NaN comes back unchanged.
template <class T>
constexpr T clamp_value(T x, T lo, T hi) {
    return x < lo ? lo : (x > hi ? hi : x);
}

// Limits x to [0, 1], as weights, shares and levels are. A NaN comes back unchanged.
constexpr float clamp01(float x) { return clamp_value(x, 0.0f, 1.0f); }
// The same for a level that must stay a number: a NaN gives 0.
constexpr float clamp01_nan_zero(float x) { return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f; }

// asin that never returns NaN for an argument that rounding pushed just past ±1.
inline float safe_asin(float x) { return std::asin(clamp_value(x, -1.0f, 1.0f)); }

}  // namespace quarn
