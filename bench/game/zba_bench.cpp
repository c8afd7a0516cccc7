// Behaviour programs: compiling every behaviour of the whitetail's behaviour file (the
// one the program carries), and one frame of 100 processes of 4 threads each over
// channels that only count the calls. Rates are programs per second and thread steps
// per second. No outside peer does this work; the goal is below 1 µs per thread step.
// Animation instances: a herd of 64 whitetail instances changing posture at every end
// (stand, walk, gallop, lay and back: transitions from the plan cache), a frame each
// iteration, and the planning of a transition itself. Goals: a herd frame below 1 ms,
// a plan below 10 µs.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench_support.h"
#include "embedded_archive.h"
#include "game/ai/zba/zba_compile.h"
#include "game/ai/zba/zba_host.h"
#include "game/ai/zba/zba_inst.h"
#include "game/ai/zba/zba_model_source.h"
#include "game/ai/zba/zba_parse.h"
#include "game/ai/zba/zba_proc.h"
#include "game/ai/zba/zba_resources.h"
#include "game/ai/zba/zba_transition.h"
#include "kernel/memory/m_server.h"
#include "kernel/process_table.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "qrncore/units/unit_system.h"
#include "support/fake_item.h"

namespace {

using namespace quarn;

// Every descriptor a stand-in, every animation one second long.
class any_model_t : public zba_model_source_t {
public:
    c_item_t *obtain_descriptor(const char *) override {
        descriptor.add_ref();
        return &descriptor;
    }
    bool animation_length(const char *, float *seconds) override {
        *seconds = 1.0f;
        return true;
    }
    test::fake_item_t descriptor;
};

// Channels that accept every call and count them.
class counting_channels_t : public zba_channels_t {
public:
    bool is_loaded() const override { return true; }
    int32_t play(const zba_animation_t &, uint32_t, uint32_t, int32_t, float) override { return int32_t(calls++ & 63); }
    void set_weight(int32_t, float) override { ++calls; }
    void advance(int32_t, float) override { ++calls; }
    void set_stop_frame(int32_t, int32_t) override { ++calls; }
    void stop(int32_t) override { ++calls; }
    void resume(int32_t) override { ++calls; }
    void free(int32_t) override { ++calls; }
    void set_flags(int32_t, uint32_t) override { ++calls; }
    uint64_t calls = 0;
};

// A parsed behaviour file standing as a loaded item.
struct loaded_file_t {
    explicit loaded_file_t(bool (*parse)(zba_parser_t &)) {
        ok = parse(parser) && zba_info_t(parser.image()).init(&models);
        item.flags = c_item_t::MEMORY_VALID | c_item_t::MLRU_DISALLOWED;
        item.data = parser.image();
        item.size = parser.image_size();
    }
    zba_info_t info() { return zba_info_t(parser.image()); }

    zba_parser_t parser;
    any_model_t models;
    test::fake_item_t item;
    bool ok = false;
};

// The memory manager's process and the program's archive, once.
struct kernel_t {
    kernel_t() {
        process_table_setup();
        bench::start_once(mm_init);
        fs_startup();
        fs_set_archive_factory(zip_device_create);
        mount();
    }
    // The program's archive, again when a benchmark that ran since then started the
    // file system anew.
    static void mount() {
        if (!fs_file_exists(WHITETAIL, FS_REALM_VIRTUAL))
            ufs_mount_romfs(fernwold_builtin_archive, uint32_t(fernwold_builtin_archive_size), "", 55);
    }
    static constexpr const char *WHITETAIL = "/model/animal/whitetail/animal.zba";
};

loaded_file_t &whitetail() {
    static kernel_t kernel;
    static loaded_file_t file([](zba_parser_t &p) { return p.parse_file("/model/animal/whitetail/animal.zba"); });
    return file;
}

void BM_zba_compile_whitetail(benchmark::State &state) {
    loaded_file_t &file = whitetail();
    if (!file.ok) {
        state.SkipWithError("the whitetail's behaviour file does not load");
        return;
    }
    const int32_t count = int32_t(file.info().behavior_count());
    int64_t compiled = 0;
    for (auto _ : state) {
        for (int32_t b = 0; b < count; ++b) {
            c_item_ptr_t program = zba_compile(&file.item, &b, 1, nullptr, 0, nullptr, 0);
            compiled += program ? 1 : 0;
        }
        state.PauseTiming();
        unit_system_t::clean_garbage();
        state.ResumeTiming();
    }
    if (compiled != int64_t(state.iterations()) * count) state.SkipWithError("a behaviour did not compile");
    state.SetItemsProcessed(state.iterations() * count);
    state.SetLabel("programs");
}
BENCHMARK(BM_zba_compile_whitetail);

// Four channels, each an animation with a weight envelope that lasts far longer than
// the run, so every step moves the weight and the channel.
const char *const four_channels = R"("m" : "m.zmd" {
  features { "body" { "stand" } }
  animations { "a" : "a.zma" }
  behaviors {
    "four" { channels {
      "c0" { 0 anim { anim : "a" length : "100000" s_weight : "0" e_weight : "1" } }
      "c1" { 0 anim { anim : "a" length : "90000" s_weight : "1" e_weight : "0" } }
      "c2" { 0 anim { anim : "a" length : "80000" s_weight : "0.2" e_weight : "0.9" } }
      "c3" { 0 anim { anim : "a" length : "70000" s_weight : "0.9" e_weight : "0.1" } } } }
  }
})";

void BM_zba_step_processes(benchmark::State &state) {
    static kernel_t kernel;
    loaded_file_t file([](zba_parser_t &p) {
        const std::string text = four_channels;
        return p.parse_text(text.c_str(), text.size(), "/bench/four.zba");
    });
    const int32_t four = 0;
    const c_item_ptr_t program = zba_compile(&file.item, &four, 1, nullptr, 0, nullptr, 0);
    if (!file.ok || !program) {
        state.SkipWithError("the four-channel behaviour does not compile");
        return;
    }
    counting_channels_t channels;
    {
        zba_host_t host(&file.item, &channels);
        constexpr int PROCESSES = 100;
        for (int i = 0; i < PROCESSES; ++i) zba_clone(host, program.get(), nullptr, 0);
        host.update(1.0f / 60.0f);  // past the pre-run's anm
        for (auto _ : state) host.update(1.0f / 60.0f);
        state.SetItemsProcessed(state.iterations() * PROCESSES * 4);
        state.SetLabel("thread steps");
    }
    unit_system_t::clean_garbage();
}
BENCHMARK(BM_zba_step_processes);

// Each end starts the next posture of the round on the same channel.
class posture_cycle_t : public zba_listener_t {
public:
    void notify(uint32_t kind, zba_value_t, uint32_t channel) override {
        if (kind != ZBA_NOTICE_ENDED) return;
        next = (next + 1) % count;
        inst->play_behavior(postures[next], channel, false);
        ++ends;
    }
    zba_inst_t *inst = nullptr;
    int32_t postures[7] = {};
    uint32_t count = 0;
    uint32_t next = 0;
    uint64_t ends = 0;
};

// The whitetail as the ".zba" resource, every model a stand-in.
struct whitetail_resource_t {
    whitetail_resource_t() {
        static kernel_t kernel;
        kernel_t::mount();
        zba_set_model_source(&models);
        c_item_t *item = mm_obtain_resource(MM_NAMED_LOAD_REF, kernel_t::WHITETAIL, &zba_u::unit_descriptor);
        file = item;
        if (item) item->release_ref();
    }
    ~whitetail_resource_t() {
        file.release();
        zba_free_unreferenced();
        unit_system_t::clean_garbage();
        zba_set_model_source(nullptr);
    }
    any_model_t models;
    c_item_ptr_t file;
};

void BM_zba_inst_herd(benchmark::State &state) {
    whitetail_resource_t whitetail;
    const zba_info_t info = zba_u::info_of(whitetail.file.get());
    if (info.is_null()) {
        state.SkipWithError("the whitetail's behaviour file does not load");
        return;
    }
    constexpr int HERD = 64;
    counting_channels_t channels;
    {
        std::vector<posture_cycle_t> listeners(HERD);
        std::vector<c_item_ptr_t> herd;
        const char *const round[] = {"stand", "walk", "gallop", "lay", "gallop", "walk", "stand"};
        for (int i = 0; i < HERD; ++i) {
            posture_cycle_t &l = listeners[size_t(i)];
            for (const char *name : round) l.postures[l.count++] = info.find_behavior(name);
            herd.push_back(zba_inst_t::create_on(whitetail.file.get(), &channels, &l, 5));
            l.inst = zba_inst_t::of(herd.back().get());
            if (!l.inst) {
                state.SkipWithError("no instance");
                return;
            }
            // Spread out: each starts at another point of the round.
            l.next = uint32_t(i) % l.count;
            l.inst->play_behavior(l.postures[l.next], 0, false);
        }
        for (auto _ : state)
            for (int i = 0; i < HERD; ++i) zba_inst_update_item(herd[size_t(i)].get(), 1.0f / 60.0f);
        uint64_t ends = 0;
        for (const posture_cycle_t &l : listeners) ends += l.ends;
        state.SetItemsProcessed(state.iterations() * HERD);
        state.SetLabel("instance updates (" + std::to_string(ends) + " postures ended)");
    }
}
BENCHMARK(BM_zba_inst_herd);

void BM_zba_plan_transition(benchmark::State &state) {
    whitetail_resource_t whitetail;
    const zba_info_t info = zba_u::info_of(whitetail.file.get());
    const int32_t lay_look = info.is_null() ? -1 : info.find_behavior("lay_look");
    const int32_t walk = info.is_null() ? -1 : info.find_behavior("walk");
    if (lay_look < 0 || walk < 0) {
        state.SkipWithError("the whitetail's behaviour file does not load");
        return;
    }
    // From a stand to lying with the head down (the complex transition), and from
    // lying to walking (simple ones).
    const uint8_t standing[2] = {0, 2}, lying[2] = {1, 4};
    zba_transition_plan_t plan;
    int64_t planned = 0;
    for (auto _ : state) {
        planned += zba_plan_transition(info, standing, info.behavior(uint32_t(lay_look)), plan) ? 1 : 0;
        planned += zba_plan_transition(info, lying, info.behavior(uint32_t(walk)), plan) ? 1 : 0;
    }
    if (planned != 2 * int64_t(state.iterations())) state.SkipWithError("a plan failed");
    state.SetItemsProcessed(state.iterations() * 2);
    state.SetLabel("plans");
}
BENCHMARK(BM_zba_plan_transition);

}  // namespace
