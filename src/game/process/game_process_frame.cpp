// The game process's frame: the scene's update and drawing, the UI, the graphics
// path and mode, the application's activity, the command queue.
#include <cstdlib>
#include <cstring>

#include "game/process/game_cvars.h"
#include "game/process/game_process.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/scene_object.h"
#include "game/visuals/effects/visual_objects.h"
#include "game/visuals/shaders/shaderlib.h"
#include "game/world/environment.h"
#include "kernel/console/commands.h"
#include "kernel/console/cvars.h"
#include "kernel/gfx/gfx.h"
#include "kernel/input/input.h"
#include "kernel/oswindow.h"
#include "kernel/gfx/screenshot.h"
#include "kernel/sound/sound.h"
#include "kernel/sound/sound_unit.h"
#include "outside/qrnshared/cvar.h"
#include "outside/qrnshared/effect_registry.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/visbase/camera.h"
#include "qrncore/profiler/profiler.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// The render paths a renderer may offer; "r_path" names one of them.
constexpr int32_t VALID_PATHS[] = {1, 2, 3, 5, 6, 8, 10, 12, 14};
constexpr int32_t FALLBACK_PATH = 3;
constexpr int32_t LAST_PATH = 1;

// Left Alt and F4 together end the game.
constexpr int TRIGGER_LEFT_ALT = 56;
constexpr int TRIGGER_F4 = 62;

constexpr uint32_t OPAQUE_BLACK = 0xFF000000u;

constexpr const char *CAMERA_CLICK = "/sound/ui/cameraclick.ogg";
constexpr float CAMERA_CLICK_VOLUME = 0.5f;

// A screenshot shows the scene alone unless "g_screenshot_ui" is 1: then the scope
// and the UI stay in its frame, and the picture is what the player sees. A choice of
// the moment, not stored.
cvar_t screenshot_ui_variable("g_screenshot_ui", "0");

// Test support: with this variable set, every screenshot also writes its frame's draw
// log as text beside the picture (the same name, ".draw" for ".png"), so that tests
// know what the picture must show and where.
constexpr const char DRAW_LOG_VARIABLE[] = "FERNWOLD_SCREENSHOT_DRAW_LOGS";

bool trigger_down(int code) {
    const inp_trigger_t *t = inp_get_trigger_code(code);
    return t && t->down;
}

}  // namespace

// ---- graphics ----

bool game_process_t::init_gfx2(const gfx_mode_t &mode, bool activate) {
    if (!common_proc_t::init_gfx2(mode, activate)) return false;
    layout_viewports();
    set_path(choose_gfx_path(get_context()));
    common_init_effects(get_context(), get_path());
    if (const cvar_t *gamma = cvar_get("r_gamma")) gfx_set_gamma(get_device(), gamma->get_float());
    return true;
}

void game_process_t::shutdown_gfx2() {
    common_shutdown_effects(get_context(), get_path());
    common_proc_t::shutdown_gfx2();
}

bool game_process_t::thaw_gfx2(const gfx_mode_t &mode) {
    if (!common_proc_t::thaw_gfx2(mode)) return false;
    layout_viewports();
    set_path(choose_gfx_path(get_context()));
    common_init_effects(get_context(), get_path());
    return inp_thaw_input();
}

void game_process_t::freeze_gfx2() {
    inp_freeze_input();
    common_shutdown_effects(get_context(), get_path());
    common_proc_t::freeze_gfx2();
}

bool game_process_t::request_mode(const char *driver, const char *device, const char *mode_line, bool fullscreen) {
    if (!m_requested_mode.parse(driver, device, mode_line, fullscreen)) return false;
    m_mode_request = true;
    return true;
}

int32_t game_process_t::choose_gfx_path(r_context_t *context) {
    const cvar_t *path = cvar_get("r_path");
    int32_t p = path ? path->get_int() : FALLBACK_PATH;
    bool valid = false;
    for (int32_t v : VALID_PATHS) valid = valid || v == p;
    if (!valid) p = FALLBACK_PATH;
    if (context && gfx_is_path_available(context, p)) return p;
    if (context && gfx_is_path_available(context, FALLBACK_PATH)) return FALLBACK_PATH;
    return LAST_PATH;
}

void game_process_t::layout_viewports() {
    int32_t width = 0, height = 0;
    if (!get_screen_size(&width, &height)) return;
    const viewport_layout_t l = quarn::layout_viewports(float(width), float(height), m_band_factor);
    m_full = l.full;
    m_scene = l.scene;
    m_scope = l.scope;
    m_band_height = l.band;
}

void game_process_t::set_band_factor(float factor) {
    m_band_factor = factor;
    layout_viewports();
}

// ---- the frame ----

void game_process_t::frame() {
    const double dt = get_frame_time();
    if (gfx_is_active() && is_gfx_up()) {
        if (game_cvar(2)->get_int() != 0) {
            // The renderer's counts of the frame before.
            const r_stats_t stats = get_context() ? get_context()->get_stats() : r_stats_t();
            const uint32_t textures = stats.texture_binds, vertices = stats.vertices, draws = stats.draws;
            const double fps = dt > 0.0 ? 1.0 / dt : 0.0;
            gfx_reset_stats(get_context());
            verbose("%-5.1f\tms / %-5.1f fps\t/ tc:%u\t/ vc:%u / dc:%u / TPS: %-5.1f M", dt * 1000.0, fps, textures,
                    vertices, draws, double(textures) * fps * 0.000001);
        }
        if (!m_paused && m_controller_running)
            if (base_ctrl_u *ctrl = get_ctrl()) ctrl->update(float(dt));
        render_frame();
        if (m_controller_running && is_hunt_ctrl(get_ctrl())) count_hunt_frame(dt);
    }

    bool path_change = false;
    int32_t wanted = get_path();
    if (get_device() && get_context()) {
        wanted = choose_gfx_path(get_context());
        path_change = wanted != get_path();
    }
    if (m_screensaver && !oswindow_is_monitor_active()) cmd_execute("quit");

    enum step_t { NOTHING, ACTIVITY, PATH, MODE, MINIMIZE } step = NOTHING;
    const bool active = oswindow_is_application_active();
    if (active != is_gfx_up()) step = ACTIVITY;
    if (is_gfx_up()) {
        if (path_change) step = PATH;
        if (m_mode_request) step = MODE;
        if (m_minimize_request) step = MINIMIZE;
    }
    switch (step) {
        case MODE: apply_mode_switch(); break;
        case PATH: apply_path_change(wanted); break;
        case ACTIVITY:
            if (!change_application_active(active)) fatal_no_graphics(__LINE__);
            break;
        case MINIMIZE: m_minimize_request = false; break;
        case NOTHING: break;
    }
    if (m_ui_recache_request) {
        ui_recache();
        m_ui_recache_request = false;
    }
    cmd_process_queue(COMMAND_QUEUE);
    m_data_cache.free_all();
    snd_update_state();
    profiler_advance_frame();
    if (trigger_down(TRIGGER_LEFT_ALT) && trigger_down(TRIGGER_F4)) cmd_execute("quit");
}

void game_process_t::count_hunt_frame(double dt) {
    ++m_frames_counted;
    m_seconds_counted += float(dt);
}

void game_process_t::apply_mode_switch() {
    m_previous_mode = get_mode();
    freeze_gfx2();
    if (!thaw_gfx2(m_requested_mode)) {
        error("Failed to switch\tvideo mode.");
        if (!thaw_gfx2(m_previous_mode)) {
            error("Failed to switch\tback to\tprevious video mode.");
            fatal_no_graphics(__LINE__);
        }
    }
    ui_recache();
    m_mode_request = false;
}

void game_process_t::apply_path_change(int32_t path) {
    common_shutdown_effects(get_context(), get_path());
    set_path(path);
    common_init_effects(get_context(), path);
    ui_recache();
}

void game_process_t::render_frame() {
    begin_render();
    render_scene();
    render_ui();
    end_render();
}

void game_process_t::begin_render() {
    // The draw logs written beside screenshots need the log of every frame kept.
    if (m_draw_logs_with_screenshots && get_context()) get_context()->set_draw_log(true);
    gfx_begin_frame(get_device());
    gfx_clear(get_context(), m_full.to_view(), OPAQUE_BLACK);
    gfx_view_push(m_scene.to_view());
}

void game_process_t::render_scene() {
    r_context_t *context = get_context();
    base_ctrl_u *ctrl = m_controller_running ? get_ctrl() : nullptr;
    if (!ctrl) return;
    ctrl->update_camera_and_lights();
    // The sky first, behind everything the scene draws.
    if (environment_u *environment = ctrl->get_environment()) environment->update_skybox();
    shaderlib_queue_render_and_flush(context);
    ctrl->draw();
    // The main camera's view and camera matrices for what draws after the scene.
    if (const pp_camera_u *camera = ctrl->get_camera_packet(0)) gfx_camera_load(*camera);
    visual_objects_render();
    shaderlib_queue_render_and_flush(context);
    if (ctrl->has_overlay_pass()) {
        ctrl->draw_overlay();
        shaderlib_queue_render_and_flush(context);
    }
    scene_object_t *player = ctrl->get_player();
    if (!is_clean_capture() && player && player->has_weapon_overlay()) {
        m_scope.select();
        player->draw_weapon_overlay();
        shaderlib_queue_render_and_flush(context);
    }
}

void game_process_t::render_ui() {
    gfx_cache_sweep();
    if (is_clean_capture()) return;
    gfx_cache_push();
    m_full.select();
    ui_process(get_context());
    gfx_cache_pop();
}

void game_process_t::end_render() {
    r_context_t *context = get_context();
    gfx_view_pop();
    gfx_end_frame(get_device());
    gfx_try_capture(context);
    gfx_swapbuffers(context);
    // The capture was due in this frame: whether or not one came, the UI and the
    // scope draw again from the next frame on.
    m_screenshot_pending = false;
}

// ---- screenshots ----

void game_process_t::register_screenshot_variable() {
    if (screenshot_ui_variable.hash == 0) cvar_register_variable(&screenshot_ui_variable);
    m_draw_logs_with_screenshots = getenv(DRAW_LOG_VARIABLE) != nullptr;
}

void game_process_t::unregister_screenshot_variable() {
    if (screenshot_ui_variable.hash != 0) cvar_unregister_variable(&screenshot_ui_variable);
}

bool game_process_t::is_clean_capture() const {
    return m_screenshot_pending && screenshot_ui_variable.get_int() == 0;
}

void game_process_t::write_draw_log_beside(uint32_t number) {
    char name[FS_PATH_MAX];
    r_context_t *context = get_context();
    if (!context || !screenshot_name(name, sizeof name, SCREENSHOT_PATTERN, number)) return;
    // ".draw" is a byte longer than the ".png" it stands for.
    const size_t length = strlen(name);
    if (length < 4 || length + 2 > sizeof name || strcmp(name + length - 4, ".png") != 0) return;
    memcpy(name + length - 4, ".draw", 6);
    mstring_dyn_t text;
    auto_ptr_t<file_t> file(fs_create(name, FS_REALM_VIRTUAL));
    if (!context->get_draw_log().dump(text) || !file || !file->write(text.c_str(), text.length()))
        error("[game] The draw log of screenshot %u is not written to '%s'", number, name);
}

int game_process_t::cmd_screenshot(const cmd_context_t &) {
    m_screenshot_pending = true;
    if (gfx_screen_capture(&capture_arrived) < 0) m_screenshot_pending = false;
    return cmd_t::DONE;
}

void game_process_t::capture_arrived(const r_image_t *image) {
    game_process_t *game = get_game_process();
    if (image && screenshot_save(image, SCREENSHOT_PATTERN)) {
        // The file just written holds the number before the counter's.
        if (game && game->m_draw_logs_with_screenshots) game->write_draw_log_beside(screenshot_counter() - 1);
        if (sound_u *click = _snd_create_oneshot(CAMERA_CLICK, 0, -1)) {
            click->attributes.volume = CAMERA_CLICK_VOLUME;
            click->play();
        }
    }
    if (game) game->m_screenshot_pending = false;
}

}  // namespace quarn
