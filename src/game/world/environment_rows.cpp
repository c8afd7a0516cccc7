// The environment's rows in the game module's table: the classes a weather preset is
// made of, so that preset files can name them.
#include "game/game_rows.h"
#include "game/world/fog.h"
#include "game/world/sun.h"
#include "game/world/temperature.h"
#include "game/world/wind.h"

using quarn::game_class_row;

GAME_MODULE_ROWS(environment, game_class_row(quarn::sun_u::unit_descriptor),
                 game_class_row(quarn::fog_u::unit_descriptor), game_class_row(quarn::temperature_u::unit_descriptor),
                 game_class_row(quarn::wind_u::unit_descriptor));
