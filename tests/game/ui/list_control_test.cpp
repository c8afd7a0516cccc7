// Lists: the grid for a size, the item buttons and what they show, scrolling through
// the parent's slider and set_first, the item actions, the items' fields, and the
// list narrower than one item that shows nothing.
#include <gtest/gtest.h>

#include "controls_fixture.h"
#include "game/ui/controls/button_control.h"
#include "game/ui/controls/list_control.h"
#include "game/ui/controls/slider_control.h"

namespace quarn::test {
namespace {

// The plain list under a test name: layouts name only the common list.
const entity_reg_t PLAIN_LIST = ui_test_reg<ui_list_t>("ui.test.list");

class list_control : public controls_fixture_t {
protected:
    void SetUp() override {
        controls_fixture_t::SetUp();
        ASSERT_TRUE(entity_register(&PLAIN_LIST));
    }
    void TearDown() override {
        controls_fixture_t::TearDown();
        entity_unregister(&PLAIN_LIST);
    }
    // A list 200 x 128 at (100, 100) with a slider beside it in one group; items
    // "a", "b", ... as many as asked.
    ui_list_t *list(int items, const char *extra = "", const char *cls = "ui.comp.common.list") {
        std::string body = std::string("entity ui.comp.group { id: \"5\"\n  entity ") + cls +
                           " { id: \"10\" name: \"list\" coords: \"100 100 300 228\" look: \"6\" " + extra + " }\n" +
                           "  entity ui.comp.common.slider { id: \"11\" name: \"bar\" look: \"999\" coords: \"0 0 16 64\" }\n}";
        if (std::string(cls) != "ui.comp.common.list") body.replace(body.find("look: \"6\""), 9, "");
        open(body);
        ui_list_t *l = get<ui_list_t>(10);
        for (int i = 0; i < items; ++i) {
            const std::string zml(1, char('a' + i));
            ui_list_item_t item;
            item.zml = zml.c_str();
            item.data = uint32_t(i * 10);
            l->insert_item(item, ui_list_item_t::ZML | ui_list_item_t::DATA, uint32_t(i));
        }
        step();
        heard();
        return l;
    }
    // The items shown, in button order: "a b c".
    std::string shown(ui_list_t *l) {
        std::string out;
        for (uint32_t k = 0; k < l->item_button_count(); ++k) {
            ui_button_t *b = l->item_button(k);
            if (!b->visible) continue;
            ui_list_item_t item;
            l->get_item(uint32_t(b->id - ui_list_t::ITEM_ID), item);
            out += (out.empty() ? "" : " ") + std::string(item.zml);
        }
        return out;
    }
};

TEST_F(list_control, the_grid_follows_size_gap_and_columns) {
    ui_list_t *l = list(3);
    const struct {
        float width, height, item_width, item_height, gap;
        bool multi;
        uint32_t rows, columns;
    } cases[] = {
        {200, 100, 32, 32, 0, false, 3, 1}, {200, 100, 32, 32, 4, false, 2, 1}, {200, 31, 32, 32, 0, false, 0, 1},
        {200, 32, 32, 32, 0, false, 1, 1},  {100, 100, 32, 32, 0, true, 3, 3},  {100, 100, 32, 32, 2, true, 3, 3},
        {101, 100, 32, 32, 2, true, 3, 3},  {134, 100, 32, 32, 2, true, 3, 4},  {20, 100, 32, 32, 0, true, 3, 0},
    };
    for (const auto &c : cases) {
        l->item_width = c.item_width;
        l->item_height = c.item_height;
        l->item_gap = c.gap;
        l->multi_column = c.multi;
        l->rect = {100, 100 + c.width, 100 + c.height, 100};
        l->changed(UI_CHANGED_SIZE);
        step();
        EXPECT_EQ(l->get_rows(), c.rows) << c.width << " x " << c.height << " gap " << c.gap << " multi " << c.multi;
        EXPECT_EQ(l->get_columns(), c.columns) << c.width << " x " << c.height << " gap " << c.gap;
        EXPECT_EQ(l->get_first(), c.rows > 0 && c.columns > 0 ? 0 : -1);
    }
}

TEST_F(list_control, item_buttons_sit_in_rows_and_columns) {
    ui_list_t *l = list(5, "multi_column: \"true\" item_width: \"90\" item_gap: \"10\"");
    // 200 wide: 2 columns of 90; 128 high, rows of 24 with gaps of 10: 4 rows.
    ASSERT_EQ(l->get_columns(), 2u);
    ASSERT_EQ(l->get_rows(), 4u);
    EXPECT_EQ(l->item_button_count(), 8u);
    EXPECT_EQ(shown(l), "a b c d e");
    ui_button_t *third = l->item_button(2);
    EXPECT_EQ(third->rect, (ui_rect_t{100, 190, 194, 170})) << "column 0, row 1";
    EXPECT_EQ(l->item_button(3)->rect, (ui_rect_t{200, 290, 194, 170}));
    EXPECT_EQ(third->id, ui_list_t::ITEM_ID + 2);
    EXPECT_EQ(third->button_type, ui_button_t::RADIO);
    EXPECT_STREQ(third->get_name(), "_list item");
    EXPECT_EQ(find_item_by_id(window, ui_list_t::ITEM_ID + 2, true), nullptr) << "no public component";
    // A single column: buttons as wide as the list.
    ui_list_t *single = list(2);
    EXPECT_EQ(single->item_button(1)->rect, (ui_rect_t{100, 300, 204, 180}));
}

TEST_F(list_control, set_first_keeps_the_last_rows_filled) {
    // Three columns of 60 in 200, two rows of 24 in 60: six cells, ten items.
    ui_list_t *l = list(10, "multi_column: \"true\" item_width: \"60\"");
    l->rect = {100, 300, 160, 100};
    l->changed(UI_CHANGED_SIZE);
    step();
    ASSERT_EQ(l->get_columns(), 3u);
    ASSERT_EQ(l->get_rows(), 2u);
    ui_slider_t *s = l->get_slider();
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->is_active());
    EXPECT_EQ(s->get_maximum(), 2) << "(10 - 1 - 3) div 3";
    const struct {
        int32_t index, first;
        const char *shown;
    } cases[] = {
        {7, 6, "g h i j"}, {9, 6, "g h i j"}, {3, 3, "d e f g h i"}, {4, 3, "d e f g h i"},
        {0, 0, "a b c d e f"}, {10, 0, "a b c d e f"}, {-1, 0, "a b c d e f"}, {8, 6, "g h i j"},
    };
    for (const auto &c : cases) {
        l->set_first(c.index);
        step();
        EXPECT_EQ(l->get_first(), c.first) << c.index;
        EXPECT_EQ(shown(l), c.shown) << c.index;
        EXPECT_EQ(s->get_value(), c.first / 3);
    }
    // The slider scrolls the list by rows.
    s->set_value(1, true);
    step();
    EXPECT_EQ(l->get_first(), 3);
    EXPECT_EQ(heard(), "") << "the list takes its slider's value action";
}

TEST_F(list_control, the_slider_is_managed_and_idle_when_everything_fits) {
    ui_list_t *l = list(3, "slider_management: \"true\"");
    ui_slider_t *s = l->get_slider();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->rect, (ui_rect_t{300, 316, 228, 100})) << "as tall as the list, at its right edge";
    EXPECT_FALSE(s->is_active());
    EXPECT_EQ(s->get_maximum(), 1);
    EXPECT_TRUE(s->action_on_drag);
    // Dragged, it scrolls as it goes.
    for (int i = 3; i < 12; ++i) {
        ui_list_item_t item;
        const std::string zml(1, char('a' + i));
        item.zml = zml.c_str();
        l->insert_item(item, ui_list_item_t::ZML, 100);
    }
    step();
    EXPECT_TRUE(s->is_active());
    EXPECT_EQ(s->get_maximum(), 7) << "12 items in 5 rows";
    pointer(308, 212);
    pointer_button(true);
    step();
    pointer(308, 100);
    step();
    EXPECT_EQ(l->get_first(), 7);
    EXPECT_EQ(shown(l), "h i j k l");
    pointer_button(false);
    step();
}

TEST_F(list_control, a_list_narrower_than_one_item_shows_nothing) {
    ui_list_t *l = list(4, "multi_column: \"true\" item_width: \"250\"");
    EXPECT_EQ(l->get_columns(), 0u);
    EXPECT_EQ(l->get_first(), -1);
    EXPECT_EQ(shown(l), "");
    ui_slider_t *s = l->get_slider();
    EXPECT_FALSE(s->is_active());
    EXPECT_EQ(s->get_maximum(), 1);
    l->set_first(2);
    s->set_value(1, true);
    step();
    EXPECT_EQ(l->get_first(), -1);
    // Wide enough again, it shows its items.
    l->set_value("item_width", "100");
    step();
    EXPECT_EQ(l->get_columns(), 2u);
    EXPECT_EQ(shown(l), "a b c d");
}

TEST_F(list_control, items_insert_read_and_change) {
    ui_list_t *l = list(2);
    ui_list_item_t item;
    item.zml = "z";
    item.text = "Zed";
    item.active = false;
    int thing = 0;
    item.pointer = &thing;
    ASSERT_TRUE(l->insert_item(item, ui_list_item_t::ALL, 99));
    EXPECT_EQ(l->item_count(), 3u);
    ui_list_item_t out;
    ASSERT_TRUE(l->get_item(2, out));
    EXPECT_STREQ(out.zml, "z") << "inserted beyond the count: appended";
    EXPECT_STREQ(out.text, "Zed");
    EXPECT_FALSE(out.active);
    EXPECT_EQ(out.pointer, &thing);
    EXPECT_FALSE(l->get_item(3, out));
    // Defaults of the fields not given.
    ASSERT_TRUE(l->insert_item(item, ui_list_item_t::ZML, 0));
    ASSERT_TRUE(l->get_item(0, out));
    EXPECT_TRUE(out.active);
    EXPECT_STREQ(out.text, "");
    EXPECT_EQ(out.data, 0u);
    EXPECT_EQ(out.pointer, nullptr);
    step();
    EXPECT_EQ(shown(l), "z a b z");
    EXPECT_FALSE(l->item_button(3)->is_active()) << "an inactive item";
    EXPECT_FALSE(l->set_item(4, item, ui_list_item_t::TEXT));
    l->clear_items();
    step();
    EXPECT_EQ(l->item_count(), 0u);
    EXPECT_EQ(shown(l), "");
    EXPECT_EQ(l->item_button(0)->n_zml, "");
}

TEST_F(list_control, layouts_give_items_field_by_field) {
    open("entity ui.comp.common.list { id: \"10\" coords: \"0 0 200 100\" look: \"6\"\n"
         "  item_zml: \"Valley\" item_data: \"1\" item_zml: \"Peaks\" item_data: \"2\" item_active: \"false\"\n"
         "  item_zml: \"Cross\" item_text: \"the third\" }");
    ui_list_t *l = get<ui_list_t>(10);
    ASSERT_EQ(l->item_count(), 3u);
    ui_list_item_t out;
    ASSERT_TRUE(l->get_item(1, out));
    EXPECT_STREQ(out.zml, "Peaks");
    EXPECT_EQ(out.data, 2u);
    EXPECT_FALSE(out.active);
    ASSERT_TRUE(l->get_item(2, out));
    EXPECT_STREQ(out.text, "the third");
    EXPECT_TRUE(l->set_value("items", "1"));
    EXPECT_EQ(l->item_count(), 1u);
    EXPECT_FALSE(l->try_set_value("item_data", "-"));
}

TEST_F(list_control, clicks_hovers_and_selections_become_list_actions) {
    ui_list_t *l = list(4);
    // Rows of 24 from the top at 228: item 1 spans 180 to 204.
    pointer(150, 190);
    step();
    EXPECT_EQ(l->get_hovered(), 1);
    EXPECT_EQ(heard(), "h: 20 list 1");
    click(150, 190);
    step();
    EXPECT_EQ(heard(), "h: 12 list 1 | h: 22 list 1 | h: 13 list 1");
    EXPECT_EQ(l->get_selected(), 1);
    EXPECT_TRUE(l->item_button(1)->down);
    // The same item again: it loses and gets the selection.
    click(150, 190);
    step();
    EXPECT_EQ(heard(), "h: 12 list 1 | h: 23 list 1 | h: 22 list 1 | h: 13 list 1");
    click(150, 214);
    step();
    EXPECT_EQ(heard(), "h: 21 list 1 | h: 20 list 0 | h: 12 list 1 | h: 23 list 1 | h: 22 list 0 | h: 13 list 1");
    EXPECT_TRUE(l->item_button(0)->down);
    EXPECT_FALSE(l->item_button(1)->down);
    pointer(500, 500);
    step();
    EXPECT_EQ(heard(), "h: 21 list 0");
    EXPECT_EQ(l->get_hovered(), -1);
    // The selected item made inactive loses the selection.
    ui_list_item_t item;
    item.active = false;
    ASSERT_TRUE(l->set_item(0, item, ui_list_item_t::ACTIVE));
    EXPECT_EQ(l->get_selected(), -1);
    step();
    EXPECT_FALSE(l->item_button(0)->down);
    // Keys of a focused item go on as the list's; action 14 becomes 24.
    window->set_focus(l->item_button(2));
    press(57);
    step();
    EXPECT_EQ(heard(), "h: 7 list 57 | h: 8 list 57");
    ui_act_param_t p;
    p.word0 = 1;
    l->item_button(2)->action(l->item_button(2), UI_ACT_ITEM, &p);
    EXPECT_EQ(heard(), "h: 24 list 2");
}

TEST_F(list_control, a_plain_list_fills_its_formats_with_long_items_whole) {
    ui_list_t *l = list(0, "n_zml: \"<color value=ff00ffff>%s</color>\" s_zml: \"[%s]\" p_zml: \"%s%n\" d_zml: \"-\"",
                        "ui.test.list");
    ui_list_item_t item;
    const std::string zml = std::string(3000, 'x') + "<color value=ff0000ff>END</color>";
    item.zml = zml.c_str();
    l->insert_item(item, ui_list_item_t::ZML, 0);
    pointer(500, 500);
    step();
    ui_button_t *b = l->item_button(0);
    EXPECT_EQ(b->n_zml, ("<color value=ff00ffff>" + zml + "</color>").c_str());
    EXPECT_EQ(b->p_zml, (zml + "%n").c_str()) << "a format is data: the checked formatter fills it";
    EXPECT_EQ(b->d_zml, "-");
    EXPECT_NE(texts().find("END"), std::string::npos);
}

TEST_F(list_control, the_common_list_takes_its_item_size_and_look_from_the_template) {
    ui_list_t *l = list(2);
    EXPECT_FLOAT_EQ(l->item_height, 24.0f) << "List Row";
    EXPECT_FLOAT_EQ(l->item_width, 32.0f) << "no width in the template";
    auto *b = dynamic_cast<ui_common_button_t *>(l->item_button(1));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->look, 6);
    EXPECT_EQ(b->value, "b");
    EXPECT_NE(std::string(b->n_zml.c_str()).find(" b</align>"), std::string::npos) << b->n_zml.c_str();
    EXPECT_EQ(b->button_type, ui_button_t::RADIO);
    l->set_value("look", "0");
    step();
    EXPECT_EQ(b->look, 0);
    EXPECT_NE(std::string(b->n_zml.c_str()).find("vstyle=center>b</align>"), std::string::npos) << b->n_zml.c_str();
}

}  // namespace
}  // namespace quarn::test
