#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher_world.h"
#include "platform/settings_store.h"
#include "tools/kickup/src/kickup.h"
#include "tools/kickup/src/string_table.h"

namespace quarn::kickup {
namespace {

using fakes::launcher_world_t;
using fakes::recording_host_t;

// A desktop that answers the dialog with OK (or Cancel) at once and notes what it was
// asked to show.
class fake_ui_t : public launcher_ui_t {
public:
    bool display = true;
    bool answer_ok = true;
    std::vector<std::string> shown;

    bool open_display() override { return display; }
    void run_dialog(dialog_presenter_t &presenter, uint64_t parent) override {
        shown.push_back("dialog " + std::to_string(parent) + " " + presenter.control(ID_OK).text);
        if (answer_ok) presenter.ok();
        else presenter.cancel();
    }
    void run_preview(uint64_t window) override { shown.push_back("preview " + std::to_string(window)); }
};

class launcher_program : public ::testing::Test {
protected:
    // Runs the launcher with args; what it showed and started, one item a line.
    std::string run(const std::vector<std::string> &args, int expected_exit = 0) {
        ui.shown.clear();
        world.spawner.started.clear();
        launcher_app_t app(args, world.game_folder() + "launcher", world.machine, world.spawner, ui);
        EXPECT_EQ(app.run(), expected_exit);
        std::string out;
        for (const std::string &s : ui.shown) out += s + "\n";
        for (const auto &s : world.spawner.started) {
            out += "start";
            for (const std::string &a : s.argv) out += " " + (a.rfind(world.dir.path(), 0) == 0 ? "~" + a.substr(world.dir.path().size()) : a);
            out += s.wait ? " (waits)" : "";
            out += s.folder == world.game_folder() ? " in the game folder" : s.folder.empty() ? "" : " in " + s.folder;
            out += "\n";
        }
        return out;
    }

    launcher_world_t world;
    recording_host_t host;
    fake_ui_t ui;
};

const std::string GAME_WITH_LOG = "start ~/game/fernwold -log ~/docs/Fernwold/quarn3d.log 300000 in the game folder\n";

TEST_F(launcher_program, the_command_line) {
    const struct {
        std::vector<std::string> args;
        std::string outcome;
    } cases[] = {
        {{}, "dialog 0 Harlstock 3D starten\n" + GAME_WITH_LOG},
        {{"  ", "\t"}, "dialog 0 Harlstock 3D starten\n" + GAME_WITH_LOG},
        {{"/e"}, "dialog 0 Harlstock 3D starten\n" + GAME_WITH_LOG},
        {{"-E"}, "dialog 0 Harlstock 3D starten\n" + GAME_WITH_LOG},
        {{"/S"}, "start ~/game/fernwold -screensaver (waits) in the game folder\n"},
        {{"-s"}, "start ~/game/fernwold -screensaver (waits) in the game folder\n"},
        {{"/c"}, "start ~/game/launcher /e /c (waits)\n"},
        {{"/C:77"}, "start ~/game/launcher /e /C:77 (waits)\n"},
        {{"/e", "/c:1234"}, "dialog 1234 OK\n"},
        {{"/e", "/c"}, "dialog 0 Harlstock 3D starten\n" + GAME_WITH_LOG},
        {{"/p", "1234"}, "preview 1234\n"},
        {{"/P", "4294967295"}, "preview 4294967295\n"},
        {{"/p"}, ""},
        {{"/x"}, ""},
        {{"/"}, ""},
        {{"e"}, ""},
        {{"hello", "/s"}, ""},
        {{"/m"}, "start xdg-screensaver activate (waits)\n"},
        {{"/q"}, ""},
    };
    for (const auto &c : cases) {
        std::string args;
        for (const std::string &a : c.args) args += "[" + a + "]";
        EXPECT_EQ(run(c.args), c.outcome) << args;
    }
    EXPECT_TRUE(host.shown.empty());
}

TEST_F(launcher_program, ok_stores_suppress_setup_writes_the_file_and_starts_the_game) {
    EXPECT_EQ(run({}), "dialog 0 Harlstock 3D starten\n" + GAME_WITH_LOG);
    EXPECT_NE(world.config_text().find("uset r_device \"gl\"\r\n"), std::string::npos);
    EXPECT_NE(world.config_text().find("uset g_quality \"1\"\r\n"), std::string::npos);
    uint32_t suppress = 9;
    EXPECT_TRUE(platform::settings_read_number("Software\\TZK Software\\Fernwold", "SuppressSetup", &suppress));
    EXPECT_EQ(suppress, 0u);

    // Cancel writes nothing and starts nothing.
    std::remove((world.user_folder() + "config.cfg").c_str());
    ui.answer_ok = false;
    EXPECT_EQ(run({}), "dialog 0 Harlstock 3D starten\n");
    EXPECT_EQ(world.config_text(), "");

    // As the screensaver's settings, OK writes the file and starts no game.
    ui.answer_ok = true;
    EXPECT_EQ(run({"/e", "/c:99"}), "dialog 99 OK\n");
    EXPECT_NE(world.config_text().find("uset r_path"), std::string::npos);

    // With SuppressSetup the game starts at once.
    ASSERT_TRUE(platform::settings_write_number("Software\\TZK Software\\Fernwold", "SuppressSetup", 1));
    EXPECT_EQ(run({}), GAME_WITH_LOG);
    EXPECT_EQ(run({"/e"}), GAME_WITH_LOG);
}

TEST_F(launcher_program, a_dialog_that_fails_to_open_ends_quietly) {
    world.machine.gl_connector.fail = [] { throw opengl_context_exception_t("opengl_context", 1, "eglMakeCurrent() failed"); };
    ui.shown.clear();
    EXPECT_EQ(run({}), "");  // the dialog closed before showing; nothing started
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.shown[0].text, load_resource_string(112) + "\n\nError was:  [eglMakeCurrent() failed]");
}

TEST_F(launcher_program, without_a_display_only_the_dialog_tasks_fail) {
    ui.display = false;
    EXPECT_EQ(run({}, 1), "");
    EXPECT_EQ(run({"/e", "/c:5"}, 1), "");
    EXPECT_EQ(run({"/p", "5"}, 1), "");
    EXPECT_EQ(run({"/s"}), "start ~/game/fernwold -screensaver (waits) in the game folder\n");
    EXPECT_EQ(run({"/q"}), "");
    EXPECT_NE(world.config_text().find("uset r_mode"), std::string::npos);
}

TEST_F(launcher_program, a_missing_game_is_reported) {
    std::remove((world.game_folder() + "fernwold").c_str());
    EXPECT_EQ(run({"/s"}), "");
    EXPECT_EQ(run({"/c"}), "start ~/game/launcher /e /c (waits)\n");  // the second run reports it
    ASSERT_EQ(host.shown.size(), 1u);
    // Without InstallPath the second place searched is the working folder.
    EXPECT_EQ(host.shown[0].text,
              load_resource_string(112) + "\n\nError was:  [Quarn executable was not found:  [./fernwold]]");
}

TEST_F(launcher_program, silent_configuration) {
    world.write_config("uset g_player_name \"Red Fox\"\r\n");
    // The device's default path: the automatic choice belongs to the dialog.
    EXPECT_EQ(run({"/q"}), "");
    EXPECT_EQ(world.config_text(),
              "uset g_player_name \"Red Fox\"\r\nuset g_quality \"1\"\r\nuset g_zclip \"0.6\"\r\nuset r_device \"gl\"\r\n"
              "uset r_path \"10\"\r\nuset r_mode \"1024x768x32x0\"\r\nuset r_fullscreen \"1\"\r\nuset s_device \"snddev\"\r\n"
              "uset s_acceleration \"0\"\r\nuset s_mix_rate \"44100\"\r\n");

    // No render device: the fresh defaults and string 108.
    world.machine.gl_connector.fail = [] { throw device_init_exception_t("device_specs", 1, "No render devices found!"); };
    EXPECT_EQ(run({"/q"}), "");
    EXPECT_NE(world.config_text().find("uset r_mode \"800x600x16x0\"\r\n"), std::string::npos);
    EXPECT_NE(world.config_text().find("uset g_quality \"0\"\r\n"), std::string::npos);
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.shown[0].text, load_resource_string(108));

    // A broken database is reported and leaves the file alone.
    const std::string before = world.config_text();
    world.machine.gl_connector.fail = nullptr;
    world.write("game/specs.settings", "broken");
    EXPECT_EQ(run({"/q"}), "");
    ASSERT_EQ(host.shown.size(), 2u);
    EXPECT_EQ(host.shown[1].text,
              load_resource_string(112) + "\n\nError was:  [Opening quote not found on line:  1]");
    EXPECT_EQ(world.config_text(), before);
}

}  // namespace
}  // namespace quarn::kickup
