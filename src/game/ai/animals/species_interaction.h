#pragma once
// A species kind's "species_interaction" ("/def/game.def", docs/formats/game-def.md):
// how the kind takes each other species, one decimal number per species index from
// 0, parted by ','. Below 0 the other species threatens it, above 0 it is prey, near
// 0 neither.
#include "qrncore/collections/arrays/array_dyn.h"

namespace quarn {

// Reads the list into out (emptied first): one value per field, in order. A field is
// a decimal number ("0.5" is a half, "-1" a whole threat); a field that is not a
// finite number reads 0. Null or "" gives one field of 0.
void species_interaction_read(const char *text, array_dyn_t<float> &out);

// The value for a species index; an index outside the list is 0 (neutral).
float species_interaction_of(const array_dyn_t<float> &list, int32_t species_index);

// The hunters among the species (indices 7, 11 and 12): they pursue the prey they see
// when hungry, and their sight is narrower.
inline bool species_is_predator(int32_t species_index) {
    return species_index == 7 || species_index == 11 || species_index == 12;
}

}  // namespace quarn
