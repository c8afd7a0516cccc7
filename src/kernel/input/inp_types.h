#pragma once
// The input front-end's tables: triggers, impulses, joystick states and key records,
// and their counts. The front-end's interface (input.h) and its state (inp_state.h)
// both rest on them, so neither has to include the other.
#include <cstdint>

#include "kernel/input/inp_event.h"
#include "outside/ctlbase/inp_device.h"

namespace quarn {

constexpr int INP_TRIGGER_COUNT = 333;
constexpr int INP_IMPULSE_COUNT = 255;
// Events taken in one input frame; later ones are dropped.
constexpr int INP_MAX_EVENTS = 255;
constexpr int INP_MAX_JOYSTICKS = 10;
constexpr int INP_JOYSTICK_BUTTONS = 32;

// Trigger codes the front-end treats by number.
enum inp_trigger_code_t : int32_t {
    INP_CURSOR_X = 256,
    INP_CURSOR_Y = 257,
    INP_MOUSE_LEFT = 258,  // the four mouse directions: left, right, up, down
    INP_MOUSE_RIGHT = 259,
    INP_MOUSE_UP = 260,
    INP_MOUSE_DOWN = 261,
    INP_MOUSE_BUTTON_1 = 262,  // 262-269: mouse buttons 0-7
    INP_MOUSE_WHEEL_UP = 270,
    INP_MOUSE_WHEEL_DOWN = 271,
    INP_JOY1_BUTTON_1 = 280,  // 280-292: buttons 0-12 of the selected joystick 1
    INP_JOY1_LEFT = 293,      // 293-296: its left, right, up, down
    INP_JOY2_BUTTON_1 = 300,  // 300-316: the same for joystick 2
    INP_JOY2_LEFT = 313,
    INP_JOYSTICK_1 = 323,  // 323-332: the joystick devices themselves
};

// Buttons of a selected joystick that have triggers of their own.
constexpr int INP_JOY_BUTTON_TRIGGERS = 13;

// An impulse: its value summed over the input frame, its name (at most 15 characters)
// and whether it was activated since it was last asked (inp_impulse_is_activated).
struct inp_impulse_t {
    float value;
    char name[16];
    uint8_t activated;
};

// The state a joystick device trigger keeps (codes 323-332 only).
struct inp_joy_state_t {
    float axes[inp_device_t::AXIS_COUNT];  // about -1..1
    int32_t pov;                           // hundredths of a degree, as the device gave it
    uint8_t buttons[INP_JOYSTICK_BUTTONS];
    uint8_t has_force_feedback;
};

struct inp_trigger_t {
    int32_t code;
    char name[16];     // the binding name; empty for the codes that have none
    char display[32];  // for people
    // 1.0 while a key-like trigger is down; the frame's motion for the mouse
    // directions; the normalised cursor position for "cursorx" and "cursory".
    float value;
    uint32_t stamp;  // the input frame of the last press
    uint8_t down;
    uint8_t handled;     // the press or motion has been passed on
    uint8_t suppressed;  // rebound while handled: no impulse value until released
    uint8_t release_pending;  // released in the frame of its press: up next frame
    uint8_t privileged;       // the command runs even while impulses are not handled
    char *command;            // owned copy, or null
    int32_t id;               // carried by the binding layers
    inp_impulse_t *impulse;
    inp_joy_state_t *joystick;
};

// A key record for text entry: kind 0 key, 1 mouse, 2 joystick; pressed; then
// - keys: data[0] = key code (16 bits) | character byte << 16 | modifier byte << 24;
// - mouse buttons: data = {0, 1 << button, modifiers};
// - wheel: data = {1, 0, modifiers}, pressed 0 for up and 1 for down;
// - joystick buttons: data = {0, 1 << button, 0};
// - point of view: data = {0, direction bytes left | right << 8 | up << 16 | down << 24, 0}.
struct inp_keycode_t {
    int32_t kind;
    int32_t pressed;
    int32_t data[3];
};

// A pair of the game's impulse table for inp_init_input; a null name ends the table.
struct inp_impulse_name_t {
    int32_t code;
    const char *name;
};

}  // namespace quarn
