#pragma once
// The two draws that give a spawned animal its trophy score and its weight from the
// ranges of its gender in the game definition ("/def/game.def", species blocks:
// docs/formats/game-def.md). The herd writer calls them with the size factor it drew
// for the animal and writes the results into the animal's instance definition.
//
// Both spread a range "lo:hi" over the size factor between the two reference sizes
// below, then take a random factor of cos³(πr): score × (1 ± 0.02), weight × (1 ±
// 0.07). A missing or malformed range is logged and gives 0.
namespace quarn {

class def_obj_t;
class randomizer_t;

// The reference sizes, compared with the size factor as they are: the lengths of the
// vectors (0.7, 0.7, 0.7) and (1.3, 1.3, 1.3), √1.47 and √5.07.
constexpr float ANIMAL_SIZE_L07 = 1.21243556f;
constexpr float ANIMAL_SIZE_L13 = 2.25166605f;

// By the gender's "scoring_type": "antlers" and "none" give 0 (antlers are scored as
// trophies of their own); "size" spreads "score_range" over the size factor clamped
// to [L07, L13]. Another type is logged ("invalid animal scoring type (%s) - falling
// back to size") and scores by size. r is drawn from random, or from the kernel's
// sys_rand without one.
float animal_compute_score(const def_obj_t &gender, float size, randomizer_t *random = nullptr);

// Spreads "weight_range" over the size factor without clamping (a size outside the
// reference band extrapolates beyond the range); random as above.
float animal_compute_weight(const def_obj_t &gender, float size, randomizer_t *random = nullptr);

}  // namespace quarn
