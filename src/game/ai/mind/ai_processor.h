#pragma once
// ai_processor_t: one small probabilistic state graph of a species ("/def/ai.def",
// block ai.<species>.<processor>; docs/animal-ai.md). The graph's states are grouped
// into chains; each chain applies to a range of the urge value the animal hands in.
// Stepping the graph walks one edge at random, weighted by how long the animal has
// been in its state, and answers the manner the animal should show.
#include <cstdint>

#include "game/ai/mind/ai_manners.h"
#include "game/game_alloc.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/numerics/randomizer.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

class def_obj_t;

class ai_processor_t {
public:
    QRN_GAME_ALLOC

    // "chains_count" and "states_count" are at most this (the numbered keys have two
    // digits).
    static constexpr int32_t MAX_COUNT = 100;

    struct chain_t {
        float low = 0.0f;
        float high = 0.0f;
    };
    struct state_t {
        bool assigned = false;  // belongs to a chain
        int32_t chain = -1;
        int32_t manner = -1;
        uint32_t addon_mask = 0;  // bit i: addon group i may play
    };
    struct edge_t {
        bool exists = false;
        bool modulated = false;
        int32_t start_steps = 0;
        int32_t end_steps = 0;
        float start_weight = 0.0f;
        float end_weight = 0.0f;
        float low_value = 0.0f;
        float high_value = 0.0f;
        float low_factor = 0.0f;
        float high_factor = 0.0f;
        bool active = false;  // of the last random walk
        float weight = 0.0f;  // of the last random walk
    };
    struct addon_t {
        bool defined = false;
        float low_value = 0.0f;
        float high_value = 0.0f;
        float low_rate = 0.0f;
        float high_rate = 0.0f;
    };

    ai_processor_t() = default;
    ai_processor_t(const ai_processor_t &) = delete;
    ai_processor_t &operator=(const ai_processor_t &) = delete;

    // Reads the processor block; every problem is logged. A fatal one clears the
    // validity and ends the load, keeping what was read before it. Loading again
    // starts over.
    bool load(const def_obj_t &block);
    bool is_valid() const { return m_valid; }

    // One step with the urge value: a random walk when the current chain's range
    // holds the value, else a new selection. The manner of the current state; -1,
    // nothing changed, for a processor without chains.
    int32_t step(float value, int32_t preferred_manner, randomizer_t &random);
    // A forced selection: the manner of the current state, -1 without chains.
    int32_t force(float value, int32_t preferred_manner);
    // The first chain whose range holds the value becomes current (see the doc); with
    // none, "appropriate chain not found !!!" and nothing changes.
    void select(float value, int32_t preferred_manner, bool forced);
    // One random walk from the current state.
    void random_walk(float value, randomizer_t &random);

    // The weight of the edge after steps in its from-state, with the urge value; 0
    // for an edge that does not exist.
    float edge_weight(uint32_t from, uint32_t to, int32_t steps, float value) const;

    // Addon mask of the current state (0 without states).
    uint32_t current_addon_mask() const;
    // -1 when the group's addon is not defined; else its rate at the value.
    float addon_rate(uint32_t group, float value) const;

    uint32_t get_chain_count() const { return m_chains.get_count(); }
    uint32_t get_state_count() const { return m_states.get_count(); }
    const chain_t &get_chain(uint32_t i) const { return m_chains[i]; }
    const state_t &get_state(uint32_t i) const { return m_states[i]; }
    const edge_t &get_edge(uint32_t from, uint32_t to) const;
    const addon_t &get_addon(uint32_t group) const { return m_addons[group]; }
    // The state of that name (a chain's name is its entry state's), or -1.
    int32_t find_state(const char *name) const;

    int32_t get_current_chain() const { return m_current_chain; }
    int32_t get_current_state() const { return m_current_state; }
    int32_t get_steps() const { return m_steps; }
    // For tests and the owner's restore: puts the walk at the state.
    void set_current(int32_t chain, int32_t state, int32_t steps);

private:
    bool fail() { return m_valid = false; }
    bool add_name(const char *name, uint32_t state);
    bool read_states(const char *list, uint32_t first, uint32_t count, bool chains);
    bool read_chain_ranges();
    void read_edges();
    void assign_chains();
    void read_allowed_addons();
    void read_addons();
    edge_t &edge(uint32_t from, uint32_t to) { return m_edges[from * m_states.get_count() + to]; }

    const def_obj_t *m_block = nullptr;  // while loading
    const char *m_name = "";             // the block's name, while loading
    bool m_valid = true;
    bool m_forcing = false;
    array_dyn_t<chain_t> m_chains;
    array_dyn_t<state_t> m_states;
    array_dyn_t<string_dyn_t<>> m_names;  // of the states, by index
    array_dyn_t<edge_t> m_edges;          // from * state count + to
    addon_t m_addons[AI_ADDON_GROUP_COUNT];
    int32_t m_current_chain = 0;
    int32_t m_current_state = 0;
    int32_t m_steps = 0;
};

}  // namespace quarn
