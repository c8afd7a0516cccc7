#include "outside/sonbase/device.h"

#include <cstring>

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
    while (m_last_buffer) {
        buffer_t *buffer = m_last_buffer;
        unlink_buffer(buffer);
        delete buffer;
    }
}

void device_t::shutdown() {
    if (m_channel_count)
        warning("[sonbase] device %s shut down with %u channels open - closed", name.c_str(), m_channel_count);
    while (m_first_channel) close_channel(m_first_channel);
    destroy_buffers();
}

uint32_t device_t::buffer_flags_of(uint32_t channel_flags) {
    uint32_t flags = (channel_flags & channel_t::POSITIONAL) ? buffer_t::THREE_D : 0u;
    if (channel_flags & channel_t::MUSIC)
        flags |= buffer_t::STREAMED | ((channel_flags & channel_t::LOOPING) ? buffer_t::STREAM_LOOPS : 0u);
    return flags;
}

channel_t *device_t::create_channel(const char *resource_name, uint32_t flags) {
    const uint32_t buffer_flags = buffer_flags_of(flags);
    buffer_t *buffer = nullptr;
    // A whole buffer of the resource and flags serves the new channel too.
    if (!(buffer_flags & buffer_t::STREAMED)) {
        for (buffer_t *b = m_first_buffer; b && !buffer; b = b->next)
            if (!b->is_streamed() && b->get_flags() == buffer_flags && strcmp(b->get_file_name(), resource_name) == 0)
                buffer = b;
    }
    const bool made = buffer == nullptr;
    if (made) buffer = create_buffer(resource_name, buffer_flags);
    if (!buffer) return nullptr;
    channel_t *channel = buffer->create_channel(flags);
    if (!channel && made && buffer->is_streamed()) destroy_buffer(buffer);
    return channel;
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
    for (buffer_t *buffer = m_first_buffer; buffer; buffer = buffer->next) buffer->update(m_listener);
    commit_listener();
}

void device_t::destroy_channel(channel_t *channel) {
    buffer_t *buffer = channel->get_buffer();
    if (!buffer) {
        delete channel;
        return;
    }
    buffer->destroy_channel(channel);
    if (buffer->is_streamed() && buffer->get_channel_count() == 0) destroy_buffer(buffer);
}

buffer_t *device_t::create_buffer(const char *file_name, uint32_t) {
    error("[sonbase] device %s keeps no sound buffers - '%s' can not be played", name.c_str(), file_name);
    return nullptr;
}

void device_t::destroy_buffer(buffer_t *buffer) {
    if (!buffer) return;
    unlink_buffer(buffer);
    delete buffer;
}

void device_t::link_buffer(buffer_t *buffer) {
    buffer->prev = m_last_buffer;
    buffer->next = nullptr;
    if (m_last_buffer) m_last_buffer->next = buffer;
    else m_first_buffer = buffer;
    m_last_buffer = buffer;
    ++m_buffer_count;
}

void device_t::unlink_buffer(buffer_t *buffer) {
    if (buffer->prev) buffer->prev->next = buffer->next;
    else if (m_first_buffer == buffer) m_first_buffer = buffer->next;
    if (buffer->next) buffer->next->prev = buffer->prev;
    else if (m_last_buffer == buffer) m_last_buffer = buffer->prev;
    buffer->prev = buffer->next = nullptr;
    --m_buffer_count;
}

void device_t::destroy_buffers() {
    while (m_last_buffer) destroy_buffer(m_last_buffer);
}

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
