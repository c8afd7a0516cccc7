// A game controller over a real world: the world is the first target, load_world loads
// the world, then the navigation, then links the areas; the player's start is dropped
// onto the ground; and the scene's teardown leaves nothing behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../world/world_unit_fixture.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/game_ctrl.h"
#include "game/visuals/physics/physics_server.h"
#include "outside/qrnshared/def_pool.h"

namespace quarn::test {

class world_game_ctrl_u : public game_ctrl_u {
    QRN_UNIT_CLASS(world_game_ctrl_u, game_ctrl_u);

public:
    class player_t : public scene_object_t {
    public:
        void update(float) override {}
        vec3_t get_position() const override { return position; }
        void set_position(const vec3_t &p) override { position = p; }
        vec3_t position{-1, -1, -1};
    };
    scene_object_t *get_player() override { return &player; }
    player_t player;
};
QRN_UNIT_DEFINE(world_game_ctrl_u, "world_game_ctrl");

namespace {

class scene_world : public world_unit_fixture_t {
protected:
    world_game_ctrl_u *make_scene() {
        set_current_ctrl(world_game_ctrl_u::create());
        return static_cast<world_game_ctrl_u *>(get_current_ctrl());
    }
    // The slope with a water area at (4, 12).
    static std::string area_map() {
        return map_slope_text() + R"(
def objects {
    def area1 { kind: "area" at: "4 12" radius: "6" resource: "water" }
}
)";
    }
    static size_t index_of(const std::vector<std::string> &lines, const std::string &part) {
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].find(part) != std::string::npos) return i;
        return lines.size();
    }
};

TEST_F(scene_world, the_world_is_the_first_target_and_loads_before_the_navigation_which_it_then_links) {
    world_game_ctrl_u *ctrl = make_scene();
    world_u *w = ctrl->get_world();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(ctrl->get_targets().get_count(), 1u);
    EXPECT_TRUE(ctrl->get_targets().contains(w));

    // A folder that is not there: the world's terrain message, then the navigation's.
    messages.clear();
    ctrl->load_world("/map/none/");
    const std::vector<std::string> errors = messages.texts(message_t::ERROR);
    const size_t terrain = index_of(errors, "landscape.lnd");
    const size_t navigation = index_of(errors, "/map/none/sector.ai");
    ASSERT_LT(terrain, errors.size());
    ASSERT_LT(navigation, errors.size());
    EXPECT_LT(terrain, navigation);

    ASSERT_TRUE(put_map(area_map(), "areas"));
    ctrl = make_scene();
    ctrl->load_world("/map/areas/");
    ai_need_t need;
    need.position = {4, 0, 10};
    need.thirsty = true;
    need.thirst = 1.0f;
    need.category = 1;
    EXPECT_EQ(ctrl->get_ai_navigation()->find_best_attract_area(need), 0) << "the world's areas are linked";
}

TEST_F(scene_world, the_start_is_dropped_onto_the_ground_and_without_start_points_the_origin_is) {
    ASSERT_TRUE(put_map(map_slope_text(), "slope"));
    put_text("slope/landscape.start.unit",
             "RozErere\n{\nstart_point : high { placement: (8, 50, 8) 1 (1; 0, 0, 0) }\n}\n");
    def_pool_t mission, game;
    const char text[] = "def general { area: \"slope\" }\n";
    ASSERT_TRUE(mission.read_text(text, sizeof text - 1, "/t/mission.def"));

    world_game_ctrl_u *ctrl = make_scene();
    ctrl->start_map(mission, &game);
    physics_ray_hit_t ground;
    ASSERT_TRUE(ctrl->get_world()->find_ground(ground, vec3_t{8, 50, 8}, 9));
    EXPECT_EQ(ctrl->player.get_position().x, 8.0f);
    EXPECT_NEAR(ctrl->player.get_position().y, ground.position.y, 1e-4f);
    EXPECT_LT(ctrl->player.get_position().y, 49.0f);

    put_text("slope/landscape.start.unit", "RozErere\n{\n}\n");
    ctrl = make_scene();
    ctrl->start_map(mission, &game);
    ASSERT_TRUE(ctrl->get_world()->find_ground(ground, vec3_t{0, 0, 0}, 9));
    EXPECT_EQ(ctrl->player.get_position().x, 0.0f);
    EXPECT_EQ(ctrl->player.get_position().z, 0.0f);
    EXPECT_NEAR(ctrl->player.get_position().y, ground.position.y, 1e-4f);
}

TEST_F(scene_world, after_its_teardown_the_scene_leaves_no_unit_and_no_physics_server) {
    ASSERT_TRUE(put_map(area_map(), "areas"));
    // A first load fills what the map's resources keep for later loads.
    make_world()->load("/map/areas/");
    world.reset();
    set_current_ctrl({});
    free_cached();
    const uint32_t live = unit_base_t::get_live_count();
    const physics_server_t *global = physics_server_t::get_global();
    world_game_ctrl_u *ctrl = make_scene();
    ctrl->load_world("/map/areas/");
    EXPECT_NE(physics_server_t::get_global(), global);
    set_current_ctrl({});
    free_cached();
    EXPECT_EQ(unit_base_t::get_live_count(), live);
    EXPECT_EQ(physics_server_t::get_global(), global);
}

}  // namespace
}  // namespace quarn::test
