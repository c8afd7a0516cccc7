#pragma once
// menu_ctrl_u ("menu_ctrl"): the scene behind the front-end menus, a random background
// hunt. Its first activation in the life of the program shows the start splash
// ("splash"/"start"); its handler asks for the menu with pending step 2 when it is
// dismissed. Every later activation asks for step 1: the game process's loading
// screen while the background mission loads. The step runs at the next update: the
// background mission (a random mission written to "/home/tmp_mission.def" and started
// as the map), the menu music and the menu windows by menu_kind. The scene updates and
// draws only while a menu screen says it is visible (scene_visible).
#include <cstdint>

#include "game/scene/game_ctrl.h"
#include "kernel/sound/sound_unit.h"
#include "outside/qrnshared/c_item.h"

namespace quarn {

class scene_object_t;

class menu_ctrl_u : public game_ctrl_u {
    QRN_UNIT_CLASS(menu_ctrl_u, game_ctrl_u);

public:
    enum menu_kind_t : int32_t { MENU_MAIN = 0, MENU_HIGHSCORE = 1, MENU_PARTY = 2 };
    enum pending_step_t : int32_t { STEP_NONE = 0, STEP_LOADING = 1, STEP_AFTER_SPLASH = 2 };
    static constexpr const char *MUSIC = "/sound/music/track1.ogg";
    static constexpr float MUSIC_VOLUME = 0.9f;
    static constexpr int32_t SOUND_TAG = 20;

    scene_object_t *get_player() override { return m_view; }
    void activate() override;
    void update(float dt) override;
    void draw() override;
    void close_windows() override;

    // The first activation of any menu in this run shows the start splash; tests set
    // it again.
    static bool is_first_start();
    static void set_first_start(bool first);

    c_item_t *get_splash_window() const { return m_splash_window.get(); }
    sound_u *get_music() const { return m_music.get(); }

    int32_t pending_step = STEP_NONE;
    bool mission_loaded = false;
    // Set and cleared by the menu screens: whether the scene behind them updates and
    // draws.
    bool scene_visible = false;
    int32_t menu_kind = MENU_MAIN;
    bool grass_primed = false;

protected:
    void on_construct();
    void on_destroy();
    void teardown_scene() override;

private:
    void start_background_mission();
    void start_menu();

    scene_object_t *m_view = nullptr;  // owned
    scene_view_t *m_camera = nullptr;  // the view's camera side, the first of the views
    c_item_ptr_t m_splash_window;
    owner_ptr_t<sound_u> m_music;
};

}  // namespace quarn
