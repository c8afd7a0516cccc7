#pragma once
// What a keyboard item means: the modifier bit of a scan code, the key code the
// kernel gets for it and the character it types on a US keyboard.
#include <cstdint>

namespace quarn::inpdev {

// Modifier bits of key events.
enum modifier_t : uint32_t {
    MOD_LEFT_SHIFT = 0x01,
    MOD_RIGHT_SHIFT = 0x02,
    MOD_LEFT_ALT = 0x04,
    MOD_RIGHT_ALT = 0x08,
    MOD_LEFT_CONTROL = 0x10,
    MOD_RIGHT_CONTROL = 0x20,
};

// The modifier bit a scan code sets while down; 0 for other keys.
uint32_t modifier_of_scan(uint32_t scan);
// The key code of a scan code: the same, except that Num Lock (69) and Pause (197)
// trade places and SysRq (183) is Print Screen (84).
uint32_t key_code_of_scan(uint32_t scan);
// The scan code that gives a key code: the same swap undone (Print Screen stays 84,
// which is a key code of its own).
uint32_t scan_of_key_code(uint32_t key_code);
// The character a key code types, shifted or not; 0 for none and for codes of 128
// and above.
char key_character(uint32_t key_code, bool shifted);

}  // namespace quarn::inpdev
