#include "qrncore/qrnutils/ufs/os_device.h"

#include <cstring>

#include "platform/files.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

fs_stat_t stat_of(const platform::file_info_t &info) {
    fs_stat_t st;
    st.type = info.kind == platform::FILE_KIND_REGULAR     ? FS_TYPE_FILE
              : info.kind == platform::FILE_KIND_DIRECTORY ? FS_TYPE_DIRECTORY
                                                           : FS_TYPE_OTHER;
    st.time = info.time;
    st.size = info.size;
    return st;
}

// A disk file of the operating system. It keeps its composed path, so it stays
// usable (and can name itself) after its device is gone.
class os_file_t : public file_t {
public:
    os_file_t(const string &name, const string &system_path, platform::native_file_t &&file)
        : file_t(name), m_system_path(system_path), m_file(std::move(file)) {}

    auto_ptr_t<file_request_t>::ret_t block_read_request(void *buf, uint32_t len, uint64_t offset) override {
        return auto_ptr_t<file_request_t>(new file_request_t(*this, buf, len, offset, false));
    }
    auto_ptr_t<file_request_t>::ret_t block_write_request(const void *buf, uint32_t len, uint64_t offset) override {
        return auto_ptr_t<file_request_t>(new file_request_t(*this, const_cast<void *>(buf), len, offset, true));
    }
    void get_system_location(mstring_t &out) override { out.copy(m_system_path); }

protected:
    bool io_read(void *buf, uint32_t len, uint64_t offset) override { return m_file.read_at(buf, len, offset); }
    bool io_write(const void *buf, uint32_t len, uint64_t offset) override { return m_file.write_at(buf, len, offset); }
    bool io_stat(fs_stat_t *out) override {
        platform::file_info_t info;
        if (!m_file.stat(&info) || info.kind != platform::FILE_KIND_REGULAR) return false;
        *out = stat_of(info);
        return true;
    }

private:
    mstring_dyn_t m_system_path;
    platform::native_file_t m_file;
};

// Receives a system listing into a directory list.
class dirlist_fill_t : public platform::dir_visitor_t {
public:
    dirlist_fill_t(fs_dirlist_t &list, const string &prefix, bool full_paths)
        : m_list(list), m_prefix(prefix), m_full(full_paths) {
        // "path/name", without doubling a "/" the path already ends with.
        const size_t n = m_prefix.length();
        m_separator = n && m_prefix[n - 1] == '/' ? "" : "/";
    }

    void on_entry(const char *name, const platform::file_info_t &info) override {
        if (strcmp(name, ".svn") == 0) return;
        const fs_stat_t st = stat_of(info);
        if (st.type == FS_TYPE_OTHER) return;
        fs_direntry_t entry(string::EMPTY, st.type);
        if (m_full) entry.name.printf("%s%s%s", m_prefix.c_str(), m_separator, name);
        else entry.name = string(name);
        m_list.append(std::move(entry));
    }

private:
    fs_dirlist_t &m_list;
    string m_prefix;
    bool m_full;
    const char *m_separator;
};

}  // namespace

// ---- operating-system directory ----

os_dir_device_t::os_dir_device_t(const string &root, bool read_only) : fs_device_t(root, read_only) {
    platform::file_info_t info;
    set_valid(root.is_empty() || (platform::file_stat(root.c_str(), &info) && info.kind == platform::FILE_KIND_DIRECTORY));
}

auto_ptr_t<file_t>::ret_t os_dir_device_t::open_file(const string &path, unsigned flags) {
    fs_path_t system_path;
    if (!get_system_path(system_path, path)) return nullptr;
    platform::native_file_t file;
    if (!file.open(system_path.c_str(), flags | platform::FILE_DISK_ONLY)) return nullptr;
    return auto_ptr_t<file_t>(new os_file_t(path, system_path, std::move(file)));
}

auto_ptr_t<file_t>::ret_t os_dir_device_t::open(const string &path) { return open_file(path, platform::FILE_READ); }

auto_ptr_t<file_t>::ret_t os_dir_device_t::create(const string &path) {
    create_parent_directory(path);
    return open_file(path, platform::FILE_READ | platform::FILE_WRITE | platform::FILE_CREATE | platform::FILE_TRUNCATE);
}

auto_ptr_t<file_t>::ret_t os_dir_device_t::append(const string &path) {
    create_parent_directory(path);
    return open_file(path, platform::FILE_READ | platform::FILE_WRITE | platform::FILE_CREATE);
}

bool os_dir_device_t::remove(const string &path) {
    fs_path_t system_path;
    return get_system_path(system_path, path) && platform::file_remove(system_path.c_str());
}

bool os_dir_device_t::rmdir(const string &path) {
    fs_path_t system_path;
    return get_system_path(system_path, path) && platform::dir_remove(system_path.c_str());
}

bool os_dir_device_t::stat(const string &path, fs_stat_t *out) {
    fs_path_t system_path;
    platform::file_info_t info;
    if (!get_system_path(system_path, path) || !platform::file_stat(system_path.c_str(), &info)) return false;
    *out = stat_of(info);
    return true;
}

bool os_dir_device_t::mkdir(const string &path) {
    if (path.is_empty()) return true;
    fs_path_t system_path;
    if (!get_system_path(system_path, path)) return false;
    // Every directory on the way: each prefix that ends before a "/", the first byte
    // (a leading "/") excepted.
    const size_t root = m_root.length();
    char *text = system_path.data();
    for (size_t i = root + 1; text[i]; ++i) {
        if (text[i] != '/') continue;
        text[i] = 0;
        platform::dir_create(text);
        text[i] = '/';
    }
    return platform::dir_create(text);
}

auto_ptr_t<fs_dirlist_t>::ret_t os_dir_device_t::read_dir(const string &path, bool full_paths) {
    fs_path_t system_path;
    if (!get_system_path(system_path, path)) return nullptr;
    auto_ptr_t<fs_dirlist_t> list = fs_new_dirlist();
    if (!list) return nullptr;
    dirlist_fill_t fill(*list, path, full_paths);
    if (!platform::dir_list(system_path.c_str(), fill)) return nullptr;
    return list;
}

// ---- list-only directory ----

list_dir_device_t::list_dir_device_t(const string &root) : fs_device_t(root, true) {}

bool list_dir_device_t::stat(const string &path, fs_stat_t *out) {
    fs_path_t system_path;
    return get_system_path(system_path, path) && fs_stat(system_path, out, FS_REALM_SYSTEM);
}

auto_ptr_t<fs_dirlist_t>::ret_t list_dir_device_t::read_dir(const string &path, bool full_paths) {
    fs_path_t system_path;
    if (!get_system_path(system_path, path)) return nullptr;
    auto_ptr_t<fs_dirlist_t> list = fs_read_dir(system_path, full_paths, FS_REALM_SYSTEM);
    if (!list || !full_paths) return list;
    const uint32_t cut = m_root.length();
    for (fs_direntry_t &entry : *list) {
        if (entry.name.length() >= cut) entry.name.remove(0, cut);
    }
    return list;
}

}  // namespace quarn
