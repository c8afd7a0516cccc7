#pragma once
// The round progression "/script/round/rounds.unit" as the game process reads it: a
// unit tree whose root is of the type "round_progression", holding its rounds in play
// order in "rounds" (round N is entry N − 1), each naming its map in "map_name". The
// game process counts the rounds at start, lists the rounds of a map and takes a
// round out for the hunt.
#include <cstdint>

#include "qrncore/units/unit_ptr.h"

namespace quarn {

class unit_base_t;

inline constexpr char ROUND_PROGRESSION_TYPE[] = "round_progression";

// The progression of the file, or null with "[game] load_unit_tree() - Failed to open
// file (%s)" / "... Failed to load unit tree from file (%s)" logged (also when its root
// is no round progression, or the type is not registered).
owner_ptr_ret_t<unit_base_t> load_round_progression(const char *path);
// Entries in the progression (empty ones included); 0 for null or another unit.
uint32_t round_progression_count(unit_base_t *progression);
// Round number (from 1), or null out of range or for an empty entry.
unit_base_t *round_progression_get(unit_base_t *progression, uint32_t number);
// Takes round number out (its entry is left empty) for the caller to own.
owner_ptr_ret_t<unit_base_t> round_progression_take(unit_base_t *progression, uint32_t number);
// The round's map name; "" when it has none.
const char *round_map_name(unit_base_t *round);

}  // namespace quarn
