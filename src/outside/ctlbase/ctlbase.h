#pragma once
// Start and stop of the input layer (the input device base). The layer never links
// the game program: it looks the kernel's exports up by name in the module handle
// the kernel gives it at start, as the plug-ins do.
#define CTLBASE_API __attribute__((visibility("default")))

namespace quarn {

struct inp_event_t;

// The kernel functions the layer calls; each is null until ctlbase_init found it.
struct ctlbase_kernel_t {
    // The input front-end's queue of the frame's events.
    void (*inp_event)(const inp_event_t *event);
};

CTLBASE_API void ctlbase_init(void *main_module);
CTLBASE_API void ctlbase_shutdown();
CTLBASE_API const ctlbase_kernel_t &ctlbase_kernel();

}  // namespace quarn
