// The multi-level spatial hash.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "qrncore/numerics/random_mt.h"
#include "qrncore/spatial/spatialhash.h"
#include "support/message_capture.h"

namespace quarn {
namespace {

std::vector<void *> keys_of(const vptrlist_t &list) {
    std::vector<void *> out;
    for (const vptrlist_node_t *n = list.get_first(); n; n = n->next) out.push_back(n->data);
    return out;
}

// Keys with a known order: addresses inside one array.
struct keys_t {
    void *operator[](size_t i) { return &bytes[i]; }
    char bytes[4096];
};

const float TWO_SIZES[] = {1000, 100, 0};

TEST(spatialhash, levels_cells_and_buckets) {
    const struct {
        const char *name;
        spatialhash_t hash;
        std::vector<float> sizes;
        std::vector<uint32_t> buckets;
    } cases[] = {
        {"default", spatialhash_t(), {102400, 12800, 1600, 200}, {1021, 4093, 16381, 65537}},
        {"one level", spatialhash_t(200.0f, 2.0f, 1, 3.0f), {200}, {65537}},
        {"six is one", spatialhash_t(50.0f, 2.0f, 6, 3.0f), {50}, {65537}},
        {"five is none", spatialhash_t(50.0f, 2.0f, 5, 3.0f), {}, {}},
        {"from sizes", spatialhash_t(TWO_SIZES, 3.0f), {1000, 100}, {16381, 65537}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(c.hash.get_level_count(), int(c.sizes.size()));
        for (size_t j = 0; j < c.sizes.size(); ++j) {
            EXPECT_EQ(c.hash.get_cell_size(int(j)), c.sizes[j]);
            EXPECT_EQ(c.hash.get_bucket_count(int(j)), c.buckets[j]);
        }
    }

    // Integer division toward zero: cell 0 spans (-200, 200) on the 200 level.
    const spatialhash_t &h = cases[0].hash;
    const struct {
        float x;
        int32_t cell;
    } cells[] = {{-150, 0}, {150, 0}, {199.9f, 0}, {250, 1}, {-250, -1}, {400, 2}, {-199.5f, -1}, {-0.5f, 0}};
    for (const auto &c : cells) {
        int32_t cell[3];
        h.get_cell(3, {0, c.x, 0}, cell);
        EXPECT_EQ(cell[1], c.cell) << c.x;
    }
    // Buckets fold the cell's 12 little-endian bytes, signed, as h = 2·h + b.
    const struct {
        int32_t cell[3];
        uint32_t fine, coarse;
    } buckets[] = {{{1, 0, 0}, 2048, 6},       {{0, 1, 0}, 128, 128},    {{0, 0, 1}, 8, 8},
                   {{-1, 0, 0}, 61698, 352}, {{0, -1, 2}, 65314, 905}, {{300, 0, 0}, 25599, 267}};
    for (const auto &b : buckets) {
        EXPECT_EQ(h.get_bucket(3, b.cell), b.fine);
        EXPECT_EQ(h.get_bucket(0, b.cell), b.coarse);
    }
}

TEST(spatialhash, level_choice_by_extent) {
    spatialhash_t h;
    keys_t k;
    const struct {
        float extent;
        int level;
    } cases[] = {{700, 2}, {500, 3}, {600, 3}, {4800, 2}, {4801, 1}, {1e6f, 0}, {0, 3}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        const float e = cases[i].extent;
        ASSERT_TRUE(h.insert({0, 0, 0}, {e, e / 2, 1}, k[i]));
        EXPECT_EQ(h.get_object_level(k[i]), cases[i].level) << e;
        // Registered on its level and every coarser one, not on finer ones.
        for (int l = 0; l < h.get_level_count(); ++l)
            EXPECT_EQ(h.cell_holds(l, {e / 2, 0, 0}, k[i]), l <= cases[i].level) << e << " on level " << l;
    }
    EXPECT_EQ(h.get_object_level(k[100]), -1);
}

TEST(spatialhash, queries_touch_sort_and_merge) {
    spatialhash_t h;
    keys_t k;
    // Inserted against key order; both span the cells 0 to 2 of the finest level.
    ASSERT_TRUE(h.insert({0, 0, 0}, {500, 10, 10}, k[2]));
    ASSERT_TRUE(h.insert({500, 10, 10}, {10, 0, 0}, k[1]));  // corners swapped
    ASSERT_TRUE(h.insert({2000, 0, 0}, {2010, 10, 10}, k[3]));
    // A query over the cells 0 to 2 of the finest level meets both in each cell.
    EXPECT_EQ(keys_of(h.query({150, -5, -5}, {450, 5, 5})), (std::vector<void *>{k[1], k[2]}));

    const struct {
        const char *name;
        vec3_t a, b;
        std::vector<void *> found;
    } cases[] = {
        {"touching face", {2010, 0, 0}, {2100, 10, 10}, {k[3]}},
        {"touching edge", {2010, 10, 0}, {2100, 20, 10}, {k[3]}},
        {"just apart", {2010.01f, 0, 0}, {2100, 10, 10}, {}},
        {"one point", {5, 5, 5}, {5, 5, 5}, {k[2]}},
        {"all", {-1e4f, -1e4f, -1e4f}, {1e4f, 1e4f, 1e4f}, {k[1], k[2], k[3]}},
        {"outside the bounds", {5000, 0, 0}, {6000, 10, 10}, {}},
        {"between, within the bounds", {1000, 0, 0}, {1100, 10, 10}, {}},
    };
    for (const auto &c : cases) EXPECT_EQ(keys_of(h.query(c.a, c.b)), c.found) << c.name;

    // Bounds grow on insert, stay on remove and clear, shrink on recompute.
    EXPECT_TRUE(h.remove(k[3]));
    EXPECT_FALSE(h.remove(k[3]));
    EXPECT_EQ(h.get_bounds_max().x, 2010.0f);
    h.recompute();
    EXPECT_EQ(h.get_bounds_max().x, 500.0f);
    EXPECT_TRUE(h.query({2000, 0, 0}, {2001, 1, 1}).is_empty());
    h.clear();
    EXPECT_EQ(h.get_bounds_max().x, 500.0f);
    EXPECT_EQ(h.get_object_count(), 0u);
    for (int l = 0; l < h.get_level_count(); ++l) EXPECT_EQ(h.get_entry_count(l), 0u);
    EXPECT_TRUE(h.query({0, 0, 0}, {500, 10, 10}).is_empty());
    h.recompute();
    EXPECT_EQ(h.get_bounds_min().x, 3.37e38f);
    EXPECT_EQ(h.get_bounds_max().x, -3.37e38f);
}

TEST(spatialhash, update_moves_and_keeps) {
    spatialhash_t h;
    keys_t k;
    ASSERT_TRUE(h.insert({0, 0, 0}, {100, 100, 100}, k[0]));
    uint32_t entries[4];
    for (int l = 0; l < 4; ++l) entries[l] = h.get_entry_count(l);

    EXPECT_TRUE(h.update(k[0], {100, 100, 100}, {0, 0, 0}));  // the same box, corners swapped
    for (int l = 0; l < 4; ++l) EXPECT_EQ(h.get_entry_count(l), entries[l]);
    EXPECT_FALSE(h.update(k[1], {0, 0, 0}, {1, 1, 1}));
    EXPECT_FALSE(h.remove(k[1]));

    // Far away and larger: found there only, still on its first level.
    ASSERT_TRUE(h.update(k[0], {5000, 0, 0}, {5900, 100, 100}));
    EXPECT_EQ(h.get_object_level(k[0]), 3);
    EXPECT_TRUE(h.query({0, 0, 0}, {100, 100, 100}).is_empty());
    EXPECT_EQ(keys_of(h.query({5850, 50, 50}, {5860, 60, 60})), std::vector<void *>{k[0]});
    EXPECT_EQ(h.get_bounds_max().x, 5900.0f);
    ASSERT_TRUE(h.remove(k[0]));
    for (int l = 0; l < 4; ++l) EXPECT_EQ(h.get_entry_count(l), 0u) << "level " << l;
}

// A cell left by an update may share its bucket with a cell the object keeps: leaving
// such cells after entering the new ones would take the object out of the kept
// cell's chain as well.
const float FOUR_LEVELS[] = {4, 3, 2, 1, 0};

// A coordinate inside cell c of size 4 (cells truncate toward zero, so cell -1 is
// [-7, -4] and cell 1 is [4, 7]).
float inside_cell(int32_t c) { return c > 0 ? 4.0f * float(c) + 0.5f : c < 0 ? 4.0f * float(c) - 0.5f : 0.5f; }

TEST(spatialhash, update_keeps_cells_that_share_a_bucket_with_left_ones) {
    // Cells of 4 on level 0 (1021 buckets); an object longer than 9 lives there.
    spatialhash_t h(FOUR_LEVELS, 3.0f);
    int32_t z = 0, y_left = 0, y_kept = 0;
    bool found = false;
    for (z = -40; z <= 40 && !found; ++z)
        for (int32_t a = -40; a <= 40 && !found; ++a)
            for (int32_t b = -40; b <= 40 && !found; ++b) {
                const int32_t left[3] = {0, a, z}, kept[3] = {1, b, z};
                found = a != b && h.get_bucket(0, left) == h.get_bucket(0, kept);
                y_left = a;
                y_kept = b;
            }
    ASSERT_TRUE(found);
    --z;
    keys_t k;
    const float y0 = inside_cell(std::min(y_left, y_kept)), y1 = inside_cell(std::max(y_left, y_kept));
    const float zc = inside_cell(z);
    // x cells 0 and 1, then 1 and 2: cell x = 0 is left, x = 1 kept.
    ASSERT_TRUE(h.insert({inside_cell(0), y0, zc}, {inside_cell(1), y1, zc}, k[0]));
    ASSERT_EQ(h.get_object_level(k[0]), 0);
    ASSERT_TRUE(h.update(k[0], {inside_cell(1), y0, zc}, {inside_cell(2), y1, zc}));
    const vec3_t in_kept{inside_cell(1), inside_cell(y_kept), zc};
    EXPECT_TRUE(h.cell_holds(0, in_kept, k[0]));
    EXPECT_EQ(keys_of(h.query(in_kept, in_kept)), std::vector<void *>{k[0]});
}

TEST(spatialhash, non_finite_boxes_are_refused_and_huge_ones_bounded) {
    spatialhash_t h;
    keys_t k;
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    test::message_capture_t log;
    EXPECT_FALSE(h.insert({0, nan, 0}, {1, 1, 1}, k[0]));
    EXPECT_FALSE(h.insert({0, 0, 0}, {inf, 1, 1}, k[0]));
    EXPECT_TRUE(log.contains("[spatialhash]"));
    EXPECT_EQ(h.get_object_count(), 0u);
    ASSERT_TRUE(h.insert({0, 0, 0}, {1, 1, 1}, k[0]));
    EXPECT_FALSE(h.update(k[0], {-inf, 0, 0}, {1, 1, 1}));
    EXPECT_EQ(keys_of(h.query({0, 0, 0}, {1, 1, 1})), std::vector<void *>{k[0]});
    log.clear();
    EXPECT_TRUE(h.query({nan, 0, 0}, {1, 1, 1}).is_empty());
    EXPECT_TRUE(log.contains("[spatialhash]"));

    // Beyond the range of 32-bit cells and spanning nearly all floats: the cells are
    // clamped and no level takes more entries than it has buckets.
    ASSERT_TRUE(h.insert({-3e38f, -3e38f, -3e38f}, {3e38f, 3e38f, 3e38f}, k[1]));
    ASSERT_TRUE(h.insert({3e9f, 0, 0}, {3e9f, 1, 1}, k[2]));
    ASSERT_TRUE(h.insert({4e9f, 0, 0}, {4e9f, 1, 1}, k[3]));
    for (int l = 0; l < h.get_level_count(); ++l)
        EXPECT_LE(h.get_entry_count(l), 2 * h.get_bucket_count(l) + 8) << "level " << l;
    EXPECT_EQ(keys_of(h.query({1e30f, 1e30f, 1e30f}, {2e30f, 2e30f, 2e30f})), std::vector<void *>{k[1]});
    EXPECT_EQ(keys_of(h.query({4e9f, 0, 0}, {4e9f, 0, 0})), (std::vector<void *>{k[1], k[3]}));
    EXPECT_EQ(keys_of(h.query({-1, -1, -1}, {0, 0, 0})), (std::vector<void *>{k[0], k[1]}));
    ASSERT_TRUE(h.update(k[1], {-1e10f, 0, 0}, {1e10f, 1, 1}));
    EXPECT_EQ(keys_of(h.query({-5e9f, 0, 0}, {-5e9f, 0, 0})), std::vector<void *>{k[1]});
    for (int i = 1; i < 4; ++i) ASSERT_TRUE(h.remove(k[i]));
    ASSERT_TRUE(h.remove(k[0]));
    for (int l = 0; l < h.get_level_count(); ++l) EXPECT_EQ(h.get_entry_count(l), 0u) << "level " << l;

    // Cells smaller than 0.5 round to 1, not to 0 (which would divide by zero).
    const float tiny[] = {0.3f, 0};
    spatialhash_t fine(tiny, 3.0f);
    ASSERT_TRUE(fine.insert({0, 0, 0}, {0.5f, 0.5f, 0.5f}, k[0]));
    EXPECT_EQ(keys_of(fine.query({0.4f, 0.4f, 0.4f}, {0.4f, 0.4f, 0.4f})), std::vector<void *>{k[0]});
}

struct object_t {
    vec3_t min, max;
    float size = 0;  // half size class, kept when the object moves
    bool live = false;
};

// Random inserts, moves and removals; every query must equal the brute-force answer.
// Box centres lie within ±world (a tenth of it on y), half sizes are picked from sizes.
void check_against_brute_force(spatialhash_t &h, uint32_t seed, float world, const std::vector<float> &sizes) {
    random_mt_t rng(seed);
    const auto coord = [&](float range) { return (rng.rand_f() * 2 - 1) * range; };
    // A random box into o, of o's size class once it lives (an update keeps the
    // level, so a small object moved to a huge box would cover thousands of fine
    // cells: allowed, but slow); returns its corners in the order given to the hash.
    const auto random_box = [&](object_t &o) {
        if (!o.live) o.size = sizes[rng.rand_u(uint32_t(sizes.size()))];
        const float s = o.size;
        const vec3_t c{coord(world), coord(world / 10), coord(world)};
        const vec3_t a = c + vec3_t{rng.rand_f() * s, rng.rand_f() * s, rng.rand_f() * s};
        const vec3_t b = c - vec3_t{rng.rand_f() * s, rng.rand_f() * s, rng.rand_f() * s};
        o.min = v_min(a, b);
        o.max = v_max(a, b);
        return std::pair{a, b};
    };
    keys_t k;
    std::vector<object_t> objects(1500);
    int queries = 0, hits = 0;
    for (int step = 0; step < 4000; ++step) {
        const uint32_t i = rng.rand_u(uint32_t(objects.size()));
        object_t &o = objects[i];
        const uint32_t op = rng.rand_u(10);
        if (!o.live) {
            const auto [a, b] = random_box(o);
            ASSERT_TRUE(h.insert(a, b, k[i]));
            o.live = true;
        } else if (op < 3) {
            const auto [a, b] = random_box(o);
            ASSERT_TRUE(h.update(k[i], a, b));
        } else if (op < 4) {
            ASSERT_TRUE(h.remove(k[i]));
            o.live = false;
        } else if (op < 5) {
            // A nudge that keeps most of the cells.
            const vec3_t d{coord(30), coord(30), coord(30)};
            o.min += d;
            o.max += d;
            ASSERT_TRUE(h.update(k[i], o.max, o.min));
        }
        if (step % 7) continue;
        if (step % 700 == 0) h.recompute();
        object_t q;
        const auto [a, b] = random_box(q);
        std::vector<void *> expected;
        for (size_t j = 0; j < objects.size(); ++j) {
            const object_t &p = objects[j];
            if (p.live && !(p.max.x < q.min.x || p.min.x > q.max.x || p.max.y < q.min.y || p.min.y > q.max.y ||
                            p.max.z < q.min.z || p.min.z > q.max.z))
                expected.push_back(k[j]);
        }
        ASSERT_EQ(keys_of(h.query(a, b)), expected) << "step " << step;
        ++queries;
        hits += expected.empty() ? 0 : 1;
    }
    EXPECT_GT(hits, queries / 4);  // the queries do find things
}

TEST(spatialhash, random_boxes_match_brute_force) {
    spatialhash_t levels;
    check_against_brute_force(levels, 99, 20000, {5, 50, 500, 5000, 40000});
}

TEST(spatialhash, random_boxes_match_brute_force_on_one_level) {
    // The landscape's form, one level of 200, with boxes of a few cells: larger ones
    // cover the whole table there and make the run slow, not different.
    spatialhash_t single(200.0f, 2.0f, 1, 3.0f);
    check_against_brute_force(single, 1234, 3000, {5, 50, 300, 800});
}

}  // namespace
}  // namespace quarn
