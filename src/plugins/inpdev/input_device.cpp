#include "plugins/inpdev/input_device.h"

#include "plugins/inpdev/key_table.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn::inpdev {

namespace {

// The kernel's kind code of the one system the device refuses (before version 5).
constexpr int OLD_NT_SYSTEM = 5;

void *window_handle(const plugin::kernel_links_t &kernel, int type) {
    oswindow_record_t *window = kernel.oswindow_get_window(type);
    return window ? static_cast<void *>(window->handle) : nullptr;
}

}  // namespace

input_device_t::input_device_t(plugin::plugin_state_t &plugin, void *instance, input_system_factory_t factory,
                               settings_source_t &settings)
    : inp_device_t(plugin.name),
      m_plugin(plugin),
      m_instance(instance),
      m_factory(factory),
      m_settings(settings),
      m_joysticks(plugin.kernel) {
    m_plugin.device = this;
}

input_device_t::~input_device_t() {
    m_tracker.reset();
    release_inputs();
    m_system.reset();
    if (m_plugin.device == this) m_plugin.device = nullptr;
}

void *input_device_t::operator new(size_t bytes) noexcept { return qrncore_system_new(bytes); }

void input_device_t::operator delete(void *memory) { qrncore_system_delete(memory); }

bool input_device_t::detect() {
    int system = 0, major = 0;
    m_plugin.kernel.sys_version(&system, &major, nullptr);
    return !(system == OLD_NT_SYSTEM && major < 5);
}

bool input_device_t::init() {
    // A second init without a shutdown starts afresh instead of leaking the first.
    release_inputs();
    m_system.reset();
    auto_ptr_t<input_system_i> system;
    const result_t r = m_factory ? m_factory(m_instance, system) : ERR_UNSUPPORTED;
    if (failed(r) || !system) {
        error("[inpdev] Can not create Direct Input device (error code: 0x%x).", failed(r) ? r : ERR_GENERIC);
        return false;
    }
    m_system = static_cast<auto_ptr_t<input_system_i> &&>(system);
    void *window = window_handle(m_plugin.kernel, OSWINDOW_MAIN);
    setup_mouse(window);
    setup_keyboard(window);
    m_joysticks.setup(*m_system, window);
    inp_device_t::set_active(true);
    if (!m_holds_process && m_plugin.process) {
        m_plugin.process->lock();
        m_holds_process = true;
    }
    state = RUNNING;
    return true;
}

void input_device_t::setup_mouse(void *window) {
    auto_ptr_t<device_i> mouse;
    result_t r = m_system->create_device(DEVICE_MOUSE, 0, mouse);
    if (failed(r) || !mouse) {
        error("[inpdev] Can not create mouse input device (error code: 0x%x).", r);
        return;
    }
    // Each failure below releases the mouse with the owner.
    r = mouse->set_data_format();
    if (failed(r)) {
        error("[inpdev] Can not set mouse data format (error code: 0x%x).", r);
        return;
    }
    r = mouse->set_cooperative_level(window, COOP_EXCLUSIVE | COOP_FOREGROUND);
    if (failed(r)) {
        warning("[inpdev] Can not set mouse cooperative level (error code: 0x%x).", r);
        return;
    }
    r = mouse->set_buffer_size(MOUSE_BUFFER_ITEMS);
    if (failed(r)) {
        error("[inpdev] Can set mouse buffered input (error code: 0x%x).", r);
        return;
    }
    r = mouse->acquire();
    if (failed(r)) warning("[inpdev] Failed to %s mouse (error code: 0x%x).", "acquire", r);
    m_mouse = static_cast<auto_ptr_t<device_i> &&>(mouse);
}

void input_device_t::setup_keyboard(void *window) {
    auto_ptr_t<device_i> keyboard;
    result_t r = m_system->create_device(DEVICE_KEYBOARD, 0, keyboard);
    if (failed(r) || !keyboard) {
        error("[inpdev] Can not create keyboard input device (error code: 0x%x).", r);
        return;
    }
    r = keyboard->set_data_format();
    if (failed(r)) {
        error("[inpdev] Can not set keyboard data format (error code: 0x%x).", r);
        return;
    }
    r = keyboard->set_cooperative_level(window, COOP_NONEXCLUSIVE | COOP_FOREGROUND | COOP_NO_WINDOWS_KEY);
    if (failed(r)) {
        warning("[inpdev] Can not set keyboard cooperative level (error code: 0x%x).", r);
        return;
    }
    r = keyboard->set_buffer_size(KEYBOARD_BUFFER_ITEMS);
    if (failed(r)) {
        error("[inpdev] Can not set keyboard buffered input (error code: 0x%x).", r);
        return;
    }
    if (!failed(keyboard->acquire())) m_modifiers = 0;
    m_keyboard = static_cast<auto_ptr_t<device_i> &&>(keyboard);
}

void input_device_t::release_inputs() {
    if (m_mouse) {
        const result_t r = m_mouse->unacquire();
        if (failed(r)) warning("[inpdev] Failed to %s mouse (error code: 0x%x).", "unacquire", r);
        m_mouse.reset();
    }
    if (m_keyboard) {
        if (!failed(m_keyboard->unacquire())) m_modifiers = 0;
        m_keyboard.reset();
    }
    m_joysticks.shutdown();
}

void input_device_t::shutdown() {
    release_inputs();
    m_system.reset();
    if (m_holds_process) {
        if (m_plugin.process) m_plugin.process->unlock();
        m_holds_process = false;
    }
    state = SHUT_DOWN;
}

void input_device_t::suspend() {
    set_active(false);
    shutdown();
}

void input_device_t::revive() {
    init();
    set_active(true);
}

void input_device_t::set_active(bool active) {
    if (active == is_active()) return;
    inp_device_t::set_active(active);
    if (m_keyboard && !failed(active ? m_keyboard->acquire() : m_keyboard->unacquire())) m_modifiers = 0;
    if (m_mouse) {
        const result_t r = active ? m_mouse->acquire() : m_mouse->unacquire();
        if (failed(r)) warning("[inpdev] Failed to %s mouse (error code: 0x%x).", active ? "acquire" : "unacquire", r);
    }
    m_joysticks.set_active(active);
}

void input_device_t::read_input() {
    if (!is_active()) return;
    poll_keyboard();
    poll_mouse();
    m_joysticks.poll();
    if (m_tracker) m_tracker->poll();
}

void input_device_t::poll_keyboard() {
    if (!m_keyboard) return;
    input_item_t items[KEYBOARD_BUFFER_ITEMS];
    uint32_t count = KEYBOARD_BUFFER_ITEMS;
    result_t r = m_keyboard->read_buffered(items, &count);
    if (needs_acquire(r)) {
        if (!failed(m_keyboard->acquire())) m_modifiers = 0;
        count = KEYBOARD_BUFFER_ITEMS;
        r = m_keyboard->read_buffered(items, &count);
    }
    if (failed(r)) return;
    for (uint32_t i = 0; i < count && i < KEYBOARD_BUFFER_ITEMS; ++i) {
        const uint32_t scan = items[i].offset & 0xFF;
        const bool pressed = items[i].data & ITEM_PRESSED;
        if (const uint32_t bit = modifier_of_scan(scan)) m_modifiers = pressed ? m_modifiers | bit : m_modifiers & ~bit;
        const uint32_t code = key_code_of_scan(scan);
        inp_event_t e;
        e.type = pressed ? inp_event_t::KEY_DOWN : inp_event_t::KEY_UP;
        e.modifiers = m_modifiers;
        e.data[0] = int32_t(code);
        e.data[1] = int32_t(scan & 0x80);
        e.data[2] = uint8_t(key_character(code, m_modifiers & (MOD_LEFT_SHIFT | MOD_RIGHT_SHIFT)));
        post(e);
    }
}

void input_device_t::poll_mouse() {
    if (!m_mouse) return;
    input_item_t items[MOUSE_BUFFER_ITEMS];
    uint32_t count = MOUSE_BUFFER_ITEMS;
    result_t r = m_mouse->read_buffered(items, &count);
    if (needs_acquire(r)) {
        const result_t a = m_mouse->acquire();
        if (failed(a)) warning("[inpdev] Failed to %s mouse (error code: 0x%x).", "acquire", a);
        count = MOUSE_BUFFER_ITEMS;
        r = m_mouse->read_buffered(items, &count);
    }
    if (failed(r)) return;
    // The frame's movement goes out once, summed, after the buttons and the wheel.
    int64_t dx = 0, dy = 0;
    bool moved = false;
    for (uint32_t i = 0; i < count && i < MOUSE_BUFFER_ITEMS; ++i) {
        const input_item_t &item = items[i];
        inp_event_t e;
        e.modifiers = m_modifiers;
        if (item.offset == MOUSE_X || item.offset == MOUSE_Y) {
            (item.offset == MOUSE_X ? dx : dy) += int32_t(item.data);
            moved = true;
            continue;
        }
        if (item.offset == MOUSE_WHEEL) {
            e.type = int32_t(item.data) > 0 ? inp_event_t::WHEEL_UP : inp_event_t::WHEEL_DOWN;
            post(e);
            continue;
        }
        const uint32_t button = item.offset - MOUSE_BUTTON_0;
        // The second and third buttons trade places: the right button is index 2.
        static constexpr int32_t INDEX[3] = {0, 2, 1};
        if (item.offset < MOUSE_BUTTON_0 || button >= 3) continue;
        e.type = (item.data & ITEM_PRESSED) ? inp_event_t::BUTTON_DOWN : inp_event_t::BUTTON_UP;
        e.data[0] = INDEX[button];
        post(e);
    }
    if (!moved) return;
    inp_event_t e;
    e.type = inp_event_t::MOUSE_MOVE;
    e.modifiers = m_modifiers;
    e.set_float(0, float(dx));
    e.set_float(1, float(dy));
    post(e);
}

// ---- joysticks ----

int input_device_t::force_create(int joystick, int type) { return m_joysticks.force_create(joystick, type); }

void input_device_t::force_destroy(int joystick, int handle) { m_joysticks.force_destroy(joystick, handle); }

bool input_device_t::force_change(int joystick, int handle, const void *parameters) {
    return m_joysticks.force_change(joystick, handle, parameters);
}

bool input_device_t::force_play(int joystick, int handle, uint32_t iterations, uint32_t solo) {
    return m_joysticks.force_play(joystick, handle, iterations, solo != 0);
}

bool input_device_t::force_stop(int joystick, int handle) { return m_joysticks.force_stop(joystick, handle); }

bool input_device_t::joy_get_name(int joystick, char *buffer, uint32_t size) {
    return m_joysticks.get_name(joystick, buffer, size);
}

bool input_device_t::joy_get_axis_name(int joystick, int axis, char *buffer, uint32_t size) {
    return m_joysticks.get_axis_name(joystick, axis, buffer, size);
}

int input_device_t::joy_get_count() { return m_joysticks.count(); }

bool input_device_t::joy_set_dead_zone(int joystick, float value, int axis, bool remember) {
    return m_joysticks.set_dead_zone(joystick, value, axis, remember);
}

float input_device_t::joy_get_dead_zone(int joystick, int axis) { return m_joysticks.get_dead_zone(joystick, axis); }

bool input_device_t::joy_has_force_feedback(int joystick) { return m_joysticks.has_force_feedback(joystick); }

uint32_t input_device_t::joy_get_force_types(int joystick) { return m_joysticks.get_force_types(joystick); }

// ---- head tracker ----

bool input_device_t::trackir_init(void *argument) {
    auto_ptr_t<head_tracker_t> fresh(new head_tracker_t(m_plugin.kernel, m_settings));
    m_tracker.reset();
    if (!fresh) {
        error("[TrackIR] Out of memory for the head tracker.");
        return false;
    }
    if (!fresh->init(uint16_t(reinterpret_cast<uintptr_t>(argument)))) return false;
    m_tracker = static_cast<auto_ptr_t<head_tracker_t> &&>(fresh);
    return true;
}

bool input_device_t::trackir_is_present() { return bool(m_tracker); }

bool input_device_t::trackir_is_active() { return m_tracker && m_tracker->is_active(); }

float input_device_t::trackir_get_axis_data(int axis) { return m_tracker ? m_tracker->axis(axis) : 0.0f; }

bool input_device_t::trackir_enable() {
    if (!m_tracker) return false;
    m_tracker->enable();
    return true;
}

bool input_device_t::trackir_disable() {
    if (!m_tracker) return false;
    m_tracker->disable();
    return true;
}

}  // namespace quarn::inpdev
