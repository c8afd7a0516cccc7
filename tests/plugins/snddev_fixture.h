#pragma once
// The sound device with its kernel functions bound to this test program (which
// exports the kernel), the kernel's four sound variables registered, and the frame
// time, stereo reversal and acceleration in the test's hands.
#include <gtest/gtest.h>

#include "kernel/console/cvars.h"
#include "platform/modules.h"
#include "plugins/snddev/sound_buffer.h"
#include "plugins/snddev/sound_device.h"
#include "scripted_output.h"
#include "support/message_capture.h"
#include "test_sounds.h"

namespace quarn::test {

class snddev_fixture_t : public ::testing::Test {
protected:
    void SetUp() override {
        reset_output_script();
        const plugin::kernel_group_t groups[] = {plugin::GROUP_CMD_CVAR, plugin::GROUP_SYS, plugin::GROUP_OSWINDOW,
                                                 plugin::GROUP_SND};
        ASSERT_TRUE(plugin.kernel.bind(platform::module_main(), groups, {}, "snddev"));
        plugin.kernel.set_call(plugin::CALL_SYS_GET_LASTDELTA, reinterpret_cast<void *>(&frame_time));
        plugin.kernel.set_call(plugin::CALL_SND_IS_STEREO_REVERSED, reinterpret_cast<void *>(&stereo_reversed));
        plugin.kernel.set_call(plugin::CALL_SND_IS_ACCELERATED, reinterpret_cast<void *>(&accelerated));
        seconds = 0.0;
        reversed = false;
        for (cvar_t *v : kernel_variables) cvar_register_variable(v);
    }
    void TearDown() override {
        device.reset();
        for (cvar_t *v : kernel_variables) cvar_unregister_variable(v);
        reset_output_script();
    }

    // The device on the scripted output, initialised.
    snddev::sound_device_t &start(snddev::output_factory_t factory = scripted_output_create) {
        device.reset(new snddev::sound_device_t(plugin, factory, nullptr, variables));
        EXPECT_TRUE(device->init());
        return *device;
    }
    // A channel of the file, as the kernel's front-end opens it.
    snddev::sound_channel_t *open(const std::string &path, uint32_t flags = 0) {
        return static_cast<snddev::sound_channel_t *>(device->open_channel(path.c_str(), flags));
    }
    static void set(const char *name, const char *value) { ASSERT_TRUE(cvar_get(name)->set(value)); }

    static double frame_time() { return seconds; }
    static bool stereo_reversed() { return reversed; }
    static bool accelerated() { return false; }
    static inline double seconds = 0.0;
    static inline bool reversed = false;

    cvar_t s_reverse_stereo{"s_reverse_stereo", "0", cvar_t::STORED};
    cvar_t s_mix_rate{"s_mix_rate", "44100", cvar_t::STORED};
    cvar_t s_mix_depth{"s_mix_depth", "16", cvar_t::STORED};
    cvar_t s_mix_channels{"s_mix_channels", "2", cvar_t::STORED};
    cvar_t *const kernel_variables[4] = {&s_reverse_stereo, &s_mix_rate, &s_mix_depth, &s_mix_channels};

    plugin::plugin_state_t plugin{"snddev"};
    snddev::snddev_variables_t variables;
    sound_folder_t sounds;
    auto_ptr_t<snddev::sound_device_t> device;
    message_capture_t log;
};

}  // namespace quarn::test
