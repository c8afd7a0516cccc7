#pragma once
// What the two device plug-ins share beyond the kernel's functions: the library-wide
// state (bound kernel functions, the plug-in's process and its device), the process
// that guards the module and takes the device out of the kernel's registry at its
// end, and the registration of both with the kernel.
#include "outside/qrnshared/dlguard_proc.h"
#include "outside/qrnshared/hw_device.h"
#include "plugins/kernel_links.h"

// The plug-ins' entry functions are the only names they export.
#define PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace quarn::plugin {

// One per plug-in library.
struct plugin_state_t {
    explicit plugin_state_t(const char *plugin_name) : name(plugin_name) {}

    // The plug-in's name: its tag in messages, its process's and its device's name.
    const char *name;
    kernel_links_t kernel;
    // Set while the plug-in's process lives.
    vprocess_t *process = nullptr;
    // Set while the plug-in's device lives; the device clears it when it is deleted.
    hw_device_t *device = nullptr;
};

// When the device leaves the kernel's registry and is deleted.
enum device_end_t {
    DEVICE_ENDS_WITH_PROCESS,  // when the process is destroyed
    DEVICE_ENDS_AT_KILL,       // in the process's last system call (signal 3)
};

// The plug-in's process. It runs no work of its own; devices hold it (lock) while
// they are initialised, so it cannot be killed, nor the module unloaded, before its
// device is shut down.
class plugin_process_t : public dlguard_proc_t {
public:
    plugin_process_t(plugin_state_t &state, void *module, device_end_t end);
    ~plugin_process_t() override;

    void system() override;

private:
    // Takes the device out of the registry and deletes it.
    void end_device();

    plugin_state_t &m_state;
    device_end_t m_end;
};

// Hands the plug-in's process and device to the kernel: a process for module goes to
// the scheduler (process_add) and device into the device registry
// (hw_device_insert). Both are made before either is handed over, so that a failure
// leaves nothing of the plug-in with the kernel: a null device, or a process that
// cannot be made, is logged and gives false (the device is deleted).
bool plugin_start(plugin_state_t &state, void *module, hw_device_t *device, device_end_t end);

}  // namespace quarn::plugin
