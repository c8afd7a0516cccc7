#include <gtest/gtest.h>

#include "inpdev_fixture.h"
#include "kernel/hw_devices.h"
#include "kernel/input/input.h"
#include "kernel/kernel_fixture.h"
#include "platform/modules.h"
#include "plugins/inpdev/inpdev.h"
#include "plugins/inpdev/script_input.h"
#include "support/temp_dir.h"
#include "qrncore/system/host_alloc.h"
#include "tracker_client.h"

namespace quarn::test {
namespace {

using namespace inpdev;

// The kernel with its scheduler, the plug-in bound to this test program, which
// exports the kernel's functions as the game program does.
class inpdev_binding : public kernel_fixture_t {
protected:
    void SetUp() override {
        kernel_fixture_t::SetUp();
        ops = inpdev_get_dl_ops();
        ASSERT_TRUE(ops->dl_symbols(platform::module_main(), nullptr));
    }
    void TearDown() override {
        kernel_fixture_t::TearDown();
        EXPECT_EQ(inpdev_state().device, nullptr) << "the device outlived its process";
        EXPECT_EQ(inpdev_state().process, nullptr);
    }
    static int registered() {
        int n = 0;
        for (int i = 0; i < hw_device_count(); ++i) n += hw_device_get(i) == inpdev_state().device;
        return n;
    }

    dl_ops_t *ops = nullptr;
    message_capture_t log;
};

TEST_F(inpdev_binding, the_entry_gives_one_object) { EXPECT_EQ(inpdev_get_dl_ops(), inpdev_get_dl_ops()); }

TEST_F(inpdev_binding, register_adds_the_process_and_the_device_until_the_process_goes) {
    const int devices = hw_device_count();
    ASSERT_TRUE(ops->dl_register(platform::module_main(), nullptr));
    vprocess_t *process = process_get("inpdev");
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(process, inpdev_state().process);
    ASSERT_NE(inpdev_state().device, nullptr);
    EXPECT_EQ(hw_device_count(), devices + 1);
    EXPECT_EQ(registered(), 1);
    EXPECT_STREQ(inpdev_state().device->name.c_str(), "inpdev");
    EXPECT_EQ(inpdev_state().device->device_class, hw_device_t::INPUT);
    EXPECT_TRUE(inpdev_state().device->present) << "detect passes on this system";

    process->shutdown(false);
    for (int i = 0; i < 8 && process_get("inpdev"); ++i) kernel_step();
    EXPECT_EQ(process_get("inpdev"), nullptr);
    EXPECT_EQ(hw_device_count(), devices);
    EXPECT_EQ(inpdev_state().device, nullptr);
}

// With an input script the device plays it instead of SDL's keyboard and mouse, until
// the plug-in is unregistered.
TEST_F(inpdev_binding, with_an_input_script_the_device_plays_it) {
    temp_dir_t dir;
    ASSERT_TRUE(write_file(dir.file("run.script"), "1 move 3 4\n"));
    setenv(INPUT_SCRIPT_VARIABLE, dir.file("run.script").c_str(), 1);
    const bool registered = ops->dl_register(platform::module_main(), nullptr);
    unsetenv(INPUT_SCRIPT_VARIABLE);
    ASSERT_TRUE(registered);
    EXPECT_TRUE(log.contains("[inpdev] Keyboard and mouse play the input script '" + dir.file("run.script") +
                             "' (1 actions)."));
    ASSERT_NE(script_input_playback(), nullptr);
    auto *device = static_cast<inp_device_t *>(inpdev_state().device);
    ASSERT_TRUE(device->init());
    device->read_input();
    EXPECT_TRUE(script_input_playback()->finished());
    device->shutdown();
    process_get("inpdev")->shutdown(false);
    for (int i = 0; i < 8 && process_get("inpdev"); ++i) kernel_step();
    EXPECT_TRUE(ops->dl_unregister(platform::module_main(), nullptr));
    EXPECT_EQ(script_input_playback(), nullptr);
}

// A script's input takes the kernel's road: its names are the kernel's trigger names,
// and the game's bindings make "mouse1" fire, "mouse3" reload and "w" walk.
TEST_F(inpdev_binding, a_scripts_input_takes_the_kernels_road_to_the_bindings_and_impulses) {
    constexpr int FORWARD = 100, FIRE = 130, RELOAD = 131;
    const inp_impulse_name_t impulses[] = {{FORWARD, "forward"}, {FIRE, "weap_fire"}, {RELOAD, "weap_reload"},
                                           {0, nullptr}};
    inp_start();
    temp_dir_t dir;
    ASSERT_TRUE(write_file(dir.file("run.script"), "1 key w down\n1 button 1 down\n2 button 1 up\n2 button 3 down\n"));
    setenv(INPUT_SCRIPT_VARIABLE, dir.file("run.script").c_str(), 1);
    const bool registered = ops->dl_register(platform::module_main(), nullptr);
    unsetenv(INPUT_SCRIPT_VARIABLE);
    ASSERT_TRUE(registered);
    inp_init_input(impulses);
    EXPECT_EQ(inp_current_device(), inpdev_state().device);
    for (const auto &[trigger, impulse] : {std::pair{"w", "forward"}, {"mouse1", "weap_fire"}, {"mouse3", "weap_reload"}})
        ASSERT_TRUE(_inp_bind_impulse(_inp_get_trigger_name(trigger), _inp_get_impulse_name(impulse), 0)) << trigger;
    inp_set_active(true);
    inp_handle_impulses(true);

    inp_frame();
    EXPECT_TRUE(inp_impulse_is_activated(FIRE));
    EXPECT_GT(inp_impulse_value(FORWARD), 0.0f);
    EXPECT_FALSE(inp_impulse_is_activated(RELOAD));
    inp_frame();
    EXPECT_TRUE(inp_impulse_is_activated(RELOAD));
    EXPECT_FALSE(inp_impulse_is_activated(FIRE));
    EXPECT_GT(inp_impulse_value(FORWARD), 0.0f) << "w is still held";

    static_cast<inp_device_t *>(inpdev_state().device)->shutdown();
    process_get("inpdev")->shutdown(false);
    for (int i = 0; i < 8 && process_get("inpdev"); ++i) kernel_step();
    inp_stop();
    EXPECT_TRUE(ops->dl_unregister(platform::module_main(), nullptr));
}

// A script that cannot be played fails the run: a run meant to follow a script must
// not go on by itself.
TEST_F(inpdev_binding, an_input_script_that_cannot_be_played_fails_the_run) {
    temp_dir_t dir;
    ASSERT_TRUE(write_file(dir.file("bad.script"), "1 move 3 4\n1 jump\n"));
    setenv(INPUT_SCRIPT_VARIABLE, dir.file("bad.script").c_str(), 1);
    const bool registered = ops->dl_register(platform::module_main(), nullptr);
    unsetenv(INPUT_SCRIPT_VARIABLE);
    EXPECT_FALSE(registered);
    EXPECT_TRUE(log.contains("[inpdev] " + dir.file("bad.script") + ":2: 'jump' is no action (key, button, move or point)"));
    EXPECT_TRUE(sys_run_failed());
    EXPECT_EQ(process_get("inpdev"), nullptr);
    EXPECT_EQ(inpdev_state().device, nullptr);
    EXPECT_EQ(script_input_playback(), nullptr);
}

TEST_F(inpdev_binding, a_missing_export_that_the_plug_in_calls_fails_the_binding_by_name) {
    // The head tracker's stand-in client exports none of the kernel's functions.
    void *host = platform::module_open(tracker_client().c_str());
    ASSERT_NE(host, nullptr) << platform::module_error();
    EXPECT_FALSE(ops->dl_symbols(host, nullptr));
    for (const char *name : {"process_add", "hw_device_insert", "hw_device_remove", "oswindow_get_window",
                             "sys_version", "inp_event"})
        EXPECT_TRUE(log.contains(std::string("[inpdev] The program does not offer '") + name + "'")) << name;
    EXPECT_FALSE(log.contains("cvar_get")) << "names the plug-in only keeps may be missing";
    platform::module_close(host);
    ASSERT_TRUE(ops->dl_symbols(platform::module_main(), nullptr));
    EXPECT_NE(inpdev_state().kernel.address("inp_joy_get_count"), nullptr) << "bound-only names are kept";
}

// Host allocations fail from the nth on.
int allocations_left = 0;
void *failing_new(size_t bytes) { return allocations_left-- > 0 ? malloc(bytes) : nullptr; }
void plain_delete(void *memory) { free(memory); }

TEST_F(inpdev_binding, out_of_memory_in_register_leaves_nothing_behind) {
    const host_new_t saved_new = qrncore_system_new;
    const host_delete_t saved_delete = qrncore_system_delete;
    for (int allowed : {0, 1}) {
        const int devices = hw_device_count();
        allocations_left = allowed;
        qrncore_system_new = failing_new;
        qrncore_system_delete = plain_delete;
        const bool registered_ok = ops->dl_register(platform::module_main(), nullptr);
        qrncore_system_new = saved_new;
        qrncore_system_delete = saved_delete;
        EXPECT_FALSE(registered_ok) << allowed;
        EXPECT_EQ(hw_device_count(), devices) << allowed;
        EXPECT_EQ(process_get("inpdev"), nullptr) << allowed;
        EXPECT_EQ(inpdev_state().device, nullptr) << allowed;
    }
    EXPECT_TRUE(log.contains("[inpdev] Out of memory for the device"));
    EXPECT_TRUE(log.contains("[inpdev] Out of memory for the process"));
}

// The system the kernel reports.
int system_kind = 0, system_major = 0;
void fake_version(int *system, int *major, int *minor) {
    if (system) *system = system_kind;
    if (major) *major = system_major;
    if (minor) *minor = 0;
}

class inpdev_detect : public inpdev_fixture_t {};

TEST_F(inpdev_detect, refuses_only_the_oldest_system) {
    plugin.kernel.set_call(plugin::CALL_SYS_VERSION, reinterpret_cast<void *>(&fake_version));
    input_device_t device(plugin, nullptr, scripted_input_create, settings);
    const struct {
        int kind, major;
        bool passes;
    } cases[] = {{5, 4, false}, {5, 3, false}, {5, 5, true}, {6, 5, true}, {7, 4, true}, {1, 6, true}, {0, 0, true}};
    for (const auto &c : cases) {
        system_kind = c.kind;
        system_major = c.major;
        EXPECT_EQ(device.detect(), c.passes) << c.kind << "/" << c.major;
    }
}

}  // namespace
}  // namespace quarn::test
