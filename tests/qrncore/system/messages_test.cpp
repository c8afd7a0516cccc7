#include "qrncore/system/messages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "qrncore/system/crash_log.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace quarn {
namespace {

using test::read_file;
using test::temp_dir_t;

class order_handler_t : public message_handler_t {
public:
    order_handler_t(std::vector<int> *log, int id) : m_log(log), m_id(id) {}
    void process_message(const string &, message_t::type_t) override { m_log->push_back(m_id); }

private:
    std::vector<int> *m_log;
    int m_id;
};

TEST(messages, handlers_run_in_registration_order_and_leave_on_destruction) {
    std::vector<int> calls;
    order_handler_t a(&calls, 1);
    {
        order_handler_t b(&calls, 2);
        order_handler_t c(&calls, 3);
        message("one");
        EXPECT_EQ(calls, (std::vector<int>{1, 2, 3}));
    }
    calls.clear();
    order_handler_t d(&calls, 4);
    message("two");
    EXPECT_EQ(calls, (std::vector<int>{1, 4}));
}

TEST(messages, levels_and_formatting_reach_handlers) {
    test::message_capture_t capture;
    error("e %d", 1);
    warning("w %s", "x");
    message("m");
    verbose("v %u", 7u);
    std::string longer(3000, 'q');
    message("%s", longer.c_str());
    ASSERT_EQ(capture.entries().size(), 5u);
    EXPECT_EQ(capture.entries()[0].type, message_t::ERROR);
    EXPECT_EQ(capture.entries()[0].text, "e 1");
    EXPECT_EQ(capture.entries()[1].type, message_t::WARNING);
    EXPECT_EQ(capture.entries()[1].text, "w x");
    EXPECT_EQ(capture.entries()[2].type, message_t::MESSAGE);
    EXPECT_EQ(capture.entries()[3].type, message_t::VERBOSE);
    EXPECT_EQ(capture.entries()[3].text, "v 7");
    EXPECT_EQ(capture.entries()[4].text, longer);
}

// Splits a log file into its CRLF lines.
std::vector<std::string> log_lines(const std::string &content) {
    std::vector<std::string> lines;
    size_t start = 0, end;
    while ((end = content.find("\r\n", start)) != std::string::npos) {
        lines.push_back(content.substr(start, end - start));
        start = end + 2;
    }
    if (start < content.size()) lines.push_back(content.substr(start));
    return lines;
}

TEST(file_logger, header_and_line_forms_without_verbose) {
    temp_dir_t dir;
    {
        file_logger_t log(dir.file("x.log").c_str(), 0);
        ASSERT_TRUE(log.is_open());
        message("[sys] hello %d", 5);
        verbose("not in the file");
        error("[sys] bad");
    }
    auto lines = log_lines(read_file(dir.file("x.log")));
    ASSERT_EQ(lines.size(), 3u);
    using ::testing::MatchesRegex;
    EXPECT_THAT(lines[0], MatchesRegex(R"(\*{8} : log created on : [A-Za-z]+ [A-Za-z]+ [0-9]{2} [0-9]{4} @ [0-9:]{8})"));
    EXPECT_THAT(lines[1], MatchesRegex(R"([0-9:]{8} : \[sys\] hello 5)"));
    EXPECT_THAT(lines[2], MatchesRegex(R"([0-9:]{8} : \[sys\] bad)"));
}

TEST(file_logger, limit_writes_the_passing_line_then_the_notice_then_nothing) {
    temp_dir_t dir;
    {
        file_logger_t log(dir.file("x.log").c_str(), 100);
        message("0123456789");  // 70 + 20 = 90
        EXPECT_EQ(log.get_written(), 90u);
        message("abcdefghij");  // 110: written, then the notice
        message("dropped");
    }
    std::string content = read_file(dir.file("x.log"));
    EXPECT_NE(content.find("abcdefghij\r\n****** The log file exceeded its limit size, truncated."), std::string::npos);
    EXPECT_EQ(content.find("dropped"), std::string::npos);
    EXPECT_EQ(content.substr(content.size() - 10), "truncated.");
}

TEST(file_logger, no_limit_and_no_path) {
    temp_dir_t dir;
    {
        file_logger_t unlimited(dir.file("u.log").c_str(), 0);
        file_logger_t silent("", 0);
        EXPECT_FALSE(silent.is_open());
        for (int i = 0; i < 200; ++i) message("line %d", i);
    }
    EXPECT_EQ(log_lines(read_file(dir.file("u.log"))).size(), 201u);
}

TEST(file_logger, a_file_that_cannot_be_created_is_ignored) {
    file_logger_t log("/nonexistent-folder/x.log", 0);
    EXPECT_FALSE(log.is_open());
    message("nothing happens");
}

TEST(crash_log, default_path_works_on_the_base_name) {
    struct case_t {
        const char *program;
        const char *crash;
    } cases[] = {
        {"/opt/game/fernwold", "/opt/game/fernwold.crash"},
        {"/opt/game.v2/fernwold", "/opt/game.v2/fernwold.crash"},
        {"/opt/game/fernwold.bin", "/opt/game/fernwold.crash"},
        {"/opt/game/.hidden", "/opt/game/.hidden.crash"},
        {"fernwold", "fernwold.crash"},
    };
    for (const auto &c : cases) {
        char out[256];
        ASSERT_TRUE(dumper_default_path(c.program, out, sizeof out));
        EXPECT_STREQ(out, c.crash);
    }
    char small[8];
    EXPECT_FALSE(dumper_default_path("/opt/game/fernwold", small, sizeof small));
}

[[noreturn]] void die_logged(const std::string &log_path, const std::string &crash_path) {
    static file_logger_t *log = new file_logger_t(log_path.c_str(), 0);
    static message_stdio_t *out = new message_stdio_t;
    (void)log;
    (void)out;
    dumper_init();
    dumper_set_file_name(crash_path.c_str());
    V_ABORT("something broke");
}

int count(const std::string &text, const std::string &what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(abort_death, logs_the_source_position_and_appends_a_crash_report) {
    temp_dir_t dir;
    const std::string log = dir.file("a.log"), crash = dir.file("a.crash");
    EXPECT_DEATH(die_logged(log, crash), R"(\*\*\* ERROR \*\*\* : .*messages_test\.cpp\([0-9]+\): die_logged: something broke)");
    EXPECT_THAT(read_file(log), ::testing::ContainsRegex(R"(messages_test\.cpp\([0-9]+\): die_logged: something broke)"));
    std::string report = read_file(crash);
    EXPECT_EQ(count(report, "-----------------------------------------\n"), 1);
    EXPECT_NE(report.find("Crash log created on: "), std::string::npos);
    EXPECT_NE(report.find("Abort: something broke\n"), std::string::npos);
    EXPECT_NE(report.find("\nCall stack:\n"), std::string::npos);

    EXPECT_DEATH(die_logged(log, crash), "something broke");
    EXPECT_EQ(count(read_file(crash), "\nCall stack:\n"), 2);
}

TEST(abort_death, assertion_form) {
    message_stdio_t out;
    temp_dir_t dir;
    dumper_set_file_name(dir.file("b.crash").c_str());
    int two = 2;
    EXPECT_DEATH(V_ASSERT(two == 3), R"(Assertion `two == 3' failed\.)");
}

TEST(crash_death, a_fault_writes_registers_code_bytes_and_the_stack) {
    temp_dir_t dir;
    const std::string crash = dir.file("c.crash");
    auto fault = [&] {
        dumper_init();
        dumper_set_file_name(crash.c_str());
        raise(SIGSEGV);
    };
    EXPECT_DEATH(fault(), "");
    std::string report = read_file(crash);
    EXPECT_NE(report.find("Signal: 11 SIGSEGV"), std::string::npos) << report;
    EXPECT_NE(report.find("\nRegisters:\nRAX:"), std::string::npos);
    EXPECT_NE(report.find("RIP preamble:"), std::string::npos);
    EXPECT_NE(report.find("RIP bytecode:"), std::string::npos);
    EXPECT_EQ(count(report, "\nCall stack:\n"), 1);
}

}  // namespace
}  // namespace quarn
