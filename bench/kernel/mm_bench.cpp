// The memory manager's pool beside the C heap: allocation and freeing with many live
// blocks, a full defragmentation of a fragmented 150 MiB pool, and finding items by
// name among many.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "kernel/memory/m_manager.h"
#include "kernel/memory/m_server.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"
#include "support/fake_item.h"

namespace {

using namespace quarn;

constexpr size_t LIVE_BLOCKS = 10000;
constexpr size_t OPS = 1 << 16;
constexpr size_t MiB = size_t(1) << 20;

using test::fake_item_t;

// The work of one run: which live block to replace and the size of its successor,
// 16 to 4096 bytes.
struct churn_t {
    std::vector<uint32_t> slot;
    std::vector<uint32_t> size;
    std::vector<uint32_t> first;
    churn_t() {
        std::mt19937 rng(12345);
        std::uniform_int_distribution<uint32_t> slots(0, LIVE_BLOCKS - 1), sizes(16, 4096);
        for (size_t i = 0; i < LIVE_BLOCKS; ++i) first.push_back(sizes(rng));
        for (size_t i = 0; i < OPS; ++i) {
            slot.push_back(slots(rng));
            size.push_back(sizes(rng));
        }
    }
};
const churn_t churn;

void BM_pool_alloc_free(benchmark::State &state) {
    const size_t pool_size = 150 * MiB;
    void *pool = std::aligned_alloc(16, pool_size);
    m_manager manager(nullptr);
    manager.add_pool(pool, pool_size);
    std::vector<void *> live(LIVE_BLOCKS);
    for (size_t i = 0; i < LIVE_BLOCKS; ++i) live[i] = manager.alloc(churn.first[i], nullptr);
    size_t op = 0;
    for (auto _ : state) {
        const uint32_t s = churn.slot[op];
        manager.free(live[s]);
        live[s] = manager.alloc(churn.size[op], nullptr);
        benchmark::DoNotOptimize(live[s]);
        op = (op + 1) & (OPS - 1);
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
    for (void *p : live) manager.free(p);
    manager.remove_pool(pool);
    std::free(pool);
}
BENCHMARK(BM_pool_alloc_free);

void BM_malloc_free(benchmark::State &state) {
    std::vector<void *> live(LIVE_BLOCKS);
    for (size_t i = 0; i < LIVE_BLOCKS; ++i) live[i] = malloc(churn.first[i]);
    size_t op = 0;
    for (auto _ : state) {
        const uint32_t s = churn.slot[op];
        free(live[s]);
        live[s] = malloc(churn.size[op]);
        benchmark::DoNotOptimize(live[s]);
        op = (op + 1) & (OPS - 1);
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
    for (void *p : live) free(p);
}
BENCHMARK(BM_malloc_free);

// A full defragmentation pass over a 150 MiB pool filled with item data of 4 to 64
// KiB of which every other item has let go of its memory.
void BM_pool_defragment_full(benchmark::State &state) {
    const size_t pool_size = 150 * MiB;
    void *pool = std::aligned_alloc(16, pool_size);
    std::mt19937 rng(777);
    std::uniform_int_distribution<uint32_t> sizes(4096, 65536);
    std::vector<fake_item_t> items(3000);
    size_t moved = 0;
    for (auto _ : state) {
        state.PauseTiming();
        m_manager manager(nullptr);
        manager.add_pool(pool, pool_size);
        for (fake_item_t &item : items) manager.allocate_item_memory(&item, sizes(rng));
        moved = 0;
        for (size_t i = 0; i < items.size(); i += 2) manager.free_item_memory(&items[i]);
        for (size_t i = 1; i < items.size(); i += 2) moved += items[i].size;
        state.ResumeTiming();
        manager.defragment(SIZE_MAX);
        state.PauseTiming();
        for (size_t i = 1; i < items.size(); i += 2) manager.free_item_memory(&items[i]);
        manager.remove_pool(pool);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations() * moved));
    std::free(pool);
}
BENCHMARK(BM_pool_defragment_full)->Unit(benchmark::kMillisecond);

// Finding one of 10000 named items (each obtained once before).
void BM_obtain_by_name(benchmark::State &state) {
    const size_t pool_size = 32 * MiB;
    void *pool = std::aligned_alloc(16, pool_size);
    unit_bank_t bank;
    unit_system_t system(bank);
    m_manager manager(&system);
    manager.add_pool(pool, pool_size);
    std::vector<std::string> names;
    for (size_t i = 0; i < 10000; ++i) names.push_back("/textures/terrain/tile_" + std::to_string(i) + ".tga");
    for (const std::string &n : names) manager.obtain(MM_NAMED, n.c_str(), &plain_u::unit_descriptor, 0);
    std::mt19937 rng(99);
    std::vector<uint32_t> order(OPS);
    for (uint32_t &o : order) o = rng() % names.size();
    size_t op = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(manager.obtain(MM_NAMED, names[order[op]].c_str(), &plain_u::unit_descriptor, 0));
        op = (op + 1) & (OPS - 1);
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
    manager.remove_unreferenced(-1, nullptr);
    manager.remove_pool(pool);
    unit_system_t::clean_garbage();
    std::free(pool);
}
BENCHMARK(BM_obtain_by_name);

}  // namespace
