#include "outside/visbase/visbase.h"

#include "outside/qrnshared/r_queue.h"
#include "outside/visbase/queue_render.h"
#include "platform/modules.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

visbase_kernel_t links{};

// The renderer's process: no work of its own; its hold count keeps it while devices
// still use it (the kernel's process_hw_lock holds it).
class rend_proc_t : public vprocess_t {
public:
    rend_proc_t() : vprocess_t(0) { set_name("__rend_proc"); }
    ~rend_proc_t() override;
};

rend_proc_t *running = nullptr;

rend_proc_t::~rend_proc_t() {
    if (running == this) running = nullptr;
}

}  // namespace

void visbase_init(void *main_module) {
    links = {};
    links.process_add =
        reinterpret_cast<int (*)(vprocess_t *, int)>(platform::module_symbol(main_module, "process_add"));
    gfx_set_queue_renderer(gfx_queue_renderer());
    message("[visbase] started");
}

void visbase_shutdown() {
    links = {};
    if (gfx_get_queue_renderer() == gfx_queue_renderer()) gfx_set_queue_renderer(nullptr);
    message("[visbase] stopped");
}

const visbase_kernel_t &visbase_kernel() { return links; }

vprocess_t *rend_proc_init() {
    if (running) return running;
    if (!links.process_add) {
        error("[visbase] No kernel to add the process '__rend_proc' to");
        return nullptr;
    }
    rend_proc_t *process = new rend_proc_t;
    if (!process) {
        error("[visbase] Out of memory for the process '__rend_proc'");
        return nullptr;
    }
    running = process;
    links.process_add(process, 0);
    return process;
}

vprocess_t *rend_proc_get() { return running; }

}  // namespace quarn
