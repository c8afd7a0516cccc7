#include <gtest/gtest.h>

#include "kernel/console/cvars.h"
#include "kernel/hw_devices.h"
#include "kernel/kernel_fixture.h"
#include "kernel/sound/sound.h"
#include "kernel/sound/sound_unit.h"
#include "outside/qrnshared/qrnshared.h"
#include "outside/sonbase/sonbase.h"
#include "platform/modules.h"
#include "plugins/snddev/al_output.h"
#include "plugins/snddev/snddev.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"
#include "scripted_output.h"
#include "support/message_capture.h"
#include "test_sounds.h"
#include "tracker_client.h"

namespace quarn::test {
namespace {

using namespace snddev;

const char *const VARIABLES[] = {"snddev_reverse_stereo", "snddev_mix_rate", "snddev_mix_depth",
                                 "snddev_mix_channels"};
const char *const DEFAULTS[] = {"0", "44100", "16", "2"};

// The kernel with its scheduler and the shared layer, the plug-in bound to this test
// program, on the scripted output.
class snddev_binding : public kernel_fixture_t {
protected:
    void SetUp() override {
        kernel_fixture_t::SetUp();
        qrnshared_init(platform::module_main());
        reset_output_script();
        snddev_ops_t::factory = scripted_output_create;
        ops = snddev_get_dl_ops();
        ASSERT_TRUE(ops->dl_symbols(platform::module_main(), nullptr));
    }
    void TearDown() override {
        kernel_fixture_t::TearDown();
        EXPECT_EQ(snddev_state().device, nullptr) << "the device outlived its process";
        ops->dl_unregister(platform::module_main(), nullptr);
        snddev_ops_t::factory = al_output_create;
        qrnshared_shutdown();
        reset_output_script();
    }
    // Ends the plug-in's process, as the scheduler does.
    void end_process() {
        if (vprocess_t *p = process_get("snddev")) p->shutdown(false);
        for (int i = 0; i < 8 && process_get("snddev"); ++i) kernel_step();
    }

    dl_ops_t *ops = nullptr;
    message_capture_t log;
};

TEST_F(snddev_binding, the_entry_gives_one_object) { EXPECT_EQ(snddev_get_dl_ops(), snddev_get_dl_ops()); }

TEST_F(snddev_binding, register_adds_process_device_and_variables_and_unregister_takes_the_variables) {
    const int devices = hw_device_count();
    ASSERT_TRUE(ops->dl_register(platform::module_main(), nullptr));
    EXPECT_NE(process_get("snddev"), nullptr);
    ASSERT_NE(snddev_state().device, nullptr);
    EXPECT_EQ(hw_device_count(), devices + 1);
    EXPECT_EQ(snddev_state().device->device_class, hw_device_t::SOUND);
    EXPECT_TRUE(snddev_state().device->present) << "detect made an output";
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(cvar_get(VARIABLES[i]), nullptr) << VARIABLES[i];
        EXPECT_STREQ(cvar_get(VARIABLES[i])->get_text(), DEFAULTS[i]);
    }
    ASSERT_TRUE(cvar_get("snddev_mix_rate")->set("11025"));
    end_process();
    EXPECT_EQ(hw_device_count(), devices) << "the device left with the process";
    EXPECT_TRUE(ops->dl_unregister(platform::module_main(), nullptr));
    for (const char *name : VARIABLES) EXPECT_EQ(cvar_get(name), nullptr) << name;

    ASSERT_TRUE(ops->dl_register(platform::module_main(), nullptr));
    EXPECT_STREQ(cvar_get("snddev_mix_rate")->get_text(), "44100") << "registered again with its default";
    end_process();
}

TEST_F(snddev_binding, the_device_leaves_the_registry_in_the_process_s_last_pass) {
    const int devices = hw_device_count();
    ASSERT_TRUE(ops->dl_register(platform::module_main(), nullptr));
    hw_device_t *device = snddev_state().device;
    ASSERT_TRUE(hw_init(device));
    vprocess_t *process = process_get("snddev");
    process->shutdown(false);
    for (int i = 0; i < 5; ++i) kernel_step();
    EXPECT_EQ(process_get("snddev"), process) << "an initialised device holds its process";
    EXPECT_EQ(hw_device_count(), devices + 1);
    hw_shutdown(device);
    for (int i = 0; i < 5 && process_get("snddev"); ++i) kernel_step();
    EXPECT_EQ(process_get("snddev"), nullptr);
    EXPECT_EQ(hw_device_count(), devices);
    EXPECT_EQ(snddev_state().device, nullptr);
}

TEST_F(snddev_binding, a_missing_export_that_the_plug_in_calls_fails_the_binding_by_name) {
    void *host = platform::module_open(tracker_client().c_str());
    ASSERT_NE(host, nullptr);
    EXPECT_FALSE(ops->dl_symbols(host, nullptr));
    for (const char *name : {"process_add", "hw_device_insert", "hw_device_remove", "oswindow_get_window",
                             "sys_get_lastdelta", "cvar_get", "cvar_link", "cvar_unlink", "snd_is_accelerated",
                             "snd_is_stereo_reversed"})
        EXPECT_TRUE(log.contains(std::string("[snddev] The program does not offer '") + name + "'")) << name;
    EXPECT_FALSE(log.contains("'inp_event'")) << "not a name of this plug-in's groups";
    platform::module_close(host);
    ASSERT_TRUE(ops->dl_symbols(platform::module_main(), nullptr));
}

int allocations_left = 0;
void *failing_new(size_t bytes) { return allocations_left-- > 0 ? malloc(bytes) : nullptr; }
void plain_delete(void *memory) { free(memory); }

TEST_F(snddev_binding, out_of_memory_in_register_leaves_nothing_behind) {
    const host_new_t saved_new = qrncore_system_new;
    const host_delete_t saved_delete = qrncore_system_delete;
    for (int allowed : {0, 1}) {
        const int devices = hw_device_count();
        allocations_left = allowed;
        qrncore_system_new = failing_new;
        qrncore_system_delete = plain_delete;
        const bool registered = ops->dl_register(platform::module_main(), nullptr);
        qrncore_system_new = saved_new;
        qrncore_system_delete = saved_delete;
        EXPECT_FALSE(registered) << allowed;
        EXPECT_EQ(hw_device_count(), devices) << allowed;
        EXPECT_EQ(process_get("snddev"), nullptr) << allowed;
        EXPECT_EQ(cvar_get("snddev_mix_rate"), nullptr) << allowed;
    }
}

// The frame time the plug-in is told.
double frame_time() { return 0.05; }

TEST_F(snddev_binding, a_sound_started_through_the_kernel_ends_on_the_loopback) {
    sonbase_init(platform::module_main());
    unit_bank_t bank;
    unit_system_t system{bank};
    snd_start(&bank, &system);
    snddev_ops_t::factory = al_loopback_create;
    ASSERT_TRUE(ops->dl_register(platform::module_main(), nullptr));
    snddev_state().kernel.set_call(plugin::CALL_SYS_GET_LASTDELTA, reinterpret_cast<void *>(&frame_time));
    {
        sound_folder_t sounds;
        const std::string beep = sounds.add("beep.wav", wav_file(sine(880, 22050, 0.3), 22050, 1, 16));
        ASSERT_TRUE(snd_init_devices());
        EXPECT_TRUE(log.contains("[snddev] Initialization OK."));
        sound_u *s = _snd_create_oneshot(beep.c_str(), 0, -1);
        ASSERT_NE(s, nullptr);
        s->play();
        int frames = 0;
        while (snd_live_count() > 0 && frames < 100) {
            snd_update_state();
            ++frames;
        }
        EXPECT_EQ(snd_live_count(), 0u) << "the one-shot ended and was dropped";
        EXPECT_GE(frames, 6) << "not before 0.3 s of frames of 0.05 s";
        EXPECT_LE(frames, 9);
        snd_shutdown_devices();
    }
    snd_stop();
    unit_system_t::clean_garbage();
    end_process();
    sonbase_shutdown();
}

}  // namespace
}  // namespace quarn::test
