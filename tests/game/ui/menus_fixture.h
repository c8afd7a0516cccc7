#pragma once
// The screens fixture with what the front end needs around it:
// - a front-end session over the UI layer's window table, with a temporary home at
//   "/home" (the high scores copied from the shipped defaults) and a fixed savegame
//   binding;
// - the menu controller's accessor over the test's menu controller;
// - the console variables the menus read and write (the test's own where the kernel
//   has none), recording "menu", "init_round" and "quit" commands ("quit" notes
//   " saved" when a savegame exists as it runs);
// - the game's translations and UI effect instances.
// Windows are opened by their rows as the game opens them, and actions are raised on
// the views the way the UI layer raises them.
#include <memory>
#include <string>
#include <vector>

#include "game/scene/current_ctrl.h"
#include "game/session/front_end_session.h"
#include "game/session/window_desc.h"
#include "outside/qrnshared/cmd.h"
#include "outside/qrnshared/cvar.h"
#include "screen_console.h"
#include "screens_fixture.h"

namespace quarn::test {

class menus_fixture_t : public screens_fixture_t {
protected:
    void SetUp() override;
    void TearDown() override;

    // The window of the row opened through the session and its handler as H.
    template <class H>
    H *open_row(const window_desc_t &row) {
        window_item = menu_screen_open(row);
        window = ui_window_of(window_item);
        screen = handler_of(window_item);
        return dynamic_cast<H *>(screen);
    }
    static c_item_t *menu_screen_open(const window_desc_t &row);
    // The shown windows of the table as "group/name", in table order, joined by " ".
    static std::string shown_windows();

    // Raises the action on the view of that id in the current window (the window for
    // -1), as the UI layer raises it; the answer of the chain.
    bool act(uint32_t type, int32_t id = -1, uint32_t word0 = 0);
    bool click(int32_t id) { return act(UI_ACT_ACTIVATE, id); }
    bool escape() { return act(UI_ACT_KEY_UP, -1, 1); }
    // What the item shows: its value (templated texts and buttons) or its text.
    std::string shown(int32_t id);
    // Frames of the fixed step, n times.
    void frames(int n) { step(n); }

    cvar_t *var(const char *name);
    void set_var(const char *name, const char *value) { var(name)->set(value); }
    std::string var_text(const char *name) { return var(name)->get_text(); }

    screens_menu_ctrl_u *menu() { return dynamic_cast<screens_menu_ctrl_u *>(get_current_ctrl()); }

    // The high-score table becomes these (score, round) entries, named P1, P2, ...
    void table_of(std::initializer_list<std::pair<uint32_t, uint32_t>> entries);

    std::unique_ptr<front_end_session_t> session;
    static inline std::vector<std::string> &commands = screen_console_t::commands;

private:
    screen_console_t console;
};

}  // namespace quarn::test
