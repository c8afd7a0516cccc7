#include "plugins/inpdev/settings_source.h"

#include "platform/settings_store.h"

namespace quarn::inpdev {

namespace {

// The longest text value read; the store's values are short, a folder at most.
constexpr size_t MAX_TEXT = size_t(1) << 20;

// The program's settings store (platform/settings_store.h). The store reads into a
// buffer of a given size and refuses a value that does not fit, so the text grows
// until it does: a value of any length is read whole.
class program_settings_t : public settings_source_t {
public:
    bool read_text(const char *key, const char *name, mstring_dyn_t &out) override {
        if (platform::settings_value_type(key, name) != platform::SETTINGS_STRING) return false;
        for (size_t size = 256; size <= MAX_TEXT; size *= 2) {
            if (!out.request_capacity(uint32_t(size))) return false;
            if (platform::settings_read_string(key, name, out.data(), size)) return true;
        }
        return false;
    }
};

}  // namespace

settings_source_t &program_settings() {
    static program_settings_t settings;
    return settings;
}

}  // namespace quarn::inpdev
