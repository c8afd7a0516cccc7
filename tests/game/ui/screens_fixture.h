#pragma once
// The controls fixture with what the screen handlers need around them:
// - the sound front-end over the engine's unit system, with a recording device picked
//   as "snddev", so a test reads which sounds were played and at what volume;
// - controllers of the test's own registered as "hunt_ctrl" and "menu_ctrl" (and one
//   of neither kind), installed as the current controller;
// - a recording game process installed for the screens (pause, close of the splash);
// - "ui.test.screen", a handler on base_handler_t that reports list captions and the
//   effect ids it hears.
#include <memory>
#include <string>
#include <vector>

#include "controls_fixture.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/scene_object.h"
#include "game/scene/scene_view.h"
#include "game/ui/basehdl.h"
#include "game/ui/screen_ctrl.h"
#include "kernel/recording_sound_device.h"
#include "qrncore/units/unit_load.h"
#include "support/memory_file.h"

namespace quarn::test {

// The controllers: a hunt, a menu, and a scene that is neither.
class screens_still_view_t : public scene_view_t {
public:
    placement_t get_placement() const override { return {}; }
};
class screens_idle_player_t : public scene_object_t {
public:
    void update(float) override {}
};
class screens_ctrl_u : public base_ctrl_u {
    QRN_UNIT_CLASS(screens_ctrl_u, base_ctrl_u);

public:
    scene_view_t *get_view() override { return &view; }
    scene_object_t *get_player() override { return &player; }
    screens_still_view_t view;
    screens_idle_player_t player;
};
class screens_hunt_ctrl_u : public screens_ctrl_u {
    QRN_UNIT_CLASS(screens_hunt_ctrl_u, screens_ctrl_u);
};
class screens_menu_ctrl_u : public screens_ctrl_u {
    QRN_UNIT_CLASS(screens_menu_ctrl_u, screens_ctrl_u);
};

class recording_screen_process_t : public screen_process_t {
public:
    void set_paused(bool p) override {
        paused = p;
        calls.push_back(p ? "pause" : "resume");
    }
    void close_splash() override { calls.push_back("close_splash"); }
    bool request_mode(const char *, const char *, const char *mode_line, bool) override {
        calls.push_back(std::string("mode ") + mode_line);
        return true;
    }
    void set_language(const char *language) override { calls.push_back(std::string("language ") + language); }
    void open_link(const char *key) override { calls.push_back(std::string("link ") + key); }
    bool paused = false;
    std::vector<std::string> calls;
};

// "ui.test.screen": list items' captions are their text; effect ends are written down.
class test_screen_handler_t : public base_handler_t {
public:
    const char *query_caption(ui_view_t *view, ui_act_param_t *param) override;
    void on_effect_done(int32_t id) override { effects_done.push_back(id); }
    static inline std::vector<int32_t> effects_done;
};

class screens_fixture_t : public controls_fixture_t {
protected:
    void SetUp() override;
    void TearDown() override;

    enum class ctrl_kind_t { HUNT, MENU, OTHER };
    // A new controller of that kind becomes the current one.
    base_ctrl_u *install_ctrl(ctrl_kind_t kind);

    // A window "t"/name of the layout body closed by "ui.test.screen", and its handler.
    base_handler_t *open_screen(const std::string &body, const std::string &name = "w");
    // The handler of a window.
    static base_handler_t *handler_of(c_item_t *window);

    // The sounds that started playing since the last call, as "path volume" lines
    // joined by " | " (the front-end's frame runs first).
    std::string sounds();
    // The input front-end's impulse counter.
    static int32_t impulse_counter();
    // The effect classes registered and these effect instances loaded (unit text
    // without its header), alive until the test ends. "uifx.test.short" (0.1 s) and
    // "uifx.button.focus" (0.5 s) are always among them.
    void load_effects(const std::string &units = "");
    // A group 9999 of n effect views (ids 9000 + i), as a layout body line.
    static std::string uifx_cache(int n);

    recording_sound_device_t sound_device{"snddev"};
    recording_screen_process_t process;
    base_handler_t *screen = nullptr;

private:
    size_t m_sound_calls = 0;
    std::unique_ptr<memory_file_t> m_effects_file;
    std::unique_ptr<unit_load_t> m_effects;
};

}  // namespace quarn::test
