// Reads arbitrary bytes as the launcher's hardware database. A text either gives a
// tree or one exception of the launcher's tree; a tree is walked whole, every value
// read through both typed reads (whose failures are exceptions too).
#include <cstdint>
#include <string>

#include "tools/kickup/src/exceptions.h"
#include "tools/kickup/src/settings.h"

namespace {

size_t walk(const quarn::kickup::settings_t &s, int depth) {
    size_t n = 0;
    for (size_t i = 0; i < s.key_count(); ++i) {
        const std::string &key = s.key_at(i);
        n += s.get_string(key, "").size();
        try {
            n += s.get_unsigned(key, 0);
        } catch (const quarn::kickup::settings_fetch_exception_t &) {
        }
        try {
            n += s.get_hex(key, 0);
        } catch (const quarn::kickup::settings_fetch_exception_t &) {
        }
    }
    for (size_t i = 0; i < s.child_count(); ++i) {
        if (&s.get_section(s.child_name_at(i)) != &s.child_at(i)) __builtin_trap();
        n += walk(s.child_at(i), depth + 1);
    }
    if (depth > quarn::kickup::SETTINGS_DEPTH_MAX) __builtin_trap();
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    try {
        const auto root = quarn::kickup::settings_parse(text, "fuzz.settings");
        volatile size_t sink = walk(*root, 0);
        (void)sink;
    } catch (const quarn::kickup::settings_read_exception_t &) {
    }
    return 0;
}
