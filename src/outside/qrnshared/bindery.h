#pragma once
// bindery_t: registers (phase 0) or unregisters (phase 1) a module's variables and
// commands with the kernel, and its unit classes with a unit bank, so that a module
// states its list once and runs it at load and at unload.
#include "outside/qrnshared/api.h"
#include "outside/qrnshared/cmd.h"
#include "outside/qrnshared/cvar.h"
#include "qrncore/units/unit_structs.h"

namespace quarn {

class unit_bank_t;

class QRNSHARED_API bindery_t {
public:
    enum phase_t { REGISTER = 0, UNREGISTER = 1 };

    explicit bindery_t(int phase) : m_phase(phase) {}

    // Registers the variable as a static one / unregisters it. False (logged) when
    // the kernel has not been bound.
    bool update_cvar(cvar_t &variable);
    // Registers the command with its queue id / unregisters it.
    bool update_cmd(cmd_t &command, int queue_id = cmd_t::NO_QUEUE);
    // Registers the unit class with the bank / unregisters it. False when the bank
    // refuses (the bank logs why).
    bool update_class(unit_bank_t &bank, const unit_descriptor_t &descriptor);

private:
    int m_phase;
};

}  // namespace quarn
