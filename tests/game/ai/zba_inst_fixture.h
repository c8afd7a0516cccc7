#pragma once
// Animation instances for tests: a behaviour file of three features ("body", "head",
// "tail") with simple and complex transitions, instances over recorded channels, and a
// listener that writes down what it is told ("<update> <kind> <value> ch<channel>")
// and may act on the instance from inside a notice.
#include <string>
#include <vector>

#include "game/ai/zba/zba_inst.h"
#include "zba_program_fixture.h"
#include "zba_recording_listener.h"

namespace quarn::test {

class zba_inst_test : public zba_program_test {
protected:
    // Three features. Simple transitions into body stand and walk and into both head
    // states; none into body lay or either tail state. Complex transitions, in file
    // order: "lay_tail" (body and tail, listed first so that a tie would choose it),
    // "stand_lay", "stand_lay_head" (body and head) and "any_lay" (body from any
    // state). Each plays an animation of its own name, so listings tell them apart.
    static constexpr const char *FILE_TEXT = R"("m" : "m.zmd" {
  features {
    "body" { "stand" "walk" "lay" }
    "head" { "up" "down" }
    "tail" { "still" "flick" }
  }
  animations {
    "idle_a" : "look.zma"
    "walk_a" : "walk.zma"
    "rise_a" : "run.zma"
    "head_a" : "run.zma"
    "lay_tail_a" : "look.zma"
    "stand_lay_a" : "look.zma"
    "stand_lay_head_a" : "look.zma"
    "any_lay_a" : "look.zma"
    "ear_a" : "look.zma"
  }
  behaviors {
    "start" { features { "body" : "stand" . "head" : "up" . "tail" : "still" . }
              channels { "body" { 0 anim { anim : "idle_a" length : "1" } } } }
    "start_walk" { features { "body" : "walk" . "head" : "up" . "tail" : "still" . }
                   channels { "legs" { 0 anim { anim : "walk_a" length : "1" } } } }
    "stand" { features { "body" : "stand" . } channels { "body" { 0 anim { anim : "idle_a" length : "1" } } } }
    "walk" { features { "body" : "walk" . }
             channels { "legs" { 0 anim { anim : "walk_a" length : "1" } 0.5 info { info : "drop" } } } }
    "lay" { features { "body" : "lay" . } channels { "body" { 0 anim { anim : "idle_a" length : "2" } } } }
    "lay_down" { features { "body" : "lay" . "head" : "down" . }
                 channels { "body" { 0 anim { anim : "idle_a" length : "1" } } } }
    "lay_flick" { features { "body" : "lay" . "tail" : "flick" . }
                  channels { "body" { 0 anim { anim : "idle_a" length : "1" } } } }
    "flick" { features { "head" : "down" . "tail" : "flick" . }
              channels { "tail" { 0 anim { anim : "ear_a" length : "1" } } } }
    "graze" { features { "body" : "stand" . "head" : "up" -> "down" }
              channels { "head" { 0 anim { anim : "idle_a" length : "1" } } } }
    "ear" { features { "body" : "stand" . }
            channels { "ear" { 0 anim { anim : "ear_a" length : "0.5" } 0.25 sound { sound : "snort.wav" } } } }
    "empty" { }
  }
  transitions {
    simple {
      "body" : "stand" { anim : "rise_a" length : "0.5" }
      "body" : "walk" { anim : "walk_a" length : "0.6" s_weight : "0" }
      "head" : "up" { anim : "head_a" length : "0.25" }
      "head" : "down" { length : "0.3" }
    }
    complex {
      "lay_tail" { features { "body" : "stand" -> "lay" "tail" : "still" -> "flick" }
                   channels { "t" { 0 anim { anim : "lay_tail_a" length : "1" } } } }
      "stand_lay" { features { "body" : "stand" -> "lay" }
                    channels { "b" { 0 anim { anim : "stand_lay_a" length : "1" } } } }
      "stand_lay_head" { features { "body" : "stand" -> "lay" "head" : "up" -> "down" }
                         channels { "b" { 0 anim { anim : "stand_lay_head_a" length : "1" } } } }
      "any_lay" { features { "body" : -> "lay" }
                  channels { "b" { 0 anim { anim : "any_lay_a" length : "1" } } } }
    }
  }
})";

    void SetUp() override {
        zba_program_test::SetUp();
        ASSERT_TRUE(load(FILE_TEXT, "/inst.zba"));
        listener.name_of = [this](int32_t b) {
            return b >= 0 && uint32_t(b) < info().behavior_count() ? std::string(info().behavior(uint32_t(b)).name())
                                                                  : std::to_string(b);
        };
        make();
    }
    void TearDown() override {
        instance.release();
        EXPECT_EQ(channels.in_use(), 0u) << "every model channel is freed with the instance";
        EXPECT_EQ(channels.faults, 0u);
        zba_program_test::TearDown();
    }

    // A new instance of the file (the one held before goes) with that many channels.
    void make(uint32_t channel_count = 3) {
        instance.release();
        instance = zba_inst_t::create_on(file.get(), &channels, &listener, channel_count);
        ASSERT_TRUE(instance);
        inst = zba_inst_t::of(instance.get());
        ASSERT_NE(inst, nullptr);
        channels.take();
    }
    // One update of dt, counted in the listener's lines.
    void step(float dt) {
        ++listener.frame;
        inst->update(dt);
    }
    void steps(uint32_t n, float dt) {
        for (uint32_t i = 0; i < n; ++i) step(dt);
    }
    int32_t play(const char *name, uint32_t c = 0, bool force = false) { return inst->play_behavior(behavior(name), c, force); }
    // The states of a channel's features as "body head tail" names ("*" not known).
    std::string states(uint32_t c, bool target = false) {
        std::string out;
        for (uint32_t f = 0; f < inst->get_feature_count(); ++f) {
            const uint8_t s = target ? inst->get_feature_target(c, f) : inst->get_feature_state(c, f);
            if (!out.empty()) out += " ";
            out += s == zba_layout::NO_STATE ? std::string("*") : std::string(info().feature(f).state_name(s));
        }
        return out;
    }
    // The newest process of the instance (the one the last play started).
    c_item_t *newest() { return inst->get_process(inst->get_process_count() - 1); }
    std::vector<std::string> warnings() { return log.texts(message_t::WARNING); }

    zba_recorder_t channels;
    zba_recording_listener_t listener;
    c_item_ptr_t instance;
    zba_inst_t *inst = nullptr;
};

}  // namespace quarn::test
