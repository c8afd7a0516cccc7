#include "platform/clipboard.h"

#include <SDL.h>

#include <string>

#include "platform/window.h"

namespace quarn::platform {

bool clipboard_set_text(const char *latin1) {
    if (!window_system_running()) return false;
    std::string utf8;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(latin1 ? latin1 : ""); *p; ++p) {
        if (*p < 0x80) {
            utf8 += char(*p);
        } else {
            utf8 += char(0xC0 | (*p >> 6));
            utf8 += char(0x80 | (*p & 0x3F));
        }
    }
    return SDL_SetClipboardText(utf8.c_str()) == 0;
}

bool clipboard_get_text(char *out, size_t capacity) {
    if (capacity) out[0] = 0;
    if (!window_system_running() || !SDL_HasClipboardText()) return false;
    char *text = SDL_GetClipboardText();
    if (!text) return false;
    size_t n = 0;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
    while (*p && n + 1 < capacity) {
        unsigned c = *p++;
        if (c >= 0x80) {
            // The length of the sequence from its first byte; a stray byte counts as one.
            int more = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 0;
            unsigned value = c & (0x3F >> more);
            for (; more > 0 && (*p & 0xC0) == 0x80; --more) value = (value << 6) | (*p++ & 0x3F);
            c = more == 0 && value >= 0x80 && value <= 0xFF ? value : unsigned(CLIPBOARD_UNKNOWN_CHAR);
        }
        out[n++] = char(c);
    }
    if (capacity) out[n] = 0;
    SDL_free(text);
    return true;
}

}  // namespace quarn::platform
