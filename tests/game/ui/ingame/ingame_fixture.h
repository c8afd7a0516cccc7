#pragma once
// The in-game screens over a running hunt: the hunt fixture (a hunt controller of the
// test with its recording hunter, sounds and voice tables) with
// - a front-end session over the UI layer's window table and a temporary home, so
//   windows open by their rows from the shipped layouts, the HUD's among them;
// - the game's translations and UI effect instances;
// - the pointer layer, the variables the screens read, and recorders of the commands
//   "menu", "init_round" and "quit";
// - a game process of the test's own for the screens (pause, frame rate).
// No screen logs an error unless the test says it expects one.
#include <memory>
#include <string>
#include <vector>

#include "../../hunt/hunt_fixture.h"
#include "../screen_console.h"
#include "game/session/front_end_session.h"
#include "game/session/window_desc.h"
#include "game/ui/basehdl.h"
#include "game/ui/controls/find_item.h"
#include "game/ui/ingame/ghudhdl.h"
#include "game/ui/screen_ctrl.h"
#include "outside/qrnshared/cmd.h"
#include "outside/qrnshared/cvar.h"

namespace quarn::test {

class ingame_process_t : public screen_process_t {
public:
    void set_paused(bool p) override {
        paused = p;
        calls.push_back(p ? "pause" : "resume");
    }
    bool is_paused() const override { return paused; }
    void close_splash() override {}
    bool request_mode(const char *, const char *, const char *, bool) override { return true; }
    void set_language(const char *) override {}
    void open_link(const char *key) override { calls.push_back(std::string("link ") + key); }
    float get_average_fps() const override { return fps; }
    bool paused = false;
    float fps = 60.0f;
    std::vector<std::string> calls;
};

class ingame_fixture_t : public hunt_fixture_t {
protected:
    void SetUp() override;
    void TearDown() override;

    // The session's game data (the hunt's).
    game_data_t &game() { return session->get_game_data(); }
    // A hunt over a round of the map "hunt" with that clock and kill limit, activated,
    // its HUD shown from "/ui/ghud.esc". With a camera (a trail's name) the round
    // flies its intro first. The log starts afresh after the activation.
    ingame_hud_handler_t *start_round(uint32_t time_limit = 100, uint32_t kill_limit = 20,
                                      const char *camera = nullptr);
    // A new round (the windows of the one before closed) that ended for that reason.
    void end_round(int32_t reason);
    ingame_hud_handler_t *hud() const;

    // The open window of the row and its handler as H (null when it is not open).
    static c_item_t *window_of(const window_desc_t &row);
    template <class H>
    static H *handler_of(const window_desc_t &row) {
        ui_window_t *w = ui_window_of(window_of(row));
        return w ? dynamic_cast<H *>(w->get_handler()) : nullptr;
    }
    // The row's window shown through the session, and its handler as H.
    template <class H>
    H *open_row(const window_desc_t &row) {
        session->show_window(row);
        return handler_of<H>(row);
    }
    // The view of that id in the row's window, as class T (null: none, another class).
    template <class T>
    static T *view(const window_desc_t &row, int32_t id) {
        return dynamic_cast<T *>(ui_view_of(find_item_by_id(ui_view_of(window_of(row)), id, false)));
    }
    // What the item shows: the value of a templated text or button, else its text.
    static std::string shown(const window_desc_t &row, int32_t id);
    // The item's own visible flag.
    static bool visible(const window_desc_t &row, int32_t id);
    // The item's effect view has a start pending or an effect running.
    static bool effect_running(const window_desc_t &row, int32_t id);

    // The action raised on the view of that id (the window for -1) as the UI layer
    // raises it; the chain's answer.
    static bool act(const window_desc_t &row, uint32_t type, int32_t id = -1, uint32_t word0 = 0);
    static bool click(const window_desc_t &row, int32_t id) { return act(row, UI_ACT_ACTIVATE, id); }
    static bool release_key(const window_desc_t &row, uint32_t code) { return act(row, UI_ACT_KEY_UP, -1, code); }
    // The pointer moved to the middle of the item, its button pressed and released
    // there, as a player does it; then one frame.
    void click_at(const window_desc_t &row, int32_t id);

    // The shown windows of the table as "group/name", in table order, joined by " ";
    // shown_screens leaves out the HUD and the scene's colour flash.
    static std::string shown_windows();
    static std::string shown_screens();
    static int32_t impulse_counter();
    // A sound of the hunt's tag, muted while a screen holds the game.
    sound_u *game_sound() const { return m_game_sound; }

    std::unique_ptr<front_end_session_t> session;
    ingame_process_t process;
    bool errors_expected = false;
    static inline std::vector<std::string> &commands = screen_console_t::commands;

private:
    screen_console_t console;
    sound_u *m_game_sound = nullptr;
};

}  // namespace quarn::test
