#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "kernel/console/commands.h"
#include "kernel/oswindow.h"
#include "kernel/process_table.h"
#include "kernel_fixture.h"
#include "qrncore/system/crash_log.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace quarn::test {
namespace {

// The input front-end as the window procedure sees it, recording what it is told.
struct input_probe_t {
    bool active = true;
    bool legacy = true;
    bool relative = false;
    std::vector<std::string> calls;
    std::vector<inp_event_t> events;
};
input_probe_t probe;

const oswindow_input_t probe_input = {
    [] { return probe.active; },
    [] { return probe.legacy; },
    [] { return probe.relative; },
    [] { return false; },
    [](bool on) { probe.calls.push_back(on ? "input on" : "input off"); },
    [] { probe.calls.push_back("reset impulses"); },
    [](const inp_event_t *e) { probe.events.push_back(*e); },
};

int quits = 0;
int count_quit(const cmd_context_t *) {
    ++quits;
    return cmd_t::DONE;
}

// Windows without a window system: records with no handle, driven by events made by
// hand, so every reaction is seen without SDL.
class window_procedure : public ::testing::Test {
protected:
    void SetUp() override {
        probe = input_probe_t{};
        oswindow_set_input(&probe_input);
        quits = 0;
        cmd_register_command(&m_quit);
    }
    void TearDown() override {
        oswindow_hold_reactions(false);
        oswindow_shutdown();
        oswindow_set_input(nullptr);
        cmd_unregister_command(&m_quit);
    }

    static platform::window_event_t event(platform::window_event_type_t type) {
        platform::window_event_t e;
        e.type = type;
        return e;
    }
    static platform::window_event_t activate(platform::window_event_type_t type, bool active) {
        platform::window_event_t e = event(type);
        e.active = active;
        return e;
    }

    cmd_t m_quit{"quit", count_quit};
};

TEST_F(window_procedure, closing_a_main_window_runs_quit_and_nothing_else) {
    for (int type : {2, 3, 5, 4, 7}) {
        oswindow_record_t *w = oswindow_add_record(type, nullptr, "w", false);
        const int before = quits;
        oswindow_procedure(w, event(platform::WINDOW_EVENT_CLOSE));
        EXPECT_EQ(quits - before, type == 4 || type == 7 ? 0 : 1) << type;
        EXPECT_EQ(oswindow_get_window(type), w) << "the window stays";
        oswindow_detach(w);
    }
}

TEST_F(window_procedure, activation_switches_input_unless_reactions_are_held) {
    oswindow_record_t *main = oswindow_add_record(2, nullptr, "main", false);
    oswindow_procedure(main, activate(platform::WINDOW_EVENT_ACTIVATE, false));
    EXPECT_EQ(probe.calls, (std::vector<std::string>{"input off", "reset impulses"}));
    probe.calls.clear();

    EXPECT_FALSE(oswindow_hold_reactions(true));
    oswindow_procedure(main, activate(platform::WINDOW_EVENT_ACTIVATE, true));
    oswindow_procedure(main, activate(platform::WINDOW_EVENT_ACTIVATE, false));
    oswindow_procedure(main, activate(platform::WINDOW_EVENT_APP_ACTIVATE, false));
    EXPECT_TRUE(probe.calls.empty()) << "held: activation is ignored";
    EXPECT_TRUE(oswindow_is_application_active());
    EXPECT_TRUE(oswindow_hold_reactions(false));

    oswindow_procedure(main, activate(platform::WINDOW_EVENT_APP_ACTIVATE, false));
    EXPECT_FALSE(oswindow_is_application_active());
    oswindow_procedure(main, activate(platform::WINDOW_EVENT_APP_ACTIVATE, true));
    EXPECT_TRUE(oswindow_is_application_active());
    oswindow_procedure(main, activate(platform::WINDOW_EVENT_ACTIVATE, true));
    EXPECT_EQ(probe.calls, (std::vector<std::string>{"input on"}));

    // A minimised helper window's activation makes the application active.
    oswindow_record_t *helper = oswindow_add_record(5, nullptr, "helper", false);
    oswindow_procedure(main, activate(platform::WINDOW_EVENT_APP_ACTIVATE, false));
    oswindow_procedure(helper, activate(platform::WINDOW_EVENT_ACTIVATE, true));
    EXPECT_TRUE(oswindow_is_application_active());
}

TEST_F(window_procedure, sizes_moves_and_the_monitor) {
    oswindow_record_t *main = oswindow_add_record(3, nullptr, "main", false);
    platform::window_event_t size = event(platform::WINDOW_EVENT_SIZE);
    size.width = 800;
    size.height = 600;
    oswindow_procedure(main, size);
    int w = 0, h = 0;
    oswindow_get_properties(nullptr, &w, &h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);

    oswindow_procedure(main, event(platform::WINDOW_EVENT_MOVE_SIZE_BEGIN));
    oswindow_procedure(main, event(platform::WINDOW_EVENT_MOVE_SIZE_END));
    EXPECT_EQ(probe.calls, (std::vector<std::string>{"input off", "input on"}));

    for (const auto &[power, on] : {std::pair{1, false}, {-1, true}, {2, false}, {0, false}, {-1, true}}) {
        platform::window_event_t e = event(platform::WINDOW_EVENT_MONITOR_POWER);
        e.power = power;
        oswindow_procedure(main, e);
        EXPECT_EQ(oswindow_is_monitor_active(), on) << power;
    }
}

TEST_F(window_procedure, legacy_keys_mouse_and_wheel_become_input_events) {
    oswindow_record_t *main = oswindow_add_record(2, nullptr, "main", false);
    main->width = 200;
    main->height = 100;

    platform::window_event_t key = event(platform::WINDOW_EVENT_KEY_DOWN);
    key.scan = 0x49;  // Page Up
    key.extended = true;
    key.repeat = true;
    key.modifiers = platform::WINDOW_MOD_SHIFT | platform::WINDOW_MOD_CONTROL;
    key.text[0] = 'a';
    key.text[1] = 'b';
    oswindow_procedure(main, key);
    key.type = platform::WINDOW_EVENT_KEY_UP;
    oswindow_procedure(main, key);

    platform::window_event_t move = event(platform::WINDOW_EVENT_MOUSE_MOVE);
    move.x = 50;
    move.y = 25;
    oswindow_procedure(main, move);
    platform::window_event_t button = event(platform::WINDOW_EVENT_BUTTON_DOWN);
    button.button = 2;
    oswindow_procedure(main, button);
    button.type = platform::WINDOW_EVENT_BUTTON_UP;
    oswindow_procedure(main, button);
    for (int amount : {120, -240, 0}) {
        platform::window_event_t wheel = event(platform::WINDOW_EVENT_WHEEL);
        wheel.wheel = amount;
        oswindow_procedure(main, wheel);
    }

    ASSERT_EQ(probe.events.size(), 8u);
    const inp_event_t &down = probe.events[0];
    EXPECT_EQ(down.type, inp_event_t::KEY_DOWN);
    EXPECT_EQ(down.modifiers, 0x33u);
    EXPECT_EQ(down.data[0], 201);
    EXPECT_EQ(down.data[1], 0x80);
    EXPECT_EQ(down.data[2], 'a' | ('b' << 8));
    EXPECT_EQ(down.data[3], 1);
    const inp_event_t &up = probe.events[1];
    EXPECT_EQ(up.type, inp_event_t::KEY_UP);
    EXPECT_EQ(up.modifiers, 0u);
    EXPECT_EQ(up.data[0], 201);
    const inp_event_t &absolute = probe.events[2];
    EXPECT_EQ(absolute.type, inp_event_t::MOUSE_ABSOLUTE);
    EXPECT_EQ(absolute.get_float(0), 50.0f);
    EXPECT_EQ(absolute.get_float(1), 25.0f);
    EXPECT_FLOAT_EQ(absolute.get_float(2), -0.5f);
    EXPECT_FLOAT_EQ(absolute.get_float(3), 0.5f);
    EXPECT_EQ(probe.events[3].type, inp_event_t::BUTTON_DOWN);
    EXPECT_EQ(probe.events[3].data[0], 2);
    EXPECT_EQ(probe.events[4].type, inp_event_t::BUTTON_UP);
    EXPECT_EQ(probe.events[5].type, inp_event_t::WHEEL_UP);
    EXPECT_EQ(probe.events[5].data[0], 120);
    EXPECT_EQ(probe.events[6].type, inp_event_t::WHEEL_DOWN);
    EXPECT_EQ(probe.events[6].data[0], 240);
    EXPECT_EQ(probe.events[7].type, inp_event_t::WHEEL_DOWN) << "zero counts as down";
    EXPECT_EQ(probe.events[7].data[0], 0);
}

TEST_F(window_procedure, relative_mouse_reports_changes_and_remembers_without_input) {
    oswindow_record_t *main = oswindow_add_record(2, nullptr, "main", false);
    probe.relative = true;
    platform::window_event_t move = event(platform::WINDOW_EVENT_MOUSE_MOVE);
    move.x = 10;
    move.y = 10;
    oswindow_procedure(main, move);
    probe.events.clear();
    move.x = 13;
    move.y = 6;
    oswindow_procedure(main, move);
    oswindow_procedure(main, move);  // no change: no event
    ASSERT_EQ(probe.events.size(), 1u);
    EXPECT_EQ(probe.events[0].type, inp_event_t::MOUSE_MOVE);
    EXPECT_FLOAT_EQ(probe.events[0].get_float(0), 3.0f);
    EXPECT_FLOAT_EQ(probe.events[0].get_float(1), -4.0f);

    // With input off nothing is reported, but the place is remembered.
    probe.active = false;
    move.x = 100;
    oswindow_procedure(main, move);
    probe.active = true;
    move.x = 101;
    oswindow_procedure(main, move);
    ASSERT_EQ(probe.events.size(), 2u);
    EXPECT_FLOAT_EQ(probe.events[1].get_float(0), 1.0f);

    // Not in legacy mode (an input device reads the keyboard): keys stay with it.
    probe.legacy = false;
    oswindow_procedure(main, event(platform::WINDOW_EVENT_KEY_DOWN));
    EXPECT_EQ(probe.events.size(), 2u);
}

TEST_F(window_procedure, capture_nests_and_centring_is_lazy_or_immediate) {
    oswindow_record_t *main = oswindow_add_record(2, nullptr, "main", false);
    main->width = 400;
    main->height = 200;
    oswindow_capture_mouse(nullptr);
    oswindow_capture_mouse(main);
    EXPECT_EQ(main->capture_count, 2);
    oswindow_release_mouse(nullptr);
    EXPECT_EQ(main->capture_count, 1);
    oswindow_release_mouse(main);
    oswindow_release_mouse(main);  // one too many: ignored
    EXPECT_EQ(main->capture_count, 0);

    probe.relative = true;
    platform::window_event_t move = event(platform::WINDOW_EVENT_MOUSE_MOVE);
    move.x = 250;  // 50 from the centre: within a quarter of the width
    move.y = 100;
    oswindow_procedure(main, move);
    oswindow_centre_cursor(main, true);
    probe.events.clear();
    move.x = 251;
    oswindow_procedure(main, move);
    EXPECT_FLOAT_EQ(probe.events.back().get_float(0), 1.0f) << "not moved to the centre";
    move.x = 320;  // 120 from the centre: more than a quarter
    oswindow_procedure(main, move);
    oswindow_centre_cursor(main, true);
    move.x = 201;
    oswindow_procedure(main, move);
    EXPECT_FLOAT_EQ(probe.events.back().get_float(0), 1.0f) << "re-centred to 200";
}

TEST_F(window_procedure, the_table_looks_windows_up_by_type) {
    oswindow_record_t *system = oswindow_add_record(4, nullptr, "system", false);
    oswindow_record_t *main = oswindow_add_record(2, nullptr, "main", false);
    EXPECT_EQ(oswindow_get_window(3), main) << "3 finds a window of type 2";
    EXPECT_EQ(oswindow_get_window(2), main);
    EXPECT_EQ(oswindow_get_window(4), system);
    EXPECT_EQ(oswindow_get_window(5), nullptr);
    EXPECT_EQ(oswindow_main_window(), main);
    oswindow_record_t *later = oswindow_add_record(3, nullptr, "later", false);
    EXPECT_EQ(oswindow_main_window(), later) << "the newest main window is the main window";
    oswindow_destroy(later);
    EXPECT_EQ(oswindow_main_window(), nullptr);
    EXPECT_EQ(oswindow_attach(2, nullptr), nullptr);
}

TEST_F(window_procedure, the_ninth_window_aborts) {
    for (int i = 0; i < OSWINDOW_MAX; ++i) oswindow_add_record(7, nullptr, "w", false);
    temp_dir_t dir;
    dumper_set_file_name(dir.file("abort.crash").c_str());
    EXPECT_DEATH(
        {
            message_stdio_t out;  // the abort's message goes to standard error
            oswindow_add_record(7, nullptr, "w", false);
        },
        "Can not create more windows - already 8 windows exist.");
    dumper_set_file_name(nullptr);
}

// Real windows on SDL's dummy driver, as in CI: nothing is shown anywhere.
class headless_windows : public kernel_fixture_t {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        kernel_fixture_t::SetUp();
    }
    void TearDown() override {
        oswindow_shutdown();
        unsetenv("SDL_VIDEODRIVER");
        kernel_fixture_t::TearDown();
    }
    message_capture_t log;
};

TEST_F(headless_windows, the_main_window_is_active_and_the_monitor_on) {
    ASSERT_TRUE(oswindow_init("", nullptr, 0));
    EXPECT_TRUE(log.contains("[sys] windows on the 'dummy' video driver"));
    oswindow_record_t *system = oswindow_get_window(4);
    ASSERT_NE(system, nullptr);
    EXPECT_STREQ(system->name.c_str(), "Quarn3d");
    oswindow_record_t *main = oswindow_create(2, "Fernwold", 0, 320, 240, false);
    ASSERT_NE(main, nullptr);
    EXPECT_NE(main->handle, nullptr);
    oswindow_show(nullptr);
    oswindow_activate_main_window();
    for (int i = 0; i < 3; ++i) kernel_step();  // the default pump runs every pass
    EXPECT_TRUE(oswindow_is_application_active());
    EXPECT_TRUE(oswindow_is_monitor_active());
    oswindow_set_properties(nullptr, 640, 480);
    int w = 0, h = 0;
    oswindow_get_properties(main, &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    oswindow_set_title(main, "renamed");
    EXPECT_STREQ(main->name.c_str(), "renamed");
    oswindow_record_t *full = oswindow_create(3, "full", 0, 100, 50, true);
    ASSERT_NE(full, nullptr);
    EXPECT_TRUE(full->fullscreen);
    EXPECT_EQ(oswindow_main_window(), full);
}

}  // namespace
}  // namespace quarn::test
