#include "game/ctrl/screensaver_ctrl.h"

#include "game/ctrl/ctrl_parts.h"
#include "game/process/game_hooks.h"
#include "game/session/window_desc.h"
#include "kernel/sound/sound.h"

namespace quarn {

QRN_UNIT_DEFINE(screensaver_ctrl_u, "screensaver_ctrl");

void screensaver_ctrl_u::on_construct() {
    m_view = ctrl_make_camera(*this, GAME_HOOK_SCREENSAVER_VIEW, m_camera);
    push_view(m_camera);
}

void screensaver_ctrl_u::teardown_scene() {
    ctrl_unqueue_camera(*this, m_view);
    game_ctrl_u::teardown_scene();
    ctrl_delete_camera(m_view, m_camera);
}

void screensaver_ctrl_u::activate() {
    game_ctrl_u::activate();
    snd_set_current_tag(SOUND_TAG);
    show_game_window(WINDOW_SCREENSAVER_MAIN);
}

void screensaver_ctrl_u::update(float dt) {
    game_ctrl_u::update(dt);
}

void screensaver_ctrl_u::draw() {
    // The grass grows around the camera before the scene draws it: at the first draw,
    // then only where the camera has moved.
    ctrl_grow_grass(*this);
    grass_primed = true;
    game_ctrl_u::draw();
}

void screensaver_ctrl_u::close_windows() {
    close_game_windows();
    game_ctrl_u::close_windows();
}

}  // namespace quarn
