#include <gtest/gtest.h>

#include <string>

#include "platform/gl_probe.h"
#include "platform/gl_surface.h"
#include "support/env_guard.h"

namespace quarn::platform {
namespace {

constexpr uint32_t GL_MAX_TEXTURE_SIZE = 0x0D33;
constexpr uint32_t GL_MAX_VIEWPORT_DIMS = 0x0D3A;

// The machine's real driver, with no window and no display: CI's is Mesa's llvmpipe.
TEST(platform_gl_probe, answers_without_a_display_and_one_context_at_a_time) {
    EXPECT_STREQ(gl_probe_string(GL_PROBE_RENDERER), "");
    ASSERT_EQ(gl_probe_open(), GL_PROBE_OK);
    EXPECT_TRUE(gl_probe_is_open());
    EXPECT_EQ(gl_probe_open(), GL_PROBE_BUSY);
    EXPECT_NE(std::string(gl_probe_string(GL_PROBE_VENDOR)), "");
    EXPECT_NE(std::string(gl_probe_string(GL_PROBE_RENDERER)), "");
    EXPECT_NE(std::string(gl_probe_string(GL_PROBE_VERSION)), "");
    const std::string extensions = gl_probe_string(GL_PROBE_EXTENSIONS);
    EXPECT_NE(extensions.find("GL_ARB_"), std::string::npos) << extensions;

    int32_t size = 0;
    EXPECT_TRUE(gl_probe_integer(GL_MAX_TEXTURE_SIZE, &size));
    EXPECT_GE(size, 64);
    // An enumerant answering two values, and one the driver refuses.
    EXPECT_TRUE(gl_probe_integer(GL_MAX_VIEWPORT_DIMS, &size));
    EXPECT_GT(size, 0);
    size = 77;
    EXPECT_FALSE(gl_probe_integer(0x7FFF, &size));
    EXPECT_EQ(size, 77);

    gl_probe_close();
    EXPECT_FALSE(gl_probe_is_open());
    EXPECT_FALSE(gl_probe_integer(GL_MAX_TEXTURE_SIZE, &size));
    gl_probe_close();
    // A second probe after the first is gone.
    ASSERT_EQ(gl_probe_open(), GL_PROBE_OK);
    gl_probe_close();
}

TEST(platform_gl_probe, failures_name_their_calls) {
    EXPECT_STREQ(gl_probe_failed_call(GL_PROBE_NO_DISPLAY), "eglGetPlatformDisplay");
    EXPECT_STREQ(gl_probe_failed_call(GL_PROBE_NO_INITIALIZE), "eglInitialize");
    EXPECT_STREQ(gl_probe_failed_call(GL_PROBE_NO_CONTEXT), "eglCreateContext");
    EXPECT_STREQ(gl_probe_failed_call(GL_PROBE_NO_CURRENT), "eglMakeCurrent");
    EXPECT_STREQ(gl_probe_failed_call(GL_PROBE_OK), "");
}

// The display started ahead on its thread: the open waits for it and opens as it
// would without it, and later opens find the display up.
TEST(platform_gl_surface, an_offscreen_open_after_the_early_start_makes_its_context) {
    test::env_guard_t driver("SDL_VIDEODRIVER"), x("DISPLAY"), wayland("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    gl_offscreen_prepare();
    gl_offscreen_prepare();
    for (int i = 0; i < 2; ++i) {
        gl_surface_t surface = gl_surface_open_offscreen();
        ASSERT_NE(surface, nullptr) << gl_surface_error();
        EXPECT_FALSE(gl_surface_is_window(surface));
        EXPECT_TRUE(gl_surface_make_current(surface));
        EXPECT_STREQ(gl_surface_error(), "");
        gl_surface_close(surface);
    }
}

}  // namespace
}  // namespace quarn::platform
