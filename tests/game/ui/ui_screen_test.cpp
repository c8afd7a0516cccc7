// A screen as the game shows it, through the UI fixture: a translated layout with the
// archive's font and panel checked through the draw log, input through the kernel's
// scripted device, the command "ui", and translations filled by the checked
// formatter.
#include <gtest/gtest.h>

#include "kernel/console/commands.h"
#include "outside/qrnshared/r_queue.h"
#include "outside/qrnshared/ui/lcl.h"
#include "ui_fixture.h"

namespace quarn::test {
namespace {

class ui_screen : public ui_fixture_t {
protected:
    void SetUp() override {
        ui_fixture_t::SetUp();
        layout("/ui/quit.esc",
               "entity ui.window {\n"
               "    coords: \"0 0 1024 768\"\n"
               "    entity ui.test.text { id: \"50\" coords: \"312 284 712 484\"\n"
               "        text: \"<img src=/system/ui/default/uidefault.mat xscale=repeat yscale=repeat color=30ffffff>"
               "<ret><align hstyle=center vstyle=center>\\y@@game_name@@</align>\" }\n"
               "    entity ui.test.button { id: \"1\" name: \"yes\" coords: \"400 300 460 330\" }\n"
               "}\n"
               "entity ui.test.handler { name: \"quit\" }\n");
    }
};

TEST_F(ui_screen, a_translated_screen_draws_the_archive_font_and_panel) {
    ASSERT_TRUE(localise());
    ASSERT_NE(insert("menu", "quit", "/ui/quit.esc"), nullptr);
    step();
    const std::string q = std::to_string(ui_queue()->id);
    EXPECT_EQ(dump(),
              "ui image queue " + q +
                  " \"/system/ui/default/uidefault.mat\" rect 312 284 712 484 uv 0 12.5 0 6.25 tint 30ffffff\n"
                  "ui glyphs queue " + q + " \"/system/font/default.font\" rect 480 376 544 392 tint ff00ffff \"Fernwold\"\n");
    EXPECT_DOUBLE_EQ(ui_context()->frame_time, FRAME) << "the kernel's step";
    for (const auto &e : messages.entries()) EXPECT_NE(e.type, message_t::ERROR) << e.text;
}

TEST_F(ui_screen, without_translations_a_key_shows_as_written) {
    ASSERT_NE(insert("menu", "quit", "/ui/quit.esc"), nullptr);
    step();
    EXPECT_EQ(texts(), "@@game_name@@");
}

TEST_F(ui_screen, keys_of_the_scripted_device_reach_the_handler_as_the_kernels_records) {
    ASSERT_NE(insert("menu", "quit", "/ui/quit.esc"), nullptr);
    scripted_input_device_t &dev = use_input_device();
    dev.frame({scripted_input_device_t::key(UI_KEY_TAB, true), scripted_input_device_t::key(UI_KEY_TAB, false)});
    dev.frame({scripted_input_device_t::key(30, true, 'a', UI_MOD_LSHIFT)});
    ui_test_log_t::lines.clear();
    step(3);
    EXPECT_EQ(ui_test_log_t::take(), "quit focus | quit: 8 yes 15 | quit: 7 yes " + std::to_string(30 | UI_MOD_LSHIFT << 16));
    // Injected events take the same way from the next step on.
    press(UI_KEY_ENTER);
    step();
    EXPECT_EQ(ui_test_log_t::take(), "quit: 2 yes 1 | quit: 8 yes 28");
}

TEST_F(ui_screen, the_command_ui_toggles_shows_and_hides_a_window_by_name_and_group) {
    layout("/ui/system/console.esc", "entity ui.window { }\nentity ui.test.handler { name: \"console\" }\n");
    c_item_t *console = insert("system_02", "console", "/ui/system/console.esc", UI_WINSERT_SYSTEM | UI_WINSERT_HIDDEN);
    ASSERT_NE(console, nullptr);
    EXPECT_TRUE(cmd_execute("ui t console:system_02"));
    EXPECT_TRUE(ui_wis_shown(console));
    EXPECT_TRUE(cmd_execute("ui t CONSOLE:System_02"));
    EXPECT_FALSE(ui_wis_shown(console));
    EXPECT_TRUE(cmd_execute("ui s console:system_02"));
    EXPECT_TRUE(cmd_execute("ui s console:system_02"));
    EXPECT_TRUE(ui_wis_shown(console));
    EXPECT_TRUE(cmd_execute("ui h console:system_02"));
    EXPECT_FALSE(ui_wis_shown(console));
    EXPECT_EQ(ui_test_log_t::take(), "console create | console show | console hide | console show | console hide");
    messages.clear();
    cmd_execute("ui t nothing:system_02");
    EXPECT_TRUE(messages.contains("[ui] No window 'nothing:system_02'"));
    cmd_execute("ui x console");
    EXPECT_TRUE(messages.contains("[ui] usage: ui t|s|h NAME:GROUP"));
}

const char *evil(const char *key) {
    return std::string(key) == "score_line" ? "%s scored %d %n%s%x" : nullptr;
}

TEST_F(ui_screen, translations_are_filled_by_the_checked_formatter) {
    ASSERT_TRUE(localise());
    mstring_dyn_t out;
    ASSERT_TRUE(lcl_format(out, "@@g_oc_primaryplussecondary@@!", {"Ctrl", "Mouse 1"}));
    EXPECT_EQ(out, "Ctrl or Mouse 1!");
    lcl_set_callback(&evil);
    ASSERT_TRUE(lcl_format(out, "[@@score_line@@]", {"Ann", int32_t(42)}));
    EXPECT_EQ(out, "[Ann scored 42 %n%s%x]") << "no write through %n, nothing read past the arguments";
}

}  // namespace
}  // namespace quarn::test
