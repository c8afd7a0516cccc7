// Buttons: the look by state, clicks of each type by key and pointer, the radio
// group, cancelling by leaving, and the common button's template size and area.
#include <gtest/gtest.h>

#include "controls_fixture.h"
#include "game/ui/controls/button_control.h"

namespace quarn::test {
namespace {

class button_control : public controls_fixture_t {
protected:
    // Buttons with one-word looks, so that the drawn text names the look.
    static std::string button(int id, const char *type, const char *coords, const char *extra = "") {
        return std::string("entity ui.comp.button { id: \"") + std::to_string(id) + "\" name: \"b" + std::to_string(id) +
               "\" button_type: \"" + type + "\" coords: \"" + coords +
               "\" n_zml: \"n\" s_zml: \"s\" s2_zml: \"s2\" p_zml: \"p\" d_zml: \"d\" " + extra + " }\n";
    }
};

TEST_F(button_control, the_look_follows_the_state_table) {
    ASSERT_NE(open(button(1, "normal", "0 0 100 20") + button(2, "check", "0 100 100 120", "s2_zml: \"\"")), nullptr);
    ui_button_t *with_s2 = get<ui_button_t>(1);
    ui_button_t *without_s2 = get<ui_button_t>(2);
    const struct {
        bool active, down, selected;
        int32_t type;
        bool has_s2;
        const char *look;
    } cases[] = {
        {true, false, false, 0, true, "n"},  {true, false, true, 1, true, "s"},   {true, true, true, 1, true, "s2"},
        {true, true, true, 2, true, "s2"},   {true, true, true, 3, true, "s2"},   {true, true, true, 0, true, "p"},
        {true, true, false, 1, true, "p"},   {true, true, true, 1, false, "p"},   {false, true, true, 1, true, "d"},
        {false, false, false, 0, true, "d"},
    };
    for (const auto &c : cases) {
        ui_button_t *b = c.has_s2 ? with_s2 : without_s2;
        b->activate(c.active);
        b->down = c.down;
        b->button_type = c.type;
        window->set_focus(c.selected ? b : nullptr);
        pointer(500, 500);
        step();
        EXPECT_EQ(texts(), std::string(c.look) == "n" || c.has_s2 ? std::string(c.look) + ",n" : "n," + std::string(c.look))
            << "active " << c.active << " down " << c.down << " selected " << c.selected << " type " << c.type;
        EXPECT_EQ(b->get_shown_look(), b->state());
        b->activate(true);
        b->down = false;
    }
}

TEST_F(button_control, a_check_button_clicked_twice_reports_down_then_up) {
    ASSERT_NE(open(button(1, "check", "0 0 100 20") + button(2, "check", "0 100 100 120", "s2_zml: \"\"")), nullptr);
    for (int id : {1, 2}) {
        click(50, id == 1 ? 10 : 110);
        step();
        EXPECT_EQ(heard(), "h: 12 b" + std::to_string(id) + " 1 | h: 2 b" + std::to_string(id) +
                               " 1 | h: 13 b" + std::to_string(id) + " 1");
        EXPECT_EQ(get<ui_button_t>(id)->look_text(get<ui_button_t>(id)->get_shown_look()), id == 1 ? "s2" : "p")
            << "checked under the pointer";
        pointer(500, 500);
        window->set_focus(nullptr);
        step();
        EXPECT_EQ(get<ui_button_t>(id)->look_text(get<ui_button_t>(id)->get_shown_look()), "p") << "checked";
        click(50, id == 1 ? 10 : 110);
        step();
        EXPECT_EQ(heard(), "h: 12 b" + std::to_string(id) + " 1 | h: 2 b" + std::to_string(id) +
                               " 0 | h: 13 b" + std::to_string(id) + " 1");
        EXPECT_FALSE(get<ui_button_t>(id)->down);
    }
}

TEST_F(button_control, a_radio_click_sets_only_its_radio_siblings_up) {
    ASSERT_NE(open("entity ui.comp.group { id: \"10\"\n" + button(1, "radio", "0 0 100 20", "down: \"true\"") +
                   button(2, "radio", "0 100 100 120") + button(3, "check", "0 200 100 220", "down: \"true\"") +
                   button(4, "normal", "0 300 100 320") + "}\n" + button(5, "radio", "500 0 600 20", "down: \"true\"")),
              nullptr);
    get<ui_button_t>(4)->down = true;
    click(50, 110);
    step();
    EXPECT_FALSE(get<ui_button_t>(1)->down);
    EXPECT_TRUE(get<ui_button_t>(2)->down);
    EXPECT_TRUE(get<ui_button_t>(3)->down) << "a check box of the group";
    EXPECT_TRUE(get<ui_button_t>(4)->down) << "a normal button of the group";
    EXPECT_TRUE(get<ui_button_t>(5)->down) << "a radio button of another group";
    // Clicked again it stays down, and says so.
    heard();
    click(50, 110);
    step();
    EXPECT_EQ(heard(), "h: 12 b2 1 | h: 2 b2 1 | h: 13 b2 1");
    EXPECT_TRUE(get<ui_button_t>(2)->down);
    EXPECT_TRUE(get<ui_button_t>(2)->set_down(false)) << "set_down answers the former state";
    EXPECT_FALSE(get<ui_button_t>(2)->set_down(false));
}

TEST_F(button_control, clicks_by_type_by_pointer_and_key) {
    ASSERT_NE(open(button(1, "normal", "0 0 100 20") + button(3, "menu", "0 100 100 120") +
                   button(4, "check", "0 200 100 220")),
              nullptr);
    // A normal button held and left by the pointer sends no click; released on it,
    // it clicks.
    pointer(50, 10);
    pointer_button(true);
    step();
    EXPECT_TRUE(get<ui_button_t>(1)->down);
    pointer(500, 500);
    step();
    EXPECT_FALSE(get<ui_button_t>(1)->down) << "leaving cancels";
    pointer(50, 10);
    pointer_button(false);
    step();
    EXPECT_EQ(heard(), "h: 12 b1 1 | h: 13 b1 1");
    pointer(50, 10);
    pointer_button(true);
    step();
    pointer_button(false);
    step();
    EXPECT_EQ(heard(), "h: 12 b1 1 | h: 2 b1 0 | h: 13 b1 1");
    // A menu button clicks on the press.
    pointer(50, 110);
    pointer_button(true);
    step();
    EXPECT_EQ(heard(), "h: 2 b3 0 | h: 12 b3 1");
    pointer_button(false);
    step();
    EXPECT_EQ(heard(), "h: 13 b3 1");
    // A check box armed by the press and left before the release does not click.
    pointer(50, 210);
    pointer_button(true);
    step();
    EXPECT_TRUE(get<ui_button_t>(4)->is_armed());
    pointer(500, 500);
    window->set_focus(nullptr);
    pointer_button(false);
    step();
    EXPECT_FALSE(get<ui_button_t>(4)->is_armed());
    EXPECT_FALSE(get<ui_button_t>(4)->down);
    // The action key of the focused button: consumed, so no key action follows.
    heard();
    window->set_focus(get<ui_button_t>(4));
    press(UI_KEY_ENTER);
    step();
    EXPECT_EQ(heard(), "h: 2 b4 1");
    EXPECT_TRUE(get<ui_button_t>(4)->down);
    // Other keys go on; a disabled button takes nothing.
    press(57);
    step();
    EXPECT_EQ(heard(), "h: 7 b4 57 | h: 8 b4 57");
    get<ui_button_t>(4)->activate(false);
    step();
    EXPECT_EQ(get<ui_button_t>(4)->look_text(get<ui_button_t>(4)->get_shown_look()), "d");
}

TEST_F(button_control, the_common_button_takes_type_size_and_area_from_its_template) {
    ASSERT_NE(open("entity ui.comp.common.button { id: \"1\" coords: \"100 100 120 120\" look: \"5\" value: \"OK\" }\n"
                   "entity ui.comp.common.button { id: \"2\" coords: \"100 300 200 324\" look: \"1\" value: \"Off\" "
                   "value2: \"On\" }"),
              nullptr);
    ui_common_button_t *ok = get<ui_common_button_t>(1);
    EXPECT_EQ(ok->rect, (ui_rect_t{100, 228, 132, 100})) << "128 x 32 from the left and bottom edges";
    ASSERT_TRUE(ok->has_area);
    EXPECT_EQ(ok->area, (ui_rect_t{104, 224, 128, 104})) << "areaoff 4 4 4 4";
    ok->move_to(0, 0);
    EXPECT_EQ(ok->area, (ui_rect_t{4, 124, 28, 4})) << "the area moves along";
    ui_common_button_t *check = get<ui_common_button_t>(2);
    EXPECT_EQ(check->button_type, ui_button_t::CHECK);
    EXPECT_NE(std::string(check->n_zml.c_str()).find("Off"), std::string::npos);
    EXPECT_NE(std::string(check->p_zml.c_str()).find("On"), std::string::npos) << "a check box's down look takes value2";
    EXPECT_NE(std::string(check->s2_zml.c_str()).find("On"), std::string::npos);
    // A new value is applied at the next frame.
    check->set_value("value2", "Yes");
    step();
    EXPECT_NE(std::string(check->p_zml.c_str()).find("Yes"), std::string::npos);
    click(150, 312);
    step();
    EXPECT_EQ(texts().find("Yes") != std::string::npos, true) << texts();
}

}  // namespace
}  // namespace quarn::test
