// Projected decals: triangles clipped by the decal box into fans, texture coordinates
// projected along the box's y axis, the world bounds of both modes, the walk over a
// triangle heap and the vertex limit.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/visuals/effects/projected_decal.h"
#include "kernel/gfx.h"
#include "qrncore/math/ypr.h"
#include "qrncore/spatial/triangle_heap.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

// Meshes take their prototypes from the graphics front-end.
class projected_decal : public ::testing::Test {
protected:
    void SetUp() override { gfx_start(); }
    void TearDown() override { gfx_stop(); }
};

decal_desc_t box_at(const vec3_t &p, const vec3_t &half, const quat_t &q = quat_t()) {
    decal_desc_t d;
    d.position = p;
    d.half_size = half;
    d.rotation = q;
    return d;
}

TEST_F(projected_decal, clipping_into_fans) {
    const struct {
        const char *name;
        vec3_t corners[3];
        uint32_t vertices;
    } cases[] = {
        {"inside", {{-0.5f, 0, -0.5f}, {-0.5f, 0, 0.5f}, {0.5f, 0, -0.5f}}, 3},
        {"across one side", {{-0.5f, 0, -0.5f}, {-0.5f, 0, 0.5f}, {3, 0, 0}}, 4},
        {"across a corner", {{0, 0, 0}, {0, 0, 1.5f}, {1.5f, 0, 0}}, 5},
        {"above the box", {{0, 2, 0}, {0, 2, 1}, {1, 2, 0}}, 0},
        {"around the box", {{-10, 0, -10}, {-10, 0, 30}, {30, 0, -10}}, 4},
    };
    for (const auto &c : cases) {
        decal_mesh_t mesh;
        projected_decal_builder_t b;
        b.setup(box_at({0, 0, 0}, {1, 1, 1}), 0);
        triangle_heap_t one;
        ASSERT_TRUE(one.append(3, c.corners, 0, nullptr, 1, sizeof(vec3_t), nullptr));
        EXPECT_EQ(b.build(mesh, one), c.vertices > 0) << c.name;
        EXPECT_EQ(mesh.get_vertex_count(), c.vertices) << c.name;
        EXPECT_EQ(mesh.get_index_count(), c.vertices ? 3 * (c.vertices - 2) : 0) << c.name;
        for (uint32_t v = 0; v < mesh.get_vertex_count(); ++v) {
            const vec3_t &p = mesh.get_position(v);
            EXPECT_LE(std::fabs(p.x), 1.0f + 1e-5f) << c.name;
            EXPECT_LE(std::fabs(p.z), 1.0f + 1e-5f) << c.name;
            EXPECT_FLOAT_EQ(mesh.get_uv(v).x, 0.5f * p.x + 0.5f) << c.name;
            EXPECT_FLOAT_EQ(mesh.get_uv(v).y, 0.5f * p.z + 0.5f) << c.name;
        }
        // A fan around the first vertex.
        for (uint32_t i = 0; i < mesh.get_index_count(); i += 3) {
            EXPECT_EQ(mesh.get_index(i), 0u);
            EXPECT_EQ(mesh.get_index(i + 2), mesh.get_index(i + 1) + 1);
        }
    }
}

TEST_F(projected_decal, frame_turns_about_y_only) {
    // A decal half 2 × 1 × 4, turned 90° about y and pitched: the frame keeps the yaw.
    quat_t q;
    q.set(ypr_t(90, 30, 0));
    projected_decal_builder_t b;
    b.setup(box_at({10, 0, 0}, {2, 1, 4}, q), 0);
    EXPECT_NEAR(b.get_frame().rotation.get_ypr().yaw, 90.0f, 1e-3f);
    EXPECT_NEAR(b.get_frame().rotation.get_ypr().pitch, 0.0f, 1e-3f);
    // The frame's local (2, 0, -4) — x at its half, z at minus its half — gets (1, 0).
    const vec3_t corner = b.get_frame().from_local_space({2, 0, -4});
    const vec3_t tri[3] = {corner + vec3_t{0, 0, 0}, corner + vec3_t{-0.5f, 0, 0.5f}, corner + vec3_t{0.5f, 0, 0.5f}};
    triangle_heap_t heap;
    ASSERT_TRUE(heap.append(3, tri, 0, nullptr, 7, sizeof(vec3_t), nullptr));
    decal_mesh_t mesh;
    ASSERT_TRUE(b.build(mesh, heap));
    bool found = false;
    for (uint32_t v = 0; v < mesh.get_vertex_count(); ++v) {
        if (length(mesh.get_position(v) - corner) < 1e-4f) {
            found = true;
            EXPECT_NEAR(mesh.get_uv(v).x, 1.0f, 1e-5f);
            EXPECT_NEAR(mesh.get_uv(v).y, 0.0f, 1e-5f);
        }
    }
    EXPECT_TRUE(found);

    // The world bounds follow the full rotation; mode 1 reaches back from the
    // position along -z, and its frame sits one half size back.
    projected_decal_builder_t straight;
    straight.setup(box_at({0, 0, 0}, {1, 2, 3}), 1);
    EXPECT_EQ(straight.get_bounds().min, (vec3_t{-1, -2, -6}));
    EXPECT_EQ(straight.get_bounds().max, (vec3_t{1, 2, 0}));
    EXPECT_EQ(straight.get_frame().position, (vec3_t{0, 0, -3}));
    projected_decal_builder_t none;
    none.setup(box_at({0, 0, 0}, {1, 1, 1}), 5);
    EXPECT_TRUE(none.get_bounds().is_void());
}

TEST_F(projected_decal, over_a_heap_and_its_limit) {
    // A flat grid of 20 × 20 cells of one unit.
    std::vector<vec3_t> vertices;
    std::vector<uint16_t> indices;
    for (int z = 0; z <= 20; ++z)
        for (int x = 0; x <= 20; ++x) vertices.push_back({float(x), 0, float(z)});
    for (int z = 0; z < 20; ++z)
        for (int x = 0; x < 20; ++x) {
            const uint16_t a = uint16_t(z * 21 + x), b = uint16_t(a + 1), c = uint16_t(a + 21), d = uint16_t(c + 1);
            for (uint16_t i : {a, c, b, b, c, d}) indices.push_back(i);
        }
    triangle_heap_t heap;
    ASSERT_TRUE(heap.append(uint32_t(vertices.size()), vertices.data(), uint32_t(indices.size()), indices.data(), 3,
                            sizeof(vec3_t), nullptr));
    ASSERT_TRUE(heap.is_dirty());
    projected_decal_builder_t b;
    b.setup(box_at({10, 0, 10}, {1.5f, 1, 1.5f}), 0);
    decal_mesh_t mesh;
    ASSERT_TRUE(b.build(mesh, heap));
    EXPECT_FALSE(heap.is_dirty());
    // 3 × 3 cells, partly covered: 16 cells' triangles touch the box.
    float area = 0;
    for (uint32_t i = 0; i < mesh.get_index_count(); i += 3) {
        const vec3_t &p0 = mesh.get_position(mesh.get_index(i)), &p1 = mesh.get_position(mesh.get_index(i + 1)),
                     &p2 = mesh.get_position(mesh.get_index(i + 2));
        area += 0.5f * std::fabs(cross(p1 - p0, p2 - p0).y);
    }
    EXPECT_NEAR(area, 9.0f, 1e-3f);
    // The prototype points at the mesh's arrays.
    r_proto_t *proto = mesh.get_proto();
    ASSERT_NE(proto->packets[0], nullptr);
    EXPECT_EQ(static_cast<r_geometry_t *>(proto->packets[0]->data)->vertex_count, mesh.get_vertex_count());
    EXPECT_EQ(static_cast<r_geometry_t *>(proto->index_packet->data)->index_count, mesh.get_index_count());

    b.setup(box_at({100, 0, 100}, {1, 1, 1}), 0);
    decal_mesh_t far;
    EXPECT_FALSE(b.build(far, heap));

    // A mesh near its vertex limit: the polygon that would pass it ends the build.
    decal_mesh_t full;
    for (uint32_t v = 0; v < projected_decal_builder_t::MAX_VERTICES - 2; ++v) full.add_vertex({}, {});
    b.setup(box_at({10, 0, 10}, {1.5f, 1, 1.5f}), 0);
    message_capture_t log;
    EXPECT_FALSE(b.build(full, heap));
    EXPECT_TRUE(log.contains("[projected_decal_builder_t::operator()] Decal index overflow!"));
    EXPECT_EQ(full.get_vertex_count(), projected_decal_builder_t::MAX_VERTICES - 2);
}

}  // namespace
}  // namespace quarn::test
