#pragma once
// Shared libraries: open by path, look up symbols, close. The main program has a
// handle of its own that is never closed.
#include "platform/api.h"

namespace quarn::platform {

using module_t = void *;

// Opens a library with every symbol bound now and kept local to it; null on failure
// (module_error says why).
QRN_PLATFORM_API module_t module_open(const char *path);
// The main program's own handle; always the same value.
QRN_PLATFORM_API module_t module_main();
// Address of a symbol, or null.
QRN_PLATFORM_API void *module_symbol(module_t module, const char *name);
// Closes a library; the main program's handle and null are left alone.
QRN_PLATFORM_API void module_close(module_t module);
// The text of the last failure of this interface ("" when none).
QRN_PLATFORM_API const char *module_error();

}  // namespace quarn::platform
