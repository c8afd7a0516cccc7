#pragma once
// The sound plug-in's console variables. Each reads through to the kernel's variable
// of the same meaning while the device runs (linked at init), so that values set
// before the device starts (the configuration file, "-env") are the ones used, and
// the kernel's variables are what the configuration file stores.
#include "outside/qrnshared/cvar.h"

namespace quarn::snddev {

struct snddev_variables_t {
    static constexpr int COUNT = 4;

    cvar_t reverse_stereo{"snddev_reverse_stereo", "0"};
    cvar_t mix_rate{"snddev_mix_rate", "44100"};
    cvar_t mix_depth{"snddev_mix_depth", "16"};
    cvar_t mix_channels{"snddev_mix_channels", "2"};

    // In the order they are registered, linked and unlinked, with the kernel's
    // variable each reads through to.
    cvar_t *const list[COUNT] = {&reverse_stereo, &mix_rate, &mix_depth, &mix_channels};
    static constexpr const char *KERNEL_NAMES[COUNT] = {"s_reverse_stereo", "s_mix_rate", "s_mix_depth",
                                                        "s_mix_channels"};
};

snddev_variables_t &snddev_variables();

}  // namespace quarn::snddev
