#pragma once
// The input plug-in's device: keyboard, mouse and up to ten joysticks with force
// feedback, and a head tracker, on the input layer of input_api.h. Once per input
// frame it reads every device's buffered items and hands them to the kernel as input
// events (inp_event).
#include <cstdint>

#include "outside/ctlbase/inp_device.h"
#include "plugins/inpdev/head_tracker.h"
#include "plugins/inpdev/input_api.h"
#include "plugins/inpdev/joysticks.h"
#include "plugins/inpdev/settings_source.h"
#include "plugins/plugin.h"

namespace quarn::inpdev {

constexpr uint32_t KEYBOARD_BUFFER_ITEMS = 20;
constexpr uint32_t MOUSE_BUFFER_ITEMS = 128;

class input_device_t : public inp_device_t {
public:
    // instance: the program's module, handed to the input system. The device makes its
    // input system with factory and reads the head tracker's setting from settings.
    input_device_t(plugin::plugin_state_t &plugin, void *instance, input_system_factory_t factory,
                   settings_source_t &settings);
    // Deletes the head tracker, releases every device and the input system, and
    // clears the plug-in's device pointer.
    ~input_device_t() override;

    static void *operator new(size_t bytes) noexcept;
    static void operator delete(void *memory);

    // Refuses only the oldest system the kernel can name (kind 5 before version 5).
    bool detect() override;
    // Makes the input system and sets the mouse, keyboard and joysticks up (their
    // failures are logged and leave them out); holds the plug-in's process. False
    // (logged) only when the input system cannot be made.
    bool init() override;
    // Releases every device and the input system and lets the process go.
    void shutdown() override;
    void suspend() override;
    void revive() override;

    void set_active(bool active) override;
    void read_input() override;

    int force_create(int joystick, int type) override;
    void force_destroy(int joystick, int handle) override;
    bool force_change(int joystick, int handle, const void *parameters) override;
    bool force_play(int joystick, int handle, uint32_t iterations, uint32_t solo) override;
    bool force_stop(int joystick, int handle) override;
    bool joy_get_name(int joystick, char *buffer, uint32_t size) override;
    bool joy_get_axis_name(int joystick, int axis, char *buffer, uint32_t size) override;
    int joy_get_count() override;
    bool joy_set_dead_zone(int joystick, float value, int axis, bool remember) override;
    float joy_get_dead_zone(int joystick, int axis) override;
    bool joy_has_force_feedback(int joystick) override;
    // The joystick's effect-type bits (force_type_t); 0 for a bad index.
    uint32_t joy_get_force_types(int joystick);

    // The argument carries the client's profile number.
    bool trackir_init(void *argument) override;
    bool trackir_is_present() override;
    bool trackir_is_active() override;
    float trackir_get_axis_data(int axis) override;
    bool trackir_enable() override;
    bool trackir_disable() override;

    uint32_t get_modifiers() const { return m_modifiers; }
    bool has_keyboard() const { return bool(m_keyboard); }
    bool has_mouse() const { return bool(m_mouse); }
    const joystick_table_t &joysticks() const { return m_joysticks; }

private:
    void setup_mouse(void *window);
    void setup_keyboard(void *window);
    void release_inputs();
    void poll_keyboard();
    void poll_mouse();
    void post(const inp_event_t &event) const { m_plugin.kernel.inp_event(&event); }

    plugin::plugin_state_t &m_plugin;
    void *m_instance;
    input_system_factory_t m_factory;
    settings_source_t &m_settings;
    auto_ptr_t<input_system_i> m_system;
    auto_ptr_t<device_i> m_keyboard;
    auto_ptr_t<device_i> m_mouse;
    joystick_table_t m_joysticks;
    uint32_t m_modifiers = 0;
    auto_ptr_t<head_tracker_t> m_tracker;
    bool m_holds_process = false;
};

}  // namespace quarn::inpdev
