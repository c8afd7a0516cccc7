#pragma once
// Crash reports. A fatal signal (or a fatal error the program detects itself) appends
// a plain-text report to the crash file: time, signal, fault address, registers, the
// code bytes around the instruction pointer and the call stack. Everything written
// from the signal handler is async-signal-safe.
#include "platform/api.h"

namespace quarn::platform {

// Longest crash file path kept, without the terminator; longer paths are refused.
constexpr unsigned CRASH_PATH_MAX = 4095;

// Installs the reporter for SIGSEGV, SIGBUS, SIGILL, SIGFPE and SIGABRT on an
// alternate stack, keeping the previous handlers. Installing twice is harmless.
QRN_PLATFORM_API bool crash_install();
// Puts the previous handlers back.
QRN_PLATFORM_API void crash_uninstall();
// Sets the file the reports are appended to; false (path unchanged) when it is
// empty or longer than CRASH_PATH_MAX.
QRN_PLATFORM_API bool crash_set_path(const char *path);
QRN_PLATFORM_API const char *crash_get_path();

// Writes a report for an error the program found itself (no signal context), then
// ends the process with SIGABRT without writing a second report.
[[noreturn]] QRN_PLATFORM_API void crash_abort(const char *reason);

}  // namespace quarn::platform
