#pragma once
// animal_camera_t: films one animal like a nature documentary. It cuts between random
// shots of three kinds, each shot_min_time to shot_max_time seconds long:
// - SHOT_TRACKING: fixed on a spot near the animal, turning to follow it;
// - SHOT_ZOOMING: fixed on a spot, the field of view closing from the saved one toward
//   ZOOM_LIMIT;
// - SHOT_RIDING: riding along at a fixed offset in the world from the animal.
// A shot ends (and the next starts with a black flash) when the animal was out of sight
// for more than HIDDEN_LIMIT seconds (tested every SIGHT_CHECK_INTERVAL seconds), when
// it came nearer than NEAR_SHARE × min_distance and the shot ran MIN_NEAR_SHOT_TIME
// seconds, or when the shot's length ran out. At every cut the sun moves behind the
// camera (azimuth = camera yaw + SUN_OFFSET), so the animal is lit from the front.
//
// The shot kind is drawn from the scene's random source, every other draw from the
// kernel's (sys_rand). The camera is a scene object (updatable_t) and a scene view; the
// plain camera aims at the animal's position, head_animal_camera_t at its head point.
// It reaches the scene through the current controller: the world's ground and sight
// queries, the environment's sun, the colour flash; and the session's game data for the
// field of view, which it saves when following begins and gives back when it stops.
#include <cstdint>

#include "game/game_alloc.h"
#include "game/scene/scene_view.h"
#include "game/scene/updatable.h"
#include "qrncore/geometry/frustum.h"
#include "qrncore/geometry/placement.h"

namespace quarn {

class ai_animal_t;

class animal_camera_t : public updatable_t, public scene_view_t {
public:
    QRN_GAME_ALLOC

    enum shot_kind_t : uint32_t { SHOT_TRACKING = 0, SHOT_ZOOMING = 1, SHOT_RIDING = 2, SHOT_KINDS = 3 };

    // The world query mask of the ground and sight tests.
    static constexpr int QUERY_MASK = 9;
    static constexpr float SIGHT_CHECK_INTERVAL = 0.5f;
    // The sight segment stops this short of the animal, and is at least MIN_SIGHT long.
    static constexpr float SIGHT_SHORTFALL = 0.5f;
    static constexpr float MIN_SIGHT = 0.1f;
    static constexpr float HIDDEN_LIMIT = 4.0f;
    static constexpr float NEAR_SHARE = 0.9f;
    static constexpr float MIN_NEAR_SHOT_TIME = 4.0f;
    static constexpr float ZOOM_LIMIT = 45.0f;
    static constexpr float SUN_OFFSET = 150.0f;
    // The frame is turned off the animal by these shares of the field of view (degrees).
    static constexpr float AIM_YAW_SHARE = 0.07f;
    static constexpr float AIM_PITCH_SHARE = -0.09f;
    // Ground probes of one spot pick before the camera gives up (see pick_spot).
    static constexpr int SPOT_TRIES = 16;
    // The flash of a cut: black at once, fading out over half a second.
    static constexpr uint32_t CUT_FLASH_COLOUR = 0xff000000u;
    static constexpr float CUT_FLASH_FADE_OUT = 0.5f;
    // The field of view saved when no session holds game data.
    static constexpr float NO_DATA_FOV = 60.0f;

    animal_camera_t() = default;
    // Gives the game data back its field of view when an animal is still followed.
    ~animal_camera_t() override;
    animal_camera_t(const animal_camera_t &) = delete;
    animal_camera_t &operator=(const animal_camera_t &) = delete;

    // Settings (read at every shot).
    float shot_min_time = 15.0f;
    float shot_max_time = 30.0f;
    float min_distance = 5.0f;
    float max_distance = 10.0f;
    float yaw_spread = 90.0f;  // degrees off the animal's heading
    float min_height = 1.0f;   // above the ground

    // Stops following the animal followed so far (its field of view given back), then
    // follows the animal with height_range of random extra height, starting a shot
    // without a flash. Null only stops. The animal must outlive the following.
    void follow(ai_animal_t *animal, float height_range);
    ai_animal_t *get_target() const { return m_target; }

    // A new shot of a kind drawn from the scene's random source (a tracking shot without
    // a scene), and begin_shot of that kind.
    void new_shot(bool flash);
    // A new shot of the kind (one out of range is a tracking shot): its spot or offset,
    // the cut to it, its length, the sun.
    void begin_shot(uint32_t kind, bool flash);

    // updatable_t: only while following; draw is empty.
    void update(float dt) override;

    // scene_view_t: the smoothed placement; the view volume of the game data's view
    // settings at that placement, refreshed every update.
    placement_t get_placement() const override { return m_placement; }
    const frustum_t *get_frustum() const override { return &m_frustum; }

    // The side of a riding shot for a draw in [0, 1): -1 below 0.5, +1 above, 0 at 0.5.
    static float ride_side(float draw);

    // The running shot.
    uint32_t get_shot_kind() const { return m_shot_kind; }
    float get_shot_length() const { return m_shot_length; }
    float get_shot_time() const { return m_shot_time; }
    float get_hidden_time() const { return m_hidden_time; }
    const vec3_t &get_shot_position() const { return m_shot_position; }
    const quat_t &get_shot_rotation() const { return m_shot_rotation; }
    float get_saved_fov() const { return m_saved_fov; }
    float get_zoom_fov() const { return m_zoom_fov; }
    float get_ride_yaw() const { return m_ride_yaw; }
    float get_ride_distance() const { return m_ride_distance; }
    float get_ride_height() const { return m_ride_height; }
    // Shots begun since construction (each cut and each follow counts one).
    uint32_t get_shot_count() const { return m_shot_count; }

protected:
    // The point the camera aims at: the animal's position.
    virtual vec3_t get_aim_point() const;
    // The black flash of a cut (the scene's colour flash).
    virtual void flash_cut();

private:
    // A spot on the ground around the animal into the shot position (see the .cpp).
    void pick_spot();
    // The shot rotation looking from the shot position at p, turned by the shares of f.
    void aim(const vec3_t &p, float fov);
    void zoom_step(float dt);
    void ride_step();
    bool line_of_sight() const;
    void refresh_frustum();

    ai_animal_t *m_target = nullptr;
    vec3_t m_shot_position;
    quat_t m_shot_rotation;
    placement_t m_placement;
    frustum_t m_frustum;
    float m_height_range = 1.0f;
    uint32_t m_shot_kind = SHOT_RIDING;
    float m_shot_length = 0.0f;
    float m_shot_time = 0.0f;
    float m_hidden_time = 0.0f;
    float m_sight_countdown = SIGHT_CHECK_INTERVAL;
    float m_saved_fov = 0.0f;
    float m_zoom_fov = 0.0f;
    float m_ride_yaw = 0.0f;
    float m_ride_distance = 0.0f;
    float m_ride_height = 0.0f;
    bool m_has_spot = false;  // a spot was found or kept since following began
    uint32_t m_shot_count = 0;
};

// The camera of the menu and screensaver scenes: aimed at the animal's head point.
class head_animal_camera_t : public animal_camera_t {
protected:
    vec3_t get_aim_point() const override;
};

}  // namespace quarn
