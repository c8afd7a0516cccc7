#pragma once
// Numbers at the start of a text, read as the launcher's files expect: leading white
// space skipped, an optional sign, then digits up to the first character that is
// none. Results are 32 bits wide and saturate instead of wrapping.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quarn::kickup {

// Unsigned, base 10 or 16 (an optional "0x" before hexadecimal digits). A minus sign
// negates modulo 2^32; a number beyond 32 bits gives 0xFFFFFFFF. False when no digit
// was read; used receives the characters consumed.
bool read_unsigned_prefix(std::string_view text, int base, uint32_t *value, size_t *used = nullptr);
// Signed decimal; saturates at the ends of the 32-bit range. False when no digit was
// read.
bool read_signed_prefix(std::string_view text, int32_t *value, size_t *used = nullptr);
// Signed decimal, 0 for a text that holds no number.
int32_t read_int_or_zero(std::string_view text);

}  // namespace quarn::kickup
