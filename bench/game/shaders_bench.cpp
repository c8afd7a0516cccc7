// The shader library's queue sorts beside the standard sorts of the same queue, and
// one update of the game's 64 x 64 wave texture (stepped phases and phases computed
// outright).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "game/visuals/shaders/fft_wave_texture.h"
#include "game/visuals/shaders/queue_sort.h"
#include "kernel/memory/m_server.h"
#include "kernel/process_table.h"
#include "outside/qrnshared/material.h"
#include "outside/qrnshared/qrnshared.h"
#include "outside/qrnshared/r_proto.h"
#include "outside/qrnshared/texobj.h"
#include "qrncore/system/dl_lib.h"
#include "support/fake_item.h"

namespace {

using namespace quarn;

constexpr uint32_t PROTOS = 10000;
constexpr uint32_t MATERIALS = 50;

// The memory manager's process and the shared layer bound to it, once.
struct kernel_t {
    kernel_t() {
        process_table_setup();
        mm_init();
        qrnshared_init(dl_lib_t::get_main_handle());
    }
};

// 50 loaded materials (draw orders 0-9, five materials each) and a queue of 10000
// prototypes over them in random order.
struct queue_t {
    queue_t() {
        static kernel_t kernel;
        for (uint32_t i = 0; i < MATERIALS; ++i) {
            material_t *m = new material_t;
            m->order = int32_t(i % 10);
            records.push_back(m);
        }
        for (uint32_t i = 0; i < MATERIALS; ++i) {
            items[i].unit = static_cast<resource_unit_u *>(
                unit_system_t::create_unit_in(unit_system_t::get_default(), material_u::unit_descriptor));
            items[i].data = &records[i];
            items[i].flags |= c_item_t::MEMORY_VALID;
        }
        std::mt19937 rng(42);
        protos.resize(PROTOS);
        for (r_proto_t &p : protos) {
            p = r_proto_t{};
            p.material = &items[rng() % MATERIALS];
            list.push_back(&p);
        }
    }

    test::fake_item_t items[MATERIALS];
    std::vector<material_t *> records;
    std::vector<r_proto_t> protos;
    std::vector<r_proto_t *> list;
};

queue_t &queue() {
    static queue_t q;
    return q;
}

bool draw_order_less(const r_proto_t *a, const r_proto_t *b) {
    return shaderlib_draw_order(a) < shaderlib_draw_order(b);
}

bool grouped_less(const r_proto_t *a, const r_proto_t *b) {
    if (a->material == b->material) return false;
    const int32_t oa = shaderlib_draw_order(a), ob = shaderlib_draw_order(b);
    if (oa != ob) return oa < ob;
    return a->material > b->material;
}

void BM_sort_grouped(benchmark::State &state) {
    shaderlib_sorter_t sorter;
    std::vector<r_proto_t *> work;
    for (auto _ : state) {
        work = queue().list;
        sorter.sort_grouped(work.data(), PROTOS);
        benchmark::DoNotOptimize(work.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * PROTOS);
}
BENCHMARK(BM_sort_grouped);

void BM_std_sort_grouped(benchmark::State &state) {
    std::vector<r_proto_t *> work;
    for (auto _ : state) {
        work = queue().list;
        std::sort(work.begin(), work.end(), grouped_less);
        benchmark::DoNotOptimize(work.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * PROTOS);
}
BENCHMARK(BM_std_sort_grouped);

void BM_sort_stable(benchmark::State &state) {
    shaderlib_sorter_t sorter;
    std::vector<r_proto_t *> work;
    for (auto _ : state) {
        work = queue().list;
        sorter.sort_stable(work.data(), PROTOS);
        benchmark::DoNotOptimize(work.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * PROTOS);
}
BENCHMARK(BM_sort_stable);

void BM_std_stable_sort(benchmark::State &state) {
    std::vector<r_proto_t *> work;
    for (auto _ : state) {
        work = queue().list;
        std::stable_sort(work.begin(), work.end(), draw_order_less);
        benchmark::DoNotOptimize(work.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * PROTOS);
}
BENCHMARK(BM_std_stable_sort);

// Every iteration computes new texels: times 40 ms apart (the game's fixed step),
// whose phases advance by a product each (argument 0), or times that never repeat a
// step, whose phases are computed outright (argument 1).
void BM_wave_update_64(benchmark::State &state) {
    static kernel_t kernel;
    fft_wave_texture_t wave(64, 64, "/procedural/water_noise.tobj", fft_wave_texture_t::NORMALS_Z_UP);
    if (!wave.is_valid()) {
        state.SkipWithError("no wave texture");
        return;
    }
    const bool irregular = state.range(0) != 0;
    float time = 0.0f;
    uint32_t n = 0;
    for (auto _ : state) {
        time += irregular ? 0.04f + 0.001f * float(n++ % 7) : 0.04f;
        wave.update(time);
        // The renderer takes the texels, so that every update computes new ones.
        r_texobj_take_changes();
        benchmark::DoNotOptimize(wave.get_texels(0));
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 64 * 64);
    state.SetLabel(irregular ? "phases computed outright" : "phases stepped");
}
BENCHMARK(BM_wave_update_64)->Arg(0)->Arg(1);

}  // namespace
