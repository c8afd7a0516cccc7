#pragma once
// particle_layer_t: what the rain and the snow share. A pool of particles made once in
// a box around the camera (positions relative to it), of which the intensity selects a
// prefix; the box travels with the camera and wraps the particles that leave it; the
// active prefix is written as triangles into a render packet of the layer's own and
// queued with the layer's material.
//
// Drawing (docs/environment.md): the packet is of type R_PACKET_PST (positions, one
// colour for all, texture coordinates) over geometry the layer keeps, sized for the
// whole pool when the layer is attached, so drawing never allocates. Positions stay
// relative to the camera; the layer's model packet (slot 1 of its packet array) places
// them at the camera. The other slots are the scene's set the layer is attached with.
#include <cstdint>

#include "game/visuals/shaders/fw_packets.h"
#include "game/world/scene_colour.h"
#include "outside/qrnshared/parameter_packet.h"
#include "outside/qrnshared/r_proto.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/math/vec.h"
#include "qrncore/numerics/randomizer.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class c_item_t;

class particle_layer_t {
public:
    // The largest pool a layer accepts.
    static constexpr uint32_t MAX_PARTICLES = 65536;
    // Intensity changes smaller than this are ignored; at or below it the layer is off.
    static constexpr float INTENSITY_STEP = 0.001f;
    static constexpr uint32_t SEED = 42;

    struct particle_t {
        vec3_t position;  // relative to the camera
        float scale = 1.0f;
        float angle = 0.0f;  // degrees (the snow's flakes turn)
    };

    particle_layer_t() = default;
    ~particle_layer_t();
    particle_layer_t(const particle_layer_t &) = delete;
    particle_layer_t &operator=(const particle_layer_t &) = delete;

    // Checks the box (every half extent a number above 0) and the pool size (at most
    // MAX_PARTICLES); a bad one is logged ("[env] The <kind> '<name>' ...") and refused.
    // Then reseeds the generator with SEED and makes the pool: particle i of n at a
    // uniform place in the box (x, y, z drawn in that order), scale min × (1 − i/n) +
    // max × i/n, angle i/n × 360. Detaches the layer (its vertices were sized for the old
    // pool), which also switches it off; no particle is active until the next intensity.
    bool set_up(const char *kind, const char *name, const vec3_t &half_extent, uint32_t count, float min_scale,
                float max_scale);

    // Ignores a change below INTENSITY_STEP; otherwise keeps it and makes that share of
    // the pool active. At or below INTENSITY_STEP (or not a number) the layer is
    // switched off with intensity 0 and no active particle; above it an attached layer
    // that was switched off is switched on again.
    void set_intensity(float intensity);
    float get_intensity() const { return m_intensity; }
    uint32_t get_active_count() const { return m_active; }
    uint32_t get_particle_count() const { return m_particles.get_count(); }
    const particle_t *get_particles() const { return m_particles.get_data(); }
    particle_t *get_particles() { return m_particles.get_data(); }
    const vec3_t &get_half_extent() const { return m_half_extent; }
    randomizer_t &get_random() { return m_random; }

    // The camera's movement since the last frame, taken by the next step.
    void move_with_camera(const vec3_t &movement) { m_movement = movement; }
    const vec3_t &get_camera_movement() const { return m_movement; }
    // Where the camera is: the layer draws its box there.
    void set_camera_position(const vec3_t &position) { m_camera = position; }
    void set_colour(const scene_colour_t &colour) { m_colour = colour; }
    const scene_colour_t &get_colour() const { return m_colour; }

    // Makes the layer's packet, prototype and model packet, sizes its vertices for
    // vertices_per_particle a particle (texture coordinates repeating pattern, two
    // floats a vertex), takes the material by path (a missing one is logged by the
    // material loader; the layer then draws nothing) and the scene's packet set (null:
    // only the model packet). Attaching again starts over. False, logged, when the
    // graphics front-end is not running, or there is no memory for the vertices or no
    // model packet.
    bool attach(const r_parameter_array_t *scene_set, const char *material_path, uint32_t vertices_per_particle,
                const float *texcoord_pattern);
    void detach();
    bool is_attached() const { return m_proto != nullptr; }
    // Switches the layer on (apply_preset does after attaching).
    void switch_on() { m_enabled = true; }
    bool is_enabled() const { return m_enabled; }

    // The step's offset: −camera movement + travel (the fall and any drift over the
    // step), each axis held within twice the half extent so that a jump of the camera
    // does not throw the particles far. Takes the camera movement.
    vec3_t take_offset(const vec3_t &travel);
    // Moves every active particle by offset and wraps it.
    void move_active(const vec3_t &offset);
    // Brings a position that left the box back in on each axis it left, by whole box
    // widths: 3.5 in a half extent of 3 becomes −2.5.
    void wrap(vec3_t &position) const;

    // The vertices to fill with the active prefix (3 floats a vertex, per particle as
    // attached), or null when nothing is to be drawn (off, not attached, none active).
    float *begin_draw();
    // Sets the vertex count, the colour and the model packet, and queues the prototype
    // (a prototype without material or pass is not queued).
    void end_draw();

    r_packet_t *get_packet() const { return m_packet; }
    r_proto_t *get_proto() const { return m_proto; }
    const r_geometry_t &get_geometry() const { return m_geometry; }
    r_parameter_array_t &get_packets() { return m_packets; }
    fw4pp_model_u *get_model_packet() const { return m_model_packet.get(); }

private:
    randomizer_t m_random{SEED};
    array_dyn_t<particle_t> m_particles;
    vec3_t m_half_extent{1.0f, 1.0f, 1.0f};
    bool m_enabled = false;
    float m_intensity = 0.0f;
    uint32_t m_active = 0;
    vec3_t m_movement{0.0f, 0.0f, 0.0f};
    vec3_t m_camera{0.0f, 0.0f, 0.0f};
    scene_colour_t m_colour;

    // Drawing, made by attach.
    uint32_t m_vertices_per_particle = 0;
    array_dyn_t<float> m_positions;
    array_dyn_t<float> m_texcoords;
    uint32_t m_colour_word = 0xFFFFFFFFu;
    r_geometry_t m_geometry{};
    r_packet_t *m_packet = nullptr;
    r_proto_t *m_proto = nullptr;
    c_item_t *m_material = nullptr;
    owner_ptr_t<fw4pp_model_u> m_model_packet;
    r_parameter_array_t m_packets;
};

}  // namespace quarn
