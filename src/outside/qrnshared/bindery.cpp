#include "outside/qrnshared/bindery.h"

#include "outside/qrnshared/qrnshared.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_bank.h"

namespace quarn {

bool bindery_t::update_cvar(cvar_t &variable) {
    const kernel_links_t &k = qrnshared_kernel();
    if (m_phase == REGISTER && k.cvar_register_variable) {
        k.cvar_register_variable(&variable, false);
        return true;
    }
    if (m_phase == UNREGISTER && k.cvar_unregister_variable) {
        k.cvar_unregister_variable(&variable);
        return true;
    }
    error("[qrnshared] No kernel to bind the variable '%s' with", variable.name);
    return false;
}

bool bindery_t::update_cmd(cmd_t &command, int queue_id) {
    const kernel_links_t &k = qrnshared_kernel();
    if (m_phase == REGISTER && k.cmd_register_command) {
        k.cmd_register_command(&command, queue_id);
        return true;
    }
    if (m_phase == UNREGISTER && k.cmd_unregister_command) {
        k.cmd_unregister_command(&command);
        return true;
    }
    error("[qrnshared] No kernel to bind the command '%s' with", command.name);
    return false;
}

bool bindery_t::update_class(unit_bank_t &bank, const unit_descriptor_t &descriptor) {
    return m_phase == REGISTER ? bank.register_class(&descriptor) : bank.unregister_class(&descriptor);
}

}  // namespace quarn
