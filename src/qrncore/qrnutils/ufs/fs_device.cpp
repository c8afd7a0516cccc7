#include "qrncore/qrnutils/ufs/fs_device.h"

#include <cstring>

#include "qrncore/system/messages.h"

namespace quarn {

auto_ptr_t<fs_dirlist_t>::ret_t fs_new_dirlist() {
    return auto_ptr_t<fs_dirlist_t>(new fs_dirlist_t(FS_DIRLIST_NODES_PER_BLOCK));
}

bool fs_compose_path(mstring_t &out, const string &a, const string &b) {
    const size_t n = a.length() + b.length();
    if (n >= UINT32_MAX || !out.request_capacity(uint32_t(n + 1))) {
        error("[fs] path too long (%zu bytes): \"%s%s\"", n, a.c_str(), b.c_str());
        out.copy(string::EMPTY);
        return false;
    }
    out.copy(a);
    out.append(b);
    return true;
}

fs_device_t::fs_device_t(const string &root, bool read_only) : m_read_only(read_only), m_root(root) {}

fs_device_t::~fs_device_t() = default;

auto_ptr_t<file_t>::ret_t fs_device_t::open(const string &) { return nullptr; }
auto_ptr_t<file_t>::ret_t fs_device_t::create(const string &) { return nullptr; }
auto_ptr_t<file_t>::ret_t fs_device_t::append(const string &) { return nullptr; }
bool fs_device_t::remove(const string &) { return false; }
bool fs_device_t::stat(const string &, fs_stat_t *) { return false; }
bool fs_device_t::mkdir(const string &) { return false; }
bool fs_device_t::rmdir(const string &) { return false; }
auto_ptr_t<fs_dirlist_t>::ret_t fs_device_t::read_dir(const string &, bool) { return nullptr; }
string fs_device_t::get_description() const { return string::EMPTY; }

bool fs_device_t::get_system_path(mstring_t &out, const string &path) {
    return fs_compose_path(out, m_root, path);
}

bool fs_device_t::create_parent_directory(const string &path) {
    const char *slash = strrchr(path.c_str(), '/');
    if (!slash || slash == path.c_str()) return true;
    fs_path_t parent;
    if (!parent.copy(path, 0, 0, uint32_t(slash - path.c_str()))) {
        error("[fs] path too long: \"%s\"", path.c_str());
        return false;
    }
    return mkdir(parent);
}

void fs_device_t::change_root(const string &root) { m_root = root; }

}  // namespace quarn
