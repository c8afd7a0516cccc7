#pragma once
// The small records of the UI layer: rectangles in the reference space, input events,
// action codes and their parameter, and the key codes the layer reads by number.
//
// Coordinates are reference units of a 1024 x 768 screen with y growing upward (0 at
// the bottom edge). A rectangle is kept as left, right, top, bottom; the "coords" text
// of a layout gives left, bottom, right, top.
#include <cstdint>

namespace quarn {

constexpr float UI_REFERENCE_WIDTH = 1024.0f;
constexpr float UI_REFERENCE_HEIGHT = 768.0f;

struct ui_rect_t {
    float left = 0.0f;
    float right = 0.0f;
    float top = 0.0f;
    float bottom = 0.0f;

    float width() const { return right - left; }
    float height() const { return top - bottom; }
    // Inclusive at every edge, so a point on a shared edge hits both rectangles; the
    // later one in drawing order wins.
    bool contains(float x, float y) const { return x >= left && x <= right && y >= bottom && y <= top; }
    // Moves all four edges: x by dx, y by dy.
    void move(float dx, float dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    bool operator==(const ui_rect_t &o) const {
        return left == o.left && right == o.right && top == o.top && bottom == o.bottom;
    }
};

// The whole reference screen.
constexpr ui_rect_t ui_reference_rect() { return {0.0f, UI_REFERENCE_WIDTH, UI_REFERENCE_HEIGHT, 0.0f}; }

// Key codes (PC scan codes, + 0x80 for extended keys) the layer reads by number.
enum ui_key_t : uint32_t {
    UI_KEY_ESCAPE = 1,
    UI_KEY_TAB = 15,
    UI_KEY_ENTER = 28,
    UI_KEY_PAD_ENTER = 156,
    UI_KEY_UP = 200,
    UI_KEY_LEFT = 203,
    UI_KEY_RIGHT = 205,
    UI_KEY_DOWN = 208,
};

// Modifier bits of a key event.
enum ui_modifier_t : uint32_t {
    UI_MOD_LSHIFT = 0x01,
    UI_MOD_RSHIFT = 0x02,
    UI_MOD_LALT = 0x04,
    UI_MOD_RALT = 0x08,
    UI_MOD_LCTRL = 0x10,
    UI_MOD_RCTRL = 0x20,
    UI_MOD_SHIFT = UI_MOD_LSHIFT | UI_MOD_RSHIFT,
    UI_MOD_ALT = UI_MOD_LALT | UI_MOD_RALT,
    UI_MOD_CTRL = UI_MOD_LCTRL | UI_MOD_RCTRL,
};

// An input event as views see it in handle_event. A view that uses the event sets
// `consumed`; the layer then neither raises an action for it nor moves the focus.
struct ui_event_t {
    enum type_t : uint32_t {
        NONE = 0,
        KEY_DOWN = 1,
        KEY_UP = 2,
        BUTTON_DOWN = 3,  // pointer button: `buttons` holds its bit
        BUTTON_UP = 4,
        POINTER_MOVE = 5,
        WHEEL = 6,  // `wheel` is +1 (up) or -1 (down)
    };

    bool is_key() const { return type == KEY_DOWN || type == KEY_UP; }
    bool is_pointer() const { return type >= BUTTON_DOWN && type <= WHEEL; }

    type_t type = NONE;
    uint32_t code = 0;       // keys: the key code (16 bits)
    uint32_t character = 0;  // keys: the Latin-1 character typed, 0 for none
    uint32_t modifiers = 0;  // ui_modifier_t bits
    uint32_t buttons = 0;    // pointer buttons: bit 0 is the first button
    int32_t wheel = 0;
    float x = 0.0f;  // the pointer in reference units (every event carries it)
    float y = 0.0f;
    bool consumed = false;
};

// Action codes (ui_view_t::action, ui_handler_t::handle): one numbering for the layer
// and every control built on it.
enum ui_action_type : uint32_t {
    UI_ACT_POINTER_ENTER = 0,
    UI_ACT_POINTER_LEAVE = 1,
    UI_ACT_ACTIVATE = 2,
    UI_ACT_TEXT_CHECK = 3,
    UI_ACT_TEXT_CHANGED = 4,
    UI_ACT_DRAG_START = 5,
    UI_ACT_DRAG_END = 6,
    UI_ACT_KEY_DOWN = 7,
    UI_ACT_KEY_UP = 8,
    UI_ACT_BUTTON_DOWN = 12,
    UI_ACT_BUTTON_UP = 13,
    UI_ACT_ITEM = 14,
    UI_ACT_POINTER_MOVE = 15,
    UI_ACT_FOCUS_LEAVE = 17,
    UI_ACT_LIST_ENTER = 20,
    UI_ACT_LIST_LEAVE = 21,
    UI_ACT_LIST_SELECT = 22,
    UI_ACT_LIST_DESELECT = 23,
    UI_ACT_LIST_ITEM = 24,
    UI_ACT_EFFECT_DONE = 32,
};

// What an action carries; which fields mean something depends on the type.
struct ui_act_param_t {
    // 7, 8: the key code in the low 16 bits, the modifier bits in bits 16-23;
    // 12, 13: the button bits; 2: the new state.
    uint32_t word0 = 0;
    uint32_t word1 = 0;
    // 15 (and every pointer action): the pointer, the third and fourth 32-bit words.
    float x = 0.0f;
    float y = 0.0f;
    int64_t value = 0;            // 2: a value (sliders)
    const char *text = nullptr;   // 3, 4: the text
    bool accept = true;           // 3: cleared by a handler to refuse an edit
    const void *item = nullptr;   // 20-24: the list item

    uint32_t key_code() const { return word0 & 0xFFFFu; }
    uint32_t key_modifiers() const { return (word0 >> 16) & 0xFFu; }
};

// What the control callback (ui_get_ctrlcallback) reads in a key event.
enum ui_ctrl_t : uint32_t {
    UI_CTRL_NONE = 0,
    UI_CTRL_ACTION = 0x01,    // Enter or keypad Enter
    UI_CTRL_PREVIOUS = 0x02,  // Up
    UI_CTRL_NEXT = 0x04,      // Down
    UI_CTRL_INCREASE = 0x08,  // Right
    UI_CTRL_DECREASE = 0x10,  // Left
    UI_CTRL_TAB = 0x20,       // Tab: the layer moves the focus
    UI_CTRL_PRESS = 0x100,    // with one of the above: the key went down
    UI_CTRL_RELEASE = 0x200,  // ... went up
};

}  // namespace quarn
