#include "outside/qrnshared/ui/lcl.h"

#include <cstring>

#include "qrncore/strings/string_dyn.h"

namespace quarn {

namespace {

lcl_callback_t callback = nullptr;
uint32_t users = 0;

}  // namespace

bool lcl_api_request() {
    ++users;
    return true;
}

void lcl_api_release() {
    if (users == 0) return;
    if (--users == 0) callback = nullptr;
}

uint32_t lcl_api_users() { return users; }

void lcl_set_callback(lcl_callback_t cb) { callback = cb; }

lcl_callback_t lcl_get_callback() { return callback; }

const char *lcl_translate(const char *key) {
    if (!key) return "";
    const char *text = callback ? callback(key) : nullptr;
    return text ? text : key;
}

bool lcl_translate_string(mstring_t &out, const char *text) {
    if (!text) text = "";
    bool ok = out.copy("");
    const char *p = text;
    while (*p) {
        const char *open = strstr(p, "@@");
        if (!open) break;
        const char *key = open + 2;
        const char *close = strstr(key, "@@");
        if (!close) break;
        if (close == key) {
            // "@@@@" is no key: the four characters stay, and so does what follows.
            ok = out.append(string(p), 0, uint32_t(close + 2 - p)) && ok;
            p = close + 2;
            continue;
        }
        ok = out.append(string(p), 0, uint32_t(open - p)) && ok;
        mstring_dyn_t name;
        ok = name.copy(string(key), 0, 0, uint32_t(close - key)) && ok;
        ok = out.append(lcl_translate(name.c_str())) && ok;
        p = close + 2;
    }
    return out.append(p) && ok;
}

bool lcl_format(mstring_t &out, const char *text, const format_arg_t *args, uint32_t count) {
    mstring_dyn_t translated;
    const bool ok = lcl_translate_string(translated, text);
    return text_format(out, translated.c_str(), args, count) && ok;
}

}  // namespace quarn
