#include <gtest/gtest.h>

#include <string>

#include "support/fake_clock.h"
#include "support/test_paths.h"
#include "tools/kickup/src/device_specs.h"
#include "tools/kickup/src/exceptions.h"
#include "tools/kickup/src/opengl_context.h"

namespace quarn::kickup {
namespace {

// The machine's own driver through EGL, with no display (CI draws with llvmpipe).
TEST(launcher_real_probe, egl_answers_one_context_at_a_time) {
    const auto context = opengl_context_create();
    EXPECT_NE(context->renderer(), "");
    EXPECT_NE(context->version(), "");
    EXPECT_NE(context->extensions().find("GL_ARB_multitexture"), std::string::npos);
    try {
        opengl_context_create();
        ADD_FAILURE() << "a second context opened";
    } catch (const opengl_context_exception_t &e) {
        EXPECT_EQ(e.message(), "An OpenGL render context already exists!");
        EXPECT_EQ(e.source(), "opengl_context");
    }
}

// The shipped database rates the real machine; only the processor's one-second
// measurement runs on a fake clock.
TEST(launcher_real_probe, the_shipped_database_rates_this_machine) {
    test::fake_clock_t clock;
    clock.usec_per_read = 1000;
    clock.cycles_per_usec = 3000;
    const auto machine = system_machine();
    const auto specs = device_spec_build(*machine, quarn::test::test_bin_dir() + "/specs.settings");
    const render_device_t &device = specs->current_device();
    EXPECT_NE(device.renderer_name(), "");
    EXPECT_EQ(specs->quality_count(), 3u);
    EXPECT_TRUE(specs->use_custom());
    EXPECT_GE(specs->quality_level(), 0);
    EXPECT_LT(specs->quality_level(), 3);
    ASSERT_NE(device.default_path(), nullptr);
    EXPECT_EQ(specs->current_path_id(), device.default_path()->id);
    EXPECT_FALSE(device.modes().empty());
    EXPECT_GT(specs->current_mode().width, 0);
    specs->choose_path_automatically();
    EXPECT_NE(device.find_path(specs->current_path_id()), nullptr);
    // Mesa's software renderer rates the same on every run: the lowest card level,
    // which offers paths 3, 6 and 10 and chooses 6.
    if (device.renderer_name().starts_with("llvmpipe")) {
        EXPECT_EQ(specs->rating(RATING_CARD), 0);
        std::string ids;
        for (const render_path_t *p : device.paths_by_priority()) ids += std::to_string(p->id) + " ";
        EXPECT_EQ(ids, "10 6 3 ");
        EXPECT_EQ(specs->current_path_id(), 6);
    }
}

}  // namespace
}  // namespace quarn::kickup
