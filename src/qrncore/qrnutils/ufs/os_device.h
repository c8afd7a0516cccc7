#pragma once
// Devices over directories of the operating system. Every path is composed as
// root + path before it reaches the system; a composed path that does not fit
// FS_PATH_MAX is refused with a logged error.
#include "qrncore/api.h"
#include "qrncore/qrnutils/ufs/fs_device.h"

namespace quarn {

// A directory of the operating system (device type 0). Valid when its root is "" or
// names an existing directory. Files are opened only when they are regular disk
// files; listings leave out ".", "..", ".svn" and everything that is neither a file
// nor a directory.
class QRNCORE_API os_dir_device_t : public fs_device_t {
public:
    os_dir_device_t(const string &root, bool read_only);

    auto_ptr_t<file_t>::ret_t open(const string &path) override;
    // Both make the parent directory first; create empties an existing file.
    auto_ptr_t<file_t>::ret_t create(const string &path) override;
    auto_ptr_t<file_t>::ret_t append(const string &path) override;
    bool remove(const string &path) override;
    bool stat(const string &path, fs_stat_t *out) override;
    // True for ""; otherwise makes every missing directory along the path (failures
    // on the way are ignored) and then the path itself; one already there counts.
    bool mkdir(const string &path) override;
    bool rmdir(const string &path) override;
    auto_ptr_t<fs_dirlist_t>::ret_t read_dir(const string &path, bool full_paths) override;

private:
    auto_ptr_t<file_t>::ret_t open_file(const string &path, unsigned flags);
};

// A directory that only lists and stats (device type 1), always read-only: it asks
// the system device for root + path. With full paths the root is cut off the front of
// each name, so names read as device-relative paths.
class QRNCORE_API list_dir_device_t : public fs_device_t {
public:
    explicit list_dir_device_t(const string &root);

    bool stat(const string &path, fs_stat_t *out) override;
    auto_ptr_t<fs_dirlist_t>::ret_t read_dir(const string &path, bool full_paths) override;
};

}  // namespace quarn
