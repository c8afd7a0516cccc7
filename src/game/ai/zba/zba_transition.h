#pragma once
// Transition planning: which complex and simple transitions of a behaviour file carry
// a model's features from the states they are in to the states a behaviour needs
// (docs/zba-instances.md). The animation instance plans with it and compiles the
// plan into one program.
#include <cstdint>

#include "game/ai/zba/zba_info.h"

namespace quarn {

// The most complex and the most simple transitions one plan takes.
inline constexpr uint32_t ZBA_PLAN_MAX_COMPLEX = 16;
inline constexpr uint32_t ZBA_PLAN_MAX_SIMPLE = 16;

struct zba_transition_plan_t {
    int32_t complex[ZBA_PLAN_MAX_COMPLEX];
    uint32_t complex_count = 0;
    int32_t simple[ZBA_PLAN_MAX_SIMPLE];
    uint32_t simple_count = 0;
};

// Plans the change from the current states (one byte per feature, zba_layout::NO_STATE
// for a state not known) to the start states of the behaviour `to`:
// 1. a feature is needed when `to` names a start state for it;
// 2. complex transitions in two passes, first those that name a start state for every
//    feature, then those written "feature : -> state". A candidate scores 0 when it
//    changes a feature that is not needed, leads a needed one elsewhere than its
//    required state, or names a start state the feature is not in; otherwise it
//    scores the needed features it brings to their state. The best (a stable sort: a
//    tie goes to the first in the file) is taken and its features are done; the rest
//    are scored again, until none scores or nothing is needed;
// 3. a needed feature already in its state is done;
// 4. the simple transition into its state for each feature still needed, in feature
//    order, up to the first feature that has none.
// True when every needed feature is reached. Otherwise logs the warning "[zba_inst]
// unable to complete transition:" and one line per feature (those with both states
// unknown left out), "\g(feature) current -> required" for a feature reached and
// "\r(...)" for one still open ("\g", "\r": the text layer's green and red; "*" for
// an unknown state), and returns false.
bool zba_plan_transition(const zba_info_t &file, const uint8_t *current, const zba_behavior_t &to,
                         zba_transition_plan_t &plan);

}  // namespace quarn
