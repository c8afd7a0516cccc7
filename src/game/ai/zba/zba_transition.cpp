#include "game/ai/zba/zba_transition.h"

#include <algorithm>

#include "qrncore/system/messages.h"

namespace quarn {

namespace {

using zba_layout::NO_STATE;

// The parser allows at most 256 features and 256 complex transitions.
constexpr uint32_t MAX_FEATURES = 256;
constexpr uint32_t MAX_COMPLEX = 256;

struct candidate_t {
    uint32_t index;  // complex transition number
    uint32_t score;
};

// Where the plan stands: the state each feature is in (as far as the transitions taken
// so far bring it), the state it must reach, and whether it still has to.
struct planner_t {
    const zba_info_t &file;
    uint32_t features;
    uint8_t state[MAX_FEATURES];
    uint8_t required[MAX_FEATURES];
    bool needed[MAX_FEATURES];
    uint32_t needed_count = 0;

    planner_t(const zba_info_t &f, const uint8_t *current, const zba_behavior_t &to) : file(f) {
        features = std::min(file.feature_count(), MAX_FEATURES);
        for (uint32_t i = 0; i < features; ++i) {
            state[i] = current[i];
            required[i] = to.start_state(i);
            needed[i] = required[i] != NO_STATE;
            needed_count += needed[i] ? 1 : 0;
        }
    }

    // A feature the transition moves: it names an end state other than its start.
    static bool changes(const zba_behavior_t &t, uint32_t f) {
        const uint8_t end = t.end_state(f);
        return end != NO_STATE && end != t.start_state(f);
    }

    uint32_t score(const zba_behavior_t &t) const {
        uint32_t reached = 0;
        for (uint32_t f = 0; f < features; ++f) {
            const uint8_t start = t.start_state(f);
            if (start != NO_STATE && start != state[f]) return 0;
            if (!changes(t, f)) continue;
            if (!needed[f] || t.end_state(f) != required[f]) return 0;
            ++reached;
        }
        return reached;
    }

    void take(const zba_behavior_t &t) {
        for (uint32_t f = 0; f < features; ++f) {
            if (!changes(t, f)) continue;
            state[f] = t.end_state(f);
            if (needed[f]) {
                needed[f] = false;
                --needed_count;
            }
        }
    }

    // One pass over the complex transitions of one form.
    void pass(bool from_any, zba_transition_plan_t &plan) {
        candidate_t list[MAX_COMPLEX];
        uint32_t count = 0;
        const uint32_t total = std::min(file.complex_count(), MAX_COMPLEX);
        for (uint32_t i = 0; i < total; ++i)
            if (file.complex_transition(i).from_any() == from_any) list[count++] = {i, 0};
        candidate_t *first = list;
        candidate_t *last = list + count;
        auto rescore = [&] {
            for (candidate_t *c = first; c != last; ++c) c->score = score(file.complex_transition(c->index));
            // Equal scores keep file order, so a plan is the same on every run.
            std::stable_sort(first, last, [](const candidate_t &a, const candidate_t &b) { return a.score > b.score; });
        };
        rescore();
        while (first != last && first->score > 0) {
            if (plan.complex_count == ZBA_PLAN_MAX_COMPLEX) {
                warning("[zba_inst] complex transitions buffer overflow");
                return;
            }
            plan.complex[plan.complex_count++] = int32_t(first->index);
            take(file.complex_transition(first->index));
            if (needed_count == 0) return;
            // What brings more features than are still needed cannot fit any more; the
            // one just taken scores 0 when scored again.
            while (first != last && first->score > needed_count) ++first;
            if (first == last || first->score == 0) break;
            rescore();
        }
    }
};

const char *state_name(const zba_info_t &file, uint32_t feature, uint8_t state) {
    if (state == NO_STATE) return "*";
    const zba_feature_t f = file.feature(feature);
    return state < f.state_count() ? f.state_name(state) : "?";
}

}  // namespace

bool zba_plan_transition(const zba_info_t &file, const uint8_t *current, const zba_behavior_t &to,
                         zba_transition_plan_t &plan) {
    plan.complex_count = 0;
    plan.simple_count = 0;
    planner_t p(file, current, to);
    if (p.needed_count > 0) p.pass(false, plan);
    if (p.needed_count > 0) p.pass(true, plan);
    for (uint32_t f = 0; f < p.features; ++f) {
        if (p.needed[f] && p.state[f] == p.required[f]) {
            p.needed[f] = false;
            --p.needed_count;
        }
    }
    for (uint32_t f = 0; f < p.features && p.needed_count > 0; ++f) {
        if (!p.needed[f]) continue;
        const int32_t simple = file.feature(f).simple_transition(p.required[f]);
        if (simple < 0) break;
        if (plan.simple_count == ZBA_PLAN_MAX_SIMPLE) {
            warning("[zba_inst] feature transitions buffer overflow");
            break;
        }
        plan.simple[plan.simple_count++] = simple;
        p.needed[f] = false;
        --p.needed_count;
    }
    if (p.needed_count == 0) return true;

    warning("[zba_inst] unable to complete transition:");
    for (uint32_t f = 0; f < p.features; ++f) {
        if (current[f] == NO_STATE && p.required[f] == NO_STATE) continue;
        // The colour code leads the line, as the console's log view reads it.
        warning("%s(%s) %s -> %s", p.needed[f] ? "\\r" : "\\g", file.feature(f).name(),
                state_name(file, f, current[f]), state_name(file, f, p.required[f]));
    }
    return false;
}

}  // namespace quarn
