#include "outside/sonbase/snd_proc.h"

#include "outside/sonbase/sonbase.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

class snd_proc_t : public vprocess_t {
public:
    snd_proc_t() : vprocess_t(0) { set_name("__snd_proc"); }
    ~snd_proc_t() override;
};

snd_proc_t *running = nullptr;

snd_proc_t::~snd_proc_t() {
    if (running == this) running = nullptr;
}

}  // namespace

vprocess_t *snd_proc_init() {
    if (running) return running;
    if (!sonbase_kernel().process_add) {
        error("[sonbase] No kernel to add the process '__snd_proc' to");
        return nullptr;
    }
    snd_proc_t *process = new snd_proc_t;
    if (!process) {
        error("[sonbase] Out of memory for the process '__snd_proc'");
        return nullptr;
    }
    running = process;
    sonbase_kernel().process_add(process, 0);
    return process;
}

vprocess_t *snd_proc_get() { return running; }

}  // namespace quarn
