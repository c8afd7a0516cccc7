#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

#include "game/physics/physics_fixture.h"
#include "support/math_compare.h"

namespace quarn::test {
namespace {

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float INF = std::numeric_limits<float>::infinity();

// Everything the library would abort on, and indices past the tables: each call logs
// a "[phys]" error, fails and leaves the state as it was.
TEST_F(physics_test, values_the_library_aborts_on_are_refused_first) {
    body_ptr body = make_body();
    ASSERT_TRUE(body->set_mass_sphere(3.0f, 1.0f));
    ASSERT_TRUE(body->set_pose({{1, 2, 3}, axis_angle({0, 1, 0}, 40)}));
    shape_ptr fresh = make_shape();
    shape_ptr made = make_shape();
    ASSERT_TRUE(made->create_box(nullptr, {1, 1, 1}, nullptr));
    const vec3_t tri[3] = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
    const vec3_t bad_tri[3] = {{0, 0, 0}, {NaN, 0, 0}, {0, 0, 1}};
    const uint32_t idx[3] = {0, 2, 1};
    const uint32_t past[3] = {0, 2, 3};
    const physics_pose_t zero_rotation{{0, 0, 0}, {0, 0, 0, 0}};
    const physics_pose_t far{{INF, 0, 0}, {}};
    const float step_time = scene().get_step_time();

    using check_t = std::function<bool()>;
    const check_t body_kept = [&] {
        return body->get_mass() == 3.0f && vec_near(body->get_current_pose().position, {1, 2, 3}, 0.0f) &&
               quat_near(body->get_current_rotation(), axis_angle({0, 1, 0}, 40), TOL_UNIT) && body->is_disabled() &&
               vec_near(body->get_linear_velocity(), {}, 0.0f) && vec_near(body->get_force(), {}, 0.0f) &&
               body->get_collision_group() == 0;
    };
    const check_t fresh_kept = [&] { return fresh->get_type() == PHYSICS_SHAPE_NONE && geom(fresh.get()) == nullptr; };
    const check_t made_kept = [&] {
        return made->get_type() == PHYSICS_SHAPE_BOX && dGeomGetClass(geom(made.get())) == dBoxClass &&
               made->get_material() == 0 && made->get_collision_group() == 0;
    };
    const check_t scene_kept = [&] {
        return scene().get_step_time() == step_time && scene().get_steps_per_second() == 30 &&
               scene().get_query_group() == 0 && scene().get_pair_collides(0, 31) &&
               scene().get_material(0)->friction == 0.0f &&
               vec_near(scene().get_gravity_local(), {0, -9.81f, 0}, TOL_UNIT);
    };
    ASSERT_TRUE(scene().set_gravity({0, -9.81f, 0}));

    struct case_t {
        const char *name;
        std::function<bool()> call;
        check_t kept;
    };
    const physics_material_t material{0.5f, 1.0f, 0.0f};
    const case_t cases[] = {
        {"mass 0", [&] { return body->set_mass(0.0f); }, body_kept},
        {"mass below 0", [&] { return body->set_mass(-2.0f); }, body_kept},
        {"mass NaN", [&] { return body->set_mass(NaN); }, body_kept},
        {"box mass with a size of 0", [&] { return body->set_mass_box(1.0f, {0, 1, 1}); }, body_kept},
        {"box mass with a size below 0", [&] { return body->set_mass_box(1.0f, {1, -1, 1}); }, body_kept},
        {"box mass of 0", [&] { return body->set_mass_box(0.0f, {1, 1, 1}); }, body_kept},
        {"sphere mass of radius 0", [&] { return body->set_mass_sphere(1.0f, 0.0f); }, body_kept},
        {"capsule mass of radius 0", [&] { return body->set_mass_capsule(1.0f, 1.0f, 0.0f); }, body_kept},
        {"capsule mass of length below 0", [&] { return body->set_mass_capsule(1.0f, -1.0f, 0.5f); }, body_kept},
        {"mass by shape of size 0",
         [&] { return body->set_mass_by_shape(1.0f, PHYSICS_SHAPE_SPHERE, {0, 0, 0}); }, body_kept},
        {"zero rotation", [&] { return body->set_rotation({0, 0, 0, 0}); }, body_kept},
        {"NaN rotation", [&] { return body->set_rotation({NaN, 0, 0, 0}); }, body_kept},
        {"infinite position", [&] { return body->set_position({INF, 0, 0}); }, body_kept},
        {"pose with zero rotation", [&] { return body->set_pose(zero_rotation); }, body_kept},
        {"world pose far away", [&] { return body->set_world_pose(far); }, body_kept},
        {"NaN com offset", [&] { return body->set_com_offset({NaN, 0, 0}); }, body_kept},
        {"NaN velocity", [&] { return body->set_linear_velocity({0, NaN, 0}); }, body_kept},
        {"NaN world velocity", [&] { return body->set_world_linear_velocity({0, NaN, 0}); }, body_kept},
        {"infinite angular velocity", [&] { return body->set_angular_velocity({0, 0, INF}); }, body_kept},
        {"NaN force", [&] { return body->add_force({NaN, 0, 0}); }, body_kept},
        {"NaN world force", [&] { return body->set_world_force({NaN, 0, 0}); }, body_kept},
        {"force at a NaN point", [&] { return body->add_force_at_position({1, 0, 0}, {NaN, 0, 0}); }, body_kept},
        {"NaN torque", [&] { return body->add_torque({NaN, 0, 0}); }, body_kept},
        {"body group 32", [&] { return body->set_collision_group(32); }, body_kept},
        {"sphere of radius below 0", [&] { return fresh->create_sphere(nullptr, -1.0f, nullptr); }, fresh_kept},
        {"sphere of radius NaN", [&] { return fresh->create_sphere(body.get(), NaN, nullptr); }, fresh_kept},
        {"box of a size below 0", [&] { return fresh->create_box(nullptr, {1, -1, 1}, nullptr); }, fresh_kept},
        {"capsule of length below 0", [&] { return fresh->create_capsule(nullptr, -1, 1, nullptr); }, fresh_kept},
        {"capsule of radius below 0", [&] { return fresh->create_capsule(nullptr, 1, -1, nullptr); }, fresh_kept},
        {"shape with a zero rotation", [&] { return fresh->create_sphere(body.get(), 1, &zero_rotation); },
         fresh_kept},
        {"shape placed at infinity", [&] { return fresh->create_box(nullptr, {1, 1, 1}, &far); }, fresh_kept},
        {"plane of a body", [&] { return fresh->create_plane(body.get(), {0, 1, 0, 0}, nullptr); }, fresh_kept},
        {"plane without a normal", [&] { return fresh->create_plane(nullptr, {0, 0, 0, 1}, nullptr); }, fresh_kept},
        {"mesh of two indices", [&] { return fresh->create_trimesh(nullptr, tri, 3, idx, 2, nullptr); }, fresh_kept},
        {"mesh without vertices", [&] { return fresh->create_trimesh(nullptr, tri, 0, idx, 3, nullptr); },
         fresh_kept},
        {"mesh index past the vertices", [&] { return fresh->create_trimesh(nullptr, tri, 3, past, 3, nullptr); },
         fresh_kept},
        {"mesh copy index past the vertices",
         [&] { return fresh->create_trimesh_copy(nullptr, tri, 3, past, 3, nullptr); }, fresh_kept},
        {"mesh with a NaN vertex", [&] { return fresh->create_trimesh(nullptr, bad_tri, 3, idx, 3, nullptr); },
         fresh_kept},
        {"a second create", [&] { return made->create_sphere(nullptr, 1.0f, nullptr); }, made_kept},
        {"placing an owned shape",
         [&] {
             shape_ptr owned = make_shape();
             owned->create_sphere(body.get(), 0.1f, nullptr);
             return owned->set_position({1, 1, 1});
         },
         body_kept},
        {"shape material 32", [&] { return made->set_material(32); }, made_kept},
        {"shape material -1", [&] { return made->set_material(-1); }, made_kept},
        {"shape group 32", [&] { return made->set_collision_group(32); }, made_kept},
        {"shape at a NaN position", [&] { return made->set_position({NaN, 0, 0}); }, made_kept},
        {"step time 0", [&] { return scene().set_step_time(0.0f); }, scene_kept},
        {"step time below 0", [&] { return scene().set_step_time(-0.1f); }, scene_kept},
        {"step time NaN", [&] { return scene().set_step_time(NaN); }, scene_kept},
        {"step time infinite", [&] { return scene().set_step_time(INF); }, scene_kept},
        {"0 steps a second", [&] { return scene().set_steps_per_second(0); }, scene_kept},
        {"scene material 32", [&] { return scene().set_material(32, material); }, scene_kept},
        {"negative friction", [&] { return scene().set_material(0, {0.5f, -1.0f, 0.0f}); }, scene_kept},
        {"NaN bounce", [&] { return scene().set_material(0, {NaN, 1.0f, 0.0f}); }, scene_kept},
        {"pair of group 32", [&] { return scene().set_pair_collides(0, 32, false); }, scene_kept},
        {"group -1", [&] { return scene().set_group_collides(-1, false); }, scene_kept},
        {"no response of group 40", [&] { return scene().set_pair_no_response(40, 0, true); }, scene_kept},
        {"query group 32", [&] { return scene().set_query_group(32); }, scene_kept},
        {"NaN gravity", [&] { return scene().set_gravity({0, NaN, 0}); }, scene_kept},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        EXPECT_FALSE(c.call());
        const std::vector<std::string> errors = log.texts(message_t::ERROR);
        ASSERT_FALSE(errors.empty());
        EXPECT_EQ(errors.front().rfind("[phys] ", 0), 0u) << errors.front();
        EXPECT_TRUE(c.kept());
    }
}

}  // namespace
}  // namespace quarn::test
