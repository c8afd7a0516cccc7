// The checked formatter fills texts that come from data: a conversion takes the next
// argument only when its kind matches, anything else stays as written.
#include <gtest/gtest.h>

#include <vector>

#include "outside/qrnshared/text_format.h"
#include "qrncore/strings/string_fixed.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn::test {
namespace {

TEST(text_format, conversions_take_only_arguments_of_their_kind) {
    struct case_t {
        const char *format;
        std::vector<format_arg_t> args;
        const char *expected;
    };
    const case_t cases[] = {
        {"%s %u", {"Ctrl", 7u}, "Ctrl 7"},
        {"%s or %s", {"Left Ctrl"}, "Left Ctrl or %s"},              // too few arguments
        {"%d and %s", {"text", 5}, "%d and text"},                   // a kind mismatch keeps the argument
        {"%s then %d", {3, "late"}, "%s then 3"},                    // ... for the next conversion
        {"%n%s", {"x"}, "%nx"},                                      // never written through
        {"100%% of %s%%", {"it"}, "100% of it%"},
        {"%p %ld %.3s %*d %", {"a", 1}, "%p %ld %.3s %*d %"},        // not served: as written
        {"[%5s|%-5s|%05d|%-4d|%+d|% d]", {"ab", "cd", -42, 7, 3, 4}, "[   ab|cd   |-0042|7   |+3| 4]"},
        {"%x %#x %#x %X", {255u, 255u, 0u, 1u}, "ff 0xff 0 %X"},
        {"%u %x %i", {-1, -1, int64_t(-9000000000)}, "4294967295 ffffffff -9000000000"},
        {"%u", {uint64_t(1) << 40}, "1099511627776"},
        {"%d", {int64_t(INT64_MIN)}, "-9223372036854775808"},
        {"%256s|%257s", {"a", "b"}, nullptr},                        // widths above 256 are not served
        {"%s%s", {static_cast<const char *>(nullptr), "z"}, "z"},
        {"", {"unused"}, ""},
    };
    for (const case_t &c : cases) {
        mstring_dyn_t out("old text");
        EXPECT_TRUE(text_format(out, c.format, c.args.data(), uint32_t(c.args.size()))) << c.format;
        if (c.expected) {
            EXPECT_STREQ(out.c_str(), c.expected) << c.format;
        } else {
            EXPECT_EQ(out.length(), 256u + 6u) << c.format;
            EXPECT_TRUE(strstr(out.c_str(), "|%257s")) << c.format;
        }
    }
}

TEST(text_format, a_full_fixed_text_says_so) {
    string_fixed_t<8> out;
    EXPECT_FALSE(text_format(out, "%s and more", {"long text"}));
    EXPECT_EQ(out.length(), 7u);
    mstring_dyn_t empty("x");
    EXPECT_TRUE(text_format(empty, nullptr, {}));
    EXPECT_STREQ(empty.c_str(), "");
}

}  // namespace
}  // namespace quarn::test
