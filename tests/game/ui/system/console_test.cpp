// The developer console: lines run or dropped, the log scrolled by the page keys, the
// mini console under it, the version line.
#include <gtest/gtest.h>

#include <string>

#include "../controls_fixture.h"
#include "game/ui/controls/input_line.h"
#include "game/ui/controls/log_view.h"
#include "game/ui/system/consolehdl.h"
#include "game/ui/system/system_windows.h"
#include "game/ui/controls/text_control.h"
#include "kernel/console/cvars.h"
#include "kernel/log_setup.h"
#include "outside/qrnshared/cvar.h"

namespace quarn::test {
namespace {

cvar_t minicon_var("g_minicon", "0");
cvar_t sensitivity_var("m_sensitivity", "0.33");

constexpr uint32_t PAGE_UP = system_console_handler_t::KEY_PAGE_UP;
constexpr uint32_t PAGE_DOWN = system_console_handler_t::KEY_PAGE_DOWN;

class console_screen : public controls_fixture_t {
protected:
    void SetUp() override {
        controls_fixture_t::SetUp();
        kernel_log_start(log_options_t{});
        minicon = take_variable(minicon_var);
        sensitivity = take_variable(sensitivity_var);
        minicon->set("0");
        sensitivity->set("0.33");
    }
    void TearDown() override {
        ui_shutdown();
        for (cvar_t *v : {&minicon_var, &sensitivity_var})
            if (cvar_get(v->name) == v) cvar_unregister_variable(v);
        kernel_log_stop();
        controls_fixture_t::TearDown();
    }
    // The registered variable of that name, else the test's own registered.
    static cvar_t *take_variable(cvar_t &own) {
        if (cvar_t *v = cvar_get(own.name)) return v;
        cvar_register_variable(&own);
        return &own;
    }
    // The console window of the game's layout, shown.
    system_console_handler_t *open_console() {
        window_item = system_window_get_or_insert(WINDOW_SYSTEM_CONSOLE);
        window = ui_window_of(window_item);
        if (!window) return nullptr;
        ui_wshow(window_item);
        step();
        return dynamic_cast<system_console_handler_t *>(window->get_handler());
    }
    // The line typed into the history line and entered.
    void enter(const char *line) {
        auto *h = get<ui_history_line_t>(system_console_handler_t::INPUT_ITEM);
        ASSERT_NE(h, nullptr);
        h->set_text(line, false);
        press(UI_KEY_ENTER);
        step();
    }
    ui_log_view_t *log() { return get<ui_log_view_t>(system_console_handler_t::LOG_ITEM); }
    cvar_t *minicon = nullptr;
    cvar_t *sensitivity = nullptr;

    static bool minicon_shown() {
        return ui_wis_shown(ui_wget(WINDOW_SYSTEM_MINICON.group, WINDOW_SYSTEM_MINICON.name));
    }
};

TEST_F(console_screen, lines_are_trimmed_and_run_unless_they_begin_with_a_developer_word) {
    errors_expected = true;
    ASSERT_NE(open_console(), nullptr);
    struct line_case_t {
        const char *line;
        bool runs;
        const char *logged;  // a fragment the log then holds
    };
    const line_case_t cases[] = {
        {"   start round 1 now", false, "start"},
        {"Goto 1 2 3", true, "[cmd] 'Goto 1 2 3' - unknown command"},
        {"mapx", false, "mapx"},
        {"round", false, "round"},
        {"g_time 5", false, "g_time"},
        {"  m_sensitivity 0.5  ", true, "m_sensitivity 0.5"},
        {"nosuch thing", true, "[cmd] 'nosuch thing' - unknown command"},
    };
    for (const line_case_t &c : cases) {
        messages.clear();
        enter(c.line);
        EXPECT_EQ(messages.contains(c.logged), c.runs) << c.line;
        if (c.runs) {
            EXPECT_FALSE(messages.contains(std::string(c.line) + " ")) << "run trimmed: " << c.line;
        }
    }
    EXPECT_STREQ(sensitivity->get_text(), "0.5");
    EXPECT_EQ(get<ui_history_line_t>(1)->get_history_count(), 7u) << "dropped lines join the history too";
}

TEST_F(console_screen, page_keys_scroll_the_log_at_the_next_frame_then_every_twentieth_of_a_second) {
    for (int i = 0; i < 200; ++i) message("line %d", i);
    system_console_handler_t *console = open_console();
    ASSERT_NE(console, nullptr);
    ui_log_view_t *view = log();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->offset, 0);
    key(PAGE_UP, true);
    step();
    EXPECT_TRUE(console->is_scrolling());
    EXPECT_EQ(view->offset, 2) << "the frame of the press scrolls";
    step(2);  // 0.04 s of the 0.05 s
    EXPECT_EQ(view->offset, 2);
    step();
    EXPECT_EQ(view->offset, 4);
    step(3);
    EXPECT_EQ(view->offset, 6);
    key(PAGE_UP, false);
    step(10);
    EXPECT_FALSE(console->is_scrolling());
    EXPECT_EQ(view->offset, 6) << "release stops";

    // Steps by the modifiers (either side), Page Down the other way.
    struct step_case_t {
        uint32_t code;
        uint32_t modifiers;
        int32_t step;  // 0: the whole history
    };
    const step_case_t steps[] = {{PAGE_UP, UI_MOD_LSHIFT, 5}, {PAGE_UP, UI_MOD_RSHIFT, 5},  {PAGE_DOWN, 0, -2},
                                 {PAGE_DOWN, UI_MOD_RSHIFT, -5}, {PAGE_UP, 0, 2},          {PAGE_UP, UI_MOD_LCTRL, 0},
                                 {PAGE_DOWN, UI_MOD_RCTRL, 0}};
    for (const step_case_t &s : steps) {
        view->offset = 50;
        key(s.code, true, s.modifiers);
        step();
        key(s.code, false, s.modifiers);
        step();
        const int32_t whole = message_history_count();
        const int32_t expected = s.step ? s.step : (s.code == PAGE_UP ? whole : -whole);
        EXPECT_EQ(console->get_scroll_step(), expected) << s.code << " " << s.modifiers;
        step(3);  // the view keeps the offset within the history
        const int32_t want = 50 + expected < 0 ? 0 : (50 + expected > whole - 1 ? whole - 1 : 50 + expected);
        EXPECT_EQ(view->offset, want) << s.code << " " << s.modifiers;
    }
}

TEST_F(console_screen, showing_resets_the_log_and_focuses_the_line_and_the_version_shows) {
    system_console_handler_t *console = open_console();
    ASSERT_NE(console, nullptr);
    log()->offset = 7;
    ui_whide(window_item);
    ui_wshow(window_item);
    EXPECT_EQ(log()->offset, 0);
    EXPECT_EQ(window->get_focus(), get<ui_view_t>(system_console_handler_t::INPUT_ITEM));
    auto *version = get<ui_text_t>(system_console_handler_t::VERSION_ITEM);
    ASSERT_NE(version, nullptr);
    EXPECT_STREQ(version->text.c_str(), "<align hstyle=right>ver. 1.52D (32571)</align>");
}

TEST_F(console_screen, the_mini_console_shows_only_with_g_minicon_while_the_console_is_hidden) {
    // Off: never shown, whatever the console does.
    ASSERT_NE(open_console(), nullptr);
    EXPECT_NE(ui_wget("system_03", "minicon"), nullptr) << "made with the console";
    EXPECT_FALSE(minicon_shown());
    ui_whide(window_item);
    EXPECT_FALSE(minicon_shown());
    ui_wshow(window_item);
    EXPECT_FALSE(minicon_shown());
    ui_wremove(ui_wget("system_03", "minicon"));
    ui_wremove(window_item);

    // On: shown with the console made hidden, hidden while the console shows.
    minicon->set("1");
    window_item = system_window_get_or_insert(WINDOW_SYSTEM_CONSOLE);
    ASSERT_NE(window_item, nullptr);
    EXPECT_FALSE(ui_wis_shown(window_item));
    EXPECT_TRUE(minicon_shown());
    ui_wshow(window_item);
    EXPECT_FALSE(minicon_shown());
    ui_whide(window_item);
    EXPECT_TRUE(minicon_shown());
    // Removed meanwhile, it is made again when the console hides.
    ui_wshow(window_item);
    ui_wremove(ui_wget("system_03", "minicon"));
    ui_whide(window_item);
    EXPECT_TRUE(minicon_shown());
    // It takes no keys: the console's line keeps them while both show.
    EXPECT_TRUE(ui_window_of(ui_wget("system_03", "minicon"))->insert_flags & UI_WINSERT_PASSIVE);
}

}  // namespace
}  // namespace quarn::test
