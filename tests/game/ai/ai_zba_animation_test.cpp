// The presentation on the whitetail's real animation instance, through the adapter:
// the adapter answers as the instance does, a posture change waits behind a short
// stand, queued behaviours start on the instance's kind 0, overlays end through kind
// 3, and an animal's loop of processors and addons runs on without a gap.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/ai/mind/ai_animal_presentation.h"
#include "game/ai/mind/ai_zba_animation.h"
#include "outside/qrnshared/def_pool.h"
#include "qrncore/numerics/randomizer.h"
#include "zba_whitetail_fixture.h"

namespace quarn::test {
namespace {

using lines_t = std::vector<std::string>;

class ai_zba_animation : public zba_whitetail_fixture_t {
protected:
    void SetUp() override {
        zba_whitetail_fixture_t::SetUp();
        adapter.set_instance(instance.get());
        // The animal's part of the listener: ends go to the presentation.
        listener.on_notify = [this](uint32_t kind, zba_value_t value, uint32_t channel) {
            if (kind == AI_ANIM_ENDED) {
                if (!presentation.on_behavior_end(channel) && on_free) on_free(channel);
            } else if (kind == AI_ANIM_OVERLAY_ENDED) {
                presentation.on_overlay_done(value.behavior);
            }
        };
    }
    void TearDown() override {
        adapter.set_instance(nullptr);
        zba_whitetail_fixture_t::TearDown();
    }
    // Steps until the listener has heard `last` (without the frame number); the lines
    // heard, footsteps left out.
    lines_t run_until(const std::string &last) {
        lines_t lines;
        for (int i = 0; i < 200; ++i) {
            step(0.1f);
            for (const std::string &line : listener.take())
                if (line.find("footstep") == std::string::npos) lines.push_back(line.substr(line.find(' ') + 1));
            if (!lines.empty() && lines.back() == last) return lines;
        }
        ADD_FAILURE() << "never heard " << last;
        return lines;
    }

    ai_zba_animation_t adapter;
    randomizer_t random{4242};
    ai_presentation_t presentation{random};
    // What the animal does when a channel's behaviour ended with nothing queued.
    std::function<void(uint32_t)> on_free;
};

TEST_F(ai_zba_animation, the_adapter_answers_as_the_instance) {
    EXPECT_EQ(adapter.get_info().image(), inst->get_info().image());
    EXPECT_EQ(adapter.get_feature_state(0, 0), zba_layout::NO_STATE) << "nothing played yet";
    const int32_t stand = behavior("stand"), walk = behavior("walk"), lay = behavior("lay");
    const int32_t graze = behavior("stand_graze");
    std::vector<int32_t> inside;
    struct case_t {
        const char *name;
        std::function<int32_t()> op;
        int32_t expected;
    };
    const case_t cases[] = {
        {"play", [&] { return adapter.play_behavior(stand, 0, false); }, AI_ANIM_OK},
        {"play while it runs", [&] { return adapter.play_behavior(walk, 0, false); }, AI_ANIM_BUSY},
        {"play past the last",
         [&] { return adapter.play_behavior(int32_t(inst->get_info().behavior_count()), 0, true); },
         AI_ANIM_BAD_BEHAVIOR},
        {"an overlay the posture allows", [&] { return adapter.add_behavior(graze, 0); }, AI_ANIM_OK},
        {"an overlay on a channel that played nothing", [&] { return adapter.add_behavior(graze, 2); },
         AI_ANIM_FEATURES},
        {"inside the report of a switch",
         [&] {
             listener.on_notify = [&](uint32_t kind, zba_value_t, uint32_t c) {
                 if (kind == AI_ANIM_RELEASED) inside.push_back(adapter.play_behavior(lay, c, true));
             };
             return adapter.switch_behavior(walk, 0);
         },
         AI_ANIM_OK},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.op(), c.expected);
    }
    EXPECT_EQ(inside, std::vector<int32_t>{AI_ANIM_CHANNEL_OFF});
    EXPECT_EQ(state(0, 0), "stand");
    EXPECT_EQ(inst->get_behavior(0), walk);
    EXPECT_EQ(adapter.get_feature_state(0, 0), inst->get_feature_state(0, 0));
    adapter.clear_channel(0);
    EXPECT_EQ(adapter.get_feature_state(0, 0), zba_layout::NO_STATE);
    EXPECT_FALSE(inst->has_features(0));

    // Without an instance: nothing to play, no file.
    ai_zba_animation_t none;
    EXPECT_TRUE(none.get_info().is_null());
    EXPECT_EQ(none.play_behavior(stand, 0, false), AI_ANIM_BAD_BEHAVIOR);
    EXPECT_EQ(none.add_behavior(stand, 0), AI_ANIM_BAD_BEHAVIOR);
    EXPECT_EQ(none.switch_behavior(stand, 0), AI_ANIM_BAD_BEHAVIOR);
    EXPECT_EQ(none.get_feature_state(0, 0), zba_layout::NO_STATE);
    none.clear_channel(0);
}

TEST_F(ai_zba_animation, a_posture_change_stands_up_between_and_the_queue_starts_on_kind_0) {
    ASSERT_TRUE(presentation.bind(&adapter));
    const int32_t lay = behavior("lay"), walk = behavior("walk"), gallop = behavior("gallop");
    ASSERT_EQ(presentation.play(lay, 0, false), AI_ANIM_OK);
    EXPECT_EQ(run_until("0 lay ch0"), (lines_t{"0 lay ch0"}));
    EXPECT_EQ(presentation.get_channel(0).current, -1) << "the end freed the presentation's channel";
    EXPECT_EQ(presentation.body_state(), presentation.get_body_state_id(ai_presentation_t::BODY_LAY));

    // Lying to walking: a short stand first, walk waits behind it and starts from the
    // stand's end; gallop, asked for meanwhile, is refused (the queue holds one).
    ASSERT_EQ(presentation.play(walk, 0, false), AI_ANIM_OK);
    const int32_t stand = presentation.get_channel(0).current;
    EXPECT_EQ(presentation.manner_of(stand), AI_MANNER_SSTAND);
    EXPECT_EQ(presentation.get_channel(0).queued, walk);
    EXPECT_EQ(inst->get_behavior(0), stand);
    EXPECT_EQ(presentation.play(gallop, 0, false), -1);
    EXPECT_EQ(run_until("0 walk ch0"), (lines_t{"1 sstand ch0", "0 sstand ch0", "1 walk ch0", "0 walk ch0"}));
    EXPECT_EQ(presentation.body_state(), presentation.get_body_state_id(ai_presentation_t::BODY_WALK));
    EXPECT_EQ(presentation.get_channel(0).current, -1);
    EXPECT_TRUE(log.texts(message_t::ERROR).empty());
    for (const std::string &w : warnings()) EXPECT_EQ(w.find("unable"), std::string::npos) << w;
}

TEST_F(ai_zba_animation, an_animal_loop_of_processors_and_addons_runs_on_the_instance) {
    def_pool_t ai;
    ASSERT_TRUE(ai.read_from("/def/ai.def"));
    ASSERT_TRUE(presentation.load_processors(&ai, "whitetail"));
    ASSERT_TRUE(presentation.bind(&adapter));
    const float urge = 0.5f;
    on_free = [&](uint32_t channel) {
        if (channel == ai_presentation_t::BODY_CHANNEL) presentation.start_command_behavior(urge, false);
    };
    ASSERT_TRUE(presentation.back_to_rest(urge));
    ASSERT_GE(presentation.start_command_behavior(urge, false), 0);

    uint32_t overlays_ended = 0, body_ended = 0;
    for (int frame = 0; frame < 1200; ++frame) {
        presentation.update_addons(0.05f, urge);
        step(0.05f);
        for (const std::string &line : listener.take()) {
            if (line.find(" 3 ") != std::string::npos) ++overlays_ended;
            if (line.find(" 0 ") != std::string::npos && line.size() > 4 &&
                line.compare(line.size() - 4, 4, " ch0") == 0)
                ++body_ended;
        }
        // Every addon slot that plays has its overlay on the body channel, and no more.
        uint32_t playing = 0;
        for (int32_t m = AI_MANNER_ADDON_FIRST; m < AI_MANNER_ADDON_FIRST + int32_t(AI_ADDON_GROUP_COUNT); ++m)
            playing += presentation.get_addon_slot(m).playing ? 1 : 0;
        ASSERT_EQ(inst->get_overlay_count(0), playing) << "frame " << frame;
        // The body always shows something: a behaviour or the transition to one.
        ASSERT_NE(inst->get_behavior(0), -1) << "frame " << frame;
    }
    EXPECT_GT(body_ended, 5u);
    EXPECT_GT(overlays_ended, 3u);
    EXPECT_TRUE(log.texts(message_t::ERROR).empty()) << log.texts(message_t::ERROR)[0];
    for (const std::string &w : warnings()) EXPECT_EQ(w.find("unable"), std::string::npos) << w;
}

}  // namespace
}  // namespace quarn::test
