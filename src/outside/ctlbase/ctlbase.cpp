#include "outside/ctlbase/ctlbase.h"

#include "platform/modules.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

ctlbase_kernel_t links{};

}  // namespace

void ctlbase_init(void *main_module) {
    links = {};
    links.inp_event =
        reinterpret_cast<void (*)(const inp_event_t *)>(platform::module_symbol(main_module, "inp_event"));
    message("[ctlbase] started");
}

void ctlbase_shutdown() {
    links = {};
    message("[ctlbase] stopped");
}

const ctlbase_kernel_t &ctlbase_kernel() { return links; }

}  // namespace quarn
