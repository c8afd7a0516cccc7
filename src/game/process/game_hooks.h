#pragma once
// What the game process and its controllers ask other parts of the game for by name:
// factory rows of the module's table (game_rows.h, game_factory_row), which the part
// that owns the work adds in its own row list. Until a row exists the caller logs what
// is missing and goes on without it (docs/game-process.md lists the effects).
//
//     GAME_MODULE_ROWS(scene,
//         game_factory_row(GAME_HOOK_WRITE_HERDS, write_herds),
//         game_factory_row(GAME_HOOK_START_MISSION, start_mission));
#include <cstdint>

#include "qrncore/units/unit_ptr.h"

namespace quarn {

class base_ctrl_u;
class def_pool_t;
class scene_object_t;
class unit_base_t;

// The herds of a mission: writes the animals of the species for the area at the hour
// into the mission's "animals" object, drawing from the game definition. False when
// nothing could be written.
inline constexpr char GAME_HOOK_WRITE_HERDS[] = "scene.write_herds";
using game_write_herds_t = bool(def_pool_t &mission, const def_pool_t &game_definition, const char *species,
                                const char *area, float hour);

// Map start-up: builds the controller's scene from the mission definition (its path
// names it in messages). False when the map does not start.
inline constexpr char GAME_HOOK_START_MISSION[] = "scene.start_mission";
using game_start_mission_t = bool(base_ctrl_u &ctrl, const def_pool_t &mission, const char *path);

// Hands a round (a round_logic unit, owned from then on by the controller) to the hunt
// controller. False when the controller cannot take it.
inline constexpr char GAME_HOOK_START_ROUND[] = "hunt.start_round";
using game_start_round_t = bool(base_ctrl_u &hunt, owner_ptr_ret_t<unit_base_t> round);

// The camera of the menu and of the screensaver: a scene object that is also the
// scene's view (scene_view_t). The controller owns it (deletes it).
inline constexpr char GAME_HOOK_MENU_VIEW[] = "cameras.menu_view";
inline constexpr char GAME_HOOK_SCREENSAVER_VIEW[] = "cameras.screensaver_view";
using game_make_view_t = scene_object_t *();

// "animalcam": points the scene's shared animal camera (made once) at the animal of
// that index of the controller's animal world and makes it the active view. False
// when it cannot.
inline constexpr char GAME_HOOK_ANIMAL_CAMERA[] = "cameras.animal_camera";
using game_animal_camera_t = bool(base_ctrl_u &ctrl, uint32_t animal_index);

}  // namespace quarn
