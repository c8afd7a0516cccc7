#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kernel/kernel.h"
#include "kernel/process_table.h"
#include "kernel/sys.h"
#include "platform/process.h"
#include "program_run.h"
#include "qrncore/system/dl_lib.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "test_module.h"

namespace quarn::test {
namespace {

// A "quit" in the home configuration ends the run at the game's first frame.
TEST(program, boots_and_shuts_down_in_order) {
    program_copy_t program;
    program.add_build_plugins();
    program.set_home_config("quit\n");
    const program_result_t r = program.run({"-nocpu"});
    ASSERT_TRUE(r.started) << program_path();
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(lines_in_order(r.log, {
                                          "[sys] running on x86 / Linux",
                                          "[qrnshared] started (locale en)",
                                          "[visbase] started",
                                          "[sonbase] started",
                                          "[ctlbase] started",
                                          "[cpu] ",
                                          "[qrnshared] running",
                                          "[loaders] resource type 'def' registered",
                                          "[game] Fernwold init ver.1.52D",
                                          "[sys] windows on the '",
                                          "[snd] select device (snddev)",
                                          "[snddev] Sound output: ",
                                          "[snddev] Initialization OK.",
                                          "quit",
                                          "[loaders] resource loaders unregistered",
                                          "[ctlbase] stopped",
                                          "[sonbase] stopped",
                                          "[qrnshared] stopped",
                                          "[sys] process shutdown",
                                      }));
    EXPECT_EQ(r.log.back(), "[sys] process shutdown") << "nothing is logged after the log stops";
    // Both device plug-ins load and their devices are picked: no line says otherwise.
    for (const std::string &line : r.log) {
        EXPECT_EQ(line.find("falling back to legacy support"), std::string::npos) << line;
        EXPECT_EQ(line.find("[inpdev]"), std::string::npos) << line;
        EXPECT_EQ(line.find("Can not load the library"), std::string::npos) << line;
        EXPECT_EQ(line.find("select device = NULL"), std::string::npos) << line;
    }
}

// A "-log" path too long to keep whole, and one in a folder that does not exist: the
// program says so on standard error, makes no file (a cut path would name another
// one) and runs to its end.
TEST(program, an_unusable_log_path_leaves_no_file_and_a_message) {
    temp_dir_t dir;
    program_copy_t program;
    program.add_build_plugins();
    const struct {
        std::string path;
        std::string said;
    } cases[] = {
        {dir.path() + "/" + std::string(3000, 'x'), "[log] The path given to -log is too long - no log file is written."},
        {dir.file("no/such/run.log"), "[log] Unable to open the log file '" + dir.file("no/such/run.log") + "'"},
    };
    for (const auto &c : cases) {
        // Each run stores the configuration anew, without the "quit".
        program.set_home_config("quit\n");
        const program_result_t r = program.run({"-nocpu"}, c.path);
        ASSERT_TRUE(r.started);
        EXPECT_EQ(r.exit_code, 0) << r.err;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
        EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    }
}

TEST(program, the_screensaver_logs_into_the_documents_folder) {
    temp_dir_t docs;
    program_copy_t copy;
    copy.add_build_plugins();
    std::filesystem::create_directories(docs.file("Fernwold"));
    std::ofstream(docs.file("Fernwold/config.cfg")) << "quit\n";
    setenv("XDG_DOCUMENTS_DIR", docs.path().c_str(), 1);
    const std::string program = copy.file("fernwold");
    const char *argv[] = {program.c_str(), "-screensaver", nullptr};
    int exit_code = -1;
    struct sink_t : platform::process_output_t {
        void on_stdout(const char *, size_t) override {}
        void on_stderr(const char *, size_t) override {}
    } sink;
    const bool started = platform::process_run(argv, &sink, &exit_code);
    unsetenv("XDG_DOCUMENTS_DIR");
    ASSERT_TRUE(started);
    EXPECT_EQ(exit_code, 0);
    // The folder is made when missing.
    const std::vector<std::string> log = log_lines(docs.file("Fernwold/screensaver.log"));
    EXPECT_TRUE(lines_in_order(log, {"[game] Fernwold init ver.1.52D", "[sys] process shutdown"}));
}

TEST(program, a_module_that_runs_ends_the_kernel_with_0) {
    temp_dir_t dir;
    message_capture_t log;
    EXPECT_EQ(run_kernel_from(dir.path(), {"-exec", "testmod"}), 0);
    EXPECT_TRUE(log.contains("[sys] process shutdown"));
    EXPECT_EQ(process_count(), 0u);
}

TEST(program, a_failed_exec_shuts_down_cleanly_and_exits_with_1) {
    struct case_t {
        std::vector<const char *> args;
        const char *logged;
    };
    const case_t cases[] = {
        {{"-exec", "testmod", "testmod2"}, "can exec only one DLL!"},
        {{"-exec"}, "can exec only one DLL!"},
        {{"-load", "x"}, "[sys] Nothing to execute"},
        {{"-exec", "missing/nothing"}, "[sys] Can not load the library 'missing/nothing.so'"},
        {{"-exec", "testmod", "-refuse"}, "[sys] Can not execute library 'testmod.so'"},
    };
    for (const auto &c : cases) {
        temp_dir_t dir;
        message_capture_t log;
        test_module.refuse_execute = c.args.back() == std::string("-refuse");
        EXPECT_EQ(run_kernel_from(dir.path(), c.args), 1) << c.logged;
        EXPECT_TRUE(log.contains(c.logged)) << c.logged;
        EXPECT_TRUE(log.contains("[sys] process shutdown")) << c.logged;
        EXPECT_EQ(process_count(), 0u) << "the idle process went too";
    }
    test_module.refuse_execute = false;
}

// A plug-in that fails the run while it loads keeps the library to execute from
// running; one that fails it later stops every process. Either way the exit code is 1.
TEST(program, a_run_a_plug_in_failed_ends_with_1) {
    struct case_t {
        std::vector<const char *> args;
        void (*on_register)();
        void (*on_execute)();
        const char *logged;
    };
    const case_t cases[] = {
        {{"-load", "testmod", "-exec", "missing/nothing"}, [] { sys_fail_run(); }, nullptr,
         "[sys] The run failed while the plug-ins loaded - nothing is executed"},
        {{"-exec", "testmod"}, nullptr, [] { sys_fail_run(); }, "[sys] process shutdown"},
    };
    for (const auto &c : cases) {
        temp_dir_t dir;
        message_capture_t log;
        test_module.on_register = c.on_register;
        test_module.on_execute = c.on_execute;
        EXPECT_EQ(run_kernel_from(dir.path(), c.args), 1) << c.logged;
        EXPECT_TRUE(log.contains(c.logged)) << c.logged;
        EXPECT_FALSE(log.contains("Can not load the library")) << "nothing was executed";
        EXPECT_EQ(process_count(), 0u);
    }
    test_module.on_register = nullptr;
    test_module.on_execute = nullptr;
}

}  // namespace
}  // namespace quarn::test
