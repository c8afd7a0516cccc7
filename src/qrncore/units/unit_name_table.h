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

    unit_name_table_t() = default;
    ~unit_name_table_t();
    unit_name_table_t(const unit_name_table_t &) = delete;
    unit_name_table_t &operator=(const unit_name_table_t &) = delete;

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
        // outside the file that the undefined name names.
        unit_base_t *unit;
    };

    // Room for names entries without moving them (that memory is only touched as it
    // fills) and an index for indexed names without growing (cleared at once, so it
    // is touched); false when either cannot be had.
    bool reserve(uint32_t names, uint32_t indexed);

    // What a lookup finds: the entry, and the unit defined under the name so far (null
    // when none), read from the index itself so that binding a pointer to a unit made
    // earlier touches no entry.
    struct found_t {
        uint32_t entry;
        unit_base_t *created;
        bool added;  // the name is new to the table
    };
    // The entry of the name, made when it is new; entry NONE when memory runs out.
    found_t find_or_add(const unit_name_tokens_t &name, bool nameless);
    // Records the unit defined under the name of entry i, made created-th in the load.
    void set_created(uint32_t i, uint32_t created, unit_base_t *unit);
    // Starts reading the index where the name's lookup will look, so that the miss
    // overlaps other work.
    void prefetch(const unit_name_tokens_t &name) const;
    entry_t &operator[](uint32_t i) { return m_entries[i]; }
    const entry_t &operator[](uint32_t i) const { return m_entries[i]; }
    uint32_t count() const { return m_entries.get_count(); }
    // The tokens of entry i.
    void tokens_of(uint32_t i, unit_name_tokens_t &out) const;
    // The dotted name of entry i, for messages.
    mstring_dyn_t text_of(uint32_t i) const;
    // Forgets every name; the memory stays for the next load.
    void clear();

private:
    // A slot of the open-addressed index, one per entry. The key holds a name of up to
    // INLINE_TOKENS tokens itself (the rest zero), so a lookup of such a name reads
    // the slot alone; a longer name keeps its hash there (key[1] all ones, which no
    // token is) and is compared against its entry. The unit defined under the name
    // is kept here too. entry is the entry's index + 1 (0: free).
    struct slot_t {
        uint64_t key[INLINE_TOKENS];
        unit_base_t *created;
        uint32_t count;
        uint32_t entry;
    };
    static_assert(sizeof(slot_t) == 32, "a slot is half a cache line");

    const uint64_t *tokens(const entry_t &e) const;
    bool same(const entry_t &e, const unit_name_tokens_t &name) const;
    bool rehash(uint32_t slots);
    slot_t *slot_of(uint32_t i);

    array_dyn_t<entry_t> m_entries;
    array_dyn_t<uint64_t> m_tokens;
    // A power of two in size, at most half full, aligned to a cache line.
    void *m_slot_memory = nullptr;
    slot_t *m_slots = nullptr;
    uint32_t m_slot_count = 0;
    // The slot find_or_add last returned, for set_created.
    uint32_t m_last_slot = 0;
};

}  // namespace quarn
