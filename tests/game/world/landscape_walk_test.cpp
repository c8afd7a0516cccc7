// The triangle walks of the ground queries (corners of indexed and strip sets, the
// point test's corner order and normals, the first-triangle stop), projected meshes,
// and what a piece reads at a point: its capped colour and its dominant layer.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "landscape_fixture.h"

namespace quarn::test {
namespace {

class landscape_walk_test : public landscape_fixture_t {};

TEST_F(landscape_walk_test, point_and_first_triangle_over_the_slope) {
    landscape_u *l = load_map(map_slope_text(), "slope");
    // The point test finds the triangle under (5, 1.25, 3): chunk 0, cell (1, 0),
    // which is rock-free meadow; its normal is the slope's.
    landscape_triangle_query_t q;
    q.point = {5, 1.25f, 3};
    ASSERT_TRUE(l->query_triangles_point(q, landscape_volume_t::of_point(q.point, 0.1f)));
    ASSERT_NE(q.piece.get(), nullptr);
    EXPECT_EQ(q.piece.get(), l->get_chunk(0)->get_piece(0));
    EXPECT_EQ(q.surface_kind, 14);  // the highest layer substance (rock)
    EXPECT_NEAR(q.normal.x, -0.2425f, 1e-3f);
    EXPECT_NEAR(q.normal.y, 0.9701f, 1e-3f);
    EXPECT_NEAR(q.normal.z, 0.0f, 1e-5f);
    // The triangle holds the point (projected on x and z).
    const model_piece_t &p = l->get_chunk(0)->get_model()->get_piece(0);
    ASSERT_GE(q.triangle, 0);
    const vec3_t *v = p.positions;
    const uint16_t *ix = p.indices + 3 * q.triangle;
    const vec3_t a = v[ix[0]], b = v[ix[1]], c = v[ix[2]];
    auto side = [](const vec3_t &p0, const vec3_t &p1, const vec3_t &x) {
        return (p1.x - p0.x) * (x.z - p0.z) - (p1.z - p0.z) * (x.x - p0.x);
    };
    const float s0 = side(a, b, q.point), s1 = side(b, c, q.point), s2 = side(c, a, q.point);
    EXPECT_TRUE((s0 >= 0 && s1 >= 0 && s2 >= 0) || (s0 <= 0 && s1 <= 0 && s2 <= 0));
    // The chunks the volume met are now in the heap.
    EXPECT_TRUE(l->get_chunk(0)->is_in_heap());

    // The first-triangle test stops at the first triangle it reaches.
    landscape_triangle_query_t first;
    ASSERT_TRUE(l->query_triangles_box(first, landscape_volume_t::of_point({5, 1.25f, 3}, 0.1f)));
    EXPECT_NE(first.piece.get(), nullptr);
    EXPECT_GE(first.triangle, 0);
    // Nothing there: the record keeps its start values.
    landscape_triangle_query_t none;
    none.point = {100, 0, 100};
    EXPECT_FALSE(l->query_triangles_point(none, landscape_volume_t::of_point(none.point, 0.1f)));
    EXPECT_EQ(none.triangle, -1);
    EXPECT_EQ(none.normal, (vec3_t{0, 1, 0}));
    EXPECT_EQ(none.piece.get(), nullptr);
}

TEST_F(landscape_walk_test, corners_of_indexed_and_strip_sets) {
    landscape_u *l = load_map(map_slope_text(), "slope");
    landscape_chunk_piece_u *piece = l->get_chunk(0)->get_piece(0);
    // A flat strip far from the map: triangles 0 and 1 share an edge; the odd one
    // swaps its last two corners so that both face up.
    const vec3_t strip[4] = {{100, 0, 100}, {100, 0, 101}, {101, 0, 100}, {101, 0, 101}};
    triangle_heap_t &heap = l->get_triangle_heap();
    ASSERT_TRUE(heap.append(4, strip, 0, nullptr, 77, sizeof(vec3_t), piece));
    // Flat indexed triangles beside it, wound up and down.
    const vec3_t flat[3] = {{200, 0, 200}, {200, 0, 201}, {201, 0, 200}};
    const uint16_t up[3] = {0, 1, 2}, down[3] = {0, 2, 1};
    ASSERT_TRUE(heap.append(3, flat, 3, up, 78, sizeof(vec3_t), piece));
    const vec3_t flat2[3] = {{300, 0, 300}, {300, 0, 301}, {301, 0, 300}};
    ASSERT_TRUE(heap.append(3, flat2, 3, down, 79, sizeof(vec3_t), piece));

    const struct {
        vec3_t point;
        int32_t triangle;
        vec3_t normal;
    } cases[] = {
        {{100.25f, 0, 100.25f}, 0, {0, 1, 0}},
        {{100.75f, 0, 100.75f}, 0, {0, 1, 0}},  // strip triangle 1: e = 1, e / 3 = 0
        {{200.25f, 0, 200.25f}, 0, {0, 1, 0}},  // (0, 0), (0, 1), (1, 0): faces up
        {{300.25f, 0, 300.25f}, 0, {0, -1, 0}},
    };
    for (const auto &k : cases) {
        landscape_triangle_query_t q;
        q.point = k.point;
        ASSERT_TRUE(l->query_triangles_point(q, landscape_volume_t::of_point(k.point, 0.1f))) << k.point.x;
        EXPECT_EQ(q.triangle, k.triangle) << k.point.x;
        EXPECT_EQ(q.normal, k.normal) << k.point.x;
        EXPECT_EQ(q.piece.get(), piece);
    }
}

TEST_F(landscape_walk_test, projected_meshes) {
    landscape_u *l = load_map(map_slope_text(), "slope");
    std::unique_ptr<decal_mesh_t> mesh = l->build_projected_mesh({8, 2, 8}, {1, 2, 1}, quat_t());
    ASSERT_NE(mesh, nullptr);
    EXPECT_GT(mesh->get_index_count(), 0u);
    EXPECT_EQ(mesh->get_proto()->parameters, &l->get_packets());
    for (uint32_t i = 0; i < mesh->get_vertex_count(); ++i)
        EXPECT_NEAR(mesh->get_position(i).y, mesh->get_position(i).x / 4, 1e-4f);
    // Over no triangle: null.
    EXPECT_EQ(l->build_projected_mesh({100, 0, 100}, {1, 1, 1}, quat_t()), nullptr);
    EXPECT_EQ(l->build_projected_mesh({8, 40, 8}, {1, 1, 1}, quat_t()), nullptr);
}

// Streams of one triangle whose corners have the given colours and further colours.
struct streams_t {
    streams_t(uint32_t c0, uint32_t c1, uint32_t c2, std::vector<uint32_t> f = {}) : colours{c0, c1, c2}, further(f) {
        s.colours = colours;
        s.further = further.empty() ? nullptr : further.data();
        s.indices = indices;
        s.vertex_count = 3;
        s.index_count = 3;
    }
    uint32_t colours[3];
    std::vector<uint32_t> further;
    uint16_t indices[3] = {0, 1, 2};
    landscape_piece_streams_t s;
};

TEST(landscape_piece_reads, colour_is_capped_at_one_half) {
    const struct {
        uint32_t c0, c1, c2;
        float a, b;
        uint32_t expected;
    } cases[] = {
        {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0.5f, 0.5f, 0xFF7F7F7F},
        {0x00404040, 0x00404040, 0x00404040, 0.2f, 0.3f, 0xFF404040},  // alpha always 1
        {0xFF000000, 0xFF00FF00, 0xFF0000FF, 0.5f, 0.0f, 0xFF007F00},  // half of green, capped
        {0xFF000000, 0xFF00FF00, 0xFF0000FF, 0.0f, 0.25f, 0xFF00003F},
        {0xFF000000, 0xFF000000, 0xFF400000, 0.0f, 0.5f, 0xFF200000},
        {0xFF203040, 0xFF000000, 0xFF000000, 0.0f, 0.0f, 0xFF203040},
    };
    for (const auto &c : cases) {
        streams_t t(c.c0, c.c1, c.c2);
        EXPECT_EQ(landscape_chunk_piece_u::colour_at(t.s, 0, c.a, c.b), c.expected) << std::hex << c.expected;
    }
    // A triangle outside the piece, or a piece without streams: neutral.
    streams_t t(0xFF000000, 0xFF000000, 0xFF000000);
    EXPECT_EQ(landscape_chunk_piece_u::colour_at(t.s, 1, 0.5f, 0.5f), landscape_chunk_piece_u::NEUTRAL_COLOUR);
    EXPECT_EQ(landscape_chunk_piece_u::colour_at(landscape_piece_streams_t{}, 0, 0, 0),
              landscape_chunk_piece_u::NEUTRAL_COLOUR);
}

TEST(landscape_piece_reads, dominant_layer_across_the_weights) {
    // c: layer 1's weight (colour alpha), f: layer 2's (further alpha); the same at
    // every corner.
    const struct {
        uint32_t c, f;
        int32_t layer;
    } cases[] = {
        {0, 0, 0},      {255, 0, 1},    {0, 255, 2},   {255, 255, 2},
        {64, 0, 0},     {192, 0, 1},    {64, 192, 2},  {115, 38, 0},  // w0 0.47, w1 0.38, w2 0.15
        {128, 100, 2},  // w0 0.30, w1 0.30, w2 0.39
    };
    for (const auto &k : cases) {
        streams_t t(k.c << 24, k.c << 24, k.c << 24, {k.f << 24, k.f << 24, k.f << 24});
        EXPECT_EQ(landscape_chunk_piece_u::dominant_layer(t.s, 0, 0.3f, 0.3f), k.layer) << k.c << " " << k.f;
    }
    // Without the further stream layer 2 weighs nothing.
    streams_t bare(0, 0, 0);
    EXPECT_EQ(landscape_chunk_piece_u::dominant_layer(bare.s, 0, 0.5f, 0.5f), 0);
    streams_t mostly_one(0xFF000000, 0xFF000000, 0xFF000000);
    EXPECT_EQ(landscape_chunk_piece_u::dominant_layer(mostly_one.s, 0, 0.5f, 0.5f), 1);
    EXPECT_EQ(landscape_chunk_piece_u::dominant_layer(bare.s, 3, 0.5f, 0.5f), -1);
}

TEST_F(landscape_walk_test, layer_substances_of_a_loaded_piece) {
    landscape_u *l = load_map(map_slope_text(), "slope");
    // Chunk 1 (x 8..16): rock (layer 2) from height 2 on, i.e. everywhere from x 8.
    landscape_chunk_piece_u *p1 = l->get_chunk(1)->get_piece(0);
    EXPECT_EQ(p1->get_layer_substance(0, 0.3f, 0.3f), 14u);
    // Chunk 0 below x 8: no rock, no dirt: grass.
    landscape_chunk_piece_u *p0 = l->get_chunk(0)->get_piece(0);
    EXPECT_EQ(p0->get_layer_substance(0, 0.1f, 0.1f), 5u);
    EXPECT_EQ(p0->get_layer_substance(100000, 0.1f, 0.1f), 5u);  // outside: the low one
    EXPECT_EQ(p0->get_colour(100000, 0, 0), landscape_chunk_piece_u::NEUTRAL_COLOUR);
    EXPECT_EQ(p0->get_colour(0, 0.3f, 0.3f) >> 24, 0xFFu);
}

}  // namespace
}  // namespace quarn::test
