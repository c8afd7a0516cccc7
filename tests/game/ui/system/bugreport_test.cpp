// The bug report tool: the hunt held and given back, the report file's header and
// blocks, the note and tag rules, closing in a menu game, a file that cannot be
// opened and a layout that lacks items.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "../screens_fixture.h"
#include "game/game_data.h"
#include "game/ui/controls/input_line.h"
#include "game/ui/system/bugreporthdl.h"
#include "game/ui/system/system_windows.h"
#include "game/ui/controls/text_control.h"
#include "outside/qrnshared/ui/ui_handler.h"
#include "qrncore/numerics/crt_rand.h"
#include "qrncore/qrnutils/ufs/fs.h"

namespace quarn::test {
namespace {

using handler_t = system_bugreport_handler_t;

class pausing_process_t : public recording_screen_process_t {
public:
    bool is_paused() const override { return paused; }
};

class bug_report : public screens_fixture_t {
protected:
    void SetUp() override {
        screens_fixture_t::SetUp();
        set_screen_process(&pausing);
        set_game_data(&data);
        data.map_name = "valley";
        std::filesystem::create_directories(dir.file("home"));
        home = ufs_mount(FS_DEVICE_DIRECTORY, dir.file("home").c_str(), "/home", false, 0);
        ASSERT_NE(home, nullptr);
        layout("/t/pointer.esc", "entity ui.window { coords: \"0 0 32 32\" }\n");
        ASSERT_EQ(ui_pinsert("/t/pointer.esc"), 0);
        ASSERT_EQ(ui_pinsert("/t/pointer.esc"), 1);
        ui_pshow(1);
        crt_srand(1);
    }
    void TearDown() override {
        ui_shutdown();
        set_game_data(nullptr);
        if (home) ufs_unmount(home);
        screens_fixture_t::TearDown();
    }
    // The tool's window of the game's layout (or of a test layout), hidden; then shown.
    handler_t *show(const char *path = WINDOW_SYSTEM_BUGREPORT.layout) {
        window_item = ui_winsert(WINDOW_SYSTEM_BUGREPORT.group, WINDOW_SYSTEM_BUGREPORT.name,
                                 UI_WINSERT_SYSTEM | UI_WINSERT_HIDDEN, path);
        window = ui_window_of(window_item);
        if (!window) return nullptr;
        ui_wshow(window_item);
        step();
        return dynamic_cast<handler_t *>(window->get_handler());
    }
    void note(const char *text) {
        auto *line = get<ui_input_line_t>(handler_t::NOTE_ITEM);
        ASSERT_NE(line, nullptr);
        line->set_text(text, false);
    }
    std::string report_file() const {
        std::ifstream in(dir.file("home/bugs-valley.ma"), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static std::string block(const std::string &tag, const char *t, const std::string &note) {
        return "createNode transform -n \"BUG" + tag + "\";\n\tsetAttr \".t\" -type \"double3 \" " + t +
               ";\ncreateNode locator -n \"locator" + tag + "\" -p \"BUG" + tag +
               "\";\n\taddAttr -ci true -sn \"nts\" -ln \"notes\" -dt \"string\";\n\tsetAttr -k off \".v\";\n"
               "\tsetAttr \".nts\" -type \"string\" \"" +
               note + "\";\ncreateNode annotationShape -n \"annotationShape" + tag + "\" -p \"BUG" + tag +
               "\";\n\tsetAttr \".daro\" 0;\n\tsetAttr \".txt\" -type \"string\" \"BUG\";\n";
    }

    pausing_process_t pausing;
    game_data_t data;
    fs_device_t *home = nullptr;
};

TEST_F(bug_report, showing_holds_the_hunt_and_hiding_gives_pause_and_pointer_back) {
    for (bool paused_before : {false, true}) {
        pausing.paused = paused_before;
        handler_t *h = show();
        ASSERT_NE(h, nullptr);
        EXPECT_TRUE(pausing.paused);
        EXPECT_EQ(ui_pindex(), 0);
        auto *desc = get<ui_common_text_t>(handler_t::DESC_ITEM);
        ASSERT_NE(desc, nullptr);
        EXPECT_STREQ(desc->value.c_str(), "Problem at position < 0.0 0.0 0.0 >");
        auto *line = get<ui_input_line_t>(handler_t::NOTE_ITEM);
        EXPECT_EQ(window->get_focus(), line);
        EXPECT_STREQ(line->get_text(), "");
        ui_whide(window_item);
        EXPECT_EQ(pausing.paused, paused_before);
        EXPECT_EQ(ui_pindex(), 1);
        ui_wremove(window_item);
    }
}

TEST_F(bug_report, the_window_shows_its_texts_in_the_language) {
    ASSERT_TRUE(localise());
    ASSERT_NE(show(), nullptr);
    step();
    const std::string t = texts();
    for (const char *shown : {"Bug report", "Problem at position < 0.0 0.0 0.0 >", "Report", "Cancel"})
        EXPECT_NE(t.find(shown), std::string::npos) << shown << " in " << t;
    EXPECT_EQ(t.find("@@"), std::string::npos) << t;
}

TEST_F(bug_report, in_a_game_started_from_the_menu_it_closes_at_once) {
    data.set_mode(game_data_t::MODE_PLAY);
    ASSERT_NE(show(), nullptr);
    EXPECT_FALSE(ui_wis_shown(window_item));
    EXPECT_FALSE(pausing.paused);
    EXPECT_EQ(ui_pindex(), 1);
    EXPECT_TRUE(pausing.calls.empty());
}

TEST_F(bug_report, the_first_report_writes_the_header_and_later_ones_append_blocks) {
    handler_t *h = show();
    ASSERT_NE(h, nullptr);
    h->set_position(vec3_t{10.25f, -3.5f, 7.75f});
    note("tree floats");
    auto *ok = get<ui_view_t>(handler_t::OK_ITEM);
    ASSERT_NE(ok, nullptr);
    click((ok->rect.left + ok->rect.right) / 2, (ok->rect.top + ok->rect.bottom) / 2);
    step();
    EXPECT_FALSE(ui_wis_shown(window_item)) << "Report closes";
    const std::string header = "requires maya \"6.0\";\ncurrentUnit -l meter -a degree -t film;\n";
    // crt_rand after seed 1: 41, then 18467.
    const std::string first = block("1048" "4100", "10.25 -3.50 7.75", "tree floats");
    EXPECT_EQ(report_file(), header + first);

    // Enter in the note line reports too; the same spot gets another tag.
    ui_wshow(window_item);
    step();
    h->set_position(vec3_t{10.25f, -3.5f, 7.75f});
    note("again");
    press(UI_KEY_ENTER);
    step();
    EXPECT_FALSE(ui_wis_shown(window_item));
    EXPECT_EQ(report_file(), header + first + block("1048" "1846700", "10.25 -3.50 7.75", "again"));
}

TEST_F(bug_report, escape_and_cancel_close_without_a_report) {
    ASSERT_NE(show(), nullptr);
    note("never written");
    press(UI_KEY_ESCAPE);
    step();
    EXPECT_FALSE(ui_wis_shown(window_item));
    ui_wshow(window_item);
    step();
    auto *cancel = get<ui_view_t>(handler_t::CANCEL_ITEM);
    click((cancel->rect.left + cancel->rect.right) / 2, (cancel->rect.top + cancel->rect.bottom) / 2);
    step();
    EXPECT_FALSE(ui_wis_shown(window_item));
    EXPECT_FALSE(std::filesystem::exists(dir.file("home/bugs-valley.ma")));
    EXPECT_EQ(pausing.paused, false);
}

TEST_F(bug_report, a_file_that_cannot_be_opened_is_logged_and_the_window_still_closes) {
    errors_expected = true;
    ufs_unmount(home);
    home = nullptr;
    handler_t *h = show();
    ASSERT_NE(h, nullptr);
    note("lost");
    press(UI_KEY_ENTER);
    step();
    EXPECT_TRUE(messages.contains("BUGREPORT: cannot open '/home/bugs-valley.ma' file"));
    EXPECT_FALSE(ui_wis_shown(window_item));
}

TEST_F(bug_report, notes_keep_letters_digits_underscores_and_apostrophes_only) {
    struct note_case_t {
        const char *typed;
        const char *written;
    };
    const note_case_t cases[] = {
        {"Rock_02 isn't lit", "Rock_02 isn't lit"},
        {"a\"b;c<d>\\e\tf", "a b c d  e f"},
        {"\xe9t\xe9 \xff" "2", " t   2"},
        {"", ""},
    };
    for (const note_case_t &c : cases) {
        mstring_dyn_t out;
        handler_t::make_note(c.typed, out);
        EXPECT_STREQ(out.c_str(), c.written) << c.typed;
    }
}

TEST_F(bug_report, tags_take_absolute_values_while_the_transform_keeps_the_sign) {
    struct tag_case_t {
        vec3_t position;
        int random;
        const char *tag;
    };
    const tag_case_t cases[] = {
        {{12.4f, 3.6f, 0.2f}, 7, "1240700"},
        {{-12.4f, -3.6f, -0.2f}, 7, "1240700"},
        {{1.0f, 2.0f, 3.0f}, 0, "123"},
        {{-250.0f, 0.0f, 99.9f}, 32767, "25001003276700"},
    };
    for (const tag_case_t &c : cases) {
        mstring_dyn_t tag;
        handler_t::make_tag(c.position, c.random, tag);
        EXPECT_STREQ(tag.c_str(), c.tag);
    }
    mstring_dyn_t text;
    handler_t::make_block(vec3_t{-12.4f, -3.6f, -0.2f}, "1240700", "n", text);
    EXPECT_EQ(std::string(text.c_str()), block("1240700", "-12.40 -3.60 -0.20", "n"));
}

TEST_F(bug_report, a_layout_without_its_items_is_logged_and_still_works) {
    errors_expected = true;
    layout("/t/bare.esc", "entity ui.window { coords: \"0 0 1024 768\" }\n"
                          "entity ui.handler.system.bugreport { name: \"bare\" }\n");
    handler_t *h = show("/t/bare.esc");
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(messages.contains("no item 20"));
    EXPECT_TRUE(messages.contains("no item 21"));
    EXPECT_TRUE(pausing.paused);
    EXPECT_TRUE(h->write_report());
    EXPECT_NE(report_file().find("setAttr \".nts\" -type \"string\" \"\";"), std::string::npos);
    press(UI_KEY_ESCAPE);
    step();
    EXPECT_FALSE(ui_wis_shown(window_item)) << "Escape closes without a Cancel button";
    EXPECT_FALSE(pausing.paused);
}

}  // namespace
}  // namespace quarn::test
