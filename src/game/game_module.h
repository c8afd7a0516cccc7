#pragma once
// The game module "lib/game", compiled into the program: the kernel finds its entry
// game_get_dl_ops in the program itself. Registering it runs the register phase of
// the registration table (game_rows.h) and makes the guard process that holds the
// module while anything of the game still needs it; executing it with stage 0 starts
// the game process. The module also owns the game's translation table
// (game_localisation.h).
#include <cstdint>

#include "game/game_rows.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/system/dl_lib.h"
#include "qrncore/units/unit_ptr.h"

extern "C" __attribute__((visibility("default"))) quarn::dl_ops_t *game_get_dl_ops();

namespace quarn {

class common_proc_t;
class game_guard_proc_t;
class unit_bank_t;

enum game_module_mode_t : int32_t {
    GAME_MODULE_IDLE = 0,     // not executed
    GAME_MODULE_RUNNING = 1,  // stage 0: the game process runs
    GAME_MODULE_HOSTED = 2,   // stage 1: a host embeds the module
};

// What a hosting program's callback returns when asked with HOST_ASK_SCREEN.
class game_host_screen_t {
public:
    virtual void get_screen_size(int32_t *width, int32_t *height) = 0;

protected:
    ~game_host_screen_t() = default;
};
inline constexpr int32_t HOST_ASK_SCREEN = 1;
using game_host_callback_t = game_host_screen_t *(*)(int32_t what);

// Execution stages of dl_execute.
inline constexpr unsigned GAME_STAGE_RUN = 0;
inline constexpr unsigned GAME_STAGE_HOSTED = 1;

game_module_mode_t game_module_mode();
game_host_callback_t game_module_host_callback();
// Puts the module back to a mode (tests that executed a stage go back to idle).
void game_module_set_mode(game_module_mode_t mode, game_host_callback_t callback = nullptr);

// The rows the module runs: the linked lists' table unless a test set its own (null
// restores the linked table).
const game_row_table_t &game_module_rows();
void game_module_set_rows(const game_row_table_t *table);
// A factory row of the module's table by name, cast to its type; null when none.
template <class F>
F *game_module_factory(const char *name) {
    return game_find_factory<F>(game_module_rows(), name);
}

// Runs the register phase of table with the default unit system's bank. Every class
// row that registers appends its descriptor to registered when given.
void register_game_classes(const game_row_table_t &table, array_dyn_t<const unit_descriptor_t *> *registered = nullptr);

// The guard process while it lives.
game_guard_proc_t *game_module_guard();
void game_module_set_guard_proc(game_guard_proc_t *guard);
// The game process while it lives (its constructor and destructor set and clear it).
common_proc_t *game_module_process();
void game_module_set_process(common_proc_t *process);

// The UI recache request: set when the language changes while hosted; the guard's
// next pass runs the PASS_UI_RECACHE rows and clears it.
void game_module_request_ui_recache();
bool game_module_ui_recache_requested();
void game_module_clear_ui_recache();

// The units of the UI effect hookup; emptied in the guard's first stop stage.
array_dyn_t<owner_ptr_t<unit_base_t>> &game_module_uifx_hookup();

}  // namespace quarn
