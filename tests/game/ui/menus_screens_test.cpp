// The start screen, the help pages, the quit question and the play menu over their
// real layouts.
#include <gtest/gtest.h>

#include "game/game_data.h"
#include "game/session/savegame.h"
#include "game/ui/menus/mhelphdl.h"
#include "game/ui/menus/mquithdl.h"
#include "game/ui/menus/mstarthdl.h"
#include "game/ui/controls/portal_control.h"
#include "menus_fixture.h"

namespace quarn::test {
namespace {

class menus_screens : public menus_fixture_t {};

TEST_F(menus_screens, the_start_screen_asks_for_the_menu_once) {
    install_ctrl(ctrl_kind_t::MENU);
    enum how_t { KEY, RELEASE, LOGO_END };
    for (how_t how : {KEY, RELEASE, LOGO_END}) {
        session->close_all_windows();
        menu()->pending_step = 0;
        auto *start = open_row<menu_start_handler_t>(WINDOW_START_SCREEN);
        ASSERT_NE(start, nullptr);
        EXPECT_EQ(shown(100).rfind("<img src=/material/ui/splash/", 0), 0u) << shown(100);
        step();
        EXPECT_EQ(menu()->pending_step, 0);
        switch (how) {
        case KEY:
            EXPECT_TRUE(act(UI_ACT_KEY_UP, -1, 57));
            break;
        case RELEASE:
            EXPECT_TRUE(act(UI_ACT_BUTTON_UP, -1, 1));
            break;
        case LOGO_END:
            for (int i = 0; i < 3000 && menu()->pending_step == 0; ++i) step();
            break;
        }
        EXPECT_EQ(menu()->pending_step, 2) << how;
        // The controller took the step; nothing asks again.
        menu()->pending_step = 0;
        act(UI_ACT_KEY_UP, -1, 57);
        start->on_effect_done(menu_start_handler_t::LOGO_EFFECT);
        EXPECT_EQ(menu()->pending_step, 0) << how;
    }
}

TEST_F(menus_screens, the_title_voice_plays_after_half_a_second) {
    install_ctrl(ctrl_kind_t::MENU);
    open_row<menu_start_handler_t>(WINDOW_START_SCREEN);
    sounds();
    step(24);
    EXPECT_EQ(sounds().find("effect_fern_wold_3"), std::string::npos);
    step(2);
    EXPECT_EQ(sounds(), "/l10n/en_us/sound/voiceover/title/effect_fern_wold_3.ogg 0.25");
    step(50);
    EXPECT_EQ(sounds(), "") << "once";
}

TEST_F(menus_screens, help_links_scroll_the_page_to_their_target) {
    install_ctrl(ctrl_kind_t::MENU);
    open_row<menu_help_handler_t>(WINDOW_HELP);
    EXPECT_TRUE(menu()->scene_visible);
    step();
    auto *portal = get<ui_portal_t>(menu_help_handler_t::ITEM_PORTAL);
    ASSERT_NE(portal->get_child(), nullptr);
    // The portal is 480 high, the page 1440: a target high up comes to the portal's
    // top, a low one shows the page's end.
    struct case_t {
        int32_t link;
        float offset;
    };
    const case_t cases[] = {{1001, 480.0f - 1080.0f}, {1003, 0.0f}, {1000, 480.0f - 1440.0f}, {1002, 480.0f - 720.0f}};
    for (const case_t &c : cases) {
        click(c.link);
        EXPECT_EQ(portal->get_offset_y(), c.offset) << c.link;
    }
    auto *help = dynamic_cast<menu_help_handler_t *>(screen);
    EXPECT_FALSE(help->show_target(4242)) << "a target the page does not have";
    EXPECT_TRUE(escape());
    EXPECT_EQ(shown_windows(), "menu/play");
}

TEST_F(menus_screens, quitting_from_a_hunt_saves_first) {
    struct case_t {
        ctrl_kind_t ctrl;
        const char *quit;
        const char *text;
    };
    const case_t cases[] = {
        {ctrl_kind_t::HUNT, "quit saved", "@@ui_quit_text2@@"},
        {ctrl_kind_t::MENU, "quit", "@@ui_quit_text@@"},
    };
    for (const case_t &c : cases) {
        std::remove(dir.file("home/savegame").c_str());
        commands.clear();
        install_ctrl(c.ctrl);
        auto *quit = open_row<menu_quit_handler_t>(WINDOW_QUIT);
        ASSERT_NE(quit, nullptr);
        EXPECT_EQ(shown(50), c.text);
        EXPECT_EQ(get<ui_view_t>(101)->visible, c.ctrl == ctrl_kind_t::MENU);
        EXPECT_EQ(process.paused, c.ctrl == ctrl_kind_t::HUNT);
        EXPECT_TRUE(click(menu_quit_handler_t::BUTTON_YES));
        EXPECT_EQ(commands, std::vector<std::string>{c.quit});
        session->close_all_windows();
        EXPECT_FALSE(process.paused);
    }
}

TEST_F(menus_screens, no_goes_back_to_the_menu_or_the_hunt) {
    install_ctrl(ctrl_kind_t::HUNT);
    const int32_t impulses = impulse_counter();
    open_row<menu_quit_handler_t>(WINDOW_QUIT);
    EXPECT_EQ(impulse_counter(), impulses - 1);
    EXPECT_TRUE(click(menu_quit_handler_t::BUTTON_NO));
    EXPECT_FALSE(window->shown);
    EXPECT_FALSE(process.paused);
    EXPECT_EQ(impulse_counter(), impulses);

    install_ctrl(ctrl_kind_t::MENU);
    open_row<menu_quit_handler_t>(WINDOW_QUIT);
    EXPECT_TRUE(escape());
    EXPECT_EQ(shown_windows(), "menu/main");
    EXPECT_TRUE(commands.empty());
}

TEST_F(menus_screens, a_layout_without_the_question_logs_and_still_works) {
    errors_expected = true;
    install_ctrl(ctrl_kind_t::MENU);
    layout("/ui/mquit_bare.esc",
           "entity ui.window { entity ui.comp.common.button { id: \"10\" coords: \"0 0 10 10\" } }\n"
           "entity ui.handler.menu.quit { }\n");
    const window_desc_t bare = {"menu", "quit", 0, 0, "/ui/mquit_bare.esc"};
    ASSERT_NE(open_row<menu_quit_handler_t>(bare), nullptr);
    EXPECT_TRUE(messages.contains("no item 50"));
    EXPECT_TRUE(click(menu_quit_handler_t::BUTTON_YES));
    EXPECT_EQ(commands, std::vector<std::string>{"quit"});
}

TEST_F(menus_screens, play_offers_continue_with_a_savegame) {
    install_ctrl(ctrl_kind_t::MENU);
    for (bool saved : {false, true}) {
        if (saved) {
            ASSERT_TRUE(savegame_write());
        }
        session->close_all_windows();
        open_row<menu_play_handler_t>(WINDOW_PLAY_MENU);
        EXPECT_EQ(get<ui_view_t>(300)->visible, saved);
        EXPECT_EQ(get<ui_view_t>(200)->visible, !saved);
    }
    EXPECT_TRUE(click(menu_play_handler_t::BUTTON_EXPERT));
    EXPECT_TRUE(get_game_data()->expert);
    EXPECT_EQ(commands, std::vector<std::string>{"init_round 1"});
    EXPECT_TRUE(click(menu_play_handler_t::BUTTON_HELP));
    EXPECT_EQ(shown_windows(), "menu/help");
}

}  // namespace
}  // namespace quarn::test
