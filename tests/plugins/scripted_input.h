#pragma once
// A scripted input layer for the input device's tests. The test writes a script: the
// joysticks attached (name, axes, effects), the items each device has waiting, and
// the result any operation gives next; the fake answers from it and records every
// operation as "device.operation" (devices "system", "keyboard", "mouse", "joy0",
// "joy1", ...; effects as "joy0.effect3.start" with the effect's number of creation).
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "plugins/inpdev/input_api.h"

namespace quarn::test {

using namespace quarn::inpdev;

struct scripted_axis_t {
    axis_kind_t kind;
    std::string name;
    bool actuator = false;
};

struct scripted_effect_t {
    effect_kind_t kind;
    effect_desc_t desc;       // as made, then as last changed
    uint32_t last_update = 0;  // what the last change updated
    int starts = 0;
    bool alive = true;
};

struct scripted_joystick_t {
    std::string name;
    std::vector<scripted_axis_t> axes;
    std::vector<effect_kind_t> effect_kinds;
    uint32_t buttons = 12;
    std::deque<input_item_t> items;
    // Dead zones as the device was last told: by object type, and for the whole device.
    std::map<uint32_t, uint32_t> dead_zones;
    int whole_dead_zone = -1;
    bool acquired = false;
};

struct input_script_t {
    // The result of the named operation's next calls, first to last; an operation
    // with nothing scripted succeeds.
    std::map<std::string, std::deque<result_t>> next;
    // Results of every call of an operation, after the scripted ones.
    std::map<std::string, result_t> always;
    std::vector<std::string> calls;

    std::deque<input_item_t> keyboard_items, mouse_items;
    bool keyboard_acquired = false, mouse_acquired = false;
    std::vector<scripted_joystick_t> joysticks;
    std::vector<scripted_effect_t> effects;

    // Records the call and gives its result.
    result_t answer(const std::string &operation);
    void fail(const std::string &operation, result_t code, int times = 1) {
        for (int i = 0; i < times; ++i) next[operation].push_back(code);
    }
    // How often an operation was called.
    int count(const std::string &operation) const;
};

// The script the fake answers from; reset for each test.
input_script_t &input_script();
void reset_input_script();
// The factory the device is made with.
result_t scripted_input_create(void *instance, auto_ptr_t<input_system_i> &out);
// A joystick with the six axes and a slider, and every kind of effect.
scripted_joystick_t full_joystick(const std::string &name);

}  // namespace quarn::test
