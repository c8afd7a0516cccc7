// Reads arbitrary bytes as an input script. A script either reads whole, with every
// line inside the limits the playback relies on, or fails with a "file:line:" message
// and keeps nothing.
#include <cstdint>
#include <cstring>
#include <strings.h>

#include "plugins/inpdev/input_script.h"
#include "qrncore/strings/string_dyn.h"

namespace {

int32_t trigger_code(const char *name, const void *) {
    static const struct {
        const char *name;
        int32_t code;
    } names[] = {{"esc", 1}, {"h", 35}, {"lshift", 42}, {"space", 57}, {"pause", 69}, {"numlock", 197},
                 {"uarrow", 200}, {"mouse1", 262}, {"cursorx", 256}};
    for (const auto &n : names)
        if (strcasecmp(n.name, name) == 0) return n.code;
    return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace quarn::inpdev;
    input_script_t script;
    quarn::mstring_dyn_t error;
    const bool read = script.read(reinterpret_cast<const char *>(data), size, "fuzz.script", trigger_code, nullptr, error);
    if (!read) {
        if (script.count() != 0 || strncmp(error.c_str(), "fuzz.script:", 12) != 0) __builtin_trap();
        return 0;
    }
    uint32_t frame = 1;
    for (uint32_t i = 0; i < script.count(); ++i) {
        const script_line_t &l = script.get(i);
        if (l.frame < frame || l.line == 0) __builtin_trap();
        frame = l.frame;
        switch (l.action) {
            case SCRIPT_KEY:
                if (l.x < 1 || l.x > 255) __builtin_trap();
                break;
            case SCRIPT_BUTTON:
                if (l.x < 1 || l.x > int32_t(SCRIPT_MOUSE_BUTTONS)) __builtin_trap();
                break;
            case SCRIPT_MOVE:
                if (l.x < -SCRIPT_MOVE_MAX || l.x > SCRIPT_MOVE_MAX || l.y < -SCRIPT_MOVE_MAX || l.y > SCRIPT_MOVE_MAX)
                    __builtin_trap();
                break;
            case SCRIPT_POINT:
                if (!(l.ui_x >= 0.0f && l.ui_x <= SCRIPT_UI_WIDTH && l.ui_y >= 0.0f && l.ui_y <= SCRIPT_UI_HEIGHT))
                    __builtin_trap();
                break;
            default: __builtin_trap();
        }
    }
    return 0;
}
