// One frame of a hunt as the game runs it, on round 1 of "valley": the game process
// made and started as the program starts it (its data, variables, devices: the
// renderer plug-in "lib/gl", the sound plug-in, the UI with the HUD), the hunt of
// "init_round 1" with the player and the shipped rifle, the round's animal targets
// walking their trails, and an AI herd of whitetails (herds of five) living on the
// map beside them. The arguments are the targets walking when the timing starts and
// the animals of the herd. One iteration is one frame of 40 ms: the scene's update
// (the hunt, its round and targets, the AI world and its animals, the player), the
// scene drawn into "lib/gl" (the sky, the scene, the visual objects, the held rifle),
// the UI (the HUD, the animals' markers) and the water's wave texture (which the
// shader library's updaters otherwise update in the scheduler pass). The counters
// give each share in microseconds of processor time, and budget_us the update, UI
// and wave together; the rest of a scheduler pass (the sound and memory processes,
// the garbage) runs between the timed parts.
//
// Every repetition boots the game and starts the round in a child process of its
// own, with the same seed, and plays the same frames: the round never ends inside the
// timing, and the game's global state (current controller, mounts, graphics device)
// never meets the other benchmarks'. The time of an iteration is its frame's
// processor time (update, scene, UI and wave), measured in the child.
//
// No outside peer does this work: the goal is a frame below 1 ms on one core, against
// the 16.7 ms of a frame at 60 Hz, and the update, UI and wave below 0.5 ms.
// BM_round_start times the start of each map's first round (its load) in a game
// booted the same way. BM_render_frame times the same frame drawn by the renderer
// plug-in "lib/gl" at the game's mode (1024 x 768) off-screen on Mesa's software
// rasteriser, with 20 targets and a herd of 20: the sky, the scene, the visual
// objects, the held rifle and the UI, then one pixel read back, which waits until the
// rasteriser has finished the frame; wall-clock time, as the rasteriser draws on
// threads of its own. Its counters are the draws, program changes and texture binds
// of a frame; its goal is 33 ms or less on 8 cores (30 frames a second).
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <list>
#include <vector>
#include <string>

#include "bench_support.h"
#include "game/cameras/trail_camera.h"
#include "game/game_data.h"
#include "game/game_module.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/process/game_process.h"
#include "game/round/round_logic.h"
#include "game/round/trail_use.h"
#include "game/visuals/shaders/fft_wave_texture.h"
#include "game/visuals/shaders/shaderlib.h"
#include "game/scene/current_ctrl.h"
#include "kernel/console/commands.h"
#include "kernel/fixed_clock.h"
#include "kernel/gfx/gfx.h"
#include "kernel/input/input.h"
#include "kernel/memory/m_server.h"
#include "kernel/memory/mem_sys.h"
#include "kernel/plugins.h"
#include "kernel/process_table.h"
#include "kernel/sound/sound.h"
#include "kernel/sys.h"
#include "outside/ctlbase/ctlbase.h"
#include "outside/qrnshared/def_pool.h"
#include "outside/qrnshared/qrnshared.h"
#include "outside/sonbase/sonbase.h"
#include "outside/visbase/visbase.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/dl_lib.h"
#include "qrncore/system/init.h"
#include "qrncore/numerics/random.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_system.h"

namespace {

using namespace quarn;
namespace fs = std::filesystem;

constexpr uint32_t STEP_USEC = 40000;
constexpr uint32_t FRAMES = 500;
constexpr const char *HERD_KEYS[4] = {"val_hunger: \"0.8\"", "val_hunger: \"0.8\"", "val_hunger: \"0.8\"", "val_hunger: \"0.8\""};

class quiet_t : public message_handler_t {
public:
    void process_message(const string &, message_t::type_t) override {}
};

// The round's live animal targets.
uint32_t live_targets(hunt_ctrl_u *hunt) {
    uint32_t n = 0;
    round_logic_u *round = hunt ? hunt->get_round() : nullptr;
    for (uint32_t t = 0; round && t < round->get_trail_count(); ++t) n += round->get_trail(t)->get_animal_count();
    return n;
}

// The kernel's boot up to its plug-ins (kernel_boot's steps, on the fixed clock, in
// the program's folder and fresh user folders), the device plug-ins, the game module
// and its process started as "lib/game"'s execution starts it. Each repetition then
// starts round 1 (start_round).
struct hunt_range_t {
    hunt_range_t() {
        quiet_t quiet;
        const std::string bin = bench::bin_dir();
        const std::string folders = bench::scratch_folder("fernwold_hunt_bench");
        if (folders.empty()) return;
        fs::create_directories(fs::path(folders) / "documents");
        fs::create_directories(fs::path(folders) / "config");
        fs::create_directories(fs::path(folders) / "runtime");
        setenv("XDG_DOCUMENTS_DIR", (fs::path(folders) / "documents").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (fs::path(folders) / "config").c_str(), 1);
        // The sound library's client keeps its runtime files there, not in a folder of
        // its own in the system's temporary folder.
        setenv("XDG_RUNTIME_DIR", (fs::path(folders) / "runtime").c_str(), 1);
        if (chdir(bin.c_str()) != 0) return;
        fixed_clock_start(STEP_USEC);

        static const char *const argv[] = {"fernwold"};
        cdl_init(1, argv);
        qrncore_init(mem_sys_alloc, mem_sys_alloc, mem_sys_free, mem_sys_free, false);
        void *self = dl_lib_t::get_main_handle();
        qrnshared_init(self);
        visbase_init(self);
        sonbase_init(self);
        ctlbase_init(self);
        process_table_setup();
        sys_init();
        cmd_register_builtins();
        bench::start_once(mm_init);
        qrnshared_startup();
        inp_start();
        bench::start_once(gfx_start);
        snd_start(get_engine_ubank(), get_engine_usystem());
        for (const char *plugin : {"lib/snddev", "lib/loaders", "lib/gl"})
            if (!dll_register(plugin)) return;
        if (!dll_register("lib/game")) return;
        game = new game_process_t;
        game_module_set_mode(GAME_MODULE_RUNNING);
        game->init();
        pass();
        if (!definitions.read_from("/def/game.def")) return;
        // The wave texture is updated with the frame's timed parts, not in the pass.
        wave = game_wave_texture();
        if (!wave) return;
        shaderlib_remove_updater(wave);
        ready = true;
    }

    // "init_round 1" (anew from the second time on), with the global random source
    // seeded alike each time, the intro skipped, the herd of `herd` animals, and
    // frames until `targets` targets walk. False when the round does not get there.
    bool start_round(uint32_t targets, int herd) {
        quiet_t quiet;
        if (!ready) return false;
        v_seed(1);
        cmd_execute("init_round 1");
        hunt = nullptr;
        // The new hunt is the current controller still in its intro.
        for (int i = 0; i < 200 && !hunt; ++i) {
            pass();
            auto *current = unit_cast<hunt_ctrl_u>(get_current_ctrl());
            if (current && !current->is_intro_over()) hunt = current;
        }
        if (!hunt) return false;
        game->set_controller_running(true);
        for (int i = 0; i < 100 && !hunt->is_intro_over(); ++i) {
            if (auto *intro = dynamic_cast<trail_camera_t *>(hunt->get_view())) intro->reset_interpolation();
            pass();
        }
        if (!hunt->is_intro_over()) return false;

        if (herd > 0) {
            // The animals keep reading their definitions: every herd's stays for the run.
            def_pool_t &mission = missions.emplace_back();
            const std::string text = bench::whitetail_herds(HERD_KEYS, herd);
            if (!mission.read_text(text.data(), text.size(), "/bench/herd.def")) return false;
            ai_world_t *ai = hunt->get_ai_navigation();
            if (!ai) return false;
            ai->create_animals(mission.find("animals"), &definitions);
            if (ai->get_animal_count() != uint32_t(herd)) return false;
        }
        for (int i = 0; i < 3000 && live_targets(hunt) < targets; ++i) pass();
        wave_time = 0.0f;
        return live_targets(hunt) >= targets && hunt->get_state() == hunt_ctrl_u::STATE_RUNNING;
    }

    // A scheduler pass: every process, then the game's (outside the scheduler, so
    // that the benchmark can time the parts of its frame) as the scheduler runs one,
    // and the wave texture as the shader library's updaters would.
    void pass() {
        kernel_step();
        game->update(sys_get_lastdelta());
        game->frame();
        game->system();
        if (wave) wave->update(next_wave_time());
    }

    float next_wave_time() { return wave_time += float(STEP_USEC) * 1e-6f; }

    game_process_t *game = nullptr;
    hunt_ctrl_u *hunt = nullptr;
    fft_wave_texture_t *wave = nullptr;
    float wave_time = 0.0f;
    def_pool_t definitions;
    std::list<def_pool_t> missions;
    bool ready = false;
};

hunt_range_t &range() {
    static hunt_range_t *r = new hunt_range_t;
    return *r;
}

// The parts are timed on the thread's processor clock: on a busy shared machine the
// wall clock also counts the time other programs had the core.
double cpu_micro() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) * 1e-3;
}

// One frame's parts in microseconds of processor time, and the targets walking.
struct frame_report_t {
    double update, draw, ui, wave;
    uint32_t targets;
    // Drawn frames only: what the renderer counted.
    r_stats_t stats;
};

// Frames of round 1 with `targets` walking and a herd of `herd`; or, with `round`
// above 0, starts of that round; with `drawn` set, frames drawn by the renderer.
struct request_t {
    uint32_t targets;
    int32_t herd;
    int32_t round;
    int32_t drawn;
};
// A frame's report, or with done set the end of a request's frames.
struct message_t {
    uint32_t done;
    frame_report_t frame;
};

// In the child: boots, starts the round and plays the frames, sending one report a
// frame (none when the round does not get going). A round that ended inside the
// frames says so with targets = UINT32_MAX on the last report.
void play_frames(int out, uint32_t targets, int herd) {
    hunt_range_t &r = range();
    if (!r.start_round(targets, herd)) return;
    for (uint32_t f = 0; f < FRAMES; ++f) {
        kernel_step();
        r.game->update(sys_get_lastdelta());
        const float wave_time = r.next_wave_time();
        const double t0 = cpu_micro();
        r.hunt->update(float(r.game->get_frame_time()));
        const double t1 = cpu_micro();
        r.game->begin_render();
        r.game->render_scene();
        const double t2 = cpu_micro();
        r.game->render_ui();
        const double t3 = cpu_micro();
        // The frame's end (the renderer finishing and presenting it) is drawing, not
        // the UI's work, though it comes after the UI.
        r.game->end_render();
        const double t4 = cpu_micro();
        r.wave->update(wave_time);
        const double t5 = cpu_micro();
        r.game->system();
        snd_update_state();
        message_t m{0, {t1 - t0, (t2 - t1) + (t4 - t3), t3 - t2, t5 - t4, live_targets(r.hunt), {}}};
        if (f + 1 == FRAMES && r.hunt->get_state() != hunt_ctrl_u::STATE_RUNNING) m.frame.targets = UINT32_MAX;
        if (write(out, &m, sizeof m) != ssize_t(sizeof m)) return;
    }
}

double wall_micro() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) * 1e-3;
}

constexpr uint32_t DRAWN_FRAMES = 60;

// In the child: boots, starts the round and draws DRAWN_FRAMES frames, sending each
// one's wall-clock time in frame.draw and the renderer's counts (none when the
// renderer does not draw here).
void draw_frames(int out, uint32_t targets, int herd) {
    hunt_range_t &r = range();
    if (!r.start_round(targets, herd)) return;
    r_context_t *context = r.game->get_context();
    uint8_t probe[3];
    if (!context || !context->device || !context->device->read_pixels(probe, r_rect_t{0, 0, 1, 1})) return;
    for (uint32_t f = 0; f < DRAWN_FRAMES; ++f) {
        kernel_step();
        r.game->update(sys_get_lastdelta());
        r.hunt->update(float(r.game->get_frame_time()));
        gfx_reset_stats(context);
        const double t0 = wall_micro();
        r.game->begin_render();
        r.game->render_scene();
        r.game->render_ui();
        r.game->end_render();
        context->device->read_pixels(probe, r_rect_t{0, 0, 1, 1});
        const double t1 = wall_micro();
        message_t m{0, {0.0, t1 - t0, 0.0, 0.0, live_targets(r.hunt), context->get_stats()}};
        r.wave->update(r.next_wave_time());
        r.game->system();
        snd_update_state();
        if (write(out, &m, sizeof m) != ssize_t(sizeof m)) return;
    }
}

// In the child: boots and starts round `round` ("init_round N", passes until the new
// hunt runs on the round's map) ROUND_STARTS + 1 times, sending each start's processor
// time in milliseconds in frame.update. The first lets go of the menu and reads the
// map's files for the first time; every later one lets go of a hunt on its own map.
constexpr int ROUND_STARTS = 3;
const char *const ROUND_MAPS[] = {"", "valley", "cross", "", "", "peaks"};

void play_round_starts(int out, int round) {
    hunt_range_t &r = range();
    game_data_t *data = get_game_data();
    if (!r.ready || !data || round < 1 || round > 5 || !*ROUND_MAPS[round]) return;
    const std::string command = "init_round " + std::to_string(round);
    for (int i = 0; i <= ROUND_STARTS; ++i) {
        data->map_name = "";
        const double t0 = cpu_micro();
        cmd_execute(command.c_str());
        bool started = false;
        for (int pass = 0; pass < 200 && !started; ++pass) {
            r.pass();
            started = unit_cast<hunt_ctrl_u>(get_current_ctrl()) && data->map_name == ROUND_MAPS[round];
        }
        if (!started) return;
        message_t m{0, {(cpu_micro() - t0) / 1000.0, 0.0, 0.0, 0.0, 0, {}}};
        if (write(out, &m, sizeof m) != ssize_t(sizeof m)) return;
    }
}

// The clean copy of this process: forked by main before any benchmark ran, it forks
// a child of its own for each request, which boots the game and plays the frames.
// Each repetition so plays the same frames whatever ran before it in this process,
// and leaves nothing of the game here (its current controller, mounts and graphics
// device) for the benchmarks after it.
int request_pipe = -1, result_pipe = -1;

[[noreturn]] void serve_requests(int requests, int results) {
    request_t r;
    while (read(requests, &r, sizeof r) == ssize_t(sizeof r)) {
        const pid_t child = fork();
        if (child == 0) {
            close(requests);
            if (r.round > 0)
                play_round_starts(results, r.round);
            else if (r.drawn)
                draw_frames(results, r.targets, r.herd);
            else
                play_frames(results, r.targets, r.herd);
            for (const std::string &f : bench::scratch_folders()) {
                std::error_code ec;
                fs::remove_all(f, ec);
            }
            _exit(0);
        }
        int status = 0;
        if (child > 0) waitpid(child, &status, 0);
        const message_t end{1, {}};
        if (write(results, &end, sizeof end) != ssize_t(sizeof end)) break;
    }
    _exit(0);
}

// Sends the request to the clean process and collects its reports until the end of
// the request; false when there is no clean process to ask.
bool ask_clean_process(const request_t &request, std::vector<frame_report_t> &reports) {
    if (request_pipe < 0 || write(request_pipe, &request, sizeof request) != ssize_t(sizeof request)) return false;
    for (;;) {
        message_t m;
        size_t got = 0;
        while (got < sizeof m) {
            const ssize_t n = read(result_pipe, reinterpret_cast<char *>(&m) + got, sizeof m - got);
            if (n <= 0) break;
            got += size_t(n);
        }
        if (got < sizeof m || m.done) return true;
        reports.push_back(m.frame);
    }
}

void BM_hunt_frame(benchmark::State &state) {
    const request_t request{uint32_t(state.range(0)), int32_t(state.range(1)), 0, 0};
    std::vector<frame_report_t> frames;
    if (!ask_clean_process(request, frames)) {
        state.SkipWithError("no clean process to start the game from");
        return;
    }
    if (frames.size() != FRAMES) {
        state.SkipWithError("round 1 does not reach its targets with the herd");
        return;
    }
    if (frames.back().targets == UINT32_MAX) {
        state.SkipWithError("the round ended inside the timing");
        return;
    }
    double update = 0.0, draw = 0.0, ui = 0.0, wave = 0.0, walking = 0.0;
    size_t next = 0;
    for (auto _ : state) {
        const frame_report_t &f = frames[next++ % frames.size()];
        state.SetIterationTime((f.update + f.draw + f.ui + f.wave) * 1e-6);
        update += f.update;
        draw += f.draw;
        ui += f.ui;
        wave += f.wave;
        walking += double(f.targets);
    }
    const double n = double(state.iterations());
    state.counters["update_us"] = update / n;
    state.counters["draw_us"] = draw / n;
    state.counters["ui_us"] = ui / n;
    state.counters["wave_us"] = wave / n;
    state.counters["budget_us"] = (update + ui + wave) / n;
    state.counters["targets"] = walking / n;
    state.counters["share_of_60hz_pct"] = (update + draw + ui + wave) / n / 16666.7 * 100.0;
    state.SetLabel("frames");
}
// Arguments: targets walking, herd animals.
BENCHMARK(BM_hunt_frame)
    ->ArgNames({"targets", "herd"})
    ->Args({0, 0})
    ->Args({20, 0})
    ->Args({0, 20})
    ->Args({20, 20})
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(FRAMES);

// A round started as "init_round N" starts it (rounds 1, 2 and 5: the first on valley,
// cross and peaks): the running hunt let go, the map loaded (terrain, plants and
// bodies, trails, starts, navigation, weather) and the round set up, until the new
// hunt runs the map's scene; processor time. "first_ms" is the first start in the
// game, which lets go of the menu and reads the map's files for the first time.
void BM_round_start(benchmark::State &state) {
    const int round = int(state.range(0));
    std::vector<frame_report_t> starts;
    if (!ask_clean_process(request_t{0, 0, round, 0}, starts)) {
        state.SkipWithError("no clean process to start the game from");
        return;
    }
    if (starts.size() != size_t(ROUND_STARTS) + 1) {
        state.SkipWithError("the round starts no hunt");
        return;
    }
    size_t next = 1;
    for (auto _ : state) state.SetIterationTime(starts[next++].update * 1e-3);
    state.counters["first_ms"] = starts[0].update;
    state.SetLabel(ROUND_MAPS[round]);
}
BENCHMARK(BM_round_start)
    ->Arg(1)
    ->Arg(2)
    ->Arg(5)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(ROUND_STARTS);

void BM_render_frame(benchmark::State &state) {
    std::vector<frame_report_t> frames;
    if (!ask_clean_process(request_t{20, 20, 0, 1}, frames)) {
        state.SkipWithError("no clean process to start the game from");
        return;
    }
    if (frames.size() != DRAWN_FRAMES) {
        state.SkipWithError("the renderer does not draw here, or round 1 does not reach its targets");
        return;
    }
    double draws = 0.0, programs = 0.0, binds = 0.0, vertices = 0.0;
    size_t next = 0;
    for (auto _ : state) {
        const frame_report_t &f = frames[next++ % frames.size()];
        state.SetIterationTime(f.draw * 1e-6);
        draws += f.stats.draws;
        programs += f.stats.program_changes;
        binds += f.stats.texture_binds;
        vertices += f.stats.vertices;
    }
    const double n = double(state.iterations());
    state.counters["draws"] = draws / n;
    state.counters["program_changes"] = programs / n;
    state.counters["texture_binds"] = binds / n;
    state.counters["vertices"] = vertices / n;
    state.SetLabel("frames");
}
BENCHMARK(BM_render_frame)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(DRAWN_FRAMES);

}  // namespace

namespace quarn::bench {

void start_clean_process() {
    int requests[2], results[2];
    if (pipe(requests) != 0) return;
    if (pipe(results) != 0) {
        close(requests[0]);
        close(requests[1]);
        return;
    }
    fflush(nullptr);
    const pid_t helper = fork();
    if (helper == 0) {
        close(requests[1]);
        close(results[0]);
        serve_requests(requests[0], results[1]);
    }
    close(requests[0]);
    close(results[1]);
    if (helper < 0) {
        close(requests[1]);
        close(results[0]);
        return;
    }
    request_pipe = requests[1];
    result_pipe = results[0];
}

void stop_clean_process() {
    // The helper ends when its requests end.
    if (request_pipe >= 0) close(request_pipe);
    if (result_pipe >= 0) close(result_pipe);
    request_pipe = result_pipe = -1;
    wait(nullptr);
}

}  // namespace quarn::bench
