#include "game/ai/mind/ai_processor.h"

#include <cstring>
#include <strings.h>

#include "game/ai/mind/ai_value_tokens.h"
#include "outside/qrnshared/def_obj.h"
#include "qrncore/math/scalar.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// The value between the low and high ends, straight between them.
float ramp(float v, float low_value, float low, float high_value, float high) {
    if (v <= low_value) return low;
    if (v >= high_value) return high;
    return low + (high - low) * (v - low_value) / (high_value - low_value);
}

// Reads the fields of one value into tokens (at most max); the count read, or -1 for
// a token that is too long, an empty token or an item break (',') inside the value.
int32_t read_fields(const char *text, char (*fields)[ai_value_tokens_t::MAX_TOKEN + 1], int32_t max) {
    ai_value_tokens_t tokens(text);
    int32_t count = 0;
    for (;;) {
        const int r = tokens.next();
        if (r == ai_value_tokens_t::TOO_LONG || r == ai_value_tokens_t::ITEM) return -1;
        if (!tokens.get_token()[0]) return -1;
        if (count < max) strcpy(fields[count], tokens.get_token());
        ++count;
        if (r == ai_value_tokens_t::END) return count;
    }
}

constexpr int32_t MAX_FIELDS = 10;
using fields_t = char[MAX_FIELDS][ai_value_tokens_t::MAX_TOKEN + 1];

}  // namespace

const ai_processor_t::edge_t &ai_processor_t::get_edge(uint32_t from, uint32_t to) const {
    return m_edges[from * m_states.get_count() + to];
}

int32_t ai_processor_t::find_state(const char *name) const {
    for (uint32_t i = 0; i < m_names.get_count(); ++i)
        if (strcmp(m_names[i].c_str(), name) == 0) return int32_t(i);
    return -1;
}

void ai_processor_t::set_current(int32_t chain, int32_t state, int32_t steps) {
    m_current_chain = chain;
    m_current_state = state;
    m_steps = steps;
}

bool ai_processor_t::add_name(const char *name, uint32_t state) {
    if (find_state(name) >= 0) {
        error("[ai] duplicate state name (%s) !", name);
        fail();
    }
    m_names[state] = name;
    return true;
}

// Items name:manner for states first .. first + count - 1. False when the load must
// end (bad tokens, unknown manner).
bool ai_processor_t::read_states(const char *list, uint32_t first, uint32_t count, bool chains) {
    ai_value_tokens_t tokens(list);
    for (uint32_t i = 0; i < count; ++i) {
        if (tokens.next() != ai_value_tokens_t::FIELD || !tokens.get_token()[0]) {
            error("[ai] invalid ai definition file !");
            return fail();
        }
        char name[ai_value_tokens_t::MAX_TOKEN + 1];
        strcpy(name, tokens.get_token());
        const int r = tokens.next();
        if ((r != ai_value_tokens_t::ITEM && r != ai_value_tokens_t::END) || !tokens.get_token()[0]) {
            error("[ai] invalid ai definition file !");
            return fail();
        }
        const int32_t manner = ai_manner_id(tokens.get_token());
        if (manner < 0) {
            error("[ai] invalid manner (%s)", tokens.get_token());
            return fail();
        }
        const uint32_t s = first + i;
        add_name(name, s);
        state_t &state = m_states[s];
        state.assigned = chains;
        state.chain = chains ? int32_t(s) : -1;
        state.manner = manner;
        state.addon_mask = 0;
    }
    return true;
}

bool ai_processor_t::read_chain_ranges() {
    const uint32_t chains = m_chains.get_count();
    for (uint32_t i = 0; i < chains; ++i) {
        const char *value = m_block->get_value("chain", int(i));
        if (!value) {
            error("[ai] cannot find chain%.2u", i);
            return fail();
        }
        fields_t f;
        const int32_t n = read_fields(value, f, MAX_FIELDS);
        const int32_t named = n >= 1 ? find_state(f[0]) : -1;
        if (n >= 1 && (named < 0 || uint32_t(named) >= chains)) {
            error("[ai] invalid chain%.2u item name (%s)", i, f[0]);
            return fail();
        }
        float low = 0, high = 0;
        if (n != 3 || !ai_token_real(f[1], low) || !ai_token_real(f[2], high)) {
            error("[ai] invalid chain%.2u item", i);
            return fail();
        }
        m_chains[uint32_t(named)].low = clamp01(low);
        m_chains[uint32_t(named)].high = clamp01(high);
    }
    return true;
}

void ai_processor_t::read_edges() {
    for (int i = 0; i < MAX_COUNT; ++i) {
        const char *value = m_block->get_value("edge", i);
        if (!value) break;
        fields_t f;
        const int32_t n = read_fields(value, f, MAX_FIELDS);
        if (n < 1) {
            error("[ai] invalid edge%.2i", i);
            continue;
        }
        const int32_t from = find_state(f[0]);
        if (from < 0) {
            error("[ai] cannot find manner %s - invalid edge%.2i", f[0], i);
            continue;
        }
        if (n < 2) {
            error("[ai] invalid edge%.2i", i);
            continue;
        }
        const int32_t to = find_state(f[1]);
        if (to < 0) {
            error("[ai] cannot find manner %s - invalid edge%.2i", f[1], i);
            continue;
        }
        edge_t e;
        e.exists = true;
        e.end_weight = 1.0f;
        bool ok = n == 2 || n == 6 || n == 10;
        if (ok && n >= 6)
            ok = ai_token_int(f[2], e.start_steps) && ai_token_real(f[3], e.start_weight) &&
                 ai_token_int(f[4], e.end_steps) && ai_token_real(f[5], e.end_weight);
        if (ok && n == 10) {
            ok = ai_token_real(f[6], e.low_value) && ai_token_real(f[7], e.low_factor) &&
                 ai_token_real(f[8], e.high_value) && ai_token_real(f[9], e.high_factor);
            e.modulated = true;
        }
        if (!ok) {
            error("[ai] invalid edge%.2i", i);
            continue;
        }
        edge(uint32_t(from), uint32_t(to)) = e;
    }
}

void ai_processor_t::assign_chains() {
    const uint32_t chains = m_chains.get_count();
    const uint32_t n = m_states.get_count();
    for (uint32_t i = 0; i < chains; ++i) {
        for (uint32_t s = 0; s < n; ++s) {
            if (s == i || !(edge(i, s).exists || edge(s, i).exists)) continue;
            if (s < chains) {
                error("[ai] <%s> some chain%.2u and chain%.2u are connected !", m_name, i, s);
                edge(i, s).exists = false;
            } else if (m_states[s].assigned) {
                if (m_states[s].chain == int32_t(i)) continue;
                error("[ai] <%s> state%.2u is accesible from chain%.2u and chain%.2i", m_name, s, i,
                      m_states[s].chain);
                edge(i, s).exists = false;
            } else {
                m_states[s].assigned = true;
                m_states[s].chain = int32_t(i);
            }
        }
    }
    for (;;) {
        bool joined = false;
        uint32_t left = 0;
        for (uint32_t s = 0; s < n; ++s) {
            for (uint32_t k = 0; k < n; ++k) {
                if (!edge(s, k).exists) continue;
                state_t &a = m_states[s];
                state_t &b = m_states[k];
                if (b.assigned && !a.assigned) {
                    a.assigned = true;
                    a.chain = b.chain;
                    joined = true;
                } else if (a.assigned && !b.assigned) {
                    b.assigned = true;
                    b.chain = a.chain;
                    joined = true;
                } else if (a.assigned && b.assigned && a.chain != b.chain) {
                    error("[ai] <%s> state%.2u is accessible from chain%.2i and chain%.2i", m_name, k, a.chain,
                          b.chain);
                }
            }
        }
        for (uint32_t s = 0; s < n; ++s)
            if (!m_states[s].assigned) ++left;
        if (!left) return;
        if (!joined) {
            warning("[ai] <%s> some izolated states !!!", m_name);
            return;
        }
    }
}

void ai_processor_t::read_allowed_addons() {
    for (int i = 0; i < MAX_COUNT; ++i) {
        const char *value = m_block->get_value("allowed_addons", i);
        if (!value) return;
        ai_value_tokens_t tokens(value);
        int r = tokens.next();
        if (r == ai_value_tokens_t::TOO_LONG || r == ai_value_tokens_t::ITEM || !tokens.get_token()[0]) {
            error("[ai] invalid allowed_addons%.2i", i);
            continue;
        }
        const int32_t s = find_state(tokens.get_token());
        if (s < 0) {
            error("[ai] invalid state %s for allowed_addons%.2i", tokens.get_token(), i);
            continue;
        }
        while (r == ai_value_tokens_t::FIELD) {
            r = tokens.next();
            if (r == ai_value_tokens_t::TOO_LONG) break;
            const int32_t group = ai_addon_group(tokens.get_token());
            if (group >= 0) m_states[uint32_t(s)].addon_mask |= 1u << group;
        }
    }
}

void ai_processor_t::read_addons() {
    for (int i = 0; i < MAX_COUNT; ++i) {
        const char *value = m_block->get_value("addon", i);
        if (!value) return;
        fields_t f;
        const int32_t n = read_fields(value, f, MAX_FIELDS);
        const int32_t group = n >= 1 ? ai_addon_group(f[0]) : -1;
        if (n >= 1 && group < 0) {
            error("[ai] invalid addon group %s for addon%.2i", f[0], i);
            continue;
        }
        addon_t a;
        if (n != 5 || !ai_token_real(f[1], a.low_value) || !ai_token_real(f[2], a.low_rate) ||
            !ai_token_real(f[3], a.high_value) || !ai_token_real(f[4], a.high_rate)) {
            error("[ai] invalid addon%.2i", i);
            continue;
        }
        a.defined = true;
        m_addons[group] = a;
    }
}

bool ai_processor_t::load(const def_obj_t &block) {
    m_valid = true;
    m_forcing = false;
    m_chains.clear();
    m_states.clear();
    m_names.clear();
    m_edges.clear();
    for (addon_t &a : m_addons) a = addon_t();
    set_current(0, 0, 0);
    m_block = &block;
    m_name = block.get_name();
    const bool ok = [&]() {
        int32_t chains = 0, states = 0;
        if (!block.get_int("chains_count", chains)) {
            error("[ai] <%s> has no chains_count", m_name);
            return fail();
        }
        if (block.get_value("states_count") && !block.get_int("states_count", states)) return fail();
        const char *chain_list = block.get_value("chains");
        const char *state_list = block.get_value("states");
        if (!chain_list) {
            error("[ai] <%s> has no chains", m_name);
            return fail();
        }
        // The counts are checked against their lists before anything is sized by them.
        const int32_t chain_items = ai_value_tokens_t::count_items(chain_list);
        const int32_t state_items = state_list ? ai_value_tokens_t::count_items(state_list) : 0;
        if (chains < 0 || chains > MAX_COUNT || states < 0 || states > MAX_COUNT) {
            error("[ai] <%s> chains_count %d or states_count %d is not between 0 and %d", m_name, chains, states,
                  MAX_COUNT);
            return fail();
        }
        if (chain_items != chains || (state_list && state_items != states)) {
            error("[ai] <%s> chains_count %d and states_count %d do not match the lists (%d and %d items)", m_name,
                  chains, states, chain_items, state_items);
            return fail();
        }
        const uint32_t n = uint32_t(chains + (state_list ? states : 0));
        if (!m_chains.grow(uint32_t(chains)) || !m_states.grow(n) || !m_names.grow(n) || !m_edges.grow(n * n)) {
            error("[ai] <%s> out of memory", m_name);
            return fail();
        }
        if (!read_states(chain_list, 0, uint32_t(chains), true)) return false;
        if (!read_chain_ranges()) return false;
        if (!state_list) return m_valid;
        if (!read_states(state_list, uint32_t(chains), uint32_t(states), false)) return false;
        read_edges();
        assign_chains();
        read_allowed_addons();
        read_addons();
        return m_valid;
    }();
    m_block = nullptr;
    m_name = "";
    return ok;
}

float ai_processor_t::edge_weight(uint32_t from, uint32_t to, int32_t t, float v) const {
    const uint32_t n = m_states.get_count();
    if (from >= n || to >= n) return 0.0f;
    const edge_t &e = get_edge(from, to);
    if (!e.exists) return 0.0f;
    float w;
    if (t >= e.end_steps)
        w = e.end_weight;
    else if (t <= e.start_steps)
        w = e.start_weight;
    else
        w = e.start_weight +
            (e.end_weight - e.start_weight) * float(t - e.start_steps) / float(e.end_steps - e.start_steps);
    if (e.modulated) {
        const float h = ramp(v, e.low_value, e.low_factor, e.high_value, e.high_factor);
        if (h <= 0.0f)
            w *= 1.0f + h;
        else if (h > w)
            w = h;
    }
    return w;
}

void ai_processor_t::random_walk(float v, randomizer_t &random) {
    const uint32_t n = m_states.get_count();
    if (m_current_state < 0 || uint32_t(m_current_state) >= n) return;
    const uint32_t from = uint32_t(m_current_state);
    float sum = 0.0f;
    int32_t last_active = -1;
    for (uint32_t j = 0; j < n; ++j) {
        edge_t &e = edge(from, j);
        if (!e.exists) continue;
        e.weight = edge_weight(from, j, m_steps, v);
        e.active = e.weight > 0.0f;
        if (e.active) {
            sum += e.weight;
            last_active = int32_t(j);
        }
    }
    int32_t chosen = -1;
    if (last_active >= 0) {
        float r = random.rand() * sum;
        for (uint32_t j = 0; j < n; ++j) {
            const edge_t &e = edge(from, j);
            if (!e.exists || !e.active) continue;
            r -= e.weight;
            if (r <= 0.0f) {
                chosen = int32_t(j);
                break;
            }
        }
        // Rounding may leave a crumb of r: the last active edge takes it.
        if (chosen < 0) chosen = last_active;
    }
    if (chosen >= 0 && chosen != m_current_state) {
        m_current_state = chosen;
        m_steps = 1;
    } else {
        ++m_steps;
    }
}

void ai_processor_t::select(float v, int32_t m, bool forced) {
    const uint32_t chains = m_chains.get_count();
    if (!chains) return;
    if (forced && chains == 1) {
        set_current(0, 0, 0);
        return;
    }
    for (uint32_t c = 0; c < chains; ++c) {
        if (!(m_chains[c].low <= v && v <= m_chains[c].high)) continue;
        m_current_chain = int32_t(c);
        if (!forced && m >= 0) {
            for (uint32_t s = chains; s < m_states.get_count(); ++s) {
                const state_t &st = m_states[s];
                if (st.assigned && st.chain == int32_t(c) && st.manner == m) {
                    m_current_state = int32_t(s);
                    m_steps = 1;
                    return;
                }
            }
        }
        m_current_state = int32_t(c);
        m_steps = forced ? 0 : 1;
        return;
    }
    error("[ai] appropriate chain not found !!!");
}

int32_t ai_processor_t::step(float v, int32_t m, randomizer_t &random) {
    if (!m_chains.get_count()) return -1;
    const bool in_range = m_current_chain >= 0 && uint32_t(m_current_chain) < m_chains.get_count() &&
                          m_chains[uint32_t(m_current_chain)].low <= v && v <= m_chains[uint32_t(m_current_chain)].high;
    if (in_range)
        random_walk(v, random);
    else
        select(v, m, m_forcing);
    return m_states[uint32_t(m_current_state)].manner;
}

int32_t ai_processor_t::force(float v, int32_t m) {
    if (!m_chains.get_count()) return -1;
    m_forcing = true;
    select(v, m, true);
    m_forcing = false;
    return m_states[uint32_t(m_current_state)].manner;
}

uint32_t ai_processor_t::current_addon_mask() const {
    if (m_current_state < 0 || uint32_t(m_current_state) >= m_states.get_count()) return 0;
    return m_states[uint32_t(m_current_state)].addon_mask;
}

float ai_processor_t::addon_rate(uint32_t group, float v) const {
    if (group >= AI_ADDON_GROUP_COUNT || !m_addons[group].defined) return -1.0f;
    const addon_t &a = m_addons[group];
    return ramp(v, a.low_value, a.low_rate, a.high_value, a.high_rate);
}

}  // namespace quarn
