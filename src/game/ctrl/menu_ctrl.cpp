#include "game/ctrl/menu_ctrl.h"

#include "game/ctrl/ctrl_parts.h"
#include "game/game_data.h"
#include "game/process/game_hooks.h"
#include "game/process/game_process.h"
#include "game/session/front_end_session.h"
#include "game/session/window_desc.h"
#include "kernel/sound/sound.h"
#include "outside/qrnshared/ui/ui.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(menu_ctrl_u, "menu_ctrl");

namespace {

// True until the first menu of the run is activated.
bool first_start = true;

// Sound kind of the menu music: a sound that keeps playing (it loops).
constexpr uint32_t MUSIC_KIND = 2;

}  // namespace

bool menu_ctrl_u::is_first_start() { return first_start; }

void menu_ctrl_u::set_first_start(bool first) { first_start = first; }

void menu_ctrl_u::on_construct() {
    m_view = ctrl_make_camera(*this, GAME_HOOK_MENU_VIEW, m_camera);
    push_view(m_camera);
    if (game_data_t *data = get_game_data()) data->set_mode(game_data_t::MODE_PLAY);
}

void menu_ctrl_u::on_destroy() {
    ctrl_unqueue_camera(*this, m_view);
    m_music.reset();
}

void menu_ctrl_u::teardown_scene() {
    game_ctrl_u::teardown_scene();
    // The lists no longer hold the camera.
    ctrl_delete_camera(m_view, m_camera);
}

void menu_ctrl_u::activate() {
    game_ctrl_u::activate();
    if (first_start) {
        ui_pshow(0);
        m_splash_window = show_game_window(WINDOW_START_SCREEN);
        first_start = false;
        // Without a start splash nobody would ask for the menu: it comes at once.
        if (!m_splash_window) pending_step = STEP_AFTER_SPLASH;
    } else {
        pending_step = STEP_LOADING;
    }
    snd_set_current_tag(SOUND_TAG);
}

void menu_ctrl_u::update(float dt) {
    game_process_t *game = get_game_process();
    if (pending_step == STEP_LOADING) {
        pending_step = STEP_NONE;
        if (game) game->show_loading(GAME_LOADING_MISSION);
        start_background_mission();
        start_menu();
        if (game) game->close_splash();
    } else if (pending_step == STEP_AFTER_SPLASH) {
        pending_step = STEP_NONE;
        if (m_splash_window) ui_whide(m_splash_window.get());
        start_background_mission();
        start_menu();
    }
    if (mission_loaded && scene_visible) {
        game_ctrl_u::update(dt);
    }
}

void menu_ctrl_u::draw() {
    if (!mission_loaded || !scene_visible) return;
    // The grass grows around the camera before the scene draws it: at the first draw,
    // then only where the camera has moved.
    ctrl_grow_grass(*this);
    grass_primed = true;
    game_ctrl_u::draw();
}

void menu_ctrl_u::close_windows() {
    m_splash_window.release();
    close_game_windows();
    game_ctrl_u::close_windows();
}

void menu_ctrl_u::start_background_mission() {
    game_process_t *game = get_game_process();
    if (!game || !game->generate_random_mission(game_process_t::MISSION_PATH, true)) return;
    if (game_data_t *data = get_game_data()) data->mission_name.copy(game_process_t::MISSION_PATH);
    mission_loaded = game->start_mission_file(*this, game_process_t::MISSION_PATH);
}

void menu_ctrl_u::start_menu() {
    ui_pshow(0);
    m_music.reset(_snd_create(MUSIC, MUSIC_KIND, SOUND_TAG));
    if (m_music) {
        m_music->attributes.volume = MUSIC_VOLUME;
        m_music->play();
    }
    game_data_t *data = get_game_data();
    if (data && menu_kind != MENU_PARTY) data->clear_party();
    show_game_window(menu_kind == MENU_HIGHSCORE ? WINDOW_HIGHSCORES
                     : menu_kind == MENU_PARTY   ? WINDOW_PARTY_SETUP
                                                 : WINDOW_MAIN_MENU);
}

}  // namespace quarn
