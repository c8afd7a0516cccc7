#pragma once
// The desktop shell's two services the game uses: opening a web page in the user's
// browser and a message box for a fatal condition.
//
// Pages: only "http:" and "https:" addresses are opened, through "xdg-open" started
// with posix_spawnp (never a shell). The opener can be replaced (tests), so that no
// browser is started.
//
// Message boxes: the program has no dialog toolkit of its own, so a box is a line on
// standard error ("caption: text"); the caller writes its log line itself.
#include "platform/api.h"

namespace quarn::platform {

// Opens url with the current opener; false when it is refused (not a web address)
// or the opener fails.
QRN_PLATFORM_API bool shell_open_page(const char *url);
// Replaces the opener; null restores "xdg-open". The opener sees only web addresses.
using shell_page_opener_t = bool (*)(const char *url);
QRN_PLATFORM_API void shell_set_page_opener(shell_page_opener_t opener);

// Shows the box: "caption: text" on standard error (a null text or caption counts as
// empty).
QRN_PLATFORM_API void shell_message_box(const char *caption, const char *text);

}  // namespace quarn::platform
