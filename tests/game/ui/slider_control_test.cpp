// Sliders: keys by ticks, dragging and its reports, paging toward the pointer, the
// vertical orientation, the template by shape, and the empty range and the full
// track that must not divide by zero.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "controls_fixture.h"
#include "game/ui/controls/slider_control.h"

namespace quarn::test {
namespace {

class slider_control : public controls_fixture_t {
protected:
    // A slider without a template (look 999): a 32 x 32 knob, the track its
    // rectangle.
    ui_common_slider_t *slider(const char *coords, const char *extra = "") {
        open(std::string("entity ui.comp.common.slider { id: \"1\" name: \"s\" look: \"999\" coords: \"") + coords +
             "\" " + extra + " }");
        step();
        return get<ui_common_slider_t>(1);
    }
};

TEST_F(slider_control, keys_move_by_ticks_and_stop_at_the_end) {
    ui_slider_t *s = slider("100 100 300 132", "tick: \"10\"");
    ASSERT_NE(s, nullptr);
    window->set_focus(s);
    heard();
    std::string seen;
    for (int i = 0; i < 12; ++i) {
        press(UI_KEY_RIGHT);
        step();
        seen += std::to_string(s->get_value()) + " ";
    }
    EXPECT_EQ(seen, "10 20 30 40 50 60 70 80 90 100 100 100 ");
    EXPECT_EQ(heard().find("h: 7"), std::string::npos) << "the keys are the slider's";
    press(UI_KEY_LEFT);
    press(UI_KEY_UP);
    step();
    EXPECT_EQ(s->get_value(), 90) << "Up is no key of a horizontal slider";
    EXPECT_EQ(heard(), "h: 2 s 90 | h: 7 s 200 | h: 8 s 200");
}

TEST_F(slider_control, a_drag_reports_on_release_or_on_every_move) {
    for (bool on_drag : {false, true}) {
        ui_slider_t *s = slider("100 100 300 132", on_drag ? "action_on_drag: \"true\"" : "");
        ASSERT_FLOAT_EQ(s->get_travel(), 168.0f);
        heard();
        pointer(116, 116);  // the knob's centre at value 0
        pointer_button(true);
        step();
        EXPECT_TRUE(s->is_dragging());
        EXPECT_EQ(s->knob_look(), ui_slider_t::KNOB_DRAGGED);
        pointer(200, 120);  // 84 of 168
        step();
        EXPECT_EQ(s->get_value(), 50);
        pointer(700, 400);  // held: far outside still drags
        step();
        EXPECT_EQ(s->get_value(), 100);
        pointer(158, 0);
        step();
        pointer_button(false);
        step();
        EXPECT_FALSE(s->is_dragging());
        EXPECT_EQ(window->get_capture(), nullptr);
        EXPECT_EQ(heard(), on_drag ? "h: 5 s 0 | h: 12 s 1 | h: 2 s 50 | h: 2 s 100 | h: 2 s 25 | h: 2 s 25 | h: 6 s 25 | h: 13 s 1"
                                   : "h: 5 s 0 | h: 12 s 1 | h: 2 s 25 | h: 6 s 25 | h: 13 s 1");
        ui_wremove(window_item);
    }
}

TEST_F(slider_control, a_vertical_slider_has_its_minimum_at_the_top) {
    ui_slider_t *s = slider("100 100 132 300");
    ASSERT_TRUE(s->is_vertical());
    EXPECT_FLOAT_EQ(s->knob_rect().top, 300.0f);
    s->set_value(100, false);
    EXPECT_FLOAT_EQ(s->knob_rect().bottom, 100.0f);
    // Dragged toward the bottom, the value grows.
    s->set_value(0, false);
    pointer(116, 284);
    pointer_button(true);
    step();
    pointer(116, 200);  // 84 below the knob's first centre
    step();
    EXPECT_EQ(s->get_value(), 50);
    pointer_button(false);
    step();
    // Up and Down are its keys too.
    window->set_focus(s);
    press(UI_KEY_UP);
    step();
    EXPECT_EQ(s->get_value(), 51);
    press(UI_KEY_DOWN);
    press(UI_KEY_DOWN);
    step();
    EXPECT_EQ(s->get_value(), 49);
}

TEST_F(slider_control, paging_moves_toward_the_pointer_until_the_knob_covers_it) {
    ui_slider_t *s = slider("100 100 300 132", "tick: \"25\"");
    heard();
    pointer(240, 116);  // the knob's centre there would be value 73.8: 74
    pointer_button(true);
    std::vector<int64_t> seen;
    for (int frame = 0; frame < 40; ++frame) {
        step();
        if (seen.empty() || seen.back() != s->get_value()) seen.push_back(s->get_value());
        if (frame == 7) {
            EXPECT_EQ(s->get_value(), 25) << "0.15 s after the first page, not yet";
        }
        if (frame == 8) {
            EXPECT_EQ(s->get_value(), 50);
        }
    }
    EXPECT_EQ(seen, (std::vector<int64_t>{25, 50, 74})) << "the last page short, not past the pointer";
    EXPECT_FALSE(s->is_paging());
    EXPECT_EQ(heard(), "h: 12 s 1 | h: 2 s 25 | h: 2 s 50 | h: 2 s 74");
    pointer_button(false);
    step();
    // Backward, and let go early: paging stops at once.
    pointer(110, 116);
    pointer_button(true);
    step();
    EXPECT_EQ(s->get_value(), 49);
    pointer_button(false);
    step(20);
    EXPECT_EQ(s->get_value(), 49);
    EXPECT_FALSE(s->is_paging());
}

TEST_F(slider_control, an_empty_range_and_a_full_track_never_divide_by_zero) {
    ui_slider_t *s = slider("100 100 300 132");
    s->set_range(0, 0);
    s->set_value(5, false);
    EXPECT_EQ(s->get_fraction(), 0.0f);
    EXPECT_EQ(s->get_value(), 0);
    s->set_range(10, 10);
    s->set_value(0, false);
    EXPECT_EQ(s->get_value(), 10) << "the minimum";
    EXPECT_FALSE(std::isnan(s->knob_rect().left));
    ui_wremove(window_item);
    // A knob as wide as its track: dragging leaves knob and value where they are.
    ui_slider_t *full = slider("100 100 132 132");
    ASSERT_LE(full->get_travel(), 0.0f);
    full->set_value(40, false);
    pointer(116, 116);
    pointer_button(true);
    step();
    pointer(130, 116);
    step();
    EXPECT_EQ(full->get_value(), 40);
    EXPECT_FALSE(std::isnan(full->knob_rect().left));
    pointer_button(false);
    step();
}

TEST_F(slider_control, the_common_slider_reads_the_keys_of_its_shape) {
    open("entity ui.comp.common.slider { id: \"1\" look: \"1\" coords: \"100 100 300 124\" }");
    ui_common_slider_t *s = get<ui_common_slider_t>(1);
    EXPECT_NE(std::string(s->n_zml.c_str()).find("slider_knob.mat"), std::string::npos);
    EXPECT_FLOAT_EQ(s->margin, 4.0f);
    step();
    EXPECT_FLOAT_EQ(s->get_travel(), 200.0f - 16.0f - 8.0f);
    // Made taller than wide, it takes the vertical keys; look 1 has none: fallbacks.
    s->set_value("coords", "100 100 124 300");
    EXPECT_EQ(s->n_zml, "<img src=/system/ui/default/uidefault.mat color=30ffffff><ret><offset hshift=4 vshift=4>X");
    EXPECT_FLOAT_EQ(s->margin, 0.0f);
    s->set_value("look", "0");
    step();
    EXPECT_NE(std::string(s->n_zml.c_str()).find("width=16 height=16"), std::string::npos) << s->n_zml.c_str();
    EXPECT_TRUE(s->is_vertical());
}

}  // namespace
}  // namespace quarn::test
