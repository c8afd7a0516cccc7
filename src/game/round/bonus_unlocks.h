#pragma once
// Which hunt bonuses animals may carry in single play: each becomes available from a
// round on, and stays. The spawn schedule hands them to scoring and dangerous animals;
// the round screens and the bonus choice show them.
//
//     round  3  "sunglasses"
//     round  6  "weapon_3030"
//     round  9  "extended_clip"
//     round 12  "quick_shooter"
//     round 15  "weapon_7mm"
//
// The fever bonus is never carried by animals.
#include <cstdint>

#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string.h"

namespace quarn {

inline constexpr uint32_t BONUS_UNLOCK_COUNT = 5;

struct bonus_unlock_t {
    uint32_t round;    // first round the bonus is offered in
    const char *name;  // the bonus's name ("%s_bonus" is its unit type)
};

// The table, in unlock order.
extern const bonus_unlock_t bonus_unlocks[BONUS_UNLOCK_COUNT];

// Empties names and appends the name of every bonus unlocked at or before the round,
// in unlock order. False when the array cannot grow (names then holds what fitted).
bool list_unlocked_bonuses(array_dyn_t<string> &names, uint32_t round);

// True exactly for the rounds that unlock a bonus (3, 6, 9, 12 and 15).
bool is_bonus_unlock_round(uint32_t round);

}  // namespace quarn
