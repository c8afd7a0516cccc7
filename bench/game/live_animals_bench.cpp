// The live animals' frame: 20 whitetails in four herds on the content map "valley"
// with its navigation mesh, as the game runs them. One iteration is one animal frame:
// the AI world's update (its two decision steps: a mind's step, the command, the aim,
// the herd's spacing and the steering) and the 20 body steps (root motion, turning,
// footprints, ground probes, the animation instances). No outside peer does this work;
// the goal is a frame below 1 ms on one core. The frame's counters split it into the
// decisions and the bodies; a second benchmark times the navigation's share, one
// re-evaluation of the aim, path and steering (two run in a frame's decisions).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <string>

#include "bench_support.h"
#include "embedded_archive.h"
#include "game/ai/mind/ai_world.h"
#include "game/ai/antlers/antler_units.h"
#include "game/ai/animals/deer_animal.h"
#include "game/ai/zba/zba_model_link.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/game_ctrl.h"
#include "game/scene/scene_object.h"
#include "game/scene/scene_view.h"
#include "game/visuals/effects/particle_gen.h"
#include "game/visuals/effects/particle_set.h"
#include "game/visuals/models/model_lib.h"
#include "game/visuals/models/model_template.h"
#include "game/visuals/shaders/fw_families.h"
#include "game/visuals/shaders/shaderlib.h"
#include "game/world/attract_area.h"
#include "game/world/body.h"
#include "game/world/body_actor.h"
#include "game/world/environment_preset.h"
#include "game/world/flagpole.h"
#include "game/world/grass.h"
#include "game/world/grass_cell.h"
#include "game/world/grass_set.h"
#include "game/world/landscape.h"
#include "game/world/particle_emitter.h"
#include "game/world/plant.h"
#include "game/world/sound_loop.h"
#include "game/world/start_point.h"
#include "game/world/trail.h"
#include "game/world/world.h"
#include "kernel/gfx/gfx.h"
#include "kernel/memory/m_server.h"
#include "kernel/plugins.h"
#include "kernel/process_table.h"
#include "kernel/sys.h"
#include "outside/qrnshared/def_pool.h"
#include "outside/qrnshared/qrnshared.h"
#include "qrncore/qrnutils/substance/substance_db.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "qrncore/system/dl_lib.h"
#include "qrncore/system/messages.h"

namespace {

using namespace quarn;

constexpr float FRAME = 1.0f / 30.0f;
constexpr uint32_t ANIMALS = 20;

class quiet_t : public message_handler_t {
public:
    void process_message(const string &, message_t::type_t) override {}
};

class bench_view_t : public scene_view_t {
public:
    placement_t get_placement() const override { return {}; }
};
class bench_player_t : public scene_object_t {
public:
    void update(float) override {}
};
class bench_ctrl_u : public game_ctrl_u {
    QRN_UNIT_CLASS(bench_ctrl_u, game_ctrl_u);

public:
    scene_view_t *get_view() override { return &view; }
    scene_object_t *get_player() override { return &player; }
    bench_view_t view;
    bench_player_t player;
};
QRN_UNIT_DEFINE(bench_ctrl_u, "live_animals_bench_ctrl");

// Four herds of five whitetails (a buck and the does that follow him) around the open
// ground, hungry, thirsty or tired as herds are.
std::string mission_text() {
    const char *needs[4] = {"val_hunger: \"0.8\"", "val_thirst: \"0.8\"", "val_tiredness: \"0.8\"", "val_hunger: \"0.6\""};
    return "def general { area: \"valley\" weather: \"clear\" time: \"9\" wind_dir: \"1 0 0.4\" }\n" +
           bench::whitetail_herds(needs);
}

// The kernel, the shared layer, shaders and the graphics front-end, the content
// ("base.tzk" and the program's archive), the ".def" loader, the sound front-end, the
// classes a map and its animals need, and the mission started on a scene; then a
// minute of frames, so that the herds are about their business.
struct range_t {
    range_t() {
        quiet_t quiet;
        process_table_setup();
        sys_init();
        qrnshared_init(dl_lib_t::get_main_handle());
        fs_startup();
        bench::start_once(mm_init);
        qrnshared_startup();
        if (!shaderlib_init_queues() || !shaderlib_register() || !fw_effects_register()) return;
        bench::start_once(gfx_start);
        unit_bank_t &bank = *get_engine_ubank();
        model_register_classes(bank);
        fs_set_archive_factory(zip_device_create);
        const std::string bin = bench::bin_dir();
        if (!ufs_mount(FS_DEVICE_ZIP, (bin + "/base.tzk").c_str(), "", true, 50)) return;
        ufs_mount_romfs(fernwold_builtin_archive, uint32_t(fernwold_builtin_archive_size), "", 55);
        if (!dll_register((bin + "/lib/loaders").c_str())) return;
        set_substance_file("/material/material.db");
        substance_db_request();
        zba_set_model_source(&models);
        for (const unit_descriptor_t *d :
             {&world_u::unit_descriptor, &body_desc_u::unit_descriptor, &body_inst_u::unit_descriptor,
              &plant_desc_u::unit_descriptor, &plant_inst_u::unit_descriptor, &body_actor_desc_u::unit_descriptor,
              &body_actor_inst_u::unit_descriptor, &flagpole_inst_u::unit_descriptor, &trail_u::unit_descriptor,
              &start_point_u::unit_descriptor, &sound_loop_u::unit_descriptor, &attract_area_u::unit_descriptor,
              &particle_emitter_u::unit_descriptor, &environment_preset_u::unit_descriptor, &sun_u::unit_descriptor,
              &fog_u::unit_descriptor, &temperature_u::unit_descriptor, &wind_u::unit_descriptor,
              &model_template_u::unit_descriptor, &particle_gen_u::unit_descriptor, &particle_set_u::unit_descriptor,
              &antler_factory_u::unit_descriptor, &antler_part_u::unit_descriptor,
              &antler_part_simple_u::unit_descriptor, &antler_desc_u::unit_descriptor,
              &antler_score_u::unit_descriptor, &antler_pair_score_u::unit_descriptor, &grass_u::unit_descriptor,
              &grass_set_u::unit_descriptor, &grass_property_u::unit_descriptor, &grass_cell_u::unit_descriptor})
            if (!bank.get_descriptor(d->class_name->c_str())) bank.register_class(d);
        scene_set_hookup_folder("");
        ai_set_animal_factory(live_animal_factory());
        if (!game.read_from("/def/game.def")) return;
        const std::string text = mission_text();
        if (!mission.read_text(text.data(), text.size(), "/bench/mission.def")) return;
        set_current_ctrl(owner_ptr_ret_t<base_ctrl_u>(bench_ctrl_u::create().take()));
        ctrl = static_cast<bench_ctrl_u *>(get_current_ctrl());
        if (!ctrl) return;
        ctrl->get_random().seed = 7;
        ctrl->start_map(mission, &game);
        ai = ctrl->get_ai_navigation();
        if (!ai || ai->get_animal_count() != ANIMALS) return;
        for (uint32_t i = 0; i < ANIMALS; ++i)
            if (!ai->get_animal(i) || ai->get_animal(i)->is_removed()) return;
        for (int f = 0; f < 60 * 30; ++f) ctrl->update(FRAME);
        ok = true;
    }

    zba_model_library_source_t models;
    def_pool_t game, mission;
    bench_ctrl_u *ctrl = nullptr;
    ai_world_t *ai = nullptr;
    bool ok = false;
};

range_t &range() {
    static range_t *r = new range_t;
    return *r;
}

using clock_type = std::chrono::steady_clock;

void BM_live_animal_frame(benchmark::State &state) {
    range_t &r = range();
    if (!r.ok) {
        state.SkipWithError("the mission does not start with its 20 animals");
        return;
    }
    double decisions = 0.0, bodies = 0.0;
    for (auto _ : state) {
        const auto t0 = clock_type::now();
        r.ai->update(FRAME);
        const auto t1 = clock_type::now();
        for (uint32_t i = 0; i < ANIMALS; ++i) static_cast<animal_t *>(r.ai->get_animal(i))->update(FRAME);
        const auto t2 = clock_type::now();
        decisions += std::chrono::duration<double, std::micro>(t1 - t0).count();
        bodies += std::chrono::duration<double, std::micro>(t2 - t1).count();
    }
    const double n = double(state.iterations());
    state.counters["decision_us"] = decisions / n;
    state.counters["body_us"] = bodies / n;
    state.SetItemsProcessed(int64_t(state.iterations()) * ANIMALS);
    state.SetLabel("animals");
}
BENCHMARK(BM_live_animal_frame);

// The navigation's share of a decision: an animal's re-evaluation (path upkeep and
// search, the aim, the herd's spacing, the steering), for each animal in turn.
void BM_live_animal_navigation(benchmark::State &state) {
    range_t &r = range();
    if (!r.ok) {
        state.SkipWithError("the mission does not start with its 20 animals");
        return;
    }
    uint32_t i = 0;
    for (auto _ : state) {
        r.ai->get_animal(i)->reevaluate_movement();
        i = (i + 1) % ANIMALS;
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
    state.SetLabel("re-evaluations");
}
BENCHMARK(BM_live_animal_navigation);

}  // namespace
