#include "plugins/inpdev/settings_source.h"

namespace quarn::inpdev {

namespace {

// The program's store as this module reaches it. Until the module is given the
// store's reader, no value is found, which reads as "not installed".
class program_settings_t : public settings_source_t {
public:
    bool read_text(const char *, const char *, mstring_dyn_t &) override { return false; }
};

}  // namespace

settings_source_t &program_settings() {
    static program_settings_t settings;
    return settings;
}

}  // namespace quarn::inpdev
