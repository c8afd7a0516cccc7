#include "plugins/snddev/sound_buffer.h"

#include <cmath>

#include "outside/sonbase/device.h"
#include "qrncore/system/messages.h"

namespace quarn::snddev {

using sound::buffer_t;
using sound::channel_t;
using sound::listener_t;

// ---- buffer ----

sound_buffer_t::sound_buffer_t(const output_ref_t &output, const plugin::kernel_links_t &kernel, uint32_t flags)
    : buffer_t(flags), m_output(output), m_kernel(kernel) {}

sound_buffer_t::~sound_buffer_t() = default;

channel_t *sound_buffer_t::create_channel(uint32_t flags) {
    sound_channel_t *channel = new sound_channel_t(m_output, flags);
    if (!channel) {
        error("[snddev] Out of memory for a channel of '%s'", get_file_name());
        return nullptr;
    }
    if (!channel->bind(this)) {
        delete channel;
        return nullptr;
    }
    register_channel(channel);
    return channel;
}

bool sound_buffer_t::bind(const char *file_name, uint32_t flags) {
    if (!buffer_t::bind(file_name, flags)) {
        error("[snddev] Error opening sound file (%s)!", file_name);
        return false;
    }
    const bool three_d = flags & THREE_D;
    if (three_d && channels != 1) {
        error("[snddev] Error creating sound buffer - stereo 3D sounds not supported (%s).", file_name);
        return false;
    }
    if (is_streamed()) {
        // One second of samples, or ten.
        const uint64_t size = uint64_t(block_align) * sample_rate * ((flags & LONG_WINDOW) ? 10u : 1u);
        if (size > 0xFFFFFFFFu) {
            error("[snddev] Error creating sound buffer - the stream's window is too large (%s).", file_name);
            return false;
        }
        buffer_size = uint32_t(size);
    } else {
        if (data_length > 0xFFFFFFFFu) {
            error("[snddev] Error creating sound buffer - too long to be held whole (%s).", file_name);
            return false;
        }
        buffer_size = uint32_t(data_length);
    }

    buffer_desc_t desc;
    desc.caps = CAPS_VOLUME | CAPS_FREQUENCY | (three_d ? CAPS_3D : 0u) | (is_streamed() ? CAPS_STREAMING : 0u);
    desc.caps |= m_kernel.snd_is_accelerated() ? CAPS_LOCATE_IN_PLAY : CAPS_SOFTWARE;
    desc.bytes = buffer_size;
    desc.format.channels = channels;
    desc.format.rate = sample_rate;
    desc.format.bits = bits_per_sample;
    desc.format.block_align = block_align;
    desc.format.bytes_per_second = sample_rate * block_align;
    desc.algorithm = three_d ? ALGORITHM_NO_VIRTUALIZATION : ALGORITHM_DEFAULT;
    const result_t r = m_output->create_buffer(desc, m_buffer);
    if (failed(r) || !m_buffer) {
        error("[snddev] Error creating sound buffer (%s) [%s].", file_name, result_name(failed(r) ? r : DSERR_GENERIC));
        m_buffer.reset();
        return false;
    }
    return is_streamed() || fill_whole();
}

bool sound_buffer_t::lock(uint32_t offset, uint32_t bytes, void **region, uint32_t *length) {
    result_t r = m_buffer->lock(offset, bytes, region, length);
    if (r == DSERR_BUFFERLOST) {
        m_buffer->restore();
        r = m_buffer->lock(offset, bytes, region, length);
    }
    if (!failed(r)) return true;
    error("[snddev] Failed to lock memory region at offset %zu of size %zu (%s) [%s].", size_t(offset), size_t(bytes),
          get_file_name(), result_name(r));
    return false;
}

bool sound_buffer_t::unlock(void *region, uint32_t length) {
    const result_t r = m_buffer->unlock(region, length);
    if (!failed(r)) return true;
    error("[snddev] Failed to unlock the data buffer (%s) [%s].", get_file_name(), result_name(r));
    return false;
}

bool sound_buffer_t::fill_whole() {
    void *region = nullptr;
    uint32_t length = 0;
    if (!lock(0, buffer_size, &region, &length)) return false;
    streamer->request_data(region, 0, length);
    streamer->request_done();
    read_position = length;
    note_written(length);
    m_write = length;
    return unlock(region, length);
}

bool sound_buffer_t::refill() {
    const uint32_t p = get_play_cursor(), b = block_align, s = buffer_size;
    uint32_t w = m_write;
    uint64_t space = 0;
    if (p > w) {
        if (p - w >= b) space = p - w - b;
    } else if (w < s) {
        space = s - w;
    } else if (p >= b) {
        space = p - b;
    }
    // A quarter of a second in whole sample frames, by division: block sizes need not
    // be powers of two.
    const uint64_t chunk = uint64_t(sample_rate) * b / 4 / b * b;
    uint64_t n = space < chunk ? space : chunk;
    n -= n % b;
    if (n == 0) return true;
    w %= s;
    void *region = nullptr;
    uint32_t length = 0;
    if (!lock(w, uint32_t(n), &region, &length)) return false;

    const bool loops = m_flags & STREAM_LOOPS;
    const uint64_t remaining = read_position < stream_length ? stream_length - read_position : 0;
    uint32_t taken = 0;
    if (loops || remaining > 0) {
        taken = loops || remaining > length ? length : uint32_t(remaining);
        read_position %= stream_length;
        streamer->request_data(region, read_position, taken);
        streamer->request_done();
        read_position += taken;
    }
    if (!loops && remaining < length) {
        generate_silence(static_cast<uint8_t *>(region) + taken, length - taken);
        // The sound ends within this region: it has finished once that is heard.
        note_end(get_written() + taken);
    }
    const bool unlocked = unlock(region, length);
    m_write = w + length;
    note_written(length);
    return unlocked;
}

void sound_buffer_t::update(const listener_t &listener) {
    if (is_streamed() && m_buffer && buffer_size > 0 && !refill()) return;
    buffer_t::update(listener);
}

bool sound_buffer_t::data_pending() const { return m_write % (buffer_size ? buffer_size : 1) != get_play_cursor(); }

// ---- channel ----

sound_channel_t::sound_channel_t(const output_ref_t &output, uint32_t flags) : channel_t(flags), m_output(output) {}

sound_channel_t::~sound_channel_t() {
    m_3d.reset();
    m_duplicate.reset();
}

const char *sound_channel_t::file_name() const { return get_buffer() ? get_buffer()->get_file_name() : ""; }

bool sound_channel_t::bind(buffer_t *b) {
    if (!channel_t::bind(b)) return false;
    sound_buffer_t *sb = buffer();
    result_t r = sb->get_output_buffer() ? m_output->duplicate(*sb->get_output_buffer(), m_duplicate) : DSERR_INVALIDCALL;
    if (failed(r) || !m_duplicate) {
        error("[snddev] Error duplicating sound buffer! (%s) [%s].", file_name(),
              result_name(failed(r) ? r : DSERR_GENERIC));
        m_duplicate.reset();
        return false;
    }
    if (!(sb->get_flags() & buffer_t::THREE_D)) return true;
    r = m_duplicate->query_3d(m_3d);
    if (failed(r) || !m_3d) {
        error("[snddev] Error getting 3D sound buffer interface (%s) [%s].", file_name(),
              result_name(failed(r) ? r : DSERR_GENERIC));
        m_3d.reset();
        return false;
    }
    return true;
}

bool sound_channel_t::set_play_cursor(uint32_t cursor) {
    const result_t r = m_duplicate->set_current_position(cursor);
    if (!failed(r)) return true;
    error("[snddev] Failed setting current play cursor : %zu (%s) [%s].", size_t(cursor), file_name(), result_name(r));
    return false;
}

uint32_t sound_channel_t::get_play_cursor() const {
    uint32_t cursor = 0;
    const result_t r = m_duplicate->get_current_position(&cursor);
    if (!failed(r)) return cursor;
    error("[snddev] Failed getting current play cursor (%s) [%s].", file_name(), result_name(r));
    return 0;
}

void sound_channel_t::update(const listener_t &listener) {
    if (m_playing && buffer()->is_streamed()) buffer()->set_play_cursor(get_play_cursor());
    channel_t::update(listener);
}

bool sound_channel_t::is_playing() const {
    uint32_t status = 0;
    const result_t r = m_duplicate->get_status(&status);
    if (!failed(r)) return status & STATUS_PLAYING;
    error("[snddev] Error querying channel status (%s) [%s].", file_name(), result_name(r));
    return false;
}

bool sound_channel_t::has_finished() const {
    if (get_flags() & LOOPING) return false;
    // A stream has finished once its end was played, not once it was written.
    if (buffer()->is_streamed()) return buffer()->end_played();
    return m_started && !is_playing();
}

bool sound_channel_t::play() {
    // Attributes sent before the start are in effect from the first sample on.
    if (has_pending_attributes() && get_device()) channel_t::update(get_device()->get_listener());
    set_play_cursor(m_saved_cursor);
    const result_t r = m_duplicate->play((get_flags() & LOOPING) || buffer()->is_streamed());
    if (r == DSERR_BUFFERLOST) return false;
    if (failed(r)) {
        error("[snddev] Error playing channel (%s) [%s].", file_name(), result_name(r));
        return false;
    }
    m_started = true;
    m_playing = true;
    return true;
}

void sound_channel_t::stop() {
    const result_t r = m_duplicate->stop();
    if (failed(r)) {
        error("[snddev] Error stopping channel (%s) [%s].", file_name(), result_name(r));
        return;
    }
    m_saved_cursor = get_play_cursor();
    m_started = false;
    m_playing = false;
}

void sound_channel_t::apply_attributes(const listener_t &listener) {
    const sound::channel_attributes_t &a = get_attributes();
    float gain = a.volume;
    if (m_3d) {
        buffer_3d_params_t p;
        p.position = vec3_t(a.position.x, a.position.y, -a.position.z);
        p.velocity = vec3_t(a.velocity.x, a.velocity.y, -a.velocity.z);
        p.inside_cone_angle = p.outside_cone_angle = 360;
        p.cone_orientation = vec3_t(1.0f, 0.0f, 0.0f);
        p.cone_outside_volume = 0;
        p.min_distance = a.min_distance;
        // The output's attenuation stops at the volume start; the factor below takes
        // the sound on to silence at the maximum distance.
        float max = distance_volume_start(listener);
        if (max < a.min_distance) max = a.min_distance;
        if (max > a.max_distance) max = a.max_distance;
        p.max_distance = max;
        p.mode = MODE_NORMAL;
        const result_t r = m_3d->set_all(p, true);
        if (failed(r)) error("[snddev] Error setting 3D attributes [%s].", result_name(r));
        gain *= distance_volume_factor(listener);
    }
    result_t r = m_duplicate->set_volume(linear_gain_to_millibells(gain));
    if (failed(r)) error("[snddev] Error setting volume (%.3f) [%s].", double(gain), result_name(r));

    const double requested = double(get_buffer()->sample_rate) * double(a.rate);
    uint32_t frequency;
    if (requested > FREQUENCY_MAX) {
        warning("[snddev] set_freqency - value above maximum (%.1f) (%s)", requested, file_name());
        frequency = FREQUENCY_MAX;
    } else if (!(requested >= FREQUENCY_MIN)) {
        warning("[snddev] set_freqency - value below minimum (%.1f) (%s)", requested, file_name());
        frequency = FREQUENCY_MIN;
    } else {
        frequency = uint32_t(requested);
    }
    r = m_duplicate->set_frequency(frequency);
    if (failed(r)) error("[snddev] Error setting frequency (%s) [%s].", file_name(), result_name(r));
}

}  // namespace quarn::snddev
