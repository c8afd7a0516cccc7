#include "game/session/savegame.h"

#include "game/atomic_file.h"
#include "game/game_data.h"
#include "game/session/score.h"
#include "kernel/console/cvars.h"
#include "kernel/kernel_files.h"
#include "kernel/sys.h"
#include "platform/settings_store.h"
#include "platform/user_name.h"
#include "qrncore/qrnutils/ufs/cfile.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/strings/string_fixed.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_file_opener.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_save.h"

namespace quarn {

QRN_UNIT_DEFINE(savegame_u, "savegame",
                QRN_ATTR(security, UNIT_ATTR_STRING_ARRAY, "security"),
                QRN_ATTR(score, UNIT_ATTR_OWNER, "score"),
                QRN_ATTR(fever_points, UNIT_ATTR_UINT32, "fever_points"),
                QRN_ATTR(continue_coins, UNIT_ATTR_UINT32, "continue_coins"),
                QRN_ATTR(round_id, UNIT_ATTR_UINT32, "round_id"),
                QRN_ATTR(expert_mode, UNIT_ATTR_BOOL, "expert_mode"));

namespace {

// The user name buffer of the binding: 256 characters and the terminator.
constexpr size_t USER_NAME_SIZE = 257;
// The stored value is read into 64 bytes; a longer one reads as none.
constexpr size_t STORED_VALUE_SIZE = 64;

uint32_t random_binding_value() { return uint32_t(double(sys_rand()) * 4294967296.0); }

constexpr savegame_binding_t default_binding = {&platform::user_name, &random_binding_value};
constinit const savegame_binding_t *binding = &default_binding;

// The player name in effect; empty when the variable does not exist.
const char *player_name() {
    const cvar_t *v = cvar_get("g_player_name");
    return v ? v->get_text() : "";
}

bool read_user_name(char (&out)[USER_NAME_SIZE]) {
    if (binding->user_name(out, sizeof out)) return true;
    out[0] = 0;
    error("[savegame_u] The user name does not fit %u characters.", unsigned(USER_NAME_SIZE - 1));
    return false;
}

// A save includes no other file: its text is whatever the file held.
class no_include_opener_t : public unit_file_opener_t {
public:
    file_t *open(const char *path, uint32_t) override {
        error("[savegame_u] A savegame may include no file ('%s').", path);
        return nullptr;
    }
    void close(file_t *file) override { delete file; }
};

// The save in the file at path, when it loads and its binding holds; null otherwise.
owner_ptr_ret_t<savegame_u> load_bound_save(const char *path) {
    if (!fs_file_exists(string(path), FS_REALM_VIRTUAL)) return {};
    auto_ptr_t<file_t> file = fs_open(string(path), FS_REALM_VIRTUAL);
    if (!file) return {};
    auto_ptr_t<file_t> plain(new cfile_t(file));
    if (!plain) {
        error("[savegame_u] failed to crypt %s", path);
        return {};
    }
    unit_system_t *system = unit_system_t::get_default();
    if (!system) return {};
    no_include_opener_t opener;
    unit_load_t loader(*plain, *system, &opener, path);
    return loader.load_tree<savegame_u>();
}

// A save is written to SAVEGAME_TEMP_PATH, bound by storing its value, and then put
// in place. One that stopped between the last two steps (the program ended, or the
// move failed and the earlier value could not be put back) left the bound save under
// the temporary name: it is put in place now. The valid save, from wherever it was
// found, or null; moved says whether it now lies at SAVEGAME_PATH.
owner_ptr_ret_t<savegame_u> settle_save(bool &moved) {
    moved = true;
    owner_ptr_ret_t<savegame_u> save = load_bound_save(SAVEGAME_PATH);
    if (save) return save;
    save = load_bound_save(SAVEGAME_TEMP_PATH);
    if (!save) return save;
    moved = replace_with_temp_file(SAVEGAME_PATH);
    if (moved) message("[savegame_u] The save stored last is put in place of %s.", SAVEGAME_PATH);
    return save;
}

// The valid save (settled), when it names a round that exists; null otherwise.
owner_ptr_ret_t<savegame_u> load_save() {
    bool moved = false;
    owner_ptr_ret_t<savegame_u> save = settle_save(moved);
    // A round that is not there could never be resumed: such a save is none.
    const game_data_t *data = get_game_data();
    if (save && data && (save->round_id == 0 || save->round_id > data->round_count)) {
        error("[savegame_u] The savegame names round %u, which does not exist.", save->round_id);
        return {};
    }
    return save;
}

// Puts the value stored before a save back (or none, when there was none); false when
// the store refuses.
bool restore_stored_value(bool had_value, const char *value) {
    const bool ok = had_value ? platform::settings_write_string(SAVEGAME_SETTINGS_KEY, SAVEGAME_SETTINGS_VALUE, value)
                              : platform::settings_delete_value(SAVEGAME_SETTINGS_KEY, SAVEGAME_SETTINGS_VALUE);
    if (!ok) error("[savegame_u] The earlier %s could not be put back in the settings store.", SAVEGAME_SETTINGS_VALUE);
    return ok;
}

}  // namespace

void savegame_set_binding(const savegame_binding_t *new_binding) {
    binding = new_binding ? new_binding : &default_binding;
}

score_u *savegame_u::get_score() const { return unit_cast<score_u>(score.get()); }

bool savegame_u::_call_pre_save() {
    char user[USER_NAME_SIZE];
    string_fixed_t<16> value;
    if (!read_user_name(user) || !security.set_size(3) || !value.printf("%x", binding->new_value())) return false;
    security[0] = player_name();
    security[1] = user;
    security[2] = value;
    return unit_base_t::_call_pre_save();
}

bool savegame_u::_call_post_load() {
    if (!unit_base_t::_call_post_load()) return false;
    if (security.get_count() != 3) {
        error("[savegame_u] Invalid savegame [all].");
        return false;
    }
    if (!get_score()) {
        error("[savegame_u] Invalid savegame [score].");
        return false;
    }
    if (security[0] != player_name()) return false;
    char user[USER_NAME_SIZE];
    if (!read_user_name(user) || security[1] != user) return false;
    char stored[STORED_VALUE_SIZE] = "";
    if (!platform::settings_read_string(SAVEGAME_SETTINGS_KEY, SAVEGAME_SETTINGS_VALUE, stored, sizeof stored))
        stored[0] = 0;  // absent, a number or too long: none
    return !security[2].is_empty() && security[2] == stored;
}

bool savegame_write() {
    game_data_t *data = get_game_data();
    owner_ptr_t<savegame_u> save(data ? data->make_save() : owner_ptr_ret_t<savegame_u>());
    if (!save) {
        error("[savegame_u] There is no game to save.");
        return false;
    }
    // The new save's file is written where a save left under the temporary name lies.
    bool moved = false;
    if (settle_save(moved) && !moved) {
        error("[savegame_u] The save before could not be put in place: nothing is saved.");
        return false;
    }
    char earlier[STORED_VALUE_SIZE] = "";
    const bool had_value =
        platform::settings_read_string(SAVEGAME_SETTINGS_KEY, SAVEGAME_SETTINGS_VALUE, earlier, sizeof earlier);

    // 1. The file under the temporary name; the earlier save and its value stay valid.
    const atomic_write_result_t written = write_temp_file(SAVEGAME_PATH, [&](auto_ptr_t<file_t> &file) {
        auto_ptr_t<file_t> scrambled(new cfile_t(file));
        if (!scrambled) {
            error("[savegame_u] failed to crypt %s", SAVEGAME_PATH);
            return false;
        }
        unit_save_t saver(*scrambled, UNIT_TRAVERSE_OWNED_SYSTEM);
        saver.add(save.get());
        return saver.save(UNIT_PAYLOAD_TEXT);
    });
    if (written == ATOMIC_WRITE_NOT_CREATED) error("[savegame_u] failed to create %s", SAVEGAME_TEMP_PATH);
    if (written != ATOMIC_WRITE_DONE) return false;
    // 2. The value: from here on the new save is the one that loads, under either name.
    if (!platform::settings_write_string(SAVEGAME_SETTINGS_KEY, SAVEGAME_SETTINGS_VALUE, save->security[2].c_str())) {
        error("[savegame_u] The settings store refused %s: a save it does not bind could never load.",
              SAVEGAME_SETTINGS_VALUE);
        remove_temp_file(SAVEGAME_PATH);
        return false;
    }
    // 3. The file in place.
    if (replace_with_temp_file(SAVEGAME_PATH)) return true;
    // The earlier save is still in its file: its value goes back, so it still loads.
    // Without its value the new file is the one save that loads, and it stays.
    if (restore_stored_value(had_value, earlier)) remove_temp_file(SAVEGAME_PATH);
    return false;
}

bool savegame_exists() { return bool(load_save()); }

bool savegame_resume() {
    game_data_t *data = get_game_data();
    if (!data) {
        error("[savegame_u] There is no game to resume the save in.");
        return false;
    }
    owner_ptr_t<savegame_u> save(load_save());
    if (!save) return false;
    // The save goes once the game has taken it: one the game cannot take stays.
    if (!data->resume(*save)) return false;
    // The save may lie under the temporary name alone, when it could not be moved.
    if (fs_file_exists(string(SAVEGAME_PATH), FS_REALM_VIRTUAL) && !kernel_file_remove(string(SAVEGAME_PATH)))
        error("[savegame_u] failed to remove %s", SAVEGAME_PATH);
    remove_temp_file(SAVEGAME_PATH);
    if (!platform::settings_delete_value(SAVEGAME_SETTINGS_KEY, SAVEGAME_SETTINGS_VALUE))
        error("[savegame_u] failed to remove %s from the settings store", SAVEGAME_SETTINGS_VALUE);
    return true;
}

}  // namespace quarn
