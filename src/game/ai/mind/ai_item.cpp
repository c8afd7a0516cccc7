#include "game/ai/mind/ai_item.h"

#include <cstring>
#include <strings.h>

#include "game/ai/mind/ai_value_tokens.h"
#include "game/ai/mind/ai_world.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/def_pool.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr int32_t MAX_ENTRIES = 100;
constexpr int32_t MAX_FIELDS = 4;

// A child of the block by its plain name: names with dots would reach deeper.
const def_obj_t *child(const def_obj_t &block, const char *name) {
    if (!name || !*name || strchr(name, '.')) return nullptr;
    return block.find(name);
}

}  // namespace

bool ai_item_t::load(const def_obj_t &item, const def_pool_t *game, ai_world_t &world) {
    m_id = world.next_item_id();
    m_timed = false;
    m_fadeout = 0.0f;
    m_sensing = 1;
    m_range = DEFAULT_EFFECT_RANGE;
    m_attract.clear();
    m_repell.clear();
    if (!game) {
        error("[ai] cannot load game.def !");
        return false;
    }
    const def_obj_t *species = game->find("species");
    if (!species) {
        error("[ai] cannot find (%s) section in game.def", "species");
        return false;
    }
    if (item.get_value("fadeout_time")) {
        float t = 0.0f;
        if (item.get_real("fadeout_time", t) && t > 0.0f) {
            m_timed = true;
            m_fadeout = t;
        } else {
            error("[ai] invalid item fadout time (%f)", double(t));
        }
    }
    const char *type = item.get_value("attract_type");
    m_sensing = type && strcasecmp(type, "visual") == 0 ? 0 : 1;
    if (item.get_value("effect_range") && !item.get_real("effect_range", m_range)) m_range = DEFAULT_EFFECT_RANGE;
    read_entries(item, *species, "attract", m_attract);
    read_entries(item, *species, "repell", m_repell);
    return true;
}

void ai_item_t::read_entries(const def_obj_t &item, const def_obj_t &species, const char *key,
                             array_dyn_t<entry_t> &out) {
    for (int32_t i = 0; i < MAX_ENTRIES; ++i) {
        const char *text = item.get_value(key, i);
        if (!text) return;
        entry_t entry;
        if (!read_entry(item, species, text, entry)) {
            if (ai_value_tokens_t::count_items(text) < 0) error("[ai] invalid (%s%i) of (%s)", key, i, item.get_name());
            error("[ai] See above error message for (%s.%2i)", key, i);
            continue;
        }
        out.append(entry);
    }
}

bool ai_item_t::read_entry(const def_obj_t &item, const def_obj_t &species, const char *text, entry_t &entry) {
    char fields[MAX_FIELDS][ai_value_tokens_t::MAX_TOKEN + 1];
    ai_value_tokens_t tokens(text);
    int32_t n = 0;
    for (;;) {
        const int r = tokens.next();
        if (r == ai_value_tokens_t::TOO_LONG) return false;
        if (r == ai_value_tokens_t::ITEM || !tokens.get_token()[0]) {
            n = -1;
            break;
        }
        if (n < MAX_FIELDS) strcpy(fields[n], tokens.get_token());
        ++n;
        if (r == ai_value_tokens_t::END) break;
    }
    if (n != 3 && n != 4) {
        error("[ai] invalid (%s)", item.get_name());
        return false;
    }
    const char *name = fields[0];
    const char *value = fields[n == 3 ? 1 : 2];
    const char *appetite = fields[n == 3 ? 2 : 3];
    if (!ai_token_real(value, entry.value)) {
        error("[ai] invalid (%s)", item.get_name());
        return false;
    }
    entry.channel = strcasecmp(appetite, "food") == 0 ? 0 : 1;
    if (strcasecmp(name, "all") == 0) {
        entry.all = true;
        return true;
    }
    const def_obj_t *kind = child(species, name);
    if (!kind) {
        if (n == 3)
            error("[ai] invalid animal species (%s) for (%s) !", name, item.get_name());
        else
            error("[ai] invalid animal species (%s) of (%s) !", name, item.get_name());
        return false;
    }
    if (!kind->get_int("index", entry.species)) {
        error("[ai] cannot get animal species (%s) index", name);
        return false;
    }
    if (n == 3) {
        entry.species_only = true;
        return true;
    }
    const def_obj_t *gender = child(*kind, fields[1]);
    if (!gender) {
        error("[ai] invalid animal species (%s) gender (%s) for (%s) !", name, fields[1], item.get_name());
        return false;
    }
    int32_t value_index = 0;
    if (!gender->get_int("gender", value_index)) {
        error("[ai] cannot find animal (%s.%s) gender value index", name, fields[1]);
        return false;
    }
    // The definition counts genders from 1 (male); animals from 0.
    entry.gender = value_index - 1;
    return true;
}

void ai_item_t::react(int32_t species_index, int32_t gender_index, ai_reaction_t &out) const {
    out = ai_reaction_t();
    auto matches = [&](const entry_t &e) {
        return e.all || (e.species == species_index && (e.species_only || e.gender == gender_index));
    };
    auto add = [&](const entry_t &e, float sign) {
        const int32_t c = e.channel ? 1 : 0;
        if (!out.channel[c]) {
            out.channel[c] = true;
            out.value[c] = sign * e.value;
        } else {
            out.value[c] += sign * e.value;
        }
        out.reacts = true;
    };
    for (uint32_t i = 0; i < m_attract.get_count(); ++i)
        if (matches(m_attract[i])) add(m_attract[i], 1.0f);
    if (out.reacts) return;
    for (uint32_t i = 0; i < m_repell.get_count(); ++i)
        if (matches(m_repell[i])) add(m_repell[i], -1.0f);
}

void ai_item_t::emit(const vec3_t &position, ai_world_t &world) const {
    ai_stimulus_t *s = world.add_stimulus(m_id, this);
    if (!s) return;
    s->sensing = m_sensing;
    s->position = position;
    s->range = m_range;
    s->strength = 1.0f;
    s->intensity = 1.0f;
    s->timed = m_timed;
    if (m_timed) s->remaining = s->duration = m_fadeout;
}

}  // namespace quarn
