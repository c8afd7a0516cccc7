#pragma once
// animal_target_u (unit type "animal_target"): an animal that runs along a map trail as
// a target of a round (docs/animal-targets.md). It owns a trail follower that moves it,
// an animal model instance that shows and animates it (and whose behaviours it
// listens to), and a HUD marker with its health and bonus. As a target it is the hit
// receiver through which a shot reaches an animal: it tests the shot against its
// model, decides by hit zone between a bad shot, a wound, an illegal kill and a kill,
// and dies animated or as a ragdoll, then sinks out of sight.
//
// States: running (the first), dying on ground, falling, knocked down, waiting,
// settling, sinking. The round code makes targets through the animal spawner row
// (spawn), updates and draws them each frame and removes them once is_finished.
#include <cstdint>

#include "game/ai/mind/state_machine.h"
#include "game/ai/zba/zba_inst.h"
#include "game/scene/target.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/timers.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class animal_hud_u;
class animal_model_desc_u;
class animal_model_inst_u;
class animal_part_u;
class animal_runtime_u;
class trail_follower_u;
class trail_u;

class animal_target_u : public target_u, public zba_listener_t {
    QRN_UNIT_CLASS(animal_target_u, target_u);

public:
    using state_t = owner_state_t<animal_target_u>;

    // ---- constants ----
    // A wound slows the walk and the gallop for this long (seconds) ...
    static constexpr float SLOW_DOWN_TIME = 5.0f;
    // ... to this share of the pace, reached at this share of the time.
    static constexpr float SLOW_DOWN_PACE = 0.7f;
    static constexpr float SLOW_DOWN_TURN = 0.3f;
    // Placement: the ground is looked for from this high above the body's ends.
    static constexpr float GROUND_LOOK_HEIGHT = 2.0f;
    // The marker stands this high above the animal's position.
    static constexpr float MARKER_HEIGHT = 2.0f;
    static constexpr float GRAVITY = 9.81f;
    // Seconds in the knocked-down state (again while gravity points up), waiting
    // after an animated death, and settling after a ragdoll.
    static constexpr float KNOCKED_DOWN_TIME = 4.0f;
    static constexpr float WAIT_TIME = 2.0f;
    static constexpr float SETTLE_TIME = 2.0f;
    // Sinking: metres and progress a second; expired at this progress (10 s).
    static constexpr float SINK_SPEED = 0.5f;
    static constexpr float EXPIRED_PROGRESS = 5.0f;
    // The push of a bullet on a ragdoll (times the direction, over one physics step):
    // light ragdolls are thrown, and never into the ground.
    static constexpr float LIGHT_RAGDOLL_MASS = 20.0f;
    static constexpr float LIGHT_RAGDOLL_PUSH = 120.0f;
    static constexpr float HEAVY_RAGDOLL_PUSH = 30.0f;
    // With a zone hit, a draw below this prefers a ragdoll.
    static constexpr float RAGDOLL_CHANCE = 0.3f;
    // The run sound: taken within this distance of the player (squared), heard from
    // its minimum to its maximum distance, at this share of its level.
    static constexpr float RUN_SOUND_RANGE2 = 1600.0f;
    static constexpr float RUN_SOUND_MIN_DISTANCE = 5.0f;
    static constexpr float RUN_SOUND_MAX_DISTANCE = 40.0f;
    static constexpr float RUN_SOUND_GAIN = 0.8f;
    static constexpr const char *BONUS_REFUSED = "Bonus '%s' was prevented from activation.";

    // A new target in the default unit system on the trail (at its start), its model
    // made from the description with the seed and listened to, its label set; null
    // (logged, nothing left) when the follower or the model cannot be made.
    static owner_ptr_ret_t<animal_target_u> spawn(animal_model_desc_u *desc, trail_u *trail, const char *label,
                                                  uint32_t seed);
    // The rounds' animal spawner (the module's row ANIMAL_TARGET_SPAWNER): spawn with
    // the trail use's description, which must be an animal model description (logged
    // and null otherwise).
    static owner_ptr_ret_t<target_u> spawn_for_round(unit_base_t *description, trail_u *trail, const char *bonus,
                                                     uint32_t random_value);

    // ---- target_u ----
    placement_t get_placement() const override { return m_placement; }
    // The trophy score of the model (its antlers' rewards, else the description's).
    uint32_t get_points() const override;
    bool is_dangerous() const override;
    bool is_ambient() const override;
    // A monster trophy: the first antler set is marked so.
    bool has_trophy() const override;
    // The state machine, then the countdown falls by dt.
    void update(float dt) override;
    // The model with its tint, the marker 2 above the animal through the scene's main
    // camera, and the blob shadow of a ground-based animal.
    void draw() override;
    // Expired, or at the trail's end while not seen (is_trail_finished).
    bool is_finished() const override { return is_expired() || is_trail_finished(); }
    // The marker's window goes at once, without its fade.
    void close_windows() override;

    // ---- hit_receiver_t ----
    // The shot from the shot placement's position to end against the model (its
    // bounding sphere, then its pieces), in every state: the model's hit record goes
    // into the shot record, the world point of the hit into hit_point.
    bool intersect(shot_record_t &record, vec3_t &hit_point, const placement_t &shot, const vec3_t &end) override;
    bool is_animal() override { return true; }
    // The hit decision (docs/animal-targets.md); only a running animal that no hit has
    // killed yet is affected.
    void on_hit(const vec3_t &hit_point, projectile_u *projectile, shot_record_t &record, const placement_t &shot,
                const vec3_t &end) override;

    // ---- zba_listener_t ----
    void notify(uint32_t kind, zba_value_t value, uint32_t channel) override;

    // ---- the round code's tests ----
    bool is_finished_dying() const;
    // Sunk for 10 s.
    bool is_expired() const { return m_sink_progress >= EXPIRED_PROGRESS; }
    // The follower stands at the trail's end.
    bool reached_trail_end() const;
    // The model was seen at its last draw.
    bool is_model_busy() const;
    bool is_trail_finished() const { return reached_trail_end() && !is_model_busy(); }
    // The model's visible flag.
    bool is_visible() const { return is_model_busy(); }

    // An empty label changes nothing; otherwise it is the bonus the animal carries,
    // shown on its marker, which is marked.
    void set_label(const char *text);

    // ---- state, for the hunt and tests ----
    enum state_id_t : int32_t {
        STATE_NONE = -1,
        STATE_RUNNING = 0,
        STATE_DYING_ON_GROUND,
        STATE_FALLING,
        STATE_KNOCKED_DOWN,
        STATE_WAITING,
        STATE_SETTLING,
        STATE_SINKING,
        STATE_COUNT
    };
    // The current state (STATE_NONE before the first update).
    state_id_t get_state() const;
    // The state asked for, taken at the next update.
    state_id_t get_next_state() const;
    static const char *state_name(state_id_t state);
    // A hit has killed it (the state may still read running until the next update).
    bool is_killed() const { return m_killed; }
    int32_t get_segment_kind() const { return m_segment_kind; }
    uint32_t get_hit_points() const { return m_hit_points; }
    uint32_t get_max_hit_points() const { return m_max_hit_points; }
    bool get_skill() const { return m_skill; }
    float get_speed() const { return m_speed; }
    float get_sink_progress() const { return m_sink_progress; }
    float get_countdown() const { return m_countdown; }
    float get_tint_level() const { return m_tint_level; }
    const expire_timer_t &get_slow_down() const { return m_slow_down; }
    const vec3_t &get_ground_normal() const { return m_ground_normal; }
    int32_t get_run_sound_slot() const { return m_run_sound; }
    const char *get_label() const { return m_label.c_str(); }
    animal_model_inst_u *get_model() const;
    trail_follower_u *get_follower() const;
    animal_hud_u *get_hud() const;
    animal_runtime_u *get_runtime() const;
    // The pace of the animation at a share r (0..1) of the slow-down: 1 → 0.7 until
    // 0.3, then back to 1.
    static float slow_down_pace(float r);

    // Attributes: the owned follower and model.
    owner_ptr_t<unit_base_t> trail_follower;  // trail_follower_u
    owner_ptr_t<unit_base_t> animal_model;    // animal_model_inst_u

protected:
    void on_construct();
    void on_destroy();
    bool _clone_finish(unit_base_t *target);

private:
    bool set_up(animal_model_desc_u *desc, trail_u *trail, uint32_t seed);

    // The states' operations.
    void enter_running();
    void update_running(float s);
    void update_dying(float s);
    void enter_falling();
    void update_falling(float s);
    void enter_knocked_down();
    void update_knocked_down(float s);
    void enter_waiting();
    void update_waiting(float s);
    void enter_settling();
    void update_settling(float s);
    void leave_settling();
    void update_sinking(float s);

    // Placement of a ground-based animal (on its two ground points) or of another one
    // (on the follower), with the ground normal and the tint target.
    void place();
    void place_on_ground();
    void place_on_follower();
    // Animation, the walk along the trail, the tint, the run sound and the speed.
    void advance(float s);
    void update_run_sound(float s);
    void release_run_sound();
    // Plays a trail segment's behaviour (0-3) on channel 0; other kinds play nothing.
    void play_segment(int32_t kind, bool force);
    // Starts the death without a ragdoll: the zone's behaviour, or a random death when
    // the zone names none.
    void start_animated_death();
    void join_target_list();
    void leave_target_list();

    state_t m_states[STATE_COUNT];
    owner_state_machine_t<animal_target_u> m_machine;

    placement_t m_placement;
    vec3_t m_ground_normal{0.0f, 0.0f, 0.0f};
    float m_tint_level = 1.0f;
    float m_tint_target = 1.0f;
    int32_t m_segment_kind = -1;
    float m_hold = 0.0f;
    float m_countdown = 0.0f;
    float m_sink_progress = 0.0f;
    owner_ptr_t<unit_base_t> m_hud;      // animal_hud_u
    mstring_dyn_t m_label;
    ref_ptr_t<unit_base_t> m_runtime;    // animal_runtime_u
    uint32_t m_hit_points = 1;
    uint32_t m_max_hit_points = 1;
    int32_t m_run_sound = -1;
    float m_run_volume = 0.0f;
    float m_run_volume_target = 0.0f;
    bool m_skill = false;
    vec3_t m_hit_direction{0.0f, 0.0f, 0.0f};
    vec3_t m_hit_position{0.0f, 0.0f, 0.0f};
    expire_timer_t m_slow_down{SLOW_DOWN_TIME, 0.0f};
    float m_speed = 0.0f;
    bool m_killed = false;
    // The zone of the killing hit (none: no zone) for the animated death.
    ref_ptr_t<unit_base_t> m_death_zone;  // animal_part_u
};

}  // namespace quarn
