#pragma once
// zba_channels_t: the animation channels of the model that a behaviour host animates,
// as the behaviour machine drives them. One narrow interface, so that the machine does
// not depend on the model classes: the game's implementation goes to the model
// instance, tests record the calls.
//
// A channel is a small index that play returns; every other call names a channel that
// play gave and that was not freed since.
#include <cstdint>

namespace quarn {

class zba_animation_t;

class zba_channels_t {
public:
    // Flags the machine passes to play: none added; cleared, the model's default mark,
    // its fade-in and its fade at the stop frame (the machine sets the weights itself).
    static constexpr uint32_t PLAY_ADD = 0;
    static constexpr uint32_t PLAY_CLEAR = 35;
    // The channel flag the machine sets on every channel it starts: the machine
    // advances the channel, the model's own advance leaves it alone.
    static constexpr uint32_t OWNER_ADVANCES = 0x800;

    virtual ~zba_channels_t() = default;

    // True while the model is there to be animated; a host without it runs no process.
    virtual bool is_loaded() const = 0;
    // Starts the animation (a record of the loaded behaviour file: its path, name and
    // natural length) in a free channel placed by priority, with the flags added and
    // cleared, at that strength against the rest pose. The channel, or -1 when none
    // could be had.
    virtual int32_t play(const zba_animation_t &animation, uint32_t add, uint32_t clear, int32_t priority,
                         float strength) = 0;
    // The blend weight, 0..1.
    virtual void set_weight(int32_t channel, float weight) = 0;
    // Moves the channel's animation time on by seconds (never negative).
    virtual void advance(int32_t channel, float seconds) = 0;
    // The frame at which the channel ends; -1: the end of its current loop.
    virtual void set_stop_frame(int32_t channel, int32_t frame) = 0;
    // Holds the channel where it is / lets it go on.
    virtual void stop(int32_t channel) = 0;
    virtual void resume(int32_t channel) = 0;
    // Lets the channel's animation go; the index may be given out again.
    virtual void free(int32_t channel) = 0;
    // ORs bits into the channel's flags.
    virtual void set_flags(int32_t channel, uint32_t bits) = 0;
};

}  // namespace quarn
