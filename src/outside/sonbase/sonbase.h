#pragma once
// Start and stop of the sound layer (sound devices, channels, listener and the
// layer's process). The layer never links the game program: it looks the kernel's
// exports up by name in the module handle the kernel gives it at start.
#include "outside/qrnshared/vprocess.h"
#include "outside/sonbase/api.h"

namespace quarn {

// The kernel functions the layer calls; each is null until sonbase_init found it.
struct sonbase_kernel_t {
    int (*process_add)(vprocess_t *process, int word);
};

// Binds the kernel functions from the program's module.
SONBASE_API void sonbase_init(void *main_module);
// Forgets the kernel functions.
SONBASE_API void sonbase_shutdown();
SONBASE_API const sonbase_kernel_t &sonbase_kernel();

}  // namespace quarn
