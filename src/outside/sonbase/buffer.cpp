#include "outside/sonbase/buffer.h"

#include <cstring>

#include "outside/sonbase/channel.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn::sound {

buffer_t::buffer_t(uint32_t flags) : m_flags(flags) {}

buffer_t::~buffer_t() {
    if (m_channel_count) warning("[sonbase] buffer '%s' deleted with %u channels", get_file_name(), m_channel_count);
    while (m_first_channel) {
        channel_t *channel = m_first_channel;
        unregister_channel(channel);
        delete channel;
    }
}

void *buffer_t::operator new(size_t bytes) noexcept { return qrncore_system_new(bytes); }

void buffer_t::operator delete(void *memory) { qrncore_system_delete(memory); }

void buffer_t::destroy_channel(channel_t *channel) {
    if (!channel) return;
    unregister_channel(channel);
    delete channel;
}

void buffer_t::update(const listener_t &) {
    if (!is_streamed() || buffer_size == 0) return;
    // The ring never holds a whole ring of unplayed bytes, so the cursor moves less
    // than one ring between two frames.
    m_played += (uint64_t(m_play_cursor) + buffer_size - m_last_cursor) % buffer_size;
    m_last_cursor = m_play_cursor;
}

bool buffer_t::data_pending() const { return false; }

bool buffer_t::bind(const char *file_name, uint32_t flags) {
    m_flags = flags;
    m_file_name.copy(file_name ? file_name : "");
    streamer = streamer_t::open(file_name);
    if (!streamer) return false;
    const pcm_format_t &format = streamer->get_format();
    if (streamer->get_length() == 0) {
        error("[sonbase] '%s' has no samples", get_file_name());
        streamer.reset();
        return false;
    }
    channels = format.channels;
    sample_rate = format.rate;
    bits_per_sample = format.bits;
    block_align = format.block_align;
    data_length = streamer->get_length();
    stream_length = data_length;
    read_position = 0;
    return true;
}

void buffer_t::register_channel(channel_t *channel) {
    if (!channel || channel->m_owner == this) return;
    channel->m_owner = this;
    channel->m_buffer_prev = nullptr;
    channel->m_buffer_next = m_first_channel;
    if (m_first_channel) m_first_channel->m_buffer_prev = channel;
    m_first_channel = channel;
    ++m_channel_count;
}

void buffer_t::unregister_channel(channel_t *channel) {
    if (!channel || channel->m_owner != this) return;
    if (channel->m_buffer_prev) channel->m_buffer_prev->m_buffer_next = channel->m_buffer_next;
    else m_first_channel = channel->m_buffer_next;
    if (channel->m_buffer_next) channel->m_buffer_next->m_buffer_prev = channel->m_buffer_prev;
    channel->m_buffer_prev = channel->m_buffer_next = nullptr;
    channel->m_owner = nullptr;
    --m_channel_count;
}

void buffer_t::generate_silence(void *out, uint32_t bytes) const {
    if (out) memset(out, bits_per_sample == 8 ? 0x80 : 0, bytes);
}

void buffer_t::note_end(uint64_t end_in_written) {
    if (m_end_known) return;
    m_end = end_in_written;
    m_end_known = true;
}

}  // namespace quarn::sound
