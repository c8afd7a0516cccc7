#include "outside/qrnshared/dlguard_proc.h"

#include "outside/qrnshared/qrnshared.h"

namespace quarn {

dlguard_proc_t::dlguard_proc_t(void *module, int prio) : vprocess_t(prio), m_module(module) {}

dlguard_proc_t::~dlguard_proc_t() {
    if (m_module && qrnshared_kernel().dll_ready_to_unload) qrnshared_kernel().dll_ready_to_unload(m_module);
}

}  // namespace quarn
