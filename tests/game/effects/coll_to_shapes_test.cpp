// Collision models into physics shapes: one shape a primitive, with the row's
// physics material and the mass share, standing at a scaled placement or hanging on
// a body, in a scene whose units are half the world's.
#include <gtest/gtest.h>

#include "../physics/physics_fixture.h"
#include "game/visuals/effects/coll_shapes.h"
#include "game/visuals/models/model_coll_view.h"
#include "qrncore/math/ypr.h"
#include "zm_writer.h"

namespace quarn::test {
namespace {

enum set_t : uint32_t { BOX, SPHERE, CAPSULE, PLANE, MESH, ALL_BUT_PLANE };

class coll_to_shapes : public physics_test {
protected:
    // One set a kind, then a set of all but the plane. Material columns 0 and 1 map
    // to 3 and 7 in row 0, to 9 and 11 in row 1.
    void SetUp() override {
        physics_test::SetUp();
        make_scene(2.0f);
        zmgen::zm_collision_t c;
        c.material_count = 2;
        c.material_map = {{3, 7}, {9, 11}};
        c.meshes.push_back({{{0, 0, 0}, {0, 0, 1}, {1, 0, 0}, {1, 0, 1}}, {0, 1, 2, 2, 1, 3}});
        zmgen::zm_primitive_t box, sphere, capsule, plane, mesh;
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
        capsule.position = {0, 0, 1};
        capsule.radius = 0.25f;
        capsule.length = 1;
        plane.type = zm::PRIM_PLANE;
        plane.name = "floor";
        plane.plane = {0, 1, 0, 2};
        mesh.type = zm::PRIM_MESH;
        mesh.material = 1;
        c.sets = {{box}, {sphere}, {capsule}, {plane}, {mesh}, {box, sphere, capsule, mesh}};
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

struct kind_case_t {
    set_t set;
    int type;
    int material;  // row 1
    float mass;    // share 0.5
    // Sizes in scene units (scale 2 placement, scene of scale 2): the first one.
    float size0;
    vec3_t local;  // the primitive's position in model units
};

const kind_case_t kinds[] = {
    {BOX, PHYSICS_SHAPE_BOX, 9, 1.0f, 2.0f, {1, 2, 3}},
    {SPHERE, PHYSICS_SHAPE_SPHERE, 11, 0.5f, 0.5f, {0, 1, 0}},
    {CAPSULE, PHYSICS_SHAPE_CAPSULE, 9, 0.5f, 0.25f, {0, 0, 1}},
    {MESH, PHYSICS_SHAPE_TRIMESH, 11, 0.5f, 0.0f, {0, 0, 0}},
};

TEST_F(coll_to_shapes, each_kind_stands_at_a_scaled_placement) {
    placement_scale_t at;
    at.position = {10, 0, 0};
    at.scale = 2;
    at.rotation.set(ypr_t(90, 0, 0));
    for (const kind_case_t &k : kinds) {
        array_dyn_t<physics_shape_t *> made;
        ASSERT_TRUE(coll_model_to_physics_shapes_ex(view, k.set, 1, 0.5f, scene(), nullptr, at, made)) << k.set;
        ASSERT_EQ(made.get_count(), 1u) << k.set;
        physics_shape_t *s = made[0];
        shapes.append(s);
        EXPECT_EQ(s->get_type(), k.type) << k.set;
        EXPECT_EQ(s->get_owner(), nullptr) << k.set;
        EXPECT_EQ(s->get_material(), k.material) << k.set;
        EXPECT_FLOAT_EQ(s->get_mass(), k.mass) << k.set;
        if (k.type != PHYSICS_SHAPE_TRIMESH) {
            EXPECT_FLOAT_EQ(s->get_sizes()[0], k.size0) << k.set;
        }
        // Positions: scaled, turned, moved; a mesh stands at the placement itself.
        const vec3_t expected = at.from_local_space(k.local);
        const vec3_t p = s->get_world_position();
        EXPECT_NEAR(p.x, expected.x, 1e-4f) << k.set;
        EXPECT_NEAR(p.y, expected.y, 1e-4f) << k.set;
        EXPECT_NEAR(p.z, expected.z, 1e-4f) << k.set;
    }
    EXPECT_EQ(shapes[3]->get_index_count(), 6u);
    EXPECT_EQ(shapes[3]->get_vertex_count(), 4u);

    // The plane n·x = 2 at the placement is n·x = 4 in the world, 2 in scene units.
    array_dyn_t<physics_shape_t *> planes;
    ASSERT_TRUE(coll_model_to_physics_shapes_ex(view, PLANE, 0, 1.0f, scene(), nullptr, at, planes));
    ASSERT_EQ(planes.get_count(), 1u);
    shapes.append(planes[0]);
    EXPECT_EQ(planes[0]->get_type(), PHYSICS_SHAPE_PLANE);
    EXPECT_EQ(planes[0]->get_material(), 3);
    EXPECT_NEAR(planes[0]->get_sizes()[1], 1.0f, 1e-6f);
    EXPECT_NEAR(planes[0]->get_sizes()[3], 2.0f, 1e-6f);
}

TEST_F(coll_to_shapes, each_kind_hangs_on_a_body_by_its_own_pose) {
    body_ptr body = make_body();
    ASSERT_TRUE(coll_model_to_physics_shapes(view, ALL_BUT_PLANE, 1, 0.5f, scene(), body.get(), shapes));
    ASSERT_EQ(shapes.get_count(), 4u);
    for (uint32_t i = 0; i < 4; ++i) {
        const kind_case_t &k = kinds[i];
        physics_shape_t *s = shapes[i];
        EXPECT_EQ(s->get_type(), k.type) << i;
        EXPECT_EQ(s->get_owner(), body.get()) << i;
        EXPECT_EQ(s->get_material(), k.material) << i;
        EXPECT_FLOAT_EQ(s->get_mass(), k.mass) << i;
        // No placement scale on a body: only the scene's units.
        if (k.type != PHYSICS_SHAPE_TRIMESH) {
            EXPECT_FLOAT_EQ(s->get_sizes()[0], 0.5f * k.size0) << i;
        }
        const vec3_t p = s->get_world_position();
        EXPECT_NEAR(p.x, k.local.x, 1e-4f) << i;
        EXPECT_NEAR(p.y, k.local.y, 1e-4f) << i;
        EXPECT_NEAR(p.z, k.local.z, 1e-4f) << i;
    }
    EXPECT_EQ(scene().count_shapes_of(body.get()), 4u);

    // A plane cannot hang on a body: refused, nothing made.
    array_dyn_t<physics_shape_t *> none;
    EXPECT_FALSE(coll_model_to_physics_shapes(view, PLANE, 0, 1.0f, scene(), body.get(), none));
    EXPECT_EQ(none.get_count(), 0u);
    EXPECT_TRUE(log.contains("a plane cannot belong to a body"));
    // A broken row is refused before any shape is made.
    EXPECT_FALSE(coll_model_to_physics_shapes(view, BOX, 2000, 1.0f, scene(), nullptr, none));
    EXPECT_EQ(none.get_count(), 0u);
    for (physics_shape_t *s : shapes) delete s;
    shapes.clear();
}

}  // namespace
}  // namespace quarn::test
