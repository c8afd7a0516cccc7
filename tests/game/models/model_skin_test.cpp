// Skinning on the rig's two bones, the rebuilding of bone matrices only when out of
// date, and segment tests against the skinned triangles.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <functional>

#include "game/hit_receiver.h"
#include "model_lib_fixture.h"

namespace quarn::test {
namespace {

class model_skin : public model_lib_fixture_t {
protected:
    void SetUp() override {
        model_lib_fixture_t::SetUp();
        write_fixture_models();
        model_inst_u::bone_build_hook = [](const model_inst_u *) { ++builds; };
        builds = 0;
    }
    void TearDown() override {
        model_inst_u::bone_build_hook = nullptr;
        model_lib_fixture_t::TearDown();
    }

    // A pose of the tip bone: its translation below the root and its rotation.
    owner_ptr_ret_t<model_anim_procedural_u> tip_pose(const vec3_t &at, const quat_t &turn = quat_t()) {
        owner_ptr_ret_t<model_anim_procedural_u> p = model_anim_procedural_u::create();
        const uint8_t map[1] = {1};
        EXPECT_TRUE(p->set_tracks(1, map));
        model_key_t key = p->get_key(0);
        key.translation = at;
        key.rotation = turn;
        p->set_key(0, key);
        return p;
    }

    static void expect_near(const vec3_t &a, const vec3_t &b) {
        EXPECT_NEAR(a.x, b.x, 1e-5f);
        EXPECT_NEAR(a.y, b.y, 1e-5f);
        EXPECT_NEAR(a.z, b.z, 1e-5f);
    }

    static inline int builds = 0;
};

TEST_F(model_skin, vertices_blend_their_bones_by_weight_in_runs_of_one_group) {
    zmgen::zm_model_t m = rig_model();
    // The first vertex of piece 1 starts its group with a zero weight: no bone at all.
    m.geometry.pieces[1].vertices[0].influences = {{1, 0}, {0, 255}};
    model_desc_u *d = desc(write_model(m, "model/rig", "zero"));
    ASSERT_NE(d, nullptr);
    owner_ptr_t<model_inst_u> inst(d->create_inst(0, 0));
    ASSERT_TRUE(inst);
    // The tip a unit further along -z, turned a quarter about y.
    quat_t turn;
    turn.set_axis_angle({0, 1, 0}, float(M_PI / 2));
    owner_ptr_t<model_anim_procedural_u> pose(tip_pose({0, 0, -2}, turn));
    ASSERT_GE(inst->play_animation(pose.get(), 0, 0x2, 0, 1.0f), 0);
    inst->update_bones();

    // The tip's skinning matrix: rotate about the tip's rest origin (0, 1, -1), then
    // move one unit along -z.
    auto by_tip = [&](const vec3_t &p) {
        const vec3_t local = p - vec3_t{0, 1, -1};
        return turn.rotate(local) + vec3_t{0, 1, -2};
    };
    const vec3_t *p0 = inst->get_positions(0);
    expect_near(p0[0], {0, 0, 0});  // the root alone
    const float w = 127.0f / 255.0f;
    expect_near(p0[1], vec3_t{1, 0, 0} * (128.0f / 255.0f) + by_tip({1, 0, 0}) * w);
    expect_near(p0[2], by_tip({0, 1, 0}));
    const vec3_t *p1 = inst->get_positions(1);
    expect_near(p1[0], {0, 0, 0});
    expect_near(inst->get_normals(1)[0], {0, 0, 0});  // a zero matrix
    expect_near(p1[1], by_tip({1, 0, 1}));
    // Normals and tangents turn; the tangent's w stays.
    expect_near(inst->get_normals(0)[2], turn.rotate({0, 0, 1}));
    const vec4_t t = inst->get_tangents(0)[2];
    expect_near({t.x, t.y, t.z}, turn.rotate({1, 0, 0}));
    EXPECT_EQ(t.w, -1.0f);
    EXPECT_EQ(inst->get_tangents(0)[1].w, 1.0f);

    // Hidden parts are skinned only when shown (or tested).
    inst->set_part_visible(1, false);
    owner_ptr_t<model_anim_procedural_u> back(tip_pose({0, 0, -1}));
    ASSERT_GE(inst->play_animation(back.get(), 0, 0x2, 0, 1.0f), 0);
    inst->update_bones();
    expect_near(inst->get_positions(0)[2], {0, 1, 0});
    expect_near(inst->get_positions(2)[0], by_tip({0, 0, 2}));  // the head kept its last pose
    EXPECT_TRUE(inst->get_part_flags(1) & MODEL_PART_SKIN_DIRTY);
}

TEST_F(model_skin, bone_matrices_are_rebuilt_only_when_out_of_date) {
    model_desc_u *d = desc("/t/model/rig/rig.zmd");
    ASSERT_NE(d, nullptr);
    owner_ptr_t<model_inst_u> inst(d->create_inst(0, 0));
    owner_ptr_t<model_inst_u> rigid(d->create_inst(0, 0, true));
    ASSERT_TRUE(inst && rigid);
    owner_ptr_t<model_anim_procedural_u> pose(tip_pose({0, 0, -2}));
    const int32_t ch = inst->play_animation(pose.get(), 0, 0x2, 0, 1.0f);
    const struct {
        const char *what;
        std::function<void()> act;
        int builds;
    } steps[] = {
        {"first draw", [&] { inst->update_bones(); }, 1},
        {"nothing changed", [&] { inst->update_bones(); }, 1},
        {"bone queries", [&] { mat4_t m; inst->get_bone_matrix(1, &m); inst->get_skin_matrices(); }, 1},
        {"time passes", [&] { inst->advance_channel(uint32_t(ch), 0.1f); inst->update_bones(); }, 2},
        {"a weight", [&] { inst->set_channel_weight(uint32_t(ch), 0.5f); inst->update_bones(); }, 3},
        {"stopped: no time passes",
         [&] { inst->stop_channel(uint32_t(ch)); inst->advance_channel(uint32_t(ch), 0.1f); inst->update_bones(); }, 3},
        {"freed", [&] { inst->free_channel(uint32_t(ch)); inst->update_bones(); }, 4},
        {"a static instance builds none", [&] { rigid->update_bones(); mat4_t m; rigid->get_bone_matrix(1, &m); }, 4},
    };
    for (const auto &s : steps) {
        s.act();
        EXPECT_EQ(builds, s.builds) << s.what;
    }
    mat4_t m;
    rigid->get_bone_matrix(1, &m);
    EXPECT_EQ(m, d->get_geometry()->get_bones()[1].bind) << "a static instance answers with the bind matrix";
    EXPECT_EQ(rigid->get_skin_matrices(), nullptr);
    inst->get_bone_matrix_inverse(1, &m);
    EXPECT_NEAR(m[7], -1.0f, 1e-6f);
    EXPECT_NEAR(m[11], 1.0f, 1e-6f);
}

TEST_F(model_skin, segments_hit_the_nearest_skinned_triangle) {
    model_desc_u *d = desc("/t/model/rig/rig.zmd");
    model_desc_u *rock = desc("/t/model/rock/rock.zmd");
    ASSERT_TRUE(d && rock);
    owner_ptr_t<model_inst_u> inst(d->create_inst(0, 1));  // the head hidden: tested all the same
    owner_ptr_t<model_inst_u> still(rock->create_inst(0, 0));
    ASSERT_TRUE(inst && still);
    const struct {
        const char *what;
        vec3_t from, to;
        bool hit;
        int32_t part, piece;
        float distance;
        vec3_t point;
    } cases[] = {
        {"the nearest of three, across parts", {0.2f, 0.2f, 5}, {0.2f, 0.2f, -5}, true, 1, 2, 3, {0.2f, 0.2f, 2}},
        {"from the other side", {0.2f, 0.2f, -5}, {0.2f, 0.2f, 5}, true, 0, 0, 5, {0.2f, 0.2f, 0}},
        {"a miss", {5, 0.2f, 5}, {5, 0.2f, -5}, false, -1, -1, FLT_MAX, {}},
        {"hits beyond the end do not count", {0.2f, 0.2f, 5}, {0.2f, 0.2f, 2.5f}, false, -1, -1, FLT_MAX, {}},
        {"the end touching counts", {0.2f, 0.2f, 5}, {0.2f, 0.2f, 2}, true, 1, 2, 3, {0.2f, 0.2f, 2}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        model_hit_t hit;
        hit.part = 42;
        EXPECT_EQ(inst->intersect_segment(c.from, c.to, hit), c.hit);
        EXPECT_EQ(hit.part, c.part);
        EXPECT_EQ(hit.piece, c.piece);
        EXPECT_EQ(hit.distance, c.distance);
        if (!c.hit) continue;
        expect_near(hit.point, c.point);
        EXPECT_EQ(hit.triangle, 0);
        EXPECT_NEAR(std::fabs(hit.plane.z), 1.0f, 1e-6f);
        EXPECT_NEAR(hit.plane.z * c.point.z + hit.plane.w, 0.0f, 1e-5f);
    }

    // Piece by piece: the record keeps the nearest.
    model_hit_t hit;
    EXPECT_TRUE(inst->intersect_piece({0.2f, 0.2f, 5}, {0.2f, 0.2f, -5}, 0, hit));
    EXPECT_TRUE(inst->intersect_piece({0.2f, 0.2f, 5}, {0.2f, 0.2f, -5}, 1, hit));
    EXPECT_EQ(hit.piece, 1);
    EXPECT_TRUE(inst->intersect_piece({0.2f, 0.2f, 5}, {0.2f, 0.2f, -5}, 0, hit)) << "hit, but farther";
    EXPECT_EQ(hit.piece, 1);

    // After the tip moves, the head is found where it went.
    owner_ptr_t<model_anim_procedural_u> pose(tip_pose({10, 0, -1}));
    ASSERT_GE(inst->play_animation(pose.get(), 0, 0x2, 0, 1.0f), 0);
    EXPECT_TRUE(inst->intersect_segment({10.2f, 0.2f, 5}, {10.2f, 0.2f, -5}, hit));
    EXPECT_EQ(hit.piece, 2);
    EXPECT_FALSE(inst->intersect_segment({0.2f, 0.3f, 5}, {0.2f, 0.3f, 1.5f}, hit)) << "it left its place";

    EXPECT_TRUE(still->intersect_segment({0.1f, -0.1f, 1}, {0.1f, -0.1f, -1}, hit)) << "static: the file's vertices";
    EXPECT_EQ(hit.distance, 1.0f);

    // The record fills a shot record as it is; a reset one reads as a fresh shot record.
    shot_record_t shot;
    shot.reset();
    hit.reset();
    EXPECT_EQ(memcmp(shot.bytes, &hit, 3 * sizeof(uint32_t)), 0);
    memcpy(shot.bytes, &hit, sizeof hit);
}

}  // namespace
}  // namespace quarn::test
