#include "game/ai/mind/ai_animal.h"

#include "game/ai/mind/ai_item.h"

namespace quarn {

namespace {

ai_animal_factory_t factory = nullptr;

}  // namespace

void ai_set_animal_factory(ai_animal_factory_t f) { factory = f; }
ai_animal_factory_t ai_get_animal_factory() { return factory; }

const ai_reaction_t &ai_reaction_table_t::get(const ai_item_t &item, int32_t species_index, int32_t gender_index) {
    const int32_t id = item.get_id();
    if (id < 0) return m_none;
    const uint32_t kind = uint32_t(id);
    if (kind >= m_entries.get_count() && !m_entries.grow(kind + 1 - m_entries.get_count())) return m_none;
    entry_t &e = m_entries[kind];
    if (!e.known) {
        item.react(species_index, gender_index, e.reaction);
        e.known = true;
    }
    return e.reaction;
}

}  // namespace quarn
