// Text controls: rendering once per change, moving without rendering again, the
// common text's template, and the tooltip kept inside the screen by whole pixels.
#include <gtest/gtest.h>

#include "controls_fixture.h"
#include "game/ui/controls/text_control.h"
#include "outside/qrnshared/r_queue.h"

namespace quarn::test {
namespace {

class text_control : public controls_fixture_t {};

TEST_F(text_control, a_text_renders_once_per_change_and_moves_without_rendering) {
    ASSERT_NE(open("entity ui.comp.text { id: \"1\" coords: \"100 100 300 140\" text: \"Hello\" }"), nullptr);
    ui_text_t *t = get<ui_text_t>(1);
    ASSERT_NE(t, nullptr);
    step();
    EXPECT_EQ(texts(), "Hello");
    ui_rect_t b;
    ASSERT_TRUE(t->get_text_bounds(b));
    EXPECT_EQ(b, (ui_rect_t{100, 140, 140, 124}));
    // Moving keeps the rendered buffer and moves it along.
    t->move_to(200, 300);
    EXPECT_TRUE(t->is_rendered());
    step();
    ASSERT_TRUE(t->get_text_bounds(b));
    EXPECT_EQ(b, (ui_rect_t{200, 240, 340, 324}));
    const std::string q = std::to_string(ui_queue()->id);
    EXPECT_EQ(dump(), "ui glyphs queue " + q + " \"/system/font/default.font\" rect 200 324 240 340 tint ffffffff \"Hello\"\n");
    // A new text renders again; the same text written again does not.
    t->set_text("Bye");
    step();
    EXPECT_EQ(texts(), "Bye");
    t->set_text("Bye");
    t->render();
    EXPECT_TRUE(t->is_rendered());
    // Hidden, it draws nothing; shown again, it draws.
    t->show(false);
    step();
    EXPECT_EQ(texts(), "");
    t->show(true);
    step();
    EXPECT_EQ(texts(), "Bye");
}

TEST_F(text_control, a_common_text_fills_its_template_and_follows_its_value) {
    errors_expected = true;  // the bonus image "/material/ui/bonus/fever.mat" comes with the bonus screens
    ASSERT_NE(open("entity ui.comp.common.text { id: \"1\" coords: \"10 10 138 26\" look: \"7\" value: \"128\" }\n"
                   "entity ui.comp.common.text { id: \"2\" coords: \"10 100 20 110\" look: \"36\" value: \"fever\" }"),
              nullptr);
    ui_common_text_t *fever = get<ui_common_text_t>(1);
    EXPECT_EQ(fever->text, "<img src=/system/ui/hud/fever_fill.mat right=128>");
    fever->set_value("value", "0.5");
    step();
    EXPECT_EQ(fever->text, "<img src=/system/ui/hud/fever_fill.mat right=0.5>");
    EXPECT_NE(dump().find("\"/system/ui/hud/fever_fill.mat\" rect 10 10 74 26 uv 0 0.5 0 1"), std::string::npos) << dump();
    // A template with a size sets it from the left and bottom edges.
    ui_common_text_t *icon = get<ui_common_text_t>(2);
    EXPECT_EQ(icon->rect, (ui_rect_t{10, 74, 164, 100}));
    EXPECT_FALSE(icon->view_flags & (UI_VIEW_AUTO_WIDTH | UI_VIEW_AUTO_HEIGHT));
    EXPECT_TRUE(fever->view_flags & UI_VIEW_AUTO_WIDTH) << "look 7 gives no size";
    // get_text_bounds applies a written look first.
    fever->set_value("look", "3");
    ui_rect_t b;
    ASSERT_TRUE(fever->get_text_bounds(b));
    EXPECT_EQ(fever->text, "<align hstyle=center vstyle=center>\\y0.5</align>");
}

TEST_F(text_control, a_tooltip_moves_back_inside_the_screen_by_whole_pixels) {
    // An image of 37.3 units at 1000 sticks out beyond 1024 by 13.3.
    ASSERT_NE(open("entity ui.comp.tooltip { id: \"1\" coords: \"1000 700 1100 720\"\n"
                   "  text: \"<img src=/system/ui/default/uidefault.mat width=37.3 height=10>\" }\n"
                   "entity ui.comp.tooltip { id: \"2\" coords: \"-20 -5 100 12\" text: \"Low\" }"),
              nullptr);
    const struct {
        int32_t width, height;
        float shift_x;
    } cases[] = {
        {1024, 768, -13.0f},         // 13.3 pixels of 1 unit: 13
        {800, 600, -10.0f * 1.28f},  // 10.39 pixels of 1.28 units: 10
        {2048, 1536, -13.5f},        // 26.6 pixels of 0.5 units: 27
    };
    for (const auto &c : cases) {
        screen(c.width, c.height);
        ui_recache();
        step();
        ui_tooltip_t *t = get<ui_tooltip_t>(1);
        EXPECT_FLOAT_EQ(t->get_shift_x(), c.shift_x) << c.width;
        EXPECT_FLOAT_EQ(t->get_shift_y(), 0.0f);
        ui_rect_t b;
        ASSERT_TRUE(t->get_buffer().get_bounds(b));
        EXPECT_FLOAT_EQ(b.left, 1000.0f + c.shift_x);
    }
    // Out at the left and the bottom: moved right and up.
    screen(1024, 768);
    ui_recache();
    step();
    ui_tooltip_t *low = get<ui_tooltip_t>(2);
    EXPECT_FLOAT_EQ(low->get_shift_x(), 20.0f);
    EXPECT_FLOAT_EQ(low->get_shift_y(), -12.0f + 16.0f) << "its text stands 16 high from 12 down to -4";
    // Moved well inside, it draws where it is.
    low->move_to(100, 100);
    step();
    EXPECT_FLOAT_EQ(low->get_shift_x(), 0.0f);
    EXPECT_FLOAT_EQ(low->get_shift_y(), 0.0f);
}

}  // namespace
}  // namespace quarn::test
