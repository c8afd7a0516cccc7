#include "outside/sonbase/device.h"

#include "qrncore/system/messages.h"

namespace quarn::sound {

device_t::device_t(const char *device_name) : hw_device_t(SOUND, device_name) {}

device_t::~device_t() {
    // Derived parts are gone here: a device whose channels need them closes its
    // channels in its own destructor (or shutdown) first.
    while (m_first_channel) {
        channel_t *channel = m_first_channel;
        unlink_channel(channel);
        delete channel;
    }
}

void device_t::shutdown() {
    if (m_channel_count)
        warning("[sonbase] device %s shut down with %u channels open - closed", name.c_str(), m_channel_count);
    while (m_first_channel) close_channel(m_first_channel);
}

channel_t *device_t::open_channel(const char *resource_name, uint32_t flags) {
    if (!resource_name || !resource_name[0]) {
        error("[sonbase] device %s: a channel needs a resource name", name.c_str());
        return nullptr;
    }
    channel_t *channel = create_channel(resource_name, flags);
    if (!channel) return nullptr;
    channel->m_device = this;
    channel->m_prev = nullptr;
    channel->m_next = m_first_channel;
    if (m_first_channel) m_first_channel->m_prev = channel;
    m_first_channel = channel;
    ++m_channel_count;
    return channel;
}

void device_t::close_channel(channel_t *channel) {
    if (!channel || channel->m_device != this) {
        error("[sonbase] device %s: close of a channel it does not hold", name.c_str());
        return;
    }
    unlink_channel(channel);
    destroy_channel(channel);
}

void device_t::set_listener(const listener_t &listener) { m_listener = listener; }

void device_t::finish_frame() {
    for (channel_t *channel = m_first_channel; channel;) {
        channel_t *next = channel->m_next;
        channel->update(m_listener);
        channel = next;
    }
    commit_listener();
}

void device_t::destroy_channel(channel_t *channel) { delete channel; }

void device_t::commit_listener() {}

void device_t::unlink_channel(channel_t *channel) {
    if (channel->m_prev) channel->m_prev->m_next = channel->m_next;
    else m_first_channel = channel->m_next;
    if (channel->m_next) channel->m_next->m_prev = channel->m_prev;
    channel->m_prev = channel->m_next = nullptr;
    channel->m_device = nullptr;
    --m_channel_count;
}

}  // namespace quarn::sound
