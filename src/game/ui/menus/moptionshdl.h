#pragma once
// menu_options_handler_t, "ui.handler.menu.options" ("/ui/moptions.esc", menu/options):
// the sound, mouse and picture settings, each a console variable, and the frame rate.
// Over the main menu it shows its stripes (group 101) and the scene behind; in game it
// holds the game while it is up. Any change makes the quality custom (g_quality -1).
//
// | id | control | variable | control value to variable |
// | 10 | toggle | s_sfx_enabled | state, 0/1 |
// | 20 | slider 0..100 | s_sfx_volume | value × 0.01 |
// | 30 | slider 10..200 | m_sensitivity | value × 0.01 |
// | 31, 32 | toggles | m_invert, m_filter | state |
// | 40 | slider 1..200 | r_gamma | value × 0.01, given to the device at once |
// | 50 | slider 0..40 | g_grass_density | value × 0.01 |
// | 60-62 | radio | r_texture_detail | id - 60 |
// | 70 | slider 0..100 | r_anisotropy_factor | value × 0.01 |
// Fractions are written with "%g", integers with "%d".
#include <cstdint>

#include "game/ui/menuhdl.h"

namespace quarn {

class ui_slider_t;

class menu_options_handler_t : public menu_screen_handler_t {
public:
    enum item_t : int32_t {
        TOGGLE_SFX = 10, SLIDER_VOLUME = 20, SLIDER_SENSITIVITY = 30, TOGGLE_INVERT = 31, TOGGLE_FILTER = 32,
        SLIDER_GAMMA = 40, SLIDER_GRASS = 50, RADIO_HIGH = 60, RADIO_MEDIUM = 61, RADIO_LOW = 62,
        SLIDER_SHARPNESS = 70, ITEM_FPS = 80, BUTTON_OK = 100, GROUP_STRIPES = 101
    };
    static constexpr float SAMPLE_INTERVAL = 0.1f;
    static constexpr uint32_t MAX_SAMPLES = 10;

    void on_wcreate() override;
    void on_wshow() override;
    void on_whide() override { hide_menu_or_game(); }
    void handler() override;
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;

    // Over a menu controller the main menu shows again; in game the screen hides.
    void close();

    uint32_t get_sample_count() const { return m_samples; }
    float get_average_fps() const { return m_samples ? m_sum / float(m_samples) : 0.0f; }

private:
    // Sets the slider to the value (clamped by its range), sending its value action.
    void set_slider(int32_t id, double value);
    void set_toggle(int32_t id, bool down);
    void sample_frame_rate();

    float m_countdown = SAMPLE_INTERVAL;
    float m_sum = 0.0f;
    uint32_t m_samples = 0;
};

}  // namespace quarn
