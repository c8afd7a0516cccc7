#pragma once
// ai_animation_t: what an animal's presentation needs of its animation instance. The
// presentation starts behaviours of the animal's behaviour file on the instance's
// numbered channels and reads the file itself (names, features, attributes); the
// instance tells the animal, through its listener, when behaviours end. Keeping the
// presentation on this narrow seam lets it run in tests with a recording double.
#include <cstdint>

#include "game/ai/zba/zba_info.h"

namespace quarn {

// Results of the instance's operations.
constexpr int32_t AI_ANIM_OK = 0;
constexpr int32_t AI_ANIM_BAD_BEHAVIOR = -1;    // number out of range, or no record
constexpr int32_t AI_ANIM_BUSY = -4;            // still running, and not forced
constexpr int32_t AI_ANIM_FEATURES = -5;        // an overlay whose start states do not match
constexpr int32_t AI_ANIM_CHANNEL_OFF = -6;     // the channel is reporting a stop

// What the instance's listener is told (the value is a behaviour number, or a text
// for sounds and infos).
enum ai_anim_event_t : int32_t {
    AI_ANIM_ENDED = 0,            // the channel's behaviour ended
    AI_ANIM_TRANSITION_DONE = 1,  // a transition ended; the behaviour behind it started
    AI_ANIM_RELEASED = 2,         // a process that had not ended was let go
    AI_ANIM_OVERLAY_ENDED = 3,    // an overlay ended
    AI_ANIM_SOUND = 5,            // a behaviour reached a sound item
    AI_ANIM_INFO = 6,             // a behaviour reached an info item
};

class ai_animation_t {
public:
    virtual ~ai_animation_t() = default;

    // The behaviour file (a null info when the instance has none). The view stays
    // valid until the caller returns to the frame loop.
    virtual zba_info_t get_info() const = 0;
    // Starts the behaviour on the channel, through whatever transitions its feature
    // states need: AI_ANIM_OK, or AI_ANIM_BUSY, AI_ANIM_BAD_BEHAVIOR,
    // AI_ANIM_CHANNEL_OFF.
    virtual int32_t play_behavior(int32_t behavior, uint32_t channel, bool force) = 0;
    // Starts the behaviour beside the channel's current one, without transitions:
    // AI_ANIM_OK, or AI_ANIM_FEATURES, AI_ANIM_BAD_BEHAVIOR, AI_ANIM_CHANNEL_OFF.
    virtual int32_t add_behavior(int32_t behavior, uint32_t channel) = 0;
    // Replaces the channel's behaviour at once, without transitions.
    virtual int32_t switch_behavior(int32_t behavior, uint32_t channel) = 0;
    // Stops everything on the channel and forgets its feature states.
    virtual void clear_channel(uint32_t channel) = 0;
    // The state the channel's feature is in now, or zba_layout::NO_STATE.
    virtual uint8_t get_feature_state(uint32_t channel, uint32_t feature) const = 0;
};

}  // namespace quarn
