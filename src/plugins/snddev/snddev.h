#pragma once
// The sound plug-in "lib/snddev": its entry function and library-wide state.
#include "plugins/plugin.h"
#include "plugins/snddev/output_api.h"
#include "qrncore/system/dl_lib.h"

namespace quarn::snddev {

plugin::plugin_state_t &snddev_state();

class snddev_ops_t : public dl_ops_t {
public:
    // Binds the groups mm, sys, hw, cmd/cvar, process, snd and oswindow; false (naming
    // the export) when one the plug-in calls is missing.
    bool dl_symbols(void *host, void *self) override;
    // Adds the plug-in's process and its sound device, then registers the plug-in's
    // variables with their defaults; false when process or device cannot be made.
    bool dl_register(void *host, void *self) override;
    // Unregisters the plug-in's variables.
    bool dl_unregister(void *host, void *self) override;

    // The output the device is made with (tests put the loopback or a fake there).
    static output_factory_t factory;
};

}  // namespace quarn::snddev

PLUGIN_EXPORT quarn::dl_ops_t *snddev_get_dl_ops();
