#pragma once
// What the in-game screens share (docs/ui-ingame.md): the running hunt they read the
// round from, the round's number, the "ok" of a screen, the windows they open and
// the effects they run on their own items.
//
// The screens read the hunt controller itself (its round score record, clock,
// multiplier, kill limit and statistics); without a current hunt they show what they
// can and change nothing of the game.
#include <cstdint>

#include "outside/qrnshared/ui/ui_types.h"

namespace quarn {

class base_handler_t;
class c_item_t;
class ui_view_t;
struct window_desc_t;

// Key codes the in-game screens read.
inline constexpr uint32_t INGAME_KEY_ESCAPE = 1;
inline constexpr uint32_t INGAME_KEY_SPACE = 57;
inline constexpr uint32_t INGAME_KEY_PAUSE = 69;

// The round the screens name: the party round in party play, else the round index
// (1 without game data).
uint32_t ingame_round_number();

// A key of that code was released (action 8). Escape and clicks are the menu screens'
// (menu_screen_handler_t::is_escape, is_click).
bool ingame_key_released(uint32_t type, const ui_act_param_t *param, uint32_t key);
// Escape released, or a click on the view of that id: the "ok" of the round screens.
bool ingame_escape_or_click(const ui_view_t *view, uint32_t type, const ui_act_param_t *param, int32_t id);

// The window of the row shown through the session; null, logged, without a session or
// when it cannot open.
c_item_t *ingame_show_window(const window_desc_t &row);

// The markup the item shows now: a templated text's template is applied first. Null
// for an item that shows no markup of its own.
const char *ingame_item_markup(ui_view_t *view);

// Runs the named effect from the screen's UIFX cache over the item's rectangle and
// markup, in the item's layer plus layer_offset; id (-1: none) comes back through
// on_effect_done. False when the item is missing (logged by the screen).
bool ingame_run_on_item(base_handler_t &screen, int32_t item, const char *effect, int32_t layer_offset,
                        int32_t id = -1);
// Starts / stops the effect of an effect view of the layout (the one its own
// effect_name names). False when the item is missing or no effect view (logged).
bool ingame_start_effect(base_handler_t &screen, int32_t item);
bool ingame_stop_effect(base_handler_t &screen, int32_t item);
// Writes what the item shows (base_handler_t::set_item_text), then starts its effect.
bool ingame_show_effect(base_handler_t &screen, int32_t item, const char *text);

}  // namespace quarn
