// The common process of the shared layer, as the game process uses it: the autoexec
// files and graphics on the renderer plug-in "lib/gl", which draws nothing.
#include <gtest/gtest.h>

#include "kernel/console/commands.h"
#include "kernel/gfx/gfx.h"
#include "kernel/kernel_fixture.h"
#include "kernel/plugins.h"
#include "outside/qrnshared/common_proc.h"
#include "outside/qrnshared/qrnshared.h"
#include "outside/visbase/visbase.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/dl_lib.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

class common_proc : public kernel_fixture_t {
protected:
    void SetUp() override {
        kernel_fixture_t::SetUp();
        qrnshared_init(dl_lib_t::get_main_handle());
        visbase_init(dl_lib_t::get_main_handle());
        fs_startup();
        cmd_register_builtins();
        gfx_start();
    }
    void TearDown() override {
        kernel_fixture_t::TearDown();
        gfx_stop();
        fs_shutdown();
        visbase_shutdown();
        qrnshared_shutdown();
        dll_table_forget();
    }
    void load_renderer() { ASSERT_NE(dll_register((test_bin_dir() + "/lib/gl").c_str()), nullptr); }
    gfx_mode_t mode_of(const char *line) {
        gfx_mode_t m;
        EXPECT_TRUE(m.parse("", "", line, false)) << line;
        return m;
    }
    void expect_size(const common_proc_t &p, int32_t width, int32_t height) {
        int32_t w = 0, h = 0;
        ASSERT_TRUE(p.get_screen_size(&w, &h));
        EXPECT_EQ(w, width);
        EXPECT_EQ(h, height);
    }

    message_capture_t log;
};

// Each file runs by its own "exec": one that is missing is skipped, the rest still run.
TEST_F(common_proc, autoexec_without_default_cfg_still_runs_the_home_configuration) {
    temp_dir_t dir;
    ASSERT_TRUE(write_file(dir.file("config.cfg"), "echo config_ran\n"));
    ASSERT_TRUE(write_file(dir.file("home/config.cfg"), "echo home_ran\n"));
    fs_device_t *root = ufs_mount(FS_DEVICE_DIRECTORY, dir.path().c_str(), "", true, 0);
    ASSERT_NE(root, nullptr);
    common_proc_t process(0);
    process.set_name("game");
    process.run_autoexec();
    ufs_unmount(root);
    const std::vector<std::string> lines = log.texts(message_t::MESSAGE);
    const auto at = [&](const char *text) { return std::find(lines.begin(), lines.end(), text) - lines.begin(); };
    EXPECT_TRUE(log.contains("[game] /default.cfg not found, skipped"));
    EXPECT_LT(at("config_ran"), at("home_ran"));
    EXPECT_LT(at("home_ran"), std::ptrdiff_t(lines.size()));
    EXPECT_FALSE(log.contains("failed to open"));
}

TEST_F(common_proc, graphics_start_on_the_renderer_freeze_and_thaw) {
    load_renderer();
    common_proc_t process(0);
    EXPECT_FALSE(process.get_screen_size(nullptr, nullptr)) << "nothing before the start";
    ASSERT_TRUE(process.init_gfx2(mode_of("800x600x32x0"), true));
    EXPECT_TRUE(process.is_gfx_up());
    EXPECT_TRUE(gfx_is_active());
    EXPECT_EQ(gfx_get_rendering_device(), process.get_device());
    EXPECT_NE(process.get_context(), nullptr);
    expect_size(process, 800, 600);

    process.freeze_gfx2();
    EXPECT_FALSE(process.is_gfx_up());
    EXPECT_FALSE(gfx_is_active());
    EXPECT_EQ(process.get_context(), nullptr);
    EXPECT_EQ(gfx_get_rendering_device(), process.get_device()) << "a frozen device stays";
    ASSERT_TRUE(process.thaw_gfx2(mode_of("1024x768")));
    expect_size(process, 1024, 768);

    // Leaving the application freezes; coming back thaws in the mode in force.
    EXPECT_TRUE(process.change_application_active(false));
    EXPECT_FALSE(process.is_gfx_up());
    EXPECT_TRUE(process.change_application_active(true));
    expect_size(process, 1024, 768);
    EXPECT_TRUE(gfx_is_active());

    process.shutdown_gfx2();
    EXPECT_FALSE(process.is_gfx_up());
    EXPECT_EQ(gfx_get_rendering_device(), nullptr);
    EXPECT_FALSE(process.thaw_gfx2(mode_of("640x480"))) << "no device after the shutdown";
}

TEST_F(common_proc, bad_modes_are_refused) {
    const char *bad[] = {"", "abc", "0x480", "640x0", "640x480x15", "640x480x32x0x1", "640 x480", "-640x480",
                         "640x480x32x2000", "16385x480", "640x"};
    for (const char *line : bad) {
        gfx_mode_t m = mode_of("320x200x16x60");
        log.clear();
        EXPECT_FALSE(m.parse("d", "e", line, true)) << line;
        EXPECT_TRUE(log.contains("[gfx] Bad video mode '" + std::string(line) + "'")) << line;
        EXPECT_EQ(m.mode.width, 320) << "unchanged";
        EXPECT_EQ(m.mode.refresh, 60);
        EXPECT_FALSE(m.fullscreen);
    }

    load_renderer();
    common_proc_t process(0);
    process.set_name("game");
    gfx_mode_t m = mode_of("640x480");
    m.driver = "nosuch";
    EXPECT_FALSE(process.init_gfx2(m, true));
    EXPECT_TRUE(log.contains("[game] No graphics driver 'nosuch'"));
    m.driver = "gl";
    m.device = "other";
    EXPECT_FALSE(process.init_gfx2(m, true));
    // A mode the renderer refuses leaves nothing up.
    m.device = "gl";
    m.mode.width = 0;
    EXPECT_FALSE(process.init_gfx2(m, true));
    EXPECT_TRUE(log.contains("[game] The video mode 0x480x32 does not open"));
    EXPECT_FALSE(process.is_gfx_up());
    EXPECT_EQ(gfx_get_rendering_device(), nullptr);
    EXPECT_FALSE(gfx_is_active());
}

}  // namespace
}  // namespace quarn::test
