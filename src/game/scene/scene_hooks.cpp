// The scene's answers to the game process's named hooks (game/process/game_hooks.h):
// the herds of a random mission and the map start-up of a mission definition.
#include "game/game_rows.h"
#include "game/process/game_hooks.h"
#include "game/scene/game_ctrl.h"
#include "game/scene/herd_writer.h"
#include "game/world/landscape.h"
#include "game/world/start_point.h"
#include "game/world/world.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/def_pool.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// The animals of a random mission's one herd.
constexpr uint32_t RANDOM_HERD_SIZE = 5;

// The player of a mission without "start_id" stands at the map's first start point:
// the herd gathers around it. The origin when the map has none.
vec3_t first_start_position(const char *area) {
    array_dyn_t<owner_ptr_t<unit_base_t>> starts;
    if (!load_start_points(starts, area) || starts.get_count() == 0) return vec3_t{0.0f, 0.0f, 0.0f};
    const auto *start = unit_cast<start_point_u>(starts[0].get());
    return start ? start->get_placement().position : vec3_t{0.0f, 0.0f, 0.0f};
}

bool scene_write_herds(def_pool_t &mission, const def_pool_t &game_definition, const char *species,
                       const char *area, float hour) {
    def_obj_t *animals = mission.find("animals");
    if (!animals) animals = mission.create_object("animals");
    if (!animals) return false;
    herd_order_t order;
    order.pool = &mission;
    order.parent = animals;
    order.game = &game_definition;
    order.map = area;
    order.center = first_start_position(area);
    order.hour = hour;
    const herd_request_t request{species, RANDOM_HERD_SIZE};
    return write_herds(order, &request, 1) > 0;
}

bool scene_start_mission(base_ctrl_u &ctrl, const def_pool_t &mission, const char *path) {
    auto *game = dynamic_cast<game_ctrl_u *>(&ctrl);
    if (!game) {
        error("[game] the controller '%s' starts no map: the mission '%s' is not started",
              ctrl.get_descriptor()->class_name->c_str(), path ? path : "");
        return false;
    }
    return game->start_mission(mission);
}

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(scene, quarn::game_factory_row(quarn::GAME_HOOK_WRITE_HERDS, quarn::scene_write_herds),
                 quarn::game_factory_row(quarn::GAME_HOOK_START_MISSION, quarn::scene_start_mission));
