#pragma once
// The blanks that separate words in the launcher's files and on its command line.
#include <string_view>

namespace quarn::kickup {

inline constexpr std::string_view BLANKS = " \t\n\r\f";

// The text without the blanks at either end; empty when it holds nothing else.
inline std::string_view trim_blanks(std::string_view s) {
    const size_t first = s.find_first_not_of(BLANKS);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(BLANKS) - first + 1);
}

}  // namespace quarn::kickup
