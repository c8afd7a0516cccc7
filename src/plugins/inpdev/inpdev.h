#pragma once
// The input plug-in "lib/inpdev": its entry function and library-wide state.
#include "plugins/plugin.h"
#include "qrncore/system/dl_lib.h"

namespace quarn::inpdev {

// The plug-in's state: kernel functions, its process and its device.
plugin::plugin_state_t &inpdev_state();

// The kernel functions the plug-in calls, in the groups it binds, in binding order.
class inpdev_ops_t : public dl_ops_t {
public:
    // Binds the groups cmd/cvar, inp, hw, sys, process, mm and oswindow; false (naming
    // the export) when one the plug-in calls is missing.
    bool dl_symbols(void *host, void *self) override;
    // Adds the plug-in's process and its input device (made with host as the input
    // system's instance); false when either cannot be made. With an input script
    // (FERNWOLD_INPUT_SCRIPT) the device plays it; a script that cannot be read or has
    // a bad line fails the run (sys_fail_run), so the program ends with exit code 1.
    bool dl_register(void *host, void *self) override;
    // Forgets the input script.
    bool dl_unregister(void *host, void *self) override;
};

}  // namespace quarn::inpdev

PLUGIN_EXPORT quarn::dl_ops_t *inpdev_get_dl_ops();
