#pragma once
// The system clipboard's text, over SDL2's clipboard. The game's texts are Latin-1
// bytes; the clipboard holds UTF-8, so both directions convert: a character beyond
// Latin-1 reads back as CLIPBOARD_UNKNOWN_CHAR (a control byte, which the input line
// shows as a blank).
//
// The clipboard belongs to the video service: it works while the window service runs
// (window.h) and answers false otherwise. Under SDL's off-screen and dummy drivers the
// text stays inside the process, so copy and paste work in headless runs.
#include <cstddef>

#include "platform/api.h"

namespace quarn::platform {

inline constexpr char CLIPBOARD_UNKNOWN_CHAR = '\x1a';

// Puts the Latin-1 text (null: empty) on the clipboard. False when the window service
// is not running or the clipboard refuses.
QRN_PLATFORM_API bool clipboard_set_text(const char *latin1);
// Copies at most capacity - 1 Latin-1 characters of the clipboard's text into out,
// zero-terminated (capacity 0 writes nothing). False, out empty, when the window
// service is not running or the clipboard holds no text.
QRN_PLATFORM_API bool clipboard_get_text(char *out, size_t capacity);

}  // namespace quarn::platform
