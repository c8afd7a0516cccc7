#pragma once
// The user's folders as the file system mounts them: the documents folder (which
// holds the per-user "home" folder of a program) and the temporary folder. Both come
// from the platform layer, which the launcher uses too, so the two agree.
#include "qrncore/api.h"
#include "qrncore/strings/mstring.h"

namespace quarn {

// The user's documents folder, made when missing, with "/" separators and no
// trailing one. False when it cannot be found or does not fit out.
QRNCORE_API bool usr_get_homedir(mstring_t &out);
// The temporary folder, with "/" separators and no trailing one. False when it cannot
// be found or does not fit out.
QRNCORE_API bool usr_get_tempdir(mstring_t &out);

}  // namespace quarn
