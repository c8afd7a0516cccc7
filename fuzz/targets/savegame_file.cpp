// Reads arbitrary bytes as a savegame and as a high-score table. The bytes are served
// as "/home/savegame" scrambled the way the game writes it (so the reader sees them as
// they are) and as "/home/scores.unit". A save whose binding holds is resumed into a
// game; a table that loads takes a finished game and gives a token for every entry.
// Every unit made must be freed again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/game_data.h"
#include "game/session/savegame.h"
#include "game/session/score.h"
#include "game/unit_tree_file.h"
#include "kernel/console/cvars.h"
#include "platform/settings_store.h"
#include "qrncore/qrnutils/ufs/cfile.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"
#include "support/served_files.h"

namespace quarn {
namespace {

// Silences the log: errors are the expected answer to most inputs.
class quiet_t : public message_handler_t {
public:
    void process_message(const string &, message_t::type_t) override {}
};

test::served_files_t *home = nullptr;
cvar_t player_name("g_player_name", "Hunter");

bool user_name(char *out, size_t size) {
    if (size < 7) return false;
    memcpy(out, "ranger", 7);
    return true;
}
uint32_t binding_value() { return 0xbeef0001; }

bool set_up() {
    static quiet_t quiet;
    // The settings store of this run only.
    static std::string config = "/tmp/fernwold-fuzz-savegame-XXXXXX";
    if (!mkdtemp(config.data())) return false;
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    static const savegame_binding_t binding = {&user_name, &binding_value};
    savegame_set_binding(&binding);
    cvar_register_variable(&player_name);

    static unit_bank_t bank;
    if (!score_u::register_class(bank) || !score_table_u::register_class(bank) || !savegame_u::register_class(bank))
        return false;
    static unit_system_t system(bank);
    system.set_default();
    fs_startup();
    static test::served_files_t device;
    home = &device;
    return ufs_mount_device(&device, "/home", 1);
}

}  // namespace
}  // namespace quarn

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace quarn;
    static const bool ready = set_up();
    if (!ready) return 0;
    const uint32_t live_before = unit_base_t::get_live_count();
    std::string scrambled(reinterpret_cast<const char *>(data), size);
    cfile_scramble(scrambled.data(), uint32_t(scrambled.size()), 0);
    home->files["/savegame"] = scrambled;
    home->files["/scores.unit"] = std::string(reinterpret_cast<const char *>(data), size);
    platform::settings_write_string(SAVEGAME_SETTINGS_KEY, SAVEGAME_SETTINGS_VALUE, "beef0001");
    {
        game_data_t game;
        set_game_data(&game);
        game.round_count = 30;
        if (savegame_exists()) {
            if (!savegame_resume()) abort();  // it loaded a moment ago
            if (!game.get_running_score() || game.get_running_score() == game.get_checkpoint_score()) abort();
        }
        set_game_data(nullptr);

        owner_ptr_t<score_table_u> table(load_unit_tree<score_table_u>("/home/scores.unit"));
        if (table) {
            const uint32_t count = table->get_count();
            const int32_t place = table->insert(*game.get_running_score());
            if (table->get_count() != count || (place >= 0 && uint32_t(place) >= count)) abort();
            mstring_dyn_t token;
            for (uint32_t i = 0; i < count; ++i)
                if (score_u *entry = table->get_entry(i); entry && !entry->make_submit_token("", token)) abort();
        }
    }
    unit_system_t::clean_garbage();
    if (unit_base_t::get_live_count() != live_before) abort();
    return 0;
}
