#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <unordered_map>
#include <vector>

#include "qrncore/collections/bmem_manager.h"
#include "qrncore/collections/vptrhash.h"

namespace {

// Keys as the engine meets them: unit class identifiers and the components of paths
// inside game archives.
const std::vector<std::string> &key_set() {
    static const std::vector<std::string> keys = [] {
        static const char *const areas[] = {"animal", "weapon", "sound",  "render", "input",  "terrain", "vehicle", "hunter",
                                            "ai",     "net",    "ui",     "physics", "effect", "model",   "camera"};
        static const char *const things[] = {"deer", "boar",  "moose", "rabbit", "duck",  "rifle", "shotgun",
                                             "bow",  "scope", "call",  "track",  "scent", "blind", "stand",
                                             "bush", "tree",  "rock",  "water",  "wind",  "light"};
        static const char *const kinds[] = {"_t", "_u", "_desc_t", "_proxy_t", "_state_u"};
        static const char *const exts[] = {".mdl", ".tga", ".wav", ".rzr", ".dep", ".png"};
        std::vector<std::string> out;
        for (const char *a : areas)
            for (const char *t : things)
                for (const char *k : kinds) out.push_back(std::string(a) + "_" + t + k);
        for (const char *t : things)
            for (int n = 0; n < 12; ++n)
                for (const char *e : exts) out.push_back(std::string(t) + "_" + std::to_string(n) + e);
        for (const char *a : areas) out.push_back(a);
        for (const char *d : {"data", "models", "textures", "sounds", "levels", "scripts", "shaders", "lod0", "lod1"})
            out.push_back(d);
        return out;
    }();
    return keys;
}

void *value_of(size_t i) { return reinterpret_cast<void *>(i + 1); }

void bm_vptrhash_put(benchmark::State &state) {
    const auto &keys = key_set();
    for (auto _ : state) {
        quarn::vptrhash_t table;
        for (size_t i = 0; i < keys.size(); ++i) table.put(keys[i].data(), keys[i].size(), value_of(i));
        benchmark::DoNotOptimize(table.get_count());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(keys.size()));
}

void bm_unordered_map_put(benchmark::State &state) {
    const auto &keys = key_set();
    for (auto _ : state) {
        std::unordered_map<std::string, void *> table;
        for (size_t i = 0; i < keys.size(); ++i) table[keys[i]] = value_of(i);
        benchmark::DoNotOptimize(table.size());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(keys.size()));
}

void bm_vptrhash_find(benchmark::State &state) {
    const auto &keys = key_set();
    quarn::vptrhash_t table;
    for (size_t i = 0; i < keys.size(); ++i) table.put(keys[i].data(), keys[i].size(), value_of(i));
    for (auto _ : state)
        for (const std::string &key : keys) benchmark::DoNotOptimize(table.find(key.data(), key.size()));
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(keys.size()));
}

void bm_unordered_map_find(benchmark::State &state) {
    const auto &keys = key_set();
    std::unordered_map<std::string, void *> table;
    for (size_t i = 0; i < keys.size(); ++i) table[keys[i]] = value_of(i);
    for (auto _ : state)
        for (const std::string &key : keys) benchmark::DoNotOptimize(table.find(key)->second);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(keys.size()));
}

// Blocks the size of a pointer-list node, taken in a burst and given back in reverse.
constexpr size_t BLOCK = 24;

void bm_bmem_alloc_free(benchmark::State &state) {
    const size_t n = size_t(state.range(0));
    quarn::bmem_manager_t pool;
    pool.set_pars(BLOCK, 64);
    std::vector<void *> blocks(n);
    for (auto _ : state) {
        for (size_t i = 0; i < n; ++i) blocks[i] = pool.alloc();
        benchmark::DoNotOptimize(blocks.data());
        for (size_t i = n; i > 0; --i) pool.free(blocks[i - 1]);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(n));
}

void bm_malloc_free(benchmark::State &state) {
    const size_t n = size_t(state.range(0));
    std::vector<void *> blocks(n);
    for (auto _ : state) {
        for (size_t i = 0; i < n; ++i) blocks[i] = malloc(BLOCK);
        benchmark::DoNotOptimize(blocks.data());
        for (size_t i = n; i > 0; --i) free(blocks[i - 1]);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(n));
}

}  // namespace

BENCHMARK(bm_vptrhash_put);
BENCHMARK(bm_unordered_map_put);
BENCHMARK(bm_vptrhash_find);
BENCHMARK(bm_unordered_map_find);
BENCHMARK(bm_bmem_alloc_free)->Arg(16)->Arg(1024);
BENCHMARK(bm_malloc_free)->Arg(16)->Arg(1024);
