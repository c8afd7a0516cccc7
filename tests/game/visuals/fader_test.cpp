// The colour flasher: fades in and out frame by frame, in real time whatever the
// game speed, and its window.
#include <gtest/gtest.h>

#include <cmath>

#include "game/scene/current_ctrl.h"
#include "game/ui/controls/text_control.h"
#include "game/visuals/fader.h"
#include "outside/qrnshared/ui/ui.h"
#include "../ui/screens_fixture.h"

namespace quarn::test {
namespace {

class color_flasher : public screens_fixture_t {
protected:
    void TearDown() override {
        // The scene's flasher lets its window go before the UI stops.
        set_current_ctrl(nullptr);
        screens_fixture_t::TearDown();
    }
    // The alpha painted last, or -1 when the window is hidden.
    static int alpha(const color_flasher_t &f) {
        if (!ui_wis_shown(f.get_window())) return -1;
        return int(f.get_painted() >> 24);
    }
};

TEST_F(color_flasher, fades_in_real_time_frame_by_frame) {
    struct case_t {
        const char *what;
        float fade_in, fade_out;
        uint32_t colour;
        float time_factor;
        // The alpha after each frame of 0.25 real seconds (-1: hidden).
        std::vector<int> alphas;
    };
    const case_t cases[] = {
        {"(0, 0) paints the colour as it is and stays", 0.0f, 0.0f, 0x80112233u, 1.0f, {128, 128, 128, 128, 128}},
        {"(0, 1) is opaque at once, then fades from its own alpha over one second", 0.0f, 1.0f, 0x80112233u, 1.0f, {96, 64, 32, -1, -1}},
        {"(1, 0) fades in over one second and stays", 1.0f, 0.0f, 0xFF112233u, 1.0f, {64, 128, 191, 255, 255}},
        {"(0.5, 0.5) in, then out", 0.5f, 0.5f, 0xC8112233u, 1.0f, {100, 200, 100, -1, -1}},
        {"alpha 0 fades invisibly after an opaque first paint", 0.0f, 1.0f, 0x00112233u, 1.0f, {0, 0, 0, -1, -1}},
        {"at half speed the fade still takes one real second", 0.0f, 1.0f, 0xFF112233u, 0.5f, {191, 128, 64, -1, -1}},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.what);
        base_ctrl_u *ctrl = install_ctrl(ctrl_kind_t::OTHER);
        ctrl->set_time_factor(c.time_factor);
        color_flasher_t &f = *ctrl->get_flasher();
        ctrl->flash_color(c.colour, c.fade_in, c.fade_out);
        ASSERT_NE(f.get_window(), nullptr);
        if (c.fade_in <= 0.0f) {
            EXPECT_EQ(alpha(f), c.fade_out > 0.0f ? 255 : int(c.colour >> 24)) << "painted at once";
        }
        for (int expected : c.alphas) {
            // The scene hands its list the frame time scaled by the factor.
            ctrl->update(0.25f);
            EXPECT_EQ(alpha(f), expected);
            if (expected >= 0) {
                EXPECT_EQ(f.get_painted() & 0xFFFFFFu, c.colour & 0xFFFFFFu);
            }
        }
    }
}

TEST_F(color_flasher, a_new_flash_restarts_and_paints_the_colour_image) {
    base_ctrl_u *ctrl = install_ctrl(ctrl_kind_t::OTHER);
    color_flasher_t &f = *ctrl->get_flasher();
    EXPECT_EQ(f.get_window(), nullptr) << "no window before the first flash";
    ctrl->flash_color(0xFF0000FFu, 0.0f, 1.0f);
    ctrl->update(0.5f);
    EXPECT_EQ(alpha(f), 128);
    ctrl->flash_color(0xFF00FF00u, 1.0f, 1.0f);
    EXPECT_EQ(f.get_phase(), -1.0f);
    ctrl->update(0.5f);
    EXPECT_EQ(f.get_painted(), 0x8000FF00u);
    ui_view_t *text = get<ui_view_t>(color_flasher_t::FLASH_ITEM, f.get_window());
    ASSERT_NE(text, nullptr);
    char markup[128];
    color_flasher_t::color_markup(markup, sizeof markup, 0x8000FF00u);
    EXPECT_STREQ(markup, "<img src=/material/ui/color.mat xscale=stretch yscale=stretch color=8000ff00>");
    auto *t = dynamic_cast<ui_text_t *>(text);
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t->text.c_str(), markup);
    step();  // it draws with its material
}

TEST_F(color_flasher, without_a_controller_or_a_factor_the_step_is_taken_as_it_is) {
    color_flasher_t f;
    f.flash(0xFF000000u, 0.0f, 1.0f);
    f.update(0.5f);
    EXPECT_EQ(alpha(f), 128);
    set_current_ctrl(nullptr);
    f.update(0.0f);
    EXPECT_EQ(alpha(f), 128) << "a zero step changes nothing";
    f.update(0.25f);
    EXPECT_EQ(alpha(f), 64);
}

TEST_F(color_flasher, a_window_that_cannot_be_made_is_logged_once) {
    layout("/ui/gflash.esc", "entity ui.window { entity ui.nope { } }\n");
    errors_expected = true;
    color_flasher_t f;
    messages.clear();
    f.flash(0xFFFFFFFFu, 0.0f, 1.0f);
    f.flash(0xFFFFFFFFu, 0.0f, 1.0f);
    f.update(0.5f);
    EXPECT_EQ(f.get_window(), nullptr);
    int logged = 0;
    for (const auto &e : messages.entries()) logged += e.text == "cannot spawn color flasher window";
    EXPECT_EQ(logged, 1);
}

}  // namespace
}  // namespace quarn::test
