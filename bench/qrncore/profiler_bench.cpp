// Cost of one profiler sample on a path already in the tree, and of a frame advance
// over a tree of many nodes. The empty loop is the peer.
#include <benchmark/benchmark.h>

#include "qrncore/profiler/profiler.h"

namespace {

const char OUTER[] = "outer";
const char INNER[] = "inner";
const char SIBLING[16][8] = {"s0", "s1", "s2", "s3", "s4", "s5", "s6", "s7",
                             "s8", "s9", "s10", "s11", "s12", "s13", "s14", "s15"};

void bm_empty_scope(benchmark::State &state) {
    int x = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(x);
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}

// A sample one level below another; the outer sample stays open.
void bm_profiler_sample(benchmark::State &state) {
    quarn::profiler_initializer_t profiler;
    quarn::profiler_sample_t outer(OUTER);
    for (auto _ : state) {
        quarn::profiler_sample_t s(INNER);
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}

// The same with 16 earlier siblings to walk past.
void bm_profiler_sample_behind_siblings(benchmark::State &state) {
    quarn::profiler_initializer_t profiler;
    quarn::profiler_sample_t outer(OUTER);
    {
        quarn::profiler_sample_t first(INNER);
    }
    for (const char *name : SIBLING) {
        quarn::profiler_sample_t s(name);
    }
    for (auto _ : state) {
        quarn::profiler_sample_t s(INNER);
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}

void bm_profiler_frame_advance(benchmark::State &state) {
    quarn::profiler_initializer_t profiler;
    for (const char *name : SIBLING) {
        quarn::profiler_sample_t s(name);
        for (const char *inner : SIBLING) {
            quarn::profiler_sample_t t(inner);
        }
    }
    for (auto _ : state) {
        quarn::profiler_advance_frame();
        quarn::profiler_sample_t s(OUTER);
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
    state.SetLabel("274 nodes");
}

}  // namespace

BENCHMARK(bm_empty_scope);
BENCHMARK(bm_profiler_sample);
BENCHMARK(bm_profiler_sample_behind_siblings);
BENCHMARK(bm_profiler_frame_advance);
