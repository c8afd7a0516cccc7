#pragma once
// Small functions over C strings: the short text hash, trimming, bounded length and
// copies that return where they ended.
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"

namespace quarn {

// 16-bit text hash: h = h * 29 + c over the bytes taken as signed, then the high half
// folded in once (h + (h >> 16)), in 32-bit arithmetic; the low 16 bits. "" gives 0.
QRNCORE_API uint32_t v_strhash(const char *s);
// Removes trailing '\t', '\n', '\r' and ' ' bytes.
QRNCORE_API void v_chop(char *s);
// The first byte of s that is not white space in the "C" locale.
QRNCORE_API const char *v_skip_wspace(const char *s);
inline char *v_skip_wspace(char *s) { return const_cast<char *>(v_skip_wspace(static_cast<const char *>(s))); }

// Length of s, at most n.
QRNCORE_API size_t v_strnlen_impl(const char *s, size_t n);
// Copies src with its terminator; returns the address of the terminator in dst.
QRNCORE_API char *v_stpcpy_impl(char *dst, const char *src);
// Copies at most n bytes, stopping after the terminator; returns dst plus the number
// of bytes before the terminator (or dst + n when none was copied).
QRNCORE_API char *v_stpncpy_impl(char *dst, const char *src, size_t n);
// Moves a C string with its terminator; the areas may overlap either way. Returns dst.
QRNCORE_API char *v_move_string_impl(char *dst, const char *src);

}  // namespace quarn
