#pragma once
// quarn::fs_root_device_t: the device of realm 1, the mounted virtual tree. It holds
// the mounted devices, each with a mount point and a priority, highest priority
// first (mounts of equal priority keep the order in which they were mounted).
//
// Paths of the virtual tree are "" (the root) or begin with "/"; a component ".." is
// refused. A mount point holds a path when the path equals it or continues it with a
// "/": "/home" holds "/home" and "/home/x", never "/homeX". The walkers try the
// mounts in order and the first device that answers wins; a missing file is no
// error and nothing is logged for it.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/qrnutils/ufs/fs_device.h"

namespace quarn {

// An inclusive range of mount priorities; the plain operations use the default one.
struct fs_window_t {
    int32_t min = -100000;
    int32_t max = 100000;
    bool contains(int32_t priority) const { return priority >= min && priority <= max; }
};

struct fs_mount_t {
    fs_device_t *device = nullptr;  // not owned
    mstring_dyn_t mount_point;      // "" or "/a/b", without a trailing "/"
    int32_t priority = 0;
};

class QRNCORE_API fs_root_device_t : public fs_device_t {
public:
    fs_root_device_t();
    // Forgets the mounts; the mounted devices belong to whoever mounted them.
    ~fs_root_device_t() override;

    // Adds the device at the mount point ("" or an absolute prefix; a trailing "/" is
    // dropped) with the priority. False when the mount point is not "" and does not
    // begin with "/", or the host has no memory.
    bool mount(fs_device_t *device, const string &mount_point, int32_t priority);
    // Removes the device's mount; false when it is not mounted.
    bool unmount(fs_device_t *device);
    uint32_t get_mount_count() const { return m_mounts.get_count(); }
    const fs_mount_t &get_mount(uint32_t index) const { return m_mounts[index]; }

    // The device operations in the default window.
    auto_ptr_t<file_t>::ret_t open(const string &path) override { return open_in(path, fs_window_t{}); }
    auto_ptr_t<file_t>::ret_t create(const string &path) override { return create_in(path, fs_window_t{}); }
    auto_ptr_t<file_t>::ret_t append(const string &path) override { return append_in(path, fs_window_t{}); }
    bool remove(const string &path) override { return remove_in(path, fs_window_t{}); }
    bool stat(const string &path, fs_stat_t *out) override { return stat_in(path, out, fs_window_t{}); }
    bool mkdir(const string &path) override { return mkdir_in(path, fs_window_t{}); }
    bool rmdir(const string &path) override { return rmdir_in(path, fs_window_t{}); }
    auto_ptr_t<fs_dirlist_t>::ret_t read_dir(const string &path, bool full_paths) override {
        return read_dir_in(path, full_paths, fs_window_t{});
    }

    // The walkers over the mounts whose priority lies in the window. Open asks every
    // such mount holding the path; the others skip read-only devices.
    virtual auto_ptr_t<file_t>::ret_t open_in(const string &path, const fs_window_t &window);
    virtual auto_ptr_t<file_t>::ret_t create_in(const string &path, const fs_window_t &window);
    virtual auto_ptr_t<file_t>::ret_t append_in(const string &path, const fs_window_t &window);
    virtual bool remove_in(const string &path, const fs_window_t &window);
    virtual bool mkdir_in(const string &path, const fs_window_t &window);
    virtual bool rmdir_in(const string &path, const fs_window_t &window);
    // The root ("") and every directory above a mount point are directories with
    // time 0 and size 0; otherwise the first mount holding the path that answers.
    virtual bool stat_in(const string &path, fs_stat_t *out, const fs_window_t &window);
    // Every mount holding the path lists it (names prefixed with the mount point when
    // full paths are asked); mount points below the path add their next component as
    // a directory. An entry of the same name and type as an earlier one is left out,
    // so a higher mount hides what lies below it. The list is returned even when
    // nothing matched; null only when the path is refused or memory runs out.
    virtual auto_ptr_t<fs_dirlist_t>::ret_t read_dir_in(const string &path, bool full_paths, const fs_window_t &window);

    // True for "" and for paths that begin with "/", hold no ".." component and fit
    // FS_PATH_MAX; otherwise false with the reason logged.
    static bool check_path(const string &path);

private:
    enum walk_t { WALK_OPEN, WALK_CREATE, WALK_APPEND };
    auto_ptr_t<file_t>::ret_t walk_file(walk_t what, const string &path, const fs_window_t &window);
    template <class F>
    bool walk_bool(const string &path, const fs_window_t &window, F &&op);

    array_dyn_t<fs_mount_t> m_mounts;
};

}  // namespace quarn
