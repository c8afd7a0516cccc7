#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/shell.h"

namespace quarn::platform {
namespace {

std::vector<std::string> opened;

bool record_page(const char *url) {
    opened.push_back(url);
    return true;
}

// Only web addresses reach the opener; anything else is refused before it, so a
// page text from data can never start a program or open a local file.
TEST(platform_shell, only_web_addresses_reach_the_opener) {
    opened.clear();
    shell_set_page_opener(record_page);
    for (const char *refused : {"file:///etc/passwd", "-h", "", "javascript:x", "HTTP://upper.case", "ftp://x"})
        EXPECT_FALSE(shell_open_page(refused)) << refused;
    EXPECT_FALSE(shell_open_page(nullptr));
    EXPECT_TRUE(shell_open_page("http://example.org/a"));
    EXPECT_TRUE(shell_open_page("https://example.org/b?c=d"));
    shell_set_page_opener(nullptr);
    EXPECT_EQ(opened, (std::vector<std::string>{"http://example.org/a", "https://example.org/b?c=d"}));
}

TEST(platform_shell, a_message_box_is_a_line_on_standard_error) {
    testing::internal::CaptureStderr();
    shell_message_box("Fernwold", "No graphics");
    shell_message_box(nullptr, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Fernwold: No graphics\n: \n");
}

}  // namespace
}  // namespace quarn::platform
