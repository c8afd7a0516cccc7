#include <SDL.h>
#include <gtest/gtest.h>

#include "inpdev_fixture.h"
#include "platform/window.h"
#include "plugins/inpdev/sdl_haptic.h"
#include "plugins/inpdev/sdl_input.h"

namespace quarn::test {
namespace {

using namespace inpdev;

TEST(sdl_input, axis_values_are_scaled_to_the_range_with_the_dead_zone_cut_out) {
    const struct {
        int raw;
        int32_t minimum, maximum;
        uint32_t dead_zone;
        int32_t value;
    } cases[] = {
        {32767, -65535, 65535, 0, 65535},    {-32768, -65535, 65535, 0, -65535}, {0, -65535, 65535, 0, 0},
        {16384, -65535, 65535, 0, 32769},    {16383, -65535, 65535, 5000, 0},    {-16384, -65535, 65535, 5000, 0},
        {24575, -65535, 65535, 5000, 32766}, {-24576, -65535, 65535, 5000, -32768}, {32767, -65535, 65535, 5000, 65535},
        {32767, -65535, 65535, 10000, 0},    {32767, 0, 1000, 0, 1000},          {-32768, 0, 1000, 0, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(sdl_axis_value(c.raw, c.minimum, c.maximum, c.dead_zone), c.value)
            << c.raw << " in " << c.minimum << ".." << c.maximum << " dead zone " << c.dead_zone;
}

TEST(sdl_input, hats_in_hundredths_of_a_degree) {
    const struct {
        unsigned hat;
        uint32_t value;
    } cases[] = {{SDL_HAT_CENTERED, HAT_CENTRED}, {SDL_HAT_UP, 0},         {SDL_HAT_RIGHTUP, 4500},
                 {SDL_HAT_RIGHT, 9000},           {SDL_HAT_RIGHTDOWN, 13500}, {SDL_HAT_DOWN, 18000},
                 {SDL_HAT_LEFTDOWN, 22500},       {SDL_HAT_LEFT, 27000},   {SDL_HAT_LEFTUP, 31500}};
    for (const auto &c : cases) EXPECT_EQ(sdl_hat_value(c.hat), c.value) << c.hat;
}

TEST(sdl_input, raw_scan_codes_are_those_the_key_table_swaps_back) {
    const struct {
        SDL_Scancode key;
        uint32_t raw;
    } cases[] = {{SDL_SCANCODE_A, 30},         {SDL_SCANCODE_RSHIFT, 54},     {SDL_SCANCODE_RCTRL, 157},
                 {SDL_SCANCODE_UP, 200},       {SDL_SCANCODE_NUMLOCKCLEAR, 69}, {SDL_SCANCODE_PAUSE, 197},
                 {SDL_SCANCODE_PRINTSCREEN, 183}, {SDL_SCANCODE_UNKNOWN, 0}};
    for (const auto &c : cases) EXPECT_EQ(sdl_raw_scan_code(c.key), c.raw) << SDL_GetScancodeName(c.key);
}

TEST(sdl_haptic, effects_in_sdl_units) {
    effect_desc_t desc;
    desc.duration = 2500000;
    desc.start_delay = 40000;
    desc.directions[0] = 1;
    desc.directions[1] = -1;
    SDL_HapticEffect e;

    desc.type_block[0] = -5000;
    ASSERT_TRUE(sdl_haptic_effect(EFFECT_CONSTANT, desc, &e));
    EXPECT_EQ(e.type, SDL_HAPTIC_CONSTANT);
    EXPECT_EQ(e.constant.level, -16383);
    EXPECT_EQ(e.constant.length, 2500u);
    EXPECT_EQ(e.constant.delay, 40);
    EXPECT_EQ(e.constant.direction.type, SDL_HAPTIC_CARTESIAN);
    EXPECT_EQ(e.constant.direction.dir[0], 1);
    EXPECT_EQ(e.constant.direction.dir[1], -1);

    desc.duration = INFINITE_DURATION;
    desc.type_block[0] = 10000;
    desc.type_block[1] = -20000;
    ASSERT_TRUE(sdl_haptic_effect(EFFECT_RAMP, desc, &e));
    EXPECT_EQ(e.ramp.length, SDL_HAPTIC_INFINITY);
    EXPECT_EQ(e.ramp.start, 32767);
    EXPECT_EQ(e.ramp.end, -32767) << "clamped to the range";

    const int32_t periodic[4] = {2500, -1000, 9000, 100000000};
    std::copy(periodic, periodic + 4, desc.type_block);
    const struct {
        effect_kind_t kind;
        Uint16 type;
    } waves[] = {{EFFECT_SINE, SDL_HAPTIC_SINE},
                 {EFFECT_TRIANGLE, SDL_HAPTIC_TRIANGLE},
                 {EFFECT_SAWTOOTH_UP, SDL_HAPTIC_SAWTOOTHUP},
                 {EFFECT_SAWTOOTH_DOWN, SDL_HAPTIC_SAWTOOTHDOWN}};
    for (const auto &w : waves) {
        ASSERT_TRUE(sdl_haptic_effect(w.kind, desc, &e)) << w.kind;
        EXPECT_EQ(e.type, w.type);
        EXPECT_EQ(e.periodic.magnitude, 8191);
        EXPECT_EQ(e.periodic.offset, -3276);
        EXPECT_EQ(e.periodic.phase, 9000);
        EXPECT_EQ(e.periodic.period, 65535) << "100 s does not fit SDL's 16-bit milliseconds";
    }

    const int32_t condition[6] = {-10000, 5000, -2500, 10000, 5000, 1000};
    std::copy(condition, condition + 6, desc.type_block);
    const struct {
        effect_kind_t kind;
        Uint16 type;
    } conditions[] = {{EFFECT_SPRING, SDL_HAPTIC_SPRING},
                      {EFFECT_DAMPER, SDL_HAPTIC_DAMPER},
                      {EFFECT_INERTIA, SDL_HAPTIC_INERTIA},
                      {EFFECT_FRICTION, SDL_HAPTIC_FRICTION}};
    for (const auto &c : conditions) {
        ASSERT_TRUE(sdl_haptic_effect(c.kind, desc, &e)) << c.kind;
        EXPECT_EQ(e.type, c.type);
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_EQ(e.condition.center[axis], -32767);
            EXPECT_EQ(e.condition.right_coeff[axis], 16383);
            EXPECT_EQ(e.condition.left_coeff[axis], -8191);
            EXPECT_EQ(e.condition.right_sat[axis], 65535);
            EXPECT_EQ(e.condition.left_sat[axis], 32767);
            EXPECT_EQ(e.condition.deadband[axis], 6553);
        }
    }

    EXPECT_FALSE(sdl_haptic_effect(EFFECT_SQUARE, desc, &e)) << "SDL has no square wave";
    EXPECT_FALSE(sdl_haptic_has(~0u, EFFECT_SQUARE));
    EXPECT_TRUE(sdl_haptic_has(SDL_HAPTIC_SINE, EFFECT_SINE));
    EXPECT_FALSE(sdl_haptic_has(SDL_HAPTIC_SINE, EFFECT_TRIANGLE));
}

// The real device on SDL, headless: the window service on its off-screen driver for
// the queue the pump reads, virtual joysticks for the joysticks.
class sdl_device : public inpdev_fixture_t {
protected:
    void SetUp() override {
        inpdev_fixture_t::SetUp();
        ASSERT_TRUE(platform::window_system_start());
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    }
    void TearDown() override {
        device.reset();
        for (SDL_Joystick *j : m_opened) SDL_JoystickClose(j);
        while (SDL_NumJoysticks() > 0) SDL_JoystickDetachVirtual(0);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        platform::window_system_stop();
        inpdev_fixture_t::TearDown();
    }

    // Attaches a virtual joystick with eight axes, twelve buttons and a hat, and opens
    // it for the test to move.
    SDL_Joystick *attach() {
        const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 8, 12, 1);
        EXPECT_GE(index, 0) << SDL_GetError();
        SDL_Joystick *j = SDL_JoystickOpen(index);
        m_opened.push_back(j);
        return j;
    }
    void start_sdl() {
        device.reset(new input_device_t(plugin, nullptr, sdl_input_system_create, settings));
        ASSERT_TRUE(device->init());
        // What the joysticks report when they are opened is not this test's.
        device->read_input();
        posted().clear();
    }
    static void push(SDL_Event e) { SDL_PushEvent(&e); }

private:
    std::vector<SDL_Joystick *> m_opened;
};

TEST_F(sdl_device, a_virtual_joystick_reaches_the_kernel_through_the_device) {
    SDL_Joystick *joystick = attach();
    start_sdl();
    ASSERT_EQ(device->joy_get_count(), 1);
    char name[64];
    EXPECT_TRUE(device->joy_get_axis_name(0, 3, name, sizeof name));
    EXPECT_STREQ(name, "X Rotation");
    EXPECT_TRUE(device->joy_get_axis_name(0, 6, name, sizeof name));
    EXPECT_STREQ(name, "Slider") << "the eighth axis is past the seven the device takes";
    EXPECT_FLOAT_EQ(device->joy_get_dead_zone(0, 0), 0.9f);

    SDL_JoystickSetVirtualButton(joystick, 3, SDL_PRESSED);
    SDL_JoystickSetVirtualAxis(joystick, 0, 32767);
    SDL_JoystickSetVirtualAxis(joystick, 1, 16000);
    SDL_JoystickSetVirtualHat(joystick, 0, SDL_HAT_RIGHT);
    device->read_input();
    bool button = false, hat = false, axis_x = false, axis_y = false;
    for (const inp_event_t &e : posted()) {
        EXPECT_EQ(e.data[3], 0);
        if (e.type == inp_event_t::JOY_BUTTON_DOWN && e.data[2] == 3) button = true;
        if (e.type == inp_event_t::JOY_AXIS && e.data[4] == -1 && e.data[1] == 9000) hat = true;
        if (e.type == inp_event_t::JOY_AXIS && e.data[4] == 0) axis_x = e.get_float(0) == 65535.0f;
        // Inside the wide dead zone the set-up gives every axis.
        if (e.type == inp_event_t::JOY_AXIS && e.data[4] == 1) axis_y = e.get_float(0) == 0.0f;
    }
    EXPECT_TRUE(button);
    EXPECT_TRUE(hat);
    EXPECT_TRUE(axis_x);
    EXPECT_TRUE(axis_y);

    // Without a dead zone the axis goes through scaled.
    EXPECT_TRUE(device->joy_set_dead_zone(0, 0.0f, -1, false));
    posted().clear();
    SDL_JoystickSetVirtualAxis(joystick, 1, -32768);
    device->read_input();
    ASSERT_FALSE(posted().empty());
    EXPECT_EQ(posted().back().data[4], 1);
    EXPECT_FLOAT_EQ(posted().back().get_float(0), -65535.0f);

    // A joystick attached now waits for the next start.
    attach();
    device->read_input();
    EXPECT_EQ(device->joy_get_count(), 1);
    device->shutdown();
    ASSERT_TRUE(device->init());
    EXPECT_EQ(device->joy_get_count(), 2);
}

TEST_F(sdl_device, keyboard_and_mouse_events_reach_the_device_and_window_events_the_pump) {
    start_sdl();
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.scancode = SDL_SCANCODE_A;
    push(e);
    e.key.repeat = 1;
    push(e);
    e = SDL_Event{};
    e.type = SDL_TEXTINPUT;
    push(e);
    e = SDL_Event{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_RIGHT;
    push(e);
    e = SDL_Event{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.x = 2;
    push(e);
    e.wheel.y = 1;
    push(e);
    e = SDL_Event{};
    e.type = SDL_MOUSEMOTION;
    e.motion.xrel = 5;
    e.motion.yrel = -3;
    push(e);
    e = SDL_Event{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    push(e);

    platform::window_event_t w;
    ASSERT_TRUE(platform::window_poll_event(&w, false));
    EXPECT_EQ(w.type, platform::WINDOW_EVENT_CLOSE);
    EXPECT_FALSE(platform::window_poll_event(&w, false)) << "input stays for the device";

    device->read_input();
    EXPECT_EQ(SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, SDL_TEXTINPUT, SDL_TEXTINPUT), 0) << "text input is dropped";
    ASSERT_EQ(posted().size(), 4u);
    EXPECT_EQ(posted()[0].type, inp_event_t::KEY_DOWN);
    EXPECT_EQ(posted()[0].data[0], 30);
    EXPECT_EQ(posted()[0].data[2], 'a');
    EXPECT_EQ(posted()[1].type, inp_event_t::BUTTON_DOWN);
    EXPECT_EQ(posted()[1].data[0], 2) << "the right button";
    EXPECT_EQ(posted()[2].type, inp_event_t::WHEEL_UP) << "one event for the wheel with a vertical part";
    EXPECT_EQ(posted()[3].type, inp_event_t::MOUSE_MOVE);
    EXPECT_FLOAT_EQ(posted()[3].get_float(0), 5.0f);
    EXPECT_FLOAT_EQ(posted()[3].get_float(1), -3.0f);
}

TEST_F(sdl_device, a_read_takes_at_most_the_buffer_and_leaves_the_rest_queued) {
    start_sdl();
    for (int i = 0; i < 25; ++i) {
        SDL_Event e{};
        e.type = i % 2 ? SDL_KEYUP : SDL_KEYDOWN;
        e.key.keysym.scancode = SDL_SCANCODE_B;
        push(e);
    }
    device->read_input();
    EXPECT_EQ(posted().size(), KEYBOARD_BUFFER_ITEMS);
    posted().clear();
    device->read_input();
    EXPECT_EQ(posted().size(), 5u);
}

TEST_F(sdl_device, input_from_while_inactive_is_not_read_and_the_queue_is_given_back_at_shutdown) {
    start_sdl();
    device->set_active(false);
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.scancode = SDL_SCANCODE_C;
    push(e);
    device->set_active(true);
    device->read_input();
    EXPECT_TRUE(posted().empty());
    device->shutdown();
    EXPECT_EQ(SDL_EventState(SDL_KEYDOWN, SDL_QUERY), SDL_ENABLE);
    EXPECT_EQ(SDL_EventState(SDL_MOUSEMOTION, SDL_QUERY), SDL_ENABLE);
    EXPECT_EQ(SDL_EventState(SDL_TEXTINPUT, SDL_QUERY), SDL_ENABLE);
}

}  // namespace
}  // namespace quarn::test
