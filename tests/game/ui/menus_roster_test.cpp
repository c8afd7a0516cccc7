// The name entry after a game, over its real layout: the place a score earns, the
// entry in memory and on file, the name check and the online submission.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "game/game_data.h"
#include "game/session/score.h"
#include "game/ui/menus/grosterhdl.h"
#include "game/ui/controls/input_line.h"
#include "menus_fixture.h"
#include "outside/qrnshared/ui/ui.h"

namespace quarn::test {
namespace {

class menus_roster : public menus_fixture_t {
protected:
    void SetUp() override {
        menus_fixture_t::SetUp();
        install_ctrl(ctrl_kind_t::HUNT);
    }
    ingame_roster_handler_t *finish_with(uint32_t score) {
        get_game_data()->get_running_score()->score = score;
        return open_row<ingame_roster_handler_t>(WINDOW_GAME_ROSTER);
    }
    std::string scores_file() {
        std::ifstream in(dir.file("home/scores.unit"));
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void type_name(const char *name) { get<ui_input_line_t>(ingame_roster_handler_t::ITEM_NAME)->set_text(name, false); }
};

TEST_F(menus_roster, the_place_is_the_first_entry_with_a_lower_score) {
    struct case_t {
        std::initializer_list<std::pair<uint32_t, uint32_t>> table;
        uint32_t score;
        int32_t place;
    };
    const case_t cases[] = {
        {{{100, 1}, {50, 1}, {20, 1}}, 500, 0},
        {{{100, 1}, {50, 1}, {20, 1}}, 60, 1},
        {{{100, 1}, {50, 1}, {20, 1}}, 20, -1},  // equal to the lowest: no place
        {{{20, 1}, {20, 1}, {20, 1}}, 20, -1},
        {{}, 10, -1},                            // an empty table
    };
    for (const case_t &c : cases) {
        table_of(c.table);
        commands.clear();
        ingame_roster_handler_t *roster = finish_with(c.score);
        ASSERT_NE(roster, nullptr);
        EXPECT_EQ(roster->get_place(), c.place) << c.score;
        EXPECT_EQ(commands, c.place < 0 ? std::vector<std::string>{"menu"} : std::vector<std::string>{}) << c.score;
        if (c.place >= 0) {
            EXPECT_EQ(shown(ingame_roster_handler_t::ITEM_PLACE), std::to_string(c.place + 1));
            score_table_u *table = session->get_high_scores();
            EXPECT_EQ(table->get_count(), c.table.size()) << "the table keeps its length";
            EXPECT_EQ(table->get_entry(uint32_t(c.place))->score, c.score);
        }
        session->close_all_windows();
    }
}

TEST_F(menus_roster, the_entry_reaches_the_file_only_when_saved) {
    table_of({{100, 1}, {50, 1}, {20, 1}});
    ASSERT_TRUE(session->save_high_scores());
    const std::string before = scores_file();
    set_var("g_player_name", "Old");
    ingame_roster_handler_t *roster = finish_with(70);
    ASSERT_NE(roster, nullptr);
    EXPECT_EQ(get<ui_input_line_t>(30)->get_text(), std::string("Old")) << "the last name is offered";
    EXPECT_TRUE(process.paused) << "the hunt is held";
    EXPECT_FALSE(get<ui_view_t>(42)->visible);
    EXPECT_EQ(scores_file(), before) << "in memory only";

    // An empty name keeps the focus and stores nothing.
    type_name("");
    window->set_focus(nullptr);
    EXPECT_TRUE(click(ingame_roster_handler_t::BUTTON_SAVE));
    EXPECT_EQ(window->get_focus(), get<ui_view_t>(30));
    EXPECT_EQ(scores_file(), before);
    EXPECT_TRUE(commands.empty());

    type_name("Anna");
    EXPECT_TRUE(click(ingame_roster_handler_t::BUTTON_SAVE));
    EXPECT_EQ(var_text("g_player_name"), "Anna");
    EXPECT_NE(scores_file().find("Anna"), std::string::npos);
    EXPECT_EQ(commands, std::vector<std::string>{"menu highscore"});
    EXPECT_EQ(std::string(session->get_high_scores()->get_entry(1)->player_name.c_str()), "Anna");
}

TEST_F(menus_roster, upload_asks_then_opens_the_submission_with_the_token) {
    table_of({{100, 1}, {50, 1}});
    ingame_roster_handler_t *roster = finish_with(75);
    ASSERT_NE(roster, nullptr);
    type_name("Anna");
    EXPECT_TRUE(click(ingame_roster_handler_t::BUTTON_UPLOAD));
    EXPECT_TRUE(roster->holds_upload_dialog());
    EXPECT_FALSE(get<ui_view_t>(100)->visible);
    EXPECT_NE(scores_file().find("Anna"), std::string::npos) << "saved before the question";

    c_item_t *self = window_item;
    c_item_t *dialog = ui_wget("dialog", "webupload");
    ASSERT_NE(dialog, nullptr);
    window_item = dialog;
    window = ui_window_of(dialog);
    screen = handler_of(dialog);
    EXPECT_TRUE(click(10));
    window_item = self;
    window = ui_window_of(self);
    step();

    mstring_dyn_t token;
    ASSERT_TRUE(session->get_high_scores()->get_entry(1)->make_submit_token("Anna", token));
    ASSERT_FALSE(process.calls.empty());
    EXPECT_EQ(process.calls.back(), std::string("link https://scores.example.com/fernwold/submit?score=") + token.c_str());
    EXPECT_EQ(commands, std::vector<std::string>{"menu highscore"});
    EXPECT_TRUE(get<ui_view_t>(100)->visible);

    // Saving only opens no page.
    process.calls.clear();
    commands.clear();
    session->close_all_windows();
    table_of({{100, 1}});
    finish_with(200);
    type_name("Bo");
    EXPECT_TRUE(click(ingame_roster_handler_t::BUTTON_UPLOAD));
    self = window_item;
    window_item = ui_wget("dialog", "webupload");
    window = ui_window_of(window_item);
    EXPECT_TRUE(click(20));
    window_item = self;
    window = ui_window_of(self);
    step();
    for (const std::string &call : process.calls) EXPECT_EQ(call.rfind("link", 0), std::string::npos) << call;
    EXPECT_EQ(commands, std::vector<std::string>{"menu highscore"});
}

}  // namespace
}  // namespace quarn::test
