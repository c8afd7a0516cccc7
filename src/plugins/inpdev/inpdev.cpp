#include "plugins/inpdev/inpdev.h"

#include <cstdlib>

#include "plugins/inpdev/input_device.h"
#include "plugins/inpdev/script_input.h"
#include "plugins/inpdev/sdl_input.h"
#include "qrncore/system/messages.h"

namespace quarn::inpdev {

namespace {

constexpr plugin::kernel_group_t GROUPS[] = {plugin::GROUP_CMD_CVAR, plugin::GROUP_INP,     plugin::GROUP_HW,
                                             plugin::GROUP_SYS,      plugin::GROUP_PROCESS, plugin::GROUP_MM,
                                             plugin::GROUP_OSWINDOW};

constexpr plugin::kernel_call_t CALLS[] = {plugin::CALL_PROCESS_ADD,   plugin::CALL_HW_DEVICE_INSERT,
                                           plugin::CALL_HW_DEVICE_REMOVE, plugin::CALL_OSWINDOW_GET_WINDOW,
                                           plugin::CALL_SYS_VERSION,   plugin::CALL_INP_EVENT};
// What playing an input script needs besides.
constexpr plugin::kernel_call_t SCRIPT_CALLS[] = {plugin::CALL_SYS_FAIL_RUN, plugin::CALL_INP_GET_TRIGGER_NAME,
                                                  plugin::CALL_INP_CURSOR_INFO, plugin::CALL_OSWINDOW_GET_PROPERTIES};

}  // namespace

plugin::plugin_state_t &inpdev_state() {
    static plugin::plugin_state_t state("inpdev");
    return state;
}

bool inpdev_ops_t::dl_symbols(void *host, void *) { return inpdev_state().kernel.bind(host, GROUPS, CALLS, "inpdev"); }

bool inpdev_ops_t::dl_register(void *host, void *self) {
    plugin::plugin_state_t &state = inpdev_state();
    input_system_factory_t factory = sdl_input_system_create;
    script_input_stop();
    if (const char *script = getenv(INPUT_SCRIPT_VARIABLE)) {
        bool calls = true;
        for (plugin::kernel_call_t c : SCRIPT_CALLS) {
            if (state.kernel.has_call(c)) continue;
            error("[inpdev] The program does not offer '%s': no input script is played", plugin::kernel_call_name(c));
            calls = false;
        }
        if (!calls || !script_input_start(script, state.kernel)) {
            // A run that was to follow a script must not go on by itself.
            state.kernel.sys_fail_run();
            return false;
        }
        factory = script_input_system_create;
    }
    input_device_t *device = new input_device_t(state, host, factory, program_settings());
    return plugin::plugin_start(state, self, device, plugin::DEVICE_ENDS_WITH_PROCESS);
}

bool inpdev_ops_t::dl_unregister(void *, void *) {
    script_input_stop();
    return true;
}

}  // namespace quarn::inpdev

quarn::dl_ops_t *inpdev_get_dl_ops() {
    static quarn::inpdev::inpdev_ops_t ops;
    return &ops;
}
