// The game process's frame on the renderer plug-in "lib/gl", which records what it
// would draw: the drawing order of a frame, the screenshot frame, and the graphics
// mode switch with its fall-back to the mode before.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../world/weather_fixture.h"
#include "game/process/game_process.h"
#include "game/visuals/effects/visual_objects.h"
#include "kernel/console/commands.h"
#include "kernel/gfx/gfx.h"
#include "kernel/input/input.h"
#include "kernel/console/cvars.h"
#include "kernel/plugins.h"
#include "kernel/gfx/screenshot.h"
#include "outside/qrnshared/cmd.h"
#include "outside/qrnshared/cvar.h"
#include "outside/qrnshared/r_queue.h"
#include "outside/visbase/camera.h"
#include "outside/visbase/visbase.h"
#include "platform/crash.h"
#include "qrncore/system/dl_lib.h"
#include "support/test_paths.h"

namespace quarn::test {

// A scene whose own draw, overlay pass and held weapon each queue one prototype
// through the test's hooks.
class frame_test_ctrl_u : public weather_test_ctrl_u {
    QRN_UNIT_CLASS(frame_test_ctrl_u, weather_test_ctrl_u);

public:
    class armed_player_t : public scene_object_t {
    public:
        void update(float) override {}
        bool has_weapon_overlay() const override { return true; }
        void draw_weapon_overlay() override {
            if (on_weapon) on_weapon();
        }
        std::function<void()> on_weapon;
    };
    scene_object_t *get_player() override { return &armed; }
    void draw() override {
        weather_test_ctrl_u::draw();
        if (on_draw) on_draw();
    }
    bool has_overlay_pass() const override { return true; }
    void draw_overlay() override {
        if (on_overlay) on_overlay();
    }

    armed_player_t armed;
    std::function<void()> on_draw, on_overlay;
};

QRN_UNIT_DEFINE(frame_test_ctrl_u, "frame_test_ctrl");

namespace {

// The game process with a renderer that refuses the modes of some widths.
class picky_process_t : public game_process_t {
public:
    bool thaw_gfx2(const gfx_mode_t &mode) override {
        for (int32_t width : refused)
            if (mode.mode.width == width) return false;
        return game_process_t::thaw_gfx2(mode);
    }
    std::vector<int32_t> refused;
};

class game_frame : public weather_fixture_t {
protected:
    void SetUp() override {
        weather_fixture_t::SetUp();
        r_draw_log_request(true);
        visbase_init(dl_lib_t::get_main_handle());
        // Graphics thaw with the input.
        inp_start();
        ASSERT_NE(dll_register((test_bin_dir() + "/lib/gl").c_str()), nullptr);
        ASSERT_TRUE(write_file(dir.file("home/screenshots/.keep"), ""));
        home = ufs_mount(FS_DEVICE_DIRECTORY, dir.file("home").c_str(), "/home", false, 0);
        ASSERT_NE(home, nullptr);
        process = new picky_process_t;
        process->register_console();
        ASSERT_TRUE(process->init_gfx2(mode_of(800, 600), true));
        // The scene and the visual objects share one flush: their draw orders keep them
        // apart in the log.
        int32_t order = 0;
        for (const char *name : {"scene", "visual", "overlay", "weapon"})
            materials[name] = dry(std::string(name) + ".mat", 0, order++);
    }
    void TearDown() override {
        set_current_ctrl({});
        visual_objects_remove_pass(queue_visual, this);
        delete process;
        process = nullptr;
        if (home) ufs_unmount(home);
        inp_stop();
        r_draw_log_request(false);
        weather_fixture_t::TearDown();
        visbase_shutdown();
        dll_table_forget();
    }

    static gfx_mode_t mode_of(int32_t width, int32_t height) {
        gfx_mode_t mode;
        EXPECT_TRUE(mode.parse("gl", "gl", "640x480x32x0", false));
        mode.mode.width = width;
        mode.mode.height = height;
        return mode;
    }

    // The scene, current and running, with the sky of the valley; every hook queues
    // the prototype of its material.
    frame_test_ctrl_u *start_frame_scene() {
        set_current_ctrl(frame_test_ctrl_u::create());
        auto *scene = static_cast<frame_test_ctrl_u *>(get_current_ctrl());
        if (!scene || !scene->get_environment()) return nullptr;
        scene->get_environment()->get_skybox()->set_sky("valley", "flat");
        scene->on_draw = [this] { queue("scene"); };
        scene->on_overlay = [this] { queue("overlay"); };
        scene->armed.on_weapon = [this] { queue("weapon"); };
        calls.clear();
        EXPECT_TRUE(visual_objects_add_pass(queue_visual, this));
        process->set_controller_running(true);
        return scene;
    }

    void queue(const char *name) {
        calls.push_back(name);
        protos.push_back(std::make_unique<test_proto_t>(materials[name], &packets->array));
        EXPECT_TRUE(gfx_queue_proto(&protos.back()->proto)) << name;
    }
    // The visual objects draw with the main camera loaded: where it stands is noted.
    static void queue_visual(void *fixture) {
        auto *self = static_cast<game_frame *>(fixture);
        const mat4_t &m = gfx_camera_world_matrix();
        self->visual_camera = {m[3], m[7], m[11]};
        self->queue("visual");
    }

    // What the last frame drew, by material: "sky" for the sky's pieces, the test's
    // own by name; repeats of one name in a row count once.
    std::vector<std::string> drawn() const {
        std::vector<std::string> names;
        const r_draw_log_t &log = process->get_context()->get_draw_log();
        for (uint32_t i = 0; i < log.draw_count(); ++i) {
            std::string material = log.draw(i).material.c_str();
            std::string name;
            if (material.rfind("/material/skybox/", 0) == 0) name = "sky";
            else if (material.rfind("/t/", 0) == 0) name = material.substr(3, material.size() - 7);
            if (!name.empty() && (names.empty() || names.back() != name)) names.push_back(name);
        }
        return names;
    }

    void expect_size(int32_t width, int32_t height) {
        int32_t w = 0, h = 0;
        ASSERT_TRUE(process->get_screen_size(&w, &h));
        EXPECT_EQ(w, width);
        EXPECT_EQ(h, height);
    }

    picky_process_t *process = nullptr;
    fs_device_t *home = nullptr;
    std::map<std::string, c_item_t *> materials;
    // The hooks in the order the frame called them.
    std::vector<std::string> calls;
    vec3_t visual_camera{0.0f, 0.0f, 0.0f};
};

using strings = std::vector<std::string>;

// The sky behind everything, the scene, the visual objects with the main camera, the
// overlay pass, then the held weapon in the scope.
TEST_F(game_frame, a_frame_draws_in_order) {
    frame_test_ctrl_u *scene = start_frame_scene();
    ASSERT_NE(scene, nullptr);
    scene->view.position = {10.0f, 2.0f, -20.0f};
    // Something in the scene draws with a camera of its own (at the origin).
    scene->on_draw = [this] {
        gfx_camera_load(*packets->camera);
        queue("scene");
    };
    process->render_frame();
    const r_draw_log_t &records = process->get_context()->get_draw_log();
    ASSERT_GT(records.get_count(), 0u);
    EXPECT_EQ(records[0].kind, r_draw_record_t::CALL);
    EXPECT_STREQ(records[0].call.c_str(), "clear 0 0 800 600 FF000000") << "the whole window first";
    EXPECT_EQ(calls, (strings{"scene", "visual", "overlay", "weapon"}));
    EXPECT_EQ(drawn(), (strings{"sky", "scene", "visual", "overlay", "weapon"}));
    EXPECT_EQ(visual_camera, (vec3_t{10.0f, 2.0f, -20.0f})) << "the scene's camera is loaded";

    // Without a running controller only the UI would draw.
    process->set_controller_running(false);
    process->render_frame();
    EXPECT_EQ(drawn(), strings{});
}

// The frame in which a capture was due skips the scope (and the UI); the next frame
// draws them again whether or not the capture came. Here the renderer cannot capture
// a frame that wide: the capture comes once the mode allows it.
TEST_F(game_frame, the_screenshot_frame_ends_also_without_a_capture) {
    process->freeze_gfx2();
    ASSERT_TRUE(process->thaw_gfx2(mode_of(70000, 600)));
    ASSERT_NE(start_frame_scene(), nullptr);

    EXPECT_EQ(cmd_run_line("screenshot", -1), cmd_t::DONE);
    EXPECT_TRUE(process->is_screenshot_pending());
    process->render_frame();
    EXPECT_TRUE(log.contains("[gfx] Can not capture a frame of 70000 x 600 pixels"));
    EXPECT_EQ(drawn(), (strings{"sky", "scene", "visual", "overlay"})) << "no scope while the capture is due";
    EXPECT_FALSE(process->is_screenshot_pending());
    EXPECT_TRUE(read_file(dir.file("home/screenshots/fernwold_00000.png")).empty());

    process->render_frame();
    EXPECT_EQ(drawn(), (strings{"sky", "scene", "visual", "overlay", "weapon"}));

    // The request the renderer kept is served by the first frame it can capture.
    EXPECT_EQ(cmd_run_line("g_mode gl gl 800x600x32x0 0", -1), cmd_t::DONE);
    process->render_frame();
    EXPECT_EQ(read_file(dir.file("home/screenshots/fernwold_00000.png")).substr(1, 3), "PNG");
    EXPECT_FALSE(process->is_screenshot_pending());
}

// "g_screenshot_ui" 1 keeps the scope (and the UI) in the frame of a capture, so the
// picture is what the player sees; with the draw logs' test support the frame's draw
// log lies beside the picture under its name.
TEST_F(game_frame, a_screenshot_keeps_the_scope_when_asked_and_its_draw_log_lies_beside_it) {
    ASSERT_EQ(setenv("FERNWOLD_SCREENSHOT_DRAW_LOGS", "1", 1), 0);
    process->register_console();
    unsetenv("FERNWOLD_SCREENSHOT_DRAW_LOGS");
    cvar_t *keep_ui = cvar_get("g_screenshot_ui");
    ASSERT_NE(keep_ui, nullptr);
    EXPECT_STREQ(keep_ui->get_text(), "0") << "the scene alone unless asked";
    ASSERT_TRUE(keep_ui->set("1"));
    screenshot_set_counter(0);
    ASSERT_NE(start_frame_scene(), nullptr);

    EXPECT_EQ(cmd_run_line("screenshot", -1), cmd_t::DONE);
    process->render_frame();
    EXPECT_EQ(drawn(), (strings{"sky", "scene", "visual", "overlay", "weapon"}));
    EXPECT_EQ(read_file(dir.file("home/screenshots/fernwold_00000.png")).substr(1, 3), "PNG");
    mstring_dyn_t dump;
    ASSERT_TRUE(process->get_context()->get_draw_log().dump(dump));
    EXPECT_EQ(read_file(dir.file("home/screenshots/fernwold_00000.draw")), dump.c_str());
    EXPECT_FALSE(process->is_screenshot_pending());
    keep_ui->set("0");
    screenshot_set_counter(0);
}

// A mode that does not open falls back to the mode before, by the command and by the
// frame's request alike.
TEST_F(game_frame, a_failing_mode_switch_falls_back_to_the_previous_mode) {
    process->refused = {1024};
    EXPECT_EQ(cmd_run_line("g_mode gl gl 1024x768x32x0 0", -1), cmd_t::DONE);
    EXPECT_TRUE(log.contains("[game] Failed to switch\tvideo mode."));
    EXPECT_FALSE(log.contains("previous video mode"));
    EXPECT_TRUE(process->is_gfx_up());
    expect_size(800, 600);
    EXPECT_EQ(process->get_previous_mode().mode.width, 800);

    log.clear();
    ASSERT_TRUE(process->request_mode("gl", "gl", "1024x768x32x0", false));
    process->frame();
    EXPECT_FALSE(process->is_mode_switch_requested());
    EXPECT_TRUE(log.contains("[game] Failed to switch\tvideo mode."));
    EXPECT_TRUE(process->is_gfx_up());
    expect_size(800, 600);

    // A mode that opens is taken.
    ASSERT_TRUE(process->request_mode("gl", "gl", "640x480x32x0", false));
    process->frame();
    expect_size(640, 480);
}

// When the mode before does not open either, the program ends with the no-graphics
// stop: its message box on standard error, then the core's abort.
TEST_F(game_frame, both_modes_failing_end_the_program) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    process->refused = {1024, 800};
    const std::string crash_log = dir.file("crash.log");
    EXPECT_DEATH(
        {
            platform::crash_set_path(crash_log.c_str());
            cmd_run_line("g_mode gl gl 1024x768x32x0 0", -1);
        },
        "no_graphics");
}

}  // namespace
}  // namespace quarn::test
