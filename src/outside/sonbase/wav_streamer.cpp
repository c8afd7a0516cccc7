// RIFF WAVE files of PCM samples: a "fmt " chunk (format 1, one or two channels, 8 or
// 16 bits) and a "data" chunk, other chunks passed over. docs/kernel.md holds what
// the reader accepts.
#include <cstring>

#include "outside/sonbase/streamer_kinds.h"
#include "qrncore/spatial/le_bytes.h"
#include "qrncore/system/messages.h"

namespace quarn::sound {

namespace {

class wav_streamer_t : public streamer_t {
public:
    wav_streamer_t(auto_ptr_t<file_t> &file, const char *name)
        : streamer_t(static_cast<auto_ptr_t<file_t> &&>(file), name) {}

    // Finds the format and the samples; false (logged) for a file this layer cannot
    // play.
    bool read_header();
    bool request_data(void *out, uint64_t position, uint32_t bytes) override;

private:
    bool fail(const char *what) const {
        error("[sonbase] '%s': %s", get_name(), what);
        return false;
    }

    uint64_t m_data_offset = 0;
};

bool wav_streamer_t::read_header() {
    const uint64_t size = m_file->size();
    bool have_format = false, have_data = false;
    uint64_t data_size = 0;
    // Chunks follow the 12-byte header, each an id, a 32-bit size and the bytes,
    // padded to an even length.
    for (uint64_t at = 12; at + 8 <= size;) {
        uint8_t head[8];
        if (!m_file->block_read(head, sizeof head, at)) return fail("can not read a chunk header");
        const uint64_t length = le_bytes::get_u32(head + 4);
        const uint64_t body = at + 8;
        if (memcmp(head, "fmt ", 4) == 0) {
            uint8_t fmt[16];
            if (length < sizeof fmt || body + sizeof fmt > size || !m_file->block_read(fmt, sizeof fmt, body))
                return fail("the format chunk is cut short");
            if (le_bytes::get_u16(fmt) != 1) return fail("the samples are not PCM");
            m_format.channels = le_bytes::get_u16(fmt + 2);
            m_format.rate = le_bytes::get_u32(fmt + 4);
            m_format.block_align = le_bytes::get_u16(fmt + 12);
            m_format.bits = le_bytes::get_u16(fmt + 14);
            if (m_format.channels != 1 && m_format.channels != 2) return fail("only mono and stereo are played");
            if (m_format.bits != 8 && m_format.bits != 16) return fail("only 8- and 16-bit samples are played");
            if (m_format.rate == 0) return fail("the sample rate is 0");
            if (m_format.block_align != m_format.channels * m_format.bits / 8)
                return fail("the block alignment does not match the channels and bits");
            have_format = true;
        } else if (memcmp(head, "data", 4) == 0 && !have_data) {
            m_data_offset = body;
            // A file cut short plays what it holds.
            data_size = body + length <= size ? length : size - body;
            have_data = true;
        }
        if (have_format && have_data) break;
        at = body + length + (length & 1);
    }
    if (!have_format) return fail("there is no format chunk");
    if (!have_data) return fail("there is no data chunk");
    m_length = data_size - data_size % m_format.block_align;
    return true;
}

bool wav_streamer_t::request_data(void *out, uint64_t position, uint32_t bytes) {
    uint8_t *p = static_cast<uint8_t *>(out);
    if (m_length == 0) {
        silence(out, bytes);
        return fail("the sound has no samples");
    }
    position %= m_length;
    while (bytes > 0) {
        const uint64_t left = m_length - position;
        const uint32_t n = left < bytes ? uint32_t(left) : bytes;
        if (!m_file->block_read(p, n, m_data_offset + position)) {
            silence(p, bytes);
            return fail("the samples can not be read");
        }
        p += n;
        bytes -= n;
        position = 0;
    }
    return true;
}

}  // namespace

auto_ptr_t<streamer_t>::ret_t open_wav_streamer(auto_ptr_t<file_t> &file, const char *name) {
    auto_ptr_t<wav_streamer_t> wav(new wav_streamer_t(file, name));
    if (!wav) {
        error("[sonbase] Out of memory for the sound '%s'", name);
        return nullptr;
    }
    if (!wav->read_header()) return nullptr;
    return auto_ptr_t<streamer_t>(wav.release());
}

}  // namespace quarn::sound
