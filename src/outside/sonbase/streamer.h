#pragma once
// quarn::sound::streamer_t: a sound file's samples as 8- or 16-bit PCM, mono or
// stereo, read from any byte position. Files come from the virtual file system
// (realm 1); WAV files (PCM) are read as they lie, Ogg Vorbis files are decoded
// through libvorbisfile into 16-bit samples. The kind is told by the file's first
// bytes, not by its name.
#include <cstdint>

#include "outside/sonbase/api.h"
#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/auto_ptr.h"
#include "qrncore/system/host_object.h"

namespace quarn::sound {

struct pcm_format_t {
    uint16_t channels = 0;      // 1 or 2
    uint32_t rate = 0;          // sample frames a second
    uint16_t bits = 0;          // 8 (unsigned) or 16 (signed, little-endian)
    uint16_t block_align = 0;   // bytes of one sample frame
};

class SONBASE_API streamer_t : public host_object_t {
public:
    virtual ~streamer_t();
    streamer_t(const streamer_t &) = delete;
    streamer_t &operator=(const streamer_t &) = delete;

    // Opens the sound at a virtual path; null (logged) when it cannot be opened or
    // read as a sound.
    static auto_ptr_t<streamer_t>::ret_t open(const char *path);
    // The same over a file already open; the streamer takes it over.
    static auto_ptr_t<streamer_t>::ret_t open_file(auto_ptr_t<file_t> file, const char *name);

    // Fills bytes bytes with the samples from byte position on. A position at or past
    // the end counts from the start again, and a request that runs past the end goes
    // on from the start (a loop). False (logged) when the sound has no samples or
    // cannot be read; out is then filled with silence.
    virtual bool request_data(void *out, uint64_t position, uint32_t bytes) = 0;
    // Called after each request; lets the streamer give back what it kept for it.
    virtual void request_done();

    const pcm_format_t &get_format() const { return m_format; }
    // The samples' length in bytes, whole sample frames.
    uint64_t get_length() const { return m_length; }
    const char *get_name() const { return m_name.c_str(); }

protected:
    streamer_t(auto_ptr_t<file_t> file, const char *name);
    // Fills bytes of out with the silence of the format.
    void silence(void *out, uint32_t bytes) const;

    auto_ptr_t<file_t> m_file;
    mstring_dyn_t m_name;
    pcm_format_t m_format;
    uint64_t m_length = 0;
};

}  // namespace quarn::sound
