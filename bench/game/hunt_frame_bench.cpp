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
// the 16.7 ms of a frame at 60 Hz. BM_round_start then times the start of each map's
// first round (its load) in the same game.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "bench_support.h"
#include "game/cameras/trail_camera.h"
#include "game/game_data.h"
#include "game/game_localisation.h"
#include "game/game_module.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/process/game_process.h"
#include "game/round/round_logic.h"
#include "game/round/trail_use.h"
#include "game/scene/current_ctrl.h"
#include "kernel/commands.h"
#include "kernel/fixed_clock.h"
#include "kernel/gfx.h"
#include "kernel/input.h"
#include "kernel/m_server.h"
#include "kernel/mem_sys.h"
#include "kernel/plugins.h"
#include "kernel/process_table.h"
#include "kernel/sound.h"
#include "kernel/sys.h"
#include "outside/ctlbase/ctlbase.h"
#include "outside/qrnshared/def_pool.h"
#include "outside/qrnshared/qrnshared.h"
#include "outside/sonbase/sonbase.h"
#include "outside/visbase/visbase.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/dl_lib.h"
#include "qrncore/system/init.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_system.h"

namespace {

using namespace quarn;
namespace fs = std::filesystem;

constexpr uint32_t STEP_USEC = 40000;
constexpr uint32_t TARGETS = 20;
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
// and its process started as "lib/game"'s execution starts it, then "init_round 1",
// the intro skipped, the herd, and frames until 20 targets walk.
struct hunt_range_t {
    hunt_range_t() {
        quiet_t quiet;
        const std::string bin = bench::bin_dir();
        const fs::path folders = fs::temp_directory_path() / ("fernwold_hunt_bench_" + std::to_string(getpid()));
        fs::remove_all(folders);
        fs::create_directories(folders / "documents");
        fs::create_directories(folders / "config");
        setenv("XDG_DOCUMENTS_DIR", (folders / "documents").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (folders / "config").c_str(), 1);
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
        mm_init();
        qrnshared_startup();
        inp_start();
        gfx_start();
        snd_start(get_engine_ubank(), get_engine_usystem());
        for (const char *plugin : {"lib/snddev", "lib/loaders", "lib/gl"})
            if (!dll_register(plugin)) return;
        if (!dll_register("lib/game")) return;
        game = new game_process_t;
        game_module_set_mode(GAME_MODULE_RUNNING);
        game->init();
        // The range lives to the end of the process and the game is never shut down:
        // its localisation table goes before the pools it was made from go at exit,
        // as the game's own shutdown would let it go.
        std::atexit([] { release_localisation(); });
        pass();

        cmd_execute("init_round 1");
        for (int i = 0; i < 100 && !(hunt = unit_cast<hunt_ctrl_u>(get_current_ctrl())); ++i) pass();
        if (!hunt) return;
        game->set_controller_running(true);
        for (int i = 0; i < 100 && !hunt->is_intro_over(); ++i) {
            if (auto *intro = dynamic_cast<trail_camera_t *>(hunt->get_view())) intro->reset_interpolation();
            pass();
        }
        if (!hunt->is_intro_over()) return;

        const std::string herd = bench::whitetail_herds(HERD_KEYS);
        if (!definitions.read_from("/def/game.def") || !mission.read_text(herd.data(), herd.size(), "/bench/herd.def"))
            return;
        ai_world_t *ai = hunt->get_ai_navigation();
        if (!ai) return;
        ai->create_animals(mission.find("animals"), &definitions);
        if (ai->get_animal_count() != 20) return;
        for (int i = 0; i < 3000 && live_targets(hunt) < TARGETS; ++i) pass();
        ok = live_targets(hunt) >= TARGETS && hunt->get_state() == hunt_ctrl_u::STATE_RUNNING;
    }

    // A scheduler pass: every process, then the game's (outside the scheduler, so
    // that the benchmark can time the parts of its frame) as the scheduler runs one.
    void pass() {
        kernel_step();
        game->update(sys_get_lastdelta());
        game->frame();
        game->system();
    }

    game_process_t *game = nullptr;
    hunt_ctrl_u *hunt = nullptr;
    def_pool_t definitions, mission;
    bool ok = false;
};

hunt_range_t &range() {
    static hunt_range_t *r = new hunt_range_t;
    return *r;
}

using clock_type = std::chrono::steady_clock;

double micro(clock_type::time_point a, clock_type::time_point b) {
    return std::chrono::duration<double, std::micro>(b - a).count();
}

// The calling thread's processor time in microseconds: unlike the wall clock, other
// processes on the machine do not count.
double thread_cpu_us() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

void BM_hunt_frame(benchmark::State &state) {
    hunt_range_t &r = range();
    if (!r.ok) {
        state.SkipWithError("round 1 does not reach 20 targets with the herd");
        return;
    }
    double update = 0.0, draw = 0.0, ui = 0.0, targets = 0.0, update_cpu = 0.0, draw_cpu = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        kernel_step();
        r.game->update(sys_get_lastdelta());
        state.ResumeTiming();
        const auto t0 = clock_type::now();
        const double c0 = thread_cpu_us();
        r.hunt->update(float(r.game->get_frame_time()));
        const auto t1 = clock_type::now();
        const double c1 = thread_cpu_us();
        r.game->begin_render();
        r.game->render_scene();
        const auto t2 = clock_type::now();
        const double c2 = thread_cpu_us();
        r.game->render_ui();
        r.game->end_render();
        const auto t3 = clock_type::now();
        update += micro(t0, t1);
        draw += micro(t1, t2);
        ui += micro(t2, t3);
        update_cpu += c1 - c0;
        draw_cpu += c2 - c1;
        state.PauseTiming();
        r.game->system();
        snd_update_state();
        targets += double(live_targets(r.hunt));
        state.ResumeTiming();
    }
    const double n = double(state.iterations());
    state.counters["update_us"] = update / n;
    state.counters["draw_us"] = draw / n;
    // The same on the thread's own clock: what the work costs on a shared machine.
    state.counters["update_cpu_us"] = update_cpu / n;
    state.counters["draw_cpu_us"] = draw_cpu / n;
    state.counters["ui_us"] = ui / n;
    state.counters["targets"] = targets / n;
    state.counters["share_of_60hz_pct"] = (update + draw + ui) / n / 16666.7 * 100.0;
    state.SetLabel("frames");
}
BENCHMARK(BM_hunt_frame)->Unit(benchmark::kMicrosecond)->Iterations(500);

// A round started as "init_round N" starts it (rounds 1, 2 and 5: the first on valley,
// cross and peaks): the running hunt let go, the map loaded (terrain, plants and
// bodies, trails, starts, navigation, weather) and the round set up, timed until the
// new hunt runs the map's scene. It ends the frames' hunt, so it runs after them; a
// first start, not timed but counted ("first_ms": the map's files read for the first
// time), makes every timed one let go of a hunt on its own map.
void BM_round_start(benchmark::State &state) {
    hunt_range_t &r = range();
    if (!r.ok) {
        state.SkipWithError("round 1 does not reach 20 targets with the herd");
        return;
    }
    const char *const maps[] = {"", "valley", "cross", "", "", "peaks"};
    const int round = int(state.range(0));
    const std::string command = "init_round " + std::to_string(round);
    game_data_t *data = get_game_data();
    // "init_round", then passes until the hunt runs on the round's map.
    auto start = [&] {
        cmd_execute(command.c_str());
        for (int i = 0; i < 200; ++i) {
            r.pass();
            if (unit_cast<hunt_ctrl_u>(get_current_ctrl()) && data && data->map_name == maps[round]) return true;
        }
        return false;
    };
    if (data) data->map_name = "";
    const auto first = clock_type::now();
    if (!start()) {
        state.SkipWithError(("\"" + command + "\" starts no hunt").c_str());
        return;
    }
    // The first start of the map in the process: its files read for the first time.
    state.counters["first_ms"] = micro(first, clock_type::now()) / 1000.0;
    for (auto _ : state) {
        state.PauseTiming();
        data->map_name = "";
        state.ResumeTiming();
        if (!start()) {
            state.SkipWithError(("\"" + command + "\" starts no hunt").c_str());
            break;
        }
    }
    state.SetLabel(maps[round]);
}
BENCHMARK(BM_round_start)->Arg(1)->Arg(2)->Arg(5)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
