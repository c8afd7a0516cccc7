#pragma once
// Formatted printing into C buffers. The lengths are those of the whole formatted
// text, even when the output was cut, so callers can size a second attempt.
#include <cstdarg>
#include <cstddef>

#include "qrncore/api.h"

namespace quarn {

// Formats into at most size bytes (terminated unless size is 0); returns the length
// of the full output, or a negative value on an encoding error.
QRNCORE_API int v_snprintf(char *buf, size_t size, const char *fmt, ...) V_PRINTF(3, 4);
QRNCORE_API int v_vsnprintf(char *buf, size_t size, const char *fmt, va_list args) V_PRINTF(3, 0);
// The length the formatted text would have.
QRNCORE_API int v_scprintf(const char *fmt, ...) V_PRINTF(1, 2);
QRNCORE_API int v_vscprintf(const char *fmt, va_list args) V_PRINTF(1, 0);
// Unbounded: the caller guarantees the room.
QRNCORE_API int v_sprintf(char *buf, const char *fmt, ...) V_PRINTF(2, 3);

}  // namespace quarn
