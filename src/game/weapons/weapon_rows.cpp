// The weapons' classes and their host in the module's registration table.
#include "game/game_rows.h"
#include "game/weapons/hunt_weapon_host.h"
#include "game/weapons/projectile.h"
#include "game/weapons/weapon.h"
#include "game/weapons/weapon_rifle.h"

GAME_MODULE_ROWS(weapons,
    ::quarn::game_class_row(::quarn::casing_u::unit_descriptor),
    ::quarn::game_class_row(::quarn::pellet_u::unit_descriptor),
    ::quarn::game_class_row(::quarn::projectile_u::unit_descriptor),
    ::quarn::game_class_row(::quarn::item_u::unit_descriptor),
    ::quarn::game_class_row(::quarn::weapon_u::unit_descriptor),
    ::quarn::game_class_row(::quarn::weapon_rifle_u::unit_descriptor),
    ::quarn::game_factory_row(::quarn::WEAPON_HOST_FACTORY, &::quarn::hunt_weapon_host));
