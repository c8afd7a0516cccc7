#include "plugins/plugin.h"

#include "qrncore/system/messages.h"

namespace quarn::plugin {

plugin_process_t::plugin_process_t(plugin_state_t &state, void *module, device_end_t end)
    : dlguard_proc_t(module, 0), m_state(state), m_end(end) {
    set_name(state.name);
    m_state.process = this;
}

plugin_process_t::~plugin_process_t() {
    if (m_end == DEVICE_ENDS_WITH_PROCESS) end_device();
    if (m_state.process == this) m_state.process = nullptr;
}

void plugin_process_t::system() {
    if (m_end == DEVICE_ENDS_AT_KILL && signal == SIGNAL_KILL) end_device();
    dlguard_proc_t::system();
}

void plugin_process_t::end_device() {
    hw_device_t *device = m_state.device;
    if (!device) return;
    m_state.kernel.hw_device_remove(device);
    delete device;
    m_state.device = nullptr;
}

bool plugin_start(plugin_state_t &state, void *module, hw_device_t *device, device_end_t end) {
    if (!device) {
        error("[%s] Out of memory for the device", state.name);
        return false;
    }
    plugin_process_t *process = new plugin_process_t(state, module, end);
    if (!process) {
        error("[%s] Out of memory for the process", state.name);
        delete device;
        return false;
    }
    state.kernel.process_add(process, 0);
    // A full registry refuses the device (the kernel says so); the process still owns
    // it and deletes it at its end.
    state.kernel.hw_device_insert(device);
    return true;
}

}  // namespace quarn::plugin
