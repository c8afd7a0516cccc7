#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "kernel/log_setup.h"
#include "qrncore/system/cmdline.h"
#include "support/temp_dir.h"

namespace quarn::test {
namespace {

TEST(message_history, keeps_the_last_256_messages_newest_first) {
    message_history_t history;
    for (int i = 1; i <= 300; ++i) {
        const std::string text = "message " + std::to_string(i);
        history.process_message(text.c_str(), i % 2 ? message_t::VERBOSE : message_t::ERROR);
    }
    ASSERT_EQ(history.count(), 256);
    EXPECT_STREQ(history.get(0)->text.c_str(), "message 300");
    EXPECT_EQ(history.get(0)->type, message_t::ERROR);
    EXPECT_STREQ(history.get(255)->text.c_str(), "message 45");
    EXPECT_EQ(history.get(255)->type, message_t::VERBOSE) << "verbose messages are held too";
    // Outside the history there is no message (never a stale slot).
    EXPECT_EQ(history.get(256), nullptr);
    EXPECT_EQ(history.get(-1), nullptr);
}

TEST(message_history, a_short_history_answers_only_for_what_it_holds) {
    message_history_t history;
    EXPECT_EQ(history.get(0), nullptr);
    history.process_message("one", message_t::WARNING);
    EXPECT_EQ(history.count(), 1);
    EXPECT_STREQ(history.get(0)->text.c_str(), "one");
    EXPECT_EQ(history.get(1), nullptr);
}

TEST(log_setup, log_options_from_the_command_line) {
    struct case_t {
        std::vector<const char *> args;
        const char *file;
        uint32_t limit;
    };
    const case_t cases[] = {
        {{"prog"}, "", 0},
        {{"prog", "-log"}, "quarn3d.log", 0},
        {{"prog", "-log", "-nocpu"}, "quarn3d.log", 0},
        {{"prog", "-log", "my.log"}, "my.log", 0},
        {{"prog", "-log", "my.log", "300000"}, "my.log", 300000},
        {{"prog", "-log", "my.log", "0x100"}, "my.log", 256},
        {{"prog", "-log", "my.log", "010"}, "my.log", 8},
        {{"prog", "-log", "my.log", "lots"}, "my.log", 0},
        {{"prog", "-load", "a", "-log", "x.log", "5", "extra"}, "x.log", 5},
    };
    for (const auto &c : cases) {
        cdl_init(int(c.args.size()), c.args.data());
        const log_options_t options = log_options_from_command_line();
        EXPECT_STREQ(options.file.c_str(), c.file) << c.args.size();
        EXPECT_EQ(options.limit, c.limit) << c.args.size();
    }
}

TEST(log_setup, the_history_fills_with_or_without_a_file) {
    temp_dir_t dir;
    log_options_t with_file;
    with_file.file = dir.file("k.log").c_str();
    for (const log_options_t &options : {log_options_t{}, with_file}) {
        kernel_log_start(options);
        verbose("[test] hidden from the file");
        message("[test] in both");
        EXPECT_EQ(message_history_count(), 2);
        EXPECT_STREQ(message_history_get(0)->text.c_str(), "[test] in both");
        EXPECT_EQ(message_history_get(2), nullptr);
        kernel_log_stop();
    }
    const std::string file = read_file(dir.file("k.log"));
    EXPECT_NE(file.find("[test] in both\r\n"), std::string::npos);
    EXPECT_EQ(file.find("hidden"), std::string::npos);
    EXPECT_EQ(message_history_count(), 0);
    EXPECT_EQ(message_history_get(0), nullptr);
}

// A path that does not fit is refused, never cut (a cut path names another file); a
// file that cannot be opened is reported. Either way standard error says so once,
// no file is made, and the run goes on with its history.
TEST(log_setup, unusable_log_paths_are_reported_and_leave_no_file) {
    temp_dir_t dir;
    // The command-line store keeps CDL_TEXT_SIZE bytes of argument text, terminators
    // included ("prog" and "-log" take 10): beyond that a path cannot arrive whole.
    const size_t room = CDL_TEXT_SIZE - 10 - 1;
    const std::string longest = dir.path() + "/" + std::string(room - dir.path().size() - 1, 'a');
    const std::string too_long = longest + "b";
    std::vector<const char *> args = {"prog", "-log", longest.c_str()};
    cdl_init(int(args.size()), args.data());
    EXPECT_EQ(log_options_from_command_line().file.c_str(), longest);

    args[2] = too_long.c_str();
    cdl_init(int(args.size()), args.data());
    ::testing::internal::CaptureStderr();
    const log_options_t refused = log_options_from_command_line();
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_STREQ(refused.file.c_str(), "");
    EXPECT_EQ(said, "[log] The path given to -log is too long - no log file is written.\n");

    log_options_t unopenable;
    unopenable.file = dir.file("no/such/folder/k.log").c_str();
    for (const log_options_t &options : {refused, unopenable}) {
        ::testing::internal::CaptureStderr();
        kernel_log_start(options);
        message("[test] the run goes on");
        EXPECT_EQ(message_history_count(), 1);
        kernel_log_stop();
        said = ::testing::internal::GetCapturedStderr();
        if (options.file.is_empty()) {
            EXPECT_EQ(said, "");
        } else {
            EXPECT_EQ(said, "[log] Unable to open the log file '" + dir.file("no/such/folder/k.log") +
                                "' - no log file is written.\n");
        }
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    cdl_init(1, args.data());
}

}  // namespace
}  // namespace quarn::test
