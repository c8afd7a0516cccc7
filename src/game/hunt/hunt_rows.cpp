// The hunt controller in the module's registration table, and the game process's
// hand-over of a round to it.
#include "game/game_rows.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/process/game_hooks.h"
#include "game/round/round_logic.h"

namespace {

bool start_round(quarn::base_ctrl_u &ctrl, quarn::owner_ptr_ret_t<quarn::unit_base_t> round) {
    auto *hunt = quarn::unit_cast<quarn::hunt_ctrl_u>(&ctrl);
    return hunt && hunt->load_round(quarn::unit_cast<quarn::round_logic_u>(std::move(round)));
}

}  // namespace

GAME_MODULE_ROWS(hunt, ::quarn::game_class_row(::quarn::hunt_ctrl_u::unit_descriptor),
                 ::quarn::game_factory_row(::quarn::GAME_HOOK_START_ROUND, &start_round));
