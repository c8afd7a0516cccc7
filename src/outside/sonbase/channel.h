#pragma once
// quarn::sound::channel_t: one playing voice of a sound resource on a device. The
// device makes it (device_t::open_channel, through a buffer of the resource) and frees
// it (close_channel); the kernel's sound front-end starts and stops it, asks whether it
// has finished and hands it the sound's attributes, which the channel applies at the
// device's next frame.
#include <cstddef>
#include <cstdint>

#include "outside/sonbase/api.h"
#include "outside/sonbase/listener.h"
#include "qrncore/math/vec.h"

namespace quarn::sound {

class buffer_t;
class device_t;

// What a sound asks of its channel: 13 floats, in this order.
struct channel_attributes_t {
    vec3_t position;
    vec3_t velocity;
    // Three further values of the device's own; 0 unless a caller sets them.
    float device_values[3] = {0.0f, 0.0f, 0.0f};
    // Linear gain, 0 (silent) to 1.
    float volume = 1.0f;
    // Full volume up to the minimum distance; silent from the maximum distance on.
    float min_distance = 1.0f;
    float max_distance = 100000.0f;
    // The channel plays at the resource's sample rate times this factor.
    float rate = 1.0f;
};
static_assert(sizeof(channel_attributes_t) == 13 * sizeof(float), "the attribute block is 13 packed floats");

class SONBASE_API channel_t {
public:
    // Flags the channel is opened with.
    static constexpr uint32_t POSITIONAL = 0x1;  // placed in the world around the listener
    static constexpr uint32_t LOOPING = 0x2;     // starts again at its end, never finishes
    static constexpr uint32_t MUSIC = 0x8;       // music: streamed rather than held whole

    explicit channel_t(uint32_t flags);
    // A channel still open on a device leaves the device's list.
    virtual ~channel_t();
    channel_t(const channel_t &) = delete;
    channel_t &operator=(const channel_t &) = delete;

    // Channels live in the host's memory; without memory `new` gives null.
    static void *operator new(size_t bytes) noexcept;
    static void operator delete(void *memory);

    // Makes the channel play buffer; false (logged by the device) when the output
    // cannot give a voice for it. The base keeps the buffer.
    virtual bool bind(buffer_t *buffer);
    buffer_t *get_buffer() const { return m_buffer; }

    // A linear gain in hundredths of a decibel: 2000 log10(gain) to the nearest
    // whole, from -10000 (also for a gain of 0 or less) to 0 (for 1 and more).
    static int32_t linear_gain_to_millibells(float gain);
    // The distance laws of positional channels. Up to the volume start, three
    // quarters of the way from the minimum to the maximum distance, the output's own
    // attenuation applies and the factor is 1; from there the factor falls linearly
    // to 0 at the maximum distance, so a sound has faded out before the front-end
    // stops it there.
    float distance_volume_start(const listener_t &listener) const;
    float distance_volume_factor(const listener_t &listener) const;

    // Starts (or resumes) playback; false when it could not start. The base only
    // notes that it plays.
    virtual bool play();
    // Stops playback, keeping the position, so that play resumes there.
    virtual void stop();
    // Whether the voice is audible now.
    virtual bool is_playing() const;
    // Whether playback came to its end by itself (never for a looping channel). The
    // base never finishes.
    virtual bool has_finished() const;
    // Takes the attributes; they are applied at the device's next frame.
    virtual void set_attributes(const channel_attributes_t &attributes);
    // The device's frame: applies attributes that changed since the last frame.
    virtual void update(const listener_t &listener);

    uint32_t get_flags() const { return m_flags; }
    const channel_attributes_t &get_attributes() const { return m_attributes; }
    bool has_pending_attributes() const { return m_attributes_pending; }
    // The device the channel is open on; null before it is opened and after close.
    device_t *get_device() const { return m_device; }

protected:
    // Gives the attributes to the output; the base has none.
    virtual void apply_attributes(const listener_t &listener);

    bool m_playing = false;
    // Where playback stood when the channel was stopped; play resumes there.
    uint32_t m_saved_cursor = 0;

private:
    friend class buffer_t;
    friend class device_t;

    uint32_t m_flags;
    channel_attributes_t m_attributes;
    bool m_attributes_pending = false;
    // The device's list of open channels.
    device_t *m_device = nullptr;
    channel_t *m_prev = nullptr;
    channel_t *m_next = nullptr;
    // The buffer it plays, and the list of the buffer's channels it is in.
    buffer_t *m_buffer = nullptr;
    buffer_t *m_owner = nullptr;
    channel_t *m_buffer_prev = nullptr;
    channel_t *m_buffer_next = nullptr;
};

}  // namespace quarn::sound
