#include "outside/qrnshared/qrnshared.h"

#include "outside/qrnshared/bindery.h"
#include "outside/qrnshared/common_proc.h"
#include "outside/qrnshared/cvar.h"
#include "outside/qrnshared/effect.h"
#include "outside/qrnshared/effect_registry.h"
#include "outside/qrnshared/material.h"
#include "outside/qrnshared/parameter_packet.h"
#include "outside/qrnshared/texobj.h"
#include "outside/qrnshared/shared_resource_tie.h"
#include "outside/qrnshared/ui/ui_effect.h"
#include "outside/qrnshared/ui/ui_item.h"
#include "outside/qrnshared/ui/zml_font_unit.h"
#include "platform/modules.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

kernel_links_t links{};
shared_resource_tie_t *tie = nullptr;
cvar_t locale("qs_locale", "en", cvar_t::STORED);

template <class F>
void bind(F &function, void *module, const char *name) {
    function = reinterpret_cast<F>(platform::module_symbol(module, name));
}

}  // namespace

void qrnshared_init(void *main_module) {
    links = {};
    bind(links.dll_ready_to_unload, main_module, "dll_ready_to_unload");
    bind(links.cmd_register_command, main_module, "_cmd_register_command");
    bind(links.cmd_unregister_command, main_module, "cmd_unregister_command");
    bind(links.cvar_register_variable, main_module, "_cvar_register_variable");
    bind(links.cvar_unregister_variable, main_module, "cvar_unregister_variable");
    bind(links.mm_obtain_resource, main_module, "_mm_obtain_resource");
    bind(links.get_engine_ubank, main_module, "get_engine_ubank");
    bind(links.inp_fetch_keycode, main_module, "inp_fetch_keycode");
    bind(links.inp_cursor_info, main_module, "inp_cursor_info");
    bind(links.sys_get_lastdelta, main_module, "sys_get_lastdelta");
    common_proc_bind(main_module);
    // Constructing the tie installs it in place of the core's refusing default.
    if (!tie) tie = new shared_resource_tie_t;
    if (links.cvar_register_variable) bindery_t(bindery_t::REGISTER).update_cvar(locale);
    message("[qrnshared] started (locale %s)", locale.get_text());
}

void qrnshared_startup() {
    unit_bank_t *bank = links.get_engine_ubank ? links.get_engine_ubank() : nullptr;
    if (bank && !qrnshared_register_classes(*bank)) error("[qrnshared] The engine's unit bank refused a class");
    message("[qrnshared] running");
}

bool qrnshared_register_classes(unit_bank_t &bank) {
    return parameter_packet_register_classes(bank) && material_u::register_class(bank) &&
           texobj_u::register_class(bank) && ui_entity_unit_u::register_class(bank) &&
           zml_font_u::register_class(bank) && ui_flat_effect_u::register_class(bank);
}

void qrnshared_shutdown() {
    if (links.cvar_unregister_variable && locale.hash) bindery_t(bindery_t::UNREGISTER).update_cvar(locale);
    r_effect_reset();
    // Deleting a tie leaves none installed, whichever was.
    delete tie;
    tie = nullptr;
    links = {};
    common_proc_bind(nullptr);
    message("[qrnshared] stopped");
}

const cvar_t &qrnshared_locale() { return locale; }

const kernel_links_t &qrnshared_kernel() { return links; }

void qrnshared_set_kernel(const kernel_links_t &l) { links = l; }

}  // namespace quarn
