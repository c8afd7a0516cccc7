// The game process as the program runs it: start-up order, the variables it stores,
// the commands' texts, the screensaver start and the fatal stops. Each run is a copy
// of the program with temporary documents and configuration folders; commands come
// from the home configuration (run at the game's first frame, in order).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "game/process/game_commands.h"
#include "game/process/game_cvars.h"
#include "kernel/console/commands.h"
#include "kernel/kernel_fixture.h"
#include "kernel/program_run.h"
#include "outside/qrnshared/cmd.h"
#include "outside/qrnshared/cvar.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

std::string read_text(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The index of the first line at or after from that begins with head and ends with
// tail; -1 when none.
int find_line(const std::vector<std::string> &lines, const std::string &head, const std::string &tail = "",
              size_t from = 0) {
    for (size_t i = from; i < lines.size(); ++i) {
        const std::string &l = lines[i];
        if (l.size() >= head.size() + tail.size() && l.compare(0, head.size(), head) == 0 &&
            l.compare(l.size() - tail.size(), tail.size(), tail) == 0)
            return int(i);
    }
    return -1;
}

// A run of the game that the test plug-in (standing as the input plug-in) ends with
// SIGTERM after some passes, as the README's run does after a few seconds.
program_result_t run_until_signal(program_copy_t &program, const std::vector<std::string> &args, int passes) {
    program.add_plugin("inpdev", test_plugins_dir() + "/testplug.so");
    program.add_build_plugins();
    scoped_env_t raise_after("TESTPLUG_RAISE", std::to_string(passes));
    return program.run(args);
}

TEST(game_process_program, starts_in_order_runs_the_menu_and_a_signal_quits) {
    program_copy_t program;
    program.set_home_config("uset g_lang en\n");
    const program_result_t r = run_until_signal(program, {"-nocpu"}, 20);
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(lines_in_order(r.log, {
                                          "[zipfs] base.tzk successfully mounted",
                                          "[zipfs] <mem-addr-file> successfully mounted",
                                          "[game] Fernwold init ver.1.52D\t(rev. \"32571\")",
                                          "[ufs] Home directory: '",
                                          "exec \"/default.cfg\"",
                                          "exec \"/home/config.cfg\"",
                                          "[game] language en_us",
                                          "[sys] windows on the '",
                                          "[snd] select device (snddev)",
                                          "[game] graphics up: 1024x768x32 fullscreen",
                                          "[game] session started",
                                      }));
    const int session = find_line(r.log, "[game] session started");
    const int rounds = find_line(r.log, "[game] ", " rounds", size_t(session));
    ASSERT_GE(rounds, 0) << "the round count follows the session";
    EXPECT_TRUE(lines_in_order(std::vector<std::string>(r.log.begin() + rounds, r.log.end()),
                               {"menu", "[sys] stop requested", "quit", "[sys] process shutdown"}));
    EXPECT_NE(read_text(program.home_file("config.cfg")).find("uset g_lang \"en_us\""), std::string::npos);
}

// A screenshot is a numbered picture in the home's "screenshots" folder, taken at the
// end of the next frame.
TEST(game_process_program, a_screenshot_is_saved_numbered) {
    program_copy_t program;
    program.set_home_config("screenshot\n");
    const program_result_t r = run_until_signal(program, {"-nocpu"}, 10);
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(lines_in_order(r.log, {"screenshot", "Screenshot written: '/home/screenshots/fernwold_00000.png'.",
                                       "quit"}));
    const std::string png = read_text(program.home_file("screenshots/fernwold_00000.png"));
    ASSERT_GE(png.size(), 8u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
}

// What the variables' hooks keep is what "/home/config.cfg" stores at the end: all
// of the game's variables but "fx_flat_factor".
TEST(game_process_program, variables_are_checked_and_stored) {
    const struct {
        const char *config;
        const char *stored;
    } cases[] = {
        {"uset g_zclip 1.02\n", "uset g_zclip \"0.5\""},
        {"uset g_zclip 1.01\n", "uset g_zclip \"1.01\""},
        {"uset g_grass_density -3\n", "uset g_grass_density \"0\""},
        {"uset fx_flat_factor 0.25\n", "uset g_console \"0\""},
    };
    for (const auto &c : cases) {
        program_copy_t program;
        program.add_build_plugins();
        program.set_home_config(std::string(c.config) + "quit\n");
        const program_result_t r = program.run({"-nocpu"});
        ASSERT_TRUE(r.started);
        EXPECT_EQ(r.exit_code, 0) << r.err;
        const std::string stored = read_text(program.home_file("config.cfg"));
        EXPECT_NE(stored.find(c.stored), std::string::npos) << c.config << stored;
        EXPECT_EQ(stored.find("fx_flat_factor"), std::string::npos) << c.config;
        for (uint32_t i = 0; i + 1 < GAME_CVAR_COUNT; ++i)
            EXPECT_NE(stored.find(std::string("uset ") + game_cvar(i)->name + " "), std::string::npos)
                << game_cvar(i)->name;
    }
}

// The player's texture settings outlive a restart: the first run sets them and stores
// its configuration at the end; the second reads that file and stores them again.
TEST(game_process_program, texture_settings_are_kept_across_a_restart) {
    program_copy_t program;
    program.add_build_plugins();
    const char *const kept[] = {"uset r_texture_detail \"2\"", "uset r_anisotropy_factor \"0.75\""};
    program.set_home_config("uset r_texture_detail 2\nuset r_anisotropy_factor 0.75\nquit\n");
    program_result_t r = program.run({"-nocpu"});
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    std::string stored = read_text(program.home_file("config.cfg"));
    for (const char *line : kept) EXPECT_NE(stored.find(line), std::string::npos) << line << "\n" << stored;

    program.set_home_config(stored + "quit\n");
    r = program.run({"-nocpu"});
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    stored = read_text(program.home_file("config.cfg"));
    for (const char *line : kept)
        EXPECT_NE(stored.find(line), std::string::npos) << "after the restart: " << line << "\n" << stored;
}

// Every usage and error text, each after its own command line. Without a round
// progression every round id is refused, and nothing else happens.
TEST(game_process_program, commands_say_their_usage_and_errors) {
    const struct {
        const char *line;
        const char *said;
    } cases[] = {
        {"menu a b", "[game] \\yusage:\\w menu [start screen]"},
        {"map", "[game] \\yusage:\\w map MAP_NAME [START_POINT_ID]"},
        {"start", "[game] \\yusage:\\w start MISSION_FILE_NAME"},
        {"start /no/such.def", "[game] Mission (/no/such.def) does not exist."},
        {"g_time", "[game] Unable to change game-time - not enough parameters - usage: g_time <hour>"},
        {"g_time 1 2", "[game] Unable to change game-time - not enough parameters - usage: g_time <hour>"},
        {"g_path", "[game] Unable to change path - not enough parameters - usage: g_path path"},
        {"g_mode gl x 640x480x32x0", "[game] Unable to change mode - not enough params - usage: g_mode driver device "
                                     "modeline fullscreen."},
        {"init_round", "[game] \\yusage:\\w init_round <round_id>"},
        {"init_round 0", "[game] Tried to start round (0), which does not exist."},
        {"init_round 99", "[game] Tried to start round (99), which does not exist."},
        {"init_round x", "[game] Tried to start round (0), which does not exist."},
        {"animalcam", "[game] usage: animalcam animal_id"},
        {"animalcam foo", "[game] animal name/index not matched."},
        {"map valley 3", "start /home/tmp_mission.def"},
    };
    std::string config;
    for (const auto &c : cases) config += std::string(c.line) + "\n";
    program_copy_t program;
    program.add_build_plugins();
    program.set_home_config(config + "quit\n");
    const program_result_t r = program.run({"-nocpu"});
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    int at = find_line(r.log, "[game] ", " rounds");
    ASSERT_GE(at, 0);
    for (const auto &c : cases) {
        std::vector<std::string> rest(r.log.begin() + at, r.log.end());
        EXPECT_TRUE(lines_in_order(rest, {c.line, c.said})) << c.line;
        for (size_t i = size_t(at); i < r.log.size(); ++i)
            if (r.log[i] == c.line) {
                at = int(i) + 1;
                break;
            }
    }
    // "map" writes the mission with the map, time 10 and clear weather, then starts it.
    const std::string mission = read_text(program.home_file("tmp_mission.def"));
    for (const char *part : {"def animals {", "area: \"valley\"", "time: \"10\"", "weather: \"clear\"",
                             "start_id: \"3\""})
        EXPECT_NE(mission.find(part), std::string::npos) << part << "\n" << mission;
}

// With "-screensaver" only "screensaver" and "quit" are commands, and the window is
// fullscreen whatever "r_fullscreen" says.
TEST(game_process_program, the_screensaver_has_two_commands_and_a_full_screen) {
    program_copy_t program;
    program.add_build_plugins();
    program.set_home_config("uset r_fullscreen 0\nmenu\nmap valley\nquit\n");
    const program_result_t r = program.run({"-nocpu", "-screensaver"});
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(lines_in_order(r.log, {"[cmd] 'menu' - unknown command", "[cmd] 'map valley' - unknown command",
                                       "[game] graphics up: 1024x768x32 fullscreen", "quit", "screensaver",
                                       "[game] Starting screensaver", "[sys] process shutdown"}));
}

TEST(game_process_program, without_data_or_graphics_the_program_ends_with_an_error) {
    {
        program_copy_t program;
        program.add_build_plugins();
        program.remove_base_archive();
        const program_result_t r = program.run({"-nocpu"});
        ASSERT_TRUE(r.started);
        EXPECT_NE(r.exit_code, 0);
        std::string all;
        for (const std::string &line : r.log) all += line + "\n";
        EXPECT_NE(all.find("[game] Error mounting external game data."), std::string::npos) << all;
    }
    {
        // The test plug-in stands as the renderer: no render device opens.
        program_copy_t program;
        program.add_plugin("gl", test_plugins_dir() + "/testplug.so");
        program.add_build_plugins();
        const program_result_t r = program.run({"-nocpu"});
        ASSERT_TRUE(r.started);
        EXPECT_NE(r.exit_code, 0);
        EXPECT_NE(r.err.find("Fernwold: Fernwold could not start its graphics."), std::string::npos)
            << "the message box: " << r.err;
    }
}

// The process's own commands fail while there is no game process.
class game_commands_alone : public kernel_fixture_t {
protected:
    void SetUp() override {
        kernel_fixture_t::SetUp();
        register_game_commands(false);
    }
    void TearDown() override {
        unregister_game_commands();
        kernel_fixture_t::TearDown();
    }
};

TEST_F(game_commands_alone, the_process_commands_fail_without_a_game_process) {
    message_capture_t log;
    for (const char *line : {"map valley", "exit", "menu", "start x", "g_time 3", "g_path 3", "g_mode a b c 1",
                             "screenshot", "init_round 1", "screensaver", "quit"})
        EXPECT_EQ(cmd_run_line(line, -1), cmd_t::FAILED) << line;
    for (const char *line : {"bonus", "gift 3", "goto 1 2", "animalcam", "ragdoll_info"})
        EXPECT_EQ(cmd_run_line(line, -1), cmd_t::DONE) << line;
}

}  // namespace
}  // namespace quarn::test
