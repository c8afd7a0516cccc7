#pragma once
// Start and stop of the shared engine layer, and the few kernel functions it calls.
// The layer never links the game program: it looks the kernel's exports up by name in
// the module handle the kernel gives it at start, as the plug-ins do.
#include "outside/qrnshared/api.h"

namespace quarn {

class cmd_t;
class cvar_t;

// The kernel functions the layer calls; each is null until qrnshared_init found it.
struct kernel_links_t {
    void (*dll_ready_to_unload)(void *module);
    cmd_t *(*cmd_register_command)(cmd_t *command, int queue_id);
    void (*cmd_unregister_command)(cmd_t *command);
    void (*cvar_register_variable)(cvar_t *variable, bool dynamic);
    void (*cvar_unregister_variable)(cvar_t *variable);
};

// Binds the kernel functions from the program's module and starts the layer, which
// registers its variable "qs_locale" (the language of the layer's texts, "en").
QRNSHARED_API void qrnshared_init(void *main_module);
// The second start-up step, once the kernel's services are up.
QRNSHARED_API void qrnshared_startup();
// Stops the layer: unregisters its variable and forgets the kernel functions.
QRNSHARED_API void qrnshared_shutdown();
QRNSHARED_API const kernel_links_t &qrnshared_kernel();
// The layer's language variable.
QRNSHARED_API const cvar_t &qrnshared_locale();

}  // namespace quarn
