#pragma once
// The program's windows: one hidden system window made at start and up to seven more
// made for rendering or attached from outside, in a table of 8 records. The window
// procedure turns the platform's window events into reactions (activation, "quit" on
// close, sizes) and, while the input front-end takes its input from the windows,
// into input events. The message pump runs once per scheduler pass.
#include <cstdint>

#include "kernel/api.h"
#include "kernel/input/inp_event.h"
#include "platform/window.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

enum oswindow_type_t : int {
    OSWINDOW_MAIN_RESTORED = 2,  // a main window that is also restored and raised when activated
    OSWINDOW_MAIN = 3,           // a main window
    OSWINDOW_SYSTEM = 4,         // the hidden system window of oswindow_init
    OSWINDOW_MINIMIZED = 5,      // shown minimised; its activation makes the application active
};

constexpr int OSWINDOW_MAX = 8;

struct oswindow_record_t {
    mstring_dyn_t name;
    platform::window_t handle = nullptr;
    int saved_x = 0, saved_y = 0;  // the cursor's place before the mouse was captured
    bool attached = false;         // made elsewhere; never destroyed here
    int capture_count = 0;
    int width = 0, height = 0;     // client area
    bool fullscreen = false;
    int type = 0;
};

// What the window procedure needs of the input front-end. Until the input front-end
// fills this in, input is off and the windows' keyboard and mouse events are taken and
// dropped.
struct oswindow_input_t {
    bool (*is_active)();       // input is switched on
    bool (*is_legacy)();       // no input device: input comes from the window events
    bool (*wants_relative)();  // the mouse reports movement, not positions
    bool (*wants_centred)();   // the cursor is kept in the middle of the main window
    void (*set_active)(bool active);
    void (*reset_impulses)();
    void (*post_event)(const inp_event_t *event);
};

// Null restores the defaults.
void oswindow_set_input(const oswindow_input_t *input);
// The window procedure: one translated event for one window of the table.
void oswindow_procedure(oswindow_record_t *window, const platform::window_event_t &event);
// Adds a record for a window (null handle allowed: tests, windows without a system
// window); the ninth aborts. Type 2 and 3 records become the main window.
oswindow_record_t *oswindow_add_record(int type, platform::window_t handle, const char *name, bool attached);
oswindow_record_t *oswindow_main_window();
// Mouse capture: the first capture hides the cursor and remembers where it was,
// nested ones only count; the last release puts the cursor back. Null: the main
// window.
void oswindow_capture_mouse(oswindow_record_t *window);
void oswindow_release_mouse(oswindow_record_t *window);
// Moves the cursor to the middle of the client area: at once, or (lazy) only when it
// is more than a quarter of the width or height away from it.
void oswindow_centre_cursor(oswindow_record_t *window, bool lazy);
// The scheduler's default message step: the pump, then the cursor kept centred when
// the input front-end asks for it.
void oswindow_default_message_step();

}  // namespace quarn

extern "C" {
// Starts the window system and makes the hidden system window; false (logged) when
// there is no window system. The icon arguments are not used here.
KERNEL_API bool oswindow_init(const char *title, const char *icon_module, int icon_id);
// Destroys or detaches every window, the system window last, and stops the window
// system.
KERNEL_API void oswindow_shutdown();
// A hidden window of the type with a client area of width x height, centred, or at
// the origin above other windows when fullscreen; null (logged) when it cannot be
// made.
KERNEL_API quarn::oswindow_record_t *oswindow_create(int type, const char *title, uint32_t unused, int width,
                                                     int height, bool fullscreen);
KERNEL_API void oswindow_destroy(quarn::oswindow_record_t *window);
// Records a window made elsewhere; null for a null handle.
KERNEL_API quarn::oswindow_record_t *oswindow_attach(int type, quarn::platform::window_t handle);
KERNEL_API void oswindow_detach(quarn::oswindow_record_t *window);
// The first window of the type; 2 and 3 find either.
KERNEL_API quarn::oswindow_record_t *oswindow_get_window(int type);
// A null window means the main window in these; without one they do nothing.
KERNEL_API void oswindow_show(quarn::oswindow_record_t *window);
KERNEL_API void oswindow_hide(quarn::oswindow_record_t *window);
KERNEL_API void oswindow_set_properties(quarn::oswindow_record_t *window, int width, int height);
KERNEL_API void oswindow_get_properties(quarn::oswindow_record_t *window, int *width, int *height);
KERNEL_API void oswindow_move_to(quarn::oswindow_record_t *window, int x, int y);
KERNEL_API void oswindow_set_title(quarn::oswindow_record_t *window, const char *title);
// Brings the main window to the front, hides the system window, pumps the messages.
KERNEL_API void oswindow_activate_main_window();
KERNEL_API void oswindow_process_message_queue();
KERNEL_API bool oswindow_is_application_active();
KERNEL_API bool oswindow_is_monitor_active();
// Sets the flag that makes the procedure ignore activation; returns its earlier value.
KERNEL_API bool oswindow_hold_reactions(bool hold);
}
