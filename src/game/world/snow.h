#pragma once
// snow_u ("snow"): the snow of the environment, a particle_layer_t of flakes that fall
// slowly, drift with the wind, wobble and spin. Its settings are fixed (it has no
// attributes): a box of half extent (15, 10, 15), 2000 flakes of scale 0.05 (the
// first) to 0.1 (the last), a fall of 1 metre a second, wobble vectors of amplitude
// (0.05, 0, 0.05) and a spin of 2 degrees a second.
//
// Each flake is a square of two triangles (6 vertices) standing in the x-y plane with
// half width its scale s, turned about its centre by its angle a. With c = s cos a and
// n = s sin a the corners are, from the centre, (−c + n, −n − c), (c + n, n − c),
// (c − n, n + c) and (−c − n, −n + c) (the corners (−s, −s), (s, −s), (s, s), (−s, s)
// turned by a), drawn as the triangles 0 1 2 and 0 2 3 with texture coordinates
// (0, 1), (1, 1), (1, 0), (0, 0).
#include <cstdint>

#include "game/scene/updatable.h"
#include "game/world/particle_layer.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class snow_u : public unit_t, public updatable_t {
    QRN_UNIT_CLASS(snow_u, unit_t);

public:
    static constexpr uint32_t VERTICES_PER_FLAKE = 6;
    static constexpr uint32_t PARTICLES = 2000;
    static constexpr uint32_t WOBBLES = 10;
    static constexpr float MIN_SCALE = 0.05f;
    static constexpr float MAX_SCALE = 0.1f;
    static constexpr float SPIN = 2.0f;  // degrees a second
    // Chance per update that the wobble ring moves on.
    static constexpr float WOBBLE_CHANCE = 0.1f;
    static constexpr const char *MATERIAL = "/material/environment/snow.mat";
    static constexpr vec3_t HALF_EXTENT{15.0f, 10.0f, 15.0f};
    static constexpr vec3_t FALL_VELOCITY{0.0f, -1.0f, 0.0f};
    static constexpr vec3_t WOBBLE_AMPLITUDE{0.05f, 0.0f, 0.05f};

    particle_layer_t &get_layer() { return m_layer; }
    const particle_layer_t &get_layer() const { return m_layer; }

    void set_intensity(float intensity) { m_layer.set_intensity(intensity); }
    float get_intensity() const { return m_layer.get_intensity(); }
    void move_with_camera(const vec3_t &movement) { m_layer.move_with_camera(movement); }
    void set_camera_position(const vec3_t &position) { m_layer.set_camera_position(position); }
    void set_colour(const scene_colour_t &colour) { m_layer.set_colour(colour); }
    // The wind's velocity, which the flakes drift with.
    void set_wind(const vec3_t &velocity) { m_wind = velocity; }
    const vec3_t &get_wind() const { return m_wind; }
    bool attach(const r_parameter_array_t *scene_set);

    // The ten wobble vectors (each axis: a draw × the amplitude less the draw made for
    // the vector before), the ring of indices into them (0..9 at first) and its
    // cursor.
    const vec3_t &get_wobble(uint32_t i) const { return m_wobble[i % WOBBLES]; }
    uint32_t get_ring_entry(uint32_t i) const { return m_ring[i % WOBBLES]; }
    uint32_t get_ring_cursor() const { return m_cursor; }

    // The step: with chance WOBBLE_CHANCE the ring entry at the cursor moves on to the
    // next wobble vector and the cursor to the next entry; every active flake i moves
    // by the offset (camera, fall, wind, held within twice the half extent) and by dt ×
    // the wobble vector of ring entry i mod 10, turns by SPIN × dt and wraps.
    void update(float dt) override;
    // Writes the active flakes into the packet and queues the prototype.
    void draw() override;

    bool _clone_finish(unit_base_t *target);

private:
    void on_construct();
    void on_destroy();
    void set_up();

    vec3_t m_wind{0.0f, 0.0f, 0.0f};
    vec3_t m_wobble[WOBBLES];
    uint32_t m_ring[WOBBLES] = {};
    uint32_t m_cursor = 0;
    particle_layer_t m_layer;
};

}  // namespace quarn
