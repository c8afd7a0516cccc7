// The profiler view's flat totals: one fold of a call tree (every node summed by its
// section name into the program's store, then sorted), as the view does twice a
// second while it shows the live frame. Trees of 30, 340 and 4680 nodes over 32
// section names, four levels deep. After the first fold the store allocates nothing.
// No outside peer does this work.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "game/ui/system/profiler_flat.h"
#include "qrncore/profiler/profiler.h"

namespace {

using namespace quarn;

char names[32][24];

// Samples nest to `depth`, each level `fan` wide, names cycling through the table.
void grow(int depth, int fan, int &next) {
    if (depth == 0) return;
    for (int i = 0; i < fan; ++i) {
        profiler_sample_t s(names[next++ % 32]);
        grow(depth - 1, fan, next);
    }
}

void BM_profiler_flat_fold(benchmark::State &state) {
    for (int i = 0; i < 32; ++i) snprintf(names[i], sizeof names[i], "section_%02d", i);
    profiler_initializer_t profiler;
    int next = 0;
    const int fan = int(state.range(0));
    grow(4, fan, next);
    const uint32_t slot = profiler_pause().current;
    profiler_flat_t &flat = profiler_flat_t::get();
    for (auto _ : state) {
        flat.fold(profiler_tree(), slot);
        benchmark::DoNotOptimize(flat.count());
    }
    profiler_unpause();
    state.counters["nodes"] = double(fan + fan * fan + fan * fan * fan + fan * fan * fan * fan);
}
BENCHMARK(BM_profiler_flat_fold)->Arg(2)->Arg(4)->Arg(8);

}  // namespace
