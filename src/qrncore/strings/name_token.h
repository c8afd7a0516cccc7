#pragma once
// 64-bit name tokens, from which unit and model names are made: up to 12 characters
// of "0"-"9", "a"-"z" and "_" packed in base 38, the first character in the least
// significant digit. Digit values run from 1 ('0') to 37 ('_'); 0 ends a token, so
// every token of 12 characters or fewer fits in 63 bits.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/strings/mstring.h"
#include "qrncore/strings/string.h"

namespace quarn {

// The digit value of each byte in a token (1-37), 0 for a byte that cannot stand in
// one: for scanners that pack tokens as they read them.
struct name_token_digits_t {
    uint8_t of[256] = {};
    constexpr name_token_digits_t() {
        for (int c = '0'; c <= '9'; ++c) of[c] = uint8_t(c - '0' + 1);
        for (int c = 'a'; c <= 'z'; ++c) of[c] = of[c - 'a' + 'A'] = uint8_t(c - 'a' + 11);
        of[int('_')] = 37;
    }
};
inline constexpr name_token_digits_t NAME_TOKEN_DIGITS;
// Most characters a token holds, and the base of its digits.
inline constexpr uint32_t NAME_TOKEN_MAX_CHARS = 12;
inline constexpr uint32_t NAME_TOKEN_BASE = 38;

// The token of text; upper-case letters read as lower-case ones and "" gives 0. False,
// with out untouched, for any other byte or more than 12 characters.
QRNCORE_API bool string_to_token(uint64_t &out, const string &text);
// The same for the length bytes at text (no terminator needed).
QRNCORE_API bool span_to_token(uint64_t &out, const char *text, uint32_t length);
// The string_to_token test without the value.
QRNCORE_API bool is_valid_token(const string &text);
// The lower-case text of token: bit 63 is ignored, characters come from the least
// significant digit up until a digit is 0, at most 13 of them. False when out cut it.
QRNCORE_API bool token_to_string(mstring_t &out, uint64_t token);

}  // namespace quarn
