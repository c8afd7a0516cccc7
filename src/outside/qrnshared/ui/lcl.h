#pragma once
// Localisation: a module installs one callback that turns a key into its text; the
// text layer and the screens ask through it. "@@key@@" in a text stands for the key's
// translation. A key the callback does not know comes back as the key itself, and so
// does every key while no callback is installed.
//
// Translations are data: a screen that fills values into one passes it to
// lcl_format, which fills "%s" and "%d" places through the checked formatter
// (text_format.h) and never uses the text as a printf format.
#include <cstdint>
#include <initializer_list>

#include "outside/qrnshared/api.h"
#include "outside/qrnshared/text_format.h"
#include "qrncore/strings/mstring.h"

namespace quarn {

// The callback: the text of a key, or null for none.
using lcl_callback_t = const char *(*)(const char *key);

// A user of the layer announces itself; the callback stays installed while any is.
QRNSHARED_API bool lcl_api_request();
// The last release drops the callback.
QRNSHARED_API void lcl_api_release();
QRNSHARED_API uint32_t lcl_api_users();
// Installs the callback (null: none).
QRNSHARED_API void lcl_set_callback(lcl_callback_t callback);
QRNSHARED_API lcl_callback_t lcl_get_callback();

// The text of a key: the callback's answer, or the key when it has none.
QRNSHARED_API const char *lcl_translate(const char *key);
// Replaces every "@@key@@" of text by the key's text, into out. An "@@" without a
// closing "@@", and "@@@@", stay as written. False when out cannot hold the result.
QRNSHARED_API bool lcl_translate_string(mstring_t &out, const char *text);
// Translates text (its "@@key@@" places) and fills the result's conversions from the
// arguments with the checked formatter.
QRNSHARED_API bool lcl_format(mstring_t &out, const char *text, const format_arg_t *args, uint32_t count);
inline bool lcl_format(mstring_t &out, const char *text, std::initializer_list<format_arg_t> args) {
    return lcl_format(out, text, args.begin(), uint32_t(args.size()));
}

}  // namespace quarn
