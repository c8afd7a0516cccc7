#pragma once
// bindery_t: registers (phase 0) or unregisters (phase 1) a module's variables and
// commands with the kernel, so that a module states its list once and runs it at
// load and at unload.
#include "outside/qrnshared/api.h"
#include "outside/qrnshared/cmd.h"
#include "outside/qrnshared/cvar.h"

namespace quarn {

class QRNSHARED_API bindery_t {
public:
    enum phase_t { REGISTER = 0, UNREGISTER = 1 };

    explicit bindery_t(int phase) : m_phase(phase) {}

    // Registers the variable as a static one / unregisters it. False (logged) when
    // the kernel has not been bound.
    bool update_cvar(cvar_t &variable);
    // Registers the command with its queue id / unregisters it.
    bool update_cmd(cmd_t &command, int queue_id = cmd_t::NO_QUEUE);

private:
    int m_phase;
};

}  // namespace quarn
