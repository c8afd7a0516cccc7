// Ogg Vorbis files, decoded through libvorbisfile into 16-bit little-endian samples.
// The decoder reads the file through callbacks over the layer's own file, so any
// file of the virtual file system (archives included) can be played.
#include <vorbis/vorbisfile.h>

#include <cstring>

#include "outside/sonbase/streamer_kinds.h"
#include "qrncore/system/messages.h"

namespace quarn::sound {

namespace {

class ogg_streamer_t : public streamer_t {
public:
    ogg_streamer_t(auto_ptr_t<file_t> &file, const char *name)
        : streamer_t(static_cast<auto_ptr_t<file_t> &&>(file), name) {}
    ~ogg_streamer_t() override {
        if (m_open) ov_clear(&m_vorbis);
    }

    bool start();
    bool request_data(void *out, uint64_t position, uint32_t bytes) override;

private:
    bool fail(const char *what) const {
        error("[sonbase] '%s': %s", get_name(), what);
        return false;
    }
    // Decodes from the current place; false at a damaged or changed stream.
    bool decode(uint8_t *out, uint32_t bytes);

    static size_t read(void *out, size_t size, size_t count, void *source);
    static int seek(void *source, ogg_int64_t offset, int whence);
    static long tell(void *source);

    OggVorbis_File m_vorbis{};
    bool m_open = false;
    uint64_t m_file_size = 0;
    uint64_t m_file_position = 0;
    // The byte of the samples that decoding gives next.
    uint64_t m_decoded = 0;
};

size_t ogg_streamer_t::read(void *out, size_t size, size_t count, void *source) {
    auto *self = static_cast<ogg_streamer_t *>(source);
    const uint64_t file_size = self->m_file_size;
    if (size == 0 || self->m_file_position >= file_size) return 0;
    uint64_t want = uint64_t(size) * count;
    if (want > file_size - self->m_file_position) want = file_size - self->m_file_position;
    if (want > 0x7FFFFFFF) want = 0x7FFFFFFF;
    want -= want % size;
    if (want == 0 || !self->m_file->block_read(out, uint32_t(want), self->m_file_position)) return 0;
    self->m_file_position += want;
    return size_t(want / size);
}

int ogg_streamer_t::seek(void *source, ogg_int64_t offset, int whence) {
    auto *self = static_cast<ogg_streamer_t *>(source);
    int64_t base = 0;
    switch (whence) {
        case SEEK_SET: base = 0; break;
        case SEEK_CUR: base = int64_t(self->m_file_position); break;
        case SEEK_END: base = int64_t(self->m_file_size); break;
        default: return -1;
    }
    if ((offset < 0 && base + offset < 0) || offset > INT64_MAX - base) return -1;
    self->m_file_position = uint64_t(base + offset);
    return 0;
}

long ogg_streamer_t::tell(void *source) { return long(static_cast<ogg_streamer_t *>(source)->m_file_position); }

bool ogg_streamer_t::start() {
    m_file_size = m_file->size();
    const ov_callbacks callbacks = {read, seek, nullptr, tell};
    if (ov_open_callbacks(this, &m_vorbis, nullptr, 0, callbacks) < 0) return fail("not an Ogg Vorbis stream");
    m_open = true;
    const vorbis_info *info = ov_info(&m_vorbis, -1);
    if (!info || (info->channels != 1 && info->channels != 2)) return fail("only mono and stereo are played");
    if (info->rate <= 0 || info->rate > 0x7FFFFFFF) return fail("the sample rate is out of range");
    m_format.channels = uint16_t(info->channels);
    m_format.rate = uint32_t(info->rate);
    m_format.bits = 16;
    m_format.block_align = uint16_t(2 * info->channels);
    const ogg_int64_t frames = ov_pcm_total(&m_vorbis, -1);
    if (frames < 0) return fail("the length of the stream is unknown");
    m_length = uint64_t(frames) * m_format.block_align;
    return true;
}

bool ogg_streamer_t::decode(uint8_t *out, uint32_t bytes) {
    // The stream may end short of its stated length; twice no samples in a row ends
    // the attempt instead of looping for ever.
    int empty = 0;
    while (bytes > 0) {
        if (m_decoded >= m_length) {
            if (ov_pcm_seek(&m_vorbis, 0) != 0) return fail("can not go back to the start");
            m_decoded = 0;
        }
        const uint32_t left = m_length - m_decoded < bytes ? uint32_t(m_length - m_decoded) : bytes;
        const int want = left < 4096 ? int(left) : 4096;
        int section = 0;
        const long got = ov_read(&m_vorbis, reinterpret_cast<char *>(out), want, 0, 2, 1, &section);
        if (got == OV_HOLE) continue;
        if (got < 0) return fail("the stream is damaged");
        const vorbis_info *info = ov_info(&m_vorbis, section);
        if (!info || info->channels != m_format.channels) return fail("the stream changes its channels");
        if (got == 0) {
            // The stream ended before its stated length: the rest is silence.
            if (++empty > 1) return fail("the stream ends before its length");
            silence(out, left);
            out += left;
            bytes -= left;
            m_decoded = m_length;
            continue;
        }
        empty = 0;
        out += got;
        bytes -= uint32_t(got);
        m_decoded += uint64_t(got);
    }
    return true;
}

bool ogg_streamer_t::request_data(void *out, uint64_t position, uint32_t bytes) {
    if (m_length == 0) {
        silence(out, bytes);
        return fail("the sound has no samples");
    }
    position %= m_length;
    position -= position % m_format.block_align;
    if (position != m_decoded) {
        if (ov_pcm_seek(&m_vorbis, ogg_int64_t(position / m_format.block_align)) != 0) {
            silence(out, bytes);
            return fail("can not go to the position asked for");
        }
        m_decoded = position;
    }
    // Only whole sample frames are decoded; a part of one at the end is silence.
    uint8_t *p = static_cast<uint8_t *>(out);
    const uint32_t whole = bytes - bytes % m_format.block_align;
    silence(p + whole, bytes - whole);
    if (decode(p, whole)) return true;
    silence(out, bytes);
    return false;
}

}  // namespace

auto_ptr_t<streamer_t>::ret_t open_ogg_streamer(auto_ptr_t<file_t> &file, const char *name) {
    auto_ptr_t<ogg_streamer_t> ogg(new ogg_streamer_t(file, name));
    if (!ogg) {
        error("[sonbase] Out of memory for the sound '%s'", name);
        return nullptr;
    }
    if (!ogg->start()) return nullptr;
    return auto_ptr_t<streamer_t>(ogg.release());
}

}  // namespace quarn::sound
