// The session's windows in the UI layer's own window table: inserted from their
// layouts once, shown with the row's flags, found in any case, and removed together;
// the game data shows its end-of-game window there.
#include <gtest/gtest.h>

#include "game/session/front_end_session.h"
#include "outside/qrnshared/ui/ui.h"
#include "ui_fixture.h"

namespace quarn::test {
namespace {

class session_windows : public ui_fixture_t {
protected:
    void SetUp() override {
        ui_fixture_t::SetUp();
        layout("/ui/gfinished.esc", "entity ui.window { coords: \"0 0 1024 768\" }\n");
        layout("/ui/hidden.esc", "entity ui.window { }\n");
    }
};

TEST_F(session_windows, windows_open_once_in_the_ui_layer_and_leave_it_together) {
    const uint32_t before = ui_window_count();
    {
        front_end_session_t session;
        const window_desc_t hidden = {"Menu", "Hidden", UI_WINSERT_HIDDEN, 0, "/ui/hidden.esc"};
        c_item_t *menu = session.open_window(hidden);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(ui_wget("menu", "hidden"), menu);
        EXPECT_FALSE(ui_wis_shown(menu)) << "inserted with the row's flags";
        EXPECT_EQ(session.show_window({"MENU", "hidden", 0, 0, "/ui/other.esc"}), menu);
        EXPECT_TRUE(ui_wis_shown(menu));
        EXPECT_EQ(ui_window_count(), before + 1) << "found again, not inserted again";

        session.get_game_data().round_count = 1;
        session.get_game_data().next_round();  // the last round of a single game
        c_item_t *finished = ui_wget("game", "finished");
        ASSERT_NE(finished, nullptr);
        EXPECT_TRUE(ui_wis_shown(finished));
        EXPECT_EQ(session.find_window(WINDOW_GAME_FINISHED), finished);

        // A layout that does not read opens nothing.
        EXPECT_EQ(session.show_window({"game", "missing", 0, 0, "/ui/missing.esc"}), nullptr);
        EXPECT_TRUE(messages.contains("missing.esc"));
        EXPECT_EQ(session.get_open_window_count(), 2u);

        session.close_all_windows();
        EXPECT_EQ(ui_wget("menu", "hidden"), nullptr);
        EXPECT_EQ(ui_wget("game", "finished"), nullptr);
        EXPECT_EQ(ui_window_count(), before);
        EXPECT_EQ(session.find_window(hidden), nullptr);

        session.open_window(hidden);
    }
    EXPECT_EQ(ui_window_count(), before) << "the session's end closes its windows";
}

}  // namespace
}  // namespace quarn::test
