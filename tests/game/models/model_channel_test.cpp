// Animation channels: frames, fades, stop frames, stopping and resuming, blending by
// priority and strength, root motion, and what play refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model_lib_fixture.h"
#include "zm_writer.h"

namespace quarn::test {
namespace {

class model_channels : public model_lib_fixture_t {
protected:
    void SetUp() override {
        model_lib_fixture_t::SetUp();
        write_fixture_models();
        rig = desc("/t/model/rig/rig.zmd");
        ASSERT_NE(rig, nullptr);
        inst = rig->create_inst(0, 0);
        ASSERT_TRUE(inst);
    }
    void TearDown() override {
        inst.reset();
        model_lib_fixture_t::TearDown();
    }

    model_anim_u *write_anim(const zmgen::zm_animation_t &a) {
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(zmgen::zm_write_animation(a, bytes));
        EXPECT_TRUE(zmgen::zm_write_file(dir.file("model/rig/" + a.name + ".zma"), bytes));
        return anim("/t/model/rig/" + a.name + ".zma");
    }
    // A one-frame animation made in code that puts the tip at (0, 0, z) below the root.
    owner_ptr_ret_t<model_anim_procedural_u> tip_pose(float z) {
        owner_ptr_ret_t<model_anim_procedural_u> p = model_anim_procedural_u::create();
        const uint8_t map[1] = {1};
        EXPECT_TRUE(p->set_tracks(1, map));
        model_key_t key = p->get_key(0);
        key.translation = {0, 0, z};
        p->set_key(0, key);
        return p;
    }
    // The tip's model-space position in the current pose.
    vec3_t tip() {
        mat4_t m;
        inst->get_bone_matrix(1, &m);
        return {m[3], m[7], m[11]};
    }

    model_desc_u *rig = nullptr;
    owner_ptr_t<model_inst_u> inst;
};

// One step of a channel script: an operation and what the channel shows after it.
struct step_t {
    char op;      // 'a' advance by value, 's' stop, 'r' resume, 'f' stop frame value
    float value;
    int32_t frame;
    float weight;
    bool running;  // advance's result (and: not stopped after the other operations)
};

TEST_F(model_channels, channels_walk_frames_fade_and_stop_as_their_flags_say) {
    const struct {
        const char *name;
        uint32_t frames;
        bool loop;
        uint32_t add, clear;
        std::vector<step_t> steps;
    } cases[] = {
        {"a loop plays frame 0 once, then 1 to F-1 again", 3, true, 0, 0x2,
         {{'a', 0.25f, 1, 1, true}, {'a', 0.25f, 2, 1, true}, {'a', 0.25f, 3, 1, true}, {'a', 0.25f, 1, 1, true},
          {'a', 0.5f, 3, 1, true}, {'a', 0.25f, 1, 1, true}}},
        {"a one-frame pose stays at its frame", 1, false, 0, 0x2,
         {{'a', 0.25f, 0, 1, true}, {'a', 1.0f, 0, 1, true}}},
        {"fading in takes a second while frames advance", 5, false, 0, 0,
         {{'a', 0.0f, 0, 0, true}, {'a', 0.5f, 2, 0.5f, true}, {'a', 0.5f, 4, 1, true}, {'a', 0.25f, 1, 1, true}}},
        {"cleared 0x2 starts at weight 1", 5, false, 0, 0x2, {{'a', 0.0f, 0, 1, true}}},
        {"0x40 holds the first frame until faded in", 5, false, 0x40, 0,
         {{'a', 0.5f, 0, 0.5f, true}, {'a', 0.5f, 0, 1, true}, {'a', 0.25f, 1, 1, true}}},
        {"at its stop frame with 0x20 a channel fades out, then stops", 5, false, 0, 0x2,
         {{'f', 2, 0, 1, true}, {'a', 0.5f, 2, 1, true}, {'a', 0.5f, 2, 0.5f, true}, {'a', 0.25f, 2, 0.25f, true},
          {'a', 0.5f, 2, 0, false}, {'a', 0.5f, 2, 0, false}}},
        {"without 0x20 it stops at its stop frame", 5, false, 0, 0x22,
         {{'f', 2, 0, 1, true}, {'a', 1.0f, 2, 1, false}, {'a', 1.0f, 2, 1, false}}},
        {"a stopped channel does nothing until resumed", 5, false, 0, 0x2,
         {{'a', 0.25f, 1, 1, true}, {'s', 0, 1, 1, false}, {'a', 0.25f, 1, 1, false}, {'r', 0, 1, 1, true},
          {'a', 0.25f, 2, 1, true}}},
        {"0x80 freezes the frames, not the fade", 5, false, 0x80, 0,
         {{'a', 0.5f, 0, 0.5f, true}, {'a', 0.75f, 0, 1, true}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        model_anim_u *a = write_anim(rig_animation(("c" + std::to_string(&c - cases)).c_str(), c.frames, c.loop));
        ASSERT_NE(a, nullptr);
        const int32_t ch = inst->play_animation(a, c.add, c.clear, 0, 1.0f);
        ASSERT_GE(ch, 0);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const step_t &s = c.steps[i];
            SCOPED_TRACE("step " + std::to_string(i));
            bool running = true;
            switch (s.op) {
            case 'a': running = inst->advance_channel(uint32_t(ch), s.value); break;
            case 's': inst->stop_channel(uint32_t(ch)); break;
            case 'r': inst->resume_channel(uint32_t(ch)); break;
            case 'f': EXPECT_EQ(inst->set_channel_stop_frame(uint32_t(ch), int32_t(s.value)), uint32_t(s.value)); break;
            }
            const model_anim_channel_t &state = inst->get_channel(uint32_t(ch));
            EXPECT_EQ(s.op == 'a' ? running : (state.flags & MODEL_CHANNEL_STOPPED) == 0, s.running);
            EXPECT_EQ(state.frame, uint32_t(s.frame));
            EXPECT_NEAR(state.weight, s.weight, 1e-5f);
        }
        inst->free_channel(uint32_t(ch));
        EXPECT_EQ(inst->get_active_count(), 0u);
    }
}

TEST_F(model_channels, negative_stop_frames_count_back_from_the_end_of_the_loop) {
    model_anim_u *a = write_anim(rig_animation("ten", 9, true));  // 10 frames
    ASSERT_NE(a, nullptr);
    const int32_t ch = inst->play_animation(a, 0, 0x2, 0, 1.0f);
    ASSERT_GE(ch, 0);
    // Frames 1 to 9 count 1 to 9; each return to frame 1 counts the skipped frame 0.
    for (int i = 0; i < 21; ++i) inst->advance_channel(uint32_t(ch), 0.25f);
    ASSERT_EQ(inst->get_channel(uint32_t(ch)).frame_counter, 23u);
    EXPECT_EQ(inst->get_channel(uint32_t(ch)).frame, 3u);
    const struct {
        int32_t asked;
        uint32_t stored;
    } cases[] = {{-1, 29}, {-5, 25}, {7, 7}, {-10, 30}};
    for (const auto &c : cases) EXPECT_EQ(inst->set_channel_stop_frame(uint32_t(ch), c.asked), c.stored) << c.asked;
}

TEST_F(model_channels, channels_blend_in_priority_order_and_by_strength) {
    owner_ptr_t<model_anim_procedural_u> near(tip_pose(-2.0f));
    owner_ptr_t<model_anim_procedural_u> far(tip_pose(-4.0f));
    EXPECT_EQ(tip(), (vec3_t{0, 1, -1})) << "rest pose";
    const struct {
        const char *name;
        int32_t near_priority, far_priority;
        float near_strength, near_weight;
        bool play_far;
        vec3_t tip;
    } cases[] = {
        {"alone", 0, 0, 1.0f, 1.0f, false, {0, 1, -2}},
        {"equal priorities: the later wins", 0, 0, 1.0f, 1.0f, true, {0, 1, -4}},
        {"a higher priority wins", 5, 0, 1.0f, 1.0f, true, {0, 1, -2}},
        {"-1 is priority 0", -1, 0, 1.0f, 1.0f, true, {0, 1, -4}},
        {"strength 0.5: half way from the rest pose", 0, 0, 0.5f, 1.0f, false, {0, 1, -1.5f}},
        {"weight 0.5: half way over the pose below", 0, 0, 1.0f, 0.5f, false, {0, 1, -1.5f}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t b = inst->play_animation(near.get(), 0, 0x2, c.near_priority, c.near_strength);
        const int32_t a = inst->play_animation(far.get(), 0, 0x2, c.far_priority, 1.0f);
        ASSERT_GE(a, 0);
        ASSERT_GE(b, 0);
        if (!c.play_far) inst->free_channel(uint32_t(a));
        inst->set_channel_weight(uint32_t(b), c.near_weight);
        const vec3_t at = tip();
        EXPECT_NEAR(at.y, c.tip.y, 1e-5f);
        EXPECT_NEAR(at.z, c.tip.z, 1e-5f);
        while (inst->get_active_count()) inst->free_channel(inst->get_active(0));
    }
    EXPECT_EQ(tip(), (vec3_t{0, 1, -1})) << "back to rest with every channel freed";
}

TEST_F(model_channels, key_frames_interpolate_towards_the_next_one) {
    model_anim_u *a = write_anim(rig_animation("lerp", 3, true));
    ASSERT_NE(a, nullptr);
    const int32_t ch = inst->play_animation(a, 0, 0x2, 0, 1.0f);
    inst->advance_channel(uint32_t(ch), 0.125f);
    EXPECT_NEAR(tip().z, -1.5f, 1e-5f) << "half way from frame 0 to frame 1";
    inst->advance_channel(uint32_t(ch), 0.5f);
    EXPECT_NEAR(tip().z, -2.0f, 1e-5f) << "half way from frame 2 to frame 3 (the copy of frame 0)";
    EXPECT_NEAR(inst->get_channel(uint32_t(ch)).animation_time, 0.625f, 1e-5f);
    inst->advance_channel(uint32_t(ch), 0.25f);
    EXPECT_NEAR(tip().z, -1.5f, 1e-5f) << "from the last frame on to frame 1";
    EXPECT_NEAR(inst->get_channel(uint32_t(ch)).animation_time, 0.125f, 1e-5f) << "modulo the length";
}

TEST_F(model_channels, root_motion_is_handed_over_by_weight_and_strength) {
    zmgen::zm_animation_t walk = rig_animation("walk", 4, true);
    walk.root_translation = true;
    for (size_t f = 1; f < walk.frames.size(); ++f) walk.frames[f].move = {0, 0, -0.3f};
    model_anim_u *a = write_anim(walk);
    ASSERT_NE(a, nullptr);
    // A frame of 0.25 s moves 0.3. What a channel gathers is that times its weight for
    // part of a frame and times its square for the rest of a frame that ends; the
    // hand-over then takes weight × strength of it.
    const struct {
        float strength, weight;
        std::vector<float> steps;
        float moved;
        float freed;  // gathered by the next 0.25 s, handed over when the channel is freed
    } cases[] = {
        {1.0f, 1.0f, {0.25f}, -0.3f, -0.3f},
        {1.0f, 1.0f, {0.1f, 0.1f, 0.05f}, -0.3f, -0.3f},  // any slicing of the same time
        {1.0f, 1.0f, {2.0f}, -2.4f, -0.3f},               // two whole loops, through the last frame
        {0.5f, 1.0f, {1.0f}, -0.6f, -0.15f},
        {1.0f, 0.5f, {1.0f}, -0.15f, -0.0375f},  // four whole frames: 1.2 × 0.5² × 0.5
        // Half a frame at 0.5: 0.15 × 0.5 × 0.5; then the frame's other half at 0.5²
        // and half of the next at 0.5: 0.3 × (0.5 × 0.25 + 0.5 × 0.5) × 0.5.
        {1.0f, 0.5f, {0.125f}, -0.0375f, -0.05625f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.strength) + " " + std::to_string(c.weight));
        const int32_t ch = inst->play_animation(a, 0, 0x2, 0, c.strength);
        inst->set_channel_weight(uint32_t(ch), c.weight);
        for (float dt : c.steps) inst->advance_channel(uint32_t(ch), dt);
        EXPECT_TRUE(inst->get_flags() & MODEL_INST_ROOT_PENDING);
        vec3_t moved;
        quat_t turned;
        inst->take_root_motion(&moved, &turned);
        EXPECT_NEAR(moved.z, c.moved, 1e-4f);
        EXPECT_TRUE(turned.is_identity());
        inst->take_root_motion(&moved, &turned);
        EXPECT_EQ(moved, (vec3_t{})) << "taken: reset";
        // Freeing hands over what the channel gathered since.
        inst->advance_channel(uint32_t(ch), 0.25f);
        inst->free_channel(uint32_t(ch));
        inst->take_root_motion(&moved, nullptr);
        EXPECT_NEAR(moved.z, c.freed, 1e-4f);
    }
}

TEST_F(model_channels, the_instance_advances_its_channels_and_frees_those_that_stop_themselves) {
    model_anim_u *a = write_anim(rig_animation("short", 2, false));
    ASSERT_NE(a, nullptr);
    const int32_t own = inst->play_animation(a, MODEL_CHANNEL_OWNER_ADVANCES, 0x2, 0, 1.0f);
    const int32_t once = inst->play_animation(a, MODEL_CHANNEL_AUTO_FREE, 0x22, 0, 1.0f);
    ASSERT_EQ(own, 0);
    ASSERT_EQ(once, 1);
    EXPECT_EQ(inst->set_channel_stop_frame(uint32_t(once), 1), 1u);
    EXPECT_FALSE(inst->advance_animations(0.5f)) << "the only channel it advances stopped";
    EXPECT_EQ(inst->get_channel(uint32_t(own)).frame, 0u) << "its owner advances it";
    EXPECT_FALSE(inst->get_channel(uint32_t(once)).in_use) << "freed when it stopped";
    EXPECT_EQ(inst->get_active_count(), 1u);
    EXPECT_EQ(inst->play_animation(a, 0, 0, 0, 1.0f), 1) << "the free slot is taken again";
    EXPECT_EQ(inst->set_channel_flags(uint32_t(own), 0x80) & 0x880u, 0x880u);
    EXPECT_EQ(inst->clear_channel_flags(uint32_t(own), 0x80) & 0x80u, 0u);
    inst->stop_channel(uint32_t(own));
    EXPECT_TRUE(inst->get_channel(uint32_t(own)).in_use) << "stopped channels stay until freed";
}

TEST_F(model_channels, fade_out_rates_end_the_fade_or_hold_it) {
    model_anim_u *a = write_anim(rig_animation("fade", 3, false));
    ASSERT_NE(a, nullptr);
    const struct {
        float rate;
        bool ends;
        float weight;
    } cases[] = {{-1.0f, true, 0.0f}, {-4.0f, true, 0.0f}, {0.0f, false, 1.0f}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.rate);
        const int32_t ch = inst->play_animation(a, 0, 0x2, 0, 1.0f);
        inst->set_channel_stop_frame(uint32_t(ch), 1);
        inst->set_channel_fade_out_rate(uint32_t(ch), c.rate);
        inst->advance_channel(uint32_t(ch), 0.25f);
        EXPECT_TRUE(inst->get_channel(uint32_t(ch)).flags & MODEL_CHANNEL_FADING_OUT);
        EXPECT_EQ(inst->advance_channel(uint32_t(ch), 5.0f), !c.ends);
        EXPECT_EQ(inst->get_channel(uint32_t(ch)).weight, c.weight);
        inst->free_channel(uint32_t(ch));
    }
}

TEST_F(model_channels, play_refuses_what_it_cannot_play) {
    EXPECT_EQ(inst->play_animation(nullptr, 0, 0, 0, 1.0f), -1);
    zmgen::zm_animation_t wide = rig_animation("wide", 2, false);
    wide.tracks = {0, 7};
    model_anim_u *a = write_anim(wide);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(inst->play_animation(a, 0, 0, 0, 1.0f), -1);
    EXPECT_TRUE(log.contains("[model] The animation '/t/model/rig/wide.zma' moves bone 7, but the model "
                             "'/t/model/rig/rig.zmd' has 2 bones: it is not played"));
    EXPECT_EQ(inst->get_channel_count(), 0u);
    EXPECT_EQ(a->get_item()->fix_count, 0u) << "nothing held";

    // A procedural frame that would last no time (or for ever) is refused.
    owner_ptr_t<model_anim_procedural_u> pose(tip_pose(-2.0f));
    for (float bad : {0.0f, -1.0f, NAN, INFINITY}) EXPECT_FALSE(pose->set_length(bad));
    EXPECT_EQ(pose->get_length(), 1.0f);
    EXPECT_TRUE(pose->set_length(0.5f));
}

}  // namespace
}  // namespace quarn::test
