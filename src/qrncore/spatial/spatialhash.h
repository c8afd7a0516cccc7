#pragma once
// spatialhash_t: objects, each a caller's pointer (the key) with an axis-aligned box,
// indexed in up to four uniform grids of decreasing cell size. Each grid's cells are
// hashed into a prime-sized bucket table. An object is stored on the finest level
// where its box spans at most `factor` cells and registered on every coarser level
// too; a box query walks the cells of the query box and returns the keys of the
// objects whose boxes overlap it, sorted by key and without duplicates.
//
// A bucket's chain is a run of consecutive entries in its level's list, sorted by key,
// each key once, closed by a sentinel entry without key.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/collections/vdatalist.h"
#include "qrncore/collections/vptrlist.h"
#include "qrncore/math/vec.h"

namespace quarn {

class QRNCORE_API spatialhash_t {
public:
    static constexpr int MAX_LEVELS = 4;
    // Entries of the table that finds an object by the 12-bit CRC of its key.
    static constexpr uint32_t LOOKUP_SIZE = 4096;

    // levels (taken modulo 5) grids; level j (0 the coarsest) has cells of
    // cell_size·ratio^(levels - 1 - j). The default gives 102400, 12800, 1600, 200.
    explicit spatialhash_t(float cell_size = 200.0f, float ratio = 8.0f, uint32_t levels = 4, float factor = 3.0f);
    // Cell sizes from coarse to fine, ended by a value <= 0; the level count is the
    // number of sizes modulo 5. A level count of 0 leaves a hash that insert, update
    // and query refuse to use (they abort).
    spatialhash_t(const float *sizes, float factor);
    // Clears the hash and frees its tables and its result list.
    ~spatialhash_t();
    spatialhash_t(const spatialhash_t &) = delete;
    spatialhash_t &operator=(const spatialhash_t &) = delete;

    // Registers key with the box of the two corners (any order). A key already there
    // is not detected and gets a second record. A box with a non-finite coordinate is
    // refused (logged "[spatialhash]") and false returned.
    bool insert(const vec3_t &corner_a, const vec3_t &corner_b, void *key);
    // Unregisters key; false when it is not registered.
    bool remove(const void *key);
    // Moves key to a new box, on the level it was stored on. True without any change
    // for the same box; false when key is not registered or the box is not finite
    // (logged).
    bool update(const void *key, const vec3_t &corner_a, const vec3_t &corner_b);
    // The keys of every object whose box overlaps the query box (touching counts),
    // sorted by key value, each once. The list belongs to the hash and is replaced by
    // the next query. Empty when the box lies outside the bounds of what was inserted
    // since the last recompute, or has a non-finite coordinate (logged).
    const vptrlist_t &query(const vec3_t &corner_a, const vec3_t &corner_b);
    // The overall bounds become the union of the boxes of all objects (+3.37e38 and
    // -3.37e38 when there is none). Removals do not shrink them until then.
    void recompute();
    // Removes every object; the overall bounds stay.
    void clear();

    // Inspection, mostly for tests and statistics.
    int get_level_count() const { return m_level_count; }
    float get_cell_size(int level) const { return m_levels[level].cell_size; }
    uint32_t get_bucket_count(int level) const { return m_levels[level].bucket_count; }
    // Entries of a level's chains, sentinels included.
    uint32_t get_entry_count(int level) const { return m_levels[level].entries.get_count(); }
    uint32_t get_object_count() const { return m_objects.get_count(); }
    // The level key is stored on; -1 when it is not registered.
    int get_object_level(const void *key) const;
    // The cell of p on a level.
    void get_cell(int level, const vec3_t &p, int32_t cell[3]) const;
    // The bucket of a cell on a level.
    uint32_t get_bucket(int level, const int32_t cell[3]) const;
    // key is in the chain of the bucket of p's cell on that level.
    bool cell_holds(int level, const vec3_t &p, const void *key) const;
    const vec3_t &get_bounds_min() const { return m_bounds_min; }
    const vec3_t &get_bounds_max() const { return m_bounds_max; }

private:
    struct level_t {
        float factor;
        float cell_size;
        int32_t offset[3];
        int32_t size[3];
        float inv_size;
        vptrlist_t entries;
        uint32_t bucket_count;
        vptrlist_node_t **buckets;
        int index;
        int table_index;
    };
    struct object_t;
    struct range_t {
        int32_t lo[3], hi[3];
        bool operator==(const range_t &) const = default;
    };

    void init_levels(const float *sizes, int count, float factor);
    vdatalist_node_t *find(const void *key) const;
    int select_level(const vec3_t &lo, const vec3_t &hi) const;
    range_t get_range(int level, const vec3_t &lo, const vec3_t &hi) const;
    static uint64_t cell_count(const range_t &r, uint64_t limit);
    template <class F>
    void for_each_bucket(int level, const range_t &r, F f) const;
    template <class F>
    static void for_each_cell(const range_t &r, F f);
    void enter(int level, uint32_t bucket, object_t *o);
    void leave(int level, uint32_t bucket, const object_t *o);
    void relocate(int level, object_t *o, const range_t &from, const range_t &to);
    void merge_chain(int level, uint32_t bucket, int query_level, const vec3_t &lo, const vec3_t &hi);
    void take_in(const vec3_t &lo, const vec3_t &hi);

    level_t m_levels[MAX_LEVELS];
    int m_level_count = 0;
    vdatalist_t m_objects;
    vdatalist_node_t *m_lookup[LOOKUP_SIZE];
    vptrlist_t m_result;
    vec3_t m_bounds_min;
    vec3_t m_bounds_max;
};

}  // namespace quarn
