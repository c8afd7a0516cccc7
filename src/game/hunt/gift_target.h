#pragma once
// gift_target_u ("gift_target", made in code, never from a file): a party gift that
// drops into the player's view. It falls from 10 units above a point of ground 30 to
// 100 units ahead of the player (within 22.5° of the view's heading), growing as it
// comes, bounces once, spins on, and shrinks away after 2 s unless it is shot. A shot
// target sends its gift on to the other players (the game data's gift log, a hit, the
// cue "vo.gift"); in party round 3 the target is a coin and a shot scores it like a
// kill instead. It answers 100 points, not dangerous, ambient, no trophy.
//
// States: 0 arriving -> 1 bounced (ground reached) -> 2 vanishing (after 2 s) -> 4
// finished (after 0.3 s); 0 or 1 -> 3 hit -> 4 (after 0.3 s). From state 2 on it
// ignores shots, so it cannot be hit twice. The round's trail use owns it: it adds it
// to the scene's target list, updates and draws it, and releases it once finished.
#include <cstdint>

#include "game/scene/target.h"
#include "game/visuals/shaders/fw_packets.h"
#include "outside/qrnshared/parameter_packet.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/geometry/sphere.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class model_object_u;
class trail_u;

class gift_target_u : public target_u {
    QRN_UNIT_CLASS(gift_target_u, target_u);

public:
    enum state_t : int32_t {
        STATE_ARRIVING = 0,
        STATE_BOUNCED = 1,
        STATE_VANISHING = 2,
        STATE_HIT = 3,
        STATE_FINISHED = 4,
    };

    static constexpr uint32_t POINTS = 100;
    static constexpr uint32_t SEED_OFFSET = 333;
    static constexpr float NEAREST = 30.0f;
    static constexpr float DISTANCE_RANGE = 70.0f;
    static constexpr float DROP_HEIGHT = 10.0f;
    static constexpr float START_SCALE = 0.01f;
    static constexpr float GRAVITY = 9.81f;
    static constexpr float GROW_TIME = 0.3f;
    static constexpr float STAY_TIME = 2.0f;
    static constexpr float SHRINK_TIME = 0.3f;
    static constexpr int GROUND_MASK = 9;
    static constexpr int SIGHT_MASK = 6;
    static constexpr uint32_t COIN_ROUND = 3;
    static constexpr const char *TARGET_MODEL = "gift.target";
    static constexpr const char *COIN_MODEL = "gift.coin";
    static constexpr const char *VOICE = "vo.gift";

    // A new target of the gift, placed for the running hunt's player; null (nothing
    // left behind) when the trail is not a live trail, the hunt or its world is
    // missing, no ground lies under the drop point, or the model unit is missing.
    static owner_ptr_ret_t<gift_target_u> spawn(trail_u *trail, const char *gift, uint32_t random_value);
    // Where a target of this random value would drop for a camera: distance (30 to
    // 100) and turn of the view's level heading (±22.5°) from a generator seeded with
    // random_value + 333. False for a camera looking straight up or down.
    static bool pick_drop(const placement_t &camera, uint32_t random_value, vec3_t &point);

    // ---- target ----
    placement_t get_placement() const override { return {m_position, m_rotation}; }
    uint32_t get_points() const override { return POINTS; }
    bool is_dangerous() const override { return false; }
    bool is_ambient() const override { return true; }
    bool has_trophy() const override { return false; }
    // The spin, the fall and the state machine (see above); nothing once finished.
    void update(float dt) override;
    // The model, when its bounding sphere lies in the active view's volume.
    void draw() override;
    bool is_finished() const override { return m_state == STATE_FINISHED; }

    // ---- hit receiver ----
    // No hit from state 2 on. Otherwise the shot in the target's own space against
    // the bounding sphere, then the model's triangles; the record takes the model's
    // hit and hit_point the hit in the world.
    bool intersect(shot_record_t &record, vec3_t &hit_point, const placement_t &shot, const vec3_t &end) override;
    // State 3; then a coin's kill, or the gift sent on (see above).
    void on_hit(const vec3_t &hit_point, projectile_u *projectile, shot_record_t &record, const placement_t &shot,
                const vec3_t &end) override;

    // ---- state, for the tests ----
    int32_t get_state() const { return m_state; }
    float get_scale() const { return m_scale; }
    const vec3_t &get_position() const { return m_position; }
    const vec3_t &get_velocity() const { return m_velocity; }
    const vec3_t &get_ground() const { return m_ground; }
    const sphere_t &get_sphere() const { return m_sphere; }
    const char *get_gift() const { return m_gift.c_str(); }
    model_object_u *get_model() const;
    bool is_coin() const { return m_coin; }

protected:
    void on_destroy();

private:
    bool place(trail_u *trail, const char *gift, uint32_t random_value);
    placement_scale_t get_scaled_placement() const { return {m_position, m_scale, m_rotation}; }

    vec3_t m_position{0.0f, 0.0f, 0.0f};
    float m_scale = START_SCALE;
    quat_t m_rotation;
    owner_ptr_t<unit_base_t> m_model;  // model_object_u, a copy of the hookup unit
    r_parameter_array_t m_packets;
    owner_ptr_t<fw4pp_model_u> m_model_packet;
    sphere_t m_sphere;
    int32_t m_state = STATE_FINISHED;
    float m_time = 0.0f;
    vec3_t m_velocity{0.0f, 0.0f, 0.0f};
    vec3_t m_ground{0.0f, 0.0f, 0.0f};
    mstring_dyn_t m_gift;
    bool m_coin = false;
};

// The rounds' gift spawner (the factory row GIFT_TARGET_SPAWNER).
owner_ptr_ret_t<target_u> spawn_gift_target(trail_u *trail, const char *gift, uint32_t random_value);

}  // namespace quarn
