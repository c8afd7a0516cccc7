#pragma once
// Where the input device reads the user's settings from: one text value under a key,
// as the program's settings store keeps them ("Software\Vendor\Product" keys, named
// values).
#include "qrncore/strings/string_dyn.h"

namespace quarn::inpdev {

class settings_source_t {
public:
    virtual ~settings_source_t() = default;
    // The text value `name` under `key` into out; false (out unchanged) when the key
    // or the value does not exist.
    virtual bool read_text(const char *key, const char *name, mstring_dyn_t &out) = 0;
};

// The program's own settings store.
settings_source_t &program_settings();

}  // namespace quarn::inpdev
