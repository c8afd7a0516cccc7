#pragma once
// The two draws that give a spawned animal its trophy score and its weight from the
// ranges of its gender in the game definition ("/def/game.def", species blocks:
// docs/formats/game-def.md). The herd writer calls them with the size factor it drew
// for the animal and writes the results into the animal's instance definition.
//
// Both spread a range "lo:hi" over the size factor between the two reference sizes
// below, then take a random factor of cos³(πr): score × (1 ± 0.02), weight × (1 ±
// 0.07). A missing or malformed range is logged and gives 0.
//
// The size factor handed in is the animal's scale, a scalar s; the reference sizes are
// lengths of scale vectors, so s is measured as the length of its vector (s, s, s),
// s√3: "lo" belongs to an animal of scale 0.7, "hi" to one of scale 1.3.
namespace quarn {

class def_obj_t;
class randomizer_t;

// The reference sizes: the lengths of the scale vectors (0.7, 0.7, 0.7) and
// (1.3, 1.3, 1.3), √1.47 and √5.07.
constexpr float ANIMAL_SIZE_L07 = 1.21243556f;
constexpr float ANIMAL_SIZE_L13 = 2.25166605f;

// The length of the scale vector (s, s, s) of an animal of scale s, against which the
// reference sizes measure it.
double animal_size_length(float size);

// By the gender's "scoring_type": "antlers" and "none" give 0 (antlers are scored as
// trophies of their own); "size" spreads "score_range" over the size's length clamped
// to [L07, L13]. Another type is logged ("invalid animal scoring type (%s) - falling
// back to size") and scores by size. r is drawn from random, or from the kernel's
// sys_rand without one.
float animal_compute_score(const def_obj_t &gender, float size, randomizer_t *random = nullptr);

// Spreads "weight_range" over the size's length without clamping (a size outside the
// reference band extrapolates beyond the range); random as above.
float animal_compute_weight(const def_obj_t &gender, float size, randomizer_t *random = nullptr);

}  // namespace quarn
