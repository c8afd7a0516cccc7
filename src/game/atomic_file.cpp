#include "game/atomic_file.h"

#include "kernel/kernel_files.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

bool temp_path_of(fs_path_t &temp, const char *path) {
    if (temp.printf("%s.tmp", path)) return true;
    error("[game] The path '%s' is too long for its temporary file.", path);
    return false;
}

}  // namespace

atomic_write_result_t write_temp_file(const char *path, atomic_writer_t writer, void *context) {
    fs_path_t temp;
    if (!temp_path_of(temp, path)) return ATOMIC_WRITE_NOT_CREATED;
    auto_ptr_t<file_t> file = kernel_file_open(temp, KERNEL_FILE_WRITE);
    if (!file) return ATOMIC_WRITE_NOT_CREATED;
    const bool written = writer(file, context);
    file.reset();  // closed before it is moved
    if (!written) {
        kernel_file_remove(temp);
        return ATOMIC_WRITE_NOT_WRITTEN;
    }
    return ATOMIC_WRITE_DONE;
}

bool replace_with_temp_file(const char *path) {
    fs_path_t temp;
    if (!temp_path_of(temp, path)) return false;
    if (kernel_file_replace(temp, string(path))) return true;
    error("[game] The file '%s' could not take the place of '%s': the old file is kept.", temp.c_str(), path);
    return false;
}

void remove_temp_file(const char *path) {
    fs_path_t temp;
    if (temp.printf("%s.tmp", path) && fs_file_exists(temp, FS_REALM_VIRTUAL)) kernel_file_remove(temp);
}

atomic_write_result_t write_file_atomically(const char *path, atomic_writer_t writer, void *context) {
    const atomic_write_result_t written = write_temp_file(path, writer, context);
    if (written != ATOMIC_WRITE_DONE) return written;
    if (replace_with_temp_file(path)) return ATOMIC_WRITE_DONE;
    remove_temp_file(path);
    return ATOMIC_WRITE_NOT_REPLACED;
}

bool copy_file_atomically(const char *to, const char *from) {
    auto_ptr_t<file_t> source = fs_open(string(from), FS_REALM_VIRTUAL);
    if (!source) {
        error("[game] The file '%s' cannot be copied to '%s': it does not open.", from, to);
        return false;
    }
    const atomic_write_result_t result =
        write_file_atomically(to, [&](auto_ptr_t<file_t> &target) { return fs_copy(*target, *source); });
    if (result == ATOMIC_WRITE_NOT_CREATED || result == ATOMIC_WRITE_NOT_WRITTEN)
        error("[game] The file '%s' could not be copied to '%s'.", from, to);
    return result == ATOMIC_WRITE_DONE;
}

}  // namespace quarn
