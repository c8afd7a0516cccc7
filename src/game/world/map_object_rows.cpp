// The map objects' rows in the game module's table: the classes the map's unit files
// ("landscape.game.unit", "landscape.trail.unit", "landscape.start.unit") and the
// emitter templates of the hookups are made of.
#include "game/game_rows.h"
#include "game/world/attract_area.h"
#include "game/world/body.h"
#include "game/world/body_actor.h"
#include "game/world/flagpole.h"
#include "game/world/particle_emitter.h"
#include "game/world/plant.h"
#include "game/world/sound_loop.h"
#include "game/world/start_point.h"
#include "game/world/trail.h"

using quarn::game_class_row;

GAME_MODULE_ROWS(map_objects, game_class_row(quarn::body_desc_u::unit_descriptor),
                 game_class_row(quarn::body_inst_u::unit_descriptor),
                 game_class_row(quarn::body_actor_desc_u::unit_descriptor),
                 game_class_row(quarn::body_actor_inst_u::unit_descriptor),
                 game_class_row(quarn::flagpole_inst_u::unit_descriptor),
                 game_class_row(quarn::plant_desc_u::unit_descriptor),
                 game_class_row(quarn::plant_inst_u::unit_descriptor),
                 game_class_row(quarn::attract_area_u::unit_descriptor),
                 game_class_row(quarn::particle_emitter_u::unit_descriptor),
                 game_class_row(quarn::sound_loop_u::unit_descriptor),
                 game_class_row(quarn::start_point_u::unit_descriptor),
                 game_class_row(quarn::trail_u::unit_descriptor));
