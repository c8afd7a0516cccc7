#pragma once
// A throw-away OpenGL context with no window, to ask the driver what it can do. EGL on
// Mesa: the surfaceless platform where the EGL client offers it, else the default
// display with a 1x1 pbuffer. Desktop OpenGL at version 1.0 is asked for, which every
// driver answers with its compatibility profile, so the old enumerants and the
// extension string work. One context exists at a time; it is current on the thread
// that opened it.
#include <cstdint>

#include "platform/api.h"

namespace quarn::platform {

// The names glGetString answers.
constexpr uint32_t GL_PROBE_VENDOR = 0x1F00;
constexpr uint32_t GL_PROBE_RENDERER = 0x1F01;
constexpr uint32_t GL_PROBE_VERSION = 0x1F02;
constexpr uint32_t GL_PROBE_EXTENSIONS = 0x1F03;

enum gl_probe_status_t : int {
    GL_PROBE_OK = 0,
    GL_PROBE_BUSY,            // a probe context is open already
    GL_PROBE_NO_DISPLAY,      // eglGetPlatformDisplay (or the default display) failed
    GL_PROBE_NO_INITIALIZE,   // eglInitialize failed
    GL_PROBE_NO_CONTEXT,      // no OpenGL API, config, pbuffer or eglCreateContext
    GL_PROBE_NO_CURRENT,      // eglMakeCurrent failed
};

// Opens the probe context and makes it current.
QRN_PLATFORM_API gl_probe_status_t gl_probe_open();
// Releases it; harmless when none is open.
QRN_PLATFORM_API void gl_probe_close();
QRN_PLATFORM_API bool gl_probe_is_open();
// The EGL call a status stands for ("eglCreateContext"); "" for GL_PROBE_OK and
// GL_PROBE_BUSY.
QRN_PLATFORM_API const char *gl_probe_failed_call(gl_probe_status_t status);

// glGetString of one of the names above; "" with no context or no answer.
QRN_PLATFORM_API const char *gl_probe_string(uint32_t name);
// glGetIntegerv of an enumerant: its first value. False (value untouched) with no
// context or when the driver refuses the enumerant.
QRN_PLATFORM_API bool gl_probe_integer(uint32_t enumerant, int32_t *value);

}  // namespace quarn::platform
