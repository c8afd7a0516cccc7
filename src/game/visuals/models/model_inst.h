#pragma once
// model_inst_u: a template with a live skeleton (docs/models.md).
//
// Render data: each piece has a vertex packet (one of the four R_PACKET_MODEL*
// formats, by whether the geometry has tangents and the further stream) and an index
// packet, both serving the piece's streams through an r_stream_source_t. A static
// instance (rigid, or a geometry without bones) draws from the geometry's two shared
// render buffers and never skins; any other gets private copies of positions,
// normals and tangents, which skinning overwrites.
//
// Animation: any number of channels, each playing one animation, blended in the
// order of the active list (ascending priority; the later of equal priorities
// later) over the rest pose. The channel flags (model_channel_flag_t) choose fading,
// looping and who advances the channel. A channel index must be below the channel
// count: a bad one is a caller error and aborts.
//
// Bone matrices and skinned vertices are rebuilt only when out of date: any change of
// a channel's time or weight marks both; draw (update_bones) rebuilds the bones and
// skins the visible parts.
#include <cstdint>

#include "game/visuals/models/model_anim.h"
#include "game/visuals/models/model_hit.h"
#include "game/visuals/models/model_template.h"
#include "outside/qrnshared/r_proto.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/quat.h"

namespace quarn {

class model_anim_u;
struct r_buffer_t;

// Part flags.
constexpr uint32_t MODEL_PART_VISIBLE = 0x1;
constexpr uint32_t MODEL_PART_SKIN_DIRTY = 0x40;  // skinned vertices out of date
// Instance flags.
constexpr uint32_t MODEL_INST_STATIC = 0x1;        // no skeleton work at all
constexpr uint32_t MODEL_INST_ROOT_PENDING = 0x2;  // channels hold root motion not yet handed over
constexpr uint32_t MODEL_INST_BONES_DIRTY = 0x4;   // bone matrices out of date

// Channel flags.
enum model_channel_flag_t : uint32_t {
    MODEL_CHANNEL_DEFAULT = 0x1,          // set at play by default; not tested
    MODEL_CHANNEL_FADE_IN = 0x2,          // start at weight 0 and fade in
    MODEL_CHANNEL_AUTO_FREE = 0x4,        // free the channel when it stops
    MODEL_CHANNEL_ADVANCE = 0x8,          // advance frames (without it a channel only fades)
    MODEL_CHANNEL_FADE_AT_STOP = 0x20,    // at the stop frame fade out instead of stopping
    MODEL_CHANNEL_HOLD_FADING_IN = 0x40,  // hold the first frame until faded in
    MODEL_CHANNEL_FROZEN = 0x80,          // frames do not advance (fading goes on)
    MODEL_CHANNEL_PLAYING = 0x100,        // state
    MODEL_CHANNEL_FADING_OUT = 0x200,     // state
    MODEL_CHANNEL_FADING_IN = 0x400,      // state
    MODEL_CHANNEL_OWNER_ADVANCES = 0x800, // advance_animations skips it
    MODEL_CHANNEL_STOPPED = 0x1000,       // advancing does nothing
    // What play sets unless cleared: 0x1 | 0x2 | 0x8 | 0x20.
    MODEL_CHANNEL_PLAY_DEFAULTS = 0x2B,
};

constexpr uint32_t MODEL_STOP_NEVER = 0xFFFFFFFFu;

// One animation channel.
struct model_anim_channel_t {
    bool in_use = false;
    model_anim_u *animation = nullptr;  // held (item counted and fixed) while in use
    uint32_t flags = 0;
    float target_weight = 1.0f;
    float fade_in_rate = 1.0f;    // weight per second while fading in
    float fade_out_rate = -1.0f;  // weight change per second while fading out
    float pending = 0.0f;         // seconds handed over and not yet consumed
    float time_in_frame = 0.0f;
    float animation_time = 0.0f;  // kept modulo the animation's length
    float strength = 1.0f;        // against the rest pose
    float weight = 0.0f;          // over the channels before it in the active list
    uint32_t frame = 0;
    uint32_t frame_counter = 0;   // frames played, counting the skipped frame 0 of each loop
    uint32_t stop_frame = MODEL_STOP_NEVER;
    int32_t priority = 0;
    vec3_t root_translation;      // gathered since the last hand-over
    quat_t root_rotation;
};

class model_inst_u : public model_template_u {
    QRN_UNIT_CLASS(model_inst_u, model_template_u);

public:
    ~model_inst_u() override;

    // As the template, then the render data (see above); every part starts visible.
    bool set_model(model_desc_u *desc, model_geom_u *geom, bool rigid) override;
    // As the template, then each part with a "visible" attribute in the variant is
    // shown (non-zero) or hidden (zero); other parts keep their flag.
    bool set_variant(uint32_t variant) override;

    uint32_t get_flags() const { return m_flags; }
    bool is_static() const { return (m_flags & MODEL_INST_STATIC) != 0; }

    // ---- parts ----
    uint32_t get_part_flags(uint32_t part) const { return m_part_flags[part]; }
    bool is_part_visible(uint32_t part) const { return (m_part_flags[part] & MODEL_PART_VISIBLE) != 0; }
    void set_part_visible(uint32_t part, bool visible);

    // ---- bones ----
    uint32_t get_bone_count() const { return m_bone_count; }
    int32_t find_bone(uint64_t token) const;
    int32_t find_bone_by_name(const char *name) const;
    // The bone's model-space matrix in the current pose (its bind matrix in a static
    // instance); always true.
    bool get_bone_matrix(uint32_t bone, mat4_t *out);
    bool get_bone_matrix_inverse(uint32_t bone, mat4_t *out);
    // The skinning matrices (bind inverse, then the bone's matrix), brought up to
    // date; null in a static instance.
    const mat4_t *get_skin_matrices();
    // Nothing for a static instance; else the bone matrices and the skinning of every
    // visible part that is out of date.
    void update_bones();
    // Marks every part's skinned vertices out of date (the bones stay as they are):
    // the next update skins the visible parts again.
    void invalidate_skinning();
    // Called each time the bone matrices are rebuilt (tests count them).
    static void (*bone_build_hook)(const model_inst_u *inst);

    // ---- animation ----
    // Starts anim in the first free channel (or a new one): flags = (add | 0x2B) &
    // ~clear, weight 0 (1 when 0x2 is cleared), placed in the active list by priority
    // (-1 is taken as 0). The channel index, or -1 (logged) when anim is null or does
    // not load, or moves a bone the model does not have.
    int32_t play_animation(model_anim_u *anim, uint32_t add, uint32_t clear, int32_t priority, float strength);
    // Advances every active channel without 0x800 by seconds; true when one of them
    // still runs.
    bool advance_animations(float seconds);
    // False when the channel is or becomes stopped, true while it runs.
    bool advance_channel(uint32_t channel, float seconds);
    // OR / clear bits into the channel's flags; the new flags.
    uint32_t set_channel_flags(uint32_t channel, uint32_t bits);
    uint32_t clear_channel_flags(uint32_t channel, uint32_t bits);
    // Sets 0x1000; a channel with 0x4 is freed at once.
    void stop_channel(uint32_t channel);
    void resume_channel(uint32_t channel);
    // Hands over pending root motion, lets the animation go and frees the slot.
    void free_channel(uint32_t channel);
    void set_channel_weight(uint32_t channel, float weight);
    // The weight change per second while fading out (-1 at play: the weight falls by
    // one a second); 0 holds the weight, a positive rate never ends the fade.
    void set_channel_fade_out_rate(uint32_t channel, float rate);
    // A frame counter value at which the channel ends. n >= 0 is stored as it is; a
    // negative n counts back from the end of the current loop: n + c + F - (c mod F),
    // F more when that is below c (F frames, counter c). The stored value.
    uint32_t set_channel_stop_frame(uint32_t channel, int32_t frame);
    uint32_t get_channel_count() const { return m_channels.get_count(); }
    const model_anim_channel_t &get_channel(uint32_t channel) const { return m_channels[channel]; }
    // The active list: channel indices in blending order.
    uint32_t get_active_count() const { return m_active.get_count(); }
    uint32_t get_active(uint32_t i) const { return m_active[i]; }
    // Hands over pending root motion, then gives the accumulated root translation and
    // rotation and resets them (zero, identity).
    void take_root_motion(vec3_t *translation, quat_t *rotation);

    // ---- segment tests (model space) ----
    // The nearest triangle hit by the segment over all parts (hidden ones too), with
    // skinned positions: resets hit, fills it for the nearest and gives true when any
    // part was hit. Hits beyond either end of the segment do not count.
    bool intersect_segment(const vec3_t &start, const vec3_t &end, model_hit_t &hit);
    // The same for one piece: true when the piece is hit; hit is filled only when the
    // piece's hit is nearer than what it holds (reset it before the first piece).
    bool intersect_piece(const vec3_t &start, const vec3_t &end, uint32_t piece, model_hit_t &hit);

    // ---- render data ----
    r_packet_t *get_vertex_packet(uint32_t piece) const { return m_render[piece].vertex_packet; }
    r_packet_t *get_index_packet(uint32_t piece) const { return m_render[piece].index_packet; }
    // The positions / normals / tangents drawn: the skinned copies, or the geometry's
    // for a static instance (tangents null without the stream).
    const vec3_t *get_positions(uint32_t piece) const;
    const vec3_t *get_normals(uint32_t piece) const;
    const vec4_t *get_tangents(uint32_t piece) const;
    // The shared buffers of a static instance (null otherwise).
    r_buffer_t *get_vertex_buffer() const { return m_vertex_buffer; }
    r_buffer_t *get_index_buffer() const { return m_index_buffer; }

    bool _call_post_load() override;

protected:
    bool _clone_finish(unit_base_t *target);
    // The instance's steps after the template's set-up.
    bool build_render_data();
    void apply_variant();
    // Marks the bones and every part's skinned vertices out of date.
    void mark_pose_dirty();

private:
    struct render_piece_t {
        r_stream_source_t source;
        r_packet_t *vertex_packet = nullptr;
        r_packet_t *index_packet = nullptr;
        array_dyn_t<vec3_t> positions;  // skinned copies
        array_dyn_t<vec3_t> normals;
        array_dyn_t<vec4_t> tangents;
    };

    static bool locate_stream(const r_stream_source_t *source, uint32_t stream, r_stream_location_t *out);
    static uint32_t source_vertex_count(const r_stream_source_t *source);
    static uint32_t source_index_count(const r_stream_source_t *source);

    void drop_render_data();
    void free_all_channels();
    void build_bone_matrices();
    void skin_part(uint32_t part);
    void hand_over_root_motion();
    // The fraction of the frame's root motion (entry frame + 1) into the channel, its
    // translation also times weight: the channel's weight for part of a frame, its
    // square for the rest of a frame that ends (so a gait fading in or out moves the
    // model less).
    void gather_root_motion(model_anim_channel_t &c, float fraction, float weight);
    // Stops the channel (0x1000), freeing it with 0x4.
    void halt_channel(uint32_t channel);
    // The nearest triangle hit so far by a test.
    struct candidate_t {
        float distance2 = 3.37e38f;  // squared, from the segment's start
        uint32_t piece = 0;
        uint32_t triangle = 0;
        vec3_t point;
        vec3_t corners[3];
    };
    // Improves best with the piece's triangles; true when one of them did.
    bool nearest_in_piece(const vec3_t &start, const vec3_t &end, uint32_t piece, candidate_t &best);
    // Fills hit from best when best is nearer than what hit holds.
    void record_hit(const candidate_t &best, model_hit_t &hit) const;
    // Skins a part whose vertices are out of date, shown or not.
    void prepare_part_for_test(uint32_t part);

    uint32_t m_flags = 0;
    uint32_t m_bone_count = 0;
    array_dyn_t<uint32_t> m_part_flags;
    array_dyn_t<render_piece_t> m_render;
    r_buffer_t *m_vertex_buffer = nullptr;
    r_buffer_t *m_index_buffer = nullptr;
    array_dyn_t<mat4_t> m_skin_matrices;  // per bone: bind inverse, then pose
    array_dyn_t<mat4_t> m_pose_matrices;  // per bone: model space
    array_dyn_t<model_anim_channel_t> m_channels;
    array_dyn_t<uint32_t> m_active;
    vec3_t m_root_translation;
    quat_t m_root_rotation;
};

}  // namespace quarn
