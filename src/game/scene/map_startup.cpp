// Map start-up: a scene from a mission definition ("general": area, weather, wind,
// time, start point, dangerous animals; "animals"; "script_points"), for the menu's
// background, the screensaver and the "start" command (docs/scene.md, "Map start-up").
#include "game/game_data.h"
#include "game/scene/game_ctrl.h"
#include "game/scene/scene_object.h"
#include "game/world/environment.h"
#include "game/world/environment_preset.h"
#include "game/world/start_point.h"
#include "game/world/wind.h"
#include "game/world/landscape.h"
#include "game/world/world.h"
#include "kernel/memory/m_manager.h"
#include "kernel/memory/m_server.h"
#include "kernel/sys.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/def_pool.h"
#include "outside/qrnshared/def_resource.h"
#include "qrncore/math/ypr.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// A wind direction shorter than this (squared) is no direction: a random one is taken.
constexpr float SHORTEST_WIND_SQUARED = 0.1f;
// The collision groups the player's start is dropped onto (terrain and map objects).
constexpr int START_GROUND_MASK = 9;

}  // namespace

bool game_ctrl_u::start_mission(const def_pool_t &mission) {
    c_item_lock_t game(mm_obtain_resource(MM_NAMED_LOAD, GAME_DEFINITION, &def_resource_u::unit_descriptor));
    const def_pool_t *pool = def_resource_u::pool_of(game.get_data());
    start_map(mission, pool);
    if (!pool) return false;
    message("[game] ...load successful");
    if (environment_u *environment = get_environment()) environment->update(0.0f);
    return true;
}

bool game_ctrl_u::apply_weather(const char *area, const char *weather) {
    environment_u *environment = get_environment();
    if (!environment) return false;
    owner_ptr_t<environment_preset_u> preset(load_environment_preset(area, weather));
    if (environment->apply_preset(area, preset.get())) return true;
    // The preset's file or one of its parts is missing (both logged by the weather):
    // the clear sky once more, else the environment keeps its defaults.
    if (strcmp(weather, FALLBACK_WEATHER) == 0) return false;
    warning("[game] the weather '%s' of %s cannot be had: trying '%s'", weather, area, FALLBACK_WEATHER);
    owner_ptr_t<environment_preset_u> fallback(load_environment_preset(area, FALLBACK_WEATHER));
    if (!environment->apply_preset(area, fallback.get()))
        warning("[game] no weather for %s: the environment keeps its defaults", area);
    return false;
}

void game_ctrl_u::start_map(const def_pool_t &mission, const def_pool_t *game) {
    if (!game) {
        error("[game] cannot load /defs/game.def");
        return;
    }
    const def_obj_t *general = mission.find("general");
    const def_obj_t *animals = mission.find("animals");
    const def_obj_t *script_points = mission.find("script_points");
    mstring_dyn_t area;
    area.copy(general ? general->get_dvalue("area", "") : "");

    mstring_dyn_t folder;
    folder.printf("/map/%s/", area.c_str());
    load_world(folder.c_str());
    if (game_data_t *data = get_game_data()) data->map_name.copy(area);
    message("[game] spawning map %s", area.c_str());
    environment_u *environment = get_environment();
    if (environment) environment->apply_view_distance(true);

    message("[game] determining weather...");
    const char *weather = general ? general->get_dvalue("weather", FALLBACK_WEATHER) : FALLBACK_WEATHER;
    vec3_t wind{0.0f, 0.0f, 0.0f};
    if (general) general->get_point("wind_dir", wind);
    if (!(length_squared(wind) >= SHORTEST_WIND_SQUARED))
        wind = ypr_t(sys_rand() * 360.0f, 0.0f, 0.0f).get_direction();
    apply_weather(area.c_str(), weather);
    if (environment) {
        if (wind_u *w = environment->get_wind()) w->set_base_direction(wind);
        float hours = 0.0f;
        if (general && general->get_real("time", hours)) environment->set_time_of_day(hours);
        // The map has loaded: the scene keeps its time of day (only "g_time" moves it).
        environment->freeze_time();
    }

    message("[game] spawning avatar");
    placement_t start;
    int32_t start_id = 0;
    if (general) general->get_int("start_id", start_id);
    array_dyn_t<owner_ptr_t<unit_base_t>> starts;
    if (load_start_points(starts, area.c_str()) && starts.get_count() > 0) {
        const uint32_t index = start_id >= 0 && uint32_t(start_id) < starts.get_count() ? uint32_t(start_id) : 0;
        if (const auto *point = unit_cast<start_point_u>(starts[index].get()))
            start = placement_t(point->get_placement().position, point->get_placement().rotation);
    }
    world_u *world = get_world();
    physics_ray_hit_t ground;
    if (world && world->find_ground(ground, start.position, START_GROUND_MASK)) start.position = ground.position;

    message("[game] positioning avatar...");
    if (scene_object_t *player = get_player()) {
        player->set_position(start.position);
        player->set_rotation(start.rotation);
    }

    if (animals && animals->get_child_count() > 0) {
        if (ai_world_t *ai = get_ai_navigation()) {
            ai->load_script_points(script_points);
            bool dangerous = false;
            if (general) general->get_bool("dangerous_animals", dangerous);
            ai->set_dangerous_animals(dangerous);
            ai->create_animals(animals, game);
        }
    }
}

}  // namespace quarn
