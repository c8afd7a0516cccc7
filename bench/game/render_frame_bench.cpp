// One frame of round 1's hunt (the scene of hunt_range.h) drawn by the renderer
// plug-in "lib/gl" in the game's mode, 1024 x 768, off-screen on Mesa's software
// rasteriser: the sky, the scene, the visual objects, the held rifle and the UI, then
// one pixel read back, which waits until the rasteriser has finished the frame. The
// scene's update runs outside the timing. Counters: the draws, program changes and
// texture binds of a frame (r_stats_t).
//
// The goal is 33 ms or less a frame on 8 cores (30 frames a second on the software
// rasteriser); no outside peer draws this scene.
#include <benchmark/benchmark.h>

#include "game/hunt/hunt_ctrl.h"
#include "game/process/game_process.h"
#include "hunt_range.h"
#include "kernel/gfx.h"
#include "kernel/process_table.h"
#include "kernel/sound.h"
#include "kernel/sys.h"

namespace {

using namespace quarn;

void BM_render_frame(benchmark::State &state) {
    bench::hunt_range_t &r = bench::hunt_range();
    if (!r.ok) {
        state.SkipWithError("round 1 does not reach 20 targets with the herd");
        return;
    }
    r_context_t *context = r.game->get_context();
    int32_t width = 0, height = 0;
    if (context) context->get_size(&width, &height);
    uint8_t probe[3];
    if (!context || !context->device || !context->device->read_pixels(probe, r_rect_t{0, 0, 1, 1})) {
        state.SkipWithError("the renderer does not draw here (no OpenGL)");
        return;
    }
    double draws = 0.0, programs = 0.0, binds = 0.0, vertices = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        kernel_step();
        r.game->update(sys_get_lastdelta());
        r.hunt->update(float(r.game->get_frame_time()));
        gfx_reset_stats(context);
        state.ResumeTiming();
        r.game->begin_render();
        r.game->render_scene();
        r.game->render_ui();
        r.game->end_render();
        context->device->read_pixels(probe, r_rect_t{0, 0, 1, 1});
        state.PauseTiming();
        const r_stats_t s = context->get_stats();
        draws += s.draws;
        programs += s.program_changes;
        binds += s.texture_binds;
        vertices += s.vertices;
        r.game->system();
        snd_update_state();
        state.ResumeTiming();
    }
    const double n = double(state.iterations());
    state.counters["draws"] = draws / n;
    state.counters["program_changes"] = programs / n;
    state.counters["texture_binds"] = binds / n;
    state.counters["vertices"] = vertices / n;
    state.counters["width"] = width;
    state.counters["height"] = height;
    state.SetLabel("frames");
}
BENCHMARK(BM_render_frame)->Unit(benchmark::kMillisecond)->Iterations(100);

}  // namespace
