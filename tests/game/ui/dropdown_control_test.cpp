// Dropdowns: the drop button over the dropdown, opening takes the window's list,
// clicking and the end of an interaction close it, a list that leaves the window is
// let go, and a template size sizes the dropdown.
#include <gtest/gtest.h>

#include "controls_fixture.h"
#include "game/ui/controls/button_control.h"
#include "game/ui/controls/dropdown_control.h"
#include "game/ui/controls/list_control.h"

namespace quarn::test {
namespace {

class dropdown_control : public controls_fixture_t {
protected:
    void SetUp() override {
        controls_fixture_t::SetUp();
        open("entity ui.comp.common.dropdown { id: \"1\" name: \"drop\" coords: \"100 500 300 532\" look: \"0\" }\n"
             "entity ui.comp.common.list { id: \"2\" name: \"choices\" coords: \"100 300 300 500\" look: \"6\" "
             "visible: \"false\" item_zml: \"Valley\" item_zml: \"Peaks\" }");
        drop = get<ui_dropdown_t>(1);
        list = get<ui_list_t>(2);
        step();
        heard();
    }

    ui_dropdown_t *drop = nullptr;
    ui_list_t *list = nullptr;
};

TEST_F(dropdown_control, opening_takes_the_windows_list_and_closing_hides_it) {
    ui_button_t *b = drop->get_button();
    ASSERT_NE(b, nullptr);
    EXPECT_STREQ(b->get_name(), "_drop button");
    EXPECT_EQ(b->button_type, ui_button_t::CHECK);
    EXPECT_EQ(b->rect, drop->rect);
    EXPECT_EQ(b->area, drop->rect);
    EXPECT_FALSE(drop->is_open());
    EXPECT_EQ(drop->get_list(), nullptr);
    click(200, 516);
    step();
    EXPECT_TRUE(drop->is_open());
    EXPECT_EQ(drop->get_list(), list);
    EXPECT_TRUE(list->visible);
    EXPECT_EQ(list->get_rows(), 8u) << "laid out";
    EXPECT_NE(texts().find("Valley"), std::string::npos);
    // The end of the interaction (a choice made) closes it.
    drop->notify(UI_NOTIFY_END_INTERACTION);
    step();
    EXPECT_FALSE(drop->is_open());
    EXPECT_FALSE(list->visible);
    EXPECT_EQ(texts().find("Valley"), std::string::npos);
    // Clicked open and clicked shut.
    click(200, 516);
    step();
    EXPECT_TRUE(list->visible);
    click(200, 516);
    step();
    EXPECT_FALSE(drop->is_open());
    EXPECT_FALSE(list->visible);
    EXPECT_EQ(heard(), "h: 12 _drop button 1 | h: 2 _drop button 1 | h: 13 _drop button 1 | "
                       "h: 12 _drop button 1 | h: 2 _drop button 1 | h: 13 _drop button 1 | "
                       "h: 12 _drop button 1 | h: 2 _drop button 0 | h: 13 _drop button 1");
}

TEST_F(dropdown_control, a_list_gone_from_the_window_is_let_go) {
    drop->set_open(true);
    step();
    ASSERT_EQ(drop->get_list(), list);
    drop->get_button()->set_down(false);
    window->remove_child(list->get_item());
    step();
    EXPECT_EQ(drop->get_list(), nullptr);
    // Down again with no list in the window: it stays without one.
    drop->set_open(true);
    step();
    EXPECT_EQ(drop->get_list(), nullptr);
}

TEST_F(dropdown_control, a_template_size_sizes_the_dropdown) {
    open("entity ui.comp.common.dropdown { id: \"1\" coords: \"100 500 110 510\" look: \"5\" }", "sized");
    ui_dropdown_t *d = get<ui_dropdown_t>(1);
    EXPECT_EQ(d->rect, (ui_rect_t{100, 228, 532, 500})) << "the Dialog Button's 128 x 32";
    EXPECT_EQ(d->get_button()->rect, d->rect);
    EXPECT_EQ(d->get_button()->button_type, ui_button_t::CHECK);
    // The common dropdown's drop button is a common button.
    EXPECT_NE(dynamic_cast<ui_common_button_t *>(d->get_button()), nullptr);
}

}  // namespace
}  // namespace quarn::test
