#include "qrncore/units/unit_name_table.h"

#include <cstring>

#include "qrncore/strings/name_token.h"
#include "qrncore/strings/string_fixed.h"

namespace quarn {

const uint64_t *unit_name_table_t::tokens(const entry_t &e) const {
    return e.token_count <= INLINE_TOKENS ? e.token : &m_tokens[uint32_t(e.token[0])];
}

// Compared token by token in place: names are mostly one to three tokens, for which a
// call of memcmp costs more than the comparison.
bool unit_name_table_t::same(const entry_t &e, const uint64_t *token, uint32_t count) const {
    if (e.token_count != count) return false;
    if (count <= INLINE_TOKENS) return e.token[0] == token[0] && (count == 1 || e.token[1] == token[1]);
    const uint64_t *t = &m_tokens.get_data()[uint32_t(e.token[0])];
    for (uint32_t i = 0; i < count; ++i)
        if (t[i] != token[i]) return false;
    return true;
}

void unit_name_table_t::refresh() {
    if (m_slots.get_count()) memset(m_slots.get_data(), 0, sizeof(slot_t) * m_slots.get_count());
    m_stale = false;
}

bool unit_name_table_t::reserve(uint32_t names, uint32_t indexed) {
    if (!m_entries.request_capacity(names)) return false;
    uint64_t slots = 64;
    while (slots < uint64_t(indexed) * 2) slots *= 2;
    if (slots <= m_slots.get_count()) {
        if (m_stale) refresh();
        return true;
    }
    return slots <= (uint64_t(1) << 31) && rehash(uint32_t(slots));
}

bool unit_name_table_t::rehash(uint32_t slots) {
    array_dyn_t<slot_t> grown;
    if (!grown.request_capacity(slots) || !grown.grow(slots)) return false;
    memset(grown.get_data(), 0, sizeof(slot_t) * slots);
    const uint32_t mask = slots - 1;
    for (uint32_t k = 0; k < m_entries.get_count(); ++k) {
        const uint64_t hash = hash_of_entry(k);
        uint32_t i = uint32_t(hash) & mask;
        while (grown[i].entry) i = (i + 1) & mask;
        grown[i] = slot_t{check_of(hash), k + 1};
    }
    m_slots = static_cast<array_dyn_t<slot_t> &&>(grown);
    m_stale = false;
    return true;
}

uint64_t unit_name_table_t::hash_of_entry(uint32_t k) const {
    unit_name_tokens_t name;
    tokens_of(k, name);
    return hash_of(name);
}

uint32_t unit_name_table_t::find_or_add(const uint64_t *token, uint32_t count_of_tokens, uint64_t hash,
                                        bool nameless) {
    if (m_stale) refresh();
    uint32_t slots = m_slots.get_count();
    uint32_t mask = slots - 1;
    uint32_t i = uint32_t(hash) & mask;
    const uint32_t check = check_of(hash);
    if (slots) {
        const slot_t *s = m_slots.get_data();
        for (; s[i].entry; i = (i + 1) & mask)
            if (s[i].check == check && same(m_entries.get_data()[s[i].entry - 1], token, count_of_tokens))
                return s[i].entry - 1;
    }
    const uint32_t count = m_entries.get_count();
    if (count == UINT32_MAX - 1) return NONE;
    if (uint64_t(count + 1) * 2 > slots) {
        const uint64_t grown = slots ? uint64_t(slots) * 2 : 64;
        if (grown > (uint64_t(1) << 31) || !rehash(uint32_t(grown))) return NONE;
        slots = uint32_t(grown);
        mask = slots - 1;
        for (i = uint32_t(hash) & mask; m_slots[i].entry;) i = (i + 1) & mask;
    }
    entry_t e{{token[0], count_of_tokens > 1 ? token[1] : 0}, count_of_tokens, NONE, NONE, nameless, nullptr};
    if (count_of_tokens > INLINE_TOKENS) {
        const uint32_t first = m_tokens.get_count();
        if (!m_tokens.request_capacity(first + count_of_tokens)) return NONE;
        for (uint32_t t = 0; t < count_of_tokens; ++t) m_tokens.append(token[t]);
        e.token[0] = first;
        e.token[1] = 0;
    }
    if (!m_entries.append(e)) return NONE;  // tokens stored for it are kept until clear
    m_slots[i] = slot_t{check, count + 1};
    return count;
}

void unit_name_table_t::tokens_of(uint32_t i, unit_name_tokens_t &out) const {
    const entry_t &e = m_entries[i];
    out.count = e.token_count;
    memcpy(out.token, tokens(e), sizeof(uint64_t) * e.token_count);
}

mstring_dyn_t unit_name_table_t::text_of(uint32_t i) const {
    unit_name_tokens_t name;
    tokens_of(i, name);
    mstring_dyn_t out;
    for (uint32_t t = 0; t < name.count; ++t) {
        string_fixed_t<16> token;
        token_to_string(token, name.token[t]);
        if (t) out.append('.');
        out.append(token);
    }
    return out;
}

// A slot is only ever filled for an entry, so a table without entries has every slot
// free already. The slots of a table that had entries are cleared when it is used
// again: a loader that is let go after its load never touches them.
void unit_name_table_t::clear() {
    if (m_entries.get_count()) m_stale = true;
    m_entries.clear();
    m_tokens.clear();
}

}  // namespace quarn
