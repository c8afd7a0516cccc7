#pragma once
// front_end_session_t: the one object that carries the player's game from the end of
// the game process's start-up to "quit": the game data, the windows the game has
// opened through it, and the local high-score table of "/home/scores.unit" (made from
// the defaults of "/script/scores.unit" on the first start).
//
// Every file it writes goes through a temporary file first, so a failed save keeps
// the old table.
#include <cstdint>

#include "game/game_alloc.h"
#include "game/game_data.h"
#include "game/session/score.h"
#include "game/session/window_desc.h"
#include "outside/qrnshared/c_item.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_ptr.h"
#include "qrncore/units/unit_save.h"

namespace quarn {

class session_ui_t;

inline constexpr const char SCORES_HOME_PATH[] = "/home/scores.unit";
inline constexpr const char SCORES_DEFAULT_PATH[] = "/script/scores.unit";

class front_end_session_t {
public:
    QRN_GAME_ALLOC

    // Becomes the module's session and sets its game data as the game's. Copies the
    // default table to "/home/scores.unit" when that file does not exist, then loads
    // it; a file that does not load (or whose root is no score table) leaves the
    // session without a table, and the file as it is. Windows open in the UI layer's
    // window table, or in ui (not owned; null: no windows open).
    front_end_session_t();
    explicit front_end_session_t(session_ui_t *ui);
    // Closes every open window, releases the table and the game data, and stops being
    // the module's session.
    ~front_end_session_t();
    front_end_session_t(const front_end_session_t &) = delete;
    front_end_session_t &operator=(const front_end_session_t &) = delete;

    game_data_t &get_game_data() { return m_game_data; }
    // The table while it is alive, else null.
    score_table_u *get_high_scores() const;
    // Writes the table to "/home/scores.unit"; false (logged, old file kept) when it
    // cannot, or when there is no table.
    bool save_high_scores();
    // Puts the defaults in place of "/home/scores.unit" and makes them the table.
    // False when the copy fails (the table and the file stay) or the defaults do not
    // load (the session is then without a table).
    bool reset_high_scores();

    // The open window of the row's group and name (letter case ignored), or null.
    c_item_t *find_window(const window_desc_t &row) const;
    // The open window of the row, inserted from its layout with its insert flags when
    // it is not open (the session then holds a reference on it). Null when it cannot
    // be inserted.
    c_item_t *open_window(const window_desc_t &row);
    // open_window, then shown with the row's show flags.
    c_item_t *show_window(const window_desc_t &row);
    // Hides the window (nothing for null or a session without a window table); it stays
    // open.
    void hide_window(c_item_t *window);
    // Removes every window opened through the session and drops its references.
    void close_all_windows();
    uint32_t get_open_window_count() const { return m_windows.get_count(); }

    // Writes the unit and what it owns (by the traversal mode) as unit text to path,
    // through a temporary file. False, logged, with the old file kept, on failure.
    static bool save_unit_tree(unit_base_t *unit, const char *path, unit_traversal_mode_t mode);
    // "/map/<name>/".
    static bool make_map_dir(mstring_t &out, const char *map_name);

private:
    struct open_window_t {
        c_item_ptr_t item;
        mstring_dyn_t group;
        mstring_dyn_t name;
    };

    // Loads "/home/scores.unit" as the table (null when it does not load).
    void load_high_scores();

    game_data_t m_game_data;
    owner_ptr_t<score_table_u> m_table;
    array_dyn_t<open_window_t> m_windows;
    session_ui_t *m_ui;
};

// The session while one exists, else null.
front_end_session_t *get_front_end_session();

}  // namespace quarn
