#pragma once
// An input device for the input front-end's tests. It is what the input plug-in is:
// an inp_device_t of the input layer, inserted into the device registry, posting its
// events through the layer's post_event (the kernel's exported inp_event, bound by
// name) when the front-end lets it read its input. Its input comes from a script:
// one list of events per input frame. It records every call the front-end makes.
#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "outside/ctlbase/inp_device.h"

namespace quarn::test {

class scripted_input_device_t : public inp_device_t {
public:
    explicit scripted_input_device_t(const char *device_name = "inpdev", int joysticks = 0)
        : inp_device_t(device_name), joystick_count(joysticks) {}

    // ---- the script ----

    // Events for the next frame that has none yet.
    scripted_input_device_t &frame(std::vector<inp_event_t> events) {
        script.push_back(std::move(events));
        return *this;
    }
    static inp_event_t key(int code, bool down, char character = 0, uint32_t modifiers = 0) {
        inp_event_t e;
        e.type = down ? inp_event_t::KEY_DOWN : inp_event_t::KEY_UP;
        e.modifiers = modifiers;
        e.data[0] = code;
        e.data[2] = static_cast<unsigned char>(character);
        return e;
    }
    static inp_event_t button(int index, bool down) {
        inp_event_t e;
        e.type = down ? inp_event_t::BUTTON_DOWN : inp_event_t::BUTTON_UP;
        e.data[0] = index;
        return e;
    }
    static inp_event_t wheel(bool up) {
        inp_event_t e;
        e.type = up ? inp_event_t::WHEEL_UP : inp_event_t::WHEEL_DOWN;
        e.data[0] = 120;
        return e;
    }
    static inp_event_t motion(float dx, float dy) {
        inp_event_t e;
        e.type = inp_event_t::MOUSE_MOVE;
        e.set_float(0, dx);
        e.set_float(1, dy);
        return e;
    }
    static inp_event_t joy_button(int joystick, int index, bool down) {
        inp_event_t e;
        e.type = down ? inp_event_t::JOY_BUTTON_DOWN : inp_event_t::JOY_BUTTON_UP;
        e.data[2] = index;
        e.data[3] = joystick;
        e.data[4] = -1;
        return e;
    }
    static inp_event_t joy_pov(int joystick, int angle) {
        inp_event_t e;
        e.type = inp_event_t::JOY_AXIS;
        e.data[1] = angle;
        e.data[3] = joystick;
        e.data[4] = -1;
        return e;
    }
    static inp_event_t joy_axis(int joystick, int axis, float value) {
        inp_event_t e;
        e.type = inp_event_t::JOY_AXIS;
        e.set_float(0, value);
        e.data[3] = joystick;
        e.data[4] = axis;
        return e;
    }

    // ---- the device ----

    bool init() override {
        record("init");
        return init_result;
    }
    void shutdown() override {
        record("shutdown");
        state = SHUT_DOWN;
    }
    void suspend() override { record("suspend"); }
    void revive() override { record("revive"); }
    void set_active(bool active) override {
        record(active ? "active 1" : "active 0");
        inp_device_t::set_active(active);
    }
    void read_input() override {
        ++reads;
        if (script.empty()) return;
        for (const inp_event_t &e : script.front()) post_event(&e);
        script.pop_front();
    }

    int joy_get_count() override { return joystick_count; }
    bool joy_get_name(int joystick, char *buffer, uint32_t size) override {
        if (joystick < 0 || joystick >= joystick_count) return inp_device_t::joy_get_name(joystick, buffer, size);
        snprintf(buffer, size, "Stick %d", joystick);
        return true;
    }
    bool joy_has_force_feedback(int joystick) override { return joystick == 1; }
    bool joy_set_dead_zone(int joystick, float value, int axis, bool remember) override {
        char line[96];
        snprintf(line, sizeof line, "dead zone %d %.1f %d %d", joystick, double(value), axis, remember ? 1 : 0);
        record(line);
        return true;
    }
    float joy_get_dead_zone(int, int) override { return 0.25f; }
    int force_create(int joystick, int type) override {
        record("force create " + std::to_string(joystick) + " " + std::to_string(type));
        return 7;
    }
    bool force_stop(int joystick, int handle) override {
        record("force stop " + std::to_string(joystick) + " " + std::to_string(handle));
        return false;
    }

    int count(const std::string &line) const { return int(std::count(calls.begin(), calls.end(), line)); }
    void record(const std::string &line) { calls.push_back(line); }

    std::deque<std::vector<inp_event_t>> script;
    std::vector<std::string> calls;
    int reads = 0;
    bool init_result = true;
    int joystick_count;
};

}  // namespace quarn::test
