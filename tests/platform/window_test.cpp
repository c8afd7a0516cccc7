#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/window.h"
#include "support/env_guard.h"

namespace quarn::platform {
namespace {

TEST(platform_keyboard, scan_codes_of_the_pc_keyboard) {
    struct key_t {
        int usage;  // USB HID usage id, as SDL numbers keys
        int scan;
        bool extended;
    };
    const key_t keys[] = {
        {41, 1, false},     // Esc
        {23, 20, false},    // T
        {15, 38, false},    // L
        {29, 44, false},    // Z
        {44, 57, false},    // Space
        {30, 2, false},     // 1
        {39, 11, false},    // 0
        {75, 0x49, true},   // Page Up: 201 with the prefix
        {80, 0x4B, true},   // Left
        {79, 0x4D, true},   // Right
        {78, 0x51, true},   // Page Down
        {72, 69, false},    // Pause
        {83, 0x45, true},   // Num Lock: 197
        {70, 84, false},    // Print Screen
        {88, 0x1C, true},   // keypad Enter
        {224, 0x1D, false}, // left Ctrl
        {228, 0x1D, true},  // right Ctrl
        {0, 0, false},
        {500, 0, false},
    };
    for (const auto &k : keys) {
        bool extended = !k.extended;
        EXPECT_EQ(keyboard_scan_code(k.usage, &extended), k.scan) << k.usage;
        EXPECT_EQ(extended, k.extended) << k.usage;
    }
}

// Answered from the environment alone, as the service's start decides: a forced
// driver or a named display may give windows a context; nothing else can.
TEST(platform_window, tells_a_start_without_a_display_before_it) {
    test::env_guard_t driver("SDL_VIDEODRIVER"), x("DISPLAY"), wayland("WAYLAND_DISPLAY");
    const struct {
        const char *driver, *x, *wayland;
        bool without;
    } cases[] = {
        {nullptr, nullptr, nullptr, true}, {"", "", "", true},           {nullptr, ":0", nullptr, false},
        {nullptr, nullptr, "wayland-0", false}, {"dummy", nullptr, nullptr, false},
    };
    for (const auto &c : cases) {
        for (const auto &[name, value] : {std::pair<const char *, const char *>{"SDL_VIDEODRIVER", c.driver},
                                          {"DISPLAY", c.x}, {"WAYLAND_DISPLAY", c.wayland}}) {
            if (value) setenv(name, value, 1);
            else unsetenv(name);
        }
        EXPECT_EQ(window_system_without_display(), c.without)
            << (c.driver ? c.driver : "-") << " " << (c.x ? c.x : "-") << " " << (c.wayland ? c.wayland : "-");
        EXPECT_FALSE(window_system_running());
    }
}

TEST(platform_window, everything_is_harmless_without_a_window) {
    EXPECT_FALSE(window_system_running());
    EXPECT_EQ(window_create("x", 10, 10, 0), nullptr);
    window_show(nullptr);
    window_raise(nullptr);
    cursor_move(nullptr, 1, 1);
    int w = -1, h = -1;
    EXPECT_FALSE(window_get_client_size(nullptr, &w, &h));
    window_event_t e;
    EXPECT_FALSE(window_poll_event(&e, true));
    EXPECT_STREQ(window_driver_name(), "");
}

// Events of SDL's one queue: window events go to the window pump, keyboard and mouse
// events stay for the input device unless the pump is asked to take them.
TEST(platform_window, the_pump_leaves_input_events_for_the_input_device) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_TRUE(window_system_start());
    window_t window = window_create("w", 64, 32, WINDOW_CENTRED);
    ASSERT_NE(window, nullptr);
    int w = 0, h = 0;
    EXPECT_TRUE(window_get_client_size(window, &w, &h));
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 32);
    const Uint32 id = SDL_GetWindowID(reinterpret_cast<SDL_Window *>(window));
    window_event_t e;
    while (window_poll_event(&e, true)) {
    }

    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.windowID = id;
    key.key.keysym.scancode = SDL_SCANCODE_PAGEUP;
    key.key.keysym.mod = KMOD_LSHIFT | KMOD_LALT;
    SDL_PushEvent(&key);
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    text.text.windowID = id;
    strcpy(text.text.text, "\xc3\xa9x");  // "éx": Latin-1 0xE9, then x
    SDL_PushEvent(&text);
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.windowID = id;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&close);

    ASSERT_TRUE(window_poll_event(&e, false));
    EXPECT_EQ(e.type, WINDOW_EVENT_CLOSE);
    EXPECT_EQ(e.window, window);
    EXPECT_FALSE(window_poll_event(&e, false));
    EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_KEYDOWN, SDL_TEXTINPUT), 2) << "still queued";

    ASSERT_TRUE(window_poll_event(&e, true));
    EXPECT_EQ(e.type, WINDOW_EVENT_KEY_DOWN);
    EXPECT_EQ(e.scan, 0x49);
    EXPECT_TRUE(e.extended);
    EXPECT_EQ(e.modifiers, unsigned(WINDOW_MOD_SHIFT | WINDOW_MOD_LEFT_ALT));
    EXPECT_STREQ(e.text, "\xe9x") << "the key's characters come with it";
    EXPECT_FALSE(window_poll_event(&e, true));

    window_destroy(window);
    window_system_stop();
    EXPECT_FALSE(window_system_running());
    unsetenv("SDL_VIDEODRIVER");
}

}  // namespace
}  // namespace quarn::platform

namespace quarn::platform {
namespace {

// The desktop and the mode list speak of pixels alike, so a mode chosen from the list
// matches the desktop the program later reads.
TEST(platform_window, display_modes_agree_with_the_desktop) {
    test::env_guard_t driver("SDL_VIDEODRIVER");
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    int width = 0, height = 0, bits = 0, refresh = 0;
    ASSERT_TRUE(display_desktop_mode(&width, &height, &bits, &refresh));
    EXPECT_EQ(bits % 8, 0);
    const int count = display_modes(nullptr, 0);
    ASSERT_GE(count, 1);
    std::vector<display_mode_info_t> modes(size_t(count) + 1);
    EXPECT_EQ(display_modes(modes.data(), count), count);
    bool desktop_listed = false;
    for (int i = 0; i < count; ++i) {
        EXPECT_GT(modes[size_t(i)].width, 0);
        EXPECT_GT(modes[size_t(i)].height, 0);
        EXPECT_EQ(modes[size_t(i)].bits % 8, 0);
        desktop_listed |= modes[size_t(i)].width == width && modes[size_t(i)].height == height &&
                          modes[size_t(i)].bits == bits;
    }
    EXPECT_TRUE(desktop_listed);
    EXPECT_FALSE(window_system_running());
}

}  // namespace
}  // namespace quarn::platform
