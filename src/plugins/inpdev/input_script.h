#pragma once
// The input script: keyboard and mouse input written down input frame by input frame,
// which the input device plays instead of the real keyboard and mouse (test support:
// FERNWOLD_INPUT_SCRIPT, docs/formats/input-script.md). A line is a frame number and
// one action:
//
//     12 key space down          # a key, by the kernel's trigger name
//     14 key space up
//     30 point 512 460           # the pointer to a place in UI units
//     31 button 1 down           # mouse button 1 to 3, as the triggers "mouse1"-"mouse3"
//     32 button 1 up
//     40 move -120 0             # mouse movement in counts
//
// The reader only reads: what the actions do to the devices is the playback's
// (script_input.h).
#include <cstddef>
#include <cstdint>

#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/mstring.h"

namespace quarn::inpdev {

enum script_action_t : uint8_t { SCRIPT_KEY, SCRIPT_BUTTON, SCRIPT_MOVE, SCRIPT_POINT };

// The limits of the values.
constexpr uint32_t SCRIPT_MOUSE_BUTTONS = 3;
constexpr int32_t SCRIPT_MOVE_MAX = 100000;
constexpr float SCRIPT_UI_WIDTH = 1024.0f;
constexpr float SCRIPT_UI_HEIGHT = 768.0f;
// The largest script read (a longer one is refused before it is read).
constexpr uint64_t SCRIPT_MAX_BYTES = uint64_t(16) << 20;

struct script_line_t {
    uint32_t frame = 0;  // the input frame it is played in, counted from 1
    uint32_t line = 0;   // its line in the file, from 1
    script_action_t action = SCRIPT_KEY;
    bool down = false;  // key and button
    // key: the key's trigger code (1-255); button: 1 to SCRIPT_MOUSE_BUTTONS;
    // move: the counts right (x) and toward the user (y).
    int32_t x = 0, y = 0;
    // point: the place in UI units, y upward from the bottom edge.
    float ui_x = 0.0f, ui_y = 0.0f;
};

// The code of the trigger of that name (case ignored), or -1 when there is none;
// context is the caller's.
using script_trigger_code_t = int32_t (*)(const char *name, const void *context);

class input_script_t {
public:
    // Reads the text of the file named file (for messages). Blank lines and everything
    // from "#" on are skipped; a line holds exactly four words, parted by blanks or
    // tabs: frame, action, two values. Frames count from 1 and never go back. On the
    // first bad line the result is false, error holds "file:line: what is wrong" and
    // the script is empty.
    bool read(const char *text, size_t size, const char *file, script_trigger_code_t trigger_code, const void *context,
              mstring_t &error);

    uint32_t count() const { return m_lines.get_count(); }
    const script_line_t &get(uint32_t i) const { return m_lines[i]; }

private:
    array_dyn_t<script_line_t> m_lines;
};

}  // namespace quarn::inpdev
