#include "game/ui/menus/moptionshdl.h"

#include <cmath>
#include <cstdio>

#include "game/session/front_end_session.h"
#include "game/session/window_desc.h"
#include "game/ui/controls/button_control.h"
#include "game/ui/screen_ctrl.h"
#include "game/ui/controls/slider_control.h"
#include "game/ui/ui_classes.h"
#include "kernel/gfx/gfx.h"
#include "kernel/sound/sound.h"
#include "kernel/sys.h"
#include "outside/qrnshared/cvar.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_window.h"

namespace quarn {

namespace {

struct slider_range_t {
    int32_t id, minimum, maximum;
};
constexpr slider_range_t SLIDERS[] = {
    {menu_options_handler_t::SLIDER_VOLUME, 0, 100},    {menu_options_handler_t::SLIDER_SENSITIVITY, 10, 200},
    {menu_options_handler_t::SLIDER_GAMMA, 1, 200},     {menu_options_handler_t::SLIDER_GRASS, 0, 40},
    {menu_options_handler_t::SLIDER_SHARPNESS, 0, 100},
};

float cvar_float(const char *name) {
    const cvar_t *variable = menu_cvar(name);
    return variable ? variable->get_float() : 0.0f;
}

int32_t cvar_int(const char *name) {
    const cvar_t *variable = menu_cvar(name);
    return variable ? variable->get_int() : 0;
}

}  // namespace

void menu_options_handler_t::on_wcreate() {
    menu_screen_handler_t::on_wcreate();
    for (const slider_range_t &s : SLIDERS) {
        add_silent_id(s.id);
        if (auto *slider = ui_get<ui_slider_t>(s.id)) slider->set_range(s.minimum, s.maximum);
    }
    add_sounding_id(BUTTON_OK);
}

void menu_options_handler_t::set_slider(int32_t id, double value) {
    auto *slider = ui_get<ui_slider_t>(id);
    // Rounded, so that a stored 0.33 shows as 33 and goes back as 0.33.
    if (slider) slider->set_value(int64_t(std::floor(value + 0.5)), true);
}

void menu_options_handler_t::set_toggle(int32_t id, bool down) {
    if (auto *button = ui_get<ui_button_t>(id)) button->set_down(down);
}

void menu_options_handler_t::on_wshow() {
    menu_screen_handler_t::on_wshow();
    show_item(GROUP_STRIPES, show_menu_or_game());
    const bool sfx = cvar_int("s_sfx_enabled") != 0;
    set_toggle(TOGGLE_SFX, sfx);
    set_slider(SLIDER_VOLUME, double(cvar_float("s_sfx_volume")) * 100.0);
    if (ui_view_t *volume = ui_view(SLIDER_VOLUME)) volume->activate(sfx);
    set_slider(SLIDER_SENSITIVITY, double(cvar_float("m_sensitivity")) * 100.0);
    set_toggle(TOGGLE_FILTER, cvar_int("m_filter") != 0);
    set_toggle(TOGGLE_INVERT, cvar_int("m_invert") != 0);
    set_slider(SLIDER_GAMMA, double(cvar_float("r_gamma")) * 100.0);
    if (ui_view_t *gamma = ui_view(SLIDER_GAMMA)) gamma->activate(cvar_int("r_fullscreen") != 0);
    int32_t detail = cvar_int("r_texture_detail");
    detail = detail < 0 ? 0 : detail > 2 ? 2 : detail;
    set_toggle(RADIO_HIGH + detail, true);
    set_slider(SLIDER_SHARPNESS, double(cvar_float("r_anisotropy_factor")) * 100.0);
    set_slider(SLIDER_GRASS, double(cvar_float("g_grass_density")) * 100.0);
}

void menu_options_handler_t::close() {
    if (current_ctrl_is_menu()) {
        const front_end_session_t *session = get_front_end_session();
        if (session && session->find_window(WINDOW_MAIN_MENU)) open(WINDOW_MAIN_MENU);
        return;
    }
    if (ui_window_t *window = get_window()) ui_whide(window->get_item());
}

bool menu_options_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    if (is_escape(type, param) && window_shown()) {
        menu_screen_handler_t::handle(view, type, param);
        close();
        play_accept_sound();
        return true;
    }
    if (type != UI_ACT_ACTIVATE || !view || !window_shown()) return menu_screen_handler_t::handle(view, type, param);
    menu_cvar_set_int("g_quality", -1);
    const bool down = param && param->word0 != 0;
    const double fraction = param ? double(param->value) * 0.01 : 0.0;
    switch (view->id) {
    case TOGGLE_SFX:
        if (ui_view_t *volume = ui_view(SLIDER_VOLUME)) volume->activate(down);
        if (down) run_uifx(view->rect, button_markup(view), "uifx.scale.ghost", view->layer, -1);
        menu_cvar_set_int("s_sfx_enabled", down ? 1 : 0);
        snd_enforce_attributes();
        break;
    case SLIDER_VOLUME:
        menu_cvar_set_float("s_sfx_volume", fraction);
        snd_enforce_attributes();
        break;
    case SLIDER_SENSITIVITY:
        menu_cvar_set_float("m_sensitivity", fraction);
        break;
    case TOGGLE_INVERT:
        menu_cvar_set_int("m_invert", down ? 1 : 0);
        break;
    case TOGGLE_FILTER:
        menu_cvar_set_int("m_filter", down ? 1 : 0);
        break;
    case SLIDER_GAMMA:
        menu_cvar_set_float("r_gamma", fraction);
        if (r_device_t *device = gfx_get_rendering_device()) gfx_set_gamma(device, float(fraction));
        break;
    case SLIDER_GRASS:
        menu_cvar_set_float("g_grass_density", fraction);
        break;
    case RADIO_HIGH:
    case RADIO_MEDIUM:
    case RADIO_LOW:
        menu_cvar_set_int("r_texture_detail", view->id - RADIO_HIGH);
        break;
    case SLIDER_SHARPNESS:
        menu_cvar_set_float("r_anisotropy_factor", fraction);
        break;
    case BUTTON_OK:
        close();
        break;
    default:
        break;
    }
    return menu_screen_handler_t::handle(view, type, param);
}

void menu_options_handler_t::handler() {
    menu_screen_handler_t::handler();
    if (!window_shown()) return;
    m_countdown -= float(sys_get_lastdelta());
    if (m_countdown > 0.0f) return;
    m_countdown = SAMPLE_INTERVAL;
    sample_frame_rate();
}

void menu_options_handler_t::sample_frame_rate() {
    const double step = screens_process_time();
    // No step yet (the first frame) gives no sample: an infinite one would stay in the
    // average until it restarts.
    if (!(step > 0.0)) return;
    const float sample = float(1.0 / step);
    m_sum += sample;
    ++m_samples;
    char text[32];
    snprintf(text, sizeof text, "%.1f", double(m_sum / float(m_samples)));
    set_item_text(ITEM_FPS, text);
    if (m_samples >= MAX_SAMPLES) {
        m_sum = sample;
        m_samples = 1;
    }
}

namespace {

constexpr entity_reg_t MENU_OPTIONS_REG = game_ui_reg<menu_options_handler_t>("ui.handler.menu.options");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_options_screen, quarn::ui_handler_row<quarn::MENU_OPTIONS_REG>());
