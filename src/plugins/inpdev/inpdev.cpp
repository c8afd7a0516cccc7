#include "plugins/inpdev/inpdev.h"

#include "plugins/inpdev/input_device.h"
#include "plugins/inpdev/sdl_input.h"

namespace quarn::inpdev {

namespace {

constexpr plugin::kernel_group_t GROUPS[] = {plugin::GROUP_CMD_CVAR, plugin::GROUP_INP,     plugin::GROUP_HW,
                                             plugin::GROUP_SYS,      plugin::GROUP_PROCESS, plugin::GROUP_MM,
                                             plugin::GROUP_OSWINDOW};

constexpr plugin::kernel_call_t CALLS[] = {plugin::CALL_PROCESS_ADD,   plugin::CALL_HW_DEVICE_INSERT,
                                           plugin::CALL_HW_DEVICE_REMOVE, plugin::CALL_OSWINDOW_GET_WINDOW,
                                           plugin::CALL_SYS_VERSION,   plugin::CALL_INP_EVENT};

}  // namespace

plugin::plugin_state_t &inpdev_state() {
    static plugin::plugin_state_t state("inpdev");
    return state;
}

bool inpdev_ops_t::dl_symbols(void *host, void *) { return inpdev_state().kernel.bind(host, GROUPS, CALLS, "inpdev"); }

bool inpdev_ops_t::dl_register(void *host, void *self) {
    plugin::plugin_state_t &state = inpdev_state();
    input_device_t *device = new input_device_t(state, host, sdl_input_system_create, program_settings());
    return plugin::plugin_start(state, self, device, plugin::DEVICE_ENDS_WITH_PROCESS);
}

}  // namespace quarn::inpdev

quarn::dl_ops_t *inpdev_get_dl_ops() {
    static quarn::inpdev::inpdev_ops_t ops;
    return &ops;
}
