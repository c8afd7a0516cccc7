#pragma once
// quarn::sound::device_t: the base of a sound output device, a hardware device of
// class 2 (sound). A plug-in derives its device from it and inserts it into the
// kernel's device registry; the kernel's sound front-end selects one by name,
// initialises, restarts, suspends, revives and shuts it down, opens and closes
// channels on it, hands it the listener and ends each frame with finish_frame.
//
// The base keeps the listener, the list of open channels and the list of buffers. By
// default a channel is made through a buffer of its resource: a whole buffer serves
// every channel of one resource and flags until the device shuts down, a streamed
// buffer (music) belongs to its one channel and goes with it. A derived device says
// how a buffer is made (create_buffer) and may replace the whole scheme
// (create_channel), say how the listener reaches the output and what else a frame
// does.
#include <cstdint>

#include "outside/qrnshared/hw_device.h"
#include "outside/sonbase/api.h"
#include "outside/sonbase/buffer.h"
#include "outside/sonbase/channel.h"
#include "outside/sonbase/listener.h"

namespace quarn::sound {

class SONBASE_API device_t : public hw_device_t {
public:
    explicit device_t(const char *device_name);
    // Frees the channels still open and the buffers.
    ~device_t() override;

    // Closes every channel still open (a warning names how many) and destroys every
    // buffer, so that a device that is shut down holds no voices and no samples.
    void shutdown() override;

    // A channel for the named resource, open on this device; null (logged by the
    // device) when the resource cannot be played.
    channel_t *open_channel(const char *resource_name, uint32_t flags);
    // Stops nothing: the caller stops the channel first. Frees the channel; null and
    // a channel of another device are refused with an error.
    void close_channel(channel_t *channel);
    uint32_t get_channel_count() const { return m_channel_count; }

    // Takes the listener for the frame.
    virtual void set_listener(const listener_t &listener);
    const listener_t &get_listener() const { return m_listener; }
    // The end of a frame: every open channel applies what changed, every buffer
    // refills, then the listener reaches the output.
    virtual void finish_frame();

    // The buffer flags of a channel's flags: positional sounds are 3D, music is
    // streamed (and the stream loops when the channel does).
    static uint32_t buffer_flags_of(uint32_t channel_flags);
    buffer_t *get_first_buffer() const { return m_first_buffer; }
    buffer_t *get_last_buffer() const { return m_last_buffer; }
    uint32_t get_buffer_count() const { return m_buffer_count; }

protected:
    // A new channel for the resource; null (logged) when it cannot be made. The base
    // plays a buffer of the resource (see above).
    virtual channel_t *create_channel(const char *resource_name, uint32_t flags);
    // Frees a channel made by create_channel: through its buffer (a streamed buffer
    // goes with it), else deleted.
    virtual void destroy_channel(channel_t *channel);
    // Hands the listener to the output; the base has none.
    virtual void commit_listener();

    // A buffer of the file bound with the flags, in the list; null (logged) when it
    // cannot be made. The base makes none.
    virtual buffer_t *create_buffer(const char *file_name, uint32_t flags);
    // Takes the buffer out of the list and deletes it.
    virtual void destroy_buffer(buffer_t *buffer);
    // Appends a buffer to the list / takes one out; the list's ends stay valid when
    // its last buffer goes.
    void link_buffer(buffer_t *buffer);
    void unlink_buffer(buffer_t *buffer);
    // Destroys every buffer (destroy_buffer), last first.
    void destroy_buffers();

    listener_t m_listener;

private:
    friend class channel_t;

    void unlink_channel(channel_t *channel);

    channel_t *m_first_channel = nullptr;
    uint32_t m_channel_count = 0;
    buffer_t *m_first_buffer = nullptr;
    buffer_t *m_last_buffer = nullptr;
    uint32_t m_buffer_count = 0;
};

}  // namespace quarn::sound
