#include "qrncore/units/unit_name_table.h"

#include <cstring>

#include "qrncore/strings/name_token.h"
#include "qrncore/strings/string_fixed.h"
#include "qrncore/system/host_alloc.h"

namespace quarn {

namespace {

uint64_t hash_of(const unit_name_tokens_t &name) {
    uint64_t h = 0x9E3779B97F4A7C15ull ^ name.count;
    for (uint32_t i = 0; i < name.count; ++i) {
        h ^= name.token[i];
        h *= 0xD6E8FEB86659FD93ull;
        h ^= h >> 32;
    }
    return h;
}

// Marks a key that holds a hash in place of the tokens: no token has every bit set.
constexpr uint64_t LONG_KEY = ~uint64_t(0);

// The key of a slot for the name: the tokens themselves, or the hash for a long name.
struct key_t {
    uint64_t k[unit_name_table_t::INLINE_TOKENS];
};

key_t key_of(const unit_name_tokens_t &name, uint64_t hash) {
    if (name.count > unit_name_table_t::INLINE_TOKENS) return key_t{{hash, LONG_KEY}};
    key_t key{{0, 0}};
    for (uint32_t i = 0; i < name.count; ++i) key.k[i] = name.token[i];
    return key;
}

}  // namespace

const uint64_t *unit_name_table_t::tokens(const entry_t &e) const {
    return e.token_count <= INLINE_TOKENS ? e.token : &m_tokens[uint32_t(e.token[0])];
}

bool unit_name_table_t::same(const entry_t &e, const unit_name_tokens_t &name) const {
    return e.token_count == name.count && memcmp(tokens(e), name.token, sizeof(uint64_t) * name.count) == 0;
}

bool unit_name_table_t::reserve(uint32_t names, uint32_t indexed) {
    if (!m_entries.request_capacity(names)) return false;
    uint64_t slots = 64;
    while (slots < uint64_t(indexed) * 2) slots *= 2;
    return slots <= m_slot_count || (slots <= (uint64_t(1) << 30) && rehash(uint32_t(slots)));
}

unit_name_table_t::~unit_name_table_t() {
    if (m_slot_memory) qrncore_system_delete_vector(m_slot_memory);
}

// The slots start on a cache line, so a slot never straddles two.
bool unit_name_table_t::rehash(uint32_t slots) {
    void *memory = qrncore_system_new_vector(size_t(slots) * sizeof(slot_t) + 64);
    if (!memory) return false;
    slot_t *grown = reinterpret_cast<slot_t *>((reinterpret_cast<uintptr_t>(memory) + 63) & ~uintptr_t(63));
    memset(grown, 0, sizeof(slot_t) * slots);
    const uint32_t mask = slots - 1;
    unit_name_tokens_t name;
    for (uint32_t k = 0; k < m_entries.get_count(); ++k) {
        tokens_of(k, name);
        const uint64_t hash = hash_of(name);
        uint32_t i = uint32_t(hash) & mask;
        while (grown[i].entry) i = (i + 1) & mask;
        const entry_t &e = m_entries[k];
        const key_t key = key_of(name, hash);
        grown[i] = slot_t{{key.k[0], key.k[1]}, e.created != NONE ? e.unit : nullptr, name.count, k + 1};
    }
    if (m_slot_memory) qrncore_system_delete_vector(m_slot_memory);
    m_slot_memory = memory;
    m_slots = grown;
    m_slot_count = slots;
    return true;
}

void unit_name_table_t::prefetch(const unit_name_tokens_t &name) const {
    if (m_slot_count) __builtin_prefetch(&m_slots[uint32_t(hash_of(name)) & (m_slot_count - 1)]);
}

unit_name_table_t::found_t unit_name_table_t::find_or_add(const unit_name_tokens_t &name, bool nameless) {
    const uint64_t hash = hash_of(name);
    const key_t key = key_of(name, hash);
    uint32_t slots = m_slot_count;
    uint32_t mask = slots - 1;
    uint32_t i = uint32_t(hash) & mask;
    if (slots) {
        for (const slot_t *s = m_slots; s[i].entry; i = (i + 1) & mask) {
            if (s[i].key[0] != key.k[0] || s[i].key[1] != key.k[1] || s[i].count != name.count) continue;
            if (name.count <= INLINE_TOKENS || same(m_entries.get_data()[s[i].entry - 1], name)) {
                m_last_slot = i;
                return found_t{s[i].entry - 1, s[i].created, false};
            }
        }
    }
    const uint32_t count = m_entries.get_count();
    if (count == UINT32_MAX - 1) return found_t{NONE, nullptr, false};
    if (uint64_t(count + 1) * 2 > slots) {
        const uint64_t grown = slots ? uint64_t(slots) * 2 : 64;
        if (grown > (uint64_t(1) << 30) || !rehash(uint32_t(grown))) return found_t{NONE, nullptr, false};
        slots = uint32_t(grown);
        mask = slots - 1;
        for (i = uint32_t(hash) & mask; m_slots[i].entry;) i = (i + 1) & mask;
    }
    entry_t e{{0, 0}, name.count, NONE, NONE, nameless, nullptr};
    if (name.count <= INLINE_TOKENS) {
        memcpy(e.token, name.token, sizeof(uint64_t) * name.count);
    } else {
        const uint32_t first = m_tokens.get_count();
        if (!m_tokens.request_capacity(first + name.count)) return found_t{NONE, nullptr, false};
        for (uint32_t t = 0; t < name.count; ++t) m_tokens.append(name.token[t]);
        e.token[0] = first;
    }
    // Tokens stored for it are kept until clear.
    if (!m_entries.append(e)) return found_t{NONE, nullptr, false};
    m_slots[i] = slot_t{{key.k[0], key.k[1]}, nullptr, name.count, count + 1};
    m_last_slot = i;
    return found_t{count, nullptr, true};
}

unit_name_table_t::slot_t *unit_name_table_t::slot_of(uint32_t k) {
    if (m_slot_count && m_slots[m_last_slot].entry == k + 1) return &m_slots[m_last_slot];
    unit_name_tokens_t name;
    tokens_of(k, name);
    const uint32_t mask = m_slot_count - 1;
    for (uint32_t i = uint32_t(hash_of(name)) & mask; m_slots[i].entry; i = (i + 1) & mask)
        if (m_slots[i].entry == k + 1) return &m_slots[i];
    return nullptr;
}

void unit_name_table_t::set_created(uint32_t i, uint32_t created, unit_base_t *unit) {
    m_entries[i].created = created;
    m_entries[i].unit = unit;
    if (slot_t *s = slot_of(i)) s->created = unit;
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

void unit_name_table_t::clear() {
    m_entries.clear();
    m_tokens.clear();
    if (m_slot_count) memset(m_slots, 0, sizeof(slot_t) * m_slot_count);
    m_last_slot = 0;
}

}  // namespace quarn
