#pragma once
// OpenGL 3.3 core contexts to draw with: on a window of the window service, whose
// frames are swapped to the screen, or off-screen, where the caller draws into a
// framebuffer object of its own (EGL on Mesa's surfaceless platform, else the default
// EGL display with a 1 x 1 pbuffer). Windows take a context only when the window
// service runs on a real display ("x11", "wayland"): windows of the off-screen and
// dummy drivers have none. The caller loads the OpenGL functions itself (libepoxy
// finds them for either kind). A surface is current on the thread that made it
// current; one is current at a time.
#include "platform/api.h"
#include "platform/window.h"

namespace quarn::platform {

struct gl_surface_tag_t;
using gl_surface_t = gl_surface_tag_t *;

// True when windows made now take an OpenGL context (the driver shows them on a
// display); window_create then makes them ready for one.
QRN_PLATFORM_API bool gl_windows_supported();

// A context on the window, made current; null when the window takes none (the
// reason in gl_surface_error).
QRN_PLATFORM_API gl_surface_t gl_surface_open_window(window_t window);
// An off-screen context, made current; null when EGL offers none.
QRN_PLATFORM_API gl_surface_t gl_surface_open_offscreen();
// Starts bringing the off-screen EGL display up on a thread of its own when windows
// will take no context (window_system_without_display): the driver's start (a software
// rasteriser loads and readies its compiler) is the longest part of opening a
// context, and what the caller does meanwhile hides it. gl_surface_open_offscreen
// waits for it and, whatever it achieved, opens as it would without it; so does the
// process's end. Nothing after the first call.
QRN_PLATFORM_API void gl_offscreen_prepare();
// Releases the context (not current afterwards); null is ignored.
QRN_PLATFORM_API void gl_surface_close(gl_surface_t surface);
QRN_PLATFORM_API bool gl_surface_make_current(gl_surface_t surface);
QRN_PLATFORM_API bool gl_surface_is_window(gl_surface_t surface);
// Shows the window's back buffer; nothing off-screen.
QRN_PLATFORM_API void gl_surface_swap(gl_surface_t surface);
// Swaps wait for interval vertical blanks (0: none); false when the driver refuses.
QRN_PLATFORM_API bool gl_surface_set_swap_interval(gl_surface_t surface, int interval);
// The window's drawable size in pixels; false off-screen.
QRN_PLATFORM_API bool gl_surface_window_size(gl_surface_t surface, int *width, int *height);
// Why the last open failed ("" after a success).
QRN_PLATFORM_API const char *gl_surface_error();

}  // namespace quarn::platform
