// The built launcher, headless, with documents and config folders of the test's own.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/settings_store.h"
#include "support/env_guard.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"
#include "tools/kickup/src/config_file.h"

extern char **environ;

namespace quarn::kickup {
namespace {

const std::string BIN = quarn::test::test_bin_dir();
constexpr auto PATIENCE = std::chrono::seconds(120);

class launcher_run : public ::testing::Test {
protected:
    launcher_run() : m_docs("XDG_DOCUMENTS_DIR"), m_config("XDG_CONFIG_HOME") {
        test::write_file(dir.file("docs/.keep"), "");
        setenv("XDG_DOCUMENTS_DIR", dir.file("docs").c_str(), 1);
        setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
    }

    // Starts a program with no display, its output into a file; its pid.
    pid_t start(const std::vector<std::string> &args) {
        std::vector<std::string> env;
        for (char **e = environ; *e; ++e)
            if (strncmp(*e, "DISPLAY=", 8) != 0 && strncmp(*e, "WAYLAND_DISPLAY=", 16) != 0) env.push_back(*e);
        std::vector<char *> argv, envp;
        for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        for (const std::string &e : env) envp.push_back(const_cast<char *>(e.c_str()));
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output().c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()), 0) << args[0];
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }
    // Its exit code, or -2 when it has not ended in good time (it is then killed).
    static int wait_for(pid_t pid) {
        const auto deadline = std::chrono::steady_clock::now() + PATIENCE;
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                return -2;
            }
            std::this_thread::yield();
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string output() const { return dir.file("output.txt"); }
    std::string user_file(const std::string &name) const { return dir.file("docs/Fernwold/" + name); }

    test::temp_dir_t dir;

private:
    test::env_guard_t m_docs, m_config;
};

// The uset lines of a file as name=value, in order.
std::string usets(const std::string &path) {
    std::string out;
    const config_file_t file = config_file_t::load(path);
    for (const std::string &line : file.lines()) {
        std::string name, value;
        if (parse_uset_line(line, &name, &value)) out += name + "=" + value + " ";
    }
    return out;
}

TEST_F(launcher_run, quiet_configuration_writes_the_seven_variables_and_the_rated_preset) {
    const pid_t pid = start({BIN + "/launcher", "/q"});
    ASSERT_EQ(wait_for(pid), 0) << test::read_file(output());
    const config_file_t config = config_file_t::load(user_file("config.cfg"));
    for (const char *name : {"r_device", "r_path", "r_mode", "r_fullscreen", "s_device", "s_acceleration", "s_mix_rate"})
        EXPECT_TRUE(config.has_value(name)) << name;
    EXPECT_EQ(config.get_value("r_device"), "gl");
    EXPECT_EQ(config.get_value("s_device"), "snddev");
    const int32_t level = config.get_int("g_quality");
    ASSERT_GE(level, 0);
    ASSERT_LE(level, 2);
    // Every line of the rated preset made it into the file.
    const std::string preset = usets(BIN + "/quality" + std::to_string(level) + ".cfg");
    EXPECT_EQ(usets(user_file("config.cfg")).substr(0, preset.size()), preset);
    EXPECT_EQ(test::read_file(user_file("config.cfg")).find('\n'), test::read_file(user_file("config.cfg")).find("\r\n") + 1);
}

// The game as a screensaver: the launcher returns only after it has ended. Once the
// game has loaded its plug-ins it stops on SIGTERM as on "quit"; it may also have
// ended by itself before.
TEST_F(launcher_run, the_screensaver_runs_the_game_and_waits_for_it) {
    const pid_t launcher = start({BIN + "/launcher", "/s"});
    const auto deadline = std::chrono::steady_clock::now() + PATIENCE;
    int status = 0;
    bool ended = false;
    while (!(ended = waitpid(launcher, &status, WNOHANG) != 0) && std::chrono::steady_clock::now() < deadline &&
           test::read_file(user_file("screensaver.log")).find("[gl] renderer registered") == std::string::npos)
        std::this_thread::yield();
    if (!ended) {
        const std::string children = "/proc/" + std::to_string(launcher) + "/task/" + std::to_string(launcher) + "/children";
        const pid_t game = pid_t(atoi(test::read_file(children).c_str()));
        if (game > 0) {
            std::string cmdline = test::read_file("/proc/" + std::to_string(game) + "/cmdline");
            for (char &c : cmdline) c = c ? c : ' ';
            EXPECT_EQ(cmdline, BIN + "/fernwold -screensaver ");
            kill(game, SIGTERM);
        }
        EXPECT_EQ(wait_for(launcher), 0) << test::read_file(output());
    } else {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << test::read_file(output());
    }
    // The game wrote its screensaver log, to its end, before the launcher returned.
    const std::string log = test::read_file(user_file("screensaver.log"));
    EXPECT_NE(log.find("[sys] process shutdown"), std::string::npos) << log;
}

TEST_F(launcher_run, with_suppress_setup_the_game_starts_at_once_with_its_log) {
    // A launcher with a stand-in game beside it that notes its folder and arguments and
    // then waits until the test lets it go.
    const std::string game_folder = dir.file("game/");
    test::write_file(game_folder + "launcher", test::read_file(BIN + "/launcher"));
    test::write_file(game_folder + "fernwold",
                     "#!/bin/sh\nexec >/dev/null 2>&1\nprintf '%s\\n' \"$PWD\" \"$@\" > \"$0.tmp\"\nmv \"$0.tmp\" \"$0.args\"\n"
                     "read line < \"$0.release\"\n");
    ASSERT_EQ(chmod((game_folder + "launcher").c_str(), 0755), 0);
    ASSERT_EQ(chmod((game_folder + "fernwold").c_str(), 0755), 0);
    ASSERT_EQ(mkfifo((game_folder + "fernwold.release").c_str(), 0600), 0);
    ASSERT_TRUE(platform::settings_write_number("Software\\TZK Software\\Fernwold", "SuppressSetup", 1));

    // The launcher ends while the game still waits.
    ASSERT_EQ(wait_for(start({game_folder + "launcher"})), 0) << test::read_file(output());
    const auto deadline = std::chrono::steady_clock::now() + PATIENCE;
    std::string args;
    while ((args = test::read_file(game_folder + "fernwold.args")).empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_EQ(args, dir.file("game") + "\n-log\n" + user_file("quarn3d.log") + "\n300000\n");
    const int release = open((game_folder + "fernwold.release").c_str(), O_WRONLY);
    ASSERT_GE(release, 0);
    EXPECT_EQ(write(release, "\n", 1), 1);
    close(release);
}

}  // namespace
}  // namespace quarn::kickup
