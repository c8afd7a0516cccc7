// One frame of a hunt as the game runs it, with round 1 on "valley" at its busiest:
// the game process made and started as the program starts it (its data, variables,
// devices: the renderer plug-in "lib/gl", the sound plug-in, the UI with the HUD), the
// hunt of "init_round 1" with the player and the shipped rifle, 20 of the round's
// animal targets walking their trails, and an AI herd of 20 whitetails (four herds of
// five) living on the map beside them. One iteration is one frame of 40 ms: the
// scene's update (the hunt, its round and targets, the AI world and its animals, the
// player), the scene drawn into "lib/gl" (the sky, the scene, the visual objects, the
// held rifle), and the UI (the HUD, the animals' markers). The counters give each
// share in microseconds; the rest of a scheduler pass (the sound and memory
// processes, the shader updaters, the garbage) runs between the timed parts.
//
// No outside peer does this work: the goal is a frame below 1 ms on one core, against
// the 16.7 ms of a frame at 60 Hz.
#include <benchmark/benchmark.h>

#include <chrono>

#include "game/hunt/hunt_ctrl.h"
#include "game/process/game_process.h"
#include "hunt_range.h"
#include "kernel/process_table.h"
#include "kernel/sound.h"
#include "kernel/sys.h"

namespace {

using namespace quarn;
using bench::hunt_range_t;
using bench::live_targets;

using clock_type = std::chrono::steady_clock;

double micro(clock_type::time_point a, clock_type::time_point b) {
    return std::chrono::duration<double, std::micro>(b - a).count();
}

void BM_hunt_frame(benchmark::State &state) {
    hunt_range_t &r = bench::hunt_range();
    if (!r.ok) {
        state.SkipWithError("round 1 does not reach 20 targets with the herd");
        return;
    }
    double update = 0.0, draw = 0.0, ui = 0.0, targets = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        kernel_step();
        r.game->update(sys_get_lastdelta());
        state.ResumeTiming();
        const auto t0 = clock_type::now();
        r.hunt->update(float(r.game->get_frame_time()));
        const auto t1 = clock_type::now();
        r.game->begin_render();
        r.game->render_scene();
        const auto t2 = clock_type::now();
        r.game->render_ui();
        r.game->end_render();
        const auto t3 = clock_type::now();
        update += micro(t0, t1);
        draw += micro(t1, t2);
        ui += micro(t2, t3);
        state.PauseTiming();
        r.game->system();
        snd_update_state();
        targets += double(live_targets(r.hunt));
        state.ResumeTiming();
    }
    const double n = double(state.iterations());
    state.counters["update_us"] = update / n;
    state.counters["draw_us"] = draw / n;
    state.counters["ui_us"] = ui / n;
    state.counters["targets"] = targets / n;
    state.counters["share_of_60hz_pct"] = (update + draw + ui) / n / 16666.7 * 100.0;
    state.SetLabel("frames");
}
BENCHMARK(BM_hunt_frame)->Unit(benchmark::kMicrosecond)->Iterations(500);

}  // namespace
