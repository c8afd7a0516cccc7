// The options screen over its real layout: variables into the controls and back, the
// hold of the game, the frame rate.
#include <gtest/gtest.h>

#include "game/ui/controls/button_control.h"
#include "game/ui/menus/moptionshdl.h"
#include "game/ui/menus/mmainhdl.h"
#include "game/ui/controls/slider_control.h"
#include "game/ui/effects/uifx_view.h"
#include "menus_fixture.h"

namespace quarn::test {
namespace {

class menus_options : public menus_fixture_t {
protected:
    menu_options_handler_t *open_options() { return open_row<menu_options_handler_t>(WINDOW_OPTIONS); }
    int64_t slider(int32_t id) { return get<ui_slider_t>(id)->get_value(); }
    bool down(int32_t id) { return get<ui_button_t>(id)->down; }
    bool enabled(int32_t id) { return get<ui_view_t>(id)->is_active(); }
    void toggle(int32_t id) {
        auto *b = get<ui_button_t>(id);
        b->set_down(!b->down);
        act(UI_ACT_ACTIVATE, id, b->down ? 1 : 0);
    }
};

TEST_F(menus_options, variables_set_the_controls) {
    install_ctrl(ctrl_kind_t::MENU);
    struct case_t {
        const char *name, *value;
        int32_t item;
        int64_t slider;  // -1: a button, checked below
    };
    set_var("r_texture_detail", "5");
    set_var("s_sfx_enabled", "0");
    set_var("r_fullscreen", "0");
    set_var("m_sensitivity", "0.33");
    set_var("r_gamma", "3.5");
    set_var("g_grass_density", "0.25");
    set_var("m_invert", "1");
    open_options();
    EXPECT_TRUE(down(62)) << "detail 5 is the lowest";
    EXPECT_FALSE(down(60));
    EXPECT_FALSE(down(10));
    EXPECT_FALSE(enabled(20)) << "no volume without sound";
    EXPECT_FALSE(enabled(40)) << "no gamma in a window";
    EXPECT_TRUE(down(31));
    EXPECT_FALSE(down(32));
    EXPECT_EQ(slider(30), 33);
    EXPECT_EQ(slider(40), 200) << "clamped to its range";
    EXPECT_EQ(slider(50), 25);
    // The sliders send their values: the variables come back through the controls.
    EXPECT_EQ(var_text("g_quality"), "-1");
    EXPECT_EQ(var_text("m_sensitivity"), "0.33");
    EXPECT_EQ(var_text("r_gamma"), "2");
    EXPECT_EQ(var_text("g_grass_density"), "0.25");
    EXPECT_TRUE(get<ui_view_t>(101)->visible) << "stripes over the main menu";
    EXPECT_TRUE(menu()->scene_visible);
}

TEST_F(menus_options, controls_set_the_variables) {
    install_ctrl(ctrl_kind_t::MENU);
    open_options();
    set_var("g_quality", "2");
    toggle(10);
    EXPECT_EQ(var_text("s_sfx_enabled"), "0");
    EXPECT_FALSE(enabled(20));
    EXPECT_EQ(var_text("g_quality"), "-1");
    toggle(10);
    EXPECT_EQ(var_text("s_sfx_enabled"), "1");
    EXPECT_TRUE(enabled(20));

    struct case_t {
        int32_t id;
        int64_t value;
        const char *name, *text;
    };
    const case_t cases[] = {
        {20, 40, "s_sfx_volume", "0.4"},        {30, 150, "m_sensitivity", "1.5"},
        {40, 120, "r_gamma", "1.2"},            {50, 8, "g_grass_density", "0.08"},
        {70, 100, "r_anisotropy_factor", "1"},
    };
    for (const case_t &c : cases) {
        get<ui_slider_t>(c.id)->set_value(c.value, true);
        EXPECT_EQ(var_text(c.name), c.text) << c.id;
    }
    get<ui_button_t>(61)->set_down(true);
    click(61);
    EXPECT_EQ(var_text("r_texture_detail"), "1");
    toggle(31);
    toggle(32);
    EXPECT_EQ(var_text("m_invert"), "1");
    EXPECT_EQ(var_text("m_filter"), "1");
}

// Switching sound on runs a ghost of the toggle over it, showing the toggle's own text
// as every other effect over an item does.
TEST_F(menus_options, switching_sound_on_runs_a_ghost_of_the_toggles_own_text) {
    install_ctrl(ctrl_kind_t::MENU);
    open_options();
    toggle(10);
    toggle(10);
    auto *sfx = get<ui_button_t>(10);
    ASSERT_TRUE(sfx->down);
    auto *cache = ui_as_group(get<ui_view_t>(9999));
    ASSERT_NE(cache, nullptr);
    std::string ghosts;
    for (uint32_t i = 0; i < cache->child_count(); ++i) {
        auto *v = dynamic_cast<uifx_text_view_t *>(ui_view_of(cache->child_item(i)));
        if (v && !v->is_idle() && std::string(v->effect_name.c_str()) == "uifx.scale.ghost")
            ghosts += std::string("[") + v->text.c_str() + "]";
    }
    EXPECT_NE(std::string(base_handler_t::button_markup(sfx)), "");
    EXPECT_EQ(ghosts, std::string("[") + base_handler_t::button_markup(sfx) + "]");
}

TEST_F(menus_options, in_game_the_screen_holds_the_game_in_pairs) {
    install_ctrl(ctrl_kind_t::HUNT);
    const int32_t impulses = impulse_counter();
    open_options();
    EXPECT_TRUE(process.paused);
    EXPECT_EQ(impulse_counter(), impulses - 1);
    EXPECT_FALSE(get<ui_view_t>(101)->visible);
    EXPECT_TRUE(escape());
    EXPECT_FALSE(window->shown);
    EXPECT_FALSE(process.paused);
    EXPECT_EQ(impulse_counter(), impulses);
    // A second show and hide stay paired.
    menu_screen_handler_t::open(WINDOW_OPTIONS);
    click(menu_options_handler_t::BUTTON_OK);
    EXPECT_EQ(impulse_counter(), impulses);
    EXPECT_EQ(process.calls, (std::vector<std::string>{"pause", "resume", "pause", "resume"}));

    // Over the menu "ok" shows the main menu again and lowers the scene.
    install_ctrl(ctrl_kind_t::MENU);
    open_row<menu_main_handler_t>(WINDOW_MAIN_MENU);
    open_options();
    click(menu_options_handler_t::BUTTON_OK);
    EXPECT_EQ(shown_windows(), "menu/main");
    EXPECT_EQ(impulse_counter(), impulses);
}

TEST_F(menus_options, the_frame_rate_averages_ten_samples_and_skips_a_zero_step) {
    install_ctrl(ctrl_kind_t::MENU);
    auto *options = open_options();
    // The next sample, 0.1 s of frames away.
    auto next_sample = [&] {
        const uint32_t before = options->get_sample_count();
        for (int i = 0; i < 10 && options->get_sample_count() == before; ++i) step();
    };
    step(12);
    EXPECT_EQ(options->get_sample_count(), 0u) << "no step yet: no sample";
    EXPECT_EQ(shown(80), " ");
    process.process_time = 0.02;
    next_sample();
    EXPECT_EQ(options->get_sample_count(), 1u);
    EXPECT_EQ(shown(80), "50.0");
    process.process_time = 0.04;
    for (int i = 0; i < 8; ++i) next_sample();
    EXPECT_EQ(options->get_sample_count(), 9u);
    next_sample();
    EXPECT_EQ(shown(80), "27.5") << "(50 + 9 x 25) / 10";
    EXPECT_EQ(options->get_sample_count(), 1u) << "restarted from the newest";
    next_sample();
    EXPECT_EQ(shown(80), "25.0");
}

}  // namespace
}  // namespace quarn::test
