#pragma once
// The loading screen (docs/ui-screens.md): menu_splash_handler_t, "ui.handler.menu.splash",
// the handler of the window "splash"/"load" ("/ui/sload.esc") that the game process
// puts up while a mission or a round starts. It shows a splash picture, a tip (a
// round outside party mode) and, once loading is done, a prompt to press any key
// (single player, or the next party player by name); the key closes the splash.
// Without a tip the screen closes as soon as loading is done.
//
// pick_splash_image chooses the picture; the start screen uses it too.
#include <cstdint>

#include "game/ui/basehdl.h"
#include "game/ui/menus/loading_screen.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

// The pictures: the materials of this folder.
inline constexpr char SPLASH_IMAGE_FOLDER[] = "/material/ui/splash";
// The tips: definition "tips" of this file, "count" and the keys tip00, tip01, ...,
// each a localisation key.
inline constexpr char SPLASH_TIPS_PATH[] = "/def/tips.def";
// Rotates the pictures and the tips: one more on every splash.
inline constexpr char SPLASH_INDEX_CVAR[] = "g_splash_index";

// The path of the splash picture to show: the ".mat" files of SPLASH_IMAGE_FOLDER in
// name order, number g_splash_index modulo their count (the non-negative remainder);
// then g_splash_index grows by one. Empty (and the index left) without a picture.
void pick_splash_image(mstring_dyn_t &out);

class menu_splash_handler_t : public base_handler_t, public loading_screen_t {
public:
    enum item_t : int32_t {
        ITEM_IMAGE = 10,
        ITEM_TIP = 20,
        ITEM_LOADING = 30,
        ITEM_SINGLE_CONTINUE = 40,
        ITEM_PARTY_CONTINUE = 45,
        ITEM_PARTY_NAME = 46,
    };
    static constexpr const char *LOADING_FADE_EFFECT = "uifx.scale.fadeout";

    // The screen goes up: the picture, the tip (" " without one), "loading" shown and
    // the prompts hidden.
    void start_loading(bool show_tip) override;
    // Loading is done: without a tip the splash closes now; otherwise "loading" fades
    // and the prompt shows.
    void finish_loading() override;
    // Once loading is done a key or pointer button release closes the splash.
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;

    bool is_loading_done() const { return m_loading_done; }
    bool get_show_tip() const { return m_show_tip; }

private:
    // The localisation key of the tip to show now, or null for none.
    static void choose_tip(mstring_dyn_t &out);

    bool m_loading_done = false;
    bool m_show_tip = true;
};

}  // namespace quarn
