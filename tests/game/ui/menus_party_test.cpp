// The party setup over its real layout, and the standings rows.
#include <gtest/gtest.h>

#include "game/game_data.h"
#include "game/ui/controls/button_control.h"
#include "game/ui/controls/input_line.h"
#include "game/ui/controls/list_control.h"
#include "game/ui/menus/mpartymodehdl.h"
#include "game/ui/menus/party_rows.h"
#include "menus_fixture.h"

namespace quarn::test {
namespace {

class menus_party : public menus_fixture_t {
protected:
    void SetUp() override {
        menus_fixture_t::SetUp();
        install_ctrl(ctrl_kind_t::MENU);
        process.rounds_map = "valley";
        process.rounds = {2, 5, 7};
    }
    menu_party_handler_t *open_party() { return open_row<menu_party_handler_t>(WINDOW_PARTY_SETUP); }
    ui_input_line_t *name(int32_t row) { return get<ui_input_line_t>(200 + row); }
    void set_toggle(int32_t row, bool down) {
        get<ui_button_t>(100 + row)->set_down(down);
        act(UI_ACT_ACTIVATE, 100 + row, down ? 1 : 0);
    }
    std::vector<std::string> players() {
        std::vector<std::string> out;
        game_data_t *data = get_game_data();
        for (uint32_t i = 0; i < data->get_party_player_count(); ++i) {
            mstring_dyn_t n;
            data->get_party_player(i, &n, nullptr);
            out.push_back(n.c_str());
        }
        return out;
    }
};

TEST_F(menus_party, named_players_make_the_party_and_a_round_of_the_location_starts) {
    open_party();
    EXPECT_EQ(std::string(name(0)->get_text()), "Hunter 1");
    EXPECT_EQ(std::string(name(2)->get_text()), " ");
    EXPECT_FALSE(get<ui_view_t>(202)->is_active());
    EXPECT_FALSE(get<ui_view_t>(30)->is_active()) << "no party: the rows take the pointer";

    set_toggle(2, true);
    EXPECT_EQ(std::string(name(2)->get_text()), "Hunter 3");
    EXPECT_TRUE(get<ui_view_t>(202)->is_active());
    EXPECT_EQ(window->get_focus(), get<ui_view_t>(202));
    set_toggle(2, false);
    EXPECT_FALSE(get<ui_view_t>(202)->is_active());

    name(0)->set_text("  Anna ", false);
    name(1)->set_text("Bo", false);
    EXPECT_TRUE(click(menu_party_handler_t::BUTTON_START));
    EXPECT_EQ(players(), (std::vector<std::string>{"Anna", "Bo"}));
    ASSERT_EQ(commands.size(), 1u);
    const std::string round = commands[0].substr(strlen("init_round "));
    EXPECT_TRUE(round == "2" || round == "5" || round == "7") << commands[0];
    EXPECT_FALSE(get_game_data()->expert);
    EXPECT_EQ(menu_party_names.get_count(), 2u);
}

TEST_F(menus_party, a_name_of_blanks_is_empty_and_keeps_the_focus) {
    open_party();
    name(0)->set_text("Anna", false);
    name(1)->set_text("   ", false);
    EXPECT_TRUE(click(menu_party_handler_t::BUTTON_START));
    EXPECT_EQ(window->get_focus(), get<ui_view_t>(201));
    EXPECT_FALSE(get_game_data()->is_party_mode());
    EXPECT_TRUE(commands.empty());
}

TEST_F(menus_party, the_text_check_takes_letters_digits_underscores_and_blanks) {
    const std::pair<const char *, bool> cases[] = {
        {"Anna_2 B", true}, {"", true}, {"a-b", false}, {"x.", false}, {"\xe9t\xe9", false}, {"\x80", false},
    };
    for (auto [text, ok] : cases) EXPECT_EQ(menu_party_handler_t::name_text_ok(text), ok) << text;
    open_party();
    ui_act_param_t p;
    p.text = "a-b";
    EXPECT_TRUE(get<ui_view_t>(200)->action(get<ui_view_t>(200), UI_ACT_TEXT_CHECK, &p));
    EXPECT_FALSE(p.accept);
}

TEST_F(menus_party, difficulty_and_location_turn_and_stay) {
    open_party();
    EXPECT_EQ(shown(300), "@@difficulty_easy@@");
    EXPECT_EQ(shown(310), "@@loc_valley@@");
    const char *const turn[] = {"@@loc_crossing@@", "@@loc_peaks@@", "@@loc_valley@@"};
    for (const char *next : turn) {
        EXPECT_TRUE(click(menu_party_handler_t::BUTTON_LOCATION));
        EXPECT_EQ(shown(310), next);
    }
    EXPECT_TRUE(click(menu_party_handler_t::BUTTON_DIFFICULTY));
    EXPECT_TRUE(click(menu_party_handler_t::BUTTON_LOCATION));
    session->close_all_windows();
    open_party();
    EXPECT_EQ(shown(300), "@@difficulty_normal@@") << "kept between showings";
    EXPECT_EQ(shown(310), "@@loc_crossing@@");
}

TEST_F(menus_party, a_running_party_reads_no_names_and_shows_its_standings) {
    const char *const names[] = {"Anna", "Bo", "Cy"};
    get_game_data()->set_party_players(names, 3);
    open_party();
    EXPECT_TRUE(get<ui_view_t>(30)->is_active()) << "the setup shield covers the rows";
    auto *ranking = get<ui_list_t>(320);
    ASSERT_EQ(ranking->item_count(), 3u);
    ui_list_item_t first;
    ranking->get_item(0, first);
    EXPECT_EQ(std::string(first.zml), "1|0|--|Anna");
    for (int32_t row = 0; row < 4; ++row) name(row)->set_text(" ", false);
    EXPECT_TRUE(click(menu_party_handler_t::BUTTON_START));
    EXPECT_EQ(players(), (std::vector<std::string>{"Anna", "Bo", "Cy"}));
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].rfind("init_round ", 0), 0u);

    EXPECT_TRUE(escape());
    EXPECT_FALSE(get_game_data()->is_party_mode()) << "Escape ends the party";
    EXPECT_EQ(shown_windows(), "menu/main");
}

TEST_F(menus_party, no_round_on_the_location_logs_and_stays) {
    errors_expected = true;
    process.rounds_map = "peaks";
    open_party();
    EXPECT_TRUE(click(menu_party_handler_t::BUTTON_START));
    EXPECT_TRUE(messages.contains("[mpartymodehdl] Found no party rounds for given difficulty (@@difficulty_easy@@) & "
                                  "location (valley)"));
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(shown_windows(), "menu/partymode");
}

TEST(party_rows, the_higher_value_first_then_the_lower_player_and_values_saturate) {
    EXPECT_EQ(party_row_data(2, 500), (2u << 24) | 500u);
    EXPECT_EQ(party_row_data(1, 20000000), (1u << 24) | 0xFFFFFFu) << "no spill into the player bits";
    struct case_t {
        uint32_t a, b;
        int result;
    };
    const case_t cases[] = {
        {party_row_data(0, 10), party_row_data(1, 5), -1},
        {party_row_data(0, 5), party_row_data(1, 10), 1},
        {party_row_data(3, 7), party_row_data(1, 7), 1},
        {party_row_data(1, 7), party_row_data(3, 7), -1},
        {party_row_data(2, 7), party_row_data(2, 7), 0},
        {party_row_data(3, 30000000), party_row_data(0, 100), -1},
    };
    for (const case_t &c : cases) {
        ui_list_item_t a, b;
        a.data = c.a;
        b.data = c.b;
        EXPECT_EQ(party_row_compare(nullptr, a, b), c.result) << std::hex << c.a << " " << c.b;
    }
}

}  // namespace
}  // namespace quarn::test
