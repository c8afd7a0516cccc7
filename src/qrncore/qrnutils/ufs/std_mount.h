#pragma once
// quarn::std_mount_t: the standard sets of data sources of a program built on the
// engine: archives and directories beside the program (paths relative to the working
// directory, which the kernel makes the program's own), the user's home folder at
// "/home", the temporary folder at "/temp" and user modification archives. Each set
// is a fixed table chosen by a mode; the object keeps every device it mounted in a
// slot and unmounts them when it is destroyed.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/qrnutils/ufs/fs_device.h"
#include "qrncore/strings/mstring.h"
#include "qrncore/strings/string.h"

namespace quarn {

// Only the numbers are fixed; modes 3 and 4 (and every other value) mount nothing.
enum std_mount_mode_t : int32_t {
    STD_MOUNT_GAME = 0,                // "base.tzk"
    STD_MOUNT_GAME_SECURE = 1,         // "base.tzk" and "secure.tzk"
    STD_MOUNT_PATCH = 2,               // "patch.tzk"
    STD_MOUNT_CONVERTING = 5,          // sources list-only, converted on demand
    STD_MOUNT_CONVERTED = 6,           // converted resources, "base.tzk", "user"
    STD_MOUNT_CONVERTING_ALT = 7,      // the entries of mode 5
    STD_MOUNT_CONVERTER_OUTPUT = 8,    // sources, and writable "rsrc" and ".dep" for the converter
};

// The name of the game's home folder inside the user's documents folder.
inline constexpr const char *STD_HOME_FOLDER = "Fernwold";

class QRNCORE_API std_mount_t {
public:
    static constexpr uint32_t SLOT_COUNT = 20;
    static constexpr uint32_t SLOT_TEMP = 8;
    static constexpr uint32_t SLOT_HOME = 9;
    static constexpr uint32_t SLOT_FIRST_MOD = 11;

    std_mount_t() = default;
    // Unmounts and destroys every device still in a slot.
    ~std_mount_t();
    std_mount_t(const std_mount_t &) = delete;
    std_mount_t &operator=(const std_mount_t &) = delete;

    // Mounts the mode's entries in order. False without a message for a mode with no
    // table; false at once, logged, when a required entry fails (entries mounted
    // before stay). Optional entries that fail are skipped.
    bool mount_directories(int32_t mode);
    // Unmounts and destroys every device in the slots.
    void unmount_directories();
    // The same for the temporary folder alone.
    void unmount_temp();

    // The documents folder, "/" and subdir. False when the documents folder is not
    // known.
    static bool get_home_directory(mstring_t &out, const string &subdir);
    // Mounts the folder subdir of the documents folder (made when missing) at "/home",
    // writable, at priority 650. False when the documents folder is not known (no
    // message) or the mount fails (logged).
    bool mount_home(const string &subdir);
    // Mounts the temporary folder at "/temp", writable, at priority 1.
    bool mount_temp();
    // Mounts the ".tzk" archives of the folder (a path of the system, realm 2) in
    // name order, case-insensitively, at priorities 60, 61, ...: later names hide the
    // same files in earlier ones. At most 9 are mounted over the object's life.
    // Returns how many this call mounted.
    uint32_t mount_user_mods(const string &dir);

    // The device in a slot, or null.
    fs_device_t *get_device(uint32_t slot) const { return slot < SLOT_COUNT ? m_slots[slot] : nullptr; }
    uint32_t get_user_mod_count() const { return m_user_mods; }

    struct record_t;

private:
    bool mount_record(const record_t &record, const string &path);
    void clear_slot(uint32_t slot);

    fs_device_t *m_slots[SLOT_COUNT] = {};
    uint32_t m_user_mods = 0;  // not reset by unmounting
};

}  // namespace quarn
