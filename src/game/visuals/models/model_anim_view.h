#pragma once
// model_anim_view_t: the reader of a model animation file (".zma",
// docs/formats/model-animation.md) over its loaded image: per-frame durations, the
// bone each track moves, one key per frame and track, and the optional root
// translation and root rotation streams.
//
// open() checks the whole image first: every stream inside the file and 4-byte
// aligned, at least one frame, every frame duration finite and above 0, and a finite
// length, so that playback never divides by zero or loops for ever. Which bones the
// track map names is checked against a skeleton by whoever plays the animation on it.
#include <cstdint>

#include "game/visuals/models/model_image.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"

namespace quarn {

// One key: the same four quantities as a bone's rest pose.
struct model_key_t {
    quat_t stretch;
    quat_t rotation;
    vec3_t translation;
    vec3_t scale;
};

class model_anim_view_t {
public:
    // Checks the image and, when it passes, views it. False (logged) when refused.
    bool open(const void *image, uint64_t size, const char *path);
    void close();
    bool is_open() const { return m_open; }
    void rebase(const void *image) { m_image.rebase(image); }
    const model_image_t &get_image() const { return m_image; }
    const char *get_path() const { return m_path.c_str(); }

    uint64_t get_name() const;  // token
    uint32_t get_frame_count() const { return m_frame_count; }
    uint16_t get_flags() const;
    uint32_t get_track_count() const { return m_track_count; }
    float get_length() const;

    // Frame count entries: entry f is the time from frame f to frame f + 1.
    const float *get_durations() const;
    // Track count entries: the bone each track moves.
    const uint8_t *get_track_map() const;
    // Frame count × track count keys of 14 floats each, frame-major.
    const float *get_keys() const;
    model_key_t get_key(uint32_t frame, uint32_t track) const;
    // Frame count entries each; null when the flag (2, 4) is clear. Entry f + 1 is the
    // motion made from frame f to frame f + 1.
    const vec3_t *get_root_translation() const;
    const quat_t *get_root_rotation() const;

private:
    bool check() const;

    model_image_t m_image;
    mstring_dyn_t m_path;
    bool m_open = false;
    uint32_t m_frame_count = 0;
    uint32_t m_track_count = 0;
};

}  // namespace quarn
