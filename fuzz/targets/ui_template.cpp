// Fills a template entry with the parts of a value. The input is the entry's text,
// a line break, then the value (parts parted by '|'). What filling must hold: the
// result never exceeds 8191 characters; without a value, or without a '%' in the
// text, the result is the text itself (cut); a text without markers of the value's
// parts keeps its characters.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/ui/ui_templates.h"
#include "qrncore/strings/string_dyn.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string input(reinterpret_cast<const char *>(data), size);
    input = input.c_str();  // texts end at the first zero byte
    const size_t line = input.find('\n');
    const std::string text = input.substr(0, line);
    const bool has_value = line != std::string::npos;
    const std::string value = has_value ? input.substr(line + 1) : std::string();
    quarn::mstring_dyn_t out;
    if (!quarn::ui_template_fill(text.c_str(), has_value ? value.c_str() : nullptr, out)) return 0;
    const std::string result = out.c_str();
    if (result.size() > quarn::UI_TEMPLATE_TEXT_MAX) abort();
    const std::string cut = text.substr(0, quarn::UI_TEMPLATE_TEXT_MAX);
    if ((!has_value || value.empty() || cut.find('%') == std::string::npos) && result != cut) abort();
    return 0;
}
