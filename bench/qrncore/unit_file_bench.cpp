// Reading and writing unit files: a generated file of 100k units (about 10 MB) with
// many cross-references, read into real units and written from them. Beside it, the
// same data as JSON parsed into RapidJSON's DOM, the peer for the reading rate (the
// goal: at least half its bytes per second while building real units), each timed
// without and with letting go of what it built.
#include <benchmark/benchmark.h>
#include <rapidjson/document.h>

#include <cstdint>
#include <cstdio>
#include <string>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/qrnutils/ufs/mem_file.h"
#include "qrncore/units/unit_class.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_save.h"

namespace quarn {
namespace {

class bench_u : public unit_t {
    QRN_UNIT_CLASS(bench_u, unit_t);

public:
    int32_t m_value = 0;
    float m_weight = 0;
    vec3_t m_position;
    ref_ptr_t<unit_base_t> m_link;
    ref_ptr_t<unit_base_t> m_next;
};

}  // namespace

QRN_UNIT_DEFINE(bench_u, "bench",
                QRN_ATTR(m_value, UNIT_ATTR_INT32, "value"),
                QRN_ATTR(m_weight, UNIT_ATTR_FLOAT, "weight"),
                QRN_ATTR(m_position, UNIT_ATTR_VEC3, "pos"),
                QRN_ATTR(m_link, UNIT_ATTR_REF, "link"),
                QRN_ATTR(m_next, UNIT_ATTR_REF, "next"));

namespace {

constexpr uint32_t UNITS = 100000;

// Both peers build some tens of megabytes and let them go every iteration. The C
// runtime's heap would otherwise give that memory back to the kernel whenever its
// free top passes a threshold that moves with the history of the process, and take
// it again page by page on the next iteration: a figure of page faults, not of
// parsing, that came and went between runs (a peer's time doubled or quadrupled).
// Blocks up to the largest these iterations make come from the heap, which keeps
// what it has.
void keep_heap() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
#endif
}

struct world_t {
    world_t() : system(bank) {
        keep_heap();
        system.set_default();
        bench_u::register_class(bank);
    }
    unit_bank_t bank;
    unit_system_t system;
};

world_t &world() {
    static world_t w;
    return w;
}

// The units in memory: named, each pointing at a pseudo-random other unit and at the
// next one, so half of the references point forward in the file.
struct data_t {
    array_dyn_t<owner_ptr_t<bench_u>> units;
    std::string text;
    std::string json;

    data_t() {
        world();
        units.request_capacity(UNITS);
        uint32_t seed = 12345;
        for (uint32_t i = 0; i < UNITS; ++i) {
            units.append(owner_ptr_t<bench_u>(bench_u::create()));
            char name[32];
            snprintf(name, sizeof(name), "n.u%u", i);
            units[i]->set_name(name);
        }
        for (uint32_t i = 0; i < UNITS; ++i) {
            seed = seed * 214013u + 2531011u;
            bench_u *u = units[i].get();
            u->m_value = int32_t(seed >> 16);
            u->m_weight = float(seed & 0xFFFF) / 64.0f;
            u->m_position = {float(i), float(i % 100) * 0.5f, -1.0f};
            u->m_link = units[(seed >> 8) % UNITS].get();
            u->m_next = units[(i + 1) % UNITS].get();
        }
        text = write();
        json.reserve(text.size() + text.size() / 4);
        json.push_back('[');
        for (uint32_t i = 0; i < UNITS; ++i) {
            const bench_u *u = units[i].get();
            char line[256];
            snprintf(line, sizeof(line),
                     "%s{\"type\":\"bench\",\"name\":\"n.u%u\",\"value\":%d,\"weight\":%.9g,\"pos\":[%.9g,%.9g,%.9g],"
                     "\"link\":\"%s\",\"next\":\"n.u%u\"}\n",
                     i ? "," : "", i, u->m_value, double(u->m_weight), double(u->m_position.x),
                     double(u->m_position.y), double(u->m_position.z), u->m_link->name_text().c_str(),
                     (i + 1) % UNITS);
            json.append(line);
        }
        json.push_back(']');
    }

    std::string write() {
        auto file = mem_file_create();
        {
            unit_save_t writer(*file, UNIT_TRAVERSE_NONE);
            for (uint32_t i = 0; i < UNITS; ++i) writer.add(units[i].get());
            writer.save(UNIT_PAYLOAD_TEXT);
        }
        std::string out(size_t(file->size()), '\0');
        file->block_read(out.data(), uint32_t(out.size()), 0);
        return out;
    }
};

data_t &data() {
    static data_t d;
    return d;
}

void bm_unit_file_write(benchmark::State &state) {
    data_t &d = data();
    for (auto _ : state) {
        auto file = mem_file_create();
        unit_save_t writer(*file, UNIT_TRAVERSE_NONE);
        for (uint32_t i = 0; i < UNITS; ++i) writer.add(d.units[i].get());
        benchmark::DoNotOptimize(writer.save(UNIT_PAYLOAD_TEXT));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(d.text.size()));
    state.SetItemsProcessed(int64_t(state.iterations()) * UNITS);
}
BENCHMARK(bm_unit_file_write)->Unit(benchmark::kMillisecond);

// The units of the written file are read under other names, so they do not collide
// with the units the file was written from. With release set, letting the units go
// (the loader's reset and the garbage list) is timed too.
void unit_file_read(benchmark::State &state, bool release) {
    data_t &d = data();
    std::string text = d.text;
    for (size_t p = text.find("n.u"); p != std::string::npos; p = text.find("n.u", p + 3)) text[p] = 'r';
    auto file = mem_file_bind(text.data(), uint32_t(text.size()));
    bool ok = true;
    for (auto _ : state) {
        unit_load_t loader(*file, world().system);
        ok = loader.load() && ok;
        if (!release) state.PauseTiming();
        loader.reset();
        unit_system_t::clean_garbage();
        if (!release) state.ResumeTiming();
    }
    if (!ok) state.SkipWithError("the file did not load");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    state.SetItemsProcessed(int64_t(state.iterations()) * UNITS);
}
void bm_unit_file_read(benchmark::State &state) { unit_file_read(state, false); }
void bm_unit_file_read_release(benchmark::State &state) { unit_file_read(state, true); }
BENCHMARK(bm_unit_file_read)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_unit_file_read_release)->Unit(benchmark::kMillisecond);

// The same data into RapidJSON's DOM; its teardown is timed exactly when ours is.
void rapidjson_dom_parse(benchmark::State &state, bool release) {
    const std::string &json = data().json;
    for (auto _ : state) {
        auto *doc = new rapidjson::Document;
        doc->Parse(json.c_str(), json.size());
        benchmark::DoNotOptimize(doc->Size());
        if (!release) state.PauseTiming();
        delete doc;
        if (!release) state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(json.size()));
    state.SetItemsProcessed(int64_t(state.iterations()) * UNITS);
}
void bm_rapidjson_dom_parse(benchmark::State &state) { rapidjson_dom_parse(state, false); }
void bm_rapidjson_dom_parse_release(benchmark::State &state) { rapidjson_dom_parse(state, true); }
BENCHMARK(bm_rapidjson_dom_parse)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_rapidjson_dom_parse_release)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quarn
