#include "game/game_module.h"

#include "game/game_guard_proc.h"
#include "game/game_localisation.h"
#include "game/process/game_cvars.h"
#include "game/process/game_process.h"
#include "game/session/window_desc.h"
#include "game/ui/system/system_windows.h"
#include "game/ui/effects/uifx_hookup.h"
#include "kernel/console/commands.h"
#include "kernel/console/cvars.h"
#include "kernel/process_table.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/usystem.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

namespace {

// The module's state: one for the program.
struct module_state_t {
    game_module_mode_t mode = GAME_MODULE_IDLE;
    game_host_callback_t host_callback = nullptr;
    bool ui_recache = false;
    game_guard_proc_t *guard = nullptr;
    common_proc_t *process = nullptr;
    const game_row_table_t *rows = nullptr;  // a test's table, or null
    array_dyn_t<owner_ptr_t<unit_base_t>> uifx_hookup;
};

module_state_t state;

class game_ops_t : public dl_ops_t {
public:
    // The module is inside the program: nothing to bind.
    bool dl_symbols(void *, void *) override { return true; }

    bool dl_register(void *, void *module) override {
        register_game_classes(game_module_rows());
        game_guard_proc_t *guard = new game_guard_proc_t(module, game_module_rows());
        if (!guard) {
            error("[game] No memory for the guard process");
            return false;
        }
        process_add(guard, 0);
        return true;
    }

    // The unit system goes; the module itself stays, as units of its classes may
    // outlive it in the unit system's garbage.
    bool dl_unregister(void *, void *) override {
        common_destroy_usystem();
        return false;
    }

    bool dl_execute(void *, void *, unsigned stage, void *argument) override {
        if (stage == GAME_STAGE_HOSTED) return execute_hosted(reinterpret_cast<game_host_callback_t>(argument));
        if (stage != GAME_STAGE_RUN) {
            error("[game] Unknown execution stage %u", stage);
            return false;
        }
        game_process_t *game = new game_process_t;
        if (!game) {
            error("[game] No memory for the game process");
            return false;
        }
        process_add(game, 0);
        // Mount failures and a screen that does not open end the program inside.
        game->init();
        state.mode = GAME_MODULE_RUNNING;
        state.host_callback = nullptr;
        return true;
    }

    // A host embeds the module: the mini console and the language, the console window
    // with its key, and the UI effects of "0_uifx.unit".
    static bool execute_hosted(game_host_callback_t callback) {
        state.mode = GAME_MODULE_HOSTED;
        state.host_callback = callback;
        register_hosted_cvars();
        const cvar_t *language = cvar_get("g_lang");
        load_localisation(language ? language->get_text() : "");
        const window_desc_t &console = WINDOW_SYSTEM_CONSOLE;
        ui_winsert(console.group, console.name, console.insert_flags, console.layout, true);
        cmd_execute("bind_cmd grave \"ui t console:system_02\" 1 1");
        uifx_load_hookup();
        return true;
    }

};

}  // namespace

game_module_mode_t game_module_mode() { return state.mode; }

game_host_callback_t game_module_host_callback() { return state.host_callback; }

void game_module_set_mode(game_module_mode_t mode, game_host_callback_t callback) {
    state.mode = mode;
    state.host_callback = callback;
}

const game_row_table_t &game_module_rows() { return state.rows ? *state.rows : game_row_table_t::linked(); }

void game_module_set_rows(const game_row_table_t *table) { state.rows = table; }

void register_game_classes(const game_row_table_t &table, array_dyn_t<const unit_descriptor_t *> *registered) {
    game_row_args_t args;
    unit_system_t *system = unit_system_t::get_default();
    args.bank = system ? &system->get_bank() : nullptr;
    args.registered = registered;
    table.run(game_phase_t::REGISTER, args);
}

game_guard_proc_t *game_module_guard() { return state.guard; }

void game_module_set_guard_proc(game_guard_proc_t *guard) { state.guard = guard; }

common_proc_t *game_module_process() { return state.process; }

void game_module_set_process(common_proc_t *process) {
    state.process = process;
}

void game_module_request_ui_recache() { state.ui_recache = true; }

bool game_module_ui_recache_requested() { return state.ui_recache; }

void game_module_clear_ui_recache() { state.ui_recache = false; }

array_dyn_t<owner_ptr_t<unit_base_t>> &game_module_uifx_hookup() { return state.uifx_hookup; }

}  // namespace quarn

quarn::dl_ops_t *game_get_dl_ops() {
    // Built on the first call; later calls give the same object, destroyed at exit.
    static quarn::game_ops_t ops;
    return &ops;
}
