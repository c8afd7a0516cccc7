#pragma once
// profiler_flat_t: the profiler view's flat totals. Every node of the call tree is
// folded by its section name into one record (self time, total time and calls summed
// over all the places the section runs, and whether every one of them is a leaf), and
// the records are sorted: leaves first, then by total time, largest first; equal
// totals keep their names' order, so the rows never depend on the tree's order.
//
// One store serves the program: its hash and its record pool are made at the first
// fold and kept for the whole run, so a view refreshed twice a second allocates
// nothing once it has seen every name. Records carry the number of the fold that last
// filled them; a record from an earlier fold is zeroed before it takes sums again.
#include <cstdint>

#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/collections/bmem_manager.h"
#include "qrncore/collections/vptrhash.h"

namespace quarn {

class profiler_node_t;

struct profiler_flat_record_t {
    uint32_t stamp = 0;          // the fold that last filled it
    const char *name = nullptr;  // the section name of the newest fold
    uint64_t self_time = 0;      // microseconds
    uint64_t total_time = 0;     // microseconds
    uint32_t calls = 0;
    bool leaf = true;            // no node of this name has children
};

class profiler_flat_t {
public:
    static constexpr uint32_t RECORDS_PER_CHUNK = 8;

    // The program's store.
    static profiler_flat_t &get();

    // Folds every node below the root (the root itself is the frame) for that frame
    // slot and sorts the records. False, logged, when there was no memory for a name.
    bool fold(const profiler_node_t *root, uint32_t slot);
    // The records of the last fold, in their order.
    uint32_t count() const { return m_sorted.get_count(); }
    const profiler_flat_record_t &at(uint32_t i) const { return *m_sorted[i]; }
    // Records made in the whole run (the pool's blocks in use).
    uint32_t records_made() const { return m_made; }

private:
    profiler_flat_t();
    profiler_flat_record_t *record_of(const char *name);

    vptrhash_t m_hash;
    bmem_manager_t m_pool;
    array_dyn_t<profiler_flat_record_t *> m_sorted;
    uint32_t m_stamp = 0;
    uint32_t m_made = 0;
};

}  // namespace quarn
