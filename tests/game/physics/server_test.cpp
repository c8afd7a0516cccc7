#include <gtest/gtest.h>

#include <limits>

#include "game/physics/physics_fixture.h"
#include "game/visuals/physics/ode_library.h"
#include "game/visuals/physics/physics_memory.h"
#include "kernel/console/commands.h"

namespace quarn::test {
namespace {

TEST_F(physics_test, mesh_copies_count_into_the_physics_memory) {
    const vec3_t vertices[4] = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1, 0, 1}};
    const uint32_t indices[7] = {0, 2, 1, 1, 2, 3, 0};  // the seventh index makes no triangle
    // The static space takes its own memory with its first geom.
    make_shape()->create_sphere(nullptr, 1.0f, nullptr);
    const size_t start = physics_memory_usage();
    shape_ptr mesh = make_shape();
    ASSERT_TRUE(mesh->create_trimesh_copy(nullptr, vertices, 4, indices, 7, nullptr));
    EXPECT_GE(physics_memory_usage(), start + sizeof vertices + 6 * sizeof(uint32_t));
    EXPECT_EQ(mesh->get_index_count(), 6u);
    mesh.reset();
    EXPECT_EQ(physics_memory_usage(), start);
}

// A scene deleted with objects still listed logs them and takes their library parts
// along; deleting the objects afterwards frees only their own memory.
TEST_F(physics_test, a_scene_deleted_first_detaches_what_it_still_lists) {
    physics_scene_t *other = server.create_scene(1.0f);
    ASSERT_NE(other, nullptr);
    physics_body_t *body = other->create_body();
    physics_shape_t *sphere = other->create_shape();
    const physics_pose_t off{{0.5f, 0, 0}, {}};
    ASSERT_TRUE(sphere->create_sphere(body, 0.1f, nullptr));
    physics_shape_t *wrapped = other->create_shape();
    ASSERT_TRUE(wrapped->create_box(body, {1, 1, 1}, &off));
    const vec3_t vertices[3] = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
    const uint32_t indices[3] = {0, 2, 1};
    physics_shape_t *mesh = other->create_shape();
    ASSERT_TRUE(mesh->create_trimesh_copy(nullptr, vertices, 3, indices, 3, nullptr));
    EXPECT_EQ(server.get_scene_count(), 2u);

    log.clear();
    delete other;
    EXPECT_TRUE(log.contains("[phys] There are 3 unremoved shapes!"));
    EXPECT_TRUE(log.contains("[phys] There are 1 unremoved actors!"));
    EXPECT_EQ(server.get_scene_count(), 1u);
    EXPECT_EQ(body->get_scene(), nullptr);
    EXPECT_FALSE(body->set_mass(2.0f));
    log.clear();
    delete sphere;
    delete wrapped;
    delete mesh;
    delete body;
    EXPECT_FALSE(log.contains("list"));
}

TEST_F(physics_test, a_scene_logs_one_shape_left) {
    physics_scene_t *other = server.create_scene(1.0f);
    physics_shape_t *shape = other->create_shape();
    ASSERT_TRUE(shape->create_sphere(nullptr, 1.0f, nullptr));
    log.clear();
    delete other;
    EXPECT_TRUE(log.contains("[phys] There are 1 unremoved shapes!"));
    EXPECT_FALSE(log.contains("actors"));
    delete shape;
}

TEST_F(physics_test, phys_info_prints_the_global_server) {
    body_ptr body = make_body();
    body->set_world_linear_velocity({1, 0, 0});
    body_ptr sleeper = make_body();
    shape_ptr shape = make_shape();
    ASSERT_TRUE(shape->create_sphere(nullptr, 1.0f, nullptr));
    shape_ptr off = make_shape();
    ASSERT_TRUE(off->create_sphere(nullptr, 1.0f, nullptr));
    off->disable();
    EXPECT_EQ(physics_server_t::get_global(), &server);
    log.clear();
    EXPECT_TRUE(cmd_execute("phys_info"));
    const std::vector<std::string> expected = {
        "phys_info",  // the line, as it runs
        "Physics server info :",   "Scenes count 1",         "Physics scene info :",
        "Actors count 2 .",        "Actors dynamic count 2 .", "Actors not sleeping count 1 .",
        "Shapes count 2 .",        "Shapes enabled count 1 .",
    };
    EXPECT_EQ(log.texts(message_t::MESSAGE), expected);
}

TEST(physics_server, phys_info_without_a_server_does_nothing) {
    ASSERT_EQ(physics_server_t::get_global(), nullptr);
    EXPECT_EQ(cmd_get("phys_info"), nullptr);
    message_capture_t log;
    EXPECT_EQ(physics_server_t::phys_info_command(nullptr), cmd_t::DONE);
    EXPECT_TRUE(log.entries().empty());
}

// While a world hands over, two servers live: the library, its hooks and the command
// stay until the last one goes, and the global pointer names the newest.
TEST(physics_server, two_servers_share_the_library) {
    message_capture_t log;
    auto *first = new ode_physics_server_t;
    EXPECT_TRUE(log.contains("Starting physics server: \\gOpen Dynamics Engine"));
    auto *second = new ode_physics_server_t;
    EXPECT_EQ(physics_server_t::get_global(), second);
    EXPECT_EQ(ode_library_users(), 2u);
    delete first;
    EXPECT_EQ(physics_server_t::get_global(), second);
    EXPECT_NE(cmd_get("phys_info"), nullptr);
    // The library still runs for the second server.
    physics_scene_t *scene = second->create_scene(1.0f);
    ASSERT_NE(scene, nullptr);
    physics_body_t *body = scene->create_body();
    body->set_world_linear_velocity({0, 1, 0});
    scene->step(0.05f);
    delete body;
    delete scene;
    const size_t held = physics_memory_usage();
    delete second;
    EXPECT_EQ(physics_server_t::get_global(), nullptr);
    EXPECT_EQ(cmd_get("phys_info"), nullptr);
    EXPECT_EQ(ode_library_users(), 0u);
    EXPECT_LT(physics_memory_usage(), held);
}

TEST(physics_server, deleted_before_its_scenes_lets_them_go) {
    message_capture_t log;
    auto *server = new ode_physics_server_t;
    physics_scene_t *scene = server->create_scene(1.0f);
    delete server;
    EXPECT_TRUE(log.contains("[phys] Remove all scenes first"));
    EXPECT_EQ(scene->get_server(), nullptr);
    // The scene keeps the library until it goes.
    EXPECT_EQ(ode_library_users(), 1u);
    physics_body_t *body = scene->create_body();
    scene->step(0.1f);
    delete body;
    delete scene;
    EXPECT_EQ(ode_library_users(), 0u);
    EXPECT_FALSE(log.contains("not in scene list"));
}

TEST(physics_server, create_scene_refuses_scales_it_would_divide_by) {
    ode_physics_server_t server;
    message_capture_t log;
    for (float scale : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        log.clear();
        EXPECT_EQ(server.create_scene(scale), nullptr);
        EXPECT_TRUE(log.contains("[phys] create_scene"));
    }
    EXPECT_EQ(server.get_scene_count(), 0u);
}

}  // namespace
}  // namespace quarn::test
