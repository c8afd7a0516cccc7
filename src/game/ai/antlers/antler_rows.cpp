// The antler classes in the game module's registration (docs/game-module.md).
#include "game/ai/antlers/antler_units.h"
#include "game/game_rows.h"

using quarn::game_class_row;

GAME_MODULE_ROWS(antlers, game_class_row(quarn::antler_factory_u::unit_descriptor),
                 game_class_row(quarn::antler_part_u::unit_descriptor),
                 game_class_row(quarn::antler_part_simple_u::unit_descriptor),
                 game_class_row(quarn::antler_desc_u::unit_descriptor),
                 game_class_row(quarn::antler_score_u::unit_descriptor),
                 game_class_row(quarn::antler_pair_score_u::unit_descriptor));
