#include "game/ctrl/screensaver_ctrl.h"

#include "game/ctrl/ctrl_parts.h"
#include "game/process/game_hooks.h"
#include "game/session/window_desc.h"
#include "kernel/sound.h"

namespace quarn {

QRN_UNIT_DEFINE(screensaver_ctrl_u, "screensaver_ctrl");

namespace {

constexpr window_desc_t WINDOW_SCREENSAVER = {"screensaver", "main", 0, 0, "/ui/mscreensaver.esc"};

}  // namespace

void screensaver_ctrl_u::on_construct() { m_view = ctrl_make_camera(*this, GAME_HOOK_SCREENSAVER_VIEW, m_camera); }

void screensaver_ctrl_u::teardown_scene() {
    ctrl_unqueue_camera(*this, m_view);
    base_ctrl_u::teardown_scene();
    ctrl_delete_camera(m_view, m_camera);
}

void screensaver_ctrl_u::activate() {
    base_ctrl_u::activate();
    snd_set_current_tag(SOUND_TAG);
    show_game_window(WINDOW_SCREENSAVER);
}

void screensaver_ctrl_u::update(float dt) {
    base_ctrl_u::update(dt);
    ctrl_move_listener(*this);
}

void screensaver_ctrl_u::draw() {
    // Grass priming joins here once the environment has grass.
    grass_primed = true;
    base_ctrl_u::draw();
}

void screensaver_ctrl_u::close_windows() {
    close_game_windows();
    base_ctrl_u::close_windows();
}

}  // namespace quarn
