// The input line, the console's history line and the log view.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "controls_fixture.h"
#include "game/ui/controls/input_line.h"
#include "game/ui/controls/log_view.h"
#include "kernel/console/commands.h"
#include "kernel/console/cvars.h"
#include "kernel/log_setup.h"
#include "platform/clipboard.h"
#include "platform/window.h"

namespace quarn::test {
namespace {

// "ui.test.refuser": a group that refuses every edit whose text holds an 'x'.
class refuser_group_t : public ui_group_t {
public:
    bool action(ui_view_t *source, uint32_t type, ui_act_param_t *param) override {
        if (type == UI_ACT_TEXT_CHECK && param && param->text && strchr(param->text, 'x')) {
            param->accept = false;
            return true;
        }
        return ui_group_t::action(source, type, param);
    }
};
constexpr entity_reg_t REFUSER_REG = ui_test_reg<refuser_group_t>("ui.test.refuser");

// A key of a script: code, modifiers, character.
struct stroke_t {
    uint32_t code;
    uint32_t modifiers;
    uint32_t character;
};
constexpr stroke_t K(uint32_t code, uint32_t modifiers = 0) { return {code, modifiers, 0}; }

class input_line : public controls_fixture_t {
protected:
    void SetUp() override {
        controls_fixture_t::SetUp();
        ASSERT_TRUE(entity_register(&REFUSER_REG));
    }
    void TearDown() override {
        controls_fixture_t::TearDown();
        entity_unregister(&REFUSER_REG);
    }
    // The line of id 1 in a window of the body, focused.
    template <class T = ui_input_line_t>
    T *line(const std::string &body) {
        if (!open(body)) return nullptr;
        T *l = get<T>(1);
        if (l) window->set_focus(l);
        step();
        return l;
    }
    // Typed text: one press and release per character.
    void type(const char *text) {
        for (const char *p = text; *p; ++p) {
            key(0, true, 0, uint8_t(*p));
            key(0, false, 0, uint8_t(*p));
        }
        step();
    }
    void keys(std::initializer_list<stroke_t> strokes) {
        for (const stroke_t &s : strokes) {
            key(s.code, true, s.modifiers, s.character);
            key(s.code, false, s.modifiers, s.character);
        }
        step();
    }
};

constexpr uint32_t BACKSPACE = 14, DEL = 211, HOME = 199, END = 207, LEFT = 203, RIGHT = 205, INSERT = 210;

TEST_F(input_line, editing_keys_work_as_a_table_of_sequences) {
    const struct {
        const char *what;
        const char *layout;  // extra attributes of the line
        const char *typed;
        std::vector<stroke_t> strokes;
        const char *text;
        uint32_t cursor;
    } cases[] = {
        {"Backspace at 0", "", "ab", {K(HOME), K(BACKSPACE)}, "ab", 0},
        {"Backspace", "", "abc", {K(LEFT), K(BACKSPACE)}, "ac", 1},
        {"Delete at the end", "", "ab", {K(DEL)}, "ab", 2},
        {"Delete", "", "abc", {K(HOME), K(DEL)}, "bc", 0},
        {"Ctrl+Left over a word", "", "abc  def", {K(LEFT, UI_MOD_LCTRL)}, "abc  def", 5},
        {"Ctrl+Left over blanks", "", "abc  def", {K(LEFT, UI_MOD_LCTRL), K(LEFT, UI_MOD_RCTRL)}, "abc  def", 3},
        {"Ctrl+Right", "", "abc  def", {K(HOME), K(RIGHT, UI_MOD_LCTRL), K(RIGHT, UI_MOD_LCTRL)}, "abc  def", 5},
        {"limit 3, insert", " limit: \"3\"", "abcd", {}, "abc", 3},
        {"limit 3, overwrite", " limit: \"3\"", "abc", {K(INSERT), K(HOME), {0, 0, 'x'}, {0, 0, 'y'}}, "xyc", 2},
        {"typed markup", "", "<img src=a>\\y", {}, "<img src=a>\\y", 13},
        {"Alt is ignored", "", "ab", {{0, UI_MOD_LALT, 'c'}, K(HOME, UI_MOD_RALT)}, "ab", 2},
        {"wider than the control", " coords: \"100 100 180 120\"", "abcdefghijkl", {}, "abcdefghij", 10},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ui_input_line_t *l = line<ui_common_input_line_t>(std::string("entity ui.comp.common.inputline { id: \"1\" coords: \"100 100 400 120\"") +
                                                          c.layout + " }");
        ASSERT_NE(l, nullptr);
        type(c.typed);
        for (const stroke_t &s : c.strokes) keys({s});
        EXPECT_STREQ(l->get_text(), c.text);
        EXPECT_EQ(l->get_cursor(), c.cursor);
        ui_wremove(window_item);
    }
}

TEST_F(input_line, typed_markup_shows_as_typed_and_edits_raise_validate_and_changed) {
    ui_input_line_t *l = line("entity ui.test.refuser { entity ui.comp.common.inputline { id: \"1\" coords: \"100 100 400 120\" } }");
    ASSERT_NE(l, nullptr);
    heard();
    type("<b>a</VERBATIM>");
    mstring_dyn_t shown;
    l->get_text_buffer().text(shown);
    EXPECT_EQ(shown, "<b>a</VERBATIM>");
    EXPECT_NE(heard().find(": 4 "), std::string::npos) << "changed reaches the screen";
    // A refused edit changes nothing.
    type("x");
    EXPECT_STREQ(l->get_text(), "<b>a</VERBATIM>");
    // Enter submits on its release, with the text.
    key(UI_KEY_ENTER, true);
    step();
    EXPECT_EQ(heard().find(": 2 "), std::string::npos);
    key(UI_KEY_ENTER, false);
    step();
    EXPECT_NE(heard().find(": 2 "), std::string::npos);
}

TEST_F(input_line, copy_and_paste_go_through_the_clipboard_with_blanks_for_control_bytes) {
    ASSERT_TRUE(platform::window_system_start());
    ui_input_line_t *l = line("entity ui.comp.common.inputline { id: \"1\" coords: \"100 100 600 120\" }");
    type("copied!");
    keys({K(46, UI_MOD_LCTRL)});
    char out[32];
    ASSERT_TRUE(platform::clipboard_get_text(out, sizeof out));
    EXPECT_STREQ(out, "copied!");
    ASSERT_TRUE(platform::clipboard_set_text("a\tb\x01" "c\xe9" "d e"));
    keys({K(47, UI_MOD_RCTRL)});
    EXPECT_STREQ(l->get_text(), "a b c d e");
    EXPECT_EQ(l->get_cursor(), 0u);
    ui_wremove(window_item);
    platform::window_system_stop();
    EXPECT_FALSE(platform::clipboard_set_text("no service"));
}

TEST_F(input_line, the_cursor_blinks_in_insert_mode_and_stays_in_overwrite_mode) {
    ui_input_line_t *l = line("entity ui.comp.common.inputline { id: \"1\" coords: \"100 100 400 120\" }");
    type("ab");
    // Frames of 0.02 s: a flip every 0.35 s falls 17 or 18 frames after the last.
    std::vector<int> flips;
    bool shown = l->is_cursor_shown();
    for (int frame = 0; frame < 100; ++frame) {
        step();
        if (l->is_cursor_shown() != shown) flips.push_back(frame);
        shown = l->is_cursor_shown();
    }
    ASSERT_GE(flips.size(), 5u);
    for (size_t i = 1; i < flips.size(); ++i) EXPECT_TRUE(flips[i] - flips[i - 1] == 17 || flips[i] - flips[i - 1] == 18);
    keys({K(INSERT)});
    for (int i = 0; i < 40; ++i) {
        step();
        ASSERT_TRUE(l->is_cursor_shown());
    }
    // Drawn on the baseline of the character at the cursor, stretched to its width.
    keys({K(HOME)});
    float x = 0, y = 0, w = 0;
    ASSERT_TRUE(l->cursor_place(&x, &y, &w));
    ui_rect_t b;
    ASSERT_TRUE(l->get_text_buffer().get_bounds(b));
    EXPECT_EQ(x, b.left);
    EXPECT_EQ(w, 8.0f);
    keys({K(END)});
    ASSERT_TRUE(l->cursor_place(&x, &y, &w));
    EXPECT_EQ(x, b.left + 16.0f) << "at the end: the right edge of the last character";
}

TEST_F(input_line, a_held_key_repeats_after_a_pause) {
    ui_input_line_t *l = line("entity ui.comp.common.inputline { id: \"1\" coords: \"100 100 600 120\" }");
    key(0, true, 0, 'z');
    step(37);  // 0.74 s: only the press
    EXPECT_STREQ(l->get_text(), "z");
    step(2);
    EXPECT_STREQ(l->get_text(), "zz");
    step(5);  // every 0.05 s
    EXPECT_GE(l->get_length(), 4u);
    key(0, false, 0, 'z');
    step();
    const uint32_t n = l->get_length();
    step(10);
    EXPECT_EQ(l->get_length(), n);
}

cvar_t r_gamma_var("r_gamma", "0.83"), r_fullscreen_var("r_fullscreen", "1");

TEST_F(input_line, the_history_keeps_25_lines_and_tab_completes_names) {
    ui_history_line_t *h = line<ui_history_line_t>("entity ui.comp.historyline { id: \"1\" coords: \"0 0 1000 20\" }");
    ASSERT_NE(h, nullptr);
    keys({K(UI_KEY_UP)});
    EXPECT_STREQ(h->get_text(), "") << "Up on an empty history";
    for (int i = 1; i <= 26; ++i) {
        type(("line " + std::to_string(i)).c_str());
        keys({K(UI_KEY_ENTER)});
    }
    EXPECT_EQ(h->get_history_count(), 25u);
    EXPECT_STREQ(h->get_text(), "") << "a submitted line empties";
    EXPECT_NE(heard().find(": 2 "), std::string::npos) << "the screen heard each line";
    keys({K(UI_KEY_UP)});
    EXPECT_STREQ(h->get_text(), "line 26");
    EXPECT_EQ(h->get_cursor(), 7u);
    keys({K(UI_KEY_UP)});
    EXPECT_STREQ(h->get_text(), "line 25");
    keys({K(UI_KEY_DOWN), K(UI_KEY_DOWN)});
    EXPECT_STREQ(h->get_text(), "line 2") << "past the newest: the oldest, line 1 is gone";
    // Completion over the variables.
    cvar_register_variable(&r_gamma_var);
    cvar_register_variable(&r_fullscreen_var);
    h->clear();
    type("r_");
    messages.clear();
    keys({K(UI_KEY_TAB)});
    EXPECT_STREQ(h->get_text(), "r_");
    EXPECT_EQ(messages.texts(message_t::VERBOSE).size(), 3u);
    EXPECT_TRUE(messages.contains("r_fullscreen"));
    EXPECT_TRUE(messages.contains("r_gamma"));
    EXPECT_TRUE(h->is_focused()) << "Tab stays on the line";
    type("g");
    keys({K(UI_KEY_TAB)});
    EXPECT_STREQ(h->get_text(), "r_gamma ");
    EXPECT_EQ(h->get_cursor(), 8u);
    cvar_unregister_variable(&r_gamma_var);
    cvar_unregister_variable(&r_fullscreen_var);
}

TEST_F(input_line, the_log_view_shows_the_newest_messages_lowest_with_their_colours) {
    kernel_log_start(log_options_t{});
    message("plain one");
    warning("warned");
    error("failed");
    errors_expected = true;
    ASSERT_NE(open("entity ui.comp.logview { id: \"1\" coords: \"0 0 1024 40\" }"), nullptr);
    ui_log_view_t *v = get<ui_log_view_t>(1);
    step();
    ASSERT_TRUE(v->is_built());
    // 40 units: two lines of 16 (+ 2 spacing): the error lowest, then the warning.
    std::string t = texts();
    EXPECT_EQ(t, "failed,warned");
    EXPECT_NE(dump().find("tint ff0000ff \"failed\""), std::string::npos) << dump();
    EXPECT_NE(dump().find("tint ff00ffff \"warned\""), std::string::npos) << dump();
    v->set_value("offset", "1");
    step(3);
    EXPECT_EQ(texts(), "**** more ****,warned");
    v->set_value("offset", "100000");
    step(3);
    EXPECT_EQ(v->offset, message_history_count() - 1) << "the offset stays within the history";
    v->set_value("font", "/t/missing.font");
    v->rebuild();
    EXPECT_TRUE(messages.contains("Failed to load the font '/t/missing.font'"));
    ui_wremove(window_item);
    kernel_log_stop();
}

// Messages carry colour escapes ("\g" green, "\y" yellow, "\w" white, "\\" a
// backslash): the view colours them as any text, and shows the rest as written.
TEST_F(input_line, the_log_view_colours_the_escapes_of_a_message_and_shows_its_tags_as_text) {
    kernel_log_start(log_options_t{});
    message("\\gOpen Dynamics Engine");
    message("\\yusage:\\w map <b>NAME</b>");
    message("a \\\\y stays");
    ASSERT_NE(open("entity ui.comp.logview { id: \"1\" coords: \"0 0 1024 100\" }"), nullptr);
    step();
    ASSERT_TRUE(get<ui_log_view_t>(1)->is_built());
    const std::string drawn = dump();
    for (const char *tinted : {"tint ff00ff00 \"Open Dynamics Engine\"", "tint ff00ffff \"usage:\"",
                               "tint ffffffff \" map <b>NAME</b>\"",
                               "tint ffffffff \"a \\\\y stays\""})  // the draw log escapes a backslash
        EXPECT_NE(drawn.find(tinted), std::string::npos) << tinted << "\n" << drawn;
    EXPECT_EQ(drawn.find("\\g"), std::string::npos) << drawn;
    ui_wremove(window_item);
    kernel_log_stop();
}

}  // namespace
}  // namespace quarn::test
