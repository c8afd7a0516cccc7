// The environment's rows in the game module's table: the weather preset and the
// classes it is made of, so that preset files can name them. The rain, the snow and
// the sky box are made by the environment itself and are not registered.
#include "game/game_rows.h"
#include "game/world/environment_preset.h"
#include "game/world/fog.h"
#include "game/world/sun.h"
#include "game/world/temperature.h"
#include "game/world/wind.h"

using quarn::game_class_row;

GAME_MODULE_ROWS(environment, game_class_row(quarn::environment_preset_u::unit_descriptor),
                 game_class_row(quarn::sun_u::unit_descriptor),
                 game_class_row(quarn::fog_u::unit_descriptor), game_class_row(quarn::temperature_u::unit_descriptor),
                 game_class_row(quarn::wind_u::unit_descriptor));
