#include "qrncore/qrnutils/ufs/std_mount.h"

#include <algorithm>
#include <cstring>

#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/usr_dirs.h"
#include "qrncore/strings/paths.h"
#include "qrncore/system/messages.h"

namespace quarn {

struct std_mount_t::record_t {
    uint32_t slot;
    bool create_directory;
    fs_device_type_t type;
    const char *path;  // null: given when mounting (home, temp, modifications)
    const char *mount_point;
    bool read_only;
    int32_t priority;
};

namespace {

using record_t = std_mount_t::record_t;

constexpr record_t RSRC_WRITABLE{3, true, FS_DEVICE_DIRECTORY, "rsrc", "", false, 150};
constexpr record_t RSRC{3, false, FS_DEVICE_DIRECTORY, "rsrc", "", true, 150};
constexpr record_t BASE_ARCHIVE{4, false, FS_DEVICE_ZIP, "base.tzk", "", true, 50};
constexpr record_t SECURE_ARCHIVE{5, false, FS_DEVICE_ZIP, "secure.tzk", "", true, 55};
constexpr record_t PATCH_ARCHIVE{6, false, FS_DEVICE_ZIP, "patch.tzk", "", true, 60};
constexpr record_t BASE{0, false, FS_DEVICE_DIRECTORY, "base", "", true, 450};
constexpr record_t BASE_LIST_ONLY{0, false, FS_DEVICE_LIST_ONLY, "base", "", true, 450};
constexpr record_t BASE_TEST{10, false, FS_DEVICE_DIRECTORY, "base_test", "", true, 451};
constexpr record_t BASE_TEST_LIST_ONLY{10, false, FS_DEVICE_LIST_ONLY, "base_test", "", true, 451};
constexpr record_t USER{1, true, FS_DEVICE_DIRECTORY, "user", "", true, 350};
constexpr record_t DEP_WRITABLE{2, true, FS_DEVICE_DIRECTORY, ".dep", "", false, 0};
constexpr record_t DEP{2, false, FS_DEVICE_DIRECTORY, ".dep", "", true, 0};
constexpr record_t CONVERTER{7, false, FS_DEVICE_CONVERTING, "", "", true, 200};
constexpr record_t HOME{std_mount_t::SLOT_HOME, true, FS_DEVICE_DIRECTORY, nullptr, "/home", false, 650};
constexpr record_t TEMP{std_mount_t::SLOT_TEMP, false, FS_DEVICE_DIRECTORY, nullptr, "/temp", false, 1};

struct mode_entry_t {
    const record_t *record;
    bool required;
};

constexpr mode_entry_t MODE_0[] = {{&BASE_ARCHIVE, true}};
constexpr mode_entry_t MODE_1[] = {{&BASE_ARCHIVE, true}, {&SECURE_ARCHIVE, true}};
constexpr mode_entry_t MODE_2[] = {{&PATCH_ARCHIVE, true}};
constexpr mode_entry_t MODE_5[] = {{&BASE_LIST_ONLY, true}, {&BASE_TEST_LIST_ONLY, false}, {&USER, false},
                                   {&DEP, true},            {&RSRC, true},                 {&BASE_ARCHIVE, false},
                                   {&CONVERTER, true}};
constexpr mode_entry_t MODE_6[] = {{&RSRC, true}, {&BASE_ARCHIVE, false}, {&USER, false}};
constexpr mode_entry_t MODE_8[] = {{&BASE, true}, {&BASE_TEST, false}, {&RSRC_WRITABLE, true}, {&DEP_WRITABLE, true}};

struct mode_table_t {
    const mode_entry_t *entries;
    uint32_t count;
};

template <size_t N>
constexpr mode_table_t table(const mode_entry_t (&entries)[N]) {
    return {entries, uint32_t(N)};
}

mode_table_t mode_table(int32_t mode) {
    switch (mode) {
    case STD_MOUNT_GAME: return table(MODE_0);
    case STD_MOUNT_GAME_SECURE: return table(MODE_1);
    case STD_MOUNT_PATCH: return table(MODE_2);
    case STD_MOUNT_CONVERTING:
    case STD_MOUNT_CONVERTING_ALT: return table(MODE_5);
    case STD_MOUNT_CONVERTED: return table(MODE_6);
    case STD_MOUNT_CONVERTER_OUTPUT: return table(MODE_8);
    default: return {nullptr, 0};
    }
}

// ASCII letters without case, then byte order, so equal names in other cases still
// come in a fixed order.
bool name_before(const fs_direntry_t *a, const fs_direntry_t *b) {
    const unsigned char *x = reinterpret_cast<const unsigned char *>(a->name.c_str());
    const unsigned char *y = reinterpret_cast<const unsigned char *>(b->name.c_str());
    for (size_t i = 0;; ++i) {
        unsigned cx = x[i], cy = y[i];
        if (cx >= 'A' && cx <= 'Z') cx += 'a' - 'A';
        if (cy >= 'A' && cy <= 'Z') cy += 'a' - 'A';
        if (cx != cy) return cx < cy;
        if (!cx) break;
    }
    return strcmp(a->name.c_str(), b->name.c_str()) < 0;
}

}  // namespace

std_mount_t::~std_mount_t() { unmount_directories(); }

void std_mount_t::clear_slot(uint32_t slot) {
    if (!m_slots[slot]) return;
    ufs_unmount(m_slots[slot]);
    m_slots[slot] = nullptr;
}

bool std_mount_t::mount_record(const record_t &record, const string &path) {
    if (record.create_directory && !fs_mkdir(path, FS_REALM_SYSTEM)) {
        error("[ufs] Unable to create directory '%s'.", path.c_str());
        return false;
    }
    fs_device_t *device = ufs_mount(record.type, path, record.mount_point, record.read_only, record.priority);
    if (!device) return false;
    clear_slot(record.slot);
    m_slots[record.slot] = device;
    return true;
}

bool std_mount_t::mount_directories(int32_t mode) {
    const mode_table_t t = mode_table(mode);
    if (!t.entries) return false;
    for (uint32_t i = 0; i < t.count; ++i) {
        const mode_entry_t &entry = t.entries[i];
        if (!mount_record(*entry.record, entry.record->path) && entry.required) {
            error("[ufs] Unable to mount required device '%s'.", entry.record->path);
            return false;
        }
    }
    return true;
}

void std_mount_t::unmount_directories() {
    for (uint32_t slot = 0; slot < SLOT_COUNT; ++slot) clear_slot(slot);
}

void std_mount_t::unmount_temp() { clear_slot(SLOT_TEMP); }

bool std_mount_t::get_home_directory(mstring_t &out, const string &subdir) {
    if (!usr_get_homedir(out)) return false;
    return out.printf_append("/%s", subdir.c_str());
}

bool std_mount_t::mount_home(const string &subdir) {
    fs_path_t path;
    if (!get_home_directory(path, subdir)) return false;
    message("[ufs] Home directory: '%s'.", path.c_str());
    if (!mount_record(HOME, path)) {
        error("[ufs] Home directory mount failed!");
        return false;
    }
    return true;
}

bool std_mount_t::mount_temp() {
    fs_path_t path;
    if (!usr_get_tempdir(path)) return false;
    verbose("[ufs] Temporary directory: '%s'.", path.c_str());
    if (!mount_record(TEMP, path)) {
        error("[ufs] Temporary directory mount failed.");
        return false;
    }
    return true;
}

uint32_t std_mount_t::mount_user_mods(const string &dir) {
    auto_ptr_t<fs_dirlist_t> listed = fs_read_dir(dir, true, FS_REALM_SYSTEM);
    if (!listed || listed->is_empty()) return 0;
    array_dyn_t<const fs_direntry_t *> order;
    for (const fs_direntry_t &entry : *listed) {
        if (!order.append(&entry)) return 0;
    }
    std::sort(order.get_data(), order.get_data() + order.get_count(), name_before);

    uint32_t mounted = 0;
    for (const fs_direntry_t *entry : order) {
        if (entry->type != FS_TYPE_FILE || !v_check_extension(entry->name, ".tzk")) continue;
        if (SLOT_FIRST_MOD + m_user_mods >= SLOT_COUNT) {
            error("[ufs] Too many user modifications to mount - remove some of modifications from the directory '%s'.",
                  dir.c_str());
            break;
        }
        const record_t mod{SLOT_FIRST_MOD + m_user_mods, false, FS_DEVICE_ZIP, nullptr, "", true,
                           int32_t(60 + m_user_mods)};
        if (!mount_record(mod, entry->name)) {
            error("[ufs] Failed mounting user modification '%s'.", entry->name.c_str());
            continue;
        }
        ++m_user_mods;
        ++mounted;
    }
    return mounted;
}

}  // namespace quarn
