#include <gtest/gtest.h>

#include <cstring>

#include "inpdev_fixture.h"
#include "plugins/inpdev/key_table.h"
#include "outside/qrnshared/vprocess.h"

namespace quarn::test {
namespace {

using namespace inpdev;

constexpr uint32_t DOWN = ITEM_PRESSED, UP = 0;

struct key_event_t {
    int32_t type;
    uint32_t modifiers;
    int32_t code, extended, character;
};

class input_device : public inpdev_fixture_t {};

TEST_F(input_device, keyboard_items_become_key_events) {
    struct case_t {
        const char *what;
        std::vector<input_item_t> items;
        std::vector<key_event_t> events;
    };
    const case_t cases[] = {
        {"right shift and a",
         {{54, DOWN}, {30, DOWN}, {30, UP}, {54, UP}, {30, DOWN}},
         {{1, 2, 54, 0, 0}, {1, 2, 30, 0, 'A'}, {0, 2, 30, 0, 'A'}, {0, 0, 54, 0, 0}, {1, 0, 30, 0, 'a'}}},
        {"every modifier",
         {{42, DOWN}, {56, DOWN}, {184, DOWN}, {29, DOWN}, {157, DOWN}, {2, DOWN}, {42, UP}},
         {{1, 0x01, 42, 0, 0},
          {1, 0x05, 56, 0, 0},
          {1, 0x0D, 184, 0x80, 0},
          {1, 0x1D, 29, 0, 0},
          {1, 0x3D, 157, 0x80, 0},
          {1, 0x3D, 2, 0, '!'},
          {0, 0x3C, 42, 0, 0}}},
        {"Num Lock, Pause and SysRq",
         {{69, DOWN}, {197, DOWN}, {183, DOWN}},
         {{1, 0, 197, 0, 0}, {1, 0, 69, 0x80, 0}, {1, 0, 84, 0x80, 0}}},
        {"codes from 128 type nothing",
         {{200, DOWN}, {156, DOWN}, {57, DOWN}, {14, DOWN}},
         {{1, 0, 200, 0x80, 0}, {1, 0, 156, 0x80, 0}, {1, 0, 57, 0, ' '}, {1, 0, 14, 0, 14}}},
    };
    for (const case_t &c : cases) {
        start();
        for (const input_item_t &item : c.items) input_script().keyboard_items.push_back(item);
        device->read_input();
        ASSERT_EQ(posted().size(), c.events.size()) << c.what;
        for (size_t i = 0; i < c.events.size(); ++i) {
            const inp_event_t &e = posted()[i];
            const key_event_t &x = c.events[i];
            EXPECT_EQ(e.type, x.type) << c.what << " #" << i;
            EXPECT_EQ(e.modifiers, x.modifiers) << c.what << " #" << i;
            EXPECT_EQ(e.data[0], x.code) << c.what << " #" << i;
            EXPECT_EQ(e.data[1], x.extended) << c.what << " #" << i;
            EXPECT_EQ(e.data[2], x.character) << c.what << " #" << i;
        }
    }
}

TEST_F(input_device, a_read_takes_at_most_the_buffer_and_leaves_the_rest) {
    start();
    for (int i = 0; i < 25; ++i) input_script().keyboard_items.push_back({30, DOWN});
    device->read_input();
    EXPECT_EQ(posted().size(), KEYBOARD_BUFFER_ITEMS);
    EXPECT_EQ(input_script().keyboard_items.size(), 5u);
}

TEST_F(input_device, mouse_items_become_button_wheel_and_one_motion_event) {
    start();
    input_script().mouse_items = {{MOUSE_X, 3},        {MOUSE_BUTTON_0 + 1, DOWN}, {MOUSE_WHEEL, 120},
                                  {MOUSE_Y, uint32_t(-2)}, {MOUSE_WHEEL, uint32_t(-240)}, {MOUSE_BUTTON_0 + 2, DOWN},
                                  {MOUSE_BUTTON_0, UP}, {MOUSE_BUTTON_0 + 3, DOWN}, {MOUSE_WHEEL, 360},
                                  {MOUSE_X, 4}};
    device->read_input();
    struct expected_t {
        int32_t type, index;
    };
    const expected_t expected[] = {{inp_event_t::BUTTON_DOWN, 2}, {inp_event_t::WHEEL_UP, 0},
                                   {inp_event_t::WHEEL_DOWN, 0},  {inp_event_t::BUTTON_DOWN, 1},
                                   {inp_event_t::BUTTON_UP, 0},   {inp_event_t::WHEEL_UP, 0},
                                   {inp_event_t::MOUSE_MOVE, 0}};
    ASSERT_EQ(posted().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(posted()[i].type, expected[i].type) << i;
        if (expected[i].type != inp_event_t::MOUSE_MOVE) {
            EXPECT_EQ(posted()[i].data[0], expected[i].index) << i;
        }
    }
    EXPECT_FLOAT_EQ(posted().back().get_float(0), 7.0f);
    EXPECT_FLOAT_EQ(posted().back().get_float(1), -2.0f);
}

TEST_F(input_device, joystick_items_become_events_by_offset) {
    input_script().joysticks.push_back(full_joystick("First"));
    input_script().joysticks.push_back(full_joystick("Second"));
    start();
    input_script().joysticks[1].items = {{48, DOWN},   {48 + 31, UP}, {48 + 32, DOWN}, {32, 9000}, {32, HAT_CENTRED},
                                         {36, 18000},  {0, uint32_t(-500)}, {24, 65535}, {28, 7}, {100, 1}};
    device->read_input();
    struct expected_t {
        int32_t type, button, hat, axis;
        float value;
    };
    const expected_t expected[] = {{inp_event_t::JOY_BUTTON_DOWN, 0, 0, -1, 0.0f},
                                   {inp_event_t::JOY_BUTTON_UP, 31, 0, -1, 0.0f},
                                   {inp_event_t::JOY_AXIS, 0, 9000, -1, 0.0f},
                                   {inp_event_t::JOY_AXIS, 0, -1, -1, 0.0f},
                                   {inp_event_t::JOY_AXIS, 0, 0, 0, -500.0f},
                                   {inp_event_t::JOY_AXIS, 0, 0, 6, 65535.0f}};
    ASSERT_EQ(posted().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const inp_event_t &e = posted()[i];
        EXPECT_EQ(e.type, expected[i].type) << i;
        EXPECT_EQ(e.data[3], 1) << "the joystick's index, event " << i;
        EXPECT_EQ(e.data[4], expected[i].axis) << i;
        if (e.type != inp_event_t::JOY_AXIS) {
            EXPECT_EQ(e.data[2], expected[i].button) << i;
        } else if (expected[i].axis < 0) {
            EXPECT_EQ(e.data[1], expected[i].hat) << i;
        } else {
            EXPECT_FLOAT_EQ(e.get_float(0), expected[i].value) << i;
        }
    }
}

TEST_F(input_device, lost_input_is_acquired_again_and_read_once_more) {
    struct case_t {
        const char *device, *read;
        result_t first, second;
        bool delivered;
    };
    const case_t cases[] = {
        {"keyboard", "keyboard.read", ERR_INPUT_LOST, RESULT_OK, true},
        {"keyboard", "keyboard.read", ERR_NOT_ACQUIRED, ERR_NOT_ACQUIRED, false},
        {"mouse", "mouse.read", ERR_NOT_ACQUIRED, RESULT_OK, true},
        {"mouse", "mouse.read", ERR_INPUT_LOST, ERR_INPUT_LOST, false},
        {"joy0", "joy0.poll", ERR_INPUT_LOST, RESULT_OK, true},
        {"joy0", "joy0.poll", ERR_INPUT_LOST, ERR_NOT_ACQUIRED, false},
        {"keyboard", "keyboard.read", ERR_GENERIC, RESULT_OK, false},
    };
    for (const case_t &c : cases) {
        restart();
        start(1);
        input_script().keyboard_items = {{30, DOWN}};
        input_script().mouse_items = {{MOUSE_BUTTON_0, DOWN}};
        input_script().joysticks[0].items = {{48, DOWN}};
        input_script().fail(c.read, c.first);
        input_script().fail(c.read, c.second);
        device->read_input();
        const std::string d = c.device;
        const bool retried = needs_acquire(c.first);
        EXPECT_EQ(input_script().count(d + ".acquire"), retried ? 1 : 0) << c.read;
        EXPECT_EQ(input_script().count(c.read), retried ? 2 : 1) << c.read;
        const int32_t type = d == "keyboard" ? inp_event_t::KEY_DOWN
                             : d == "mouse"  ? inp_event_t::BUTTON_DOWN
                                             : inp_event_t::JOY_BUTTON_DOWN;
        bool seen = false;
        for (const inp_event_t &e : posted()) seen |= e.type == type;
        EXPECT_EQ(seen, c.delivered) << c.read << " " << c.first << " then " << c.second;
    }
}

TEST_F(input_device, each_set_up_failure_is_logged_with_its_code_and_leaves_that_device_out) {
    struct case_t {
        const char *operation;
        const char *logged;
        bool keyboard, mouse, joystick_device;
        int joysticks;
    };
    const case_t cases[] = {
        {"system.create_mouse", "[inpdev] Can not create mouse input device (error code: 0x80040001).", true, false,
         true, 1},
        {"mouse.set_data_format", "[inpdev] Can not set mouse data format (error code: 0x80040001).", true, false,
         true, 1},
        {"mouse.set_cooperative_level", "[inpdev] Can not set mouse cooperative level (error code: 0x80040001).",
         true, false, true, 1},
        {"mouse.set_buffer_size", "[inpdev] Can set mouse buffered input (error code: 0x80040001).", true, false,
         true, 1},
        {"mouse.acquire", "[inpdev] Failed to acquire mouse (error code: 0x80040001).", true, true, true, 1},
        {"system.create_keyboard", "[inpdev] Can not create keyboard input device (error code: 0x80040001).", false,
         true, true, 1},
        {"keyboard.set_data_format", "[inpdev] Can not set keyboard data format (error code: 0x80040001).", false,
         true, true, 1},
        {"keyboard.set_cooperative_level",
         "[inpdev] Can not set keyboard cooperative level (error code: 0x80040001).", false, true, true, 1},
        {"keyboard.set_buffer_size", "[inpdev] Can not set keyboard buffered input (error code: 0x80040001).", false,
         true, true, 1},
        {"system.create_joy0", "[inpdev] Can not create joystick input device (error code: 0x80040001).", true, true,
         false, 0},
        {"joy0.set_data_format", "[inpdev] Can not set joystick data format (error code: 0x80040001).", true, true,
         false, 1},
        {"joy0.set_cooperative_level", "[inpdev] Can not set joystick cooperative level (error code: 0x80040001).",
         true, true, false, 1},
        {"joy0.set_buffer_size", "[inpdev] Can set joystick buffered input (error code: 0x80040001).", true, true,
         false, 1},
        {"joy0.set_auto_center", "[inpdev] Error disabling joystick autocenter (error code: 0x80040001).", true,
         true, true, 1},
        {"joy0.set_absolute_axes", "[inpdev] Error setting joystick axis mode (error code: 0x80040001).", true, true,
         true, 1},
    };
    for (const case_t &c : cases) {
        reset_input_script();
        input_script().joysticks.push_back(full_joystick("Pad"));
        input_script().fail(c.operation, ERR_GENERIC);
        log.clear();
        device.reset(new input_device_t(plugin, nullptr, scripted_input_create, settings));
        EXPECT_TRUE(device->init()) << c.operation;
        EXPECT_TRUE(log.contains(c.logged)) << c.operation;
        EXPECT_EQ(device->has_keyboard(), c.keyboard) << c.operation;
        EXPECT_EQ(device->has_mouse(), c.mouse) << c.operation;
        ASSERT_EQ(device->joy_get_count(), c.joysticks) << c.operation;
        if (c.joysticks) {
            EXPECT_EQ(bool(device->joysticks().record(0)->device), c.joystick_device) << c.operation;
            // A joystick without its device answers as one without force feedback.
            EXPECT_EQ(device->force_create(0, 2), c.joystick_device ? 0 : -1) << c.operation;
        }
        device.reset();
    }
}

TEST_F(input_device, without_an_input_system_init_fails) {
    input_script().fail("system.create", ERR_OUT_OF_MEMORY);
    device.reset(new input_device_t(plugin, nullptr, scripted_input_create, settings));
    EXPECT_FALSE(device->init());
    EXPECT_TRUE(log.contains("[inpdev] Can not create Direct Input device (error code: 0x80040007)."));
}

TEST_F(input_device, eleven_joysticks_give_ten) {
    for (int i = 0; i < 11; ++i) input_script().joysticks.push_back(full_joystick("Pad " + std::to_string(i)));
    device.reset(new input_device_t(plugin, nullptr, scripted_input_create, settings));
    ASSERT_TRUE(device->init());
    EXPECT_EQ(device->joy_get_count(), 10);
    char name[32];
    EXPECT_TRUE(device->joy_get_name(9, name, sizeof name));
    EXPECT_STREQ(name, "Pad 9");
    EXPECT_FALSE(device->joy_get_name(10, name, sizeof name));
    // The eleventh was made and let go again at once.
    EXPECT_EQ(input_script().count("system.create_joy10"), 1);
    EXPECT_EQ(input_script().count("joy10.release"), 1);
    EXPECT_TRUE(log.contains("[inpdev] Joystick/GamePad device: \\bPad 9"));
    EXPECT_FALSE(log.contains("Pad 10"));
}

TEST_F(input_device, two_sliders_leave_the_last_in_the_seventh_record_and_both_counted) {
    scripted_joystick_t pad = full_joystick("Two sliders");
    pad.axes = {{AXIS_X, "X"}, {AXIS_Y, "Y"}, {AXIS_SLIDER, "Throttle"}, {AXIS_SLIDER, "Brake"}};
    input_script().joysticks.push_back(pad);
    start();
    const joystick_t *joy = device->joysticks().record(0);
    EXPECT_EQ(joy->axis_count, 4u);
    char name[32];
    EXPECT_TRUE(device->joy_get_axis_name(0, 6, name, sizeof name));
    EXPECT_STREQ(name, "Brake");
    EXPECT_TRUE(joy->axes[6].present);
    EXPECT_FALSE(joy->axes[2].present);
}

TEST_F(input_device, axes_whose_range_is_refused_are_skipped_and_seven_end_the_list) {
    scripted_joystick_t pad = full_joystick("Many");
    pad.axes.insert(pad.axes.begin(), {AXIS_RZ, "Refused"});
    pad.axes.push_back({AXIS_SLIDER, "Eighth"});
    input_script().joysticks.push_back(pad);
    input_script().fail("joy0.set_range0", ERR_UNSUPPORTED);
    start();
    const joystick_t *joy = device->joysticks().record(0);
    EXPECT_EQ(joy->axis_count, 7u);
    EXPECT_STREQ(joy->axes[5].name, "Rudder");
    EXPECT_STREQ(joy->axes[6].name, "Slider") << "the eighth axis is past the end of the list";
    EXPECT_EQ(joy->force_axis_count, 2u);
}

TEST_F(input_device, axis_names) {
    scripted_joystick_t pad = full_joystick("Names");
    pad.axes[1].name = "";
    input_script().joysticks.push_back(pad);
    start();
    struct case_t {
        int joystick, axis;
        uint32_t size;
        bool result;
        const char *text;
    };
    const case_t cases[] = {
        {0, 0, 32, true, "Stick X"}, {0, 0, 4, true, "Sti"},      {0, 1, 32, true, "Unknown axis"},
        {0, 2, 32, true, "Throttle"}, {0, 7, 32, false, "no axis"}, {0, -1, 32, false, "no axis"},
        {1, 0, 32, false, "no axis"}, {-1, 0, 3, false, "no"},
    };
    for (const case_t &c : cases) {
        char buffer[32];
        memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(device->joy_get_axis_name(c.joystick, c.axis, buffer, c.size), c.result) << c.joystick << c.axis;
        EXPECT_STREQ(buffer, c.text) << c.joystick << "/" << c.axis;
    }
    // A buffer of no bytes gets nothing written.
    char untouched = 'x';
    EXPECT_TRUE(device->joy_get_axis_name(0, 0, &untouched, 0));
    EXPECT_TRUE(device->joy_get_name(0, &untouched, 0));
    EXPECT_EQ(untouched, 'x');
}

TEST_F(input_device, dead_zones_and_their_refusals) {
    scripted_joystick_t pad = full_joystick("Pad");
    pad.axes = {{AXIS_X, "X"}, {AXIS_Y, "Y"}, {AXIS_SLIDER, "S"}};
    input_script().joysticks.push_back(pad);
    start();
    scripted_joystick_t &joy = input_script().joysticks[0];
    // Set-up gave the first axis_count records 0.9: X and Y; Z is absent and refused.
    EXPECT_EQ(joy.dead_zones[0x10], 9000u);
    EXPECT_EQ(joy.dead_zones[0x11], 9000u);
    EXPECT_EQ(joy.dead_zones.count(0x12), 0u);
    EXPECT_FLOAT_EQ(device->joy_get_dead_zone(0, 1), 0.9f);

    struct case_t {
        int joystick, axis;
        float value;
        bool result;
    };
    const case_t cases[] = {{-1, 0, 0.5f, false}, {1, 0, 0.5f, false}, {0, -2, 0.5f, false}, {0, 7, 0.5f, false},
                            {0, 2, 0.5f, false},  {0, 6, 0.25f, true}, {0, -1, 0.1f, true},  {0, 0, 2.0f, true}};
    for (const case_t &c : cases)
        EXPECT_EQ(device->joy_set_dead_zone(c.joystick, c.value, c.axis, false), c.result) << c.joystick << c.axis;
    EXPECT_EQ(joy.dead_zones[0x12], 2500u) << "the slider's object";
    EXPECT_EQ(joy.whole_dead_zone, 1000);
    EXPECT_EQ(joy.dead_zones[0x10], 10000u) << "clamped to the whole range";
    EXPECT_FLOAT_EQ(device->joy_get_dead_zone(0, 6), 0.25f);
    EXPECT_EQ(device->joy_get_dead_zone(0, 2), 0.0f) << "absent";
    EXPECT_EQ(device->joy_get_dead_zone(0, 7), 0.0f);
    EXPECT_EQ(device->joy_get_dead_zone(3, 0), 0.0f);
    input_script().fail("joy0.get_dead_zone", ERR_GENERIC);
    EXPECT_EQ(device->joy_get_dead_zone(0, 0), 0.0f);
    EXPECT_TRUE(log.contains("[inpdev] Error getting deadzone (error code: 0x80040001)."));
}

TEST_F(input_device, force_effects_fill_64_slots) {
    start(1);
    EXPECT_TRUE(device->joy_has_force_feedback(0));
    EXPECT_EQ(device->joy_get_force_types(0), uint32_t(FORCE_CONSTANT | FORCE_RAMP | FORCE_PERIODIC | FORCE_CONDITION));
    for (int i = 0; i < EFFECT_SLOTS; ++i) ASSERT_EQ(device->force_create(0, 2), i);
    EXPECT_EQ(device->force_create(0, 2), -1);
    EXPECT_TRUE(log.contains("[inpdev] Can not create force-feedback effect - queue is full."));
    // A freed slot is the next one taken.
    device->force_destroy(0, 17);
    EXPECT_EQ(device->force_create(0, 4), 17);
    EXPECT_EQ(input_script().effects.back().kind, EFFECT_RAMP);
}

TEST_F(input_device, force_requests_that_are_refused) {
    scripted_joystick_t plain = full_joystick("No force");
    plain.effect_kinds.clear();
    scripted_joystick_t no_square = full_joystick("No square");
    no_square.effect_kinds.erase(no_square.effect_kinds.begin() + 2);
    input_script().joysticks = {plain, no_square};
    start();
    log.clear();
    EXPECT_EQ(device->force_create(0, 2), -1);
    EXPECT_TRUE(log.entries().empty()) << "a joystick without force feedback refuses silently";
    EXPECT_FALSE(device->joy_has_force_feedback(0));
    EXPECT_EQ(device->joy_get_force_types(0), 0u);
    EXPECT_EQ(device->force_create(1, 65), -1);
    EXPECT_TRUE(log.contains("[inpdev] Can not create force-feedback effect type 65 on joystick 1 (error code: "
                             "0x80040005)."));
    EXPECT_EQ(device->force_create(-1, 2), -1);
    EXPECT_EQ(device->force_create(2, 2), -1);
    const int32_t words[EFFECT_WORDS] = {};
    for (int slot : {-1, 64, 5}) {
        EXPECT_FALSE(device->force_change(1, slot, words)) << slot;
        EXPECT_FALSE(device->force_play(1, slot, 1, 0)) << slot;
        EXPECT_FALSE(device->force_stop(1, slot)) << slot;
        device->force_destroy(1, slot);
    }
    EXPECT_FALSE(device->force_change(-1, 0, words));
    EXPECT_FALSE(device->force_play(7, 0, 1, 0));
}

TEST_F(input_device, force_change_hands_the_parameters_to_the_effect) {
    start(1);
    struct case_t {
        int32_t type;
        effect_kind_t kind;
        uint32_t words, update;
        std::vector<int32_t> block;
    };
    const uint32_t ALL = UPDATE_DURATION | UPDATE_GAIN | UPDATE_DIRECTION | UPDATE_TYPE_PARAMS;
    const case_t cases[] = {
        {2, EFFECT_CONSTANT, 1, ALL, {103}},
        {4, EFFECT_RAMP, 2, ALL, {105, 106}},
        {66, EFFECT_SINE, 4, ALL, {103, 104, 106, 105}},
        {69, EFFECT_SAWTOOTH_DOWN, 4, ALL, {103, 104, 106, 105}},
        {70, EFFECT_SPRING, 6, ALL & ~UPDATE_DIRECTION, {104, 106, 105, 107, 108, 109}},
        {73, EFFECT_FRICTION, 6, ALL & ~UPDATE_DIRECTION, {104, 106, 105, 107, 108, 109}},
    };
    const int32_t words[EFFECT_WORDS] = {3000, -4000, 0, 103, 104, 105, 106, 107, 108, 109};
    for (const case_t &c : cases) {
        const int slot = device->force_create(0, c.type);
        ASSERT_GE(slot, 0) << c.type;
        const scripted_effect_t &made = input_script().effects.back();
        EXPECT_EQ(made.kind, c.kind) << c.type;
        EXPECT_EQ(made.desc.type_words, c.words) << c.type;
        EXPECT_EQ(made.desc.duration, 0u);
        EXPECT_EQ(made.desc.gain, 10000u);
        EXPECT_EQ(made.desc.axis_count, 2u);
        EXPECT_TRUE(device->force_change(0, slot, words)) << c.type;
        const scripted_effect_t &changed = input_script().effects.back();
        EXPECT_EQ(changed.last_update, c.update) << c.type;
        EXPECT_EQ(changed.desc.duration, INFINITE_DURATION) << "0 is until stopped";
        EXPECT_EQ(changed.desc.directions[0], 3000);
        EXPECT_EQ(changed.desc.directions[1], -4000);
        EXPECT_EQ(std::vector<int32_t>(changed.desc.type_block, changed.desc.type_block + c.words), c.block) << c.type;
    }
    // A type code outside the table makes a constant force without a block and is
    // never changed.
    const int other = device->force_create(0, 99);
    EXPECT_EQ(input_script().effects.back().kind, EFFECT_CONSTANT);
    EXPECT_EQ(input_script().effects.back().desc.type_words, 0u);
    const int sets = input_script().count("joy0.effect" + std::to_string(input_script().effects.size() - 1) +
                                          ".set_parameters");
    EXPECT_TRUE(device->force_change(0, other, words));
    EXPECT_EQ(input_script().count("joy0.effect" + std::to_string(input_script().effects.size() - 1) +
                                   ".set_parameters"),
              sets);
}

TEST_F(input_device, a_refused_change_is_reported_and_its_parameters_kept) {
    start(1);
    const int slot = device->force_create(0, 66);
    input_script().fail("joy0.effect0.set_parameters", ERR_INVALID_PARAM);
    const int32_t words[EFFECT_WORDS] = {1, 2, 500000, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_FALSE(device->force_change(0, slot, words));
    EXPECT_TRUE(log.contains("[inpdev] Can not change force-feedback effect 0 on joystick 0 (error code: 0x80040004)."));
    EXPECT_EQ(memcmp(device->joysticks().record(0)->slots[slot].parameters, words, sizeof words), 0);
    EXPECT_EQ(input_script().effects[0].desc.duration, 500000u);
}

TEST_F(input_device, play_and_stop_go_to_the_effect) {
    start(1);
    const int slot = device->force_create(0, 2);
    EXPECT_TRUE(device->force_play(0, slot, 3, 1));
    EXPECT_TRUE(device->force_stop(0, slot));
    input_script().fail("joy0.effect0.start", ERR_GENERIC);
    EXPECT_FALSE(device->force_play(0, slot, 1, 0));
    device->force_destroy(0, slot);
    EXPECT_FALSE(input_script().effects[0].alive);
    EXPECT_FALSE(device->force_play(0, slot, 1, 0)) << "a free slot";
}

TEST_F(input_device, suspend_and_revive_restore_effects_in_their_slots_and_stored_dead_zones) {
    start(1);
    const int32_t first[EFFECT_WORDS] = {1, 0, 100, 2000, 0, 0, 0, 0, 0, 0};
    const int32_t second[EFFECT_WORDS] = {0, 1, 200, 0, 0, 300, 400, 0, 0, 0};
    const int32_t third[EFFECT_WORDS] = {0, 0, 300, 0, 10, 20, 30, 40, 50, 60};
    ASSERT_EQ(device->force_create(0, 2), 0);
    ASSERT_EQ(device->force_create(0, 4), 1);
    ASSERT_EQ(device->force_create(0, 71), 2);
    device->force_change(0, 0, first);
    device->force_change(0, 1, second);
    device->force_change(0, 2, third);
    device->force_destroy(0, 1);
    EXPECT_TRUE(device->joy_set_dead_zone(0, 0.3f, 1, true));
    EXPECT_TRUE(device->joy_set_dead_zone(0, 0.6f, 2, false));

    device->suspend();
    EXPECT_EQ(device->state, hw_device_t::SHUT_DOWN);
    for (const scripted_effect_t &e : input_script().effects) EXPECT_FALSE(e.alive);
    const size_t before = input_script().effects.size();
    input_script().joysticks[0].dead_zones.clear();
    device->revive();
    EXPECT_EQ(device->state, hw_device_t::RUNNING);

    ASSERT_EQ(input_script().effects.size(), before + 3) << "the destroyed one came back too";
    const struct {
        effect_kind_t kind;
        const int32_t *words;
        uint32_t duration;
    } expected[] = {{EFFECT_CONSTANT, first, 100}, {EFFECT_RAMP, second, 200}, {EFFECT_DAMPER, third, 300}};
    for (int slot = 0; slot < 3; ++slot) {
        const scripted_effect_t &e = input_script().effects[before + size_t(slot)];
        EXPECT_TRUE(e.alive) << slot;
        EXPECT_EQ(e.kind, expected[slot].kind) << slot;
        EXPECT_EQ(e.desc.duration, expected[slot].duration) << slot;
        EXPECT_TRUE(device->force_play(0, slot, 1, 0)) << "in its slot again: " << slot;
    }
    EXPECT_EQ(input_script().effects[before].desc.type_block[0], 2000);
    EXPECT_EQ(input_script().effects[before + 1].desc.type_block[1], 400);
    scripted_joystick_t &joy = input_script().joysticks[0];
    EXPECT_EQ(joy.dead_zones[0x11], 3000u) << "the stored dead zone is applied again";
    EXPECT_EQ(joy.dead_zones[0x12], 9000u) << "one set without storing is not";
    EXPECT_TRUE(device->is_active());
}

TEST_F(input_device, activity_acquires_and_unacquires_everything) {
    start(1);
    device->force_create(0, 2);
    device->set_active(false);
    EXPECT_FALSE(input_script().keyboard_acquired);
    EXPECT_FALSE(input_script().mouse_acquired);
    EXPECT_FALSE(input_script().joysticks[0].acquired);
    input_script().keyboard_items = {{30, DOWN}};
    device->read_input();
    EXPECT_TRUE(posted().empty()) << "an inactive device reads nothing";
    device->set_active(false);
    EXPECT_EQ(input_script().count("keyboard.unacquire"), 1) << "no change, nothing done";
    input_script().fail("mouse.acquire", ERR_GENERIC);
    device->set_active(true);
    EXPECT_TRUE(input_script().keyboard_acquired);
    EXPECT_TRUE(input_script().joysticks[0].acquired);
    EXPECT_EQ(input_script().effects[0].starts, 1) << "effects start once when the joystick is acquired";
    EXPECT_TRUE(log.contains("[inpdev] Failed to acquire mouse (error code: 0x80040001)."));
}

TEST_F(input_device, keyboard_acquisition_clears_the_modifiers) {
    start();
    input_script().keyboard_items = {{42, DOWN}};
    device->read_input();
    EXPECT_EQ(device->get_modifiers(), uint32_t(MOD_LEFT_SHIFT));
    device->set_active(false);
    EXPECT_EQ(device->get_modifiers(), 0u);
}

TEST_F(input_device, an_initialised_device_holds_the_plug_in_process) {
    struct idle_process_t : vprocess_t {
        idle_process_t() : vprocess_t(0) {}
    } process;
    plugin.process = &process;
    start();
    EXPECT_EQ(process.hold_count, 1);
    EXPECT_TRUE(device->init());
    EXPECT_EQ(process.hold_count, 1) << "a second init holds it once";
    device->shutdown();
    EXPECT_EQ(process.hold_count, 0);
    EXPECT_EQ(device->state, hw_device_t::SHUT_DOWN);
    device->shutdown();
    EXPECT_EQ(process.hold_count, 0);
    device.reset();
    plugin.process = nullptr;
    EXPECT_EQ(plugin.device, nullptr) << "the device clears the plug-in's pointer";
}

}  // namespace
}  // namespace quarn::test
