// The round classes in the module's registration table.
#include "game/game_rows.h"
#include "game/round/round_logic.h"
#include "game/round/round_progression.h"
#include "game/round/trail_use.h"

GAME_MODULE_ROWS(rounds,
    ::quarn::game_class_row(::quarn::round_logic_u::unit_descriptor),
    ::quarn::game_class_row(::quarn::round_progression_u::unit_descriptor),
    ::quarn::game_class_row(::quarn::trail_use_u::unit_descriptor));
