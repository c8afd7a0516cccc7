// Projected decals: the clipper's fans, texture coordinates along the box's y axis,
// both modes, refused set-ups, the vertex limit, and the tree walk against a plain
// loop over every triangle of a heap.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "game/visuals/effects/projected_decal.h"
#include "kernel/gfx/gfx.h"
#include "qrncore/math/ypr.h"
#include "qrncore/spatial/triangle_heap.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

class decal_builder : public ::testing::Test {
protected:
    void SetUp() override { gfx_start(); }
    void TearDown() override { gfx_stop(); }
    message_capture_t log;
};

decal_desc_t box_at(const vec3_t &p, const vec3_t &half, const quat_t &q = quat_t()) {
    decal_desc_t d;
    d.position = p;
    d.half_size = half;
    d.rotation = q;
    return d;
}

// One triangle in a heap of its own, cut by the unit box at the origin.
uint32_t cut_one(const vec3_t (&corners)[3], decal_mesh_t &mesh) {
    triangle_heap_t heap;
    EXPECT_TRUE(heap.append(3, corners, 0, nullptr, 1, sizeof(vec3_t), nullptr));
    projected_decal_builder_t b;
    EXPECT_TRUE(b.setup(box_at({0, 0, 0}, {1, 1, 1}), 0));
    b.build(mesh, heap);
    return mesh.get_vertex_count();
}

TEST_F(decal_builder, triangles_become_fans_of_their_clipped_polygon) {
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
        EXPECT_EQ(cut_one(c.corners, mesh), c.vertices) << c.name;
        EXPECT_EQ(mesh.get_index_count(), c.vertices ? 3 * (c.vertices - 2) : 0) << c.name;
        for (uint32_t i = 0; i < mesh.get_index_count(); i += 3) {
            EXPECT_EQ(mesh.get_index(i), 0u) << c.name << ": a fan around the first vertex";
            EXPECT_EQ(mesh.get_index(i + 1), i / 3 + 1) << c.name;
            EXPECT_EQ(mesh.get_index(i + 2), i / 3 + 2) << c.name;
        }
        for (uint32_t v = 0; v < mesh.get_vertex_count(); ++v) {
            const vec3_t &p = mesh.get_position(v);
            EXPECT_LE(std::fabs(p.x), 1.0f + 1e-5f) << c.name;
            EXPECT_LE(std::fabs(p.z), 1.0f + 1e-5f) << c.name;
            EXPECT_FLOAT_EQ(mesh.get_uv(v).x, 0.5f * p.x + 0.5f) << c.name;
            EXPECT_FLOAT_EQ(mesh.get_uv(v).y, 0.5f * p.z + 0.5f) << c.name;
        }
    }
}

TEST_F(decal_builder, the_frame_keeps_the_yaw_and_projects_along_its_y) {
    quat_t q;
    q.set(ypr_t(90, 30, 0));
    projected_decal_builder_t b;
    ASSERT_TRUE(b.setup(box_at({10, 0, 0}, {2, 1, 4}, q), 0));
    EXPECT_NEAR(b.get_frame().rotation.get_ypr().yaw, 90.0f, 1e-3f);
    EXPECT_NEAR(b.get_frame().rotation.get_ypr().pitch, 0.0f, 1e-3f);
    // The frame's local (half x, any, -half z) gets the texture coordinates (1, 0).
    const vec3_t corner = b.get_frame().from_local_space({2, 0.5f, -4});
    const vec3_t tri[3] = {corner, corner + vec3_t{-0.5f, 0, 0.5f}, corner + vec3_t{0.5f, 0, 0.5f}};
    triangle_heap_t heap;
    ASSERT_TRUE(heap.append(3, tri, 0, nullptr, 7, sizeof(vec3_t), nullptr));
    decal_mesh_t mesh;
    ASSERT_TRUE(b.build(mesh, heap));
    int found = 0;
    for (uint32_t v = 0; v < mesh.get_vertex_count(); ++v)
        if (length(mesh.get_position(v) - corner) < 1e-4f) {
            ++found;
            EXPECT_NEAR(mesh.get_uv(v).x, 1.0f, 1e-5f);
            EXPECT_NEAR(mesh.get_uv(v).y, 0.0f, 1e-5f);
        }
    EXPECT_GE(found, 1);
    // The bounds hold the pitched box and the frame's.
    for (unsigned i = 0; i < 8; ++i) {
        const vec3_t c{(i & 1) ? 2.0f : -2.0f, (i & 2) ? 1.0f : -1.0f, (i & 4) ? 4.0f : -4.0f};
        EXPECT_TRUE(b.get_bounds().contains(vec3_t{10, 0, 0} + q.rotate(c))) << i;
        EXPECT_TRUE(b.get_bounds().contains(b.get_frame().from_local_space(c))) << i;
    }
}

TEST_F(decal_builder, mode_one_reaches_back_from_the_position) {
    projected_decal_builder_t b;
    ASSERT_TRUE(b.setup(box_at({0, 0, 0}, {1, 2, 3}), 1));
    EXPECT_EQ(b.get_bounds().min, (vec3_t{-1, -2, -6}));
    EXPECT_EQ(b.get_bounds().max, (vec3_t{1, 2, 0}));
    EXPECT_EQ(b.get_frame().position, (vec3_t{0, 0, -3}));
    // A triangle behind the position is cut, one in front of it is not.
    const vec3_t behind[3] = {{-0.5f, 0, -1}, {0.5f, 0, -1}, {0, 0, -2}};
    const vec3_t ahead[3] = {{-0.5f, 0, 1}, {0.5f, 0, 1}, {0, 0, 2}};
    for (const auto *tri : {behind, ahead}) {
        triangle_heap_t heap;
        ASSERT_TRUE(heap.append(3, tri, 0, nullptr, 1, sizeof(vec3_t), nullptr));
        decal_mesh_t mesh;
        EXPECT_EQ(b.build(mesh, heap), tri == behind);
    }
    // Other modes cut nothing.
    ASSERT_TRUE(b.setup(box_at({0, 0, 0}, {1, 1, 1}), 5));
    EXPECT_TRUE(b.get_bounds().is_void());
}

TEST_F(decal_builder, half_sizes_that_would_divide_by_zero_are_refused) {
    const vec3_t tri[3] = {{-0.5f, 0, -0.5f}, {-0.5f, 0, 0.5f}, {0.5f, 0, -0.5f}};
    triangle_heap_t heap;
    ASSERT_TRUE(heap.append(3, tri, 0, nullptr, 1, sizeof(vec3_t), nullptr));
    for (const vec3_t &half : {vec3_t{0, 1, 1}, vec3_t{1, 1, 0}, vec3_t{1, -1, 1}, vec3_t{1, NAN, 1}}) {
        projected_decal_builder_t b;
        EXPECT_FALSE(b.setup(box_at({0, 0, 0}, half), 0));
        decal_mesh_t mesh;
        EXPECT_FALSE(b.build(mesh, heap));
        EXPECT_EQ(mesh.get_vertex_count(), 0u);
    }
    EXPECT_TRUE(log.contains("[projected_decal_builder_t] A decal of half size (0, 1, 1) is refused"));
}

// A flat grid of cells of one unit, as two triangles each.
struct grid_t {
    explicit grid_t(int cells) {
        for (int z = 0; z <= cells; ++z)
            for (int x = 0; x <= cells; ++x) vertices.push_back({float(x), 0, float(z)});
        const int row = cells + 1;
        for (int z = 0; z < cells; ++z)
            for (int x = 0; x < cells; ++x) {
                const uint16_t a = uint16_t(z * row + x), b = uint16_t(a + 1), c = uint16_t(a + row),
                               d = uint16_t(c + 1);
                for (uint16_t i : {a, c, b, b, c, d}) indices.push_back(i);
            }
    }
    std::vector<vec3_t> vertices;
    std::vector<uint16_t> indices;
};

TEST_F(decal_builder, a_box_over_a_grid_cuts_exactly_its_area) {
    grid_t grid(20);
    triangle_heap_t heap;
    ASSERT_TRUE(heap.append(uint32_t(grid.vertices.size()), grid.vertices.data(), uint32_t(grid.indices.size()),
                            grid.indices.data(), 3, sizeof(vec3_t), nullptr));
    ASSERT_TRUE(heap.is_dirty());
    projected_decal_builder_t b;
    ASSERT_TRUE(b.setup(box_at({10, 0, 10}, {1.5f, 1, 1.5f}), 0));
    decal_mesh_t mesh;
    ASSERT_TRUE(b.build(mesh, heap));
    EXPECT_FALSE(heap.is_dirty()) << "the heap's tree was built first";
    double area = 0;
    for (uint32_t i = 0; i < mesh.get_index_count(); i += 3) {
        const vec3_t &p0 = mesh.get_position(mesh.get_index(i)), &p1 = mesh.get_position(mesh.get_index(i + 1)),
                     &p2 = mesh.get_position(mesh.get_index(i + 2));
        area += 0.5 * std::fabs(double(cross(p1 - p0, p2 - p0).y));
    }
    EXPECT_NEAR(area, 9.0, 1e-3) << "3 x 3 units of the grid, partly cut cells included";
    ASSERT_TRUE(b.setup(box_at({100, 0, 100}, {1, 1, 1}), 0));
    decal_mesh_t far;
    EXPECT_FALSE(b.build(far, heap)) << "a box off the grid cuts nothing";
}

TEST_F(decal_builder, a_polygon_past_the_vertex_limit_ends_the_build) {
    grid_t grid(20);
    triangle_heap_t heap;
    ASSERT_TRUE(heap.append(uint32_t(grid.vertices.size()), grid.vertices.data(), uint32_t(grid.indices.size()),
                            grid.indices.data(), 3, sizeof(vec3_t), nullptr));
    projected_decal_builder_t b;
    ASSERT_TRUE(b.setup(box_at({10, 0, 10}, {1.5f, 1, 1.5f}), 0));
    decal_mesh_t full;
    for (uint32_t v = 0; v < projected_decal_builder_t::MAX_VERTICES - 2; ++v) ASSERT_TRUE(full.add_vertex({}, {}));
    EXPECT_FALSE(b.build(full, heap));
    EXPECT_TRUE(log.contains("[projected_decal_builder_t::operator()] Decal index overflow!"));
    EXPECT_EQ(full.get_vertex_count(), projected_decal_builder_t::MAX_VERTICES - 2);
    EXPECT_EQ(full.get_index_count(), 0u);
}

// Sums a mesh's area and its vertices, order aside.
struct mesh_sum_t {
    explicit mesh_sum_t(const decal_mesh_t &m) {
        for (uint32_t i = 0; i < m.get_index_count(); i += 3) {
            const vec3_t &p0 = m.get_position(m.get_index(i)), &p1 = m.get_position(m.get_index(i + 1)),
                         &p2 = m.get_position(m.get_index(i + 2));
            area += 0.5 * double(length(cross(p1 - p0, p2 - p0)));
        }
        for (uint32_t v = 0; v < m.get_vertex_count(); ++v) {
            const vec3_t &p = m.get_position(v);
            sum += double(p.x) + 3.0 * double(p.y) + 7.0 * double(p.z);
        }
        vertices = m.get_vertex_count();
    }
    double area = 0, sum = 0;
    uint32_t vertices = 0;
};

TEST_F(decal_builder, the_tree_walk_cuts_what_a_loop_over_every_triangle_cuts) {
    std::mt19937 random(1234);
    std::uniform_real_distribution<float> at(-50.0f, 50.0f), off(-3.0f, 3.0f);
    std::vector<vec3_t> corners;
    for (int t = 0; t < 2000; ++t) {
        const vec3_t c{at(random), at(random) * 0.1f, at(random)};
        for (int k = 0; k < 3; ++k) corners.push_back(c + vec3_t{off(random), off(random), off(random)});
    }
    // Each triple of corners is one triangle of an indexed list.
    std::vector<uint16_t> indices(corners.size());
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = uint16_t(i);
    triangle_heap_t listed;
    ASSERT_TRUE(listed.append(uint32_t(corners.size()), corners.data(), uint32_t(indices.size()), indices.data(), 9,
                              sizeof(vec3_t), nullptr));
    for (int d = 0; d < 20; ++d) {
        quat_t q;
        q.set(ypr_t(at(random) * 3.6f, 0, 0));
        const decal_desc_t desc = box_at({at(random), 0, at(random)}, {4 + off(random), 5, 4 + off(random)}, q);
        projected_decal_builder_t b;
        ASSERT_TRUE(b.setup(desc, d % 2));
        decal_mesh_t walked, looped;
        b.build(walked, listed);
        for (size_t t = 0; t < corners.size(); t += 3) ASSERT_TRUE(b.add_triangle(looped, &corners[t]));
        const mesh_sum_t w(walked), l(looped);
        EXPECT_EQ(w.vertices, l.vertices) << d;
        EXPECT_NEAR(w.area, l.area, 1e-3) << d;
        EXPECT_NEAR(w.sum, l.sum, 1e-2) << d;
    }
}

TEST_F(decal_builder, the_mesh_draws_with_one_colour_and_its_material) {
    const vec3_t tri[3] = {{-0.5f, 0, -0.5f}, {-0.5f, 0, 0.5f}, {0.5f, 0, -0.5f}};
    decal_mesh_t mesh;
    EXPECT_EQ(mesh.colour, 0xFFFFFFFFu);
    EXPECT_FALSE(mesh.queue()) << "nothing to draw yet";
    ASSERT_EQ(cut_one(tri, mesh), 3u);
    mesh.colour = 0x80FFFFFFu;
    r_proto_t *proto = mesh.get_proto();
    ASSERT_NE(proto->packets[0], nullptr);
    EXPECT_EQ(proto->packets[0]->type, uint32_t(R_PACKET_PST));
    const r_geometry_t *g = static_cast<const r_geometry_t *>(proto->packets[0]->data);
    EXPECT_EQ(g->vertex_count, 3u);
    EXPECT_EQ(*g->colours, 0x80FFFFFFu);
    EXPECT_EQ(static_cast<const r_geometry_t *>(proto->index_packet->data)->index_count, 3u);
    EXPECT_FALSE(mesh.queue()) << "without a material nothing is queued";
    EXPECT_FALSE(mesh.set_material("/t/none.mat")) << "no memory manager here";
    EXPECT_EQ(mesh.get_material(), nullptr);
}

}  // namespace
}  // namespace quarn::test
