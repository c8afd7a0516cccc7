#pragma once
// The input event record that input devices, and the window procedure in legacy mode,
// hand to the input front-end. Every field is 32 bits; the words after the modifiers
// hold integers or floats by event type.
#include <bit>
#include <cstdint>

namespace quarn {

struct inp_event_t {
    enum type_t : int32_t {
        KEY_UP = 0,
        KEY_DOWN = 1,      // data: key code, extended bit (0x80), characters
        BUTTON_UP = 2,     // data: button index
        BUTTON_DOWN = 3,
        MOUSE_ABSOLUTE = 4,  // data: x, y in pixels, x and y as floats in -1..1
        MOUSE_MOVE = 5,      // data: x and y movement as floats
        WHEEL_UP = 6,        // data: the amount
        WHEEL_DOWN = 7,
    };

    void set_float(int i, float f) { data[i] = std::bit_cast<int32_t>(f); }
    float get_float(int i) const { return std::bit_cast<float>(data[i]); }

    int32_t type = KEY_UP;
    uint32_t modifiers = 0;
    int32_t data[5] = {0, 0, 0, 0, 0};
};

}  // namespace quarn
