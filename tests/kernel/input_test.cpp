#include "kernel/input/input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/console/commands.h"
#include "kernel/console/cvars.h"
#include "kernel/hw_devices.h"
#include "kernel/oswindow.h"
#include "kernel_fixture.h"
#include "outside/ctlbase/ctlbase.h"
#include "outside/qrnshared/def_pool.h"
#include "qrncore/system/dl_lib.h"
#include "scripted_input_device.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

using dev = scripted_input_device_t;

constexpr int FORWARD = 100, MLEFT = 110, MRIGHT = 111, MLOOKUP = 112, MLOOKDOWN = 113, FIRE = 130, RELOAD = 131;

const inp_impulse_name_t game_impulses[] = {
    {FORWARD, "forward"}, {MLEFT, "mleft"},     {MRIGHT, "mright"},      {MLOOKUP, "mlookup"},
    {MLOOKDOWN, "mlookdown"}, {FIRE, "weap_fire"}, {RELOAD, "weap_reload"}, {-3, "below"},
    {255, "above"},       {0, nullptr}};

// Runs of the command "count"; its first word after the name is remembered too.
int count_runs = 0;
std::string count_word;
int cmd_count(const cmd_context_t *c) {
    ++count_runs;
    count_word = c->argc() > 1 ? c->argv(1) : "";
    return cmd_t::DONE;
}
cmd_t count_command("count", cmd_count);

// The front-end started as at boot, with the input layer bound to this program (as
// the plug-in's device reaches the kernel) and a command that counts its runs.
class input_front_end : public kernel_fixture_t {
protected:
    void SetUp() override {
        kernel_fixture_t::SetUp();
        ctlbase_init(dl_lib_t::get_main_handle());
        cmd_register_command(&count_command);
        count_runs = 0;
        inp_start();
    }
    void TearDown() override {
        kernel_fixture_t::TearDown();
        inp_stop();
        cmd_unregister_command(&count_command);
        while (hw_device_count() > 0) hw_device_remove(hw_device_get(0));
        ctlbase_shutdown();
    }

    // The scripted device registered and picked, input active, impulses handled.
    dev &use_device(int joysticks = 0) {
        device.joystick_count = joysticks;
        hw_device_insert(&device);
        inp_init_input(game_impulses);
        EXPECT_EQ(inp_current_device(), &device);
        inp_set_active(true);
        inp_handle_impulses(true);
        device.calls.clear();
        return device;
    }
    static inp_trigger_t *trigger(const char *name) {
        inp_trigger_t *t = _inp_get_trigger_name(name);
        EXPECT_NE(t, nullptr) << name;
        return t;
    }
    static void run(const std::string &line) { EXPECT_TRUE(cmd_execute(line.c_str())) << line; }
    static bool read_pool(def_pool_t &pool, const char *text) {
        return pool.read_text(text, strlen(text), "/test/bindings.def");
    }

    dev device;
    message_capture_t messages;
};

TEST_F(input_front_end, boot_registers_the_console_and_names_every_trigger) {
    for (const char *name : {"m_sensitivity", "m_invert", "i_device", "i_joystick1", "i_joystick2", "i_feedback",
                             "i_deadzone", "i_force_gain", "m_filter"}) {
        ASSERT_NE(cvar_get(name), nullptr) << name;
        EXPECT_TRUE(cvar_get(name)->stored) << name;
    }
    EXPECT_STREQ(cvar_get("m_sensitivity")->get_text(), "0.33");
    EXPECT_STREQ(cvar_get("i_device")->get_text(), "inpdev");
    for (const char *name : {"bind_imp", "unbind_imp", "bind_cmd", "unbind_cmd", "imp_alias"})
        EXPECT_NE(cmd_get(name), nullptr) << name;

    struct case_t {
        int code;
        const char *name;
        const char *display;
    };
    for (const case_t &c : {case_t{0, "reserved", "Reserved"}, {16, "q", "Q"}, {43, "bslash", "Backslash"},
                            {69, "pause", "Pause"}, {86, "x56", "User Key 56"}, {197, "numlock", "NumLock"},
                            {255, "xff", "User Key ff"}, {262, "mouse1", "Mouse 1"}, {272, "", ""},
                            {296, "js_down", "Joy Down"}, {316, "js2_down", "Joy2 Down"}, {332, "js10", "Joystick10"}}) {
        const inp_trigger_t *t = _inp_get_trigger_code(c.code);
        ASSERT_NE(t, nullptr) << c.code;
        EXPECT_EQ(t->code, c.code);
        EXPECT_STREQ(t->name, c.name) << c.code;
        EXPECT_STREQ(t->display, c.display) << c.code;
        if (c.name[0]) {
            EXPECT_EQ(_inp_get_trigger_name(c.name), t) << c.name;
        }
    }
    int named = 0, user_keys = 0;
    for (int code = 0; code < INP_TRIGGER_COUNT; ++code) {
        const inp_trigger_t *t = _inp_get_trigger_code(code);
        if (t->name[0]) {
            ++named;
            EXPECT_EQ(_inp_get_trigger_name(t->name), t) << t->name;
        }
        if (strncmp(t->display, "User Key ", 9) == 0) ++user_keys;
    }
    EXPECT_EQ(named, 316);
    EXPECT_EQ(user_keys, 151);
    EXPECT_EQ(_inp_get_trigger_name("LShift"), _inp_get_trigger_code(42));
    for (const char *bad : {"", "nosuchtrigger", "a_name_longer_than_fifteen"}) EXPECT_EQ(_inp_get_trigger_name(bad), nullptr);
    EXPECT_EQ(_inp_get_trigger_name(nullptr), nullptr);
}

TEST_F(input_front_end, negative_trigger_and_impulse_codes_are_refused_everywhere) {
    use_device(2);
    for (int code : {-1, -333, INT32_MIN, INP_TRIGGER_COUNT}) EXPECT_EQ(_inp_get_trigger_code(code), nullptr) << code;
    for (int code : {-1, INT32_MIN, INP_IMPULSE_COUNT}) {
        EXPECT_EQ(_inp_get_impulse_code(code), nullptr) << code;
        EXPECT_EQ(inp_impulse_value(code), 0.0f);
        EXPECT_FALSE(inp_impulse_is_activated(code));
    }
    // The game's table named neither -3 nor 255.
    EXPECT_EQ(_inp_get_impulse_name("below"), nullptr);
    EXPECT_EQ(_inp_get_impulse_name("above"), nullptr);
    // Events with negative codes, buttons and joysticks change nothing.
    device.frame({dev::key(-5, true), dev::button(-1, true), dev::joy_button(-1, 0, true), dev::joy_button(0, -2, true),
                  dev::joy_axis(-1, 0, 100.0f), dev::joy_axis(0, -7, 100.0f)});
    inp_frame();
    for (int code = 0; code < INP_TRIGGER_COUNT; ++code) EXPECT_FALSE(_inp_get_trigger_code(code)->down) << code;
    // Joystick device codes below 323 (negative included) and past the count.
    for (int code : {-1, 322, INP_JOYSTICK_1 + 2}) {
        EXPECT_EQ(inp_joy_get_dead_zone(code, 0), -1.0f) << code;
        EXPECT_EQ(inp_force_create(code, 2), -1) << code;
        EXPECT_TRUE(inp_force_stop(code, 0)) << code;
        char name[32];
        EXPECT_FALSE(inp_joy_get_name(code, name, sizeof name)) << code;
    }
    EXPECT_EQ(inp_joy_get_dead_zone(INP_JOYSTICK_1 + 1, 0), 0.25f);
    EXPECT_EQ(inp_force_create(INP_JOYSTICK_1 + 1, 2), 7);
    EXPECT_FALSE(inp_force_stop(INP_JOYSTICK_1 + 1, 7));
    EXPECT_EQ(device.count("force create 1 2"), 1);
    EXPECT_EQ(device.count("force stop 1 7"), 1);
    run("imp_alias -1 minus");
    EXPECT_TRUE(messages.contains("imp_alias: Unknown impulse"));
    // A negative selection selects nothing: the joystick's buttons drive no trigger.
    EXPECT_TRUE(inp_joy_switch(-7, INP_JOYSTICK_1 - 323));
    device.frame({dev::joy_button(0, 0, true)});
    inp_frame();
    EXPECT_FALSE(trigger("js_b1")->down);
    EXPECT_FALSE(trigger("js2_b1")->down);
}

TEST_F(input_front_end, a_press_and_release_inside_one_frame_is_down_for_exactly_one_frame) {
    use_device();
    run("bind_cmd f5 \"count f5\"");
    run("bind_imp space weap_fire");
    inp_trigger_t *f5 = trigger("f5"), *space = trigger("space");
    device.frame({dev::key(f5->code, true), dev::key(f5->code, false), dev::key(space->code, true),
                  dev::key(space->code, false)});
    device.frame({});

    inp_frame();
    EXPECT_TRUE(f5->down);
    EXPECT_TRUE(space->down);
    EXPECT_EQ(space->value, 1.0f);
    EXPECT_EQ(count_runs, 1);
    EXPECT_EQ(count_word, "f5");
    EXPECT_EQ(inp_impulse_value(FIRE), 1.0f);
    EXPECT_TRUE(inp_impulse_is_activated(FIRE));
    EXPECT_FALSE(inp_impulse_is_activated(FIRE));  // read once

    inp_frame();
    EXPECT_FALSE(f5->down);
    EXPECT_FALSE(space->down);
    EXPECT_EQ(space->value, 0.0f);
    EXPECT_EQ(inp_impulse_value(FIRE), 0.0f);
    EXPECT_EQ(count_runs, 1);

    // A key held over frames runs its command once and gives its impulse 1 each frame.
    device.frame({dev::key(space->code, true)});
    device.frame({});
    device.frame({dev::key(space->code, false)});
    inp_frame();
    inp_frame();
    EXPECT_EQ(inp_impulse_value(FIRE), 1.0f);
    EXPECT_FALSE(inp_impulse_is_activated(FIRE) && inp_impulse_is_activated(FIRE));
    inp_frame();
    EXPECT_FALSE(space->down);
    EXPECT_EQ(inp_impulse_value(FIRE), 0.0f);
}

TEST_F(input_front_end, impulses_and_plain_commands_wait_while_impulses_are_not_handled) {
    use_device();
    run("bind_cmd f5 \"count plain\"");
    run("bind_cmd f6 \"count privileged\" 0x1");
    run("bind_imp space weap_fire");
    EXPECT_EQ(inp_handle_impulses(false), -1);  // the counter drops to 0
    device.frame({dev::key(trigger("f5")->code, true), dev::key(trigger("f6")->code, true),
                  dev::key(trigger("space")->code, true)});
    inp_frame();
    EXPECT_EQ(count_runs, 1);
    EXPECT_EQ(count_word, "privileged");
    EXPECT_EQ(inp_impulse_value(FIRE), 0.0f);
    EXPECT_FALSE(inp_impulse_is_activated(FIRE));
    // The keys whose command did not run are typed: f5 and space, not f6.
    std::vector<int> typed;
    while (const inp_keycode_t *k = inp_fetch_keycode()) typed.push_back(k->data[0] & 0xffff);
    EXPECT_EQ(typed, (std::vector<int>{trigger("f5")->code, trigger("space")->code}));
}

TEST_F(input_front_end, the_wheel_gives_a_one_frame_press_per_event) {
    use_device();
    run("bind_cmd mousewheelup \"count up\"");
    run("bind_imp mousewheeldown weap_reload");
    device.frame({dev::wheel(true)});
    device.frame({dev::wheel(false)});
    device.frame({});
    inp_frame();
    EXPECT_TRUE(trigger("mousewheelup")->down);
    EXPECT_EQ(count_runs, 1);
    const inp_keycode_t *k = inp_fetch_keycode();
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->kind, 1);
    EXPECT_EQ(k->pressed, 0);
    EXPECT_EQ(k->data[0], 1);
    inp_frame();
    EXPECT_FALSE(trigger("mousewheelup")->down);
    EXPECT_TRUE(trigger("mousewheeldown")->down);
    EXPECT_EQ(inp_impulse_value(RELOAD), 1.0f);
    inp_frame();
    EXPECT_FALSE(trigger("mousewheeldown")->down);
    EXPECT_EQ(inp_impulse_value(RELOAD), 0.0f);
    EXPECT_EQ(count_runs, 1);
}

TEST_F(input_front_end, key_records_carry_code_character_and_modifiers_and_empty_each_frame) {
    use_device();
    device.frame({dev::key(30, true, 'a', 0x03), dev::button(2, true), dev::key(30, false)});
    device.frame({});
    inp_frame();
    const inp_keycode_t *k = inp_fetch_keycode();
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->kind, 0);
    EXPECT_EQ(k->pressed, 1);
    EXPECT_EQ(k->data[0], 30 | 'a' << 16 | 0x03 << 24);
    k = inp_fetch_keycode();
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->kind, 1);
    EXPECT_EQ(k->data[1], 1 << 2);
    ASSERT_NE(inp_fetch_keycode(), nullptr);
    EXPECT_EQ(inp_fetch_keycode(), nullptr);
    EXPECT_TRUE(trigger("mouse3")->down);
    inp_frame();
    EXPECT_EQ(inp_fetch_keycode(), nullptr);
}

TEST_F(input_front_end, key_downs_are_dropped_while_inactive_and_activity_clears_every_press) {
    use_device();
    inp_trigger_t *w = trigger("w");
    device.frame({dev::key(w->code, true)});
    inp_frame();
    EXPECT_TRUE(w->down);
    inp_set_active(false);
    EXPECT_FALSE(w->down);
    EXPECT_FALSE(w->handled);
    EXPECT_EQ(device.calls.back(), "active 0");
    device.frame({dev::key(w->code, true)});
    inp_frame();
    EXPECT_FALSE(w->down);
    // Events queued before a change of activity are dropped with it.
    inp_set_active(true);
    const inp_event_t e = dev::key(w->code, true);
    inp_event(&e);
    inp_set_active(true);
    inp_frame();
    EXPECT_FALSE(w->down);
}

TEST_F(input_front_end, a_frame_takes_at_most_255_events) {
    use_device();
    std::vector<inp_event_t> events;
    for (int i = 0; i < INP_MAX_EVENTS; ++i) events.push_back(dev::key(2, i % 2 == 0));
    events.push_back(dev::key(3, true));  // the 256th: dropped
    device.frame(events);
    inp_frame();
    EXPECT_TRUE(trigger("key1")->down);
    EXPECT_FALSE(trigger("key2")->down);
    int records = 0;
    while (inp_fetch_keycode()) ++records;
    EXPECT_EQ(records, INP_MAX_EVENTS);
    // The queue is empty for the next frame.
    device.frame({dev::key(3, true)});
    inp_frame();
    EXPECT_TRUE(trigger("key2")->down);
}

TEST_F(input_front_end, mouse_motion_goes_through_filter_sensitivity_and_inversion) {
    oswindow_record_t *window = oswindow_add_record(OSWINDOW_MAIN, nullptr, "main", false);
    window->width = 200;
    window->height = 100;
    use_device();
    run("bind_imp mouseright mright");
    run("bind_imp mouseleft mleft");
    run("bind_imp mouseup mlookup");
    run("bind_imp mousedown mlookdown");
    inp_set_mouse_sensitivity(0.5f);
    EXPECT_STREQ(cvar_get("m_sensitivity")->get_text(), "0.500000");
    EXPECT_EQ(inp_get_mouse_sensitivity(), 0.5f);

    // The cursor starts in the middle and is clamped to the window.
    float x = 9, y = 9;
    device.frame({dev::motion(10.0f, 4.0f), dev::motion(6.0f, 0.0f)});
    inp_frame();
    EXPECT_EQ(inp_impulse_value(MRIGHT), 8.0f);
    EXPECT_EQ(inp_impulse_value(MLOOKUP), 2.0f);
    EXPECT_EQ(inp_impulse_value(MLEFT), 0.0f);
    inp_cursor_info(&x, &y);
    EXPECT_FLOAT_EQ(x, (100.0f + 16.0f) * 2.0f / 200.0f - 1.0f);
    EXPECT_FLOAT_EQ(y, 1.0f - (50.0f + 4.0f) * 2.0f / 100.0f);
    device.frame({dev::motion(-1000.0f, -1000.0f)});
    inp_frame();
    inp_cursor_info(&x, &y);
    EXPECT_EQ(x, -1.0f);
    EXPECT_EQ(y, 1.0f);
    EXPECT_EQ(inp_impulse_value(MLEFT), 500.0f);
    EXPECT_EQ(inp_impulse_value(MLOOKDOWN), 500.0f);
    EXPECT_EQ(inp_impulse_value(MRIGHT), 0.0f);  // the directions start again each frame

    // Inverted, the vertical directions swap.
    ASSERT_TRUE(cvar_get("m_invert")->set("1"));
    device.frame({dev::motion(0.0f, 2.0f)});
    inp_frame();
    EXPECT_EQ(inp_impulse_value(MLOOKDOWN), 1.0f);
    EXPECT_EQ(inp_impulse_value(MLOOKUP), 0.0f);
    ASSERT_TRUE(cvar_get("m_invert")->set("0"));

    // Filtered, each motion is the mean of itself and the one before; the first after
    // switching the filter on stands alone.
    ASSERT_TRUE(cvar_get("m_filter")->set("1"));
    device.frame({dev::motion(4.0f, 0.0f), dev::motion(8.0f, 0.0f)});
    inp_frame();
    EXPECT_EQ(inp_impulse_value(MRIGHT), 0.5f * (4.0f + 6.0f));
    oswindow_destroy(window);
}

TEST_F(input_front_end, legacy_input_comes_from_the_window_procedure) {
    oswindow_record_t *window = oswindow_add_record(OSWINDOW_MAIN, nullptr, "main", false);
    window->width = 640;
    window->height = 480;
    ASSERT_TRUE(cvar_get("i_device")->set("os"));
    inp_init_input(game_impulses);
    EXPECT_EQ(inp_current_device(), nullptr);
    EXPECT_FALSE(messages.contains("not found"));
    inp_handle_impulses(true);
    run("bind_imp lctrl weap_fire");
    run("bind_imp mouseright mright");
    // Activation comes through the window too.
    platform::window_event_t activate{};
    activate.type = platform::WINDOW_EVENT_ACTIVATE;
    activate.active = true;
    oswindow_procedure(window, activate);
    EXPECT_TRUE(inp_is_active());

    platform::window_event_t key{};
    key.type = platform::WINDOW_EVENT_KEY_DOWN;
    key.scan = 29;
    oswindow_procedure(window, key);
    platform::window_event_t move{};
    move.type = platform::WINDOW_EVENT_MOUSE_MOVE;
    move.x = 330;
    move.y = 240;
    oswindow_procedure(window, move);
    inp_frame();
    EXPECT_TRUE(trigger("lctrl")->down);
    EXPECT_EQ(inp_impulse_value(FIRE), 1.0f);
    EXPECT_FLOAT_EQ(inp_impulse_value(MRIGHT), 0.33f * 10.0f);  // from the middle, 320

    // Without deltas the window reports positions.
    inp_set_mouse_reports_delta(false);
    move.x = 160;
    move.y = 120;
    oswindow_procedure(window, move);
    inp_frame();
    float x = 0, y = 0;
    inp_cursor_info(&x, &y);
    EXPECT_EQ(x, -0.5f);
    EXPECT_EQ(y, 0.5f);

    activate.active = false;
    oswindow_procedure(window, activate);
    EXPECT_FALSE(inp_is_active());
    oswindow_destroy(window);
}

TEST_F(input_front_end, the_device_is_picked_by_name_or_input_falls_back_to_the_windows) {
    struct case_t {
        const char *value;
        bool init_ok;
        bool picked;
        const char *message;
    };
    const case_t cases[] = {
        {"inpdev", true, true, nullptr},
        {"INPDEV", true, true, nullptr},
        {"dinput", true, true, "'dinput' is no longer valid value for i_device variable"},
        {"inpdev", false, false, "[inp] Input device 'inpdev' not found, falling back to legacy support."},
        {"other", true, false, "[inp] Input device 'other' not found, falling back to legacy support."},
        {"", true, false, nullptr},
        {"os", true, false, nullptr},
    };
    hw_device_insert(&device);
    for (const case_t &c : cases) {
        messages.clear();
        device.init_result = c.init_ok;
        ASSERT_TRUE(cvar_get("i_device")->set(c.value));
        EXPECT_TRUE(inp_init_input(game_impulses));
        EXPECT_EQ(inp_current_device() == &device, c.picked) << c.value;
        if (c.message) EXPECT_TRUE(messages.contains(c.message)) << c.value;
        else EXPECT_TRUE(messages.entries().empty()) << c.value << ": " << messages.entries()[0].text;
    }
}

TEST_F(input_front_end, joysticks_are_selected_and_drive_their_triggers) {
    ASSERT_TRUE(cvar_get("i_joystick1")->set("1"));
    ASSERT_TRUE(cvar_get("i_joystick2")->set("5"));  // past the count: cleared
    use_device(2);
    EXPECT_STREQ(cvar_get("i_joystick2")->get_text(), "-1");
    EXPECT_EQ(inp_joy_get_count(), 2);
    EXPECT_STREQ(_inp_get_trigger_code(INP_JOYSTICK_1 + 1)->display, "Stick 1");
    EXPECT_TRUE(_inp_get_trigger_code(INP_JOYSTICK_1 + 1)->joystick->has_force_feedback);
    EXPECT_FALSE(_inp_get_trigger_code(INP_JOYSTICK_1)->joystick->has_force_feedback);

    run("bind_imp js_b2 weap_fire");
    device.frame({dev::joy_button(1, 1, true), dev::joy_button(0, 2, true), dev::joy_button(1, 20, true),
                  dev::joy_pov(1, 4500), dev::joy_axis(1, 0, 65535.0f)});
    inp_frame();
    EXPECT_TRUE(trigger("js_b2")->down);
    EXPECT_EQ(inp_impulse_value(FIRE), 1.0f);
    EXPECT_FALSE(trigger("js_b3")->down);  // joystick 0 is not selected
    EXPECT_EQ(_inp_get_trigger_code(INP_JOYSTICK_1)->joystick->buttons[2], 1);
    EXPECT_EQ(_inp_get_trigger_code(INP_JOYSTICK_1 + 1)->joystick->buttons[20], 1);
    // Button 20 has no trigger: nothing past the buttons goes down.
    for (int code = INP_JOY1_BUTTON_1 + INP_JOY_BUTTON_TRIGGERS; code < INP_JOYSTICK_1; ++code)
        if (code < INP_JOY1_LEFT || code > INP_JOY1_LEFT + 3) {
            EXPECT_FALSE(_inp_get_trigger_code(code)->down) << code;
        }
    EXPECT_TRUE(trigger("js_right")->down);
    EXPECT_TRUE(trigger("js_up")->down);
    EXPECT_FALSE(trigger("js_left")->down);
    EXPECT_NEAR(_inp_get_trigger_code(INP_JOYSTICK_1 + 1)->joystick->axes[0], 1.0f, 0.0001f);
    EXPECT_EQ(_inp_get_trigger_code(INP_JOYSTICK_1 + 1)->joystick->pov, 4500);

    // An axis event leaves the directions as the point of view set them.
    device.frame({dev::joy_axis(1, 1, 0.0f)});
    inp_frame();
    EXPECT_TRUE(trigger("js_up")->down);
    device.frame({dev::joy_pov(1, -1)});
    inp_frame();
    EXPECT_FALSE(trigger("js_up")->down);
    EXPECT_FALSE(trigger("js_right")->down);

    // Switching: the old joystick's dead zone back to 0.9, the new one's to 0.
    device.calls.clear();
    ASSERT_TRUE(cvar_get("i_joystick2")->set("0"));
    EXPECT_EQ(device.calls,
              (std::vector<std::string>{"dead zone 1 0.9 -1 0", "dead zone 1 0.0 -1 0", "dead zone 0 0.0 -1 0"}));
    device.frame({dev::joy_button(0, 0, true)});
    inp_frame();
    EXPECT_TRUE(trigger("js2_b1")->down);
    EXPECT_TRUE(_inp_joy_set_dead_zone(INP_JOYSTICK_1, 0.2f, 3));
    EXPECT_EQ(device.calls.back(), "dead zone 0 0.2 3 1");
}

TEST_F(input_front_end, freeze_and_thaw_keep_activity_and_mouse_deltas) {
    use_device();
    EXPECT_TRUE(inp_mouse_reports_delta());
    inp_freeze_input();
    EXPECT_FALSE(inp_is_active());
    EXPECT_FALSE(inp_mouse_reports_delta());
    EXPECT_EQ(device.state, hw_device_t::SUSPENDED);
    EXPECT_TRUE(inp_thaw_input());
    EXPECT_TRUE(inp_is_active());
    EXPECT_TRUE(inp_mouse_reports_delta());
    EXPECT_EQ(device.state, hw_device_t::RUNNING);
    EXPECT_EQ(device.calls, (std::vector<std::string>{"suspend", "active 0", "active 1", "revive"}));
}

TEST_F(input_front_end, the_input_process_runs_the_frames_and_shuts_the_device_down) {
    use_device();
    ASSERT_TRUE(inp_init_devices());
    ASSERT_TRUE(inp_init_devices());  // a second call changes nothing
    vprocess_t *process = process_get("__inp_proc");
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(process->priority, -1500);
    EXPECT_EQ(process->hold_count, 1);
    run("bind_imp w forward");
    device.frame({dev::key(trigger("w")->code, true)});
    kernel_step();
    kernel_step();
    EXPECT_EQ(device.reads, 2);
    EXPECT_EQ(inp_impulse_value(FORWARD), 1.0f);
    process_terminate_all();
    for (int i = 0; i < 4; ++i) kernel_step();
    EXPECT_EQ(process_get("__inp_proc"), nullptr);
    EXPECT_EQ(device.count("shutdown"), 1);
    EXPECT_EQ(device.state, hw_device_t::SHUT_DOWN);
    EXPECT_EQ(inp_current_device(), nullptr);
}

// ---- bindings ----

const char *const system_layer = R"(
def commands {
    def grave { command: "count console" privileged: "1" }
    def f10 { command: "count screenshot" privileged: "1" }
}
def impulses {
    def w { impulse: "forward" }
    def mouse1 { impulse: "weap_fire" }
    def lctrl { impulse: "weap_fire" }
    def r { impulse: "weap_reload" id: "4" }
}
)";

TEST_F(input_front_end, restoring_layers_binds_what_the_last_layer_says_and_unbinds_the_rest) {
    use_device();
    // Bound now, named by no layer: to be unbound.
    run("bind_cmd f2 \"count old\"");
    run("bind_imp rshift weap_reload");
    def_pool_t system, user, modal;
    ASSERT_TRUE(read_pool(system, system_layer));
    ASSERT_TRUE(read_pool(user, R"(
def commands { def f10 { command: "count user" } }
def impulses { def W { impulse: "WEAP_FIRE" } def e { impulse: "forward" id: "9" } }
)"));
    ASSERT_TRUE(read_pool(modal, R"(
def commands { def f10 { command: "" } }
def impulses { }
)"));
    ASSERT_TRUE(_inp_restore_bindings(&system, &user, &modal));
    EXPECT_STREQ(trigger("grave")->command, "count console");
    EXPECT_TRUE(trigger("grave")->privileged);
    EXPECT_EQ(trigger("f10")->command, nullptr);  // the modal layer says none
    EXPECT_EQ(trigger("w")->impulse, _inp_get_impulse_code(FIRE));
    EXPECT_EQ(trigger("e")->impulse, _inp_get_impulse_code(FORWARD));
    EXPECT_EQ(trigger("e")->id, 9);
    EXPECT_EQ(trigger("r")->id, 4);
    EXPECT_EQ(trigger("f2")->command, nullptr);
    EXPECT_EQ(trigger("rshift")->impulse, nullptr);
    // Searches go in code order: w 17, lctrl 29, mouse1 262.
    EXPECT_EQ(_inp_search_trigger_impulse(_inp_get_impulse_code(FIRE), nullptr), trigger("w"));
    EXPECT_EQ(_inp_search_trigger_impulse(_inp_get_impulse_code(FIRE), trigger("w")), trigger("lctrl"));
    EXPECT_EQ(_inp_search_trigger_impulse(_inp_get_impulse_code(FIRE), trigger("lctrl")), trigger("mouse1"));
    EXPECT_EQ(_inp_search_trigger_impulse(_inp_get_impulse_code(FIRE), trigger("mouse1")), nullptr);
    EXPECT_EQ(_inp_search_trigger_command("COUNT CONSOLE", nullptr), trigger("grave"));

    // The same layers again change nothing: a held trigger keeps its state.
    device.frame({dev::key(trigger("grave")->code, true), dev::key(trigger("w")->code, true)});
    inp_frame();
    EXPECT_EQ(count_runs, 1);
    ASSERT_TRUE(_inp_restore_bindings(&system, &user, &modal));
    EXPECT_TRUE(trigger("w")->handled);
    EXPECT_FALSE(trigger("w")->suppressed);
    EXPECT_FALSE(trigger("grave")->suppressed);
    inp_frame();
    EXPECT_EQ(inp_impulse_value(FIRE), 1.0f);
    EXPECT_EQ(count_runs, 1);

    // No layer at all: everything is unbound.
    def_pool_t empty;
    ASSERT_TRUE(read_pool(empty, "def commands { } def impulses { }"));
    ASSERT_TRUE(_inp_restore_bindings(&empty, nullptr, nullptr));
    for (int code = 0; code < INP_TRIGGER_COUNT; ++code) {
        EXPECT_EQ(_inp_get_trigger_code(code)->command, nullptr) << code;
        EXPECT_EQ(_inp_get_trigger_code(code)->impulse, nullptr) << code;
    }
}

TEST_F(input_front_end, a_binding_changed_while_its_key_is_held_is_suppressed_until_release) {
    use_device();
    run("bind_imp w forward");
    inp_trigger_t *w = trigger("w");
    device.frame({dev::key(w->code, true)});
    inp_frame();
    EXPECT_EQ(inp_impulse_value(FORWARD), 1.0f);

    def_pool_t layer;
    ASSERT_TRUE(read_pool(layer, "def commands { } def impulses { def w { impulse: \"weap_fire\" } }"));
    ASSERT_TRUE(_inp_restore_bindings(&layer, nullptr, nullptr));
    EXPECT_TRUE(w->suppressed);
    inp_frame();
    EXPECT_TRUE(w->down);
    EXPECT_EQ(inp_impulse_value(FIRE), 0.0f);
    EXPECT_EQ(inp_impulse_value(FORWARD), 0.0f);
    EXPECT_FALSE(inp_impulse_is_activated(FIRE));

    device.frame({dev::key(w->code, false)});
    device.frame({dev::key(w->code, true)});
    inp_frame();
    EXPECT_FALSE(w->suppressed);
    inp_frame();
    EXPECT_EQ(inp_impulse_value(FIRE), 1.0f);
    EXPECT_TRUE(inp_impulse_is_activated(FIRE));
}

TEST_F(input_front_end, malformed_layers_fail_or_are_skipped) {
    use_device();
    run("bind_imp w forward");
    def_pool_t system, bad_user, no_objects;
    ASSERT_TRUE(read_pool(system, system_layer));
    ASSERT_TRUE(read_pool(bad_user, R"(
def commands { def nokey { command: "x" } }
def impulses { def e { impulse: "nosuchimpulse" } def q { impulse: "forward" } }
)"));
    ASSERT_TRUE(read_pool(no_objects, "def commands { }"));

    // A user layer that names unknown things is skipped with warnings; the system
    // layer still applies.
    EXPECT_TRUE(_inp_restore_bindings(&system, &bad_user, nullptr));
    EXPECT_TRUE(messages.contains("[inp] Unknown trigger name 'nokey'"));
    EXPECT_TRUE(messages.contains("[inp] Unknown impulse name 'nosuchimpulse'"));
    EXPECT_EQ(trigger("q")->impulse, nullptr);
    EXPECT_EQ(trigger("mouse1")->impulse, _inp_get_impulse_code(FIRE));

    // A malformed system layer changes nothing.
    EXPECT_FALSE(_inp_restore_bindings(&bad_user, nullptr, nullptr));
    EXPECT_TRUE(messages.contains("[inp] Malformed system trigger bindings compiled in the application!"));
    EXPECT_EQ(trigger("mouse1")->impulse, _inp_get_impulse_code(FIRE));
    EXPECT_FALSE(_inp_restore_bindings(&no_objects, nullptr, nullptr));
    EXPECT_EQ(trigger("w")->impulse, _inp_get_impulse_code(FORWARD));
    // A missing system layer is an empty one; a user layer without its objects is
    // skipped.
    EXPECT_TRUE(_inp_restore_bindings(nullptr, &no_objects, nullptr));
    EXPECT_EQ(trigger("w")->impulse, nullptr);
}

TEST_F(input_front_end, stored_bindings_restore_to_the_same_bindings) {
    use_device();
    def_pool_t system;
    ASSERT_TRUE(read_pool(system, system_layer));
    ASSERT_TRUE(_inp_restore_bindings(&system, nullptr, nullptr));
    run("bind_cmd x56 \"count user key\" 1");
    run("bind_imp js2_down forward");
    def_pool_t stored;
    ASSERT_TRUE(inp_store_bindings(&stored));
    EXPECT_STREQ(stored.find("commands.grave")->get_value("privileged"), "1");
    EXPECT_STREQ(stored.find("impulses.r")->get_value("id"), "4");
    EXPECT_EQ(stored.find("impulses.w")->get_value("id"), nullptr);
    EXPECT_STREQ(stored.find("impulses.js2_down")->get_value("impulse"), "forward");

    // Written out and read back, it restores the same bindings over an empty table.
    def_pool_t empty;
    ASSERT_TRUE(read_pool(empty, "def commands { } def impulses { }"));
    ASSERT_TRUE(_inp_restore_bindings(&empty, nullptr, nullptr));
    ASSERT_TRUE(_inp_restore_bindings(&stored, nullptr, nullptr));
    def_pool_t again;
    ASSERT_TRUE(inp_store_bindings(&again));
    std::string a, b;
    for (const def_pool_t *p : {&stored, &again}) {
        std::string &out = p == &stored ? a : b;
        for (const def_obj_t *group = p->get_first_object(); group; group = group->get_next())
            for (const def_obj_t *o = group->get_first_child(); o; o = o->get_next()) {
                out += std::string(group->get_name()) + "." + o->get_name();
                for (const def_value_t *v = o->get_first_value(); v; v = v->get_next())
                    out += std::string(" ") + v->get_key() + "=" + v->get_text();
                out += "\n";
            }
    }
    EXPECT_EQ(a, b);
    EXPECT_NE(a.find("commands.x56 command=count user key privileged=1"), std::string::npos) << a;
    EXPECT_FALSE(inp_store_bindings(nullptr));
}

TEST_F(input_front_end, console_commands_answer_wrong_arguments_with_their_usage) {
    use_device();
    struct case_t {
        const char *line;
        const char *message;
    };
    const case_t cases[] = {
        {"bind_imp", "bind_imp: Bad args. Usage: bind_imp trigger_name impulse_name"},
        {"bind_imp w", "bind_imp: Bad args. Usage: bind_imp trigger_name impulse_name"},
        {"bind_imp nokey forward", "bind_imp: Unknown trigger 'nokey'"},
        {"bind_imp w nothing", "bind_imp: Unknown impulse 'nothing'"},
        {"unbind_imp", "unbind_imp: Bad args. Usage: unbind_imp trigger_name"},
        {"unbind_imp nokey", "unbind_imp: Unknown trigger 'nokey'"},
        {"bind_cmd w", "bind_cmd: Bad args. Usage: bind_cmd trigger_name command [privileged]"},
        {"bind_cmd nokey x", "bind_cmd: Unknown trigger 'nokey'"},
        {"unbind_cmd", "unbind_cmd: Bad args. Usage: unbind_cmd trigger_name"},
        {"unbind_cmd nokey", "unbind_cmd: Unknown trigger 'nokey'"},
        {"imp_alias 5", "imp_alias: Bad args. Usage: imp_alias number name"},
        {"imp_alias 255 x", "imp_alias: Unknown impulse"},
        {"imp_alias x y", "imp_alias: Unknown impulse"},
    };
    for (const case_t &c : cases) {
        messages.clear();
        EXPECT_EQ(cmd_run_line(c.line, -1), cmd_t::DONE) << c.line;
        EXPECT_TRUE(messages.contains(c.message)) << c.line;
        EXPECT_EQ(messages.texts(message_t::ERROR).size(), 1u) << c.line;
    }

    // The working forms.
    run("bind_imp W weap_fire");
    EXPECT_EQ(trigger("w")->impulse, _inp_get_impulse_code(FIRE));
    run("unbind_imp w");
    EXPECT_EQ(trigger("w")->impulse, nullptr);
    run("bind_cmd grave \"ui t console:system_02\" 1 1");
    EXPECT_STREQ(trigger("grave")->command, "ui t console:system_02");
    EXPECT_TRUE(trigger("grave")->privileged);
    run("unbind_cmd grave");
    EXPECT_EQ(trigger("grave")->command, nullptr);
    EXPECT_FALSE(trigger("grave")->privileged);

    messages.clear();
    run("imp_alias 0x64 Walk");  // 100, named "forward"
    EXPECT_TRUE(messages.contains("imp_alias: Detected an attempt to rename impulse 'forward' to 'Walk'"));
    EXPECT_EQ(_inp_get_impulse_name("walk"), _inp_get_impulse_code(FORWARD));
    EXPECT_EQ(_inp_get_impulse_name("forward"), nullptr);
    run("imp_alias 7 a_name_longer_than_fifteen");
    EXPECT_STREQ(_inp_get_impulse_code(7)->name, "a_name_longer_t");
    run("imp_alias 8 walk");  // a second impulse of the name: the lower code answers
    EXPECT_EQ(_inp_get_impulse_name("WALK"), _inp_get_impulse_code(8));
    _inp_name_impulse(_inp_get_impulse_code(8), nullptr);
    EXPECT_EQ(_inp_get_impulse_name("walk"), _inp_get_impulse_code(FORWARD));
}

TEST_F(input_front_end, unbinding_by_impulse_and_command) {
    use_device();
    run("bind_imp a forward");
    run("bind_imp d forward");
    run("bind_cmd f1 \"count x\"");
    run("bind_cmd f3 \"COUNT X\"");
    run("bind_cmd f4 \"count y\"");
    _inp_unbind_impulse(_inp_get_impulse_code(FORWARD));
    EXPECT_EQ(_inp_search_trigger_impulse(_inp_get_impulse_code(FORWARD), nullptr), nullptr);
    inp_unbind_command("Count X");
    EXPECT_EQ(trigger("f1")->command, nullptr);
    EXPECT_EQ(trigger("f3")->command, nullptr);
    EXPECT_STREQ(trigger("f4")->command, "count y");
}

}  // namespace
}  // namespace quarn::test
