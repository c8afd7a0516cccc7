#pragma once
// Windows of the operating system and their events, over SDL2 video. Where no display
// exists (CI) the windows live on SDL's off-screen or dummy driver and everything
// else works unchanged. Every function accepts a null window, and works while the
// service is stopped, by doing nothing (queries answer false or 0), so that code
// driving windows can be tested without any.
#include <cstdint>

#include "platform/api.h"

namespace quarn::platform {

struct window_tag_t;
using window_t = window_tag_t *;

// Starts the service; false when no video driver at all can be started. Repeated
// starts are counted and need as many stops.
QRN_PLATFORM_API bool window_system_start();
QRN_PLATFORM_API void window_system_stop();
QRN_PLATFORM_API bool window_system_running();
// The video driver in use ("x11", "wayland", "offscreen", "dummy"), or "".
QRN_PLATFORM_API const char *window_driver_name();
// True when the service starts (or started) on the off-screen or dummy driver: no
// video driver is forced and no X or Wayland display is named. Answers before the
// service runs, without starting it.
QRN_PLATFORM_API bool window_system_without_display();
// The first display's current mode: size, bits per pixel and refresh rate (0 when the
// display does not say). Starts the service for the question when it is not running.
// False, with the outputs untouched, when there is no display to ask. Bits per pixel
// are the pixel's storage size: 32 for 4-byte pixels, whatever their colour bits.
QRN_PLATFORM_API bool display_desktop_mode(int *width, int *height, int *bits, int *refresh);

struct display_mode_info_t {
    int width = 0, height = 0;
    int bits = 0;     // storage size of a pixel, as display_desktop_mode reports it
    int refresh = 0;  // Hz; 0 when the display does not say
};

// The modes the first display offers, in the video driver's order (largest depth,
// then width, height and refresh first). Modes without a size are left out; when none
// is left, the desktop mode is the one mode (none without a display). Writes at most
// capacity modes and returns how many there are, so a call with capacity 0 asks for
// the count. Starts the service for the question when it is not running.
QRN_PLATFORM_API int display_modes(display_mode_info_t *out, int capacity);

enum window_create_flags_t : unsigned {
    WINDOW_POPUP = 0x1,    // no frame, at the origin, above other windows
    WINDOW_CENTRED = 0x2,  // centred on the screen
};

// A hidden window with a client area of width x height; null when it cannot be made.
QRN_PLATFORM_API window_t window_create(const char *title, int width, int height, unsigned flags);
QRN_PLATFORM_API void window_destroy(window_t window);
QRN_PLATFORM_API void window_show(window_t window);
QRN_PLATFORM_API void window_hide(window_t window);
QRN_PLATFORM_API void window_minimize(window_t window);
QRN_PLATFORM_API void window_maximize(window_t window);
QRN_PLATFORM_API bool window_is_minimized(window_t window);
// Brings the window to the front and gives it the input focus.
QRN_PLATFORM_API void window_raise(window_t window);
QRN_PLATFORM_API void window_set_title(window_t window, const char *title);
QRN_PLATFORM_API void window_set_topmost(window_t window, bool topmost);
QRN_PLATFORM_API void window_set_client_size(window_t window, int width, int height);
QRN_PLATFORM_API void window_move(window_t window, int x, int y);
// Centres the window on its display.
QRN_PLATFORM_API void window_centre(window_t window);
QRN_PLATFORM_API bool window_get_client_size(window_t window, int *width, int *height);

// The mouse: the cursor's position in the window's client area, moving it there,
// showing it, and keeping every mouse event for the window while captured.
QRN_PLATFORM_API bool cursor_get_position(window_t window, int *x, int *y);
QRN_PLATFORM_API void cursor_move(window_t window, int x, int y);
QRN_PLATFORM_API void cursor_show(bool show);
QRN_PLATFORM_API void window_capture_mouse(window_t window, bool capture);

enum window_event_type_t : int {
    WINDOW_EVENT_NONE = 0,
    WINDOW_EVENT_CLOSE,           // the user asks to close the window
    WINDOW_EVENT_ACTIVATE,        // active: the window gained (1) or lost (0) the focus
    WINDOW_EVENT_APP_ACTIVATE,    // active: the application gained (1) or lost (0) the focus
    WINDOW_EVENT_SIZE,            // width, height: the new client size
    WINDOW_EVENT_MOVE_SIZE_BEGIN, // the user starts dragging or sizing the window
    WINDOW_EVENT_MOVE_SIZE_END,
    WINDOW_EVENT_MONITOR_POWER,   // power: -1 on, 1 low, 2 off
    WINDOW_EVENT_KEY_DOWN,        // scan, extended, repeat, text
    WINDOW_EVENT_KEY_UP,          // scan, extended
    WINDOW_EVENT_MOUSE_MOVE,      // x, y in the client area
    WINDOW_EVENT_BUTTON_DOWN,     // button: 0 left, 1 middle, 2 right
    WINDOW_EVENT_BUTTON_UP,
    WINDOW_EVENT_WHEEL,           // wheel: signed amount, 120 a notch, positive away from the user
};

enum window_modifier_t : unsigned {
    WINDOW_MOD_SHIFT = 0x1,
    WINDOW_MOD_CONTROL = 0x2,
    WINDOW_MOD_LEFT_ALT = 0x4,
};

struct window_event_t {
    window_event_type_t type = WINDOW_EVENT_NONE;
    window_t window = nullptr;
    int active = 0;
    int width = 0, height = 0;
    int power = 0;
    int scan = 0;             // keyboard scan code of the PC keyboard (set 1), without 0x80
    bool extended = false;    // the key sends the extended prefix
    bool repeat = false;      // held down, repeating
    unsigned modifiers = 0;   // window_modifier_t, the keyboard's state with the key
    char text[4] = {0, 0, 0, 0};  // up to 3 characters the key produced (Latin-1)
    int x = 0, y = 0;
    int button = 0;
    int wheel = 0;
};

// Takes the next event from the queue. Window events always; keyboard and mouse events
// only with take_input, else they stay queued for the input device. False when
// nothing that may be taken is waiting. Events of other kinds are dropped.
QRN_PLATFORM_API bool window_poll_event(window_event_t *event, bool take_input);

// The PC keyboard's scan code (set 1, the values the engine's input layer uses) for a
// key given by its USB HID usage id (which is what SDL scan codes are); 0 for keys
// without one. extended: the key sends the extended prefix.
QRN_PLATFORM_API int keyboard_scan_code(int usb_usage, bool *extended);

}  // namespace quarn::platform
