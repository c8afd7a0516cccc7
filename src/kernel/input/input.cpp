#include "kernel/input/input.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "kernel/console/commands.h"
#include "kernel/console/cvars.h"
#include "kernel/hw_devices.h"
#include "kernel/input/inp_bindings.h"
#include "kernel/input/inp_state.h"
#include "kernel/oswindow.h"
#include "kernel/process_table.h"
#include "qrncore/strings/number_text.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/messages.h"

namespace quarn {

inp_state_t *inp_state = nullptr;

namespace {

void sensitivity_changed(cvar_t *variable) {
    if (inp_state) inp_state->sensitivity = float(v_strtod(variable->get_text(), nullptr));
}

void invert_changed(cvar_t *variable) {
    if (inp_state) inp_state->invert = variable->get_int() != 0;
}

void joystick_changed(cvar_t *);

void filter_changed(cvar_t *variable) {
    if (!inp_state) return;
    inp_state->filter = variable->get_int() != 0;
    inp_state->have_previous = false;
}

cvar_t m_sensitivity("m_sensitivity", "0.33", cvar_t::STORED, nullptr, sensitivity_changed);
cvar_t m_invert("m_invert", "0", cvar_t::STORED, nullptr, invert_changed);
cvar_t i_device("i_device", "inpdev", cvar_t::STORED);
cvar_t i_joystick1("i_joystick1", "-1", cvar_t::STORED, nullptr, joystick_changed);
cvar_t i_joystick2("i_joystick2", "-1", cvar_t::STORED, nullptr, joystick_changed);
cvar_t i_feedback("i_feedback", "1", cvar_t::STORED);
cvar_t i_deadzone("i_deadzone", "0.0", cvar_t::STORED);
cvar_t i_force_gain("i_force_gain", "1.0", cvar_t::STORED);
cvar_t m_filter("m_filter", "0", cvar_t::STORED, nullptr, filter_changed);

cvar_t *const variables[] = {&m_sensitivity, &m_invert,     &i_device,     &i_joystick1, &i_joystick2,
                             &i_feedback,    &i_deadzone,   &i_force_gain, &m_filter};

// The joystick device trigger code of a selection variable's value; -1 for none.
int joystick_code(const cvar_t &variable) {
    const int32_t value = variable.get_int();
    return value >= 0 ? INP_JOYSTICK_1 + value : -1;
}

void joystick_changed(cvar_t *) {
    if (inp_state) inp_joy_switch(joystick_code(i_joystick1), joystick_code(i_joystick2));
}

// The process of the input frame. Its shutdown's first pass shuts the device down and
// lets go of the hold that inp_init_devices took.
class inp_proc_t : public vprocess_t {
public:
    inp_proc_t() : vprocess_t(-1500) { set_name("__inp_proc"); }
    ~inp_proc_t() override {
        if (inp_state && inp_state->process == this) inp_state->process = nullptr;
    }
    void handler() override { inp_frame(); }
    void system() override {
        if (signal == SIGNAL_SHUTDOWN && inp_state && inp_state->process == this) inp_shutdown_devices();
    }
};

// ---- what the window procedure asks while there is no device ----

bool window_is_active() { return inp_state && inp_state->active; }
bool window_is_legacy() { return !inp_state || !inp_state->device; }
bool window_wants_relative() { return inp_state && inp_state->mouse_delta; }
bool window_wants_centred() { return inp_state && inp_state->active && inp_state->mouse_delta; }
void window_set_active(bool active) { inp_set_active(active); }
void window_reset_impulses() { inp_reset_impulses(); }
void window_post(const inp_event_t *event) { inp_event(event); }

const oswindow_input_t window_input = {window_is_active,       window_is_legacy,      window_wants_relative,
                                       window_wants_centred,   window_set_active,     window_reset_impulses,
                                       window_post};

// ---- the mouse capture ----

void capture_mouse() {
    if (inp_state->captured) return;
    oswindow_capture_mouse(nullptr);
    oswindow_centre_cursor(nullptr, false);
    inp_state->captured = true;
}

void release_mouse() {
    if (!inp_state->captured) return;
    oswindow_release_mouse(nullptr);
    inp_state->captured = false;
}

// The main window's client size; at least 1 by 1, so that a frame without a window
// divides by nothing (a size of 0 would give infinite cursor values).
void window_size(float &width, float &height) {
    int w = 0, h = 0;
    oswindow_get_properties(nullptr, &w, &h);
    width = float(w > 0 ? w : 1);
    height = float(h > 0 ? h : 1);
}

// ---- the frame's events ----

void queue_keycode(int32_t kind, int32_t pressed, int32_t d0, int32_t d1, int32_t d2) {
    if (!inp_state->keycodes.append(inp_keycode_t{kind, pressed, {d0, d1, d2}}))
        error("[inp] Out of memory for a key record - it is lost");
}

// A key-like trigger goes down or up. A release in the frame of the press keeps it
// down for that frame.
void press(inp_trigger_t *t, bool down) {
    if (down) {
        t->stamp = inp_state->frame;
        t->down = 1;
    } else if (t->stamp == inp_state->frame) {
        t->release_pending = 1;
    } else {
        inp_clear_trigger_state(t);
    }
}

void key_event(const inp_event_t &e) {
    const bool down = e.type == inp_event_t::KEY_DOWN;
    if (down && !inp_state->active) return;
    inp_trigger_t *t = _inp_get_trigger_code(e.data[0]);
    if (!t) return;
    // Keys whose command runs now are not typed as well.
    const bool runs_command = t->command && (t->privileged || inp_impulses_handled());
    if (!runs_command) {
        const int32_t key = (e.data[0] & 0xffff) | (e.data[2] & 0xff) << 16 | int32_t(e.modifiers & 0xff) << 24;
        queue_keycode(0, down, key, 0, 0);
    }
    press(t, down);
}

void button_event(const inp_event_t &e) {
    const int32_t button = e.data[0];
    // Only the eight mouse buttons have triggers.
    if (button < 0 || button >= 8) return;
    const bool down = e.type == inp_event_t::BUTTON_DOWN;
    queue_keycode(1, down, 0, 1 << button, int32_t(e.modifiers));
    press(&inp_state->triggers[INP_MOUSE_BUTTON_1 + button], down);
}

void wheel_event(const inp_event_t &e) {
    const bool down = e.type == inp_event_t::WHEEL_DOWN;
    inp_trigger_t *t = &inp_state->triggers[down ? INP_MOUSE_WHEEL_DOWN : INP_MOUSE_WHEEL_UP];
    t->stamp = inp_state->frame;
    t->down = 1;
    t->release_pending = 1;
    queue_keycode(1, down, 1, 0, int32_t(e.modifiers));
}

void feed_direction(int code, float amount) {
    inp_trigger_t &t = inp_state->triggers[code];
    t.value += amount;
    t.down = 0;
    t.handled = 1;
}

void motion_event(const inp_event_t &e) {
    float dx = e.get_float(0), dy = e.get_float(1);
    float width, height;
    window_size(width, height);
    inp_state_t &s = *inp_state;
    s.cursor_x = fminf(fmaxf(s.cursor_x + dx, 0.0f), width);
    s.cursor_y = fminf(fmaxf(s.cursor_y + dy, 0.0f), height);
    s.triggers[INP_CURSOR_X].value = s.cursor_x * 2.0f / width - 1.0f;
    s.triggers[INP_CURSOR_Y].value = 1.0f - s.cursor_y * 2.0f / height;
    if (s.filter) {
        const float mx = s.have_previous ? (dx + s.previous_dx) * 0.5f : dx;
        const float my = s.have_previous ? (dy + s.previous_dy) * 0.5f : dy;
        s.previous_dx = dx;
        s.previous_dy = dy;
        s.have_previous = true;
        dx = mx;
        dy = my;
    }
    if (dx > 0.0f) feed_direction(INP_MOUSE_RIGHT, s.sensitivity * dx);
    else if (dx < 0.0f) feed_direction(INP_MOUSE_LEFT, s.sensitivity * -dx);
    if (dy > 0.0f) feed_direction(s.invert ? INP_MOUSE_DOWN : INP_MOUSE_UP, s.sensitivity * dy);
    else if (dy < 0.0f) feed_direction(s.invert ? INP_MOUSE_UP : INP_MOUSE_DOWN, s.sensitivity * -dy);
}

// Which of the two selections a joystick index is: 0, 1, or -1 for none.
int selection_of(int joystick) {
    for (int i = 0; i < 2; ++i)
        if (inp_state->selected[i] == joystick) return i;
    return -1;
}

void joy_button_event(const inp_event_t &e) {
    const int32_t button = e.data[2], joystick = e.data[3];
    if (joystick < 0 || joystick >= INP_MAX_JOYSTICKS || button < 0 || button >= INP_JOYSTICK_BUTTONS) return;
    const bool down = e.type == inp_event_t::JOY_BUTTON_DOWN;
    inp_state->joysticks[joystick].buttons[button] = down;
    const int selection = selection_of(joystick);
    // Buttons 13 and above have no trigger: counted on, they would run into the
    // direction triggers and, for joystick 1, into joystick 2's buttons.
    if (selection < 0 || button >= INP_JOY_BUTTON_TRIGGERS) return;
    queue_keycode(2, down, 0, 1 << button, 0);
    press(&inp_state->triggers[(selection ? INP_JOY2_BUTTON_1 : INP_JOY1_BUTTON_1) + button], down);
}

void joy_axis_event(const inp_event_t &e) {
    const int32_t joystick = e.data[3], axis = e.data[4];
    if (joystick < 0 || joystick >= INP_MAX_JOYSTICKS) return;
    inp_joy_state_t &state = inp_state->joysticks[joystick];
    if (axis == -1) state.pov = e.data[1];
    else if (axis >= 0 && axis < inp_device_t::AXIS_COUNT) state.axes[axis] = e.get_float(0) * 65537.0f / 4294967296.0f;
    else return;
    const int selection = selection_of(joystick);
    // The directions follow the point of view only: axis events leave the angle word
    // 0, which would press "up" on any axis motion.
    if (selection < 0 || axis != -1) return;
    const int32_t angle = e.data[1];
    bool left = false, right = false, up = false, down = false;
    switch (angle) {
        case 0: up = true; break;
        case 4500: right = up = true; break;
        case 9000: right = true; break;
        case 13500: right = down = true; break;
        case 18000: down = true; break;
        case 22500: down = left = true; break;
        case 27000: left = true; break;
        case 31500: left = up = true; break;
        default: break;
    }
    const bool set[4] = {left, right, up, down};
    const int first = selection ? INP_JOY2_LEFT : INP_JOY1_LEFT;
    // A direction held on keeps its press (its command does not run again); the
    // others are released at once.
    for (int i = 0; i < 4; ++i) {
        inp_trigger_t &t = inp_state->triggers[first + i];
        if (!set[i]) inp_clear_trigger_state(&t);
        else if (!t.down) press(&t, true);
    }
    queue_keycode(2, left || right || up || down, 0, int32_t(left) | int32_t(right) << 8 | int32_t(up) << 16 | int32_t(down) << 24,
                  0);
}

void process_event(const inp_event_t &e) {
    switch (e.type) {
        case inp_event_t::KEY_UP:
        case inp_event_t::KEY_DOWN: key_event(e); break;
        case inp_event_t::BUTTON_UP:
        case inp_event_t::BUTTON_DOWN: button_event(e); break;
        case inp_event_t::WHEEL_UP:
        case inp_event_t::WHEEL_DOWN: wheel_event(e); break;
        case inp_event_t::MOUSE_ABSOLUTE:
            inp_state->cursor_x = e.get_float(0);
            inp_state->cursor_y = e.get_float(1);
            inp_state->triggers[INP_CURSOR_X].value = e.get_float(2);
            inp_state->triggers[INP_CURSOR_Y].value = e.get_float(3);
            break;
        case inp_event_t::MOUSE_MOVE: motion_event(e); break;
        case inp_event_t::JOY_BUTTON_DOWN:
        case inp_event_t::JOY_BUTTON_UP: joy_button_event(e); break;
        case inp_event_t::JOY_AXIS: joy_axis_event(e); break;
        default: break;
    }
}

// Step 5 of the frame: commands, activations and impulse values.
void deliver() {
    const bool handled = inp_impulses_handled();
    for (inp_trigger_t &t : inp_state->triggers) {
        if (t.down) {
            if (!t.handled) {
                t.handled = 1;
                if (t.impulse && handled) t.impulse->activated = 1;
                if (t.command && (handled || t.privileged)) {
                    // The command may rebind this very trigger: it runs from a copy.
                    const mstring_dyn_t line(t.command);
                    _cmd_execute(line.c_str(), -1);
                }
            }
            t.value = 1.0f;
            if (t.impulse && handled && !t.suppressed) t.impulse->value += 1.0f;
        } else if (t.handled) {
            if (t.impulse && handled) t.impulse->value += t.value;
            t.handled = 0;
        }
    }
}

// The device of the class and name whose initialisation succeeds first; null when
// none does.
inp_device_t *pick_device(const char *name) {
    for (int i = 0; i < hw_device_count(); ++i) {
        hw_device_t *device = hw_device_get(i);
        if (device->device_class != hw_device_t::INPUT || strcasecmp(device->name.c_str(), name) != 0) continue;
        // Every device of class 3 is one of the input layer: only its base registers
        // with that class.
        if (hw_init(device)) {
            device->state = hw_device_t::RUNNING;
            return static_cast<inp_device_t *>(device);
        }
    }
    return nullptr;
}

// The device's index of a joystick device trigger code; -1 when there is no device or
// the code is not one of its joysticks.
int joystick_index(int code) {
    if (!inp_state || !inp_state->device) return -1;
    const int index = code - INP_JOYSTICK_1;
    return code >= INP_JOYSTICK_1 && index < inp_state->joystick_count ? index : -1;
}

}  // namespace

void inp_clear_trigger_state(inp_trigger_t *t) {
    t->down = t->handled = t->suppressed = t->release_pending = 0;
    t->value = 0.0f;
}

void inp_start() {
    if (inp_state) {
        warning("[inp] The input front-end is started already");
        return;
    }
    inp_state = new inp_state_t;
    if (!inp_state) {
        error("[inp] Out of memory for the input front-end");
        return;
    }
    inp_state_t &s = *inp_state;
    for (int code = 0; code < INP_TRIGGER_COUNT; ++code) {
        inp_trigger_t &t = s.triggers[code];
        t = inp_trigger_t{};
        t.code = code;
        if (code >= INP_JOYSTICK_1) t.joystick = &s.joysticks[code - INP_JOYSTICK_1];
    }
    for (inp_impulse_t &i : s.impulses) i = inp_impulse_t{};
    for (inp_joy_state_t &j : s.joysticks) j = inp_joy_state_t{};
    if (!inp_name_triggers(s)) error("[inp] Out of memory for the trigger names - triggers are not found by name");
    // The hooks of the variables fill the state, also with values given before.
    for (cvar_t *v : variables) cvar_register_variable(v);
    s.sensitivity = float(v_strtod(m_sensitivity.get_text(), nullptr));
    s.invert = m_invert.get_int() != 0;
    s.filter = m_filter.get_int() != 0;
    inp_bind_commands(0);
    oswindow_set_input(&window_input);
}

void inp_stop() {
    if (!inp_state) return;
    oswindow_set_input(nullptr);
    if (inp_state->captured) release_mouse();
    inp_bind_commands(1);
    for (cvar_t *v : variables) cvar_unregister_variable(v);
    // The device belongs to its plug-in, which may be gone: it is only forgotten.
    for (inp_trigger_t &t : inp_state->triggers) _inp_bind_command(&t, nullptr, false, 0);
    if (inp_state->process) inp_state->process->unlock();
    delete inp_state;
    inp_state = nullptr;
}

void inp_frame() {
    if (!inp_state) return;
    inp_state_t &s = *inp_state;
    // 1. Impulses start from nothing.
    inp_reset_impulses();
    // 2. Releases held over from the last frame happen now; the mouse directions
    //    start again.
    for (inp_trigger_t &t : s.triggers)
        if (t.release_pending) inp_clear_trigger_state(&t);
    for (int code = INP_MOUSE_LEFT; code <= INP_MOUSE_DOWN; ++code) s.triggers[code].value = 0.0f;
    // 3. The next frame number, never 0.
    if (++s.frame == 0) s.frame = 1;
    inp_reset_keycode_queue();
    // 4. The device posts this frame's events; the queue is taken in order.
    if (s.device) s.device->read_input();
    for (uint32_t i = 0; i < s.event_count; ++i) process_event(s.events[i]);
    s.event_count = 0;
    // 5. Commands, activations and values.
    deliver();
}

inp_device_t *inp_current_device() { return inp_state ? inp_state->device : nullptr; }

uint32_t inp_frame_number() { return inp_state ? inp_state->frame : 0; }

}  // namespace quarn

using namespace quarn;

bool inp_init_input(const inp_impulse_name_t *impulses) {
    if (!inp_state) return true;
    inp_state_t &s = *inp_state;
    for (inp_impulse_t &i : s.impulses) i.name[0] = 0;
    s.impulse_names.clear();
    for (const inp_impulse_name_t *p = impulses; p && p->name; ++p) {
        // A negative code would write before the table, a larger one past it.
        if (p->code < 0 || p->code >= INP_IMPULSE_COUNT) continue;
        _inp_name_impulse(&s.impulses[p->code], p->name);
    }

    const char *name = i_device.get_text();
    if (strcasecmp(name, "dinput") == 0) {
        error("[inp] Fix your configuration file - 'dinput' is no longer valid value for i_device variable. Use "
              "'inpdev' instead.");
        name = "inpdev";
    }
    s.device = pick_device(name);
    if (!s.device && name[0] && strcasecmp(name, "os") != 0)
        message("[inp] Input device '%s' not found, falling back to legacy support.", name);

    float width, height;
    window_size(width, height);
    s.cursor_x = width * 0.5f;
    s.cursor_y = height * 0.5f;
    inp_set_mouse_reports_delta(true);

    s.joystick_count = 0;
    if (s.device) {
        s.joystick_count = s.device->joy_get_count();
        if (s.joystick_count < 0) s.joystick_count = 0;
        if (s.joystick_count > INP_MAX_JOYSTICKS) s.joystick_count = INP_MAX_JOYSTICKS;
        for (int i = 0; i < s.joystick_count; ++i) {
            inp_trigger_t &t = s.triggers[INP_JOYSTICK_1 + i];
            t.joystick->has_force_feedback = s.device->joy_has_force_feedback(i);
            s.device->joy_get_name(i, t.display, sizeof t.display);
        }
    }
    for (cvar_t *v : {&i_joystick1, &i_joystick2})
        if (v->get_int() >= s.joystick_count) v->set_value_text("-1");
    inp_joy_switch(joystick_code(i_joystick1), joystick_code(i_joystick2));
    return true;
}

bool inp_init_devices() {
    if (!inp_state) return false;
    if (inp_state->process) return true;
    inp_proc_t *process = new inp_proc_t;
    if (!process) {
        error("[inp] Out of memory for the process '__inp_proc'");
        return false;
    }
    inp_state->process = process;
    process_add(process, 0);
    process->lock();
    return true;
}

void inp_shutdown_devices() {
    if (!inp_state) return;
    if (inp_device_t *device = inp_state->device) {
        hw_shutdown(device);
        device->state = hw_device_t::SHUT_DOWN;
        inp_state->device = nullptr;
    }
    inp_state->joystick_count = 0;
    if (vprocess_t *process = inp_state->process) {
        inp_state->process = nullptr;
        process->unlock();
    }
}

bool inp_is_active() { return inp_state && inp_state->active; }

void inp_set_active(bool active) {
    if (!inp_state) return;
    inp_state_t &s = *inp_state;
    if (s.device) s.device->set_active(active);
    if ((active != s.active || s.capture_pending) && s.mouse_delta) {
        if (active) capture_mouse();
        else release_mouse();
    }
    s.capture_pending = false;
    s.active = active;
    s.event_count = 0;
    for (inp_trigger_t &t : s.triggers) t.down = t.handled = t.suppressed = 0;
}

void inp_freeze_input() {
    if (!inp_state) return;
    inp_state->frozen_active = inp_state->active;
    inp_state->frozen_delta = inp_state->mouse_delta;
    if (inp_state->device) hw_suspend(inp_state->device);
    inp_set_mouse_reports_delta(false);
    inp_set_active(false);
}

bool inp_thaw_input() {
    if (!inp_state) return false;
    inp_set_mouse_reports_delta(inp_state->frozen_delta);
    inp_set_active(inp_state->frozen_active);
    if (inp_state->device) hw_revive(inp_state->device);
    return true;
}

int inp_handle_impulses(bool handle) {
    const int step = handle ? 1 : -1;
    if (inp_state) inp_state->impulse_handling += step;
    return step;
}

void inp_event(const inp_event_t *event) {
    if (!inp_state || !event || inp_state->event_count >= uint32_t(INP_MAX_EVENTS)) return;
    inp_state->events[inp_state->event_count++] = *event;
}

const inp_keycode_t *inp_fetch_keycode() {
    if (!inp_state || inp_state->keycode_read >= inp_state->keycodes.get_count()) return nullptr;
    return &inp_state->keycodes[inp_state->keycode_read++];
}

void inp_reset_keycode_queue() {
    if (!inp_state) return;
    inp_state->keycodes.clear();
    inp_state->keycode_read = 0;
}

float inp_impulse_value(int code) {
    const inp_impulse_t *i = _inp_get_impulse_code(code);
    return i ? i->value : 0.0f;
}

bool inp_impulse_is_activated(int code) {
    inp_impulse_t *i = _inp_get_impulse_code(code);
    if (!i || !i->activated) return false;
    i->activated = 0;
    return true;
}

void inp_reset_impulses() {
    if (!inp_state) return;
    for (inp_impulse_t &i : inp_state->impulses) {
        i.value = 0.0f;
        i.activated = 0;
    }
}

bool inp_mouse_reports_delta() { return inp_state && inp_state->mouse_delta; }

bool inp_set_mouse_reports_delta(bool delta) {
    if (!inp_state) return false;
    inp_state_t &s = *inp_state;
    const bool previous = s.mouse_delta;
    s.mouse_delta = delta;
    if (!s.active) {
        s.capture_pending = true;
    } else if (delta) {
        capture_mouse();
    } else {
        release_mouse();
    }
    return previous;
}

void inp_set_mouse_sensitivity(float sensitivity) {
    char text[16];
    snprintf(text, sizeof text, "%f", double(sensitivity));
    m_sensitivity.set(text);
}

float inp_get_mouse_sensitivity() { return inp_state ? inp_state->sensitivity : 0.0f; }

void inp_cursor_info(float *x, float *y) {
    if (x) *x = inp_state ? inp_state->triggers[INP_CURSOR_X].value : 0.0f;
    if (y) *y = inp_state ? inp_state->triggers[INP_CURSOR_Y].value : 0.0f;
}

void inp_cursor_info_set(float x, float y) {
    if (!inp_state) return;
    inp_state->triggers[INP_CURSOR_X].value = x;
    inp_state->triggers[INP_CURSOR_Y].value = y;
}

int inp_joy_get_count() { return inp_state && inp_state->device ? inp_state->joystick_count : 0; }

bool inp_joy_get_name(int code, char *buffer, uint32_t size) {
    const int index = joystick_index(code);
    return index >= 0 && inp_state->device->joy_get_name(index, buffer, size);
}

bool inp_joy_get_axis_name(int code, int axis, char *buffer, uint32_t size) {
    const int index = joystick_index(code);
    return index >= 0 && inp_state->device->joy_get_axis_name(index, axis, buffer, size);
}

bool _inp_joy_set_dead_zone(int code, float value, int axis) {
    const int index = joystick_index(code);
    return index >= 0 && inp_state->device->joy_set_dead_zone(index, value, axis, true);
}

float inp_joy_get_dead_zone(int code, int axis) {
    const int index = joystick_index(code);
    return index >= 0 ? inp_state->device->joy_get_dead_zone(index, axis) : -1.0f;
}

int inp_force_create(int code, int effect) {
    const int index = joystick_index(code);
    return index >= 0 ? inp_state->device->force_create(index, effect) : -1;
}

void inp_force_destroy(int code, int handle) {
    const int index = joystick_index(code);
    if (index >= 0) inp_state->device->force_destroy(index, handle);
}

bool inp_force_play(int code, int handle, uint32_t iterations, uint32_t solo) {
    const int index = joystick_index(code);
    return index >= 0 && inp_state->device->force_play(index, handle, iterations, solo);
}

bool inp_force_change(int code, int handle, const void *parameters) {
    const int index = joystick_index(code);
    return index >= 0 && inp_state->device->force_change(index, handle, parameters);
}

bool inp_force_stop(int code, int handle) {
    const int index = joystick_index(code);
    return index < 0 || inp_state->device->force_stop(index, handle);
}

bool inp_joy_switch(int code1, int code2) {
    if (!inp_state) return true;
    inp_state_t &s = *inp_state;
    for (int joystick : s.selected)
        if (joystick >= 0 && s.device) s.device->joy_set_dead_zone(joystick, 0.9f, -1, false);
    // A code that names no joystick of the device selects none, negative ones
    // included.
    const int codes[2] = {code1, code2};
    for (int i = 0; i < 2; ++i) s.selected[i] = joystick_index(codes[i]);
    for (int first : {int(INP_JOY1_LEFT), int(INP_JOY2_LEFT)}) {
        for (int code = first; code < first + 4; ++code) {
            inp_clear_trigger_state(&s.triggers[code]);
        }
    }
    for (int joystick : s.selected)
        if (joystick >= 0) s.device->joy_set_dead_zone(joystick, 0.0f, -1, false);
    return true;
}

bool inp_trackir_init(void *argument) {
    return inp_state && inp_state->device && inp_state->device->trackir_init(argument);
}

bool inp_trackir_is_present() { return inp_state && inp_state->device && inp_state->device->trackir_is_present(); }

bool inp_trackir_is_active() { return inp_state && inp_state->device && inp_state->device->trackir_is_active(); }

float inp_trackir_get_axis_data(int axis) {
    return inp_state && inp_state->device ? inp_state->device->trackir_get_axis_data(axis) : 0.0f;
}

bool inp_trackir_enable() { return inp_state && inp_state->device && inp_state->device->trackir_enable(); }

bool inp_trackir_disable() { return inp_state && inp_state->device && inp_state->device->trackir_disable(); }
