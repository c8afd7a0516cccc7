#pragma once
// The sound output under the sound device: a small interface in the manner of a
// buffer-based mixing system. An output (counted: every buffer keeps one reference,
// and the output goes after the last) has a primary buffer whose format is the mix's,
// a 3D listener with deferred settings, and secondary buffers: memory locked and
// unlocked region by region, duplicates that play the same memory with their own
// cursors, volume in hundredths of a decibel, frequency, status and 3D parameters.
// Every operation answers with a result code that has a symbolic name.
//
// The device is written against this interface only. It is implemented over OpenAL
// Soft (al_output.h) and, in the tests, by a scripted fake.
#include <cstdint>

#include "qrncore/math/vec.h"
#include "qrncore/system/auto_ptr.h"
#include "qrncore/system/host_object.h"

namespace quarn::snddev {

// Result codes: 0 is success, codes with the top bit set are failures.
using result_t = uint32_t;
constexpr result_t DS_OK = 0;
constexpr result_t DSERR_GENERIC = 0x88880001u;
constexpr result_t DSERR_INVALIDPARAM = 0x88880002u;
constexpr result_t DSERR_INVALIDCALL = 0x88880003u;
constexpr result_t DSERR_OUTOFMEMORY = 0x88880004u;
constexpr result_t DSERR_BADFORMAT = 0x88880005u;
constexpr result_t DSERR_UNSUPPORTED = 0x88880006u;
constexpr result_t DSERR_NODRIVER = 0x88880007u;
constexpr result_t DSERR_BUFFERLOST = 0x88880008u;  // restore the buffer and lock again
constexpr result_t DSERR_CONTROLUNAVAIL = 0x88880009u;
constexpr result_t DSERR_UNINITIALIZED = 0x8888000Au;
constexpr result_t DSERR_ALLOCATED = 0x8888000Bu;

inline bool failed(result_t r) { return (r & 0x80000000u) != 0; }
// The code's symbolic name ("DS_OK", "DSERR_BUFFERLOST"); "DSERR_UNKNOWN" for a code
// not listed.
const char *result_name(result_t r);

struct wave_format_t {
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t bits = 0;
    uint16_t block_align = 0;
    uint32_t bytes_per_second = 0;
};

// Buffer abilities asked for (bits).
enum buffer_caps_t : uint32_t {
    CAPS_VOLUME = 0x1,
    CAPS_FREQUENCY = 0x2,
    CAPS_3D = 0x4,
    CAPS_LOCATE_IN_PLAY = 0x8,  // placed (hardware or software) when played
    CAPS_SOFTWARE = 0x10,
    CAPS_STREAMING = 0x20,      // a ring refilled while it plays, not data held whole
};

enum algorithm_3d_t : int { ALGORITHM_DEFAULT, ALGORITHM_NO_VIRTUALIZATION };

struct buffer_desc_t {
    uint32_t caps = 0;
    uint32_t bytes = 0;
    wave_format_t format;
    algorithm_3d_t algorithm = ALGORITHM_DEFAULT;
};

// Status bits of a buffer.
enum buffer_status_t : uint32_t { STATUS_PLAYING = 0x1, STATUS_BUFFER_LOST = 0x2, STATUS_LOOPING = 0x4 };

// Volumes in hundredths of a decibel, 0 full, -10000 silent.
constexpr int32_t VOLUME_MAX = 0;
constexpr int32_t VOLUME_MIN = -10000;

// Positions in the output's frame: the listener looks along +Z, its top along +Y.
struct listener_params_t {
    vec3_t position, velocity, front, top;
    float distance_factor = 1.0f;  // metres a unit
    float rolloff_factor = 1.0f;
    float doppler_factor = 1.0f;
};

enum mode_3d_t : int { MODE_NORMAL, MODE_HEAD_RELATIVE, MODE_DISABLE };

struct buffer_3d_params_t {
    vec3_t position, velocity;
    uint32_t inside_cone_angle = 360, outside_cone_angle = 360;
    vec3_t cone_orientation;
    int32_t cone_outside_volume = 0;
    float min_distance = 1.0f;
    float max_distance = 1.0e9f;
    mode_3d_t mode = MODE_NORMAL;
};

class listener_3d_i : public host_object_t {
public:
    virtual ~listener_3d_i() = default;
    // Every listener setting at once; deferred ones wait for commit.
    virtual result_t set_all(const listener_params_t &params, bool deferred) = 0;
    // Applies every deferred setting (the listener's and the buffers').
    virtual result_t commit_deferred() = 0;
};

class buffer_3d_i : public host_object_t {
public:
    virtual ~buffer_3d_i() = default;
    virtual result_t set_all(const buffer_3d_params_t &params, bool deferred) = 0;
};

class sound_buffer_i : public host_object_t {
public:
    virtual ~sound_buffer_i() = default;
    // One region of bytes bytes at offset for writing (a region running past the end
    // is cut there); DSERR_BUFFERLOST when the memory must be restored first.
    virtual result_t lock(uint32_t offset, uint32_t bytes, void **region, uint32_t *length) = 0;
    // The written region goes to the output.
    virtual result_t unlock(void *region, uint32_t length) = 0;
    virtual result_t restore() = 0;
    // Plays from the current position; looping starts again at the end.
    virtual result_t play(bool looping) = 0;
    // Stops, keeping the position.
    virtual result_t stop() = 0;
    virtual result_t get_status(uint32_t *status) = 0;
    // The play position, a byte offset into the buffer.
    virtual result_t get_current_position(uint32_t *play) = 0;
    virtual result_t set_current_position(uint32_t play) = 0;
    virtual result_t set_volume(int32_t millibels) = 0;
    virtual result_t set_frequency(uint32_t hertz) = 0;
    // The buffer's 3D side (3D buffers only).
    virtual result_t query_3d(auto_ptr_t<buffer_3d_i> &out) = 0;
};

class primary_i : public host_object_t {
public:
    virtual ~primary_i() = default;
    // The mix's format.
    virtual result_t set_format(const wave_format_t &format) = 0;
    virtual result_t query_listener(auto_ptr_t<listener_3d_i> &out) = 0;
};

enum cooperation_t : int { COOP_NORMAL, COOP_PRIORITY };

class output_i : public host_object_t {
public:
    void add_ref() { ++m_references; }
    // Deletes the output with its last reference.
    void release() {
        if (--m_references == 0) delete this;
    }

    virtual result_t set_cooperative_level(void *window, cooperation_t level) = 0;
    virtual result_t create_primary(auto_ptr_t<primary_i> &out) = 0;
    virtual result_t create_buffer(const buffer_desc_t &desc, auto_ptr_t<sound_buffer_i> &out) = 0;
    // A buffer that plays the memory of original with a cursor and settings of its
    // own.
    virtual result_t duplicate(sound_buffer_i &original, auto_ptr_t<sound_buffer_i> &out) = 0;
    // A frame of seconds has passed. An output that nobody hears renders it and
    // throws it away, so sounds progress and end as if heard.
    virtual void advance(double seconds) = 0;
    // Renders frames sample frames of the mix into out (the mix's format); only an
    // output that nobody hears can; DSERR_UNSUPPORTED otherwise.
    virtual result_t render(void *out, uint32_t frames) = 0;
    // What the output is, for the log.
    virtual const char *describe() const = 0;
    // The seconds of sound advance has mixed on an output that nobody hears (which
    // follow the game's time, one frame a frame); -1 for an output that is heard.
    virtual double seconds_mixed() const { return -1.0; }

protected:
    output_i() = default;
    virtual ~output_i() = default;

private:
    int32_t m_references = 1;
};

// A counted reference to an output.
class output_ref_t {
public:
    output_ref_t() = default;
    // Takes over a reference the caller holds.
    static output_ref_t adopt(output_i *output) {
        output_ref_t r;
        r.m_output = output;
        return r;
    }
    output_ref_t(const output_ref_t &o) : m_output(o.m_output) {
        if (m_output) m_output->add_ref();
    }
    output_ref_t &operator=(const output_ref_t &o) {
        if (o.m_output) o.m_output->add_ref();
        reset();
        m_output = o.m_output;
        return *this;
    }
    ~output_ref_t() { reset(); }
    void reset() {
        if (m_output) m_output->release();
        m_output = nullptr;
    }
    output_i *get() const { return m_output; }
    output_i *operator->() const { return m_output; }
    explicit operator bool() const { return m_output != nullptr; }

private:
    output_i *m_output = nullptr;
};

// Makes an output; its reference goes to out.
using output_factory_t = result_t (*)(output_ref_t &out);
// Receives each output device the system knows: a description and its module.
using enum_output_fn = void (*)(const char *description, const char *module, void *context);
using output_enumerator_t = void (*)(enum_output_fn receiver, void *context);

}  // namespace quarn::snddev
