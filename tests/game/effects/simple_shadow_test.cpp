// Blob shadows: quads gathered each frame and drawn as one prototype over shared
// index and texture-coordinate tables, emptied by reset, capped at 16383 quads.
#include <gtest/gtest.h>

#include "../models/model_lib_fixture.h"
#include "game/visuals/effects/simple_shadow.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

class simple_shadow : public model_lib_fixture_t {
protected:
    void SetUp() override {
        model_lib_fixture_t::SetUp();
        base = ufs_mount(FS_DEVICE_DIRECTORY, (test_source_dir() + "/data/base").c_str(), "/", true, 0);
        ASSERT_NE(base, nullptr);
        shadow = simple_shadow_u::create();
        ASSERT_TRUE(shadow);
        shadow->set_scene_packets(&packets->array);
        shadow->prepare_parameters();
    }
    void TearDown() override {
        shadow.reset();
        unit_system_t::clean_garbage();
        if (base) ufs_unmount(base);
        model_lib_fixture_t::TearDown();
    }

    const r_draw_log_t &frame() {
        context.begin_frame();
        shadow->queue_render();
        shaderlib_queue_render_and_flush(&context);
        return context.get_draw_log();
    }

    fs_device_t *base = nullptr;
    owner_ptr_t<simple_shadow_u> shadow;
};

TEST_F(simple_shadow, three_quads_draw_with_eighteen_indices) {
    for (int q = 0; q < 3; ++q)
        ASSERT_TRUE(shadow->add_quad(placement_scale_t({float(q), 0, 0}, 1, quat_t()), 0.5f, 0.25f, 0x80000000u));
    EXPECT_EQ(shadow->get_vertex_count(), 12u);
    ASSERT_EQ(shadow->get_index_count(), 18u);
    const r_proto_t *proto = shadow->get_proto();
    const r_geometry_t *g = static_cast<const r_geometry_t *>(proto->index_packet->data);
    const uint16_t expected[18] = {0, 1, 2, 2, 3, 0, 4, 5, 6, 6, 7, 4, 8, 9, 10, 10, 11, 8};
    for (int i = 0; i < 18; ++i) EXPECT_EQ(g->indices[i], expected[i]) << i;
    // Corners (-a, b), (-a, -b), (a, -b), (a, b) by the placement; texture coordinates
    // (0, 1), (0, 0), (1, 0), (1, 1).
    EXPECT_EQ(shadow->get_position(4), (vec3_t{0.5f, 0.25f, 0}));
    EXPECT_EQ(shadow->get_position(6), (vec3_t{1.5f, -0.25f, 0}));
    EXPECT_EQ(shadow->get_colour(11), 0x80000000u);
    EXPECT_EQ(g->texcoords[2 * 6], 1.0f);
    EXPECT_EQ(g->texcoords[2 * 6 + 1], 0.0f);

    const r_draw_log_t &drawn = frame();
    ASSERT_EQ(drawn.draw_count(), 1u);
    const r_draw_record_t &r = drawn.draw(0);
    EXPECT_STREQ(r.material.c_str(), "/material/decal/simple.mat");
    ASSERT_EQ(r.packets.get_count(), 2u);
    EXPECT_EQ(r.packets[0].type, uint32_t(R_PACKET_PCT));
    EXPECT_EQ(r.packets[0].count, 12u);
    EXPECT_EQ(r.packets[1].count, 18u);
    EXPECT_STREQ(r.slots[0].c_str(), "pp_camera");
    EXPECT_STREQ(r.slots[1].c_str(), "fw4pp_model");
    EXPECT_STREQ(r.slots[3].c_str(), "drypp_texprojection");
}

TEST_F(simple_shadow, after_reset_nothing_is_queued) {
    const vec3_t corners[4] = {{0, 0, 0}, {0, 0, 1}, {1, 0, 1}, {1, 0, 0}};
    ASSERT_TRUE(shadow->add_quad(corners, 0xFF000000u));
    EXPECT_EQ(frame().draw_count(), 1u);
    shadow->reset();
    EXPECT_EQ(shadow->get_vertex_count(), 0u);
    EXPECT_FALSE(shadow->queue_render());
    EXPECT_EQ(frame().draw_count(), 0u);
}

TEST_F(simple_shadow, a_frame_holds_at_most_16383_quads) {
    const vec3_t corners[4] = {{0, 0, 0}, {0, 0, 1}, {1, 0, 1}, {1, 0, 0}};
    for (uint32_t q = 0; q < simple_shadow_u::MAX_QUADS; ++q) ASSERT_TRUE(shadow->add_quad(corners, 0));
    EXPECT_FALSE(shadow->add_quad(corners, 0)) << "the index table ends there";
    EXPECT_EQ(shadow->get_vertex_count(), 65532u);
    EXPECT_EQ(shadow->get_index_count(), 6u * simple_shadow_u::MAX_QUADS);
    EXPECT_EQ(simple_shadow_u::get_index_table()[6 * simple_shadow_u::MAX_QUADS - 1], 65528u);
    // A new shadow shares the tables.
    owner_ptr_t<simple_shadow_u> other(simple_shadow_u::create());
    ASSERT_TRUE(other);
    EXPECT_EQ(static_cast<const r_geometry_t *>(other->get_proto()->index_packet->data)->indices,
              simple_shadow_u::get_index_table());
}

}  // namespace
}  // namespace quarn::test
