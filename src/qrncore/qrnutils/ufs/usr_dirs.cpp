#include "qrncore/qrnutils/ufs/usr_dirs.h"

#include <cstring>

#include "platform/user_dirs.h"
#include "qrncore/qrnutils/ufs/fs_device.h"

namespace quarn {

namespace {

// Both folders take what the file system's paths take (FS_PATH_MAX).
bool copy_out(mstring_t &out, bool (*query)(char *, size_t)) {
    char path[FS_PATH_MAX];
    if (!query(path, sizeof path)) return false;
    return out.copy(path) && out.length() == strlen(path);
}

}  // namespace

bool usr_get_homedir(mstring_t &out) { return copy_out(out, platform::user_documents_dir); }

bool usr_get_tempdir(mstring_t &out) { return copy_out(out, platform::user_temp_dir); }

}  // namespace quarn
