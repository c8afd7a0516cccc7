#pragma once
// menu_screen_handler_t: the base of the front end's screens (main menu, high scores,
// credits, options, party setup, help, play, quit), on base_handler_t, with the rules
// they share:
// - open: a front-end window by its row through the session; the other shown windows
//   of its group are hidden first, so one menu screen shows at a time;
// - shared menu hide: the framework's hide, then the menu controller's scene_visible
//   is cleared;
// - menu-or-game show and hide (quit, options): over a menu controller the scene
//   behind shows; anywhere else the game is held (paused, sound tag 20, the pointer
//   shown, impulses off) and the hide gives back exactly what the show took;
// - back-or-close: over a menu controller the main menu shows, else the screen hides.
#include <cstdint>

#include "game/ui/basehdl.h"

namespace quarn {

struct window_desc_t;
class cvar_t;

class menu_screen_handler_t : public base_handler_t {
public:
    // Escape is the release of key 1.
    static constexpr uint32_t KEY_ESCAPE = 1;

    // The window of the row shown through the session, after every other shown window
    // of its group was hidden; null (logged) without a session or when it cannot open.
    static c_item_t *open(const window_desc_t &row);

    static bool is_escape(uint32_t type, const ui_act_param_t *param) {
        return type == UI_ACT_KEY_UP && param && param->key_code() == KEY_ESCAPE;
    }
    static bool is_click(const ui_view_t *view, uint32_t type, int32_t id) {
        return type == UI_ACT_ACTIVATE && view && view->id == id;
    }
    // The handler's window is shown.
    bool window_shown() const;

protected:
    // True over a menu controller (its scene shows); else the game is held.
    bool show_menu_or_game();
    // The framework's hide, then the menu's scene hidden or the game given back.
    void hide_menu_or_game();
    // The framework's hide, then the menu's scene hidden.
    void shared_menu_hide();
    // The main menu over a menu controller, else this window hides.
    void back_or_close();
};

// Console variables by name: the text ("" when the variable does not exist), and
// writing text, a "%g" fraction or a "%d" integer (nothing when it does not exist).
const char *menu_cvar_text(const char *name);
cvar_t *menu_cvar(const char *name);
void menu_cvar_set(const char *name, const char *text);
void menu_cvar_set_float(const char *name, double value);
void menu_cvar_set_int(const char *name, int32_t value);

// Plays a one-shot sound file at the volume with the sound tag (-1: none); nothing
// when it cannot be made.
void menu_play_sound(const char *path, float volume, int32_t tag = -1);

}  // namespace quarn
