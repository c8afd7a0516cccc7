#include "outside/sonbase/streamer.h"

#include <cstring>

#include "outside/sonbase/streamer_kinds.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"

namespace quarn::sound {

streamer_t::streamer_t(auto_ptr_t<file_t> file, const char *name) : m_file(static_cast<auto_ptr_t<file_t> &&>(file)) {
    m_name.copy(name ? name : "");
}

streamer_t::~streamer_t() = default;

void streamer_t::request_done() {}

void streamer_t::silence(void *out, uint32_t bytes) const { memset(out, m_format.bits == 8 ? 0x80 : 0, bytes); }

auto_ptr_t<streamer_t>::ret_t streamer_t::open(const char *path) {
    auto_ptr_t<file_t> file = fs_open(path ? path : "", FS_REALM_VIRTUAL);
    if (!file) {
        error("[sonbase] Can not open the sound file '%s'", path ? path : "");
        return nullptr;
    }
    return open_file(static_cast<auto_ptr_t<file_t> &&>(file), path);
}

auto_ptr_t<streamer_t>::ret_t streamer_t::open_file(auto_ptr_t<file_t> file, const char *name) {
    if (!name) name = "";
    uint8_t magic[12] = {};
    if (!file || !file->block_read(magic, sizeof magic, 0)) {
        error("[sonbase] '%s' is too short for a sound file", name);
        return nullptr;
    }
    if (memcmp(magic, "RIFF", 4) == 0 && memcmp(magic + 8, "WAVE", 4) == 0) return open_wav_streamer(file, name);
    if (memcmp(magic, "OggS", 4) == 0) return open_ogg_streamer(file, name);
    error("[sonbase] '%s' is neither a WAV nor an Ogg Vorbis file", name);
    return nullptr;
}

}  // namespace quarn::sound
