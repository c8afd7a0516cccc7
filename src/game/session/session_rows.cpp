// The session's unit classes in the game module's table: score records, the
// high-score table and the savegame.
#include "game/game_rows.h"
#include "game/session/savegame.h"
#include "game/session/score.h"

GAME_MODULE_ROWS(session,
                 quarn::game_class_row(quarn::score_u::unit_descriptor),
                 quarn::game_class_row(quarn::score_table_u::unit_descriptor),
                 quarn::game_class_row(quarn::savegame_u::unit_descriptor));
