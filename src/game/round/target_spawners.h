#pragma once
// The two spawners a round makes its targets with. They are factory rows of the game
// module's table (docs/game-module.md), so the round code builds before the classes
// of its targets: the animals' part offers ANIMAL_TARGET_SPAWNER, the gifts' part
// GIFT_TARGET_SPAWNER, each in a row list of its own:
//
//     GAME_MODULE_ROWS(animal_targets, game_factory_row(ANIMAL_TARGET_SPAWNER, &spawn));
//
// A spawner makes one target on the trail and hands it to the caller (null when it
// cannot). It checks the classes of what it is given itself: a trail use's supported
// arrays may reference units of any class.
#include <cstdint>

#include "qrncore/units/unit_ptr.h"

namespace quarn {

class target_u;
class trail_u;
class unit_base_t;

// trail is the trail use's resolved trail (a live trail of the map).
//
// An animal target that walks the trail: description is an element of the trail
// use's supported array for the kind, bonus the name of the bonus it carries ("" for
// none), random_value (0..998) seeds its draws. The animal adds itself to the scene's
// target list.
using animal_target_spawn_fn_t = owner_ptr_ret_t<target_u>(unit_base_t *description, trail_u *trail, const char *bonus,
                                                         uint32_t random_value);
// A gift target of the named party gift; the trail use adds it to the target list.
using gift_target_spawn_fn_t = owner_ptr_ret_t<target_u>(trail_u *trail, const char *gift, uint32_t random_value);

inline constexpr const char ANIMAL_TARGET_SPAWNER[] = "animal_target.spawn";
inline constexpr const char GIFT_TARGET_SPAWNER[] = "gift_target.spawn";

}  // namespace quarn
