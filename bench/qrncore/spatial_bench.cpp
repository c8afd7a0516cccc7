// k-DOP trees over a terrain mesh of about 100k triangles (building and segment
// queries) and the spatial hash with 10k objects (inserting and box queries), each
// against brute force over the same data: building the box array a linear scan
// needs, testing every box.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "qrncore/numerics/random_mt.h"
#include "qrncore/spatial/kdop_builder.h"
#include "qrncore/spatial/kdop_query.h"
#include "qrncore/spatial/spatialhash.h"
#include "support/kdop_boxes.h"

namespace {

using namespace quarn;

using test::box_t;
using test::boxes_overlap;
using test::segment_meets;

// Bounding boxes of the triangles of a rolling terrain: 224 × 224 vertices, two units
// apart, two triangles per quad (99458 triangles).
const std::vector<box_t> &terrain_triangles() {
    static const std::vector<box_t> boxes = [] {
        constexpr int N = 224;
        const auto height = [](int x, int z) { return 8.0f * std::sin(float(x) * 0.11f) * std::cos(float(z) * 0.07f); };
        const auto vertex = [&](int x, int z) { return vec3_t{2.0f * float(x), height(x, z), 2.0f * float(z)}; };
        std::vector<box_t> out;
        for (int z = 0; z + 1 < N; ++z)
            for (int x = 0; x + 1 < N; ++x) {
                const vec3_t a = vertex(x, z), b = vertex(x + 1, z), c = vertex(x, z + 1), d = vertex(x + 1, z + 1);
                out.push_back({v_min(a, v_min(b, c)), v_max(a, v_max(b, c))});
                out.push_back({v_min(b, v_min(c, d)), v_max(b, v_max(c, d))});
            }
        return out;
    }();
    return boxes;
}

void add_objects(kdop_builder_t &builder, const std::vector<box_t> &boxes) {
    builder.build_start(nullptr, 4.0f, 4);
    test::add_boxes(builder, boxes);
}

void bm_kdop_build_terrain(benchmark::State &state) {
    const auto &boxes = terrain_triangles();
    kdop_builder_t builder;
    kdop_tree_t tree;
    for (auto _ : state) {
        add_objects(builder, boxes);
        builder.build_end(&tree);
        benchmark::DoNotOptimize(tree.get_root());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(boxes.size()));
}

// The peer of a build: the box array a brute-force scan works on.
void bm_brute_box_array_terrain(benchmark::State &state) {
    const auto &boxes = terrain_triangles();
    for (auto _ : state) {
        std::vector<box_t> copy;
        copy.reserve(boxes.size());
        for (const box_t &b : boxes) copy.push_back(b);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(boxes.size()));
}

// Shots across the terrain: segments of about 60 units from above the ground to
// below it.
std::vector<std::pair<vec3_t, vec3_t>> shots() {
    random_mt_t rng(5);
    std::vector<std::pair<vec3_t, vec3_t>> out;
    for (int i = 0; i < 256; ++i) {
        const vec3_t a{rng.rand_f() * 440, 20, rng.rand_f() * 440};
        const vec3_t b = a + vec3_t{rng.rand_f() * 60 - 30, -40, rng.rand_f() * 60 - 30};
        out.push_back({a, b});
    }
    return out;
}

struct shot_t {
    const std::vector<box_t> *boxes;
    vec3_t a, b;
    uint32_t hits;
};

bool test_leaf(const kdop_node_t *leaf, void *data) {
    auto *s = static_cast<shot_t *>(data);
    for (uint32_t i = 0; i < leaf->get_count(); ++i)
        s->hits += segment_meets(s->a, s->b, (*s->boxes)[leaf->get_ids()[i]]) ? 1 : 0;
    return true;
}

void bm_kdop_segment_query(benchmark::State &state) {
    const auto &boxes = terrain_triangles();
    kdop_builder_t builder;
    kdop_tree_t tree;
    add_objects(builder, boxes);
    builder.build_end(&tree);
    const auto segments = shots();
    for (auto _ : state)
        for (const auto &[a, b] : segments) {
            shot_t s{&boxes, a, b, 0};
            kdop_query_segment(tree.get_root(), a, b, test_leaf, &s);
            benchmark::DoNotOptimize(s.hits);
        }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(segments.size()));
}

void bm_brute_segment_query(benchmark::State &state) {
    const auto &boxes = terrain_triangles();
    const auto segments = shots();
    for (auto _ : state)
        for (const auto &[a, b] : segments) {
            uint32_t hits = 0;
            for (const box_t &box : boxes) hits += segment_meets(a, b, box) ? 1 : 0;
            benchmark::DoNotOptimize(hits);
        }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(segments.size()));
}

// 10k objects of 4 to 500 units in a 20 km square, as a landscape's props and chunks.
constexpr size_t OBJECTS = 10000;

const std::vector<box_t> &world_objects() {
    static const std::vector<box_t> boxes = [] {
        random_mt_t rng(11);
        std::vector<box_t> out;
        const float sizes[] = {2, 10, 40, 100, 250};
        for (size_t i = 0; i < OBJECTS; ++i) {
            const float s = sizes[rng.rand_u(5)];
            const vec3_t c{rng.rand_f() * 20000 - 10000, rng.rand_f() * 200, rng.rand_f() * 20000 - 10000};
            const vec3_t h{rng.rand_f() * s, rng.rand_f() * s * 0.2f, rng.rand_f() * s};
            out.push_back({c - h, c + h});
        }
        return out;
    }();
    return boxes;
}

void *key_of(size_t i) { return reinterpret_cast<void *>((i + 1) * 16); }

// Arg 0: the landscape's form, one level of 200; arg 1: the default four levels
// (200 to 102400), whose two coarse levels hold every object of this world in one
// cell, so that inserts and queries walk chains of all 10k objects there.
spatialhash_t *make_hash(benchmark::State &state) {
    state.SetLabel(state.range(0) ? "four levels" : "one level");
    return state.range(0) ? new spatialhash_t() : new spatialhash_t(200.0f, 2.0f, 1, 3.0f);
}

void bm_spatialhash_insert(benchmark::State &state) {
    const auto &boxes = world_objects();
    spatialhash_t &hash = *make_hash(state);
    for (auto _ : state) {
        for (size_t i = 0; i < boxes.size(); ++i) hash.insert(boxes[i].min, boxes[i].max, key_of(i));
        state.PauseTiming();
        hash.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(boxes.size()));
    delete &hash;
}

// The peer of an insert: appending the key and box to an array.
void bm_brute_insert(benchmark::State &state) {
    const auto &boxes = world_objects();
    std::vector<std::pair<void *, box_t>> all;
    all.reserve(boxes.size());
    for (auto _ : state) {
        for (size_t i = 0; i < boxes.size(); ++i) all.push_back({key_of(i), boxes[i]});
        benchmark::DoNotOptimize(all.data());
        all.clear();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(boxes.size()));
}

// Query boxes around a walker: 50 to 400 units.
std::vector<box_t> query_boxes() {
    random_mt_t rng(3);
    std::vector<box_t> out;
    for (int i = 0; i < 256; ++i) {
        const float s = 50 + rng.rand_f() * 350;
        const vec3_t c{rng.rand_f() * 20000 - 10000, 100, rng.rand_f() * 20000 - 10000};
        out.push_back({c - vec3_t{s, s, s}, c + vec3_t{s, s, s}});
    }
    return out;
}

void bm_spatialhash_query(benchmark::State &state) {
    const auto &boxes = world_objects();
    spatialhash_t &hash = *make_hash(state);
    for (size_t i = 0; i < boxes.size(); ++i) hash.insert(boxes[i].min, boxes[i].max, key_of(i));
    const auto queries = query_boxes();
    for (auto _ : state)
        for (const box_t &q : queries) benchmark::DoNotOptimize(hash.query(q.min, q.max).get_count());
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(queries.size()));
    delete &hash;
}

// The same answer by scanning: every box tested, the keys sorted.
void bm_brute_query(benchmark::State &state) {
    const auto &boxes = world_objects();
    const auto queries = query_boxes();
    std::vector<void *> found;
    for (auto _ : state)
        for (const box_t &q : queries) {
            found.clear();
            for (size_t i = 0; i < boxes.size(); ++i)
                if (boxes_overlap(boxes[i], q)) found.push_back(key_of(i));
            std::sort(found.begin(), found.end());
            benchmark::DoNotOptimize(found.size());
        }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(queries.size()));
}

}  // namespace

BENCHMARK(bm_kdop_build_terrain)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_brute_box_array_terrain)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_kdop_segment_query);
BENCHMARK(bm_brute_segment_query);
BENCHMARK(bm_spatialhash_insert)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_brute_insert)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_spatialhash_query)->Arg(0)->Arg(1);
BENCHMARK(bm_brute_query);
