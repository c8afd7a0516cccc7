#pragma once
// quarn::unit_name_table_t: the names one unit file meets, bound within the file while
// it is read. Each distinct name (compared by its tokens, so letter case and doubled
// dots do not count) has one entry, in the order the file first mentions it; the
// reader keeps in it the unit defined under the name, the unit whose owned pointer
// takes it, or the outside unit an undefined name resolves to. The table is local to
// one load: the global name tree is touched once per defined name, not for every
// mention.
#include <cstdint>

#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_name.h"

namespace quarn {

class unit_base_t;

class unit_name_table_t {
public:
    static constexpr uint32_t NONE = UINT32_MAX;

    // Names of up to INLINE_TOKENS tokens keep them in the entry, longer ones in the
    // token store: most names are short, and a lookup then reads one record.
    static constexpr uint32_t INLINE_TOKENS = 2;

    struct entry_t {
        uint64_t token[INLINE_TOKENS];  // the tokens, or token[0] the index in the store
        uint32_t token_count;
        uint32_t created;      // index (in the load) of the unit defined under it, or NONE
        uint32_t owner;        // index of the unit whose owned pointer takes it, or NONE
        bool nameless;         // written ".x": "_nameless.x", local to the file
        // The unit the name stands for: the one made under it (created), else a unit
        // outside the file that the undefined name names. Kept here so that binding a
        // pointer to a unit made earlier reads the entry alone.
        unit_base_t *unit;
    };

    // Room for names entries without moving them (that memory is only touched as it
    // fills) and an index for indexed names without growing (cleared at once, so it
    // is touched); false when either cannot be had.
    bool reserve(uint32_t names, uint32_t indexed);

    // The entry of the name, made when it is new; NONE when memory runs out.
    uint32_t find_or_add(const unit_name_tokens_t &name, bool nameless) {
        return find_or_add(name.token, name.count, hash_of(name), nameless);
    }
    // The same for count tokens (at least one) with their hash (hash_of) computed before.
    uint32_t find_or_add(const uint64_t *token, uint32_t count, uint64_t hash, bool nameless);
    static uint64_t hash_of(const unit_name_tokens_t &name) { return hash_of(name.token, name.count); }
    static uint64_t hash_of(const uint64_t *token, uint32_t count) {
        uint64_t h = 0x9E3779B97F4A7C15ull ^ count;
        for (uint32_t i = 0; i < count; ++i) {
            h ^= token[i];
            h *= 0xD6E8FEB86659FD93ull;
            h ^= h >> 32;
        }
        return h;
    }
    // Asks for the slot where a lookup of the hash starts, for a lookup to come.
    void prefetch_slot(uint64_t hash) const {
        if (m_slots.get_count()) __builtin_prefetch(&m_slots.get_data()[uint32_t(hash) & (m_slots.get_count() - 1)]);
    }
    // The entry in the slot where a lookup of the hash starts when that slot holds the
    // hash (the name is most likely there), else NONE: for asking for the entry ahead.
    uint32_t probable_entry(uint64_t hash) const {
        if (!m_slots.get_count() || m_stale) return NONE;
        const slot_t &s = m_slots.get_data()[uint32_t(hash) & (m_slots.get_count() - 1)];
        return s.entry && s.check == check_of(hash) ? s.entry - 1 : NONE;
    }
    entry_t &operator[](uint32_t i) { return m_entries[i]; }
    // The entries, for readers that keep to indexes the table gave.
    entry_t *entries() { return m_entries.get_data(); }
    const entry_t &operator[](uint32_t i) const { return m_entries[i]; }
    uint32_t count() const { return m_entries.get_count(); }
    // The tokens of entry i.
    void tokens_of(uint32_t i, unit_name_tokens_t &out) const;
    // The dotted name of entry i, for messages.
    mstring_dyn_t text_of(uint32_t i) const;
    // Forgets every name; the memory stays for the next load (the index is cleared
    // when it is used again, so a table that goes unused is not touched).
    void clear();

private:
    // A slot of the open-addressed index: the high half of the name's hash (the low
    // half chose the slot), so that a probe rarely reads an entry that is not the one
    // sought, and the entry's index + 1 (0: free). Eight bytes, so that eight slots
    // share a cache line and the index of a large file stays small.
    struct slot_t {
        uint32_t check;
        uint32_t entry;
    };
    static uint32_t check_of(uint64_t hash) { return uint32_t(hash >> 32); }
    // Clears the index left by clear.
    void refresh();

    const uint64_t *tokens(const entry_t &e) const;
    uint64_t hash_of_entry(uint32_t k) const;
    bool same(const entry_t &e, const uint64_t *token, uint32_t count) const;
    bool rehash(uint32_t slots);

    array_dyn_t<entry_t> m_entries;
    array_dyn_t<uint64_t> m_tokens;
    // A power of two in size, at most half full.
    array_dyn_t<slot_t> m_slots;
    // The slots still hold the names of the last load.
    bool m_stale = false;
};

}  // namespace quarn
