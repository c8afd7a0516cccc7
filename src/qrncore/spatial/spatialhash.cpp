#include "qrncore/spatial/spatialhash.h"

#include <cmath>
#include <cstring>

#include "qrncore/numerics/crc.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

struct spatialhash_t::object_t {
    void *key;
    vec3_t min;
    vec3_t max;
    int32_t level;
    uint16_t hash;
};

namespace {

constexpr float VOID_BOUND = 3.37e38f;
constexpr uint32_t NODES_PER_CHUNK = 16;
// Bucket counts; of L levels, level j takes entry L - 1 - j, so the finest level
// always has the largest table.
constexpr uint32_t PRIMES[] = {65537, 16381, 4093, 1021, 257};

// The pools shared by every spatial hash: chain and result entries, object records.
// Function-local statics, so they outlive every hash built before their first use.
bmem_manager_t &entry_pool() {
    static bmem_manager_t pool;
    static const bool ready = (pool.set_pars(sizeof(vptrlist_node_t), NODES_PER_CHUNK), true);
    (void)ready;
    return pool;
}

uintptr_t key_value(const void *key) { return reinterpret_cast<uintptr_t>(key); }

bool is_finite(const vec3_t &v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// floor(v) as a 32-bit integer; values beyond its range are clamped (the cast alone
// would be undefined for them).
int32_t floor_to_int(float v) {
    const double f = std::floor(double(v));
    if (f <= double(INT32_MIN)) return INT32_MIN;
    if (f >= double(INT32_MAX)) return INT32_MAX;
    return int32_t(f);
}

}  // namespace

spatialhash_t::spatialhash_t(float cell_size, float ratio, uint32_t levels, float factor) {
    const int count = int(levels % 5);
    float sizes[MAX_LEVELS] = {};
    float size = cell_size;
    for (int j = count - 1; j >= 0; --j) {
        sizes[j] = size;
        size *= ratio;
    }
    init_levels(sizes, count, factor);
}

spatialhash_t::spatialhash_t(const float *sizes, float factor) {
    int count = 0;
    while (sizes[count] > 0.0f) ++count;
    init_levels(sizes, count % 5, factor);
}

void spatialhash_t::init_levels(const float *sizes, int count, float factor) {
    static bmem_manager_t object_pool;
    static const bool ready = (object_pool.set_pars(vdatalist_node_t::DATA_OFFSET + sizeof(object_t), NODES_PER_CHUNK), true);
    (void)ready;
    m_objects.set_pool(&object_pool);
    m_result.set_pool(&entry_pool());
    m_level_count = count;
    for (int j = 0; j < count; ++j) {
        level_t &l = m_levels[j];
        l.factor = factor;
        l.cell_size = sizes[j];
        // Integer sizes are 1 at least: a size below 0.5 would round to cells of 0 and
        // a division by zero.
        const double rounded = std::floor(double(sizes[j]) + 0.5);
        const int32_t isize = rounded < 1.0 ? 1 : rounded > double(INT32_MAX) ? INT32_MAX : int32_t(rounded);
        for (int a = 0; a < 3; ++a) {
            l.offset[a] = 0;
            l.size[a] = isize;
        }
        l.inv_size = 1.0f / sizes[j];
        l.entries = vptrlist_t{};
        l.entries.set_pool(&entry_pool());
        l.index = j;
        l.table_index = count - 1 - j;
        l.bucket_count = PRIMES[l.table_index];
        l.buckets = static_cast<vptrlist_node_t **>(qrncore_system_new_vector(l.bucket_count * sizeof(void *)));
        if (!l.buckets) V_ABORT("Spatial hash out of memory for its bucket table.");
        memset(l.buckets, 0, l.bucket_count * sizeof(void *));
    }
    memset(m_lookup, 0, sizeof m_lookup);
    recompute();
}

spatialhash_t::~spatialhash_t() {
    clear();
    for (int j = 0; j < m_level_count; ++j) qrncore_system_delete_vector(m_levels[j].buckets);
    m_result.remove_all();
}

vdatalist_node_t *spatialhash_t::find(const void *key) const {
    const uint16_t hash = uint16_t(crc12(&key, sizeof key));
    for (vdatalist_node_t *n = m_lookup[hash]; n && n->data_as<object_t>()->hash == hash; n = n->next)
        if (n->data_as<object_t>()->key == key) return n;
    return nullptr;
}

int spatialhash_t::select_level(const vec3_t &lo, const vec3_t &hi) const {
    const vec3_t e = hi - lo;
    const float extent = std::fmax(e.x, std::fmax(e.y, e.z));
    int j = m_level_count - 1;
    while (j > 0 && extent * m_levels[j].inv_size > m_levels[j].factor) --j;
    return j;
}

void spatialhash_t::get_cell(int level, const vec3_t &p, int32_t cell[3]) const {
    const level_t &l = m_levels[level];
    // Integer division truncates toward zero: cell 0 spans (-size, size).
    for (int a = 0; a < 3; ++a) cell[a] = int32_t((int64_t(floor_to_int(p[a])) + l.offset[a]) / l.size[a]);
}

uint32_t spatialhash_t::get_bucket(int level, const int32_t cell[3]) const {
    // The 12 little-endian bytes of the cell, each taken as a signed value, folded
    // as h = 2·h + b in 32-bit arithmetic.
    uint32_t h = 0;
    for (int a = 0; a < 3; ++a) {
        const uint32_t c = uint32_t(cell[a]);
        for (int b = 0; b < 4; ++b) h = 2 * h + uint32_t(int32_t(int8_t(uint8_t(c >> (8 * b)))));
    }
    return h % m_levels[level].bucket_count;
}

spatialhash_t::range_t spatialhash_t::get_range(int level, const vec3_t &lo, const vec3_t &hi) const {
    range_t r;
    get_cell(level, lo, r.lo);
    get_cell(level, hi, r.hi);
    return r;
}

// Cells of a range, counted up to limit (a count of limit or more gives limit); 0
// for an inverted range.
uint64_t spatialhash_t::cell_count(const range_t &r, uint64_t limit) {
    uint64_t cells = 1;
    for (int a = 0; a < 3; ++a) {
        const int64_t n = int64_t(r.hi[a]) - r.lo[a] + 1;
        if (n <= 0) return 0;
        cells = cells * uint64_t(n) < limit ? cells * uint64_t(n) : limit;
    }
    return cells;
}

// Calls f(bucket) for the bucket of every cell of the range. A range of at least as
// many cells as the level has buckets calls f once for every bucket instead: the same
// buckets at most, and the work stays bounded for huge boxes, whose cells are
// astronomically many.
template <class F>
void spatialhash_t::for_each_bucket(int level, const range_t &r, F f) const {
    const uint32_t buckets = m_levels[level].bucket_count;
    const uint64_t cells = cell_count(r, buckets);
    if (cells >= buckets) {
        for (uint32_t b = 0; b < buckets; ++b) f(b);
        return;
    }
    for_each_cell(r, [&](const int32_t c[3]) { f(get_bucket(level, c)); });
}

// Calls f(cell) for every cell of the range; the counters are 64-bit so that a range
// ending at INT32_MAX ends.
template <class F>
void spatialhash_t::for_each_cell(const range_t &r, F f) {
    int32_t c[3];
    for (int64_t x = r.lo[0]; x <= r.hi[0]; ++x)
        for (int64_t y = r.lo[1]; y <= r.hi[1]; ++y)
            for (int64_t z = r.lo[2]; z <= r.hi[2]; ++z) {
                c[0] = int32_t(x);
                c[1] = int32_t(y);
                c[2] = int32_t(z);
                f(c);
            }
}

void spatialhash_t::enter(int level, uint32_t bucket, object_t *o) {
    level_t &l = m_levels[level];
    vptrlist_node_t *&head = l.buckets[bucket];
    if (!head) head = l.entries.append(nullptr);
    const uintptr_t key = key_value(o->key);
    vptrlist_node_t *n = head;
    while (n->data && key_value(static_cast<object_t *>(n->data)->key) < key) n = n->next;
    if (n->data && static_cast<object_t *>(n->data)->key == o->key) return;
    vptrlist_node_t *e = l.entries.insert(n, o);
    if (n == head) head = e;
}

void spatialhash_t::leave(int level, uint32_t bucket, const object_t *o) {
    level_t &l = m_levels[level];
    vptrlist_node_t *&head = l.buckets[bucket];
    if (!head) return;
    const uintptr_t key = key_value(o->key);
    vptrlist_node_t *n = head;
    while (n->data && key_value(static_cast<object_t *>(n->data)->key) < key) n = n->next;
    // Only this record's own entry goes: a second record of the same key may own it.
    if (n->data != o) return;
    if (n == head) head = n->next;
    l.entries.remove_pos(n);
    if (!head->data) {
        l.entries.remove_pos(head);
        head = nullptr;
    }
}

// Moves o on one level from the cells of one range to those of another.
void spatialhash_t::relocate(int level, object_t *o, const range_t &from, const range_t &to) {
    const auto inside = [](const range_t &r, const int32_t c[3]) {
        for (int a = 0; a < 3; ++a)
            if (c[a] < r.lo[a] || c[a] > r.hi[a]) return false;
        return true;
    };
    if (cell_count(from, m_levels[level].bucket_count) >= m_levels[level].bucket_count) {
        for_each_bucket(level, from, [&](uint32_t b) { leave(level, b, o); });
    } else {
        for_each_cell(from, [&](const int32_t c[3]) {
            if (!inside(to, c)) leave(level, get_bucket(level, c), o);
        });
    }
    // Every cell of the new range is entered, not only those outside the old range:
    // a cell left above may share its bucket with a kept cell, and leaving took the
    // object out of that shared chain.
    for_each_bucket(level, to, [&](uint32_t b) { enter(level, b, o); });
}

void spatialhash_t::take_in(const vec3_t &lo, const vec3_t &hi) {
    m_bounds_min = v_min(m_bounds_min, lo);
    m_bounds_max = v_max(m_bounds_max, hi);
}

bool spatialhash_t::insert(const vec3_t &corner_a, const vec3_t &corner_b, void *key) {
    if (!m_level_count) V_ABORT("spatial hash without levels");
    // Non-finite boxes are refused: they cannot be cast to cells.
    if (!is_finite(corner_a) || !is_finite(corner_b)) {
        error("[spatialhash] box of object %p is not finite: not inserted", key);
        return false;
    }
    const uint16_t hash = uint16_t(crc12(&key, sizeof key));
    vdatalist_node_t *node = m_objects.insert(m_lookup[hash]);
    m_lookup[hash] = node;
    auto *o = node->data_as<object_t>();
    o->key = key;
    o->hash = hash;
    o->min = v_min(corner_a, corner_b);
    o->max = v_max(corner_a, corner_b);
    o->level = select_level(o->min, o->max);
    for (int l = o->level; l >= 0; --l)
        for_each_bucket(l, get_range(l, o->min, o->max), [&](uint32_t b) { enter(l, b, o); });
    take_in(o->min, o->max);
    return true;
}

bool spatialhash_t::remove(const void *key) {
    vdatalist_node_t *node = find(key);
    if (!node) return false;
    const auto *o = node->data_as<object_t>();
    for (int l = o->level; l >= 0; --l)
        for_each_bucket(l, get_range(l, o->min, o->max), [&](uint32_t b) { leave(l, b, o); });
    if (m_lookup[o->hash] == node) {
        vdatalist_node_t *next = node->next;
        m_lookup[o->hash] = next && next->data_as<object_t>()->hash == o->hash ? next : nullptr;
    }
    m_objects.remove_pos(node);
    return true;
}

bool spatialhash_t::update(const void *key, const vec3_t &corner_a, const vec3_t &corner_b) {
    if (!m_level_count) V_ABORT("spatial hash without levels");
    if (!is_finite(corner_a) || !is_finite(corner_b)) {
        error("[spatialhash] new box of object %p is not finite: not moved", key);
        return false;
    }
    vdatalist_node_t *node = find(key);
    if (!node) return false;
    auto *o = node->data_as<object_t>();
    const vec3_t lo = v_min(corner_a, corner_b), hi = v_max(corner_a, corner_b);
    if (lo == o->min && hi == o->max) return true;
    for (int l = o->level; l >= 0; --l) {
        const range_t from = get_range(l, o->min, o->max), to = get_range(l, lo, hi);
        if (!(from == to)) relocate(l, o, from, to);
    }
    o->min = lo;
    o->max = hi;
    take_in(lo, hi);
    return true;
}

// Merges the keys of one chain that overlap the query box into the sorted result.
// Both are sorted, so one cursor walks the result once per chain.
void spatialhash_t::merge_chain(int level, uint32_t bucket, int query_level, const vec3_t &lo, const vec3_t &hi) {
    vptrlist_node_t *cursor = m_result.get_first();
    for (const vptrlist_node_t *n = m_levels[level].buckets[bucket]; n && n->data; n = n->next) {
        const auto *o = static_cast<const object_t *>(n->data);
        // Above the query's level only the objects stored there: finer ones are met
        // on the query's own level.
        if (level < query_level && o->level != level) continue;
        if (o->max.x < lo.x || o->min.x > hi.x || o->max.y < lo.y || o->min.y > hi.y || o->max.z < lo.z ||
            o->min.z > hi.z)
            continue;
        const uintptr_t key = key_value(o->key);
        while (cursor && key_value(cursor->data) < key) cursor = cursor->next;
        if (cursor && cursor->data == o->key) continue;
        m_result.insert(cursor, o->key);
    }
}

const vptrlist_t &spatialhash_t::query(const vec3_t &corner_a, const vec3_t &corner_b) {
    if (!m_level_count) V_ABORT("spatial hash without levels");
    m_result.remove_all();
    if (!is_finite(corner_a) || !is_finite(corner_b)) {
        error("[spatialhash] query box is not finite: nothing found");
        return m_result;
    }
    vec3_t lo = v_min(corner_a, corner_b), hi = v_max(corner_a, corner_b);
    for (int a = 0; a < 3; ++a)
        if (hi[a] < m_bounds_min[a] || lo[a] > m_bounds_max[a]) return m_result;
    lo = v_max(lo, m_bounds_min);
    hi = v_min(hi, m_bounds_max);
    const int q = select_level(lo, hi);
    for (int l = q; l >= 0; --l)
        for_each_bucket(l, get_range(l, lo, hi), [&](uint32_t b) { merge_chain(l, b, q, lo, hi); });
    return m_result;
}

void spatialhash_t::recompute() {
    m_bounds_min = {VOID_BOUND, VOID_BOUND, VOID_BOUND};
    m_bounds_max = {-VOID_BOUND, -VOID_BOUND, -VOID_BOUND};
    for (const vdatalist_node_t *n = m_objects.get_first(); n; n = n->next)
        take_in(n->data_as<object_t>()->min, n->data_as<object_t>()->max);
}

void spatialhash_t::clear() {
    for (int j = 0; j < m_level_count; ++j) {
        m_levels[j].entries.remove_all();
        memset(m_levels[j].buckets, 0, m_levels[j].bucket_count * sizeof(void *));
    }
    m_objects.remove_all();
    memset(m_lookup, 0, sizeof m_lookup);
}

int spatialhash_t::get_object_level(const void *key) const {
    const vdatalist_node_t *node = find(key);
    return node ? node->data_as<object_t>()->level : -1;
}

bool spatialhash_t::cell_holds(int level, const vec3_t &p, const void *key) const {
    int32_t cell[3];
    get_cell(level, p, cell);
    for (const vptrlist_node_t *n = m_levels[level].buckets[get_bucket(level, cell)]; n && n->data; n = n->next)
        if (static_cast<const object_t *>(n->data)->key == key) return true;
    return false;
}

}  // namespace quarn
