// The loading screen, the screensaver screen and the confirm dialog, over their real
// layouts.
#include <gtest/gtest.h>

#include <filesystem>

#include "game/game_data.h"
#include "game/game_module.h"
#include "game/ui/controls/find_item.h"
#include "game/ui/effects/uifx_hookup.h"
#include "game/session/score.h"
#include "game/session/window_desc.h"
#include "game/ui/menus/confirmhdl.h"
#include "game/ui/menus/screensaverhdl.h"
#include "game/ui/menus/splashhdl.h"
#include "game/ui/controls/text_control.h"
#include "game/ui/effects/uifx_view.h"
#include "kernel/console/commands.h"
#include "kernel/console/cvars.h"
#include "outside/qrnshared/cmd.h"
#include "outside/qrnshared/cvar.h"
#include "kernel/memory/m_server.h"
#include "outside/qrnshared/def_resource.h"
#include "outside/qrnshared/ui/ui.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "screens_fixture.h"
#include "uifx_fixture.h"

namespace quarn::test {
namespace {

class screens : public screens_fixture_t {
protected:
    void SetUp() override {
        screens_fixture_t::SetUp();
        cvar_register_variable(&splash_index);
        cmd_register_command(&quit);
        quits = 0;
    }
    void TearDown() override {
        set_game_data(nullptr);
        game_data.reset();
        ui_shutdown();
        game_module_uifx_hookup().clear();
        cmd_unregister_command(&quit);
        cvar_unregister_variable(&splash_index);
        screens_fixture_t::TearDown();
    }
    template <class H>
    H *open_real(const window_desc_t &row) {
        window_item = insert(row.group, row.name, row.layout);
        window = ui_window_of(window_item);
        screen = handler_of(window_item);
        return dynamic_cast<H *>(screen);
    }
    bool act(uint32_t type, int32_t id = -1) {
        ui_view_t *view = id == -1 ? window : get<ui_view_t>(id);
        ui_act_param_t p;
        return screen->handle(view, type, &p);
    }
    // What the item shows: its value (templated texts) or its text.
    std::string shown(int32_t id) {
        if (auto *t = get<ui_common_text_t>(id)) return t->value.c_str();
        if (auto *t = get<ui_text_t>(id)) return t->text.c_str();
        return "<none>";
    }
    // The visibility of the loading screen's items 30, 40, 45, 46.
    std::string prompts() {
        std::string s;
        for (int32_t id : {30, 40, 45, 46}) s += get<ui_view_t>(id)->visible ? "1" : "0";
        return s;
    }
    void party(const char *current_player) {
        unit_bank_t &bank = unit_system_t::get_default()->get_bank();
        ASSERT_TRUE(score_u::register_class(bank));
        game_data = std::make_unique<game_data_t>();
        const char *const names[] = {current_player, "Bo"};
        game_data->set_party_players(names, 2);
        ASSERT_NE(game_data->get_running_score(), nullptr);
        game_data->get_running_score()->player_name = current_player;
        set_game_data(game_data.get());
    }

    static int record_quit(const cmd_context_t *) {
        ++quits;
        return -2;
    }
    static inline int quits = 0;
    cvar_t splash_index{"g_splash_index", "0"};
    cmd_t quit{"quit", &record_quit};
    std::unique_ptr<game_data_t> game_data;
};

TEST_F(screens, the_splash_turns_pictures_and_tips_with_the_index) {
    ASSERT_TRUE(localise());
    auto *splash = open_real<menu_splash_handler_t>(WINDOW_SPLASH_LOAD);
    ASSERT_NE(splash, nullptr);
    struct case_t {
        const char *index, *picture, *next, *tip;
    };
    // Three pictures and three tips; the tip follows the index the picture left.
    const case_t cases[] = {
        {"5", "splash03", "6", "@@tip_wind@@"},
        {"6", "splash01", "7", "@@tip_does@@"},
        {"-1", "splash03", "0", "@@tip_wind@@"},
        {"-5", "splash02", "-4", "@@tip_breath@@"},
    };
    for (const case_t &c : cases) {
        splash_index.set(c.index);
        splash->start_loading(true);
        EXPECT_EQ(shown(10), std::string("<img src=/material/ui/splash/") + c.picture +
                                 ".mat xscale=stretch yscale=stretch>")
            << c.index;
        EXPECT_STREQ(splash_index.get_text(), c.next);
        EXPECT_EQ(shown(20), c.tip) << c.index;
        EXPECT_EQ(prompts(), "1000");
    }
    splash->start_loading(false);
    EXPECT_EQ(shown(20), " ") << "a mission shows no tip";
    step(2);  // it draws with its pictures and texts
}

TEST_F(screens, the_tip_is_the_index_modulo_the_count_or_none) {
    // Tips files over the stored one.
    std::filesystem::create_directories(dir.file("def"));
    fs_device_t *mount = ufs_mount(FS_DEVICE_DIRECTORY, dir.file("def").c_str(), "/def", false, 70);
    ASSERT_NE(mount, nullptr);
    ASSERT_TRUE(localise());
    auto *splash = open_real<menu_splash_handler_t>(WINDOW_SPLASH_LOAD);
    ASSERT_NE(splash, nullptr);
    struct case_t {
        const char *tips, *shown;
    };
    const case_t cases[] = {
        {"def tips { count: \"4\" tip00: \"a\" tip01: \"b\" tip02: \"c\" tip03: \"d\" }", "@@b@@"},  // 5 mod 4
        {"def tips { count: \"0\" tip00: \"a\" }", " "},
        {"def tips { count: \"-3\" tip00: \"a\" }", " "},
        {"def tips { count: \"9\" tip00: \"a\" }", " "},  // no tip05
        {"def other { count: \"3\" }", " "},
    };
    for (const case_t &c : cases) {
        put("def/tips.def", std::string(c.tips) + "\n");
        // The resource manager reads the new file.
        _mm_mem_free_unreferenced(-1, &def_resource_u::unit_descriptor);
        mm_remove_unreferenced(-1, &def_resource_u::unit_descriptor);
        splash_index.set("4");
        splash->start_loading(true);
        EXPECT_EQ(shown(20), c.shown) << c.tips;
    }
    ui_wremove(window_item);
    ufs_unmount(mount);
}

TEST_F(screens, a_round_splash_waits_for_a_release_once_loaded) {
    load_effects("uifx_nop : uifx.scale.fadeout { delay: 0.1 }\n");
    auto *splash = open_real<menu_splash_handler_t>(WINDOW_SPLASH_LOAD);
    ASSERT_NE(splash, nullptr);
    splash->start_loading(true);
    EXPECT_FALSE(act(UI_ACT_KEY_UP)) << "a key while loading does nothing";
    EXPECT_FALSE(act(UI_ACT_BUTTON_UP));
    EXPECT_TRUE(process.calls.empty());

    splash->finish_loading();
    EXPECT_EQ(prompts(), "0100") << "single player: press any key";
    EXPECT_FALSE(screen->uifx_idle()) << "'loading' fades";
    EXPECT_FALSE(act(UI_ACT_KEY_DOWN)) << "presses are not the release";
    EXPECT_TRUE(act(UI_ACT_KEY_UP));
    EXPECT_EQ(process.calls, std::vector<std::string>{"close_splash"});
    process.calls.clear();
    EXPECT_TRUE(act(UI_ACT_BUTTON_UP));
    EXPECT_EQ(process.calls, std::vector<std::string>{"close_splash"});
}

TEST_F(screens, in_party_mode_the_splash_shows_no_tip_and_names_the_next_hunter) {
    party("Anna");
    ASSERT_TRUE(localise());
    auto *splash = open_real<menu_splash_handler_t>(WINDOW_SPLASH_LOAD);
    ASSERT_NE(splash, nullptr);
    splash->start_loading(true);
    EXPECT_EQ(shown(20), " ");
    splash->finish_loading();
    EXPECT_EQ(prompts(), "0011");
    EXPECT_EQ(shown(46), "Anna");
}

TEST_F(screens, a_mission_splash_closes_when_loading_is_done) {
    auto *splash = open_real<menu_splash_handler_t>(WINDOW_SPLASH_LOAD);
    ASSERT_NE(splash, nullptr);
    splash->start_loading(false);
    splash->finish_loading();
    EXPECT_EQ(process.calls, std::vector<std::string>{"close_splash"});
    EXPECT_EQ(prompts(), "1000") << "no prompt";

    // Without the game process the UI layer alone ends the splash.
    set_screen_process(nullptr);
    ui_set_splash(window_item);
    splash->finish_loading();
    EXPECT_EQ(ui_get_splash(), nullptr);
    EXPECT_EQ(ui_wget("splash", "load"), nullptr);
}

TEST_F(screens, the_screensaver_quits_on_a_press_or_eight_moves_in_a_row) {
    auto *saver = open_real<screensaver_handler_t>(WINDOW_SCREENSAVER_MAIN);
    ASSERT_NE(saver, nullptr);
    for (int i = 0; i < 7; ++i) EXPECT_FALSE(act(UI_ACT_POINTER_MOVE));
    EXPECT_EQ(quits, 0) << "seven moves do nothing";
    EXPECT_FALSE(act(UI_ACT_KEY_UP)) << "another action starts the count again";
    for (int i = 0; i < 7; ++i) act(UI_ACT_POINTER_MOVE);
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(act(UI_ACT_POINTER_MOVE));
    EXPECT_EQ(quits, 1) << "the eighth in a row quits";
    EXPECT_TRUE(act(UI_ACT_KEY_DOWN));
    EXPECT_TRUE(act(UI_ACT_BUTTON_DOWN));
    EXPECT_EQ(quits, 3);
}

TEST_F(screens, the_confirm_dialog_answers_yes_only_by_its_button_10) {
    layout("/ui/pointer/test.esc", "entity ui.window { coords: \"0 0 32 32\" }\n");
    ASSERT_EQ(ui_pinsert("/ui/pointer/test.esc"), 0);
    install_ctrl(ctrl_kind_t::HUNT);
    const int32_t impulses = impulse_counter();
    struct case_t {
        const char *how;
        int32_t button;  // -1: hidden by the screen that opened it
        bool answer;
    };
    const case_t cases[] = {{"yes", 10, true}, {"no", 20, false}, {"closed from outside", -1, false}};
    for (const window_desc_t *row : {&WINDOW_DIALOG_WEBUPLOAD, &WINDOW_DIALOG_FORFEITGAME, &WINDOW_DIALOG_RESETSCORE}) {
        SCOPED_TRACE(row->layout);
        auto *dialog = open_real<ingame_confirm_handler_t>(*row);
        ASSERT_NE(dialog, nullptr);
        for (const case_t &c : cases) {
            confirm_result = true;
            ui_whide(window_item);
            ui_wshow(window_item);
            EXPECT_FALSE(confirm_result) << "false while it is up";
            EXPECT_TRUE(process.paused) << "the hunt is held";
            EXPECT_EQ(impulse_counter(), impulses - 1);
            if (c.button == -1) ui_whide(window_item);
            else EXPECT_TRUE(act(UI_ACT_ACTIVATE, c.button)) << c.how;
            EXPECT_FALSE(ui_wis_shown(window_item)) << c.how;
            EXPECT_EQ(confirm_result, c.answer) << c.how;
            EXPECT_FALSE(process.paused);
            EXPECT_EQ(impulse_counter(), impulses);
        }
        ui_wremove(window_item);
    }
    sounds();
}

// The dialogs' effect cache lies over their buttons; it must not take the pointer.
TEST_F(screens, the_confirm_dialogs_answer_a_pointer_click_on_their_buttons) {
    install_ctrl(ctrl_kind_t::HUNT);
    struct case_t {
        const char *how;
        float x, y;
        bool answer;
    };
    const case_t cases[] = {{"yes", 407, 340, true}, {"no", 617, 340, false}};
    for (const window_desc_t *row : {&WINDOW_DIALOG_WEBUPLOAD, &WINDOW_DIALOG_FORFEITGAME, &WINDOW_DIALOG_RESETSCORE}) {
        SCOPED_TRACE(row->layout);
        ASSERT_NE(open_real<ingame_confirm_handler_t>(*row), nullptr);
        for (const case_t &c : cases) {
            confirm_result = !c.answer;
            ui_wshow(window_item);
            step();
            click(c.x, c.y);
            step();
            EXPECT_FALSE(ui_wis_shown(window_item)) << c.how;
            EXPECT_EQ(confirm_result, c.answer) << c.how;
        }
        ui_wremove(window_item);
    }
    sounds();
}

TEST_F(screens, the_confirm_stripes_show_unless_the_opener_cleared_the_flag_once) {
    auto *dialog = open_real<ingame_confirm_handler_t>(WINDOW_DIALOG_FORFEITGAME);
    ASSERT_NE(dialog, nullptr);
    auto stripes = [&]() { return get<ui_view_t>(ingame_confirm_handler_t::ITEM_STRIPES)->visible; };
    EXPECT_TRUE(stripes());
    ui_whide(window_item);
    show_confirm_stripes = false;
    ui_wshow(window_item);
    EXPECT_FALSE(stripes());
    EXPECT_TRUE(show_confirm_stripes) << "set again for the next opener";
    ui_whide(window_item);
    ui_wshow(window_item);
    EXPECT_TRUE(stripes());
}

TEST_F(screens, the_pointer_and_the_cache_run_the_games_own_effects) {
    ASSERT_TRUE(register_uifx_classes(unit_system_t::get_default()->get_bank()));
    ASSERT_TRUE(uifx_load_hookup());
    ASSERT_EQ(ui_pinsert("/ui/pointer/main.esc"), 0);
    ui_pshow(0);
    auto *splash = open_real<menu_splash_handler_t>(WINDOW_SPLASH_LOAD);
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(screen->get_uifx_cache_size(), 30u);

    ui_view_t *pointer = ui_view_of(ui_pget(0));
    auto state = [&]() {
        std::string s;
        for (int32_t i = 1; i <= 3; ++i) {
            s += ui_view_of(find_item_by_id(pointer, i))->visible ? "1" : "0";
            auto *fx = dynamic_cast<uifx_text_view_t *>(ui_view_of(find_item_by_id(pointer, 100 + i)));
            s += fx && fx->get_effect() ? "+" : "-";
        }
        return s;
    };
    step(2);
    EXPECT_EQ(state(), "1+0-0-");
    screen->set_pointer_state(base_handler_t::POINTER_ACTIVE);
    step(2);
    EXPECT_EQ(state(), "0-1+0-");
    screen->set_pointer_state(base_handler_t::POINTER_LINK);
    step(2);
    EXPECT_EQ(state(), "0-0-1+");

    splash->start_loading(true);
    splash->finish_loading();
    step();
    EXPECT_FALSE(screen->uifx_idle()) << "'loading' fades with the game's fade-out";
    step(200);
    EXPECT_TRUE(screen->uifx_idle());
}

}  // namespace
}  // namespace quarn::test
