#include "kernel/oswindow.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "kernel/console/commands.h"
#include "qrncore/strings/bit_scan.h"
#include "qrncore/system/messages.h"

using quarn::oswindow_record_t;
namespace platform = quarn::platform;

namespace quarn {

namespace {

// Events taken in one pump at most, so that reactions that cause new events (a
// raised window reporting its focus) cannot keep the pump from returning.
constexpr int MAX_EVENTS_PER_PUMP = 1024;

oswindow_record_t records[OSWINDOW_MAX];
uint32_t used_mask = 0;
oswindow_record_t *main_window = nullptr;
oswindow_record_t *system_window = nullptr;
// Both start set: a window that never hears from a window manager (no display, as in
// CI) is active and its monitor on, so the game's frames run.
bool application_active = true;
bool monitor_active = true;
bool reactions_held = false;
int last_mouse_x = 0, last_mouse_y = 0;
uint32_t last_modifiers = 0;

bool answer_false() { return false; }
bool answer_true() { return true; }
void ignore_bool(bool) {}
void ignore() {}
void ignore_event(const inp_event_t *) {}

const oswindow_input_t default_input = {answer_false, answer_true, answer_false, answer_false,
                                        ignore_bool,  ignore,      ignore_event};
const oswindow_input_t *input = &default_input;

bool is_main_type(int type) { return type == OSWINDOW_MAIN_RESTORED || type == OSWINDOW_MAIN; }

oswindow_record_t *resolve(oswindow_record_t *w) { return w ? w : main_window; }

oswindow_record_t *find(platform::window_t handle) {
    if (!handle) return nullptr;
    for (int i = 0; i < OSWINDOW_MAX; ++i)
        if ((used_mask & (1u << i)) && records[i].handle == handle) return &records[i];
    return nullptr;
}

void free_record(oswindow_record_t *w) {
    const int i = int(w - records);
    used_mask &= ~(1u << i);
    if (main_window == w) main_window = nullptr;
    if (system_window == w) system_window = nullptr;
    w->name = "";
    w->handle = nullptr;
    w->saved_x = w->saved_y = 0;
    w->attached = false;
    w->capture_count = 0;
    w->width = w->height = 0;
    w->fullscreen = false;
    w->type = 0;
}

// The full bring-forward: a minimised window comes back maximised, then it is raised,
// shown and given the focus.
void bring_forward(oswindow_record_t *w) {
    if (platform::window_is_minimized(w->handle)) platform::window_maximize(w->handle);
    platform::window_raise(w->handle);
    platform::window_show(w->handle);
}

void bring_main_forward() {
    if (!main_window) return;
    if (main_window->type == OSWINDOW_MAIN_RESTORED) bring_forward(main_window);
    else platform::window_raise(main_window->handle);
}

void hide_system_window() {
    if (system_window) platform::window_hide(system_window->handle);
}

bool input_from_windows() { return input->is_active() && input->is_legacy(); }

void post(inp_event_t::type_t type, uint32_t modifiers, std::initializer_list<int32_t> data) {
    inp_event_t e;
    e.type = type;
    e.modifiers = modifiers;
    int i = 0;
    for (int32_t d : data) e.data[i++] = d;
    input->post_event(&e);
}

void key_event(const platform::window_event_t &e) {
    const int32_t extended = e.extended ? 0x80 : 0;
    const int32_t code = e.scan + extended;
    if (e.type == platform::WINDOW_EVENT_KEY_UP) {
        post(inp_event_t::KEY_UP, 0, {code, extended});
        return;
    }
    uint32_t modifiers = 0;
    if (e.modifiers & platform::WINDOW_MOD_SHIFT) modifiers |= 0x03;
    if (e.modifiers & platform::WINDOW_MOD_CONTROL) modifiers |= 0x30;
    if (e.modifiers & platform::WINDOW_MOD_LEFT_ALT) modifiers |= 0x0C;
    last_modifiers = modifiers;
    int32_t chars = 0;
    memcpy(&chars, e.text, 3);  // up to 3 characters, the fourth byte stays 0
    post(inp_event_t::KEY_DOWN, modifiers, {code, extended, chars, e.repeat ? 1 : 0});
}

void mouse_move(oswindow_record_t *w, const platform::window_event_t &e) {
    if (input->wants_relative()) {
        if (input_from_windows() && (e.x != last_mouse_x || e.y != last_mouse_y)) {
            inp_event_t ev;
            ev.type = inp_event_t::MOUSE_MOVE;
            ev.modifiers = last_modifiers;
            ev.set_float(0, float(e.x - last_mouse_x));
            ev.set_float(1, float(e.y - last_mouse_y));
            input->post_event(&ev);
        }
    } else if (input_from_windows()) {
        const int width = w->width > 0 ? w->width : 1;
        const int height = w->height > 0 ? w->height : 1;
        inp_event_t ev;
        ev.type = inp_event_t::MOUSE_ABSOLUTE;
        ev.modifiers = last_modifiers;
        ev.set_float(0, float(e.x));
        ev.set_float(1, float(e.y));
        ev.set_float(2, float(e.x) * 2.0f / float(width) - 1.0f);
        ev.set_float(3, 1.0f - float(e.y) * 2.0f / float(height));
        input->post_event(&ev);
    }
    last_mouse_x = e.x;
    last_mouse_y = e.y;
}

}  // namespace

void oswindow_set_input(const oswindow_input_t *in) { input = in ? in : &default_input; }

oswindow_record_t *oswindow_main_window() { return main_window; }

oswindow_record_t *oswindow_add_record(int type, platform::window_t handle, const char *name, bool attached) {
    const uint32_t free_bits = ~used_mask & ((1u << OSWINDOW_MAX) - 1);
    if (!free_bits) V_ABORT("[sys] Can not create more windows - already 8 windows exist.");
    const int i = int(v_bit_scan_forward_impl(free_bits));
    used_mask |= 1u << i;
    oswindow_record_t *w = &records[i];
    w->name = name;
    w->handle = handle;
    w->attached = attached;
    w->type = type;
    w->capture_count = 0;
    platform::window_get_client_size(handle, &w->width, &w->height);
    if (is_main_type(type)) main_window = w;
    return w;
}

void oswindow_procedure(oswindow_record_t *w, const platform::window_event_t &e) {
    switch (e.type) {
        case platform::WINDOW_EVENT_ACTIVATE:
            if (reactions_held) break;
            if (is_main_type(w->type)) {
                if (e.active) {
                    input->set_active(true);
                    bring_main_forward();
                    hide_system_window();
                } else {
                    input->set_active(false);
                    input->reset_impulses();
                }
            } else if (w->type == OSWINDOW_MINIMIZED && e.active) {
                application_active = true;
                bring_main_forward();
            }
            break;
        case platform::WINDOW_EVENT_APP_ACTIVATE:
            if (reactions_held) break;
            if (e.active) {
                application_active = true;
                if (is_main_type(w->type) || w->type == OSWINDOW_MINIMIZED) bring_main_forward();
            } else if (is_main_type(w->type)) {
                application_active = false;
            }
            break;
        case platform::WINDOW_EVENT_CLOSE:
            // The game decides when to end; the window stays. The process's priority
            // is left alone: a user process cannot raise it here.
            if (is_main_type(w->type) || w->type == OSWINDOW_MINIMIZED) _cmd_execute("quit", -1);
            break;
        case platform::WINDOW_EVENT_MONITOR_POWER:
            if (e.power == -1) monitor_active = true;
            else if (e.power == 1 || e.power == 2) monitor_active = false;
            break;
        case platform::WINDOW_EVENT_SIZE:
            w->width = e.width;
            w->height = e.height;
            break;
        case platform::WINDOW_EVENT_MOVE_SIZE_BEGIN: input->set_active(false); break;
        case platform::WINDOW_EVENT_MOVE_SIZE_END: input->set_active(true); break;
        case platform::WINDOW_EVENT_KEY_DOWN:
        case platform::WINDOW_EVENT_KEY_UP:
            if (input_from_windows()) key_event(e);
            break;
        case platform::WINDOW_EVENT_MOUSE_MOVE: mouse_move(w, e); break;
        case platform::WINDOW_EVENT_BUTTON_DOWN:
        case platform::WINDOW_EVENT_BUTTON_UP:
            if (input_from_windows())
                post(e.type == platform::WINDOW_EVENT_BUTTON_DOWN ? inp_event_t::BUTTON_DOWN : inp_event_t::BUTTON_UP,
                     last_modifiers, {e.button});
            break;
        case platform::WINDOW_EVENT_WHEEL:
            if (input_from_windows())
                post(e.wheel > 0 ? inp_event_t::WHEEL_UP : inp_event_t::WHEEL_DOWN, last_modifiers, {abs(e.wheel)});
            break;
        default: break;
    }
}

void oswindow_capture_mouse(oswindow_record_t *window) {
    oswindow_record_t *w = resolve(window);
    if (!w || w->capture_count++ > 0) return;
    platform::window_capture_mouse(w->handle, true);
    platform::cursor_get_position(w->handle, &w->saved_x, &w->saved_y);
    platform::cursor_show(false);
    last_mouse_x = w->saved_x;
    last_mouse_y = w->saved_y;
}

void oswindow_release_mouse(oswindow_record_t *window) {
    oswindow_record_t *w = resolve(window);
    // A release without a capture is ignored rather than counted below zero.
    if (!w || w->capture_count == 0 || --w->capture_count > 0) return;
    platform::cursor_move(w->handle, w->saved_x, w->saved_y);
    platform::window_capture_mouse(w->handle, false);
    platform::cursor_show(true);
}

void oswindow_centre_cursor(oswindow_record_t *window, bool lazy) {
    oswindow_record_t *w = resolve(window);
    if (!w) return;
    const int cx = w->width / 2, cy = w->height / 2;
    if (lazy && abs(last_mouse_x - cx) <= w->width / 4 && abs(last_mouse_y - cy) <= w->height / 4) return;
    platform::cursor_move(w->handle, cx, cy);
    last_mouse_x = cx;
    last_mouse_y = cy;
}

void oswindow_default_message_step() {
    oswindow_process_message_queue();
    if (input->wants_centred() && main_window) oswindow_centre_cursor(main_window, true);
}

}  // namespace quarn

using namespace quarn;

bool oswindow_init(const char *title, const char *, int) {
    if (system_window) return true;
    if (!platform::window_system_start()) {
        error("[sys] Window class registration failed.");
        return false;
    }
    message("[sys] windows on the '%s' video driver", platform::window_driver_name());
    oswindow_record_t *w = oswindow_create(OSWINDOW_SYSTEM, title, 0, 1, 1, false);
    if (!w) {
        platform::window_system_stop();
        return false;
    }
    system_window = w;
    application_active = monitor_active = true;
    return true;
}

void oswindow_shutdown() {
    for (int i = 0; i < OSWINDOW_MAX; ++i) {
        oswindow_record_t *w = &records[i];
        if (!(used_mask & (1u << i)) || w == system_window) continue;
        if (w->attached) oswindow_detach(w);
        else oswindow_destroy(w);
    }
    if (system_window) oswindow_destroy(system_window);
    if (platform::window_system_running()) platform::window_system_stop();
}

oswindow_record_t *oswindow_create(int type, const char *title, uint32_t, int width, int height, bool fullscreen) {
    if (!title || !*title) title = "Quarn3d";
    oswindow_record_t *w = oswindow_add_record(type, nullptr, title, false);
    w->handle = platform::window_create(title, width, height,
                                        fullscreen ? platform::WINDOW_POPUP : platform::WINDOW_CENTRED);
    if (!w->handle) {
        error("[sys] Window creation failed.");
        free_record(w);
        return nullptr;
    }
    w->width = width;
    w->height = height;
    w->fullscreen = fullscreen;
    if (fullscreen) platform::cursor_show(false);
    if (type == OSWINDOW_SYSTEM) {
        platform::window_minimize(w->handle);
        platform::window_hide(w->handle);
        oswindow_process_message_queue();
    }
    return w;
}

void oswindow_destroy(oswindow_record_t *window) {
    oswindow_record_t *w = resolve(window);
    if (!w) return;
    while (w->capture_count > 0) oswindow_release_mouse(w);
    if (!w->attached) platform::window_destroy(w->handle);
    free_record(w);
}

oswindow_record_t *oswindow_attach(int type, platform::window_t handle) {
    if (!handle) {
        error("[sys] Can not attach a window without a handle.");
        return nullptr;
    }
    return oswindow_add_record(type, handle, "<attached_window>", true);
}

void oswindow_detach(oswindow_record_t *window) {
    oswindow_record_t *w = resolve(window);
    if (w) free_record(w);
}

oswindow_record_t *oswindow_get_window(int type) {
    for (int i = 0; i < OSWINDOW_MAX; ++i) {
        if (!(used_mask & (1u << i))) continue;
        const int t = records[i].type;
        if (t == type || (is_main_type(t) && is_main_type(type))) return &records[i];
    }
    return nullptr;
}

void oswindow_show(oswindow_record_t *window) {
    oswindow_record_t *w = resolve(window);
    if (!w) return;
    platform::window_show(w->handle);
    if (w->type == OSWINDOW_MINIMIZED) platform::window_minimize(w->handle);
}

void oswindow_hide(oswindow_record_t *window) {
    oswindow_record_t *w = resolve(window);
    if (!w) return;
    if (w->type == OSWINDOW_MINIMIZED) platform::window_minimize(w->handle);
    platform::window_hide(w->handle);
}

void oswindow_set_properties(oswindow_record_t *window, int width, int height) {
    oswindow_record_t *w = resolve(window);
    if (!w) return;
    platform::window_set_client_size(w->handle, width, height);
    if (w->fullscreen) {
        platform::window_move(w->handle, 0, 0);
        platform::window_set_topmost(w->handle, true);
    } else {
        platform::window_centre(w->handle);
    }
    w->width = width;
    w->height = height;
}

void oswindow_get_properties(oswindow_record_t *window, int *width, int *height) {
    oswindow_record_t *w = resolve(window);
    if (width) *width = w ? w->width : 0;
    if (height) *height = w ? w->height : 0;
}

void oswindow_move_to(oswindow_record_t *window, int x, int y) {
    if (oswindow_record_t *w = resolve(window)) platform::window_move(w->handle, x, y);
}

void oswindow_set_title(oswindow_record_t *window, const char *title) {
    oswindow_record_t *w = resolve(window);
    if (!w) return;
    w->name = title;
    platform::window_set_title(w->handle, title);
}

void oswindow_activate_main_window() {
    if (!main_window) return;
    bring_forward(main_window);
    hide_system_window();
    oswindow_process_message_queue();
}

void oswindow_process_message_queue() {
    platform::window_event_t e;
    for (int n = 0; n < MAX_EVENTS_PER_PUMP && platform::window_poll_event(&e, input->is_legacy()); ++n) {
        if (oswindow_record_t *w = find(e.window)) oswindow_procedure(w, e);
    }
}

bool oswindow_is_application_active() { return application_active; }

bool oswindow_is_monitor_active() { return monitor_active; }

bool oswindow_hold_reactions(bool hold) {
    const bool was = reactions_held;
    reactions_held = hold;
    return was;
}
