#pragma once
// The sound plug-in's buffers and channels. A buffer holds one file's samples in a
// buffer of the output: whole, or as a ring refilled from the file while it plays
// (streamed); a channel is one voice of it, a duplicate of the output's buffer with
// its own cursor, volume, frequency and 3D place.
#include "outside/sonbase/buffer.h"
#include "outside/sonbase/channel.h"
#include "plugins/kernel_links.h"
#include "plugins/snddev/output_api.h"

namespace quarn::snddev {

// Frequencies a channel plays at.
constexpr uint32_t FREQUENCY_MIN = 100;
constexpr uint32_t FREQUENCY_MAX = 200000;

class sound_buffer_t : public sound::buffer_t {
public:
    sound_buffer_t(const output_ref_t &output, const plugin::kernel_links_t &kernel, uint32_t flags);
    ~sound_buffer_t() override;

    sound::channel_t *create_channel(uint32_t flags) override;
    // The streaming refill, then the base's bookkeeping.
    void update(const sound::listener_t &listener) override;
    bool data_pending() const override;
    // Reads the file, makes the output's buffer (whole: filled at once).
    bool bind(const char *file_name, uint32_t flags) override;

    sound_buffer_i *get_output_buffer() const { return m_buffer.get(); }
    const output_ref_t &get_output() const { return m_output; }
    uint32_t get_write_position() const { return m_write; }

private:
    // A region for writing; a lost buffer is restored and locked once more.
    bool lock(uint32_t offset, uint32_t bytes, void **region, uint32_t *length);
    bool unlock(void *region, uint32_t length);
    bool fill_whole();
    // Writes what fits between the write position and the play cursor.
    bool refill();

    output_ref_t m_output;
    const plugin::kernel_links_t &m_kernel;
    auto_ptr_t<sound_buffer_i> m_buffer;
    // Where the next bytes go in the output's buffer.
    uint32_t m_write = 0;
};

class sound_channel_t : public sound::channel_t {
public:
    sound_channel_t(const output_ref_t &output, uint32_t flags);
    ~sound_channel_t() override;

    // Duplicates the buffer's output buffer (and its 3D side for a 3D buffer).
    bool bind(sound::buffer_t *buffer) override;
    bool set_play_cursor(uint32_t cursor);
    uint32_t get_play_cursor() const;
    // Streams: hands the play cursor to the buffer; then the base's update.
    void update(const sound::listener_t &listener) override;
    bool is_playing() const override;
    bool has_finished() const override;
    // Plays from where the channel was stopped (pending attributes applied first).
    bool play() override;
    // Stops and keeps the cursor; a stop the output refuses changes nothing.
    void stop() override;

    bool is_started() const { return m_started; }

protected:
    // 3D place, volume and frequency.
    void apply_attributes(const sound::listener_t &listener) override;

private:
    sound_buffer_t *buffer() const { return static_cast<sound_buffer_t *>(get_buffer()); }
    const char *file_name() const;

    output_ref_t m_output;
    auto_ptr_t<sound_buffer_i> m_duplicate;
    auto_ptr_t<buffer_3d_i> m_3d;
    bool m_started = false;
};

}  // namespace quarn::snddev
