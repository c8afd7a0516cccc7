#include "plugins/snddev/al_output.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <dlfcn.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/host_alloc.h"

namespace quarn::snddev {

namespace {

constexpr uint32_t RENDER_CHUNK = 4096;  // sample frames rendered at a time
constexpr float SPEED_OF_SOUND = 343.3f;  // metres a second

float gain_of(int32_t millibels) {
    if (millibels <= VOLUME_MIN) return 0.0f;
    if (millibels >= VOLUME_MAX) return 1.0f;
    return float(std::pow(10.0, millibels / 2000.0));
}

ALenum al_format(const wave_format_t &f) {
    if (f.channels == 1) return f.bits == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
    return f.bits == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
}

bool format_ok(const wave_format_t &f) {
    return (f.channels == 1 || f.channels == 2) && (f.bits == 8 || f.bits == 16) && f.rate > 0 &&
           f.block_align == f.bits / 8 * f.channels;
}

// ALSA's error handler, as its library declares it.
using alsa_error_handler_t = void (*)(const char *file, int line, const char *function, int err, const char *fmt, ...);
using alsa_set_error_handler_t = int (*)(alsa_error_handler_t handler);

void alsa_silent(const char *, int, const char *, int, const char *, ...) {}

// Keeps standard error quiet where no output device opens. Trying the default device
// on a machine without a sound card is normal (the loopback follows, and the log says
// so once), yet OpenAL Soft logs its failure to standard error and ALSA, which OpenAL
// Soft tries, prints eight lines of its own for each try. Both are told through their
// own means before OpenAL Soft first reads its configuration (at its first call):
// ALSOFT_LOGLEVEL 0, and ALSA's error handler (snd_lib_error_set_handler) set to one
// that drops the messages, in ALSA's library as OpenAL Soft loads it (the same
// library: one soname, one copy). A user who sets ALSOFT_LOGLEVEL gets both back.
// The handler is given back, and the library let go, when the plug-in is unloaded.
class quiet_libraries_t {
public:
    quiet_libraries_t() = default;
    quiet_libraries_t(const quiet_libraries_t &) = delete;
    quiet_libraries_t &operator=(const quiet_libraries_t &) = delete;
    ~quiet_libraries_t() {
        if (m_set_handler) m_set_handler(nullptr);
        if (m_alsa) dlclose(m_alsa);
    }
    void start() {
        if (m_started) return;
        m_started = true;
        if (getenv("ALSOFT_LOGLEVEL")) return;
        setenv("ALSOFT_LOGLEVEL", "0", 0);
        m_alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
        if (!m_alsa) return;
        m_set_handler = reinterpret_cast<alsa_set_error_handler_t>(dlsym(m_alsa, "snd_lib_error_set_handler"));
        if (m_set_handler) m_set_handler(&alsa_silent);
    }

private:
    bool m_started = false;
    void *m_alsa = nullptr;
    alsa_set_error_handler_t m_set_handler = nullptr;
};

quiet_libraries_t quiet_libraries;

// OpenAL's errors since the last check, as a result.
result_t al_result() { return alGetError() == AL_NO_ERROR ? DS_OK : DSERR_GENERIC; }

class al_output_t;
class al_buffer_t;

// The memory of a buffer and its duplicates, and for a whole buffer its AL buffer.
class al_data_t : public host_object_t {
public:
    al_data_t(al_output_t *output, const buffer_desc_t &desc);
    ~al_data_t();
    void add_ref() { ++m_references; }
    void release() {
        if (--m_references == 0) delete this;
    }
    bool streaming() const { return caps & CAPS_STREAMING; }

    al_output_t *output;
    uint8_t *memory = nullptr;
    uint32_t size;
    uint32_t caps;
    wave_format_t format;
    ALuint al_buffer = 0;
    bool uploaded = false;
    // The duplicates a stream's regions are queued on.
    array_dyn_t<al_buffer_t *> players;

private:
    int32_t m_references = 1;
};

class al_output_t : public output_i {
public:
    ~al_output_t() override;

    // Opens the default device (unless only the loopback is wanted), else the
    // loopback; null when neither opens.
    static al_output_t *open(bool try_default);

    result_t set_cooperative_level(void *, cooperation_t) override { return DS_OK; }
    result_t create_primary(auto_ptr_t<primary_i> &out) override;
    result_t create_buffer(const buffer_desc_t &desc, auto_ptr_t<sound_buffer_i> &out) override;
    result_t duplicate(sound_buffer_i &original, auto_ptr_t<sound_buffer_i> &out) override;
    void advance(double seconds) override;
    result_t render(void *out, uint32_t frames) override;
    const char *describe() const override { return m_description.c_str(); }
    double seconds_mixed() const override {
        if (!m_loopback) return -1.0;
        return m_mix.rate ? double(m_frames_mixed) / m_mix.rate : 0.0;
    }

    // For the output's own objects.
    bool make_current() {
        if (!m_context) return false;
        if (alcGetCurrentContext() != m_context) alcMakeContextCurrent(m_context);
        alGetError();
        return true;
    }
    result_t set_format(const wave_format_t &format);
    void defer() {
        if (m_deferring || !m_defer_updates) return;
        m_defer_updates();
        m_deferring = true;
    }
    result_t commit() {
        if (!make_current()) return DSERR_UNINITIALIZED;
        if (m_deferring && m_process_updates) m_process_updates();
        m_deferring = false;
        return al_result();
    }
    float rolloff() const { return m_rolloff; }
    void set_rolloff(float rolloff);
    void add_3d_source(ALuint source) { m_3d_sources.append(source); }
    void remove_3d_source(ALuint source);
    void data_made() { ++m_live_data; }
    void data_gone() { --m_live_data; }

private:
    al_output_t() = default;

    ALCdevice *m_device = nullptr;
    ALCcontext *m_context = nullptr;
    bool m_loopback = false;
    LPALCISRENDERFORMATSUPPORTEDSOFT m_render_supported = nullptr;
    LPALCRENDERSAMPLESSOFT m_render = nullptr;
    LPALDEFERUPDATESSOFT m_defer_updates = nullptr;
    LPALPROCESSUPDATESSOFT m_process_updates = nullptr;
    bool m_deferring = false;
    wave_format_t m_mix;
    double m_carry = 0.0;
    uint64_t m_frames_mixed = 0;
    uint8_t *m_scratch = nullptr;
    float m_rolloff = 1.0f;
    array_dyn_t<ALuint> m_3d_sources;
    uint32_t m_live_data = 0;
    mstring_dyn_t m_description;
};

class al_buffer_t : public sound_buffer_i {
public:
    al_buffer_t(al_output_t *output, al_data_t *data, bool duplicate);
    ~al_buffer_t() override;

    result_t lock(uint32_t offset, uint32_t bytes, void **region, uint32_t *length) override;
    result_t unlock(void *region, uint32_t length) override;
    result_t restore() override { return DS_OK; }
    result_t play(bool looping) override;
    result_t stop() override;
    result_t get_status(uint32_t *status) override;
    result_t get_current_position(uint32_t *play) override;
    result_t set_current_position(uint32_t play) override;
    result_t set_volume(int32_t millibels) override;
    result_t set_frequency(uint32_t hertz) override;
    result_t query_3d(auto_ptr_t<buffer_3d_i> &out) override;

    // The source that plays the buffer, made when first needed; 0 without a context.
    ALuint source();
    al_output_t *output() const { return m_output; }
    al_data_t *data() const { return m_data; }
    // A stream's region, queued on this duplicate's source; a source that ran dry
    // while started plays again.
    void queue(const void *region, uint32_t length);

private:
    ALint state();
    // Takes the regions played from the queue, counting their bytes.
    void reap();

    al_output_t *m_output;
    output_ref_t m_output_ref;
    al_data_t *m_data;
    bool m_duplicate;
    ALuint m_source = 0;
    bool m_started = false;
    bool m_looping = false;
    // Whole buffers: where play starts when the source is not playing.
    uint32_t m_start_offset = 0;
    // Streams: the regions queued, oldest first, and the bytes played before them.
    array_dyn_t<ALuint> m_queued;
    array_dyn_t<uint32_t> m_queued_sizes;
    uint64_t m_played = 0;
};

class al_buffer_3d_t : public buffer_3d_i {
public:
    explicit al_buffer_3d_t(al_buffer_t *buffer) : m_buffer(buffer) {}
    result_t set_all(const buffer_3d_params_t &params, bool deferred) override;

private:
    al_buffer_t *m_buffer;
};

class al_listener_t : public listener_3d_i {
public:
    explicit al_listener_t(al_output_t *output) : m_output(output), m_ref(output_ref_t::adopt(output)) {
        output->add_ref();
    }
    result_t set_all(const listener_params_t &params, bool deferred) override;
    result_t commit_deferred() override { return m_output->commit(); }

private:
    al_output_t *m_output;
    output_ref_t m_ref;
};

class al_primary_t : public primary_i {
public:
    explicit al_primary_t(al_output_t *output) : m_output(output), m_ref(output_ref_t::adopt(output)) {
        output->add_ref();
    }
    result_t set_format(const wave_format_t &format) override { return m_output->set_format(format); }
    result_t query_listener(auto_ptr_t<listener_3d_i> &out) override {
        out.reset(new al_listener_t(m_output));
        return out ? DS_OK : DSERR_OUTOFMEMORY;
    }

private:
    al_output_t *m_output;
    output_ref_t m_ref;
};

// ---- the output ----

al_output_t *al_output_t::open(bool try_default) {
    quiet_libraries.start();
    al_output_t *output = new al_output_t;
    if (!output) return nullptr;
    if (try_default) output->m_device = alcOpenDevice(nullptr);
    if (output->m_device) {
        const char *name = alcGetString(output->m_device, ALC_DEVICE_SPECIFIER);
        output->m_description.copy("the default output device '");
        output->m_description.append(name ? name : "");
        output->m_description.append("'");
        return output;
    }
    if (alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) {
        auto open_loopback =
            reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
        output->m_render_supported = reinterpret_cast<LPALCISRENDERFORMATSUPPORTEDSOFT>(
            alcGetProcAddress(nullptr, "alcIsRenderFormatSupportedSOFT"));
        output->m_render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
        if (open_loopback && output->m_render && output->m_render_supported)
            output->m_device = open_loopback(nullptr);
    }
    if (!output->m_device) {
        delete output;
        return nullptr;
    }
    output->m_loopback = true;
    output->m_description.copy(try_default ? "a loopback device (no output device opens): sounds are mixed, not heard"
                                           : "a loopback device");
    return output;
}

al_output_t::~al_output_t() {
    if (m_context) {
        if (alcGetCurrentContext() == m_context) alcMakeContextCurrent(nullptr);
        alcDestroyContext(m_context);
    }
    if (m_device) alcCloseDevice(m_device);
    if (m_scratch) qrncore_system_delete_vector(m_scratch);
}

result_t al_output_t::set_format(const wave_format_t &format) {
    if (!format_ok(format)) return DSERR_BADFORMAT;
    if (m_context) {
        if (format.channels == m_mix.channels && format.rate == m_mix.rate && format.bits == m_mix.bits) return DS_OK;
        // Sources and buffers belong to the context: it is not made again under them.
        if (m_live_data) return DSERR_ALLOCATED;
        if (alcGetCurrentContext() == m_context) alcMakeContextCurrent(nullptr);
        alcDestroyContext(m_context);
        m_context = nullptr;
    }
    ALCint attributes[8] = {ALC_FREQUENCY, ALCint(format.rate), 0};
    if (m_loopback) {
        const ALCenum channels = format.channels == 1 ? ALC_MONO_SOFT : ALC_STEREO_SOFT;
        const ALCenum type = format.bits == 8 ? ALC_UNSIGNED_BYTE_SOFT : ALC_SHORT_SOFT;
        if (!m_render_supported(m_device, ALCsizei(format.rate), channels, type)) return DSERR_BADFORMAT;
        const ALCint loopback[] = {ALC_FORMAT_CHANNELS_SOFT, channels, ALC_FORMAT_TYPE_SOFT, type,
                                   ALC_FREQUENCY,           ALCint(format.rate), 0};
        memcpy(attributes, loopback, sizeof loopback);
        if (!m_scratch) m_scratch = static_cast<uint8_t *>(qrncore_system_new_vector(RENDER_CHUNK * 4));
        if (!m_scratch) return DSERR_OUTOFMEMORY;
    }
    m_context = alcCreateContext(m_device, attributes);
    if (!m_context) return DSERR_GENERIC;
    alcMakeContextCurrent(m_context);
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    m_defer_updates = reinterpret_cast<LPALDEFERUPDATESSOFT>(alGetProcAddress("alDeferUpdatesSOFT"));
    m_process_updates = reinterpret_cast<LPALPROCESSUPDATESSOFT>(alGetProcAddress("alProcessUpdatesSOFT"));
    m_deferring = false;
    m_mix = format;
    m_carry = 0.0;
    return al_result();
}

result_t al_output_t::create_primary(auto_ptr_t<primary_i> &out) {
    out.reset(new al_primary_t(this));
    return out ? DS_OK : DSERR_OUTOFMEMORY;
}

result_t al_output_t::create_buffer(const buffer_desc_t &desc, auto_ptr_t<sound_buffer_i> &out) {
    if (!format_ok(desc.format) || desc.bytes < desc.format.block_align) return DSERR_BADFORMAT;
    if (!make_current()) return DSERR_UNINITIALIZED;
    al_data_t *data = new al_data_t(this, desc);
    if (!data) return DSERR_OUTOFMEMORY;
    if (!data->memory) {
        data->release();
        return DSERR_OUTOFMEMORY;
    }
    out.reset(new al_buffer_t(this, data, false));
    data->release();
    return out ? DS_OK : DSERR_OUTOFMEMORY;
}

result_t al_output_t::duplicate(sound_buffer_i &original, auto_ptr_t<sound_buffer_i> &out) {
    if (!make_current()) return DSERR_UNINITIALIZED;
    // Only buffers of this output are duplicated.
    auto &from = static_cast<al_buffer_t &>(original);
    if (from.output() != this) return DSERR_INVALIDPARAM;
    auto *copy = new al_buffer_t(this, from.data(), true);
    out.reset(copy);
    if (!copy) return DSERR_OUTOFMEMORY;
    // The voice exists from now on: a stream's regions are queued on it.
    return copy->source() ? DS_OK : DSERR_GENERIC;
}

void al_output_t::advance(double seconds) {
    if (!m_loopback || !m_context || !(seconds > 0.0)) return;
    m_carry += seconds * m_mix.rate;
    uint64_t frames = uint64_t(m_carry);
    m_carry -= double(frames);
    m_frames_mixed += frames;
    make_current();
    const uint32_t chunk = RENDER_CHUNK * 4 / m_mix.block_align;
    while (frames > 0) {
        const uint32_t n = frames < chunk ? uint32_t(frames) : chunk;
        m_render(m_device, m_scratch, ALCsizei(n));
        frames -= n;
    }
}

result_t al_output_t::render(void *out, uint32_t frames) {
    if (!m_loopback) return DSERR_UNSUPPORTED;
    if (!make_current()) return DSERR_UNINITIALIZED;
    if (!out) return DSERR_INVALIDPARAM;
    m_render(m_device, out, ALCsizei(frames));
    return DS_OK;
}

void al_output_t::set_rolloff(float rolloff) {
    m_rolloff = rolloff < 0.0f ? 0.0f : rolloff;
    for (uint32_t i = 0; i < m_3d_sources.get_count(); ++i) alSourcef(m_3d_sources[i], AL_ROLLOFF_FACTOR, m_rolloff);
}

void al_output_t::remove_3d_source(ALuint source) {
    for (uint32_t i = 0; i < m_3d_sources.get_count(); ++i) {
        if (m_3d_sources[i] != source) continue;
        m_3d_sources.remove(i);
        return;
    }
}

// ---- buffers ----

al_data_t::al_data_t(al_output_t *out, const buffer_desc_t &desc)
    : output(out), size(desc.bytes), caps(desc.caps), format(desc.format) {
    memory = static_cast<uint8_t *>(qrncore_system_new_vector(size));
    if (memory) memset(memory, format.bits == 8 ? 0x80 : 0, size);
    output->add_ref();
    output->data_made();
}

al_data_t::~al_data_t() {
    if (al_buffer && output->make_current()) alDeleteBuffers(1, &al_buffer);
    if (memory) qrncore_system_delete_vector(memory);
    output->data_gone();
    output->release();
}

al_buffer_t::al_buffer_t(al_output_t *output, al_data_t *data, bool duplicate)
    : m_output(output), m_output_ref(output_ref_t::adopt(output)), m_data(data), m_duplicate(duplicate) {
    output->add_ref();
    data->add_ref();
}

al_buffer_t::~al_buffer_t() {
    if (m_source && m_output->make_current()) {
        alSourceStop(m_source);
        alSourcei(m_source, AL_BUFFER, 0);
        if (m_queued.get_count()) alDeleteBuffers(ALsizei(m_queued.get_count()), m_queued.get_data());
        alDeleteSources(1, &m_source);
        m_output->remove_3d_source(m_source);
    }
    for (uint32_t i = 0; i < m_data->players.get_count(); ++i) {
        if (m_data->players[i] != this) continue;
        m_data->players.remove(i);
        break;
    }
    m_data->release();
}

ALuint al_buffer_t::source() {
    if (m_source || !m_output->make_current()) return m_source;
    alGenSources(1, &m_source);
    if (alGetError() != AL_NO_ERROR) return m_source = 0;
    if (!m_data->streaming() && m_data->uploaded) alSourcei(m_source, AL_BUFFER, ALint(m_data->al_buffer));
    if (m_data->caps & CAPS_3D) {
        alSourcef(m_source, AL_ROLLOFF_FACTOR, m_output->rolloff());
        m_output->add_3d_source(m_source);
    } else {
        // Heard as they are, wherever the listener stands.
        alSourcei(m_source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(m_source, AL_POSITION, 0.0f, 0.0f, 0.0f);
        alSourcef(m_source, AL_ROLLOFF_FACTOR, 0.0f);
    }
    if (m_data->streaming()) m_data->players.append(this);
    return m_source;
}

ALint al_buffer_t::state() {
    ALint s = AL_INITIAL;
    if (source()) alGetSourcei(m_source, AL_SOURCE_STATE, &s);
    return s;
}

result_t al_buffer_t::lock(uint32_t offset, uint32_t bytes, void **region, uint32_t *length) {
    if (!region || !length || offset >= m_data->size) return DSERR_INVALIDPARAM;
    *region = m_data->memory + offset;
    *length = bytes < m_data->size - offset ? bytes : m_data->size - offset;
    return DS_OK;
}

result_t al_buffer_t::unlock(void *region, uint32_t length) {
    auto *p = static_cast<uint8_t *>(region);
    if (!p || p < m_data->memory || length > m_data->size || uint32_t(p - m_data->memory) > m_data->size - length)
        return DSERR_INVALIDPARAM;
    if (!m_output->make_current()) return DSERR_UNINITIALIZED;
    if (m_data->streaming()) {
        for (uint32_t i = 0; i < m_data->players.get_count(); ++i) m_data->players[i]->queue(p, length);
        return DS_OK;
    }
    // A whole buffer goes to OpenAL whole; it cannot change while a source holds it.
    if (!m_data->al_buffer) alGenBuffers(1, &m_data->al_buffer);
    alBufferData(m_data->al_buffer, al_format(m_data->format), m_data->memory, ALsizei(m_data->size),
                 ALsizei(m_data->format.rate));
    if (alGetError() != AL_NO_ERROR) return DSERR_INVALIDCALL;
    m_data->uploaded = true;
    return DS_OK;
}

void al_buffer_t::reap() {
    ALint processed = 0;
    alGetSourcei(m_source, AL_BUFFERS_PROCESSED, &processed);
    for (ALint i = 0; i < processed && m_queued.get_count() > 0; ++i) {
        ALuint done = m_queued[0];
        alSourceUnqueueBuffers(m_source, 1, &done);
        alDeleteBuffers(1, &done);
        m_played += m_queued_sizes[0];
        m_queued.remove(0);
        m_queued_sizes.remove(0);
    }
}

void al_buffer_t::queue(const void *region, uint32_t length) {
    if (!source()) return;
    reap();
    ALuint b = 0;
    alGenBuffers(1, &b);
    alBufferData(b, al_format(m_data->format), region, ALsizei(length), ALsizei(m_data->format.rate));
    alSourceQueueBuffers(m_source, 1, &b);
    if (alGetError() != AL_NO_ERROR || !m_queued.append(b) || !m_queued_sizes.append(length)) return;
    // A stream that ran out plays on when data comes.
    if (m_started && state() != AL_PLAYING) alSourcePlay(m_source);
}

result_t al_buffer_t::play(bool looping) {
    if (!source()) return DSERR_UNINITIALIZED;
    m_looping = looping;
    if (m_data->streaming()) {
        // The ring is endless by itself; OpenAL would repeat its whole queue.
        alSourcei(m_source, AL_LOOPING, AL_FALSE);
    } else {
        if (!m_data->uploaded) return DSERR_INVALIDCALL;
        alSourcei(m_source, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
    }
    const ALint s = state();
    if (s != AL_PLAYING) {
        // A source that ran dry would play its queue from the start again: what it
        // played leaves the queue first.
        if (m_data->streaming()) reap();
        else if (s != AL_PAUSED) alSourcei(m_source, AL_BYTE_OFFSET, ALint(m_start_offset));
        if (!m_data->streaming() || m_queued.get_count() > 0) alSourcePlay(m_source);
    }
    m_started = true;
    return al_result();
}

result_t al_buffer_t::stop() {
    if (!source()) return DSERR_UNINITIALIZED;
    if (state() == AL_PLAYING) alSourcePause(m_source);
    m_started = false;
    return al_result();
}

result_t al_buffer_t::get_status(uint32_t *status) {
    if (!status) return DSERR_INVALIDPARAM;
    *status = 0;
    if (!source()) return DSERR_UNINITIALIZED;
    const bool playing = m_data->streaming() ? m_started : state() == AL_PLAYING;
    if (playing) *status = STATUS_PLAYING | (m_looping ? STATUS_LOOPING : 0u);
    return DS_OK;
}

result_t al_buffer_t::get_current_position(uint32_t *play) {
    if (!play) return DSERR_INVALIDPARAM;
    if (!source()) return DSERR_UNINITIALIZED;
    ALint offset = 0;
    if (m_data->streaming()) {
        reap();
        alGetSourcei(m_source, AL_BYTE_OFFSET, &offset);
        *play = uint32_t((m_played + uint64_t(offset > 0 ? offset : 0)) % m_data->size);
        return al_result();
    }
    const ALint s = state();
    if (s != AL_PLAYING && s != AL_PAUSED) {
        *play = m_start_offset;
        return DS_OK;
    }
    alGetSourcei(m_source, AL_BYTE_OFFSET, &offset);
    *play = uint32_t(offset > 0 ? offset : 0) % m_data->size;
    return al_result();
}

result_t al_buffer_t::set_current_position(uint32_t play) {
    if (!source()) return DSERR_UNINITIALIZED;
    // A ring's position is where its data is queued; it is not moved.
    if (m_data->streaming()) return DS_OK;
    const uint32_t offset = play - play % m_data->format.block_align;
    if (offset >= m_data->size) return DSERR_INVALIDPARAM;
    const ALint s = state();
    if (s == AL_PLAYING || s == AL_PAUSED) alSourcei(m_source, AL_BYTE_OFFSET, ALint(offset));
    else m_start_offset = offset;
    return al_result();
}

result_t al_buffer_t::set_volume(int32_t millibels) {
    if (!source()) return DSERR_UNINITIALIZED;
    if (millibels > VOLUME_MAX || millibels < VOLUME_MIN) return DSERR_INVALIDPARAM;
    alSourcef(m_source, AL_GAIN, gain_of(millibels));
    return al_result();
}

result_t al_buffer_t::set_frequency(uint32_t hertz) {
    if (!source()) return DSERR_UNINITIALIZED;
    const float pitch = hertz == 0 ? 1.0f : float(double(hertz) / m_data->format.rate);
    alSourcef(m_source, AL_PITCH, pitch);
    return al_result();
}

result_t al_buffer_t::query_3d(auto_ptr_t<buffer_3d_i> &out) {
    if (!(m_data->caps & CAPS_3D)) return DSERR_CONTROLUNAVAIL;
    if (!source()) return DSERR_UNINITIALIZED;
    out.reset(new al_buffer_3d_t(this));
    return out ? DS_OK : DSERR_OUTOFMEMORY;
}

result_t al_buffer_3d_t::set_all(const buffer_3d_params_t &p, bool deferred) {
    const ALuint s = m_buffer->source();
    if (!s) return DSERR_UNINITIALIZED;
    if (p.min_distance < 0.0f || p.max_distance < p.min_distance) return DSERR_INVALIDPARAM;
    if (deferred) m_buffer->output()->defer();
    const bool relative = p.mode != MODE_NORMAL;
    alSourcei(s, AL_SOURCE_RELATIVE, relative ? AL_TRUE : AL_FALSE);
    if (p.mode == MODE_DISABLE) alSource3f(s, AL_POSITION, 0.0f, 0.0f, 0.0f);
    else alSource3f(s, AL_POSITION, p.position.x, p.position.y, -p.position.z);
    alSource3f(s, AL_VELOCITY, p.velocity.x, p.velocity.y, -p.velocity.z);
    alSourcef(s, AL_REFERENCE_DISTANCE, p.min_distance);
    alSourcef(s, AL_MAX_DISTANCE, p.max_distance);
    alSourcef(s, AL_ROLLOFF_FACTOR, m_buffer->output()->rolloff());
    alSourcef(s, AL_CONE_INNER_ANGLE, float(p.inside_cone_angle));
    alSourcef(s, AL_CONE_OUTER_ANGLE, float(p.outside_cone_angle));
    alSourcef(s, AL_CONE_OUTER_GAIN, gain_of(p.cone_outside_volume));
    return al_result();
}

result_t al_listener_t::set_all(const listener_params_t &p, bool deferred) {
    if (!m_output->make_current()) return DSERR_UNINITIALIZED;
    if (deferred) m_output->defer();
    alListener3f(AL_POSITION, p.position.x, p.position.y, -p.position.z);
    alListener3f(AL_VELOCITY, p.velocity.x, p.velocity.y, -p.velocity.z);
    const ALfloat orientation[6] = {p.front.x, p.front.y, -p.front.z, p.top.x, p.top.y, -p.top.z};
    alListenerfv(AL_ORIENTATION, orientation);
    // The distance factor (metres a unit) reaches OpenAL as the speed of sound in
    // units, which is all it changes there (the Doppler shift).
    if (p.distance_factor > 0.0f) alSpeedOfSound(SPEED_OF_SOUND / p.distance_factor);
    if (p.doppler_factor >= 0.0f) alDopplerFactor(p.doppler_factor);
    m_output->set_rolloff(p.rolloff_factor);
    return al_result();
}

}  // namespace

result_t al_output_create(output_ref_t &out) {
    al_output_t *output = al_output_t::open(true);
    if (!output) return DSERR_NODRIVER;
    out = output_ref_t::adopt(output);
    return DS_OK;
}

result_t al_loopback_create(output_ref_t &out) {
    al_output_t *output = al_output_t::open(false);
    if (!output) return DSERR_NODRIVER;
    out = output_ref_t::adopt(output);
    return DS_OK;
}

void al_enumerate_outputs(enum_output_fn receiver, void *context) {
    quiet_libraries.start();
    const bool all = alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT");
    const char *list = alcGetString(nullptr, all ? ALC_ALL_DEVICES_SPECIFIER : ALC_DEVICE_SPECIFIER);
    // Names one after the other, each ended by a zero, the list by a second zero.
    for (const char *name = list; name && *name; name += strlen(name) + 1) receiver(name, "OpenAL Soft", context);
}

}  // namespace quarn::snddev
