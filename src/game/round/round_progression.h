#pragma once
// round_progression_u (unit type "round_progression"): the rounds of a hunt in play
// order, "/script/round/rounds.unit". Round N (from 1) is rounds[N - 1]. The game
// process loads it at start to count the rounds, and again for each round it starts,
// so every round begins from a fresh copy.
#include <cstdint>

#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class round_logic_u;

inline constexpr char ROUND_PROGRESSION_PATH[] = "/script/round/rounds.unit";

class round_progression_u : public unit_t {
    QRN_UNIT_CLASS(round_progression_u, unit_t);

public:
    uint32_t get_round_count() const { return rounds.get_count(); }
    // Round number (1-based), or null out of range.
    round_logic_u *get_round(uint32_t number) const;
    // Takes round number out of the progression for the caller to own (its slot is
    // left empty), so that the rest of the progression can go; null out of range or
    // when the slot holds no round.
    owner_ptr_ret_t<round_logic_u> take_round(uint32_t number);

    array_dyn_t<owner_ptr_t<unit_base_t>> rounds;  // round_logic_u, in play order
};

}  // namespace quarn
