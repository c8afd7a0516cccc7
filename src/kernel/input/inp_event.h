#pragma once
// The input event record that input devices, and the window procedure in legacy mode,
// hand to the input front-end (inp_event). Seven 32-bit words: the type, then words
// whose meaning depends on it. Word numbers below count the type as word 0, so
// `modifiers` is word 1 and data[i] is word i + 2.
#include <bit>
#include <cstdint>

namespace quarn {

struct inp_event_t {
    enum type_t : int32_t {
        KEY_UP = 0,          // data: key code (trigger), extended bit (0x80), character
        KEY_DOWN = 1,        //       bytes, repeat flag
        BUTTON_UP = 2,       // data: button index (trigger 262 + index)
        BUTTON_DOWN = 3,
        MOUSE_ABSOLUTE = 4,  // data: x, y in pixels as floats, x and y as floats in -1..1
        MOUSE_MOVE = 5,      // data: x and y movement as floats
        WHEEL_UP = 6,        // data: the amount
        WHEEL_DOWN = 7,
        JOY_BUTTON_DOWN = 8,  // data[2]: button index, data[3]: joystick index
        JOY_BUTTON_UP = 9,
        JOY_AXIS = 10,  // data[0]: axis value (float, -65535..65535), data[1]: point-of-view
                        // angle in hundredths of a degree, data[3]: joystick index,
                        // data[4]: axis index, -1 for the point of view
    };

    void set_float(int i, float f) { data[i] = std::bit_cast<int32_t>(f); }
    float get_float(int i) const { return std::bit_cast<float>(data[i]); }

    int32_t type = KEY_UP;
    uint32_t modifiers = 0;
    int32_t data[5] = {0, 0, 0, 0, 0};
};

static_assert(sizeof(inp_event_t) == 7 * 4, "an input event is seven 32-bit words");

}  // namespace quarn
