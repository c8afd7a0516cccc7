#pragma once
// rain_u ("rain"): the rain of the environment, a particle_layer_t of drops that fall
// straight and drift a little with (0.2, 0, 0.2) metres a second. Each drop is drawn
// as two crossed vertical triangles, each written twice (the second time in reverse
// order) so that it is seen from both sides: 12 vertices a drop.
//
// Made by the environment (its defaults) or read from a unit file; the load refuses a
// box half extent that is not a number above 0 and a pool of more than 65536.
#include <cstdint>

#include "game/scene/updatable.h"
#include "game/world/particle_layer.h"
#include "qrncore/strings/mstring.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class rain_u : public unit_t, public updatable_t {
    QRN_UNIT_CLASS(rain_u, unit_t);

public:
    static constexpr uint32_t VERTICES_PER_DROP = 12;
    // The drift of every drop, metres a second.
    static constexpr float DRIFT = 0.2f;
    static constexpr const char *DEFAULT_MATERIAL = "/material/environment/rain.mat";

    particle_layer_t &get_layer() { return m_layer; }
    const particle_layer_t &get_layer() const { return m_layer; }

    void set_intensity(float intensity) { m_layer.set_intensity(intensity); }
    float get_intensity() const { return m_layer.get_intensity(); }
    void move_with_camera(const vec3_t &movement) { m_layer.move_with_camera(movement); }
    void set_camera_position(const vec3_t &position) { m_layer.set_camera_position(position); }
    void set_colour(const scene_colour_t &colour) { m_layer.set_colour(colour); }
    // The layer's packet and prototype with the material of particle_material and the
    // scene's packet set (null: none). False when they cannot be made.
    bool attach(const r_parameter_array_t *scene_set);

    const vec3_t &get_fall_velocity() const { return m_fall_velocity; }
    float get_width_coef() const { return m_width_coef; }
    float get_height_coef() const { return m_height_coef; }

    // The step: the offset (camera, fall, drift), held within twice the half extent,
    // moves every active drop, which then wraps.
    void update(float dt) override;
    // Writes the active drops into the packet and queues the prototype.
    void draw() override;

    // After load the pool is made again from the attributes (refusing a bad box or
    // count); a copy makes its own.
    bool _call_post_load() override;
    bool _clone_finish(unit_base_t *target);

private:
    void on_construct();
    void on_destroy();
    bool set_up();

    vec3_t m_box{3.0f, 3.0f, 3.0f};
    vec3_t m_fall_velocity{0.0f, -4.5f, 0.0f};
    mstring_dyn_t m_material;
    uint32_t m_particle_count = 2000;
    float m_width_coef = 0.015f;
    float m_height_coef = 0.2f;
    float m_min_scale = 0.7f;
    float m_max_scale = 1.0f;

    particle_layer_t m_layer;
};

}  // namespace quarn
