#pragma once
// quarn::fs_device_t: a source of files that can be mounted in the virtual tree or
// serve one realm. Paths handed to a device are relative to it: the root device cuts
// the mount point off ("/home/config.cfg" reaches a device mounted at "/home" as
// "/config.cfg"; a device mounted at "" gets the whole path). A device answers only
// for itself; a missing file is a null or false result, never a message, so the root
// device can go on to the next mount.
//
// Writing a device: derive from fs_device_t, answer what the source supports and
// leave the rest to the base (which refuses everything), mark the device not valid
// from the constructor when its source cannot be used (ufs_mount then drops it), and
// make files with new as classes derived from file_t.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/collections/list_dyn.h"
#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/strings/mstring.h"
#include "qrncore/strings/string.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/strings/string_fixed.h"
#include "qrncore/system/auto_ptr.h"
#include "qrncore/system/host_object.h"

namespace quarn {

enum fs_device_type_t : int32_t {
    FS_DEVICE_DIRECTORY = 0,   // a directory of the operating system
    FS_DEVICE_LIST_ONLY = 1,   // a directory that only lists and stats
    FS_DEVICE_CONVERTING = 2,  // converts resources on demand
    FS_DEVICE_ZIP = 3,         // a zip archive
};

// One entry of a directory listing: a bare name, or a path when full paths were asked.
struct fs_direntry_t {
    fs_direntry_t() = default;
    fs_direntry_t(const string &n, uint32_t t) : name(n), type(t) {}

    mstring_dyn_t name;
    uint32_t type = FS_TYPE_FILE;  // FS_TYPE_FILE or FS_TYPE_DIRECTORY
};

// Directory listings, handed to the caller.
using fs_dirlist_t = list_dyn_t<fs_direntry_t>;
inline constexpr uint32_t FS_DIRLIST_NODES_PER_BLOCK = 256;
// A new empty listing; null when the host has no memory.
QRNCORE_API auto_ptr_t<fs_dirlist_t>::ret_t fs_new_dirlist();

// Longest path, terminator included, that the file system builds (device-relative
// and composed operating-system paths). Longer paths are refused with a logged error
// rather than cut, so an operation never reaches another file.
inline constexpr uint32_t FS_PATH_MAX = 1024;
using fs_path_t = string_fixed_t<FS_PATH_MAX>;

// out = a + b. False, with an error logged, when the result does not fit out.
QRNCORE_API bool fs_compose_path(mstring_t &out, const string &a, const string &b);

class QRNCORE_API fs_device_t : public host_object_t {
public:
    // root: the prefix put in front of every path (no trailing "/").
    fs_device_t(const string &root, bool read_only);
    virtual ~fs_device_t();
    fs_device_t(const fs_device_t &) = delete;
    fs_device_t &operator=(const fs_device_t &) = delete;

    // An existing file for reading, or null.
    virtual auto_ptr_t<file_t>::ret_t open(const string &path);
    // A new, empty file for writing (an existing one is emptied), or null.
    virtual auto_ptr_t<file_t>::ret_t create(const string &path);
    // An existing or new file for writing, positioned at 0, or null.
    virtual auto_ptr_t<file_t>::ret_t append(const string &path);
    virtual bool remove(const string &path);
    virtual bool stat(const string &path, fs_stat_t *out);
    // root + path into out (just path for an empty root); false, logged, when it
    // does not fit out.
    virtual bool get_system_path(mstring_t &out, const string &path);
    virtual bool mkdir(const string &path);
    virtual bool rmdir(const string &path);
    // The entries of a directory: bare names, or with full_paths "path/name". Null
    // when the directory cannot be listed.
    virtual auto_ptr_t<fs_dirlist_t>::ret_t read_dir(const string &path, bool full_paths);
    // mkdir of the part of path before its last "/"; true without doing anything
    // when there is no "/" or only the first byte is one.
    virtual bool create_parent_directory(const string &path);
    // A text describing the device; empty for the devices of the library.
    virtual string get_description() const;

    void change_root(const string &root);
    const char *get_root() const { return m_root.c_str(); }
    bool is_read_only() const { return m_read_only; }
    bool is_valid() const { return m_valid; }

protected:
    void set_valid(bool valid) { m_valid = valid; }

    bool m_read_only;
    mstring_dyn_t m_root;
    bool m_valid = true;
};

}  // namespace quarn
