#pragma once
// Start and stop of the graphics layer (render drivers, devices and contexts). The
// layer never links the game program: it looks the kernel's exports up by name in the
// module handle the kernel gives it at start.
#include "outside/qrnshared/vprocess.h"
#include "outside/visbase/api.h"

namespace quarn {

// The kernel functions the layer calls; each is null until visbase_init found it.
struct visbase_kernel_t {
    int (*process_add)(vprocess_t *process, int word);
};

// Binds the kernel functions from the program's module.
VISBASE_API void visbase_init(void *main_module);
// Forgets the kernel functions.
VISBASE_API void visbase_shutdown();
VISBASE_API const visbase_kernel_t &visbase_kernel();

// Starts the renderer's process "__rend_proc" and adds it to the kernel's scheduler,
// which owns it from then on. While it lives a second call returns it again. Null
// (logged) when the kernel has not been bound or memory runs out.
VISBASE_API vprocess_t *rend_proc_init();
// The process while it lives, else null.
VISBASE_API vprocess_t *rend_proc_get();

}  // namespace quarn
