#pragma once
// The input front-end: between the game and the input device that a plug-in puts
// into the device registry (a device of class 3), or the window procedure when there
// is none ("legacy" input from the window's events). It turns the raw events of each
// input frame into
// - triggers: every key, mouse button, mouse direction, wheel direction, joystick
//   button, joystick direction and whole joystick is one of 333 numbered triggers
//   with a fixed name, down or up, with a value;
// - impulses: 255 numbered game actions named by the game, each with the value its
//   triggers gave it this frame and a read-once activated flag;
// - console commands bound to triggers;
// - key records for text entry.
// Bindings come in three layers (system, user, modal), each a definition pool with
// the objects "commands" and "impulses", merged with the fewest changes.
//
// The front-end runs in its own process "__inp_proc" (priority -1500), made by
// inp_init_devices; everything else works from the boot on (inp_start).
#include <cstdint>

#include "kernel/api.h"
#include "kernel/input/inp_types.h"
#include "outside/ctlbase/inp_device.h"

namespace quarn {

class def_pool_t;

// Boot: registers the variables and commands, clears every table and takes the
// window's input events (legacy input). inp_stop undoes it at shutdown.
void inp_start();
void inp_stop();
// The input frame: the handler of "__inp_proc".
void inp_frame();
// The current input device, or null (legacy input).
inp_device_t *inp_current_device();
uint32_t inp_frame_number();

}  // namespace quarn

extern "C" {
// Triggers and bindings.
// The trigger of that name, case ignored; null for none or a null name.
KERNEL_API quarn::inp_trigger_t *_inp_get_trigger_name(const char *name);
// The trigger of the code; null outside 0-332.
KERNEL_API quarn::inp_trigger_t *_inp_get_trigger_code(int code);
// Replaces the trigger's command with a copy of text (null: none) and sets privileged
// and id; false (logged) when the copy cannot be made, which leaves no command.
// Nothing for a null trigger.
KERNEL_API bool _inp_bind_command(quarn::inp_trigger_t *trigger, const char *text, bool privileged, int id);
// Binds the impulse (null: none) with the id; returns the trigger.
KERNEL_API quarn::inp_trigger_t *_inp_bind_impulse(quarn::inp_trigger_t *trigger, quarn::inp_impulse_t *impulse,
                                                   int id);
// Every trigger bound to the impulse loses impulse and id.
KERNEL_API void _inp_unbind_impulse(quarn::inp_impulse_t *impulse);
// Every trigger whose command equals text (case ignored) loses it.
KERNEL_API void inp_unbind_command(const char *text);
// The next trigger after `after` (null: from code 0) bound to the impulse / whose
// command equals text (case ignored); null when none.
KERNEL_API quarn::inp_trigger_t *_inp_search_trigger_impulse(const quarn::inp_impulse_t *impulse,
                                                             const quarn::inp_trigger_t *after);
KERNEL_API quarn::inp_trigger_t *_inp_search_trigger_command(const char *text, const quarn::inp_trigger_t *after);
// Writes every binding into the pool (cleared first): "impulses" and "commands" with
// one object per bound trigger. False (the pool cleared) when that fails.
KERNEL_API bool inp_store_bindings(quarn::def_pool_t *pool);
// Makes the bindings those of the three layers, the later winning (null: an empty
// layer), changing only what differs. False (logged) when the system layer is
// malformed or a layer cannot be applied; a malformed user or modal layer is skipped.
KERNEL_API bool _inp_restore_bindings(const quarn::def_pool_t *system, const quarn::def_pool_t *user,
                                      const quarn::def_pool_t *modal);

// Devices and activity.
// Names the impulses, picks the device named by i_device (else legacy input), puts
// the cursor in the middle of the window, switches mouse deltas on and selects the
// joysticks of i_joystick1/2. Always true.
KERNEL_API bool inp_init_input(const quarn::inp_impulse_name_t *impulses);
// Makes "__inp_proc", adds it to the scheduler and holds it; false (logged) without
// memory. A second call while it lives does nothing.
KERNEL_API bool inp_init_devices();
// Shuts the device down and forgets it, and lets go of the process.
KERNEL_API void inp_shutdown_devices();
KERNEL_API bool inp_is_active();
KERNEL_API void inp_set_active(bool active);
KERNEL_API void inp_freeze_input();
KERNEL_API bool inp_thaw_input();
// Adds +1 (true) or -1 (false) to the impulse-handling counter and returns that step;
// impulses and unprivileged commands are delivered while the counter is above 0.
KERNEL_API int inp_handle_impulses(bool handle);

// Events and key records.
// Queues the event for the next input frame; dropped when 255 are queued.
KERNEL_API void inp_event(const quarn::inp_event_t *event);
// The next key record of this frame, or null.
KERNEL_API const quarn::inp_keycode_t *inp_fetch_keycode();
KERNEL_API void inp_reset_keycode_queue();

// Impulses.
// The impulse's value this frame; 0 for a code outside 0-254.
KERNEL_API float inp_impulse_value(int code);
// Whether the impulse was activated since the last call; clears the flag.
KERNEL_API bool inp_impulse_is_activated(int code);
KERNEL_API quarn::inp_impulse_t *_inp_get_impulse_name(const char *name);
KERNEL_API quarn::inp_impulse_t *_inp_get_impulse_code(int code);
// Names the impulse (cut to 15 characters); null or "" empties the name.
KERNEL_API void _inp_name_impulse(quarn::inp_impulse_t *impulse, const char *name);
KERNEL_API void inp_reset_impulses();

// Mouse and cursor.
KERNEL_API bool inp_mouse_reports_delta();
// Returns the previous setting.
KERNEL_API bool inp_set_mouse_reports_delta(bool delta);
KERNEL_API void inp_set_mouse_sensitivity(float sensitivity);
KERNEL_API float inp_get_mouse_sensitivity();
// The values of "cursorx" and "cursory" (-1..1); null outputs are skipped.
KERNEL_API void inp_cursor_info(float *x, float *y);
KERNEL_API void inp_cursor_info_set(float x, float y);

// Joysticks and force feedback: code is a joystick device trigger, valid from 323 to
// 323 + count - 1; the device gets code - 323.
KERNEL_API int inp_joy_get_count();
KERNEL_API bool inp_joy_get_name(int code, char *buffer, uint32_t size);
KERNEL_API bool inp_joy_get_axis_name(int code, int axis, char *buffer, uint32_t size);
KERNEL_API bool _inp_joy_set_dead_zone(int code, float value, int axis);
// -1.0 for an invalid code.
KERNEL_API float inp_joy_get_dead_zone(int code, int axis);
// A handle, -1 when invalid.
KERNEL_API int inp_force_create(int code, int effect);
KERNEL_API void inp_force_destroy(int code, int handle);
KERNEL_API bool inp_force_play(int code, int handle, uint32_t iterations, uint32_t solo);
KERNEL_API bool inp_force_change(int code, int handle, const void *parameters);
// True for an invalid code.
KERNEL_API bool inp_force_stop(int code, int handle);
// Selects joystick 1 and 2 by device trigger code (-1: none). Always true.
KERNEL_API bool inp_joy_switch(int code1, int code2);

// The head tracker, through the device; false / 0.0 without one.
KERNEL_API bool inp_trackir_init(void *argument);
KERNEL_API bool inp_trackir_is_present();
KERNEL_API bool inp_trackir_is_active();
KERNEL_API float inp_trackir_get_axis_data(int axis);
KERNEL_API bool inp_trackir_enable();
KERNEL_API bool inp_trackir_disable();
}

// The names by which other code calls these.
inline quarn::inp_trigger_t *inp_get_trigger_name(const char *name) { return _inp_get_trigger_name(name); }
inline quarn::inp_trigger_t *inp_get_trigger_code(int code) { return _inp_get_trigger_code(code); }
inline quarn::inp_impulse_t *inp_get_impulse_name(const char *name) { return _inp_get_impulse_name(name); }
inline quarn::inp_impulse_t *inp_get_impulse_code(int code) { return _inp_get_impulse_code(code); }
inline quarn::inp_trigger_t *inp_search_trigger_impulse(const quarn::inp_impulse_t *impulse,
                                                        const quarn::inp_trigger_t *after = nullptr) {
    return _inp_search_trigger_impulse(impulse, after);
}
inline quarn::inp_trigger_t *inp_search_trigger_command(const char *text, const quarn::inp_trigger_t *after = nullptr) {
    return _inp_search_trigger_command(text, after);
}
inline bool inp_restore_bindings(const quarn::def_pool_t *system, const quarn::def_pool_t *user = nullptr,
                                 const quarn::def_pool_t *modal = nullptr) {
    return _inp_restore_bindings(system, user, modal);
}
inline bool inp_joy_set_dead_zone(int code, float value, int axis = -1) {
    return _inp_joy_set_dead_zone(code, value, axis);
}
