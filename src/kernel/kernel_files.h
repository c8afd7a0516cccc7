#pragma once
// The one way the kernel opens files: command files, "exec" and the configuration
// file name paths of the virtual tree ("/home/config.cfg").
#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/strings/string.h"

namespace quarn {

enum kernel_file_mode_t {
    KERNEL_FILE_READ,   // an existing file, for reading
    KERNEL_FILE_WRITE,  // created, or emptied when it exists, for writing
};

// The file at path, or null when it cannot be opened. Close it with kernel_file_close.
file_t *kernel_file_open(const string &path, kernel_file_mode_t mode);
void kernel_file_close(file_t *file);
// Puts the file at from in place of the one at to (which may not exist); false when
// it cannot.
bool kernel_file_replace(const string &from, const string &to);
// Deletes a file; false when it cannot.
bool kernel_file_remove(const string &path);

}  // namespace quarn
