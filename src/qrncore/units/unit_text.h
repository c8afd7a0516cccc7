#pragma once
// The text forms of unit files that the writer produces: floats, bare or quoted texts.
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"

namespace quarn {

// Room for any float text: "&" and eight digits, or a "%g" form.
inline constexpr size_t UNIT_FLOAT_TEXT_SIZE = 24;

// The float as a unit file stores it: C's "%g" form for integral values strictly
// between -8000001 and 8000001 when that text reads back to the same bits, otherwise
// "&" and the eight lower-case hexadecimal digits of its bits. "%g" keeps six digits,
// so 1234567 would have come out as 1.23457e+06 and read back as another number; such
// values take the "&" form. Returns the length written (terminated).
QRNCORE_API size_t unit_float_text(char (&out)[UNIT_FLOAT_TEXT_SIZE], float value);

// True when the text is written bare: non-empty, letters, digits and underscores only.
QRNCORE_API bool unit_text_is_bare(const char *text, size_t length);

}  // namespace quarn
