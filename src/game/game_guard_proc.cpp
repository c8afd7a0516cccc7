#include "game/game_guard_proc.h"

#include "game/game_module.h"
#include "kernel/process_table.h"

namespace quarn {

game_guard_proc_t::game_guard_proc_t(void *module, const game_row_table_t &rows)
    : dlguard_proc_t(module), m_rows(rows) {
    set_name("game_guard");
    game_module_set_guard_proc(this);
    game_module_set_guard(this);
    m_rows.run(game_phase_t::GUARD, game_row_args_t{});
}

game_guard_proc_t::~game_guard_proc_t() {
    if (game_module_guard() == this) game_module_set_guard_proc(nullptr);
    game_module_set_guard(nullptr);
}

void game_guard_proc_t::system() {
    game_row_args_t args;
    switch (signal) {
        case SIGNAL_NONE: {
            args.seconds = time;
            const bool recache = game_module_ui_recache_requested();
            m_rows.run(game_phase_t::PASS, args, !recache);
            if (recache) game_module_clear_ui_recache();
            break;
        }
        case SIGNAL_SHUTDOWN: m_rows.run(game_phase_t::STOP, args); break;
        case SIGNAL_DRAINING: m_rows.run(game_phase_t::DRAIN, args); break;
        case SIGNAL_KILL: m_rows.run(game_phase_t::KILL, args); break;
        default: break;
    }
    dlguard_proc_t::system();
}

}  // namespace quarn
