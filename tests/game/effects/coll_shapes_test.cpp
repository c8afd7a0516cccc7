// Collision models into physics shapes: one shape a primitive with the row's physics
// material and the mass share, standing at a placement (scaled) or hanging on a body.
#include <gtest/gtest.h>

#include "../physics/physics_fixture.h"
#include "game/visuals/effects/coll_shapes.h"
#include "game/visuals/models/model_coll_view.h"
#include "qrncore/math/ypr.h"
#include "zm_writer.h"

namespace quarn::test {
namespace {

class coll_shapes_test : public physics_test {
protected:
    // Box, sphere, capsule and a two-triangle mesh; row 0 maps the materials to 3 and
    // 7, row 1 to 9 and 11; a second set holds a plane.
    void SetUp() override {
        physics_test::SetUp();
        zmgen::zm_collision_t c;
        c.material_count = 2;
        c.material_map = {{3, 7}, {9, 11}};
        zmgen::zm_mesh_t mesh;
        mesh.vertices = {{0, 0, 0}, {0, 0, 1}, {1, 0, 0}, {1, 0, 1}};
        mesh.indices = {0, 1, 2, 2, 1, 3};
        c.meshes.push_back(mesh);
        zmgen::zm_primitive_t box, sphere, capsule, tri, plane;
        box.type = zm::PRIM_BOX;
        box.name = "box";
        box.position = {1, 2, 3};
        box.sizes = {2, 4, 6};
        box.mass = 2;
        sphere.type = zm::PRIM_SPHERE;
        sphere.name = "ball";
        sphere.material = 1;
        sphere.position = {0, 1, 0};
        sphere.radius = 0.5f;
        capsule.type = zm::PRIM_CAPSULE;
        capsule.name = "cap";
        capsule.radius = 0.25f;
        capsule.length = 1;
        tri.type = zm::PRIM_MESH;
        tri.material = 1;
        plane.type = zm::PRIM_PLANE;
        plane.name = "floor";
        plane.plane = {0, 1, 0, 2};
        c.sets = {{box, sphere, capsule, tri}, {plane}};
        ASSERT_TRUE(zmgen::zm_write_collision(c, bytes));
        ASSERT_TRUE(view.open(bytes.data(), bytes.size(), "/t/shapes.zmc"));
    }
    void TearDown() override {
        for (physics_shape_t *s : shapes) delete s;
        shapes.clear();
        physics_test::TearDown();
    }

    zmgen::bytes_t bytes;
    model_coll_view_t view;
    array_dyn_t<physics_shape_t *> shapes;
};

TEST_F(coll_shapes_test, standing_at_a_placement) {
    placement_scale_t at;
    at.position = {10, 0, 0};
    at.scale = 2;
    at.rotation.set(ypr_t(90, 0, 0));
    ASSERT_TRUE(coll_model_to_physics_shapes_ex(view, 0, 1, 0.5f, scene(), nullptr, at, shapes));
    ASSERT_EQ(shapes.get_count(), 4u);
    const int types[] = {PHYSICS_SHAPE_BOX, PHYSICS_SHAPE_SPHERE, PHYSICS_SHAPE_CAPSULE, PHYSICS_SHAPE_TRIMESH};
    const int materials[] = {9, 11, 9, 11};
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(shapes[i]->get_type(), types[i]) << i;
        EXPECT_EQ(shapes[i]->get_material(), materials[i]) << i;
        EXPECT_EQ(shapes[i]->get_owner(), nullptr);
    }
    EXPECT_FLOAT_EQ(shapes[0]->get_mass(), 1.0f);
    EXPECT_FLOAT_EQ(shapes[1]->get_mass(), 0.5f);
    // The box: sizes doubled; its position (1, 2, 3) scaled, turned 90° about y, moved.
    EXPECT_FLOAT_EQ(shapes[0]->get_sizes()[0], 4.0f);
    EXPECT_FLOAT_EQ(shapes[0]->get_sizes()[2], 12.0f);
    const vec3_t p = shapes[0]->get_world_position();
    const vec3_t expected = at.from_local_space({1, 2, 3});
    EXPECT_NEAR(p.x, expected.x, 1e-4f);
    EXPECT_NEAR(p.y, 4.0f, 1e-4f);
    EXPECT_NEAR(p.z, expected.z, 1e-4f);
    EXPECT_FLOAT_EQ(shapes[1]->get_sizes()[0], 1.0f);
    EXPECT_EQ(shapes[3]->get_index_count(), 6u);
    EXPECT_EQ(scene().get_shape_count(), 4u);

    // The plane set at the identity: n·x = 2.
    array_dyn_t<physics_shape_t *> planes;
    ASSERT_TRUE(coll_model_to_physics_shapes(view, 1, 0, 1.0f, scene(), nullptr, planes));
    ASSERT_EQ(planes.get_count(), 1u);
    EXPECT_EQ(planes[0]->get_type(), PHYSICS_SHAPE_PLANE);
    delete planes[0];
}

TEST_F(coll_shapes_test, hanging_on_a_body) {
    body_ptr body = make_body();
    ASSERT_TRUE(coll_model_to_physics_shapes(view, 0, 0, 1.0f, scene(), body.get(), shapes));
    ASSERT_EQ(shapes.get_count(), 4u);
    for (physics_shape_t *s : shapes) EXPECT_EQ(s->get_owner(), body.get());
    EXPECT_EQ(shapes[0]->get_material(), 3);
    EXPECT_EQ(scene().count_shapes_of(body.get()), 4u);
    // A broken set is refused before any shape is made.
    array_dyn_t<physics_shape_t *> none;
    EXPECT_FALSE(coll_model_to_physics_shapes(view, 0, 2000, 1.0f, scene(), nullptr, none));
    EXPECT_EQ(none.get_count(), 0u);
    for (physics_shape_t *s : shapes) delete s;
    shapes.clear();
}

}  // namespace
}  // namespace quarn::test
