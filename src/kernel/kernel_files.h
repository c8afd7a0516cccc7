#pragma once
// The one way the kernel opens files: command files, "exec" and the configuration
// file name paths of the virtual tree ("/home/config.cfg"), realm 1.
#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/strings/string.h"
#include "qrncore/system/auto_ptr.h"

namespace quarn {

enum kernel_file_mode_t {
    KERNEL_FILE_READ,   // an existing file, for reading
    KERNEL_FILE_WRITE,  // created, or emptied when it exists, for writing
};

// The file at path, or null (the file system logs why).
auto_ptr_t<file_t>::ret_t kernel_file_open(const string &path, kernel_file_mode_t mode);
// Puts the file at from, which must be to with a suffix ("/home/config.cfg.tmp"), in
// place of the file at to. Where the file lies in a folder of the operating system it
// is renamed over the old one in one step; elsewhere its bytes are copied over the
// old file and it is removed. False when neither works (both files are kept).
bool kernel_file_replace(const string &from, const string &to);
// Deletes a file; false when it cannot.
bool kernel_file_remove(const string &path);

}  // namespace quarn
