#include "qrncore/system/cmdline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quarn {
namespace {

void init(const std::vector<const char *> &args) { cdl_init(int(args.size()), args.data()); }

TEST(cmdline, whole_list_before_any_query) {
    init({"program", "-log", "a"});
    EXPECT_EQ(cdl_argc(), 3u);
    EXPECT_STREQ(cdl_argv(0), "program");
    EXPECT_STREQ(cdl_argv(2), "a");
    EXPECT_EQ(cdl_argv(3), nullptr);
}

TEST(cmdline, option_windows) {
    struct case_t {
        std::vector<const char *> args;
        const char *option;
        unsigned start;
        unsigned index;
        unsigned argc;
    } cases[] = {
        {{"program", "-log"}, "-log", 1, 1, 1},
        {{"program", "-log", "a", "b", "-x"}, "-log", 1, 1, 3},
        {{"program", "-log", "a", "-b", "c"}, "-log", 0, 1, 2},  // a value starting with "-" ends it
        {{"program", "-x"}, "-log", 0, unsigned(-1), 0},
        {{"program", "-LOG"}, "-log", 0, unsigned(-1), 0},  // case-sensitive
    };
    for (const auto &c : cases) {
        init(c.args);
        EXPECT_EQ(cdl_param(c.option, c.start), c.index) << c.args.size();
        EXPECT_EQ(cdl_argc(), c.argc);
        if (c.index != unsigned(-1)) {
            EXPECT_STREQ(cdl_argv(0), c.option);
        }
    }
}

TEST(cmdline, searching_on_finds_the_next_occurrence) {
    init({"program", "-env", "A=1", "-x", "-env", "B=2", "C=3"});
    unsigned first = cdl_param("-env", 0);
    ASSERT_EQ(first, 1u);
    EXPECT_STREQ(cdl_argv(1), "A=1");
    unsigned second = cdl_param("-env", first + 1);
    ASSERT_EQ(second, 4u);
    EXPECT_EQ(cdl_argc(), 3u);
    EXPECT_STREQ(cdl_argv(2), "C=3");
    EXPECT_EQ(cdl_param("-env", second + 1), unsigned(-1));
    EXPECT_EQ(cdl_argv(0), nullptr);
}

TEST(cmdline, more_than_128_arguments_are_not_stored) {
    std::vector<std::string> texts;
    for (int i = 0; i < 200; ++i) texts.push_back("-a" + std::to_string(i));
    std::vector<const char *> args;
    for (auto &t : texts) args.push_back(t.c_str());
    init(args);
    EXPECT_EQ(cdl_argc(), 200u);  // the host's count
    EXPECT_STREQ(cdl_argv(127), "-a127");
    EXPECT_EQ(cdl_argv(128), nullptr);
    EXPECT_EQ(cdl_param("-a150", 0), unsigned(-1));
    EXPECT_EQ(cdl_dropped(), 72u);
}

TEST(cmdline, text_beyond_2048_bytes_is_not_stored) {
    std::string big(1500, 'x'), second(600, 'y');
    std::vector<const char *> args = {"program", big.c_str(), second.c_str(), "-z"};
    init(args);
    EXPECT_EQ(std::string(cdl_argv(1)), big);
    // The second long argument would overrun the text area: it and everything after
    // it are dropped rather than shifted.
    EXPECT_EQ(cdl_argv(2), nullptr);
    EXPECT_EQ(cdl_param("-z", 0), unsigned(-1));
    EXPECT_EQ(cdl_dropped(), 2u);
}

}  // namespace
}  // namespace quarn
