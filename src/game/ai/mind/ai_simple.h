#pragma once
// ai_mind_t: an animal's needs, what it perceives and the command it carries out.
// Each decision step (the AI world runs two a frame) senses the stimuli and the
// other animals, lets six perception buckets follow what was sensed, weighs seven
// urges against each other with a bias towards the current one, turns the winner into
// a command (feed, drink, rest, flee...) and hands it to the animal's handler of that
// kind; a running mission script supplies the command instead. The needs then change
// with the activity (processor) the animal's presentation is in. docs/animal-ai.md.
//
// Time and every random draw come from the AI world (its scene clock and generator),
// so a mind runs in tests with a fixed clock and a seeded generator.
#include <cstdint>

#include "game/ai/mind/ai_command.h"
#include "game/ai/mind/ai_script.h"
#include "game/game_alloc.h"
#include "qrncore/math/vec.h"

namespace quarn {

class ai_animal_t;
class ai_presentation_t;
class ai_world_t;
class def_obj_t;
struct ai_animal_setup_t;

// Needs, in this order everywhere (values, rates).
enum ai_need_kind_t : uint32_t {
    AI_NEED_HUNGER = 0,
    AI_NEED_THIRST = 1,
    AI_NEED_TIREDNESS = 2,
    AI_NEED_AGGRESSION = 3,
    AI_NEED_SEX = 4,
    AI_NEED_STRESS = 5,
    AI_NEED_FATIGUE = 6,
    AI_NEED_COUNT = 7,
};

// Perception buckets and their targets; the same slots as the factors of ai_factors_t.
enum ai_bucket_t : uint32_t {
    AI_BUCKET_ENEMY = 0,
    AI_BUCKET_PREY = 1,
    AI_BUCKET_MATE = 2,
    AI_BUCKET_PARTNER = 3,
    AI_BUCKET_RIVAL = 4,
    AI_BUCKET_PAIN = 5,
    AI_BUCKET_COUNT = 6,
};
// The factor slot of heard calls (perceptions only).
constexpr uint32_t AI_FACTOR_CALL = 6;

// Urges; 7 (injury) has no value and wins whenever the animal is mortally wounded.
enum ai_urge_t : int32_t {
    AI_URGE_HUNGER = 0,
    AI_URGE_THIRST = 1,
    AI_URGE_TIREDNESS = 2,
    AI_URGE_AGGRESSION = 3,  // always 0
    AI_URGE_SEX = 4,
    AI_URGE_MATE = 5,
    AI_URGE_FLIGHT = 6,
    AI_URGE_INJURY = 7,
    AI_URGE_COUNT = 7,  // urges with a value
};

class ai_mind_t : public ai_script_host_t {
public:
    QRN_GAME_ALLOC

    // A need rate is this per second divided by its key's value.
    static constexpr float NEED_RATE = 0.0013888889f;
    // Other animals are perceived up to this far (squared: 40000).
    static constexpr float PERCEPTION_RANGE = 200.0f;
    // Far ends of the three senses.
    static constexpr float SIGHT_RANGE = 90.0f;
    static constexpr float SMELL_RANGE = 300.0f;
    static constexpr float HEARING_RANGE = 250.0f;
    // Relations weaker than this (either sign) are neutral.
    static constexpr float NEUTRAL_RELATION = 0.3f;
    // The current urge's head start, and the flight urge that wins regardless.
    static constexpr float URGE_BIAS = 0.1f;
    static constexpr float PANIC = 0.8f;
    // Below this best urge value the animal rests (adult, young).
    static constexpr float REST_BELOW = 0.3f;
    static constexpr float REST_BELOW_YOUNG = 0.1f;
    // Decay per second of the food and the sexual attraction levels.
    static constexpr float FOOD_DECAY = 0.02f;
    static constexpr float SEXUAL_DECAY = 0.05f;
    // The call weight at start and after every reset.
    static constexpr float CALL_WEIGHT = 0.1f;

    ai_mind_t(ai_animal_t &animal, ai_world_t &world);
    ai_mind_t(const ai_mind_t &) = delete;
    ai_mind_t &operator=(const ai_mind_t &) = delete;

    // The presentation the mind plays alerts on, steps addons of and reads the
    // current processor from; null for none.
    void set_presentation(ai_presentation_t *presentation) { m_presentation = presentation; }
    ai_presentation_t *get_presentation() const { return m_presentation; }

    // ---- set-up ----
    // The preset an instance names: child "ai_presets" (or "default") of the gender's
    // "ai_presets" block, of the species' when the gender has none. Null when absent.
    static const def_obj_t *find_preset(const def_obj_t *instance, const def_obj_t *gender, const def_obj_t *species);
    // Reads needs, attack probability and factors from the instance (each key it
    // lacks from the preset; either may be null) and rates and calls from the gender
    // ("species type"). A missing or invalid key is logged by name and fails.
    bool init(const def_obj_t *instance, const def_obj_t *preset, const def_obj_t &species_type);
    // The same with the preset the set-up's entry names (find_preset).
    bool init(const ai_animal_setup_t &setup);
    // Reads the mission script (an entry's "script" block).
    void load_script(const def_obj_t &script) { m_script.load_script(script, *this); }

    // ---- running ----
    // Command "undefined" with a forced decision, then one step.
    void start();
    // The decision step.
    void step();
    // Something alarming at the source: stress and aggression change (clamped to
    // 0..1); unless the animal is already following its mate or fleeing, it may turn
    // to the source (an alert on channel 1), which the script notes.
    void on_alarm(float stress_change, float aggression_change, const vec3_t &source);
    // A call heard at that level (0..1).
    void on_call(float level);
    // How strongly the animal wants to flee: urge 6 less half the fatigue, 0..1.
    float flight_level() const;
    float get_processor_value() const { return m_processor_value; }
    void set_processor_value(float v) { m_processor_value = v; }

    // ---- the parts of a step, in their order (public for tests) ----
    // Stimuli of the world: the food and sexual sums and the sexual reaction timer.
    void sense_stimuli(float dt);
    // Forgetting calls and washing the calls level out.
    void update_calls(float dt);
    // The other animals (partner, rival, threat, prey) and the leader.
    void perceive();
    // Buckets towards their targets; the attraction levels.
    void update_buckets(float dt);
    void compute_urges();
    // Hold, script or urge choice; the resulting command is dispatched.
    void decide();
    // The urge choice alone: a new command when the winning urge changed or the
    // decision is forced.
    void choose_urge();
    // Needs change by the processor the animal is in; sets the activity factor.
    void update_needs(float dt, uint32_t processor);

    // ---- ai_script_host_t ----
    float get_scene_time() const override;
    const float *get_urges() const override { return m_urges; }
    int32_t get_navigation_state() const override;
    bool has_leader() const override;
    const ai_script_t *get_leader_script() const override;
    int32_t find_behavior(const char *name) const override;
    ai_world_t *get_world() const override { return &m_world; }
    ai_factors_t &get_factors() override { return m_factors; }
    void set_stress(float stress) override;
    // Runs the animal's handler of the command's kind; 11, 13 and 19 have none.
    void dispatch(ai_command_t &command) override;

    // ---- state ----
    ai_animal_t &get_animal() const { return m_animal; }
    const ai_factors_t &get_factors() const { return m_factors; }
    ai_script_t &get_script() { return m_script; }
    const ai_script_t &get_script() const { return m_script; }
    ai_command_t &get_command() { return m_command; }
    const ai_command_t &get_command() const { return m_command; }
    int32_t get_current_urge() const { return m_current_urge; }
    void set_current_urge(int32_t urge) { m_current_urge = urge; }
    // While set, "pursue animal", "sex" and "fight animal" are dispatched again
    // without a decision (another animal's reaction holds the animal to them).
    bool get_hold() const { return m_hold; }
    void set_hold(bool hold) { m_hold = hold; }

    float get_need(uint32_t need) const { return m_needs[need]; }
    void set_need(uint32_t need, float value) { m_needs[need] = value; }
    float get_fact_rate(uint32_t need) const { return m_fact_rates[need]; }
    float get_fade_rate(uint32_t need) const { return m_fade_rates[need]; }
    float get_urge(uint32_t urge) const { return m_urges[urge]; }
    float get_bucket(uint32_t bucket) const { return m_buckets[bucket]; }
    void set_bucket(uint32_t bucket, float value) { m_buckets[bucket] = value; }
    float get_target(uint32_t bucket) const { return m_targets[bucket]; }
    void set_target(uint32_t bucket, float value) { m_targets[bucket] = value; }
    float get_activity_factor() const { return m_activity; }
    float get_attack_probability() const { return m_attack_probability; }

    float get_food_sum() const { return m_food_sum; }
    float get_sexual_sum() const { return m_sexual_sum; }
    float get_food_level() const { return m_food_level; }
    void set_food_level(float v) { m_food_level = v; }
    float get_sexual_level() const { return m_sexual_level; }
    void set_sexual_level(float v) { m_sexual_level = v; }
    // Where the strongest food (0) and sexual (1) stimulus was last sensed.
    const vec3_t &get_stimulus_point(uint32_t channel) const { return m_stimulus_points[channel & 1]; }
    float get_sexual_timer() const { return m_sexual_timer; }
    void set_sexual_timer(float v) { m_sexual_timer = v; }
    float get_command_timer() const { return m_command_timer; }
    void set_command_timer(float v) { m_command_timer = v; }
    float get_step_time() const { return m_step_time; }

    // Calls.
    float get_calls_level() const { return m_calls_level; }
    int32_t get_call_count() const { return m_call_count; }
    float get_call_weight() const { return m_call_weight; }
    bool is_washing() const { return m_washing; }
    float get_call_back() const { return m_call_back; }

    // What the last perception chose (null for none), with their world indices (-1).
    ai_animal_t *get_seen_partner() const { return m_seen[SEEN_PARTNER].animal; }
    ai_animal_t *get_seen_rival() const { return m_seen[SEEN_RIVAL].animal; }
    ai_animal_t *get_seen_threat() const { return m_seen[SEEN_THREAT].animal; }
    ai_animal_t *get_seen_prey() const { return m_seen[SEEN_PREY].animal; }

private:
    enum { SEEN_PARTNER, SEEN_RIVAL, SEEN_THREAT, SEEN_PREY, SEEN_COUNT };
    struct seen_t {
        ai_animal_t *animal = nullptr;
        int32_t index = -1;
        float score = 0.0f;
        float strength = 0.0f;  // P
    };

    // Largest sense plus half the other two, each with a random weight.
    float perception_strength(const vec3_t &point);
    float sense_weight();
    // The command the urge gives; previous is the running one.
    void make_command(int32_t urge, const ai_command_t &previous);
    void set_command(int32_t kind, const seen_t *about = nullptr);
    bool is_young() const;

    ai_animal_t &m_animal;
    ai_world_t &m_world;
    ai_presentation_t *m_presentation = nullptr;

    ai_factors_t m_factors;
    float m_fact_rates[AI_NEED_COUNT] = {};
    float m_fade_rates[AI_NEED_COUNT] = {};
    float m_attack_probability = 0.0f;
    // Calls settings.
    float m_wash_time = 0.0f;
    float m_wash_rate = 0.0f;
    float m_forget_time = 0.0f;
    float m_call_back = 0.0f;
    int32_t m_calls_ideal = 0;
    int32_t m_calls_maximal = 0;

    float m_targets[AI_BUCKET_COUNT] = {};
    float m_buckets[AI_BUCKET_COUNT] = {};
    float m_food_sum = 0.0f;
    float m_sexual_sum = 0.0f;
    float m_food_level = 0.0f;
    float m_sexual_level = 0.0f;
    vec3_t m_stimulus_points[2];
    float m_calls_level = 0.0f;
    float m_needs[AI_NEED_COUNT] = {};
    float m_urges[AI_URGE_COUNT] = {};
    float m_activity = 1.0f;
    float m_processor_value = 0.0f;
    seen_t m_seen[SEEN_COUNT];

    // Call memory.
    bool m_washing = false;
    float m_wash_clock = 0.0f;
    int32_t m_call_count = 0;
    float m_call_clock = 0.0f;
    float m_call_weight = CALL_WEIGHT;

    ai_script_t m_script;
    int32_t m_current_urge = 0;
    ai_command_t m_command;
    float m_sexual_timer = 0.0f;
    float m_command_timer = 0.0f;
    float m_last_update = 0.0f;
    float m_step_time = 0.0f;
    bool m_hold = false;
};

}  // namespace quarn
