#pragma once
// quarn::sound::buffer_t: one sound file's samples on a device, kept whole or, for a
// streamed sound, as a ring of the output's memory that is refilled while it plays.
// A buffer makes the channels that play it (create_channel) and keeps them until they
// are destroyed through it. A device keeps its buffers in a list (the two links here).
//
// The base reads the file (streamer_t), keeps its format and the stream's bookkeeping:
// how far the stream was read, how many bytes went to the output and were played, and
// where the sound's end lies among the bytes written, so that a stream counts as
// finished only once its end has been heard.
#include <cstddef>
#include <cstdint>

#include "outside/sonbase/api.h"
#include "outside/sonbase/listener.h"
#include "outside/sonbase/streamer.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn::sound {

class channel_t;

class SONBASE_API buffer_t {
public:
    enum flags_t : uint32_t {
        THREE_D = 0x1,       // placed in the world around the listener (mono only)
        STREAM_LOOPS = 0x2,  // a streamed sound starts again at its end
        STREAMED = 0x4,      // refilled while it plays instead of held whole
        LONG_WINDOW = 0x8,   // a streamed sound keeps ten seconds ahead instead of one
    };

    explicit buffer_t(uint32_t flags);
    // The channels must have been destroyed through the buffer; any left are deleted
    // (a warning says how many).
    virtual ~buffer_t();
    buffer_t(const buffer_t &) = delete;
    buffer_t &operator=(const buffer_t &) = delete;

    static void *operator new(size_t bytes) noexcept;
    static void operator delete(void *memory);

    // A new channel playing this buffer, registered with it; null (logged) when the
    // output cannot give one.
    virtual channel_t *create_channel(uint32_t flags) = 0;
    // Unregisters the channel and deletes it.
    virtual void destroy_channel(channel_t *channel);
    // Once a frame, after the channels reported their play cursors: counts what the
    // output played since the last frame (streamed buffers).
    virtual void update(const listener_t &listener);
    // Written data is waiting to be played. The base has none.
    virtual bool data_pending() const;
    // Opens the file and takes its format. False (logged) when the file cannot be
    // played, and for a file without samples: a stream of no length could neither be
    // refilled nor loop.
    virtual bool bind(const char *file_name, uint32_t flags);

    void register_channel(channel_t *channel);
    void unregister_channel(channel_t *channel);
    uint32_t get_channel_count() const { return m_channel_count; }
    // Fills bytes with the silence of the format: 0x80 for 8-bit samples, 0 for 16.
    void generate_silence(void *out, uint32_t bytes) const;
    const char *get_file_name() const { return m_file_name.c_str(); }
    uint32_t get_flags() const { return m_flags; }
    bool is_streamed() const { return m_flags & STREAMED; }

    // Streams: the channel's play cursor (a byte offset into the output's ring),
    // stored by the channel each frame.
    void set_play_cursor(uint32_t cursor) { m_play_cursor = cursor; }
    uint32_t get_play_cursor() const { return m_play_cursor; }
    // Bytes given to the output in all; the refill counts them. end_in_written marks
    // that the sound's last byte lies at that count (streams that do not loop).
    void note_written(uint32_t bytes) { m_written += bytes; }
    void note_end(uint64_t end_in_written);
    uint64_t get_written() const { return m_written; }
    uint64_t get_played() const { return m_played; }
    // The sound's end has been played (never for a stream whose end was not written).
    bool end_played() const { return m_end_known && m_played >= m_end; }

    // The device's list of buffers.
    buffer_t *prev = nullptr;
    buffer_t *next = nullptr;

    // The format, and the sizes the device works with (bytes).
    uint16_t channels = 0;
    uint32_t sample_rate = 0;
    uint16_t bits_per_sample = 0;
    uint16_t block_align = 0;
    uint64_t data_length = 0;
    // The size of the output's buffer: the whole data, or the stream's ring.
    uint32_t buffer_size = 0;
    // The stream's length and where reading goes on.
    uint64_t stream_length = 0;
    uint64_t read_position = 0;
    auto_ptr_t<streamer_t> streamer;

protected:
    uint32_t m_flags;

private:
    mstring_dyn_t m_file_name;
    channel_t *m_first_channel = nullptr;
    uint32_t m_channel_count = 0;
    uint32_t m_play_cursor = 0;
    uint32_t m_last_cursor = 0;
    uint64_t m_written = 0;
    uint64_t m_played = 0;
    uint64_t m_end = 0;
    bool m_end_known = false;
};

}  // namespace quarn::sound
