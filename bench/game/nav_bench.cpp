// Navigation queries on a 64 x 64 grid mesh of 8-unit cells, about one in eight of
// them water, as the animals ask them: locating points, and path searches between
// random points for the normal movement mode. Rates are queries per second. No
// outside peer does this work.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "game/ai/nav/ai_navigation.h"
#include "qrncore/numerics/randomizer.h"
#include "sector_file.h"
#include "support/memory_file.h"

namespace {

using namespace quarn;

constexpr int SIDE = 64;
constexpr float CELL = 8.0f;

// Written by the sector writer and loaded once; a search marks cells while it runs,
// so the benchmarks share a navigation they may change.
ai_navigation_t &grid_navigation() {
    static ai_navigation_t *nav = [] {
        randomizer_t dice(2024);
        std::string d = "grid\norigin 0 0\nheight 0\ncell_size 8\ncounts 64 64\nmap\n";
        for (int z = 0; z < SIDE; ++z) {
            for (int x = 0; x < SIDE; ++x) d += dice.rand_u(8) == 0 ? 'W' : 'N';
            d += '\n';
        }
        d += "end\n";
        auto *n = new ai_navigation_t;
        std::string bytes, error;
        if (sectorgen::compile_description(d, "bench", &bytes, &error)) {
            test::memory_file_t file(bytes);
            n->load(0, file);
        }
        return n;
    }();
    return *nav;
}

std::vector<vec3_t> random_points(uint32_t count, uint32_t seed) {
    randomizer_t dice(seed);
    std::vector<vec3_t> out;
    for (uint32_t i = 0; i < count; ++i) out.push_back({dice.rand() * SIDE * CELL, 0, dice.rand() * SIDE * CELL});
    return out;
}

// A linear walk over the cells in file order, so the cost grows with the point's cell.
void BM_nav_locate(benchmark::State &state) {
    const ai_navigation_t &nav = grid_navigation();
    const std::vector<vec3_t> points = random_points(1024, 1);
    size_t i = 0;
    for (auto _ : state) {
        uint32_t cell = 0;
        bool inside = false;
        benchmark::DoNotOptimize(nav.locate(points[i++ & 1023], 1, &cell, &inside));
        benchmark::DoNotOptimize(cell);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_nav_locate);

// One search on a fresh path of 256 steps, until the target's cell, a full ring, no
// way left or the search budget. "reached" is the share that found the target.
void BM_nav_find_path(benchmark::State &state) {
    ai_navigation_t &nav = grid_navigation();
    const std::vector<vec3_t> from = random_points(256, 2), to = random_points(256, 3);
    std::vector<uint32_t> cells(256);
    for (size_t k = 0; k < 256; ++k) {
        bool inside = false;
        nav.locate(from[k], 1, &cells[k], &inside);
    }
    ai_nav_path_t path;
    randomizer_t random(7);
    ai_nav_request_t request;
    size_t i = 0, reached = 0;
    for (auto _ : state) {
        const size_t k = i++ & 255;
        path.reset(256, cells[k]);
        path.set_current_waypoint(from[k]);
        request.point = to[k];
        if (nav.find_path(path, request, 1, random) == ai_navigation_t::PATH_REACHED) ++reached;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["reached"] = double(reached) / double(i ? i : 1);
}
BENCHMARK(BM_nav_find_path);

}  // namespace
