// The front-end session: the high-score table of the home folder (made from the
// defaults on the first start, saved and reset through temporary files) and the
// windows it opens in the window table.
#include <gtest/gtest.h>

#include <string>

#include "game/session/session_fixture.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

class front_end_session : public session_fixture_t {};

const std::string broken_table = "RozErere\n{\nscore_table : .t { scores: 1 scores[0]: .gone }\n";

TEST_F(front_end_session, a_first_start_makes_the_home_table_from_the_defaults) {
    EXPECT_EQ(home_listing(), std::vector<std::string>{});
    start_session();
    EXPECT_EQ(home_listing(), std::vector<std::string>{"scores.unit"});
    EXPECT_EQ(read_file(home_file("scores.unit")), read_file(test_source_dir() + "/data/builtin/script/scores.unit"));
    ASSERT_NE(session->get_high_scores(), nullptr);
    EXPECT_EQ(session->get_high_scores()->get_count(), 15u);
    EXPECT_EQ(get_front_end_session(), session.get());
    EXPECT_EQ(get_game_data(), &data());
    end_session();
    EXPECT_EQ(get_front_end_session(), nullptr);
    EXPECT_EQ(get_game_data(), nullptr);
}

TEST_F(front_end_session, an_unreadable_home_table_leaves_no_table_and_the_file_as_it_was) {
    ASSERT_TRUE(write_file(home_file("scores.unit"), broken_table));
    start_session();
    EXPECT_EQ(session->get_high_scores(), nullptr);
    EXPECT_TRUE(log.contains("load_unit_tree() - Failed to load unit tree from file (/home/scores.unit)"));
    EXPECT_EQ(read_file(home_file("scores.unit")), broken_table) << "not replaced by the defaults";
    EXPECT_FALSE(session->save_high_scores());
    EXPECT_EQ(read_file(home_file("scores.unit")), broken_table);

    // A file whose root is another class is no table either.
    ASSERT_TRUE(write_file(home_file("scores.unit"), "RozErere\n{\nscore : .s { score: 5 }\n}\n"));
    start_session();
    EXPECT_EQ(session->get_high_scores(), nullptr);
}

TEST_F(front_end_session, the_table_is_saved_and_reset_to_the_defaults) {
    start_session();
    owner_ptr_t<score_u> game(score_u::create());
    game->score = 31000;
    ASSERT_EQ(session->get_high_scores()->insert(*game), 2);
    session->get_high_scores()->get_entry(2)->player_name = "Red Fox";
    ASSERT_TRUE(session->save_high_scores());

    start_session();  // reads the saved table back
    ASSERT_NE(session->get_high_scores(), nullptr);
    EXPECT_EQ(session->get_high_scores()->get_count(), 15u);
    EXPECT_STREQ(session->get_high_scores()->get_entry(2)->player_name.c_str(), "Red Fox");
    EXPECT_EQ(session->get_high_scores()->get_entry(14)->score, 3000u);

    ASSERT_TRUE(session->reset_high_scores());
    EXPECT_EQ(session->get_high_scores()->get_entry(2)->score, 30000u);
    EXPECT_EQ(session->get_high_scores()->get_entry(14)->score, 1000u);
    EXPECT_EQ(read_file(home_file("scores.unit")), read_file(test_source_dir() + "/data/builtin/script/scores.unit"));
    EXPECT_EQ(home_listing(), std::vector<std::string>{"scores.unit"});
}

TEST_F(front_end_session, a_reset_from_broken_defaults_leaves_no_table_and_a_missing_one_keeps_both) {
    start_session();
    use_defaults(broken_table);
    EXPECT_FALSE(session->reset_high_scores());
    EXPECT_EQ(session->get_high_scores(), nullptr);

    ufs_unmount(defaults);
    defaults = nullptr;
    ASSERT_TRUE(write_file(home_file("scores.unit"), read_file(test_source_dir() + "/data/builtin/script/scores.unit")));
    start_session();
    ASSERT_NE(session->get_high_scores(), nullptr);
    EXPECT_FALSE(session->reset_high_scores());
    EXPECT_NE(session->get_high_scores(), nullptr) << "no defaults: the table stays";
    EXPECT_EQ(home_listing(), std::vector<std::string>{"scores.unit"});
}

TEST_F(front_end_session, a_save_that_fails_part_way_keeps_the_old_table_readable) {
    home->write_limit = 10;  // the first start's copy fails: no table, nothing left over
    start_session();
    EXPECT_EQ(session->get_high_scores(), nullptr);
    EXPECT_EQ(home_listing(), std::vector<std::string>{});
    home->write_limit = -1;

    start_session();
    const std::string before = read_file(home_file("scores.unit"));
    session->get_high_scores()->get_entry(0)->player_name = "changed";
    home->write_limit = 10;
    EXPECT_FALSE(session->save_high_scores());
    EXPECT_TRUE(log.contains("save_unit_tree() - Failed to save units to file (/home/scores.unit)"));
    EXPECT_EQ(read_file(home_file("scores.unit")), before);
    EXPECT_EQ(home_listing(), std::vector<std::string>{"scores.unit"}) << "no temporary file left";

    // Nor does a failed reset touch it.
    EXPECT_FALSE(session->reset_high_scores());
    EXPECT_EQ(read_file(home_file("scores.unit")), before);
    EXPECT_EQ(home_listing(), std::vector<std::string>{"scores.unit"});

    home->write_limit = -1;
    start_session();
    ASSERT_NE(session->get_high_scores(), nullptr);
    EXPECT_EQ(session->get_high_scores()->get_count(), 15u);
}

TEST_F(front_end_session, windows_open_once_are_found_by_group_and_name_in_any_case_and_close_together) {
    start_session();
    const window_desc_t hud = {"game", "hud", 4, 2, "/ui/ghud.esc"};
    const window_desc_t hud_upper = {"GAME", "Hud", 0, 7, "/ui/other.esc"};
    EXPECT_EQ(session->find_window(hud), nullptr);

    c_item_t *w = session->show_window(hud);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(session->find_window(hud_upper), w);
    EXPECT_EQ(session->show_window(hud_upper), w) << "shown again with the row's flags, not inserted again";
    c_item_t *finished = session->open_window(WINDOW_GAME_FINISHED);
    EXPECT_EQ(finished, ui.windows.back().get());
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"insert game/hud 4 /ui/ghud.esc", "show game/hud 2", "show game/hud 7",
                                                  "insert game/finished 0 /ui/gfinished.esc"}));
    EXPECT_EQ(w->ref_count, 2u) << "the table's reference and the session's";

    ui.refuse = true;
    EXPECT_EQ(session->show_window(WINDOW_DIALOG_MATCHROUND), nullptr);
    EXPECT_EQ(session->get_open_window_count(), 2u);

    ui.calls.clear();
    session->close_all_windows();
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"remove game/hud", "remove game/finished"}));
    EXPECT_EQ(session->find_window(hud), nullptr);
    for (const auto &window : ui.windows) EXPECT_EQ(window->ref_count, 0u);

    // The session's end closes what is still open.
    ui.refuse = false;
    session->open_window(hud);
    ui.calls.clear();
    end_session();
    EXPECT_EQ(ui.calls, std::vector<std::string>{"remove game/hud"});
}

TEST_F(front_end_session, the_map_folder_is_named_after_the_map) {
    mstring_dyn_t dir_name;
    ASSERT_TRUE(front_end_session_t::make_map_dir(dir_name, "valley"));
    EXPECT_STREQ(dir_name.c_str(), "/map/valley/");
}

}  // namespace
}  // namespace quarn::test
