#pragma once
// particle_gen_u (type "particle_gen"): one generator of a particle set
// (particle_set.h, docs/effects.md). It ages, moves and fades its particles, emits new
// ones at an even interval while emission is on, and draws them as camera-facing
// copies of its model through one prototype.
//
// Particles live in world space, or with "relative_space" in the set's own frame
// (they then follow the set). World-space particles drift with the set's wind.
// Colours come from a 256-entry table made from five keys of age position (0 birth,
// 255 death) and colour; a particle's colour is the entry of its remaining life,
// with its alpha on top.
#include <cstdint>

#include "game/game_alloc.h"
#include "outside/qrnshared/r_proto.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/collections/list_dyn.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/vec.h"
#include "qrncore/numerics/random_mt.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class model_template_u;
class particle_set_u;
struct r_parameter_array_t;

// One particle.
struct particle_t {
    float life = 0.0f;  // seconds left
    float attack = 0.0f;
    float angle = 0.0f;
    float rotation_speed = 0.0f;
    vec2_t size;
    vec3_t velocity;
    vec3_t acceleration;
    vec3_t position;
    float alpha = 0.0f;
    uint32_t colour = 0;  // table colour with the alpha byte on top
};

class particle_gen_u : public unit_t {
    QRN_UNIT_CLASS(particle_gen_u, unit_t);

public:
    static constexpr uint32_t KEYS = 5;
    // Vertices written a frame at most (16-bit indices).
    static constexpr uint32_t MAX_VERTICES = 0xFFFF;

    ~particle_gen_u() override;

    // The particle life (each particle ±20 %): t <= 0.000001 (or no number) counts as
    // 0.0001. With "particles_max_count" below 2 one particle a second, else an even
    // interval of t / (count - 1), starting at once.
    void set_time_to_live(float t);
    // Makes the colour table from "key_pos" and "key_color". Without both lists the
    // default keys (positions 0, 0, 0, 0, 255, all white) are used; lists of another
    // length than 5 are replaced by them too (logged). Positions are clamped to
    // 0..255 and intervals that run backwards are skipped.
    void rebuild_colour_table();

    // Ages, moves and fades the particles by seconds, then emits the particles due
    // (when emit is set) from the set's placement; world-space particles drift by
    // wind × seconds. At most "particles_max_count" are emitted an update; the timer
    // skips the rest. Nothing happens until the model is loaded.
    void update(float seconds, bool emit, const vec3_t &wind);
    // Writes the particles' camera-facing vertices for this frame; nothing until the
    // prototype has a material and the model is loaded.
    void prepare();
    // Queues the prototype when prepare wrote a vertex.
    void render();

    // Empties the particles and emits at the next update from the set's placement.
    void reset();
    void bind(particle_set_u *set) { m_set = set; }
    void set_parameter_packets(r_parameter_array_t *array);

    uint32_t get_particle_count() const { return m_particles.get_count(); }
    const list_dyn_t<particle_t> &get_particles() const { return m_particles; }
    uint32_t get_table_colour(uint32_t i) const { return m_table[i & 0xFF]; }
    float get_interval() const { return m_interval; }
    float get_timer() const { return m_timer; }
    model_template_u *get_model() const;
    r_proto_t *get_proto() const { return m_proto; }
    uint32_t get_vertex_count() const { return m_positions.get_count(); }
    const vec3_t &get_vertex(uint32_t v) const { return m_positions[v]; }
    uint32_t get_vertex_colour(uint32_t v) const { return m_colours[v]; }

    bool _call_post_load() override;
    void on_construct();

    // Attributes.
    bool m_list_order_up = false;
    bool m_blend_alpha = true;
    bool m_relative_space = false;
    vec3_t m_gen_pos;
    float m_scale_acc = 1.0f;
    float m_rotation_speed = 0.0f;
    float m_alpha_blend_coef = 0.3f;
    float m_base_alpha = 1.0f;
    float m_alpha_attack_time = 0.0f;
    vec3_t m_flow_speed{0.0f, 1.0f, 0.0f};
    vec3_t m_flow_speed_acc{0.0f, 6.0f, 0.0f};
    vec2_t m_particle_size{1.0f, 1.0f};
    vec2_t m_particle_size_var;
    vec3_t m_particle_displacement{0.15f, 0.0f, 0.15f};
    uint32_t m_color_multiplier = 0xFFFFFFFFu;
    array_dyn_t<int32_t> m_key_pos;
    array_dyn_t<uint32_t> m_key_color;
    float m_time_to_live = 3.0f;
    uint32_t m_particles_max_count = 25;
    owner_ptr_t<unit_base_t> m_model;

protected:
    bool _clone_finish(unit_base_t *target);

private:
    // Derived values from the attributes (after a load or a clone).
    void derive();
    // The emitter's placement in the particles' space.
    placement_t emitter_placement() const;
    void emit_one(const vec3_t &spawn, const quat_t &rotation);
    uint32_t colour_of(const particle_t &p) const;

    uint32_t m_table[256] = {};
    list_dyn_t<particle_t> m_particles{256};
    random_mt_t m_random{4357};
    particle_set_u *m_set = nullptr;
    vec3_t m_previous;
    bool m_has_previous = false;
    float m_timer = 3.37e38f;
    float m_interval = 1.0f;
    float m_inverse_ttl = 1.0f / 3.0f;
    // The frame's vertices and indices, and the prototype over them.
    array_dyn_t<vec3_t> m_positions;
    array_dyn_t<uint32_t> m_colours;
    array_dyn_t<vec2_t> m_uvs;
    array_dyn_t<uint16_t> m_indices;
    r_geometry_t m_geometry{};
    r_packet_t *m_vertex_packet = nullptr;
    r_packet_t *m_index_packet = nullptr;
    r_proto_t *m_proto = nullptr;
};

}  // namespace quarn
