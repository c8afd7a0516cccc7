#pragma once
// Numbers as text, independent of the C library's locale. The integer readers
// follow the 32-bit runtime the data was written for: results saturate to 32 bits
// instead of wrapping the 64-bit `long` of this platform.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/strings/mstring.h"
#include "qrncore/strings/string.h"

namespace quarn {

// strtoul with 32-bit results: leading white space, an optional sign, for base 16
// (or base 0 with "0x") an optional "0x"/"0X", then digits. An overflow gives
// 0xFFFFFFFF; a minus sign negates the result modulo 2^32, after saturation (so "-"
// and an overflowing value give 1). No digits: 0 with *end = s. Bases 0 and 2-36.
QRNCORE_API uint32_t v_strtoul(const char *s, const char **end, int base);
// strtol with 32-bit results: saturates to INT32_MIN / INT32_MAX.
QRNCORE_API int32_t v_strtol(const char *s, const char **end, int base);
// strtod over the decimal grammar: leading white space, an optional sign, digits with
// an optional fraction, an optional exponent. No hexadecimal, infinity or NaN forms.
// Out of range: +/-HUGE_VAL or +/-0. No number: 0 with *end = s.
QRNCORE_API double v_strtod(const char *s, const char **end);

// "&" and the 8 lower-case hexadecimal digits of the float's bits: the form in which
// unit files store floats (1.0 gives "&3f800000").
QRNCORE_API bool float_to_string(mstring_t &out, float f);
// Reads "&" + hexadecimal bits, "$" + hexadecimal bits with the four bytes reversed,
// or a decimal number with at most one trailing 'f'. False, with out untouched, for
// anything else, including trailing blanks.
QRNCORE_API bool string_to_float(float &out, const string &text);

}  // namespace quarn
