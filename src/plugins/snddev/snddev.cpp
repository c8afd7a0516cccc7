#include "plugins/snddev/snddev.h"

#include "outside/qrnshared/bindery.h"
#include "plugins/snddev/al_output.h"
#include "plugins/snddev/sound_device.h"

namespace quarn::snddev {

namespace {

constexpr plugin::kernel_group_t GROUPS[] = {plugin::GROUP_MM,      plugin::GROUP_SYS,     plugin::GROUP_HW,
                                             plugin::GROUP_CMD_CVAR, plugin::GROUP_PROCESS, plugin::GROUP_SND,
                                             plugin::GROUP_OSWINDOW};

constexpr plugin::kernel_call_t CALLS[] = {
    plugin::CALL_PROCESS_ADD,    plugin::CALL_HW_DEVICE_INSERT,   plugin::CALL_HW_DEVICE_REMOVE,
    plugin::CALL_OSWINDOW_GET_WINDOW, plugin::CALL_SYS_GET_LASTDELTA, plugin::CALL_CVAR_GET,
    plugin::CALL_CVAR_LINK,      plugin::CALL_CVAR_UNLINK,        plugin::CALL_SND_IS_ACCELERATED,
    plugin::CALL_SND_IS_STEREO_REVERSED};

void bind_variables(int phase) {
    bindery_t bindery(phase);
    for (cvar_t *v : snddev_variables().list) bindery.update_cvar(*v);
}

}  // namespace

output_factory_t snddev_ops_t::factory = al_output_create;

snddev_variables_t &snddev_variables() {
    static snddev_variables_t variables;
    return variables;
}

plugin::plugin_state_t &snddev_state() {
    static plugin::plugin_state_t state("snddev");
    return state;
}

bool snddev_ops_t::dl_symbols(void *host, void *) { return snddev_state().kernel.bind(host, GROUPS, CALLS, "snddev"); }

bool snddev_ops_t::dl_register(void *, void *self) {
    plugin::plugin_state_t &state = snddev_state();
    sound_device_t *device = new sound_device_t(state, factory, al_enumerate_outputs, snddev_variables());
    if (device) state.device = device;
    if (!plugin::plugin_start(state, self, device, plugin::DEVICE_ENDS_AT_KILL)) return false;
    bind_variables(bindery_t::REGISTER);
    return true;
}

bool snddev_ops_t::dl_unregister(void *, void *) {
    bind_variables(bindery_t::UNREGISTER);
    return true;
}

}  // namespace quarn::snddev

quarn::dl_ops_t *snddev_get_dl_ops() {
    static quarn::snddev::snddev_ops_t ops;
    return &ops;
}
