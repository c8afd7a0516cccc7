#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/kernel.h"
#include "kernel/process_table.h"
#include "platform/user_dirs.h"
#include "program_run.h"
#include "qrncore/system/dl_lib.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

// A module compiled into the test program, found by the name "testmod" as the game
// module is found by "lib/game": it runs one process for two passes.
namespace {

class short_run_t : public quarn::vprocess_t {
public:
    short_run_t() : vprocess_t(0) { set_name("short_run"); }
    void handler() override {
        if (++m_passes == 2) process_terminate_all();
    }

private:
    int m_passes = 0;
};

class testmod_ops_t : public quarn::dl_ops_t {
public:
    bool dl_execute(void *, void *, unsigned, void *) override {
        if (refuse_execute) return false;
        process_add(new short_run_t, 0);
        return true;
    }
    bool refuse_execute = false;
};

testmod_ops_t testmod_ops;

}  // namespace

extern "C" __attribute__((visibility("default"))) quarn::dl_ops_t *testmod_get_dl_ops() { return &testmod_ops; }

namespace quarn::test {
namespace {

TEST(program, boots_and_shuts_down_in_order) {
    temp_dir_t dir;
    const program_result_t r = run_program({"-nocpu"}, dir.file("trace.log"));
    ASSERT_TRUE(r.started) << program_path();
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(lines_in_order(r.log, {
                                          "[sys] running on x86 / Linux",
                                          "[qrnshared] started",
                                          "[visbase] started",
                                          "[sonbase] started",
                                          "[ctlbase] started",
                                          "[cpu] ",
                                          "[qrnshared] running",
                                          "[game] stand-in game module running",
                                          "[game] 5 frames run, ending the run",
                                          "[sonbase] stopped",
                                          "[qrnshared] stopped",
                                          "[sys] process shutdown",
                                      }));
    EXPECT_EQ(r.log.back(), "[sys] process shutdown") << "nothing is logged after the log stops";
}

// Runs the kernel in this process from a folder of the test's own and checks that
// the folder is current again afterwards.
int run_kernel_from(const std::string &dir, std::vector<const char *> args) {
    char before[4096];
    EXPECT_TRUE(platform::working_dir_get(before, sizeof before));
    EXPECT_TRUE(platform::working_dir_set(dir.c_str()));
    args.insert(args.begin(), "kernel_tests");
    args.push_back("-nocpu");
    const int code = kernel_main(int(args.size()), const_cast<char **>(args.data()));
    char after[4096];
    EXPECT_TRUE(platform::working_dir_get(after, sizeof after));
    EXPECT_EQ(std::string(after), dir) << "the caller's working directory is restored";
    platform::working_dir_set(before);
    return code;
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
        testmod_ops.refuse_execute = c.args.back() == std::string("-refuse");
        EXPECT_EQ(run_kernel_from(dir.path(), c.args), 1) << c.logged;
        EXPECT_TRUE(log.contains(c.logged)) << c.logged;
        EXPECT_TRUE(log.contains("[sys] process shutdown")) << c.logged;
        EXPECT_EQ(process_count(), 0u) << "the idle process went too";
    }
    testmod_ops.refuse_execute = false;
}

}  // namespace
}  // namespace quarn::test
