#include "qrncore/qrnutils/ufs/root_device.h"

#include <cstring>

#include "qrncore/collections/vptrhash.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// The rest of path below the mount point, or null when the mount point does not hold
// the path. The match must end at a "/" or at the end of the path: raw bytes alone
// would hand "/homeX/y" to the device at "/home" as "X/y".
const char *below(const string &path, const mstring_t &mount_point) {
    const size_t n = mount_point.length();
    if (strncmp(path.c_str(), mount_point.c_str(), n) != 0) return nullptr;
    const char next = path.c_str()[n];
    if (n && next != 0 && next != '/') return nullptr;
    return path.c_str() + n;
}

// True when the mount point lies strictly below the path: it begins with the whole
// path and goes on with a "/". Sets the end of the next component after the path.
bool above_mount(const string &path, const mstring_t &mount_point, size_t *component_end) {
    const size_t n = path.length();
    if (mount_point.length() <= n || strncmp(path.c_str(), mount_point.c_str(), n) != 0 || mount_point[n] != '/') {
        return false;
    }
    const char *start = mount_point.c_str() + n + 1;
    const char *slash = strchr(start, '/');
    *component_end = slash ? size_t(slash - mount_point.c_str()) : mount_point.length();
    return true;
}

// Remembers the entries of a listing by type and name.
class entry_set_t {
public:
    // True when the entry was not there yet (and is now).
    bool add(const fs_direntry_t &entry) {
        m_key.printf("%u:%s", entry.type, entry.name.c_str());
        if (m_seen.find(m_key.c_str(), m_key.length())) return false;
        m_seen.put(m_key.c_str(), m_key.length(), this);
        return true;
    }

private:
    vptrhash_t m_seen;
    mstring_dyn_t m_key;
};

}  // namespace

fs_root_device_t::fs_root_device_t() : fs_device_t(string::EMPTY, false) {}

fs_root_device_t::~fs_root_device_t() = default;

bool fs_root_device_t::check_path(const string &path) {
    const char *p = path.c_str();
    if (!*p) return true;
    if (*p != '/') {
        error("[fs] invalid path \"%s\" (expected absolute path, starting with slash)", p);
        return false;
    }
    if (path.length() >= FS_PATH_MAX) {
        error("[fs] path too long (%zu bytes): \"%s\"", path.length(), p);
        return false;
    }
    for (const char *c = p; (c = strstr(c, "..")) != nullptr; c += 2) {
        const bool starts = c == p || c[-1] == '/';
        const bool ends = c[2] == 0 || c[2] == '/';
        if (starts && ends) {
            error("[fs] invalid path \"%s\" (\"..\" is not allowed)", p);
            return false;
        }
    }
    return true;
}

bool fs_root_device_t::mount(fs_device_t *device, const string &mount_point, int32_t priority) {
    if (!device) return false;
    if (!mount_point.is_empty() && mount_point[0] != '/') {
        error("[fs] invalid mount point \"%s\" (expected absolute path, starting with slash)", mount_point.c_str());
        return false;
    }
    fs_mount_t record;
    record.device = device;
    record.mount_point = mount_point;
    while (record.mount_point.length() && record.mount_point[record.mount_point.length() - 1] == '/') {
        record.mount_point.remove(record.mount_point.length() - 1, record.mount_point.length());
    }
    record.priority = priority;
    // After every mount of equal or higher priority, so equal priorities keep their
    // mounting order.
    uint32_t at = 0;
    while (at < m_mounts.get_count() && m_mounts[at].priority >= priority) ++at;
    if (at == m_mounts.get_count()) return m_mounts.append(std::move(record)) != nullptr;
    return m_mounts.insert(at, std::move(record)) != nullptr;
}

bool fs_root_device_t::unmount(fs_device_t *device) {
    for (uint32_t i = 0; i < m_mounts.get_count(); ++i) {
        if (m_mounts[i].device == device) {
            m_mounts.remove(i);
            return true;
        }
    }
    return false;
}

auto_ptr_t<file_t>::ret_t fs_root_device_t::walk_file(walk_t what, const string &path, const fs_window_t &window) {
    if (!check_path(path)) return nullptr;
    for (const fs_mount_t &m : m_mounts) {
        if (!window.contains(m.priority)) continue;
        const char *rest = below(path, m.mount_point);
        if (!rest || (what != WALK_OPEN && m.device->is_read_only())) continue;
        auto_ptr_t<file_t> file = what == WALK_OPEN     ? m.device->open(rest)
                                  : what == WALK_CREATE ? m.device->create(rest)
                                                        : m.device->append(rest);
        if (file) return file;
    }
    return nullptr;
}

template <class F>
bool fs_root_device_t::walk_bool(const string &path, const fs_window_t &window, F &&op) {
    if (!check_path(path)) return false;
    for (const fs_mount_t &m : m_mounts) {
        if (!window.contains(m.priority) || m.device->is_read_only()) continue;
        const char *rest = below(path, m.mount_point);
        if (rest && op(m.device, string(rest))) return true;
    }
    return false;
}

auto_ptr_t<file_t>::ret_t fs_root_device_t::open_in(const string &path, const fs_window_t &window) {
    return walk_file(WALK_OPEN, path, window);
}

auto_ptr_t<file_t>::ret_t fs_root_device_t::create_in(const string &path, const fs_window_t &window) {
    return walk_file(WALK_CREATE, path, window);
}

auto_ptr_t<file_t>::ret_t fs_root_device_t::append_in(const string &path, const fs_window_t &window) {
    return walk_file(WALK_APPEND, path, window);
}

bool fs_root_device_t::remove_in(const string &path, const fs_window_t &window) {
    return walk_bool(path, window, [](fs_device_t *d, const string &rest) { return d->remove(rest); });
}

bool fs_root_device_t::mkdir_in(const string &path, const fs_window_t &window) {
    return walk_bool(path, window, [](fs_device_t *d, const string &rest) { return d->mkdir(rest); });
}

bool fs_root_device_t::rmdir_in(const string &path, const fs_window_t &window) {
    return walk_bool(path, window, [](fs_device_t *d, const string &rest) { return d->rmdir(rest); });
}

bool fs_root_device_t::stat_in(const string &path, fs_stat_t *out, const fs_window_t &window) {
    if (!check_path(path)) return false;
    const fs_stat_t directory{FS_TYPE_DIRECTORY, 0, 0};
    if (path.is_empty()) {
        *out = directory;
        return true;
    }
    for (const fs_mount_t &m : m_mounts) {
        if (!window.contains(m.priority)) continue;
        size_t end;
        if (above_mount(path, m.mount_point, &end)) {
            *out = directory;
            return true;
        }
        const char *rest = below(path, m.mount_point);
        if (rest && m.device->stat(rest, out)) return true;
    }
    return false;
}

auto_ptr_t<fs_dirlist_t>::ret_t fs_root_device_t::read_dir_in(const string &path, bool full_paths,
                                                              const fs_window_t &window) {
    if (!check_path(path)) return nullptr;
    auto_ptr_t<fs_dirlist_t> result = fs_new_dirlist();
    if (!result) return nullptr;
    // Two mounts below "/home" both add "home": every entry is checked, so it is
    // listed once.
    entry_set_t seen;
    for (const fs_mount_t &m : m_mounts) {
        if (!window.contains(m.priority)) continue;
        size_t end;
        if (above_mount(path, m.mount_point, &end)) {
            fs_direntry_t entry(string::EMPTY, FS_TYPE_DIRECTORY);
            const uint32_t from = full_paths ? 0 : uint32_t(path.length() + 1);
            entry.name.copy(m.mount_point, 0, from, uint32_t(end) - from);
            if (seen.add(entry)) result->append(std::move(entry));
            continue;
        }
        const char *rest = below(path, m.mount_point);
        if (!rest) continue;
        auto_ptr_t<fs_dirlist_t> listed = m.device->read_dir(rest, full_paths);
        if (!listed) continue;
        for (fs_direntry_t &entry : *listed) {
            if (full_paths && !m.mount_point.is_empty()) {
                mstring_dyn_t name;
                name.printf("%s%s", m.mount_point.c_str(), entry.name.c_str());
                entry.name = std::move(name);
            }
            if (seen.add(entry)) result->append(std::move(entry));
        }
    }
    return result;
}

}  // namespace quarn
