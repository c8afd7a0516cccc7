#include <benchmark/benchmark.h>

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/collections/list_dyn.h"
#include "qrncore/strings/string_dyn.h"

namespace {

constexpr int ELEMENTS = 4096;

// Growth one element at a time along the 2c + 2 series, beside std::vector's.
void bm_array_dyn_append(benchmark::State &state) {
    for (auto _ : state) {
        quarn::array_dyn_t<uint32_t> a;
        for (uint32_t i = 0; i < ELEMENTS; ++i) a.append(i);
        benchmark::DoNotOptimize(a.get_data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ELEMENTS);
}

void bm_vector_push_back(benchmark::State &state) {
    for (auto _ : state) {
        std::vector<uint32_t> v;
        for (uint32_t i = 0; i < ELEMENTS; ++i) v.push_back(i);
        benchmark::DoNotOptimize(v.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ELEMENTS);
}

// Checked access: a compare and an address computation per element.
void bm_array_dyn_index(benchmark::State &state) {
    quarn::array_dyn_t<uint32_t> a;
    for (uint32_t i = 0; i < ELEMENTS; ++i) a.append(i);
    for (auto _ : state) {
        uint64_t sum = 0;
        for (uint32_t i = 0; i < ELEMENTS; ++i) sum += a[i];
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ELEMENTS);
}

void bm_vector_index(benchmark::State &state) {
    std::vector<uint32_t> v;
    for (uint32_t i = 0; i < ELEMENTS; ++i) v.push_back(i);
    for (auto _ : state) {
        uint64_t sum = 0;
        for (uint32_t i = 0; i < ELEMENTS; ++i) sum += v[i];
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ELEMENTS);
}

// Owned texts move by handing their buffers over when the storage grows.
void bm_array_dyn_texts(benchmark::State &state) {
    for (auto _ : state) {
        quarn::array_dyn_t<quarn::mstring_dyn_t> a;
        for (int i = 0; i < ELEMENTS; ++i) a.append(quarn::mstring_dyn_t("/textures/animal_deer_skin.tga"));
        benchmark::DoNotOptimize(a.get_data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ELEMENTS);
}

void bm_vector_strings(benchmark::State &state) {
    for (auto _ : state) {
        std::vector<std::string> v;
        for (int i = 0; i < ELEMENTS; ++i) v.emplace_back("/textures/animal_deer_skin.tga");
        benchmark::DoNotOptimize(v.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ELEMENTS);
}

// Pooled nodes: one host call per block instead of one per node.
void bm_list_dyn_append_clear(benchmark::State &state) {
    quarn::list_dyn_t<void *> l(256);
    for (auto _ : state) {
        for (intptr_t i = 0; i < ELEMENTS; ++i) l.append(reinterpret_cast<void *>(i));
        l.remove_all();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ELEMENTS);
}

void bm_std_list_append_clear(benchmark::State &state) {
    std::list<void *> l;
    for (auto _ : state) {
        for (intptr_t i = 0; i < ELEMENTS; ++i) l.push_back(reinterpret_cast<void *>(i));
        l.clear();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ELEMENTS);
}

}  // namespace

BENCHMARK(bm_array_dyn_append);
BENCHMARK(bm_vector_push_back);
BENCHMARK(bm_array_dyn_index);
BENCHMARK(bm_vector_index);
BENCHMARK(bm_array_dyn_texts);
BENCHMARK(bm_vector_strings);
BENCHMARK(bm_list_dyn_append_clear);
BENCHMARK(bm_std_list_append_clear);
