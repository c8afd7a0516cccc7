// The weather's per-frame work: a full rain (2000 drops) and a full snow (2000 flakes)
// moved with a walking camera and written into their packets, as every frame does
// while it rains or snows. Rates are particles per second (a step and a draw each).
// No outside peer does this work.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "game/world/rain.h"
#include "game/world/snow.h"
#include "kernel/gfx/gfx.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"

namespace {

using namespace quarn;

// A unit system of its own, the front-end's records, and the layer attached (without
// a memory manager there is no material: its prototype is written, never queued).
// Swallows what is logged while it exists.
class quiet_t : public message_handler_t {
public:
    void process_message(const string &, message_t::type_t) override {}
};

template <class L>
struct full_layer_t {
    full_layer_t() : system(bank) {
        previous = unit_system_t::get_default();
        system.set_default();
        bench::start_once(gfx_start);
        layer.reset(L::create().take());
        layer->attach(nullptr);
        layer->get_layer().switch_on();
        layer->set_intensity(1.0f);
    }
    // The graphics front-end stays for the benchmarks after this one, and the unit
    // system that was the default is the default again.
    ~full_layer_t() {
        layer.reset();
        unit_system_t::clean_garbage();
        if (previous) previous->set_default();
    }
    unit_system_t *previous = nullptr;
    unit_bank_t bank;
    unit_system_t system;
    owner_ptr_t<L> layer;
};

template <class L>
void weather_frame(benchmark::State &state) {
    quiet_t quiet;  // the missing material is logged
    full_layer_t<L> full;
    L &layer = *full.layer;
    float x = 0.0f;
    for (auto _ : state) {
        x += 0.07f;
        layer.move_with_camera({0.07f, 0.0f, 0.02f});
        layer.set_camera_position({x, 1.7f, 0.0f});
        layer.update(0.016f);
        layer.draw();
        benchmark::DoNotOptimize(layer.get_layer().get_geometry().positions[0]);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * layer.get_layer().get_active_count());
}

void BM_rain_frame(benchmark::State &state) { weather_frame<rain_u>(state); }
void BM_snow_frame(benchmark::State &state) { weather_frame<snow_u>(state); }
BENCHMARK(BM_rain_frame);
BENCHMARK(BM_snow_frame);

}  // namespace
