#include "qrncore/qrnutils/ufs/fs.h"

#include <cstring>
#include <new>
#include <utility>

#include "qrncore/qrnutils/ufs/mem_file.h"
#include "qrncore/qrnutils/ufs/os_device.h"
#include "qrncore/strings/paths.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

fs_device_t *system_device = nullptr;
fs_root_device_t *root_device = nullptr;
fs_archive_factory_t archive_factory = nullptr;
fs_converter_factory_t converter_factory = nullptr;

// The device of a realm; logs and gives null for another realm or before start-up.
fs_device_t *realm_device(fs_realm_t realm) {
    fs_device_t *device = fs_get_device(realm);
    if (!device) error("[fs] unable to retrive device pointer of specified type (%d)", int(realm));
    return device;
}

enum file_op_t { OP_OPEN, OP_CREATE, OP_APPEND };

auto_ptr_t<file_t>::ret_t file_operation(file_op_t op, const string &path, fs_realm_t realm) {
    if (realm == FS_REALM_VIRTUAL && path[0] != '/') {
        error("[fs] fs_open called with invalid path \"%s\" (expected absolute path, starting with slash)", path.c_str());
        return nullptr;
    }
    fs_device_t *device = realm_device(realm);
    if (!device) return nullptr;
    auto_ptr_t<file_t> file;
    switch (op) {
    case OP_OPEN:
        file = device->open(path);
        if (!file) error("[fs] Unable to open file for reading. (%s)", path.c_str());
        break;
    case OP_CREATE:
        file = device->create(path);
        if (!file) error("[fs] Unable to create file. (%s)", path.c_str());
        break;
    case OP_APPEND:
        file = device->append(path);
        if (!file) error("[fs] Unable to open file for appending. (%s)", path.c_str());
        break;
    }
    if (!file) return nullptr;
    if (op == OP_APPEND && !file->seek(0, FS_SEEK_END)) return nullptr;
    file->set_fs_realm(realm);
    return file;
}

void match_into(fs_dirlist_t &out, const string &path, fs_realm_t realm, const string &extension, bool recursive) {
    auto_ptr_t<fs_dirlist_t> listed = fs_read_dir(path, true, realm);
    if (!listed) return;
    for (fs_direntry_t &entry : *listed) {
        if (entry.type == FS_TYPE_FILE) {
            if (v_check_extension(entry.name, extension)) out.append(std::move(entry));
        } else if (entry.type == FS_TYPE_DIRECTORY && recursive) {
            match_into(out, entry.name, realm, extension, recursive);
        }
    }
}

}  // namespace

// ---- start-up ----

namespace {

// The two realm devices are deleted with the delete function of the start that made
// them: a later start may install other allocation functions.
host_delete_t devices_delete = nullptr;

template <class T, class... A>
T *make_realm_device(A &&...args) {
    void *memory = qrncore_system_new(sizeof(T));
    return memory ? ::new (memory) T(std::forward<A>(args)...) : nullptr;
}

void delete_realm_device(fs_device_t *device) {
    if (!device) return;
    device->~fs_device_t();
    devices_delete(device);
}

}  // namespace

void fs_startup() {
    fs_shutdown();
    devices_delete = qrncore_system_delete;
    system_device = make_realm_device<os_dir_device_t>(string::EMPTY, false);
    root_device = make_realm_device<fs_root_device_t>();
    if (!system_device || !root_device) error("[fs] no memory for the root devices");
}

void fs_shutdown() {
    delete_realm_device(root_device);
    root_device = nullptr;
    delete_realm_device(system_device);
    system_device = nullptr;
}

fs_device_t *fs_get_device(fs_realm_t realm) {
    if (realm == FS_REALM_VIRTUAL) return root_device;
    if (realm == FS_REALM_SYSTEM) return system_device;
    return nullptr;
}

fs_root_device_t *fs_get_root_device() { return root_device; }

// ---- devices and mounts ----

fs_archive_factory_t fs_set_archive_factory(fs_archive_factory_t factory) {
    return std::exchange(archive_factory, factory);
}

fs_converter_factory_t fs_set_converter_factory(fs_converter_factory_t factory) {
    return std::exchange(converter_factory, factory);
}

auto_ptr_t<fs_device_t>::ret_t fs_create_device(fs_device_type_t type, const string &path, bool read_only) {
    switch (type) {
    case FS_DEVICE_DIRECTORY:
        return auto_ptr_t<fs_device_t>(new os_dir_device_t(path, read_only));
    case FS_DEVICE_LIST_ONLY:
        return auto_ptr_t<fs_device_t>(new list_dir_device_t(path));
    case FS_DEVICE_CONVERTING:
        if (!converter_factory) {
            error("[fs] no converting device is available (%s)", path.c_str());
            return nullptr;
        }
        return auto_ptr_t<fs_device_t>(converter_factory(path));
    case FS_DEVICE_ZIP: {
        if (!archive_factory) {
            error("[fs] no archive device is available (%s)", path.c_str());
            return nullptr;
        }
        auto_ptr_t<file_t> archive = fs_open(path, FS_REALM_SYSTEM);
        if (!archive) return nullptr;
        return auto_ptr_t<fs_device_t>(archive_factory(archive));
    }
    }
    error("Error creating FS device!");
    return nullptr;
}

bool ufs_mount_device(fs_device_t *device, const string &mount_point, int32_t priority) {
    return root_device && root_device->mount(device, mount_point, priority);
}

bool ufs_unmount_device(fs_device_t *device) {
    if (!root_device || !root_device->unmount(device)) {
        error("Error unmounting device: device not found!");
        return false;
    }
    return true;
}

fs_device_t *ufs_mount(fs_device_type_t type, const string &path, const string &mount_point, bool read_only,
                       int32_t priority) {
    auto_ptr_t<fs_device_t> device = fs_create_device(type, path, read_only);
    if (!device) {
        error("UFS: error creating device!");
        return nullptr;
    }
    if (!device->is_valid()) return nullptr;
    if (!ufs_mount_device(device.get(), mount_point, priority)) {
        error("UFS: error mountig device!");
        return nullptr;
    }
    return device.release();
}

void ufs_unmount(fs_device_t *device) {
    if (!device) return;
    ufs_unmount_device(device);
    delete device;
}

fs_device_t *ufs_mount_romfs(const void *block, uint32_t size, const string &mount_point, int32_t priority) {
    auto_ptr_t<file_t> file = mem_file_bind(block, size);
    if (!file) {
        error("UFS: error binding romfs");
        return nullptr;
    }
    auto_ptr_t<fs_device_t> device(archive_factory ? archive_factory(file) : nullptr);
    if (!device || !device->is_valid()) {
        error("UFS: romfs device not valid!");
        return nullptr;
    }
    if (!ufs_mount_device(device.get(), mount_point, priority)) {
        error("UFS: error mountig romfs device!");
        return nullptr;
    }
    return device.release();
}

void sysfs_change_root(const string &path) {
    if (system_device) system_device->change_root(path);
}

// ---- files ----

auto_ptr_t<file_t>::ret_t fs_open(const string &path, fs_realm_t realm) { return file_operation(OP_OPEN, path, realm); }

auto_ptr_t<file_t>::ret_t fs_create(const string &path, fs_realm_t realm) {
    return file_operation(OP_CREATE, path, realm);
}

auto_ptr_t<file_t>::ret_t fs_append(const string &path, fs_realm_t realm) {
    return file_operation(OP_APPEND, path, realm);
}

bool fs_remove(const string &path, fs_realm_t realm) {
    fs_device_t *device = realm_device(realm);
    return device && device->remove(path);
}

bool fs_mkdir(const string &path, fs_realm_t realm) {
    fs_device_t *device = realm_device(realm);
    return device && device->mkdir(path);
}

bool fs_rmdir(const string &path, fs_realm_t realm) {
    fs_device_t *device = realm_device(realm);
    return device && device->rmdir(path);
}

bool fs_stat(const string &path, fs_stat_t *out, fs_realm_t realm) {
    // Devices write their answer unasked: a caller that only tests for the path gives
    // no record.
    fs_stat_t unused;
    fs_device_t *device = realm_device(realm);
    return device && device->stat(path, out ? out : &unused);
}

auto_ptr_t<fs_dirlist_t>::ret_t fs_read_dir(const string &path, bool full_paths, fs_realm_t realm) {
    fs_device_t *device = realm_device(realm);
    return device ? device->read_dir(path, full_paths) : nullptr;
}

bool fs_file_exists(const string &path, fs_realm_t realm) {
    fs_stat_t st;
    return fs_stat(path, &st, realm) && st.type == FS_TYPE_FILE;
}

bool fs_directory_exists(const string &path, fs_realm_t realm) {
    fs_stat_t st;
    return fs_stat(path, &st, realm) && st.type == FS_TYPE_DIRECTORY;
}

bool fs_copy(file_t &dest, file_t &src) {
    src.seek(0, FS_SEEK_SET);
    dest.seek(0, FS_SEEK_SET);
    uint64_t left = src.size();
    uint8_t chunk[4096];
    while (left) {
        const uint32_t n = left < sizeof chunk ? uint32_t(left) : uint32_t(sizeof chunk);
        if (!src.read(chunk, n)) {
            error("[ufs_copy] error reading source file %s", src.get_name());
            return false;
        }
        if (!dest.write(chunk, n)) {
            error("[ufs_copy] error writing dest file %s", dest.get_name());
            return false;
        }
        left -= n;
    }
    src.seek(0, FS_SEEK_SET);
    dest.seek(0, FS_SEEK_SET);
    return true;
}

bool ufs_copy(const string &dest_path, const string &src_path) {
    auto_ptr_t<file_t> src = fs_open(src_path, FS_REALM_VIRTUAL);
    if (!src) {
        error("[ufs_copy] Cannot open %s.", src_path.c_str());
        return false;
    }
    auto_ptr_t<file_t> dest = fs_create(dest_path, FS_REALM_VIRTUAL);
    if (!dest) {
        error("[ufs_copy] Cannot create copy of %s.", src_path.c_str());
        return false;
    }
    return fs_copy(*dest, *src);
}

auto_ptr_t<fs_text_lines_t>::ret_t fs_read_text_file(file_t &file) {
    fs_stat_t st;
    if (!file.stat(&st) || st.size >= UINT32_MAX) return nullptr;
    const uint32_t size = uint32_t(st.size);
    auto *text = static_cast<char *>(qrncore_system_new_vector(size_t(size) + 1));
    if (!text) return nullptr;
    auto_ptr_t<fs_text_lines_t> lines(new fs_text_lines_t);
    bool ok = lines && file.block_read(text, size, 0);
    if (ok) {
        // Every line break becomes a terminator; runs of them give no empty lines.
        for (uint32_t i = 0; i < size; ++i) {
            if (text[i] == '\r' || text[i] == '\n') text[i] = 0;
        }
        text[size] = 0;
        // A zero byte inside a line ends the text there; the rest of the line follows
        // as a line of its own rather than being lost.
        for (uint32_t i = 0; ok && i < size;) {
            if (!text[i]) {
                ++i;
                continue;
            }
            const uint32_t length = uint32_t(strlen(text + i));
            ok = lines->append(mstring_dyn_t(text + i)) != nullptr;
            i += length;
        }
    }
    qrncore_system_delete_vector(text);
    if (!ok) return nullptr;
    return lines;
}

bool fs_write_text_file(file_t &file, const array_t<mstring_dyn_t> &lines) {
    for (const mstring_dyn_t &line : lines) {
        if (!file.printf("%s\n", line.c_str())) return false;
    }
    return true;
}

auto_ptr_t<fs_dirlist_t>::ret_t fs_match_files(const string &path, fs_realm_t realm, const string &extension,
                                               bool recursive) {
    auto_ptr_t<fs_dirlist_t> out = fs_new_dirlist();
    if (out) match_into(*out, path, realm, extension, recursive);
    return out;
}

}  // namespace quarn
