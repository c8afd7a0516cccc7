#include "game/ui/ingame/animal_hud.h"

#include <cmath>
#include <cstdio>

#include "game/game_data.h"
#include "game/process/game_process.h"
#include "game/session/window_desc.h"
#include "game/ui/ingame/ganimalhdl.h"
#include "outside/qrnshared/parameter_packet.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_view.h"
#include "outside/qrnshared/ui/ui_window.h"
#include "qrncore/math/matrix.h"
#include "qrncore/math/matrix_table.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(animal_hud_u, "animal_hud");

namespace {

// Markers made in this run: the next one is number count + 1.
uint32_t marker_count = 0;

animal_hud_u::screen_source_t screen_source = nullptr;

// The near distance of a fresh game data, for a marker without one.
constexpr float DEFAULT_NEAR_DISTANCE = 0.1f;

// The game process's scene viewport and its screen; false without a process.
bool game_screen(animal_hud_u::screen_t &out) {
    const game_process_t *process = get_game_process();
    if (!process) return false;
    out.viewport = process->get_scene_viewport().rect;
    out.width = out.height = 0;
    // Before a graphics mode is set the size stays 0.
    process->get_screen_size(&out.width, &out.height);
    return true;
}

}  // namespace

void animal_hud_u::set_screen_source(screen_source_t source) { screen_source = source; }

void animal_hud_u::on_construct() {
    m_number = ++marker_count;
    if (!ui_is_running()) return;
    const window_desc_t &row = WINDOW_GAME_ANIMAL;
    char group[32], name[32];
    snprintf(group, sizeof group, row.group, unsigned(m_number));
    snprintf(name, sizeof name, row.name, unsigned(m_number));
    c_item_t *window = ui_winsert(group, name, row.insert_flags, row.layout);
    if (!window) return;  // logged by the layer: the animal goes unmarked
    m_window = window;
    ui_wshow(window, row.show_flags);
}

void animal_hud_u::on_destroy() {
    set_bonus_marked(false);
    if (ingame_animal_handler_t *handler = get_handler()) handler->retire();
    m_window.release();
}

void animal_hud_u::close_window() {
    // Held through the removal; the marker lets go of it first, so that nothing it
    // is asked afterwards reaches the window.
    c_item_ptr_t window(m_window);
    m_window.release();
    if (window && ui_is_running()) ui_wremove(window.get());
}

ingame_animal_handler_t *animal_hud_u::get_handler() const {
    ui_window_t *window = ui_window_of(m_window.get());
    auto *handler = window ? dynamic_cast<ingame_animal_handler_t *>(window->get_handler()) : nullptr;
    return handler && handler->is_live() ? handler : nullptr;
}

void animal_hud_u::set_bonus_text(const char *text) {
    if (ingame_animal_handler_t *handler = get_handler()) handler->set_bonus_text(text);
}

void animal_hud_u::set_health(uint32_t current, uint32_t maximum) {
    // An animal that cannot be hurt is always whole.
    const float ratio = maximum == 0 ? 1.0f : float(current) / float(maximum);
    if (ingame_animal_handler_t *handler = get_handler()) handler->set_health(ratio);
}

void animal_hud_u::set_bonus_marked(bool flag) {
    if (flag == m_bonus_marked) return;
    m_bonus_marked = flag;
    if (ingame_animal_handler_t *handler = get_handler()) handler->set_marked(flag);
}

bool animal_hud_u::place(float &x, float &y, const vec3_t &position, const mat4_t &view, const mat4_t &projection,
                         float near_distance, const screen_t &screen) {
    vec3_t seen;
    fptr_mult_point_matrix(&seen, &position, view, 1, sizeof(vec3_t), sizeof(vec3_t));
    // Behind the camera or at the near plane: no projection to follow.
    if (!(seen.z < -near_distance)) return false;
    // The screen's size divides below: without one the marker stays.
    if (screen.width <= 0 || screen.height <= 0) return false;
    mat4_t view_projection;
    mult_matrix_matrix(&view_projection, view, projection);
    vec3_t clip;
    fptr_mult_point_matrix(&clip, &position, view_projection, 1, sizeof(vec3_t), sizeof(vec3_t));
    const rectangle_t<float> &v = screen.viewport;
    const float sx = v.left + (v.right - v.left) * (clip.x + 1.0f) * 0.5f;
    const float sy = v.bottom + (v.top - v.bottom) * (clip.y + 1.0f) * 0.5f;
    float rw = UI_REFERENCE_WIDTH, rh = UI_REFERENCE_HEIGHT;
    ui_get_reference_mode(&rw, &rh);
    const float w = float(screen.width), h = float(screen.height);
    // The centre of the reference screen in whole units, as the layout places it.
    const float half_w = float(uint32_t(rw) / 2u), half_h = float(uint32_t(rh) / 2u);
    const float px = std::floor((rw * sx / w - half_w) * w / rw + 0.5f) * rw / w;
    const float py = std::floor((rh * sy / h - half_h) * h / rh + 0.5f) * rh / h;
    if (!std::isfinite(px) || !std::isfinite(py)) return false;
    x = px;
    y = py;
    return true;
}

void animal_hud_u::update_position(const vec3_t &position, const pp_camera_u *camera) {
    ui_view_t *window = ui_view_of(m_window.get());
    if (!window || !camera || !get_handler()) return;
    screen_t screen;
    const screen_source_t source = screen_source ? screen_source : &game_screen;
    if (!source(screen)) return;
    const game_data_t *data = get_game_data();
    const float near_distance = data ? data->near_plane : DEFAULT_NEAR_DISTANCE;
    float x = 0.0f, y = 0.0f;
    if (place(x, y, position, camera->view, camera->projection, near_distance, screen)) window->move_to(x, y);
}

}  // namespace quarn
