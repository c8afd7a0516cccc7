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
// place of the file at to. A file in a folder of the operating system is moved over
// the old one in one step that lasts (platform::file_replace), never copied over it:
// a copy stopped part way would leave neither whole. A file with no place in the
// system (a memory device) is copied over the old one and removed. False when that
// cannot be done; after a failed move both files are as they were.
bool kernel_file_replace(const string &from, const string &to);
// Deletes a file; false when it cannot.
bool kernel_file_remove(const string &path);

}  // namespace quarn
