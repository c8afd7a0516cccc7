#include "outside/qrnshared/qrnshared.h"

#include "platform/modules.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {
kernel_links_t links{};
}

void qrnshared_init(void *main_module) {
    links = {};
    links.dll_ready_to_unload =
        reinterpret_cast<void (*)(void *)>(platform::module_symbol(main_module, "dll_ready_to_unload"));
    message("[qrnshared] started");
}

void qrnshared_startup() { message("[qrnshared] running"); }

void qrnshared_shutdown() {
    links = {};
    message("[qrnshared] stopped");
}

const kernel_links_t &qrnshared_kernel() { return links; }

}  // namespace quarn
