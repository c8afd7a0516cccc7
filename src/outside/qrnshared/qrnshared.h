#pragma once
// Start and stop of the shared engine layer, and the few kernel functions it calls.
// The layer never links the game program: it looks the kernel's exports up by name in
// the module handle the kernel gives it at start, as the plug-ins do.
#include "outside/qrnshared/api.h"

namespace quarn {

// The kernel functions the layer calls; each is null until qrnshared_init found it.
struct kernel_links_t {
    void (*dll_ready_to_unload)(void *module);
};

// Binds the kernel functions from the program's module and starts the layer.
QRNSHARED_API void qrnshared_init(void *main_module);
// The second start-up step, once the kernel's services are up.
QRNSHARED_API void qrnshared_startup();
// Stops the layer and forgets the kernel functions.
QRNSHARED_API void qrnshared_shutdown();
QRNSHARED_API const kernel_links_t &qrnshared_kernel();

}  // namespace quarn
