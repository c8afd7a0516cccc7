// The hunt controller in the module's registration table.
#include "game/game_rows.h"
#include "game/hunt/hunt_ctrl.h"

GAME_MODULE_ROWS(hunt, ::quarn::game_class_row(::quarn::hunt_ctrl_u::unit_descriptor));
