#pragma once
// animal_t: a live animal's AI state on its body (docs/animal-ai.md, "Live animals").
// It owns the animal's mind (ai_mind_t), its presentation (ai_presentation_t) over
// its animation instance, its reactions to attractant items, its carcass and its path
// over the navigation mesh, and moves the body toward the movement target its
// commands set: the target's states and poll, the aim and heading, turning along a
// circle, the navigation and the herd's spacing. It answers the senses the AI world
// and the minds ask (sight, smell, hearing, the hunter's scent on the wind) and
// reacts to other animals. The command handlers are simple_animal_t's.
#include <cstdint>

#include "game/ai/mind/ai_animal_presentation.h"
#include "game/ai/mind/ai_command.h"
#include "game/ai/mind/ai_item.h"
#include "game/ai/nav/ai_nav_path.h"
#include "game/ai/mind/ai_simple.h"
#include "game/ai/mind/ai_zba_animation.h"
#include "game/ai/animals/animal_base.h"

namespace quarn {

class wind_u;

// Where an animal is going and how it is getting there.
struct animal_target_t {
    int32_t mode = 3;
    float radius = 0.0f, radius2 = 0.0f;
    float arrive = 0.0f, arrive2 = 0.0f;
    float far = 0.0f, far2 = 0.0f;
    const ai_animal_t *object = nullptr;  // followed in modes 2 and 4
    vec3_t centre;                        // of the roaming area (mode 0)
    vec3_t point;
    vec3_t orientation{0.0f, 0.0f, -1.0f};
    bool has_orientation = false;
    vec3_t aim;  // where the animal heads now
    int32_t state = 0;
    int32_t previous = 0;  // the state at the last poll
    bool path_unreachable = false;
    bool path_step_found = false;
    bool path_in_use = false;
    bool side_known = false;
    bool side = false;  // the aim lies to the left of the facing
};

class animal_t : public animal_base_t {
public:
    // Target modes.
    static constexpr int32_t TARGET_ROAM = 0;
    static constexpr int32_t TARGET_POINT = 1;
    static constexpr int32_t TARGET_FOLLOW = 2;
    static constexpr int32_t TARGET_IDLE = 3;
    static constexpr int32_t TARGET_FOLLOW_HELD = 4;
    // Movement states; the poll adds 1 in the poll after the state rose.
    static constexpr int32_t MOVE_OUT_OF_REACH = 1;
    static constexpr int32_t MOVE_ON_THE_WAY = 3;
    static constexpr int32_t MOVE_ROAMING = 5;
    static constexpr int32_t MOVE_NEAR = 10;
    static constexpr int32_t MOVE_ARRIVED = 20;
    // A facing within this angle of the target's orientation counts as facing it.
    static constexpr float ORIENTATION_TOLERANCE = 0.3490659f;  // 20 degrees
    // Path steps of a command's search (and of a flight).
    static constexpr uint32_t PATH_LIMIT = 10;
    static constexpr uint32_t FLEE_PATH_LIMIT = 5;
    // A followed object nearer than this (squared) is reached by a path of its own.
    static constexpr float FOLLOW_PATH_RANGE2 = 2500.0f;
    // Health at start; the sense ranges of hear.
    static constexpr float FULL_HEALTH = 100.0f;
    static constexpr float HEAR_NEAR = 5.0f;
    static constexpr float HEAR_FAR = 90.0f;
    // Nothing farther than this is seen.
    static constexpr float SIGHT_LIMIT = 90.0f;
    // Navigation categories: "anywhere", "normal", "mountain".
    static constexpr uint32_t NAVIGATION_NORMAL = 1;

    animal_t();
    ~animal_t() override;

    // ---- creation ----
    // The body's set-up, then the places and navigation categories, the healing
    // factor, the mate, the mind and the presentation, the place on the navigation
    // mesh and the carcass; the target idle.
    bool setup(const ai_animal_setup_t &setup) override;
    // Health 100, the mind's first step, a first aim, and the first behaviour.
    void start() override;
    void load_mission_script(const def_obj_t &entry) override;
    bool is_removed() const override { return m_removed; }
    void set_removed() override { m_removed = true; }

    // ---- the body step ----
    // Particles and breath; then (unless paused or removed) the root motion of the
    // animations turns the facing toward the heading and moves the body, footprints
    // and blood drops fall, the ground is followed, the movement state is updated and
    // the animation instance advances.
    void update(float dt) override;
    // As the body's; a dead or removed animal also lies along the ground.
    bool follow_ground() override;
    bool is_presenting() const override;
    // Nothing for a removed animal.
    void visibility_pass() override;
    // Body sounds (info items), behaviours ended per channel, overlays ended.
    void notify(uint32_t kind, zba_value_t value, uint32_t channel) override;

    // ---- movement (ai_animal_t) ----
    vec3_t get_heading() const override { return m_heading; }
    void set_heading(const vec3_t &heading) override { m_heading = heading; }
    float get_urgency() const override { return m_urgency; }
    void set_urgency(float urgency) override { m_urgency = urgency; }
    float get_speed_factor() const override { return m_speed_factor; }
    void set_speed_factor(float factor) override { m_speed_factor = factor; }
    uint32_t get_movement_mode() const override { return m_movement_mode; }
    ai_nav_path_t &get_path() override { return m_path; }
    // The aim from the target (the path's step across its head cell, or the approach
    // that ends facing the target's orientation), the heading toward it, then the
    // herd's spacing and the navigation's steering.
    void reevaluate_movement() override;
    // Extends the path toward the target while it is not reached; the aim becomes the
    // step across the path's head cell, or the target itself.
    void update_navigation() override;

    // ---- herd ----
    ai_animal_t *get_leader() const override { return m_mate; }
    void set_mate(ai_animal_t *mate) { m_mate = mate; }
    // A herd member called the group (a death): heard as an alarm from there.
    void on_group_event(const ai_group_event_t &event, float a, float b) override;

    // ---- senses (animal_senses.cpp) ----
    // 0 from 90 on; 1 to near, falling to 0 at far; beyond the full-view angle of the
    // look (the head's direction) it fades out to the blind angle (60° and 90° for
    // predators, 90° and 120° for others).
    float sight_test(const vec3_t &point, float near_distance, float far_distance) const override;
    float smell_test(const vec3_t &point, float range) const override;
    float hearing_test(const vec3_t &point, float near_distance, float far_distance) const override;
    // The hunter's scent from the point, carried by the scene's wind (none: a calm).
    float scent_test(const vec3_t &point, float range) const;
    // The same with a given wind (null: a calm).
    float scent_test(const vec3_t &point, float range, const wind_u *wind) const;
    int32_t direction_sector(const vec3_t &point, int32_t base) const override;
    const ai_reaction_t &get_reaction(const ai_item_t &item) override;

    // ---- what other animals do to it ----
    // An alarm at the point: heard from 5 (fully) to 90 (not at all), handed to the
    // mind as (f a, f b, point).
    void hear(const vec3_t &point, float a, float b) override;
    // kill: the animal dies; begin: the running command is saved and the animal turns
    // on the other ("pursue animal", held); begin false: the saved command comes back.
    void on_attack(ai_animal_t *other, bool begin, bool kill) override;
    // The same with "sex".
    void on_mate(ai_animal_t *other, bool begin) override;
    bool cancel() override;

    // ---- AI ----
    // The mind's step, then the target followed (modes 2 and 4) or re-aimed, a body
    // channel left empty given its next behaviour, and the health checked.
    void decision_step() override;
    ai_mind_t *get_mind() override { return m_mind; }
    const ai_mind_t *get_mind() const { return m_mind; }
    ai_presentation_t *get_presentation() const { return m_presentation; }
    float get_pain() const override;
    bool is_mortally_wounded() const override;
    int32_t get_navigation_state() const override { return m_target.state; }
    // A sexual stimulus works on an animal on "appetite": its command starts anew,
    // toward what it sensed last.
    void on_appetite_reaction() override;

    // ---- the movement target (animal_movement.cpp) ----
    // The three distances squared, state 3, previous state 0.
    void set_target_ranges(bool orientation);
    // A new random target point around the centre; arrive distance 2, state 3.
    void pick_roam_point();
    // The state, + 1 when it rose since the last poll; roaming (mode 0), a state below
    // 5 is 5 inside the roam radius.
    int32_t poll_movement();
    // After each body step: the state by the distance to the target; arriving (state
    // 20 reached) runs the mind's command once more.
    void update_movement_state();
    // A new path from the animal's cell, of limit steps.
    void reset_path(uint32_t limit);
    // Follows the target object (modes 2 and 4).
    void follow_target();
    // The facing turns toward the heading along a circle for the forward motion of a
    // step of dt seconds: nothing at a zero step or standing still.
    void turn(float motion, float dt);

    // ---- setting targets (the command handlers) ----
    void go_to(const vec3_t &point, float radius, float arrive, float far, uint32_t path_limit,
               const vec3_t *orientation = nullptr);
    void roam_around(const vec3_t &centre, float radius, uint32_t path_limit = PATH_LIMIT);
    void follow(const ai_animal_t *object, float radius, float arrive, float far, uint32_t path_limit = PATH_LIMIT);
    void stop_moving();
    // The mind's processor value (the speed the state graphs choose a gait by).
    void set_speed(float speed);
    // Makes the processor current (0 rest ... 7 injury); a new one starts its manner
    // once the body behaviour ends.
    void set_processor(uint32_t processor);
    // Plays a manner on the body channel (queued behind the running behaviour).
    void play_manner(int32_t manner);

    // ---- damage and death ----
    // Wounds the animal: it bleeds at the rate (health a second), healing at the
    // healing factor.
    void wound(float bleeding_rate);
    // Once: a blood pool, the death behaviour of the hull's row, the carcass's
    // stimulus and the herd told.
    void die();
    bool is_dead() const { return m_dead; }
    bool is_wounded() const { return m_wounded; }
    float get_health() const { return m_health; }
    float get_bleeding_rate() const { return m_bleeding; }
    float get_healing_factor() const { return m_healing; }

    // ---- state ----
    void set_paused(bool paused) { m_paused = paused; }
    bool is_paused() const { return m_paused; }
    const animal_target_t &get_target() const { return m_target; }
    animal_target_t &get_target() { return m_target; }
    int32_t get_places_category() const { return m_places_category; }
    uint32_t get_cell() const { return m_cell; }
    bool get_herd_avoidance() const { return m_herd_avoidance; }
    void set_herd_avoidance(bool on) { m_herd_avoidance = on; }
    const ai_item_t &get_carcass() const { return m_carcass; }
    // The animal's reaction to another animal: saved command, reacting flag.
    bool is_reacting() const { return m_reacting; }

protected:
    // Whether the mesh holds cells the animal may use.
    bool has_navigation() const;
    // Takes a step to the position only on ground the movement mode may walk: in the
    // body's cell or a neighbour it may enter. False when the step is refused.
    bool step_to(const vec3_t &position);
    // The horizontal distance to a point, squared.
    float flat_distance2(const vec3_t &point) const;
    // A reaction to another animal: begin saves the command and turns the animal on
    // the other with the kind (held); the end brings the saved command back.
    void react_with(int32_t kind, ai_animal_t *other, bool begin);

    ai_mind_t *m_mind = nullptr;                  // owned
    ai_presentation_t *m_presentation = nullptr;  // owned
    ai_zba_animation_t m_animation;
    ai_reaction_table_t m_reactions;
    ai_item_t m_carcass;
    ai_nav_path_t m_path;
    uint32_t m_path_limit = PATH_LIMIT;
    uint32_t m_movement_mode = NAVIGATION_NORMAL;
    uint32_t m_cell = 0;
    int32_t m_places_category = 0;
    ai_animal_t *m_mate = nullptr;
    animal_target_t m_target;
    vec3_t m_heading{0.0f, 0.0f, -1.0f};
    float m_urgency = 0.0f;
    float m_speed_factor = 1.0f;
    bool m_herd_avoidance = true;
    bool m_reevaluating = false;
    // The reaction to another animal.
    ai_command_t m_saved_command;
    bool m_reacting = false;
    // Flags and values.
    bool m_dead = false;
    bool m_removed = false;
    bool m_wounded = false;
    bool m_paused = false;
    bool m_started = false;
    float m_health = FULL_HEALTH;
    float m_healing = 0.01f;
    float m_bleeding = 0.0f;
    float m_blood_timer = 0.0f;
};

}  // namespace quarn
