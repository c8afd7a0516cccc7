#pragma once
// Requests to stop from outside the program (SIGINT, SIGTERM). The handler only
// counts the request; the program picks it up at a safe point of its own loop.
#include "platform/api.h"

namespace quarn::platform {

// Catches SIGINT and SIGTERM, keeping the previous handlers. Installing twice is
// harmless.
QRN_PLATFORM_API void stop_signal_install();
// Puts the previous handlers back; pending requests are forgotten.
QRN_PLATFORM_API void stop_signal_uninstall();
// True once for every batch of requests that arrived since the last call.
QRN_PLATFORM_API bool stop_signal_take();

}  // namespace quarn::platform
