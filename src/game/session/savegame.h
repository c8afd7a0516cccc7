#pragma once
// savegame_u: a single game saved when the player quits from a hunt, resumed once from
// the play menu. It lives in "/home/savegame" as unit text scrambled through cfile_t,
// and is bound to the player name (g_player_name), the user the program runs as and a
// random value also kept in the settings store (key "Software\TZK Software\Fernwold",
// value "SaveMeasure"): a save that does not match all three is no save, and neither
// is one naming a round that does not exist. Resuming deletes the file and the value.
//
// Whatever fails, a save and its value stay valid together: the new file is written
// under "/home/savegame.tmp", its value stored, and only then the file put in place.
// A save that stopped between the last two steps is found under the temporary name,
// bound by the value, and put in place when the save is next looked for.
#include <cstddef>
#include <cstdint>

#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class score_u;

inline constexpr const char SAVEGAME_PATH[] = "/home/savegame";
inline constexpr const char SAVEGAME_TEMP_PATH[] = "/home/savegame.tmp";
inline constexpr const char SAVEGAME_SETTINGS_KEY[] = "Software\\TZK Software\\Fernwold";
inline constexpr const char SAVEGAME_SETTINGS_VALUE[] = "SaveMeasure";

class savegame_u : public unit_base_t {
    QRN_UNIT_CLASS(savegame_u, unit_base_t);

public:
    // Binds the save: security = [g_player_name, user name, a new binding value].
    // savegame_write stores the value once the file is written. False when the user
    // name does not fit.
    bool _call_pre_save() override;
    // Checks the binding: exactly three strings ("Invalid savegame [all]." otherwise),
    // equal to the player name, the user name and the stored value; and a score.
    bool _call_post_load() override;

    // The saved score record, or null.
    score_u *get_score() const;

    array_dyn_t<mstring_dyn_t> security;
    owner_ptr_t<unit_base_t> score;  // a score_u: the game's checkpoint
    uint32_t fever_points = 0;       // written as 0; the score carries the points
    uint32_t continue_coins = 0;     // written as 0; the score carries the coins
    uint32_t round_id = 0;           // the round to resume at
    bool expert_mode = false;
};

// Saves the game data's game at its checkpoint. False (logged) when there is no game,
// the save cannot be bound, or the file cannot be written or put in place; the
// earlier save then stays as it was, still loadable with its value.
bool savegame_write();
// True when a valid save loads.
bool savegame_exists();
// Loads a valid save, restarts the game from it, then deletes the file and the stored
// value. False (the save kept) when there is no valid save or no game data to take it.
bool savegame_resume();

// Where the binding comes from; tests put in their own. Null restores the defaults:
// platform::user_name and uint32_t(sys_rand() × 4294967296).
struct savegame_binding_t {
    bool (*user_name)(char *out, size_t size);
    uint32_t (*new_value)();
};
void savegame_set_binding(const savegame_binding_t *binding);

}  // namespace quarn
