#pragma once
// A text dump of a parsed behaviour file: its model, features and states, attributes,
// animations, behaviours with their feature pairs, attribute values, channels and
// items, and both kinds of transitions, one line each. Tests compare it with golden
// text; developers read it. Numbers are written with "%g"; texts of the file in
// double quotes.
#include "game/ai/zba/zba_info.h"
#include "qrncore/strings/mstring.h"

namespace quarn {

// Appends the dump of the file to out. False when out could not hold it all.
bool zba_dump(const zba_info_t &info, mstring_t &out);

}  // namespace quarn
