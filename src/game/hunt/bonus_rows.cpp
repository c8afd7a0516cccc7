// The bonuses, the party gifts and the gift targets in the module's registration
// table. Gift targets are made in code only (no unit file names them), so their class
// is not registered; the rounds reach them through the gift spawner row.
#include "game/game_rows.h"
#include "game/hunt/annoy_gift.h"
#include "game/hunt/fever_bonus.h"
#include "game/hunt/gift_target.h"
#include "game/hunt/hunt_bonuses.h"
#include "game/hunt/party_gifts.h"
#include "game/round/target_spawners.h"

GAME_MODULE_ROWS(bonuses,
    ::quarn::game_class_row(::quarn::headstand_gift_u::unit_descriptor),
    ::quarn::game_class_row(::quarn::handswap_gift_u::unit_descriptor),
    ::quarn::game_class_row(::quarn::cloak_gift_u::unit_descriptor),
    ::quarn::game_class_row(::quarn::speed_gift_u::unit_descriptor),
    ::quarn::game_class_row(::quarn::shake_gift_u::unit_descriptor),
    ::quarn::game_class_row(::quarn::annoy_gift_u::unit_descriptor),
    ::quarn::game_class_row(::quarn::sunglasses_bonus_u::unit_descriptor),
    ::quarn::game_class_row(::quarn::fever_bonus_u::unit_descriptor),
    ::quarn::game_class_row(::quarn::extended_clip_bonus_u::unit_descriptor),
    ::quarn::game_class_row(::quarn::weapon_3030_bonus_u::unit_descriptor),
    ::quarn::game_class_row(::quarn::weapon_7mm_bonus_u::unit_descriptor),
    ::quarn::game_class_row(::quarn::quick_shooter_bonus_u::unit_descriptor),
    ::quarn::game_factory_row(::quarn::GIFT_TARGET_SPAWNER, &::quarn::spawn_gift_target));
