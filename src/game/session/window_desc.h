#pragma once
// window_desc_t: a row of the game's window table, naming a window of the UI layer by
// group and name, with the flags it is inserted and shown with and its layout. The
// front-end session opens, shows and finds windows by such rows.
#include <cstdint>

namespace quarn {

struct window_desc_t {
    const char *group;
    const char *name;
    uint32_t insert_flags;
    uint32_t show_flags;
    const char *layout;
};

// The windows the game data shows: the end of a single game, and the standings
// between the rounds of a party game.
inline constexpr window_desc_t WINDOW_GAME_FINISHED = {"game", "finished", 0, 0, "/ui/gfinished.esc"};
inline constexpr window_desc_t WINDOW_DIALOG_MATCHROUND = {"dialog", "matchround", 0, 0, "/ui/gmatchround.esc"};

}  // namespace quarn
