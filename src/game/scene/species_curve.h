#pragma once
// The species' day curves of the game definition ("thirst_pattern", "rest_pattern":
// "hour:value" pairs) and the two whole-token readers they are made of.
#include <cstddef>
#include <cstdint>

namespace quarn {

class def_obj_t;

// A whole number of at most 9 decimal digits, the whole token.
bool curve_read_hour(const char *text, size_t length, int32_t &out);
// A finite decimal real, the whole token (at most 63 bytes).
bool curve_read_real(const char *text, size_t length, float &out);

// The value of a species' day curve ("6:0.4:12:0.2:..." pairs of a whole hour and a
// value, hours rising from above 0) at x: the first value before the first hour, the
// line between neighbouring pairs, the last value after the last hour. A missing key,
// and a list that does not read or does not rise, give default_value (logged).
float read_species_curve(const def_obj_t &species, const char *key, float x, float default_value);

}  // namespace quarn
