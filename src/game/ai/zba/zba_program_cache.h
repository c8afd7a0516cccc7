#pragma once
// zba_program_cache_t: the compiled programs of one loaded behaviour file, kept by the
// file while it is loaded. A program is found by the behaviour it runs (a 4-byte key)
// or by the pair of behaviours a transition leads between (an 8-byte key). The cache
// holds one reference on each program's resource item.
#include <cstdint>

#include "qrncore/collections/vptrhash.h"

namespace quarn {

class c_item_t;

class zba_program_cache_t {
public:
    zba_program_cache_t() = default;
    ~zba_program_cache_t() { clear(); }
    zba_program_cache_t(const zba_program_cache_t &) = delete;
    zba_program_cache_t &operator=(const zba_program_cache_t &) = delete;

    // The program of a behaviour, or of the transition from one behaviour to another;
    // null when none is kept.
    c_item_t *find_behavior(int32_t behavior) const;
    c_item_t *find_transition(int32_t from, int32_t to) const;
    // Keeps the program (a reference is taken), replacing and releasing one kept under
    // the same key. False, with nothing kept, when the table has no memory.
    bool put_behavior(int32_t behavior, c_item_t *program);
    bool put_transition(int32_t from, int32_t to, c_item_t *program);
    // Releases every program and empties the cache.
    void clear();

    uint32_t get_count() const { return m_table.get_count(); }

private:
    bool put(const void *key, size_t length, c_item_t *program);

    vptrhash_t m_table;
};

}  // namespace quarn
