#pragma once
// The avatar's control over the layer's body and shape.
#include "game/visuals/physics/physics_avatar.h"
#include "qrncore/math/vec.h"

namespace quarn {

class ode_physics_avatar_t : public physics_avatar_t {
public:
    ode_physics_avatar_t();
    ~ode_physics_avatar_t() override;

    bool set_collision_group(int group) override;
    bool set_position(const vec3_t &world_position) override;
    const physics_pose_t &get_world_pose() override;
    physics_body_t *get_body() const override { return m_body; }
    physics_shape_t *get_shape() const override { return m_shape; }
    void update() override;
    void activate() override;
    void deactivate() override;
    bool create(float mass, float length, float radius) override;
    bool move(const vec3_t &velocity) override;

    // State of the control (for tests and the debug view).
    const vec3_t &get_ground_normal() const { return m_ground_normal; }
    float get_ground_timer() const { return m_ground_timer; }
    bool is_moving() const { return m_moving; }
    const vec3_t &get_desired_velocity() const { return m_desired; }

    // Seconds a contact keeps the avatar on the ground.
    static constexpr float GROUND_TIME = 0.5f;
    // The ground normal after an update, below every real contact normal.
    static constexpr vec3_t NO_GROUND{0, -0.1f, 0};

private:
    // The avatar's own listener on its shape.
    class contact_t : public physics_contact_listener_t {
    public:
        explicit contact_t(ode_physics_avatar_t *avatar) : m_avatar(avatar) {}
        void on_contact(physics_shape_t *self, physics_shape_t *other, const vec3_t &position,
                        const vec3_t &normal) override;

    private:
        ode_physics_avatar_t *m_avatar;
    };

    void release();
    // Zero velocities (waking the body).
    void stop();

    vec3_t m_desired;
    physics_body_t *m_body = nullptr;
    physics_shape_t *m_shape = nullptr;
    contact_t m_contact;
    vec3_t m_ground_normal{0, 1, 0};
    bool m_moving = false;
    bool m_was_moving = false;
    float m_ground_timer = 0.0f;
    physics_pose_t m_world_pose;
};

}  // namespace quarn
