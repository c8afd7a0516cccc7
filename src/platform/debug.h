#pragma once
// The debugger's output channel.
#include "platform/api.h"

namespace quarn::platform {

// True when a debugger (a tracer) is attached to the process.
QRN_PLATFORM_API bool debugger_present();
// Writes text for an attached debugger: to standard error when one is attached,
// nowhere otherwise.
QRN_PLATFORM_API void debug_output(const char *text);
// Stops in an attached debugger; does nothing without one.
QRN_PLATFORM_API void debug_break();

}  // namespace quarn::platform
