#pragma once
// model_anim_u: one bone animation (".zma", docs/formats/model-animation.md), loaded
// and read in place. Players read it through the operations below, which
// model_anim_procedural_u answers from memory for animations made in code.
//
// Keys are 14 floats each (stretch quaternion, rotation quaternion, translation,
// scale), frame-major: the key of track k in frame f is get_keys() + 14 × (f × track
// count + k).
#include <cstdint>

#include "game/visuals/models/model_anim_view.h"
#include "outside/qrnshared/resource_unit.h"
#include "qrncore/collections/arrays/array_dyn.h"

namespace quarn {

constexpr uint32_t MODEL_KEY_FLOATS = 14;
// Animation flags.
constexpr uint16_t MODEL_ANIM_ROOT_TRANSLATION = 0x2;
constexpr uint16_t MODEL_ANIM_ROOT_ROTATION = 0x4;

class model_anim_u : public resource_unit_u {
    QRN_UNIT_CLASS(model_anim_u, resource_unit_u);

public:
    bool load_memory() override;
    void unload_memory() override;
    void post_move(void *old_data, void *new_data) override;
    bool bind_item(c_item_t *item) override;
    void unbind_item(c_item_t *item) override;

    // True while the data can be read. The readers below give 0 and null otherwise.
    virtual bool is_ready() const { return m_view.is_open(); }
    // The file's path ("" for an animation made in code).
    virtual const char *get_path() const { return m_view.get_path(); }
    virtual uint64_t get_name() const;  // token
    virtual uint32_t get_frame_count() const;
    virtual uint16_t get_flags() const;
    virtual uint32_t get_track_count() const;
    // Seconds.
    virtual float get_length() const;
    // Frame count entries: entry f is the time from frame f to frame f + 1.
    virtual const float *get_durations() const;
    // Track count entries: the bone each track moves.
    virtual const uint8_t *get_track_map() const;
    virtual const float *get_keys() const;
    // Frame count entries, entry f + 1 the motion from frame f to frame f + 1; null
    // without the flag.
    virtual const vec3_t *get_root_translation() const;
    virtual const quat_t *get_root_rotation() const;

private:
    model_anim_view_t m_view;
};

// An animation made in code: one frame, whose keys, track map, length and flags its
// owner sets. It is bound to no item; players count the unit itself.
class model_anim_procedural_u : public model_anim_u {
    QRN_UNIT_CLASS(model_anim_procedural_u, model_anim_u);

public:
    // The name token of every procedural animation ("xmproceduralx").
    static uint64_t procedural_name();

    // tracks tracks moving the bones of map, all keys the rest of a bone (identity
    // quaternions, no translation, scale 1). False (nothing changed) without memory.
    bool set_tracks(uint32_t tracks, const uint8_t *map);
    // The key of a track (below the track count).
    void set_key(uint32_t track, const model_key_t &key);
    model_key_t get_key(uint32_t track) const;
    // The frame's duration: a length that is not a finite number above 0 would stop
    // time or divide by zero, and is refused (logged; the length stays).
    bool set_length(float seconds);
    void set_flags(uint16_t flags) { m_flags = flags; }

    bool is_ready() const override { return true; }
    const char *get_path() const override { return ""; }
    uint64_t get_name() const override { return procedural_name(); }
    uint32_t get_frame_count() const override { return 1; }
    uint16_t get_flags() const override { return m_flags; }
    uint32_t get_track_count() const override { return m_map.get_count(); }
    float get_length() const override { return m_length; }
    const float *get_durations() const override { return &m_length; }
    const uint8_t *get_track_map() const override { return m_map.get_data(); }
    const float *get_keys() const override { return m_keys.get_data(); }
    // A single frame moves nothing.
    const vec3_t *get_root_translation() const override { return nullptr; }
    const quat_t *get_root_rotation() const override { return nullptr; }

private:
    array_dyn_t<uint8_t> m_map;
    array_dyn_t<float> m_keys;
    float m_length = 1.0f;
    uint16_t m_flags = 0;
};

}  // namespace quarn
