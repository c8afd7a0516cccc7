#pragma once
// ai_presentation_t: turns an animal's AI choices into behaviours of its behaviour
// file. It groups the file's behaviours into manners (every behaviour named
// "stand_graze" belongs to the manner "stand_graze"), owns the species' nine state
// graphs (processors, "/def/ai.def"), plays a behaviour of a manner on a channel of
// the animation instance with a rule against monotonous repetition and a short
// stand ("sstand") where the body cannot change posture directly, adds the idle
// overlays (eyes, ears, tail...) at the rates the processor gives, and picks the
// death animation by the part that was hit. docs/animal-ai.md.
//
// The presentation keeps, per channel, the behaviour it started and one queued
// behaviour; the animal hands it the instance's "ended" events (on_behavior_end,
// on_overlay_done), which start what was queued.
#include <cstdint>

#include "game/ai/mind/ai_manners.h"
#include "game/ai/mind/ai_processor.h"
#include "game/game_alloc.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/math/vec.h"
#include "qrncore/numerics/randomizer.h"

namespace quarn {

class ai_animation_t;
class def_pool_t;

// Manners the presentation plays by itself.
constexpr int32_t AI_MANNER_HEADSHOT = 31;
constexpr int32_t AI_MANNER_HEARTSHOT = 32;
constexpr int32_t AI_MANNER_LUNGSHOT = 33;
constexpr int32_t AI_MANNER_SPINESHOT = 34;
constexpr int32_t AI_MANNER_WOUND2DEAD = 35;
constexpr int32_t AI_MANNER_SSTAND = 45;
constexpr int32_t AI_MANNER_ALERT = 55;
constexpr int32_t AI_MANNER_GALLOP = 2;
constexpr int32_t AI_MANNER_TROTT = 3;

class ai_presentation_t : public game_alloc_t {
public:
    static constexpr uint32_t CHANNELS = 5;
    // The channel of the AI's behaviours, of alerts and of death.
    static constexpr uint32_t BODY_CHANNEL = 0;
    static constexpr uint32_t ALERT_CHANNEL = 1;
    static constexpr uint32_t DEATH_CHANNEL = 4;
    // A repeat of the last behaviour of a manner is played while uniform × repeats
    // stays below this.
    static constexpr float REPEAT_CHANCE = 0.7f;

    // States of the "body" and "head" features, in the order they are resolved.
    enum body_state_t : uint32_t { BODY_STAND, BODY_LAY, BODY_WALK, BODY_TROTT, BODY_GALLOP, BODY_RAMP, BODY_WOUND, BODY_STATES };
    enum head_state_t : uint32_t { HEAD_LEFT, HEAD_RIGHT, HEAD_UP, HEAD_DOWN, HEAD_LAY, HEAD_STATES };

    struct channel_t {
        int32_t current = -1;  // the behaviour started and not yet ended
        int32_t queued = -1;   // the one to start when it ends
    };
    struct group_t {
        int32_t first = 0;
        int32_t count = 0;
    };
    struct addon_slot_t {
        bool playing = false;
        float accumulator = 0.0f;
    };

    // Draws come from the generator (the AI world's).
    explicit ai_presentation_t(randomizer_t &random);
    ~ai_presentation_t();
    ai_presentation_t(const ai_presentation_t &) = delete;
    ai_presentation_t &operator=(const ai_presentation_t &) = delete;

    // ---- set-up ----
    // The species' graphs of "/def/ai.def", obtained from the resource manager.
    bool load_processors(const char *species);
    // The same from a pool in hand (null: the file did not load).
    bool load_processors(const def_pool_t *ai, const char *species);
    // Binds the manners, features and states of the instance's behaviour file. False,
    // logged, when the instance or its file is missing or the file lacks a feature
    // or state. The instance is not owned and must outlive the presentation's use.
    bool bind(ai_animation_t *animation);

    // ---- manners and behaviours ----
    // A behaviour of the manner (uniform among its group), -1 when it has none.
    int32_t random_behavior(int32_t manner);
    // The manner of the behaviour, -1 when unbound or for -1.
    int32_t manner_of(int32_t behavior) const;
    const group_t &get_group(int32_t manner) const;
    // The behaviour of that name (without regard to case), -1 when absent.
    int32_t find_behavior(const char *name) const;
    // Whether the behaviour's "script" attribute begins with "C" (a behaviour asked
    // for on the alert channel that the body channel plays).
    bool behavior_is_c(int32_t behavior) const;

    // ---- processors ----
    // Makes the processor current and forces it with the urge value and the manner
    // of the body behaviour. False, logged, for an index above 8 or a processor the
    // species lacks; true (nothing done) when it is current already.
    bool change_processor(uint32_t index, float value);
    // Back to "rest", forced the same way.
    bool back_to_rest(float value);
    // Steps the current processor with the urge value and plays the manner it gives
    // on the body channel (softly: waiting for a short stand to finish). Negative,
    // logged, when the behaviour could not be started.
    int32_t start_command_behavior(float value, bool soft);
    uint32_t get_current_processor() const { return m_current_processor; }
    ai_processor_t *get_processor(uint32_t index) const { return index < AI_PROCESSOR_COUNT ? m_processors[index] : nullptr; }

    // ---- playing ----
    // A behaviour of the manner by the repetition rule, then play / play_soft.
    int32_t play_manner(int32_t manner, uint32_t channel, bool forced);
    int32_t play_manner_soft(int32_t manner, uint32_t channel);
    // Starts the behaviour on the channel: 0 (or what the instance answered) when
    // started, 1 when queued behind the channel's behaviour, -1 when it could not be
    // started or queued. -1 as the behaviour plays nothing and gives 0.
    int32_t play(int32_t behavior, uint32_t channel, bool forced);
    // As play, forced; while the channel plays a short stand the request waits
    // behind it (replacing what waited) and gives 0.
    int32_t play_soft(int32_t behavior, uint32_t channel);
    // Adds the behaviour beside the channel's current one: the instance's answer, -1
    // for behaviour -1.
    int32_t add_overlay(int32_t behavior, uint32_t channel);
    // The death animation for the kind of the part hit (the live animal's part table
    // row), or "wound2dead" while the body is wounded; forced on the death channel.
    int32_t play_death(int32_t part_kind);

    // ---- the instance's events, handed on by the animal ----
    // The channel's behaviour ended: the queued one starts (true) or the channel is
    // free (false; the animal then decides what comes next).
    bool on_behavior_end(uint32_t channel);
    // An overlay ended: the next of its manner follows when one is due.
    void on_overlay_done(int32_t behavior);
    // Each frame: the addon groups the current processor state allows build up at
    // the processor's rates for the urge value; one that reaches 1 plays.
    void update_addons(float dt, float value);

    // ---- what the body shows ----
    // The head's direction in the animal's frame: left (-1, 0, 0), right (1, 0, 0),
    // else ahead (0, 0, -1).
    vec3_t head_direction() const;
    // The body behaviour is a gallop or a trot.
    bool is_galloping() const;
    // The body feature's state on the instance's body channel (NO_STATE for none).
    uint8_t body_state() const;

    const channel_t &get_channel(uint32_t channel) const { return m_channels[channel < CHANNELS ? channel : 0]; }
    const addon_slot_t &get_addon_slot(int32_t manner) const;
    int32_t get_body_feature() const { return m_body_feature; }
    int32_t get_head_feature() const { return m_head_feature; }
    uint8_t get_body_state_id(uint32_t state) const { return m_body_states[state]; }
    uint8_t get_head_state_id(uint32_t state) const { return m_head_states[state]; }
    int32_t get_last_manner() const { return m_last_manner; }
    int32_t get_last_behavior() const { return m_last_behavior; }
    int32_t get_repeat_count() const { return m_repeat_count; }

private:
    // What bind reads of each behaviour once.
    struct behavior_t {
        int32_t manner = -1;
        uint8_t body = 0xff;  // the body state it starts in
        uint8_t head = 0xff;  // the head state it leaves (else starts in)
        bool c_script = false;
    };

    void reset();
    bool force_processor(uint32_t index, float value);
    int32_t pick(int32_t manner);
    int32_t body_manner() const;
    bool needs_intermediate(int32_t behavior) const;
    // Plays the channel's current behaviour on the instance (steps 4 of play).
    int32_t start_current(uint32_t channel, bool forced);
    void clear(uint32_t channel);
    bool is_sstand(int32_t behavior) const { return manner_of(behavior) == AI_MANNER_SSTAND; }
    addon_slot_t &slot(int32_t manner) { return m_addons[manner]; }

    randomizer_t &m_random;
    ai_animation_t *m_animation = nullptr;
    uint32_t m_current_processor = AI_PROCESSOR_UNDEFINED;
    ai_processor_t *m_processors[AI_PROCESSOR_COUNT] = {};
    channel_t m_channels[CHANNELS];
    group_t m_groups[AI_MANNER_LIMIT];
    array_dyn_t<behavior_t> m_behaviors;  // one per behaviour of the file
    bool m_has_attributes = false;
    int32_t m_body_feature = -1;
    int32_t m_head_feature = -1;
    uint8_t m_body_states[BODY_STATES] = {};
    uint8_t m_head_states[HEAD_STATES] = {};
    int32_t m_last_manner = -1;
    int32_t m_last_behavior = -1;
    int32_t m_repeat_count = 0;
    addon_slot_t m_addons[AI_MANNER_LIMIT];
};

}  // namespace quarn
