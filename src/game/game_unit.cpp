#include "game/game_unit.h"

namespace quarn {

QRN_UNIT_DEFINE(game_unit_base_u, "game_unit_base");
QRN_UNIT_DEFINE(game_unit_u, "game_unit");

bool game_unit_base_u::init_unit() { return true; }
void game_unit_base_u::cleanup_unit() {}

bool game_unit_u::init_unit() { return true; }
void game_unit_u::cleanup_unit() {}

}  // namespace quarn
