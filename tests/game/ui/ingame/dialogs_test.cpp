// The in-game dialogs over a running hunt: the bonus choice, the end of a game and the
// tip for slow machines.
#include <gtest/gtest.h>

#include "game/game_data.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/session/score.h"
#include "game/ui/ingame/gbonushdl.h"
#include "game/ui/ingame/gfinishedhdl.h"
#include "game/ui/ingame/mperformancehdl.h"
#include "ingame_fixture.h"
#include "kernel/sound/sound_unit.h"

namespace quarn::test {
namespace {

class ingame_dialogs : public ingame_fixture_t {
protected:
    void SetUp() override {
        ingame_fixture_t::SetUp();
        start_round();
    }
};

TEST_F(ingame_dialogs, the_bonus_choice_shows_what_the_next_round_unlocks) {
    struct case_t {
        uint32_t round_index;
        std::vector<std::string> slots;
        const char *name, *icon, *description;
    };
    const std::string L = "locked";
    const case_t cases[] = {
        {2, {"sunglasses", L, L, L, L}, "@@sunglasses_name@@", "sunglasses", "@@sunglasses_desc@@"},
        {8, {"sunglasses", "weapon_3030", "extended_clip", L, L}, "@@extended_clip_name@@", "extended_clip",
         "@@extended_clip_desc@@"},
        {20, {"sunglasses", "weapon_3030", "extended_clip", "quick_shooter", "weapon_7mm"}, "@@weapon_7mm_name@@",
         "weapon_7mm", "@@weapon_7mm_desc@@"},
        // Nothing unlocked yet: the newest bonus's items stay as the layout has them.
        {1, {L, L, L, L, L}, " ", "locked", " "},
    };
    const window_desc_t &bonus = WINDOW_GAME_BONUS;
    for (const case_t &c : cases) {
        session->close_all_windows();
        game().round_index = c.round_index;
        sounds();
        ASSERT_NE(open_row<ingame_bonus_handler_t>(bonus), nullptr);
        for (uint32_t i = 0; i < 5; ++i) EXPECT_EQ(shown(bonus, 50 + int32_t(i)), c.slots[i]) << c.round_index << " " << i;
        EXPECT_EQ(shown(bonus, ingame_bonus_handler_t::ITEM_NAME), c.name) << c.round_index;
        EXPECT_EQ(shown(bonus, ingame_bonus_handler_t::ITEM_ICON), c.icon) << c.round_index;
        EXPECT_EQ(shown(bonus, ingame_bonus_handler_t::ITEM_DESCRIPTION), c.description) << c.round_index;
        EXPECT_EQ(sounds(), "/sound/game/bonus.ogg 0.9");
        EXPECT_TRUE(process.paused);
    }
    for (bool escape : {false, true}) {
        commands.clear();
        game().round_index = 2;
        EXPECT_TRUE(escape ? release_key(bonus, 1) : click(bonus, ingame_bonus_handler_t::BUTTON_OK));
        EXPECT_EQ(commands, std::vector<std::string>{"init_round 3"});
    }
}

TEST_F(ingame_dialogs, the_end_of_a_game_shows_its_score_and_goes_on_to_the_name_entry) {
    game().get_running_score()->score = 4321;
    sounds();
    ASSERT_NE(open_row<ingame_finished_handler_t>(WINDOW_GAME_FINISHED), nullptr);
    EXPECT_EQ(shown(WINDOW_GAME_FINISHED, ingame_finished_handler_t::ITEM_SCORE), "4321");
    EXPECT_EQ(sounds(), "/sound/game/jingle.ogg 0.9");
    EXPECT_TRUE(process.paused);
    EXPECT_TRUE(release_key(WINDOW_GAME_FINISHED, 1));
    EXPECT_TRUE(ui_wis_shown(window_of(WINDOW_GAME_ROSTER)));
}

TEST_F(ingame_dialogs, the_tip_holds_the_hunt_and_gives_it_back_however_it_hides) {
    const int32_t impulses = impulse_counter();
    for (bool by_ok : {true, false}) {
        session->close_all_windows();
        ASSERT_NE(open_row<menu_performance_handler_t>(WINDOW_PERFORMANCE), nullptr);
        EXPECT_FALSE(visible(WINDOW_PERFORMANCE, menu_performance_handler_t::GROUP_STRIPES));
        EXPECT_TRUE(process.paused);
        EXPECT_TRUE(game_sound()->has_flag(sound_u::MUTED));
        EXPECT_EQ(ui_pindex(), 0);
        EXPECT_EQ(impulse_counter(), impulses - 1);
        if (by_ok) {
            EXPECT_TRUE(click(WINDOW_PERFORMANCE, menu_performance_handler_t::BUTTON_OK));
            EXPECT_EQ(shown_screens(), "game/hub") << "the round went on (a round that has not ended is no win)";
            EXPECT_EQ(impulse_counter(), impulses - 1) << "the hub's hold alone";
            session->close_all_windows();
        } else {
            session->hide_window(window_of(WINDOW_PERFORMANCE));
            EXPECT_EQ(shown_screens(), "");
        }
        EXPECT_FALSE(process.paused);
        EXPECT_FALSE(game_sound()->has_flag(sound_u::MUTED));
        EXPECT_EQ(ui_pindex(), -1);
        EXPECT_EQ(impulse_counter(), impulses);
    }
}

}  // namespace
}  // namespace quarn::test
