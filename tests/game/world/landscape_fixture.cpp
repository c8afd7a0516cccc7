#include "landscape_fixture.h"

#include "game/scene/current_ctrl.h"
#include "kernel/console/cvars.h"

namespace quarn::test {

QRN_UNIT_DEFINE(terrain_ctrl_u, "terrain_test_ctrl");

void landscape_fixture_t::SetUp() {
    world_fixture_t::SetUp();
    scene = server.create_scene(1.0f);
    ASSERT_NE(scene, nullptr);
    // The world's table: the terrain (0), water (1) and map objects (2) against the
    // masks of the chunk activation (6), terrain rays (10) and water rays (11).
    for (int group = 0; group < PHYSICS_GROUPS; ++group) scene->set_group_collides(group, false);
    for (int group : {0, 1, 2}) scene->set_pair_collides(6, group, true);
    scene->set_pair_collides(10, 0, true);
    scene->set_pair_collides(11, 1, true);
    cvar_register_variable(&chunks_variable);
    set_current_ctrl(owner_ptr_ret_t<base_ctrl_u>(terrain_ctrl_u::create().take()));
    ASSERT_NE(ctrl(), nullptr);
    live_before = unit_base_t::get_live_count();
    shapes_before = scene->get_shape_count();
}

void landscape_fixture_t::TearDown() {
    landscape.reset();
    set_current_ctrl(nullptr);
    unit_system_t::clean_garbage();
    cvar_unregister_variable(&chunks_variable);
    delete scene;
    scene = nullptr;
    world_fixture_t::TearDown();
}

terrain_ctrl_u *landscape_fixture_t::ctrl() { return static_cast<terrain_ctrl_u *>(get_current_ctrl()); }

landscape_u *landscape_fixture_t::load_map(const std::string &text, const char *name) {
    EXPECT_TRUE(put_map(text, name));
    landscape = landscape_u::create();
    landscape->load(("/map/" + std::string(name) + "/landscape.lnd").c_str(), scene);
    return landscape.get();
}

}  // namespace quarn::test
