// Composing a child placement with its parent's, as the transform nodes do per node,
// against composing their matrices (the peer).
#include <benchmark/benchmark.h>

#include <vector>

#include "qrncore/geometry/placement.h"
#include "qrncore/math/matrix.h"

namespace {

using namespace quarn;

constexpr size_t COUNT = 1024;

std::vector<placement_t> make_placements() {
    std::vector<placement_t> p(COUNT);
    for (size_t i = 0; i < COUNT; ++i) {
        quat_t q;
        q.set(ypr_t{float(i % 360), float(i % 45), float(i % 30)});
        p[i] = {{float(i % 17), float(i % 5), -float(i % 11)}, q};
    }
    return p;
}

void bm_placement_compose(benchmark::State &state) {
    const auto child = make_placements();
    const placement_t parent{{1, 2, 3}, child[77].rotation};
    std::vector<placement_t> out(COUNT);
    for (auto _ : state) {
        for (size_t i = 0; i < COUNT; ++i) out[i] = parent.from_local_space(child[i]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(COUNT));
}

void bm_placement_compose_via_matrices(benchmark::State &state) {
    const auto child = make_placements();
    const placement_t parent{{1, 2, 3}, child[77].rotation};
    std::vector<mat4_t> out(COUNT);
    for (auto _ : state) {
        const mat4_t pm = parent.compute_matrix();
        for (size_t i = 0; i < COUNT; ++i) mult_matrix_matrix(&out[i], child[i].compute_matrix(), pm);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(COUNT));
}

}  // namespace

BENCHMARK(bm_placement_compose);
BENCHMARK(bm_placement_compose_via_matrices);
