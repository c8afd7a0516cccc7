#pragma once
// Folders of the user and of the program. The game and the launcher must both use
// these, so that they agree on where the user's files are.
#include <cstddef>

#include "platform/api.h"

namespace quarn::platform {

// The user's documents folder: $XDG_DOCUMENTS_DIR, else $HOME/Documents (created when
// missing). Writes at most size bytes with the terminator; false when it cannot be
// found, created, or does not fit.
QRN_PLATFORM_API bool user_documents_dir(char *out, size_t size);
// The temporary folder: $TMPDIR, else /tmp; without a trailing "/".
QRN_PLATFORM_API bool user_temp_dir(char *out, size_t size);
// The running program's own path, from /proc/self/exe.
QRN_PLATFORM_API bool program_path(char *out, size_t size);
// The folder holding the running program, without a trailing "/".
QRN_PLATFORM_API bool program_dir(char *out, size_t size);
// A folder named name inside the documents folder, created when missing.
QRN_PLATFORM_API bool user_documents_subdir(const char *name, char *out, size_t size);

// The process's working directory; false when it does not fit size bytes.
QRN_PLATFORM_API bool working_dir_get(char *out, size_t size);
// Makes path the working directory; false when it cannot.
QRN_PLATFORM_API bool working_dir_set(const char *path);

}  // namespace quarn::platform
