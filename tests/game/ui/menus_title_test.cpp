// The title screens over their real layouts: the attract loop, the high-score table
// and the main menu.
#include <gtest/gtest.h>

#include <functional>

#include "game/game_data.h"
#include "game/session/score.h"
#include "game/ui/menus/confirmhdl.h"
#include "game/ui/controls/list_control.h"
#include "game/ui/menus/mmainhdl.h"
#include "game/ui/controls/portal_control.h"
#include "menus_fixture.h"
#include "outside/qrnshared/ui/lcl.h"
#include "outside/qrnshared/ui/ui.h"

namespace quarn::test {
namespace {

class menus_title : public menus_fixture_t {
protected:
    void SetUp() override {
        menus_fixture_t::SetUp();
        install_ctrl(ctrl_kind_t::MENU);
    }
    // Steps until the condition holds (checked after each frame); false after max.
    bool step_until(const std::function<bool()> &done, int max) {
        for (int i = 0; i < max; ++i) {
            step();
            if (done()) return true;
        }
        return false;
    }
    bool showing(const char *rows) { return shown_windows() == rows; }
    // The table as the list holds it, rows joined by " / ".
    std::string rows() {
        auto *portal = get<ui_portal_t>(menu_highscore_handler_t::ITEM_PORTAL);
        ui_list_t *list = portal && portal->get_child()
                              ? dynamic_cast<ui_list_t *>(ui_view_of(find_item_by_id(portal->get_child(), 10)))
                              : nullptr;
        std::string out;
        for (uint32_t i = 0; list && i < list->item_count(); ++i) {
            ui_list_item_t item;
            list->get_item(i, item);
            out += (i ? " / " : "") + std::string(item.zml);
        }
        return out;
    }
};

TEST_F(menus_title, idle_runs_the_attract_loop_and_any_input_ends_it) {
    auto *main = open_row<menu_main_handler_t>(WINDOW_MAIN_MENU);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(menu()->scene_visible);
    EXPECT_FALSE(menu_attract_mode);

    // 60 s without input: the high scores, in attract mode, without controls or pointer.
    ASSERT_TRUE(step_until([&] { return showing("menu/highscore"); }, 3100));
    EXPECT_GT(main->get_idle_time(), 60.0f);
    EXPECT_TRUE(menu_attract_mode);
    c_item_t *scores = ui_wget("menu", "highscore");
    window_item = scores;
    window = ui_window_of(scores);
    screen = handler_of(scores);
    EXPECT_FALSE(get<ui_view_t>(99)->visible);
    EXPECT_EQ(ui_pindex(), -1);
    EXPECT_TRUE(menu()->scene_visible) << "the next screen raised it again";

    // Two passes open the credits, still in attract mode.
    auto *table = dynamic_cast<menu_highscore_handler_t *>(screen);
    ASSERT_TRUE(step_until([&] { return showing("menu/credits"); }, 2000));
    EXPECT_EQ(table->get_passes(), 2u);
    EXPECT_TRUE(menu_attract_mode);

    // The credits hide their blocks one by one, then return to the main menu.
    c_item_t *credits = ui_wget("menu", "credits");
    window_item = credits;
    window = ui_window_of(credits);
    auto *blocks = dynamic_cast<menu_credits_handler_t *>(handler_of(credits));
    ASSERT_NE(blocks, nullptr);
    auto visible_blocks = [&] {
        int n = 0;
        for (int32_t id = 100; id <= 104; ++id) n += get<ui_view_t>(id)->visible;
        return n;
    };
    EXPECT_EQ(visible_blocks(), 5);
    std::vector<int> counts{5};
    ASSERT_TRUE(step_until(
        [&] {
            if (visible_blocks() != counts.back()) counts.push_back(visible_blocks());
            return showing("menu/main");
        },
        20000));
    EXPECT_EQ(counts, (std::vector<int>{5, 4, 3, 2, 1, 0}));
    EXPECT_FALSE(menu_attract_mode);

    // Attract mode again; a key returns at the next frame.
    menu_attract_mode = true;
    open_row<menu_highscore_handler_t>(WINDOW_HIGHSCORES);
    step(5);
    EXPECT_TRUE(showing("menu/highscore"));
    act(UI_ACT_KEY_UP, -1, 57);
    step();
    EXPECT_TRUE(showing("menu/main"));
    EXPECT_FALSE(menu_attract_mode);
}

TEST_F(menus_title, the_table_shows_its_rows_and_scrolls_with_a_rest_at_the_stop_point) {
    table_of({{5000, 7}, {900, 0}, {20, 1}});
    auto *table = open_row<menu_highscore_handler_t>(WINDOW_HIGHSCORES);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(rows(), "1|5000|7|P1 / 2|900|--|P2 / 3|20|1|P3");
    EXPECT_TRUE(get<ui_view_t>(99)->visible) << "controls outside attract mode";
    EXPECT_EQ(ui_pindex(), 0);

    // Three rows of 24 in a portal of 360: the table is shorter than the portal.
    EXPECT_EQ(table->get_stop_point(), 360.0f);
    EXPECT_EQ(table->get_end(), 72.0f);
    auto *portal = get<ui_portal_t>(menu_highscore_handler_t::ITEM_PORTAL);
    EXPECT_EQ(portal->get_offset_y(), 360.0f - 72.0f) << "the table's top at the portal's top";

    // The 5 s rest, then it moves: beyond the end it starts again from 0 and counts.
    step(249);
    EXPECT_EQ(table->get_position(), 360.0f);
    EXPECT_EQ(table->get_passes(), 0u);
    step(2);
    EXPECT_EQ(table->get_position(), 0.0f);
    EXPECT_EQ(table->get_passes(), 1u);
    step(200);
    EXPECT_GE(table->get_passes(), 2u) << "a short table keeps scrolling and counting";
    EXPECT_FALSE(showing("menu/credits")) << "passes open the credits only in attract mode";
}

TEST_F(menus_title, a_long_table_rests_where_its_top_meets_the_portal_top) {
    table_of({{10, 1}, {9, 1}, {8, 1}, {7, 1}, {6, 1}, {5, 1}, {4, 1}, {3, 1}, {2, 1}, {1, 1}, {1, 1}, {1, 1},
              {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}});
    auto *table = open_row<menu_highscore_handler_t>(WINDOW_HIGHSCORES);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->get_end(), 480.0f);
    // Rest, scroll to the end, wrap to 0, climb back to the stop point and rest there.
    ASSERT_TRUE([&] {
        for (int i = 0; i < 3000; ++i) {
            step();
            if (table->get_passes() == 1 && table->get_position() >= 360.0f) return true;
        }
        return false;
    }());
    const float rested = table->get_position();
    EXPECT_NEAR(table->get_countdown(), 5.0f, 0.001f);
    step(240);
    EXPECT_EQ(table->get_position(), rested) << "5 s at the stop point";
    step(20);
    EXPECT_GT(table->get_position(), rested);
}

TEST_F(menus_title, the_reset_question_keeps_or_resets_the_table) {
    table_of({{77, 2}});
    auto *table = open_row<menu_highscore_handler_t>(WINDOW_HIGHSCORES);
    ASSERT_NE(table, nullptr);
    struct case_t {
        int32_t answer;
        const char *first_row;
    };
    // Cancel keeps the table; confirm puts the defaults back.
    for (const case_t c : {case_t{20, "1|77|2|P1"}, case_t{10, nullptr}}) {
        EXPECT_TRUE(click(menu_highscore_handler_t::BUTTON_RESET));
        EXPECT_TRUE(table->holds_reset_dialog());
        c_item_t *dialog = ui_wget("dialog", "resetscore");
        ASSERT_NE(dialog, nullptr);
        EXPECT_FALSE(get<ui_view_t>(100)->visible) << "the table hides under the question";
        c_item_t *self = window_item;
        window_item = dialog;
        window = ui_window_of(dialog);
        screen = handler_of(dialog);
        EXPECT_TRUE(click(c.answer));
        window_item = self;
        window = ui_window_of(self);
        screen = handler_of(self);
        step();
        EXPECT_FALSE(table->holds_reset_dialog());
        EXPECT_TRUE(get<ui_view_t>(100)->visible);
        if (c.first_row) EXPECT_EQ(rows(), c.first_row);
        else EXPECT_EQ(rows().rfind("1|40000|--|", 0), 0u) << "the defaults are back: " << rows();
    }
}

TEST_F(menus_title, the_main_menu_opens_help_first_then_the_play_menu) {
    open_row<menu_main_handler_t>(WINDOW_MAIN_MENU);
    set_var("g_run_flags", "Tipped;");
    EXPECT_TRUE(click(menu_main_handler_t::BUTTON_PLAY));
    EXPECT_EQ(shown_windows(), "menu/help");
    EXPECT_EQ(var_text("g_run_flags"), "Tipped;Played;");

    open_row<menu_main_handler_t>(WINDOW_MAIN_MENU);
    EXPECT_TRUE(click(menu_main_handler_t::BUTTON_PLAY));
    EXPECT_EQ(shown_windows(), "menu/play");
    EXPECT_EQ(var_text("g_run_flags"), "Tipped;Played;");

    struct case_t {
        int32_t id;
        const char *opens;
    };
    const case_t cases[] = {{15, "menu/partymode"}, {20, "menu/highscore"}, {30, "menu/options"},
                            {40, "menu/credits"},   {100, "menu/quit"}};
    for (const case_t &c : cases) {
        open_row<menu_main_handler_t>(WINDOW_MAIN_MENU);
        EXPECT_TRUE(click(c.id));
        EXPECT_EQ(shown_windows(), c.opens) << c.id;
    }
    EXPECT_EQ(get_game_data()->mode, game_data_t::MODE_PLAY);
}

TEST_F(menus_title, links_show_the_link_pointer_and_open_their_address) {
    auto *main = open_row<menu_main_handler_t>(WINDOW_MAIN_MENU);
    step();
    EXPECT_FALSE(act(UI_ACT_POINTER_ENTER, MENU_LINK_MAKER));
    EXPECT_EQ(main->get_pointer_state(), uint32_t(base_handler_t::POINTER_LINK));
    EXPECT_TRUE(click(MENU_LINK_MAKER));
    EXPECT_TRUE(click(MENU_LINK_GAME));
    EXPECT_EQ(process.calls, (std::vector<std::string>{"link @@url_tzk@@", "link @@url_game@@"}));
    // The game process opens the translation: a placeholder address.
    mstring_dyn_t address;
    ASSERT_TRUE(lcl_translate_string(address, "@@url_tzk@@"));
    EXPECT_EQ(std::string(address.c_str()).rfind("https://", 0), 0u);
    EXPECT_EQ(shown(200), "@@ui_version@@1.52D");
}

}  // namespace
}  // namespace quarn::test
