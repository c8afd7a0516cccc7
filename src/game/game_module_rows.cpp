// The game module's own rows: the unit system, the hold on the memory manager's
// process, the translation table, the UI effect hookup and the game-support resource
// hooks that the kernel offers.
#include "game/game_localisation.h"
#include "game/game_module.h"
#include "game/game_rows.h"
#include "kernel/memory/m_server.h"
#include "kernel/process_table.h"
#include "outside/qrnshared/usystem.h"

namespace quarn {

namespace {

// Game-support resources hold the module while they are bound to items.
void gamesup_unlock(unit_base_t *) { game_module_unlock(); }

bool gamesup_lock_hooks(const game_row_args_t &) {
    set_gamesup_lock_hooks(game_module_lock, gamesup_unlock);
    return true;
}

bool create_unit_system(const game_row_args_t &) { return common_create_usystem() != nullptr; }

// The memory manager may not end while the module's resources live: held from
// registration to the guard's last stage.
bool lock_mm(const game_row_args_t &) {
    process_mm_lock();
    return true;
}

bool unlock_mm(const game_row_args_t &) {
    process_mm_unlock();
    return true;
}

bool destroy_uifx_hookup(const game_row_args_t &) {
    game_module_uifx_hookup().clear();
    return true;
}

bool drop_translations(const game_row_args_t &) {
    release_localisation();
    return true;
}

bool release_gamesup(const game_row_args_t &) {
    gamesup_release_unreferenced();
    return true;
}

}  // namespace

}  // namespace quarn

using quarn::game_row;
using quarn::game_step_t;

GAME_MODULE_ROWS(module,
                 game_row(game_step_t::REGISTER_LOCK_GAMESUP, "set_gamesup_lock_hooks", quarn::gamesup_lock_hooks),
                 game_row(game_step_t::REGISTER_UNIT_SYSTEM, "common_create_usystem", quarn::create_unit_system),
                 game_row(game_step_t::REGISTER_LOCK_MM, "process_mm_lock", quarn::lock_mm),
                 game_row(game_step_t::STOP_HOOKUP, "destroy_uifx_hookup", quarn::destroy_uifx_hookup),
                 game_row(game_step_t::STOP_LOCALISATION, "release_localisation", quarn::drop_translations),
                 game_row(game_step_t::DRAIN_GAMESUP, "gamesup_release_unreferenced", quarn::release_gamesup),
                 game_row(game_step_t::KILL_UNLOCK_MM, "process_mm_unlock", quarn::unlock_mm));
