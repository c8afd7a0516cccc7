#include "qrncore/system/run_process.h"

#include <gtest/gtest.h>

#include <string>

namespace quarn {
namespace {

std::string text(const mstring_t *t) { return t ? t->c_str() : "<null>"; }

TEST(run_process, parameters_are_separate_arguments) {
    run_process_t p;
    ASSERT_TRUE(p.set_command("printf"));
    ASSERT_TRUE(p.add_parameter("[%s]"));
    ASSERT_TRUE(p.add_parameter("a"));
    ASSERT_TRUE(p.add_parameter("b c"));
    ASSERT_TRUE(p.add_parameter("$HOME;*"));
    ASSERT_TRUE(p.run());
    // No shell, no joining: a blank, a dollar and a star reach the program as given.
    EXPECT_EQ(text(p.get_stdout()), "[a][b c][$HOME;*]");
    EXPECT_EQ(text(p.get_stderr()), "");
    EXPECT_EQ(p.get_result(), 0);
}

TEST(run_process, outputs_and_exit_codes) {
    struct case_t {
        const char *script;
        const char *out;
        const char *err;
        int32_t result;
    };
    const case_t cases[] = {
        {"true", "", "", 0},
        {"echo out; echo err >&2; exit 7", "out\n", "err\n", 7},
        // Written just before the end, and no newline.
        {"printf late; printf late2 >&2; exit 1", "late", "late2", 1},
        {"printf 'a\\000b'", "ab", "", 0},
        {"kill -9 $$", "", "", -1},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.script);
        run_process_t p;
        EXPECT_EQ(p.get_stdout(), nullptr);
        EXPECT_EQ(p.get_result(), -1);
        p.set_command("/bin/sh");
        p.add_parameter("-c");
        p.add_parameter(c.script);
        ASSERT_TRUE(p.run());
        EXPECT_EQ(text(p.get_stdout()), c.out);
        EXPECT_EQ(text(p.get_stderr()), c.err);
        EXPECT_EQ(p.get_result(), c.result);
    }
}

TEST(run_process, a_missing_program_keeps_the_last_run) {
    run_process_t p;
    p.set_command("/nonexistent/program");
    EXPECT_FALSE(p.run());
    EXPECT_EQ(p.get_result(), -1);
    EXPECT_EQ(p.get_stdout(), nullptr);
    EXPECT_EQ(p.get_stderr(), nullptr);

    run_process_t q;
    EXPECT_FALSE(q.run());  // no command at all
    q.set_command("/bin/sh");
    q.add_parameter("-c");
    q.add_parameter("echo once; exit 4");
    ASSERT_TRUE(q.run());
    q.set_command("no-such-program-anywhere");
    EXPECT_FALSE(q.run());
    EXPECT_EQ(q.get_result(), 4);
    EXPECT_EQ(text(q.get_stdout()), "once\n");
}

TEST(run_process, a_megabyte_of_output_is_collected_whole) {
    run_process_t p;
    p.set_command("/bin/sh");
    p.add_parameter("-c");
    p.add_parameter("yes 0123456789abcde | head -c 1048576; echo done >&2");
    ASSERT_TRUE(p.run());
    const mstring_t *out = p.get_stdout();
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(out->length(), 1048576u);
    EXPECT_EQ(std::string(out->c_str(), 16), "0123456789abcde\n");
    EXPECT_EQ(std::string(out->c_str() + 1048576 - 16), "0123456789abcde\n");
    EXPECT_EQ(text(p.get_stderr()), "done\n");
    // A second run replaces the texts; parameters accumulate.
    p.add_parameter("ignored-argument");
    ASSERT_TRUE(p.run());
    EXPECT_EQ(p.get_stdout()->length(), 1048576u);
}

}  // namespace
}  // namespace quarn
