#pragma once
// The crash log: installs the crash reporter and names the file its reports are
// appended to.
#include "qrncore/api.h"

namespace quarn {

// Sets the default path and installs the reporter.
QRNCORE_API void dumper_init();
// Copies a path for the reports; null restores the default. False when the path is
// too long (the old one stays).
QRNCORE_API bool dumper_set_file_name(const char *path);
QRNCORE_API const char *dumper_get_file_name();
// Puts the previous handlers back.
QRNCORE_API void dumper_shutdown();

// The default crash file for a program path: the base name's extension replaced by
// ".crash", or ".crash" appended when the base name has none. Writes at most size
// bytes with the terminator; false when it does not fit.
QRNCORE_API bool dumper_default_path(const char *program, char *out, unsigned size);

}  // namespace quarn
