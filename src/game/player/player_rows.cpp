// The player view in the module's registration table: the hunt's hunter.
#include "game/game_rows.h"
#include "game/player/player.h"

namespace quarn {
namespace {

hunter_t *make_player(hunt_ctrl_u &hunt) { return new player_t(hunt); }

}  // namespace
}  // namespace quarn

GAME_MODULE_ROWS(player, ::quarn::game_factory_row(::quarn::HUNTER_FACTORY, &::quarn::make_player));
