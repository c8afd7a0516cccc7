// The animal body classes in the game module's registration (docs/game-module.md).
#include "game/ai/animals/animal_hookup.h"
#include "game/ai/animals/animal_model_inst.h"
#include "game/ai/animals/ragdoll.h"
#include "game/game_rows.h"

using quarn::game_class_row;

GAME_MODULE_ROWS(animal_bodies, game_class_row(quarn::animal_runtime_u::unit_descriptor),
                 game_class_row(quarn::animal_antler_u::unit_descriptor),
                 game_class_row(quarn::animal_part_u::unit_descriptor),
                 game_class_row(quarn::animal_model_desc_u::unit_descriptor),
                 game_class_row(quarn::animal_model_inst_u::unit_descriptor),
                 game_class_row(quarn::ragdoll_u::unit_descriptor),
                 game_class_row(quarn::ragdoll_part_u::unit_descriptor),
                 game_class_row(quarn::ragdoll_part_capsule_u::unit_descriptor),
                 game_class_row(quarn::ragdoll_part_sphere_u::unit_descriptor),
                 game_class_row(quarn::ragdoll_part_box_u::unit_descriptor),
                 game_class_row(quarn::ragdoll_joint_u::unit_descriptor),
                 game_class_row(quarn::ragdoll_joint_universal_u::unit_descriptor),
                 game_class_row(quarn::ragdoll_joint_hinge_u::unit_descriptor),
                 game_class_row(quarn::ragdoll_joint_root_u::unit_descriptor));
