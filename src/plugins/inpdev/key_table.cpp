#include "plugins/inpdev/key_table.h"

namespace quarn::inpdev {

namespace {

struct key_tables_t {
    char plain[128] = {};
    char shifted[128] = {};

    // Characters of consecutive key codes from first on.
    void row(uint32_t first, const char *plain_text, const char *shifted_text) {
        for (uint32_t i = 0; plain_text[i]; ++i) {
            plain[first + i] = plain_text[i];
            shifted[first + i] = shifted_text[i];
        }
    }
    void both(uint32_t code, char c) { plain[code] = shifted[code] = c; }

    key_tables_t() {
        row(2, "1234567890-=", "!@#$%^&*()_+");
        both(14, 14);  // backspace
        both(15, 15);  // tab
        row(16, "qwertyuiop[]", "QWERTYUIOP{}");
        both(28, 28);  // enter
        row(30, "asdfghjkl;'`", "ASDFGHJKL:\"~");
        row(43, "\\zxcvbnm,./", "|ZXCVBNM<>?");
        both(55, '*');
        both(57, ' ');
    }
};

const key_tables_t tables;

}  // namespace

uint32_t modifier_of_scan(uint32_t scan) {
    switch (scan) {
        case 42: return MOD_LEFT_SHIFT;
        case 54: return MOD_RIGHT_SHIFT;
        case 56: return MOD_LEFT_ALT;
        case 184: return MOD_RIGHT_ALT;
        case 29: return MOD_LEFT_CONTROL;
        case 157: return MOD_RIGHT_CONTROL;
        default: return 0;
    }
}

uint32_t key_code_of_scan(uint32_t scan) {
    switch (scan) {
        case 69: return 197;
        case 197: return 69;
        case 183: return 84;
        default: return scan;
    }
}

uint32_t scan_of_key_code(uint32_t key_code) {
    switch (key_code) {
        case 69: return 197;
        case 197: return 69;
        default: return key_code;
    }
}

char key_character(uint32_t key_code, bool shifted) {
    if (key_code >= 128) return 0;
    return shifted ? tables.shifted[key_code] : tables.plain[key_code];
}

}  // namespace quarn::inpdev
