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

}  // namespace quarn::platform
