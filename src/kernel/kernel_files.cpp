#include "kernel/kernel_files.h"

#include <cstring>

#include "platform/files.h"
#include "qrncore/qrnutils/ufs/fs.h"

namespace quarn {

auto_ptr_t<file_t>::ret_t kernel_file_open(const string &path, kernel_file_mode_t mode) {
    return mode == KERNEL_FILE_READ ? fs_open(path, FS_REALM_VIRTUAL) : fs_create(path, FS_REALM_VIRTUAL);
}

bool kernel_file_replace(const string &from, const string &to) {
    const size_t to_len = to.length();
    if (from.length() <= to_len || strncmp(from.c_str(), to.c_str(), to_len) != 0) return false;
    const char *suffix = from.c_str() + to_len;
    fs_path_t from_system;
    {
        auto_ptr_t<file_t> file = fs_open(from, FS_REALM_VIRTUAL);
        if (!file) return false;
        file->get_system_location(from_system);
    }
    // Both names lie in the same folder of the virtual tree, so the same mount holds
    // them: the old file's place in the system is the new one's without the suffix.
    const size_t system_len = from_system.length();
    const size_t suffix_len = strlen(suffix);
    if (system_len > suffix_len && strcmp(from_system.c_str() + system_len - suffix_len, suffix) == 0) {
        // A file on the disk is only ever moved: copied over the old file, a copy that
        // stopped part way would leave neither whole.
        fs_path_t to_system;
        to_system.copy(from_system, 0, 0, uint32_t(system_len - suffix_len));
        return platform::file_replace(from_system.c_str(), to_system.c_str());
    }
    if (!from_system.is_empty()) return false;
    // A file with no place in the system (a memory device) has no rename: its bytes
    // are copied over the old file.
    auto_ptr_t<file_t> source = fs_open(from, FS_REALM_VIRTUAL);
    auto_ptr_t<file_t> target = source ? fs_create(to, FS_REALM_VIRTUAL) : nullptr;
    if (!target || !fs_copy(*target, *source)) return false;
    source.reset();
    return fs_remove(from, FS_REALM_VIRTUAL);
}

bool kernel_file_remove(const string &path) { return fs_remove(path, FS_REALM_VIRTUAL); }

}  // namespace quarn
