#pragma once
// quarn::sound::device_t: the base of a sound output device, a hardware device of
// class 2 (sound). A plug-in derives its device from it and inserts it into the
// kernel's device registry; the kernel's sound front-end selects one by name,
// initialises, restarts, suspends, revives and shuts it down, opens and closes
// channels on it, hands it the listener and ends each frame with finish_frame.
//
// The base keeps the listener and the list of open channels: a derived device says
// how a channel is made (create_channel) and may say how one is freed, how the
// listener reaches the output and what else a frame does.
#include <cstdint>

#include "outside/qrnshared/hw_device.h"
#include "outside/sonbase/api.h"
#include "outside/sonbase/channel.h"
#include "outside/sonbase/listener.h"

namespace quarn::sound {

class SONBASE_API device_t : public hw_device_t {
public:
    explicit device_t(const char *device_name);
    // Frees the channels still open.
    ~device_t() override;

    // Closes every channel still open (a warning names how many), so that a device
    // that is shut down holds no voices.
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
    // The end of a frame: every open channel applies what changed, then the listener
    // reaches the output.
    virtual void finish_frame();

protected:
    // A new channel for the resource; null (logged) when it cannot be made.
    virtual channel_t *create_channel(const char *resource_name, uint32_t flags) = 0;
    // Frees a channel made by create_channel; the base deletes it.
    virtual void destroy_channel(channel_t *channel);
    // Hands the listener to the output; the base has none.
    virtual void commit_listener();

    listener_t m_listener;

private:
    friend class channel_t;

    void unlink_channel(channel_t *channel);

    channel_t *m_first_channel = nullptr;
    uint32_t m_channel_count = 0;
};

}  // namespace quarn::sound
