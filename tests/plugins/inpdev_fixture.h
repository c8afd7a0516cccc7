#pragma once
// The input device on the scripted input layer, with the kernel's inp_event replaced
// by a recorder, for tests of what the device does with its input layer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/input/inp_event.h"
#include "plugins/inpdev/input_device.h"
#include "scripted_input.h"
#include "support/message_capture.h"

namespace quarn::test {

// A settings store with the values a test puts in it.
class fake_settings_t : public inpdev::settings_source_t {
public:
    bool read_text(const char *key, const char *name, mstring_dyn_t &out) override {
        ++reads;
        if (!has_value || key_seen != key || name_seen != name) return false;
        return out.copy(value.c_str());
    }
    void set(const std::string &key, const std::string &name, const std::string &text) {
        key_seen = key;
        name_seen = name;
        value = text;
        has_value = true;
    }

    bool has_value = false;
    std::string key_seen, name_seen, value;
    int reads = 0;
};

class inpdev_fixture_t : public ::testing::Test {
protected:
    void SetUp() override {
        reset_input_script();
        posted().clear();
        plugin.kernel.set_call(plugin::CALL_INP_EVENT, reinterpret_cast<void *>(&record_event));
    }
    void TearDown() override {
        device.reset();
        reset_input_script();
    }

    // Forgets the device and the script.
    void restart() {
        device.reset();
        reset_input_script();
    }
    // The device, started on the script with `joysticks` full joysticks (or those the
    // test put in the script); the calls and events of the start are forgotten.
    inpdev::input_device_t &start(int joysticks = 0) {
        for (int i = 0; i < joysticks; ++i) input_script().joysticks.push_back(full_joystick("Pad " + std::to_string(i)));
        device.reset(new inpdev::input_device_t(plugin, nullptr, scripted_input_create, settings));
        EXPECT_TRUE(device->init());
        input_script().calls.clear();
        posted().clear();
        return *device;
    }

    static std::vector<inp_event_t> &posted() {
        static std::vector<inp_event_t> events;
        return events;
    }
    static void record_event(const inp_event_t *e) { posted().push_back(*e); }

    plugin::plugin_state_t plugin{"inpdev"};
    fake_settings_t settings;
    auto_ptr_t<inpdev::input_device_t> device;
    message_capture_t log;
};

}  // namespace quarn::test
