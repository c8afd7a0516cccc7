#include "camera_fixture.h"

#include "game/scene/current_ctrl.h"
#include "game/world/trail.h"
#include "kernel/sys.h"

namespace quarn::test {

QRN_UNIT_DEFINE(camera_test_ctrl_u, "camera_test_ctrl");

void camera_fixture_t::SetUp() {
    world_unit_fixture_t::SetUp();
    fake_animals = &animals;
    ai_set_animal_factory(make_fake_animal);
    game = def_text(game_def_text);
    session = std::make_unique<front_end_session_t>(&ui);
    current_screen = &screen;
    sys_reset_random();
}

void camera_fixture_t::TearDown() {
    set_current_ctrl({});
    trails.clear();
    session.reset();
    current_screen = nullptr;
    ai_set_animal_factory(nullptr);
    fake_animals = nullptr;
    world_unit_fixture_t::TearDown();
}

std::string camera_fixture_t::flat_map() {
    return std::string(MAP_TERRAIN) + R"(
def landscape {
    area: "0 0 64 64"
    spacing: "4"
    material: "meadow"
}
)";
}

camera_test_ctrl_u *camera_fixture_t::start_scene(const std::string &map_text) {
    EXPECT_TRUE(put_map(map_text, "cam"));
    set_current_ctrl(camera_test_ctrl_u::create());
    ctrl = static_cast<camera_test_ctrl_u *>(get_current_ctrl());
    EXPECT_NE(ctrl, nullptr);
    if (!ctrl) return nullptr;
    world_u *world = ctrl->get_world();
    EXPECT_NE(world, nullptr);
    if (world) world->load("/map/cam/");
    return ctrl;
}

std::vector<fake_animal_t *> camera_fixture_t::add_animals(const std::vector<std::string> &names) {
    std::string mission = "def animals {\n";
    for (const std::string &n : names) mission += "def " + n + " { species: \"whitetail\" type: \"male\" }\n";
    mission += "}\n";
    missions.push_back(def_text(mission));
    const size_t before = animals.made.size();
    ctrl->get_ai_navigation()->create_animals(missions.back()->find("animals"), game.get());
    return std::vector<fake_animal_t *>(animals.made.begin() + long(before), animals.made.end());
}

trail_u *camera_fixture_t::make_trail(const std::vector<vec3_t> &nodes, float speed) {
    owner_ptr_t<trail_u> trail = trail_u::create();
    for (const vec3_t &p : nodes) {
        trail->m_position.append(p);
        trail->m_rotation.append(quat_t());
        trail->m_speed.append(speed);
        trail->m_behavior.append(BEHAVIOR_walk);
    }
    EXPECT_TRUE(trail->prepare());
    trails.push_back(std::move(trail));
    return trails.back().get();
}

}  // namespace quarn::test
