#include "outside/sonbase/sonbase.h"

#include "platform/modules.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

sonbase_kernel_t links{};

}  // namespace

void sonbase_init(void *main_module) {
    links = {};
    links.process_add =
        reinterpret_cast<int (*)(vprocess_t *, int)>(platform::module_symbol(main_module, "process_add"));
    message("[sonbase] started");
}

void sonbase_shutdown() {
    links = {};
    message("[sonbase] stopped");
}

const sonbase_kernel_t &sonbase_kernel() { return links; }

}  // namespace quarn
