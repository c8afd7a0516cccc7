// Reads arbitrary bytes as a unit file into the game's map unit classes, then copies
// every root and runs each unit's steps over what it took: a load that succeeds must
// leave units whose operations stay in bounds (no table index outside its rows, no
// integer conversion of a non-number). A weather preset is also applied to an
// environment of its own, which then runs frames, weather steps and draws (the
// graphics front-end's records exist; there is no memory manager, so no material and
// no sky model). The map objects join them: trails (followed at awkward distances),
// start points, attraction areas, sound loops, bodies, plants, body actors and flag
// poles (whose models cannot load here, so their loads fail, which must stay
// orderly), and particle emitters over the particle sets the same input defines,
// started and fired in a scene of their own and run through their lists. The grass
// with its sets and kinds: model templates need the memory manager's resource tie, so
// they are no class here and a kind always fails its load; the grass itself is grown
// at awkward viewers (without a landscape nothing grows). After each input every unit
// must be freed.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "game/world/attract_area.h"
#include "game/world/body.h"
#include "game/world/body_actor.h"
#include "game/world/environment.h"
#include "game/world/environment_preset.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/scene_object.h"
#include "game/scene/scene_view.h"
#include "game/visuals/effects/particle_gen.h"
#include "game/visuals/effects/particle_set.h"
#include "game/world/flagpole.h"
#include "game/world/particle_emitter.h"
#include "game/world/fog.h"
#include "game/world/grass.h"
#include "game/world/plant.h"
#include "game/world/rain.h"
#include "game/world/skybox.h"
#include "game/world/snow.h"
#include "game/world/sound_loop.h"
#include "game/world/start_point.h"
#include "game/world/sun.h"
#include "game/world/temperature.h"
#include "game/world/trail.h"
#include "game/world/trail_follower.h"
#include "game/world/wind.h"
#include "kernel/console/cvars.h"
#include "kernel/gfx/gfx.h"
#include "outside/qrnshared/cvar.h"
#include "qrncore/qrnutils/substance/substance_db.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_load.h"
#include "support/fuzz_unit_load.h"

namespace quarn {
namespace {

// The scene fired emitters run in.
class still_view_t : public scene_view_t {
public:
    placement_t get_placement() const override { return {}; }
};
class idle_player_t : public scene_object_t {
public:
    void update(float) override {}
};
class fuzz_ctrl_u : public base_ctrl_u {
    QRN_UNIT_CLASS(fuzz_ctrl_u, base_ctrl_u);

public:
    scene_view_t *get_view() override { return &view; }
    scene_object_t *get_player() override { return &player; }
    still_view_t view;
    idle_player_t player;
};
QRN_UNIT_DEFINE(fuzz_ctrl_u, "fuzz_ctrl");

struct world_t {
    world_t() : system(bank) {
        system.set_default();
        sun_u::register_class(bank);
        fog_u::register_class(bank);
        temperature_u::register_class(bank);
        wind_u::register_class(bank);
        environment_preset_u::register_class(bank);
        rain_u::register_class(bank);
        snow_u::register_class(bank);
        skybox_u::register_class(bank);
        gfx_start();
        for (const unit_descriptor_t *d :
             {&trail_u::unit_descriptor, &start_point_u::unit_descriptor, &attract_area_u::unit_descriptor,
              &sound_loop_u::unit_descriptor, &body_desc_u::unit_descriptor, &body_inst_u::unit_descriptor,
              &plant_desc_u::unit_descriptor, &plant_inst_u::unit_descriptor, &body_actor_desc_u::unit_descriptor,
              &body_actor_inst_u::unit_descriptor, &flagpole_inst_u::unit_descriptor,
              &particle_emitter_u::unit_descriptor, &particle_set_u::unit_descriptor, &particle_gen_u::unit_descriptor,
              &grass_property_u::unit_descriptor, &grass_set_u::unit_descriptor, &grass_cell_u::unit_descriptor,
              &grass_u::unit_descriptor})
            bank.register_class(d);
        // The game's substances, for the grass sets' names.
        static const char substances[] =
            "0 default 1 flesh 2 concrete 3 snow 4 meadow 5 grass 6 planks 7 leaves 8 wood 9 dirt 10 sand 11 moss "
            "12 mud_dry 13 gravel 14 rock 15 metal 16 water 17 ice 18 slush";
        substance_db_load_text(substances, sizeof substances - 1, "fuzz");
        cvar_register_variable(&grass_density);
    }
    cvar_t grass_density{"g_grass_density", "1"};
    unit_bank_t bank;
    unit_system_t system;
};

// A layer attached and run through intensities, camera jumps and draws.
template <class L>
void exercise_layer(L &layer) {
    layer.attach(nullptr);
    layer.get_layer().switch_on();
    for (float intensity : {0.5f, 0.0005f, 1.0f, 2.0f}) {
        layer.set_intensity(intensity);
        layer.move_with_camera({1e30f, -100.0f, 0.25f});
        layer.update(0.1f);
        layer.update(-1e30f);
        layer.draw();
    }
}

// Every step a scene runs on the unit, at awkward times and steps too.
void exercise(unit_base_t *unit) {
    static const float times[] = {0.0f, 45000.0f, 86340.0f, -3600.0f, -1e30f, 1e30f};
    if (auto *sun = unit_cast<sun_u>(unit)) {
        for (float t : times) sun->recompute(t);
        sun->set_azimuth(sun->get_azimuth() + 1.0f);
        (void)sun->get_lit_color();
    } else if (auto *fog = unit_cast<fog_u>(unit)) {
        fog->update_density(650.0f);
        fog->set_weather_density(0.005f);
        fog->update_density(0.0f);
        fog->set_light({1.0f, 1.0f, 1.0f, 1.0f});
        (void)sun_u::compute_strength(1.0f, fog);
    } else if (auto *wind = unit_cast<wind_u>(unit)) {
        for (int i = 0; i < 50; ++i) wind->update(0.5f);
        vec3_t d{0.0f, 0.0f, -1.0f};
        wind->turn_direction(d, true);
    } else if (auto *temperature = unit_cast<temperature_u>(unit)) {
        temperature->update(0.1f);
        temperature->change(1e30f, true);
    } else if (auto *trail = unit_cast<trail_u>(unit)) {
        static const float steps[] = {0.0f, 0.5f, -3.0f, 1e-30f, 7.0f, std::nanf(""), 1e30f, 2.0f};
        for (uint32_t s = 0; s < trail->get_segment_count(); ++s) (void)trail->get_segment(s).length();
        trail->debug_draw();
        owner_ptr_t<trail_follower_u> follower(create_trail_follower(trail));
        if (follower)
            for (float d : steps) follower->advance(d);
    } else if (auto *area = unit_cast<attract_area_u>(unit)) {
        (void)area->get_centre(), (void)area->get_radius(), (void)area->get_category(), (void)area->get_debug_color();
    } else if (auto *loop = unit_cast<sound_loop_u>(unit)) {
        loop->init_unit();  // no sound front-end here: refused
        loop->cleanup_unit();
    } else if (auto *body = unit_cast<body_inst_u>(unit)) {
        body->init_unit();
        model_hit_t hit;
        body->test_segment_world(hit, {0.0f, 100.0f, 0.0f}, {0.0f, -100.0f, 0.0f});
    } else if (auto *actor = unit_cast<body_actor_inst_u>(unit)) {
        actor->init_unit();  // no scene here: refused
        actor->cleanup_unit();
    } else if (auto *emitter = unit_cast<particle_emitter_u>(unit)) {
        set_current_ctrl(fuzz_ctrl_u::create());
        base_ctrl_u *ctrl = get_current_ctrl();
        emitter->start(false);
        trigger_emitter(emitter->name_text().c_str(), placement_t({1e30f, 0.0f, -2.0f}, quat_t(0.0f, 0.0f, 1.0f, 0.0f)));
        for (float dt : {0.0f, 0.05f, 0.37f, 7.0f, -1.0f, 61.0f, 1e-30f, 0.5f}) {
            ctrl->update(dt);
            ctrl->draw();
        }
        set_current_ctrl(nullptr);  // the fired copies go with the scene
    } else if (auto *game_unit = unit_cast<game_unit_u>(unit)) {
        if (game_unit->init_unit()) game_unit->cleanup_unit();
    } else if (auto *grass = unit_cast<grass_u>(unit)) {
        // No scene and no landscape here: the viewer is taken, nothing is grown.
        for (const vec3_t &v : {vec3_t{0, 0, 0}, vec3_t{NAN, 0, 0}, vec3_t{1e30f, 0, -1e30f}, vec3_t{-3e9f, 5, 2e9f}})
            grass->update_cells(v);
        grass_set_density_changed();
        grass->draw();
        grass->draw();
        for (float c : {0.0f, -0.5f, -1e9f, 1e9f, 65535.5f}) (void)grass_u::cell_index(c);
        for (uint32_t i = 0; i < grass->get_set_count(); ++i)
            if (grass_set_u *set = grass->get_set(i))
                for (uint32_t p = 0; p < set->get_property_count(); ++p)
                    if (grass_property_u *property = set->get_property(p)) exercise(property);
    } else if (auto *property = unit_cast<grass_property_u>(unit)) {
        for (const vec3_t &n : {vec3_t{0, 1, 0}, vec3_t{1, 0, 0}, vec3_t{0, -1, 0}, vec3_t{NAN, 0, 0}})
            for (float d2 : {0.0f, 100.0f, 1e30f})
                (void)property->take_count(property->density_at(n, d2, 1.0f), 1e6f);
    } else if (auto *rain = unit_cast<rain_u>(unit)) {
        exercise_layer(*rain);
    } else if (auto *snow = unit_cast<snow_u>(unit)) {
        snow->set_wind({1e30f, 0.0f, -3.0f});
        exercise_layer(*snow);
    } else if (auto *sky = unit_cast<skybox_u>(unit)) {
        sky->set_sky("fuzz", "flat");
        sky->move_clouds(1e30f, {1.0f, 0.0f, 0.0f}, 2.0f);
        sky->draw_sky({1e30f, -1e30f, 0.0f}, nullptr);
    } else if (auto *preset = unit_cast<environment_preset_u>(unit)) {
        owner_ptr_t<environment_u> environment(environment_u::create());
        if (environment && environment->apply_preset("fuzz", preset)) {
            environment->get_temperature()->set_temperature(-1.0f);
            environment->set_weather_condition(1.0f, 0.0f);
            for (int i = 0; i < 6; ++i) {
                environment->update(0.25f);
                for (unit_base_t *child : {static_cast<unit_base_t *>(environment->get_rain()),
                                           static_cast<unit_base_t *>(environment->get_snow())})
                    if (auto *layer = dynamic_cast<updatable_t *>(child)) {
                        layer->update(0.25f);
                        layer->draw();
                    }
            }
            environment->update_skybox();
        }
    }
}

}  // namespace
}  // namespace quarn

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace quarn;
    static world_t world;
    // MAP_UNITS_LOG=1 shows what the reader and the classes log (for looking at a seed).
    static std::unique_ptr<message_stdio_t> out(getenv("MAP_UNITS_LOG") ? new message_stdio_t : nullptr);
    test::fuzz_unit_load(world.system, data, size, "/map/fuzz/units.unit", true, [](unit_base_t *root) {
        exercise(root);
        owner_ptr_t<unit_base_t> copy(root->clone());
        if (copy) exercise(copy.get());
    });
    return 0;
}
