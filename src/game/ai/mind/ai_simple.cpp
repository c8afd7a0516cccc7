#include "game/ai/mind/ai_simple.h"

#include <cmath>
#include <cstring>

#include "game/ai/mind/ai_animal.h"
#include "game/ai/mind/ai_animal_presentation.h"
#include "game/ai/mind/ai_world.h"
#include "game/ai/animals/species_interaction.h"
#include "outside/qrnshared/def_obj.h"
#include "qrncore/math/scalar.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

float clampf(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }

constexpr const char *need_keys[] = {"val_hunger", "val_thirst", "val_tiredness", "val_aggression", "val_sex", "val_stress"};
constexpr const char *need_names[AI_NEED_COUNT] = {"hunger", "thirst", "tiredness", "aggression",
                                                   "sex",    "stress", "fatigue"};

// A value of the instance, else of the preset.
bool preset_real(const def_obj_t *instance, const def_obj_t *preset, const char *key, float &out) {
    return (instance && instance->get_real(key, out)) || (preset && preset->get_real(key, out));
}

// A need rate's divisor must be a finite number above 0: 0 would give an endless rate,
// and a NaN need at a zero step.
bool read_divisor(const def_obj_t &type, const char *key, float &out) {
    float v = 0.0f;
    if (!type.get_real(key, v)) {
        error("[ai] missing AI species parameter %s", key);
        return false;
    }
    if (!(v > 0.0f) || !std::isfinite(v)) {
        error("[ai] invalid AI species parameter %s", key);
        return false;
    }
    out = v;
    return true;
}

// How a processor changes one need: sign (+1 up, -1 down, 0 not), by the fact (or
// fade) rate, times the multiplier.
struct need_change_t {
    int8_t sign;
    bool fade;
    float times;
};
struct activity_t {
    need_change_t needs[AI_NEED_COUNT];
    float activity;
};
constexpr need_change_t UP{1, false, 1.0f}, UP2{1, false, 2.0f}, DOWN{-1, true, 1.0f}, DOWN2{-1, true, 2.0f},
    KEEP{0, false, 0.0f};
// Rows by processor: hunger, thirst, tiredness, aggression, sex, stress, fatigue.
constexpr activity_t activities[AI_PROCESSOR_COUNT - 1] = {
    {{UP, UP, DOWN, DOWN, UP, DOWN, DOWN}, 0.5f},                            // rest
    {{DOWN, UP2, UP, DOWN, UP, DOWN, DOWN}, 0.7f},                           // eat
    {{UP, DOWN, UP, DOWN, UP, DOWN, DOWN}, 0.7f},                            // drink
    {{UP, UP, UP, DOWN, UP, DOWN, {-1, true, 0.2f}}, 0.8f},                  // move
    {{UP, UP, UP2, DOWN2, UP, DOWN2, UP}, 1.0f},                             // attack
    {{UP, UP, UP2, DOWN2, UP, DOWN2, UP}, 1.0f},                             // run_away
    {{UP, UP, UP, DOWN, DOWN, DOWN, DOWN}, 0.5f},                            // scrape
    {{KEEP, KEEP, UP, KEEP, KEEP, DOWN, {1, true, 1.0f}}, 0.3f},             // injury
};

}  // namespace

ai_mind_t::ai_mind_t(ai_animal_t &animal, ai_world_t &world) : m_animal(animal), m_world(world) {}

const def_obj_t *ai_mind_t::find_preset(const def_obj_t *instance, const def_obj_t *gender, const def_obj_t *species) {
    const def_obj_t *presets = gender ? gender->find("ai_presets") : nullptr;
    if (!presets && species) presets = species->find("ai_presets");
    if (!presets) return nullptr;
    const char *name = instance ? instance->get_value("ai_presets") : nullptr;
    if (!name || !*name) name = "default";
    // A dotted name would reach into a preset's children.
    if (strchr(name, '.')) return nullptr;
    return presets->find(name);
}

bool ai_mind_t::init(const ai_animal_setup_t &setup) {
    const def_obj_t *preset = find_preset(setup.entry, setup.gender, setup.species);
    // Without a "default" the instance may give every value itself (a hand-written
    // mission); a preset it names must exist.
    const char *name = setup.entry ? setup.entry->get_value("ai_presets") : nullptr;
    if (!preset && name && *name)
        warning("[ai] no AI preset (%s) for %s.%s: the animal's own values only", name, setup.species_name,
                setup.gender_name);
    if (!setup.gender) {
        error("[ai] missing AI species parameter %s", "fact_hunger");
        return false;
    }
    return init(setup.entry, preset, *setup.gender);
}

bool ai_mind_t::init(const def_obj_t *instance, const def_obj_t *preset, const def_obj_t &type) {
    // Needs and the attack probability: the first key missing fails.
    float needs[AI_NEED_COUNT] = {};
    for (uint32_t i = 0; i < sizeof need_keys / sizeof need_keys[0]; ++i) {
        if (!preset_real(instance, preset, need_keys[i], needs[i])) {
            error("[ai] missing AI parameter %s", need_keys[i]);
            return false;
        }
    }
    float attack = 0.0f;
    if (!preset_real(instance, preset, "val_attack_probability", attack)) {
        error("[ai] missing AI parameter %s", "val_attack_probability");
        return false;
    }

    // Rates and calls of the species type.
    float facts[AI_NEED_COUNT], fades[AI_NEED_COUNT];
    char key[64];
    for (uint32_t i = 0; i < AI_NEED_COUNT; ++i) {
        snprintf(key, sizeof key, "fact_%s", need_names[i]);
        if (!read_divisor(type, key, facts[i])) return false;
        snprintf(key, sizeof key, "fade_%s", need_names[i]);
        if (!read_divisor(type, key, fades[i])) return false;
    }
    float wash_time = 0.0f, wash_length = 0.0f, forget_time = 0.0f, call_back = 0.0f;
    int32_t ideal = 0, maximal = 0;
    if (!type.get_real("calls_w_time", wash_time)) {
        error("[ai] missing AI species parameter %s", "calls_w_time");
        return false;
    }
    if (!read_divisor(type, "calls_w_length", wash_length)) return false;
    const struct {
        const char *key;
        float *real;
        int32_t *integer;
    } calls[] = {{"calls_w_call", &forget_time, nullptr},
                 {"call_back", &call_back, nullptr},
                 {"calls_ideal", nullptr, &ideal},
                 {"calls_maximal", nullptr, &maximal}};
    for (const auto &c : calls) {
        if (c.real ? !type.get_real(c.key, *c.real) : !type.get_int(c.key, *c.integer)) {
            error("[ai] missing AI species parameter %s", c.key);
            return false;
        }
    }

    // Factors: the preset's, then the instance's where it gives them. A factor given
    // by neither counts as 0 (the unset value would flood the buckets).
    if (preset)
        m_factors.read(*preset);
    else
        m_factors.reset();
    if (instance) {
        ai_factors_t own;
        own.read(*instance);
        own.apply_to(m_factors);
    }
    for (uint32_t i = 0; i < ai_factors_t::SLOTS; ++i) {
        if (m_factors.fades[i] == AI_UNSET) m_factors.fades[i] = 0.0f;
        if (m_factors.facts[i] == AI_UNSET) m_factors.facts[i] = 0.0f;
        if (m_factors.perceptions[i] == AI_UNSET) m_factors.perceptions[i] = 0.0f;
    }
    m_factors.status_stress = AI_UNSET;

    for (uint32_t i = 0; i < AI_NEED_COUNT; ++i) {
        m_needs[i] = clamp01(needs[i]);
        m_fact_rates[i] = NEED_RATE / facts[i];
        m_fade_rates[i] = NEED_RATE / fades[i];
    }
    m_needs[AI_NEED_FATIGUE] = 0.0f;
    m_attack_probability = attack;
    m_wash_time = wash_time;
    m_wash_rate = 1.0f / wash_length;
    m_forget_time = forget_time;
    m_call_back = call_back;
    m_calls_ideal = ideal;
    m_calls_maximal = maximal;

    m_activity = 1.0f;
    m_call_weight = CALL_WEIGHT;
    m_processor_value = 0.0f;
    for (uint32_t i = 0; i < AI_BUCKET_COUNT; ++i) m_buckets[i] = m_targets[i] = 0.0f;
    for (float &u : m_urges) u = 0.0f;
    m_food_sum = m_sexual_sum = m_food_level = m_sexual_level = m_calls_level = 0.0f;
    m_call_count = 0;
    m_call_clock = m_wash_clock = 0.0f;
    m_washing = false;
    m_command_timer = 0.0f;
    m_sexual_timer = 2.0f * m_world.get_random().rand();
    return true;
}

void ai_mind_t::start() {
    m_step_time = 0.0f;
    m_last_update = m_world.get_scene_time();
    m_current_urge = AI_URGE_HUNGER;
    m_command = ai_command_t();
    m_command.kind = AI_CMD_UNDEFINED;
    m_command.phase = AI_PHASE_FORCED;
    step();
}

void ai_mind_t::step() {
    const float now = m_world.get_scene_time();
    // A clock that went back (a scene restarted) gives a step of 0, not a negative one.
    m_step_time = now > m_last_update ? now - m_last_update : 0.0f;
    m_last_update = now;
    const float dt = m_step_time;
    if (m_presentation) m_presentation->update_addons(dt, m_processor_value);
    for (float &t : m_targets) t = 0.0f;
    m_food_sum = m_sexual_sum = 0.0f;
    sense_stimuli(dt);
    update_calls(dt);
    perceive();
    m_targets[AI_BUCKET_PAIN] = m_animal.get_pain() * m_factors.perceptions[AI_BUCKET_PAIN];
    update_buckets(dt);
    m_command_timer -= dt;
    compute_urges();
    decide();
    update_needs(dt, m_presentation ? m_presentation->get_current_processor() : AI_PROCESSOR_UNDEFINED);
}

void ai_mind_t::sense_stimuli(float dt) {
    ai_sensed_t sensed;
    const bool any = m_world.sense_stimuli(m_animal, sensed);
    m_food_sum = sensed.sum[0];
    m_sexual_sum = sensed.sum[1];
    for (uint32_t c = 0; c < 2; ++c)
        if (sensed.found[c]) m_stimulus_points[c] = sensed.strongest[c];
    if (sensed.found[1]) {
        m_sexual_sum *= m_factors.perceptions[AI_BUCKET_PARTNER];
        m_sexual_timer -= m_sexual_sum * dt;
        if (m_sexual_timer < 0.0f) {
            if (m_command.kind == AI_CMD_APPETITE) m_animal.on_appetite_reaction();
            m_sexual_timer = 10.0f * m_world.get_random().rand() + 0.5f;
        }
    } else if (any) {
        m_sexual_timer = 0.0f;
    }
}

void ai_mind_t::update_calls(float dt) {
    if (m_call_count > 0) {
        m_call_clock += dt;
        if (m_call_clock > m_forget_time) {
            if (--m_call_count == 0) {
                m_call_weight = CALL_WEIGHT;
                m_calls_level = 0.0f;
            }
            m_call_clock = 0.0f;
        }
    }
    if (m_washing) {
        m_wash_clock += dt;
        if (m_wash_clock > m_wash_time) {
            m_call_weight = CALL_WEIGHT;
            m_calls_level -= dt * m_wash_rate;
            if (m_calls_level < 0.0f) {
                m_calls_level = 0.0f;
                m_washing = false;
            }
        }
    }
}

void ai_mind_t::on_call(float level) {
    if (m_call_count < m_calls_maximal) ++m_call_count;
    m_call_clock = 0.0f;
    m_calls_level = clamp01(m_calls_level + level * m_factors.perceptions[AI_FACTOR_CALL] * m_call_weight);
    if (!m_washing && m_call_count > m_calls_ideal) {
        m_washing = true;
        m_wash_clock = 0.0f;
    }
}

float ai_mind_t::sense_weight() { return 0.75f + 0.25f * m_world.get_random().rand(); }

float ai_mind_t::perception_strength(const vec3_t &point) {
    const float sight = m_animal.sight_test(point, 0.0f, SIGHT_RANGE) * m_world.get_light_factor() * sense_weight();
    const float smell = m_animal.smell_test(point, SMELL_RANGE) * sense_weight();
    const float hearing = m_animal.hearing_test(point, 0.0f, HEARING_RANGE) * sense_weight();
    float best = sight, rest = smell + hearing;
    if (smell > best) {
        best = smell;
        rest = sight + hearing;
    }
    if (hearing > best) {
        best = hearing;
        rest = sight + smell;
    }
    return best + 0.5f * rest;
}

bool ai_mind_t::is_young() const { return m_animal.get_gender_index() == 2; }

void ai_mind_t::perceive() {
    for (seen_t &s : m_seen) s = seen_t();
    const vec3_t here = m_animal.get_position();
    const int32_t species = m_animal.get_species_index();
    const bool male = m_animal.get_gender_index() == 0;
    // Gender values of the definitions: 1 male, 2 female, 3 young.
    const uint32_t gender_value = uint32_t(m_animal.get_gender_index() + 1);
    // The best score of each kind wins, the first of equals; an animal scored 0 (not
    // perceived at all) is not seen.
    const auto consider = [](seen_t &best, ai_animal_t *animal, int32_t index, float score, float strength) {
        if (!(score > best.score)) return;
        best.animal = animal;
        best.index = index;
        best.score = score;
        best.strength = strength;
    };
    for (uint32_t i = 0; i < m_world.get_animal_count(); ++i) {
        ai_animal_t *other = m_world.get_animal(i);
        if (!other || other == &m_animal || other->is_removed()) continue;
        const vec3_t there = other->get_position();
        const vec3_t d = there - here;
        const float d2 = dot(d, d);
        if (!(d2 > 0.0f) || d2 > PERCEPTION_RANGE * PERCEPTION_RANGE) continue;
        const float r = m_animal.get_species_relation(other->get_species_index());
        // W: how much the other counts, by its trophy and size.
        const float w = other->get_score_ratio() + 20.0f * other->get_scale();
        if (std::fabs(r) < NEUTRAL_RELATION) {
            if (!male) continue;
            const float p = perception_strength(there);
            const uint32_t other_gender = uint32_t(other->get_gender_index() + 1);
            const bool partner = other->get_species_index() == species && (gender_value & other_gender) == 0;
            consider(m_seen[partner ? SEEN_PARTNER : SEEN_RIVAL], other, int32_t(i), p * w, p);
        } else {
            const float p = perception_strength(there) * std::fabs(r);
            if (r < 0.0f)
                consider(m_seen[SEEN_THREAT], other, int32_t(i), p * w, p);
            else  // an animal of no weight is scored as weighing 1
                consider(m_seen[SEEN_PREY], other, int32_t(i), w > 0.0f ? p / w : p, p);
        }
    }
    m_targets[AI_BUCKET_PARTNER] += m_seen[SEEN_PARTNER].strength * m_factors.perceptions[AI_BUCKET_PARTNER];
    m_targets[AI_BUCKET_RIVAL] += m_seen[SEEN_RIVAL].strength * m_factors.perceptions[AI_BUCKET_RIVAL];
    m_targets[AI_BUCKET_ENEMY] += m_seen[SEEN_THREAT].strength * m_factors.perceptions[AI_BUCKET_ENEMY] * m_activity;
    m_targets[AI_BUCKET_PREY] += m_activity * m_seen[SEEN_PREY].strength * m_factors.perceptions[AI_BUCKET_PREY];

    // The farther the leader, the more the animal wants to follow it.
    if (const ai_animal_t *leader = m_animal.get_leader()) {
        const float distance = length(leader->get_position() - here);
        const float a = is_young() ? (1.0f - (50.0f - distance) / 35.0f) * 0.7f : (1.0f - (100.0f - distance) / 70.0f) * 0.7f;
        m_targets[AI_BUCKET_MATE] += clampf(a, 0.0f, 0.7f);
    }
}

void ai_mind_t::update_buckets(float dt) {
    for (uint32_t i = 0; i < AI_BUCKET_COUNT; ++i) {
        float &b = m_buckets[i];
        const float t = m_targets[i];
        if (b < t) {
            b += dt * m_factors.facts[i];
            if (b > t) b = t;
        } else if (b > t) {
            b -= dt * m_factors.fades[i];
            if (b < t) b = t;
        }
    }
    if (m_food_sum > m_food_level) {
        m_food_level = m_food_sum;
    } else {
        m_food_level -= FOOD_DECAY * dt;
        if (m_food_level < m_food_sum) m_food_level = m_food_sum;
    }
    if (m_sexual_sum > m_sexual_level) {
        m_sexual_level = m_sexual_sum;
    } else {
        m_sexual_level -= SEXUAL_DECAY * dt;
        if (m_sexual_level < m_sexual_sum) m_sexual_level = m_sexual_sum;
    }
}

void ai_mind_t::compute_urges() {
    m_urges[AI_URGE_HUNGER] = (m_buckets[AI_BUCKET_PREY] + 1.0f) * m_needs[AI_NEED_HUNGER] + m_food_level;
    m_urges[AI_URGE_THIRST] = m_needs[AI_NEED_THIRST];
    m_urges[AI_URGE_TIREDNESS] = (m_buckets[AI_BUCKET_PAIN] + 1.0f) * m_needs[AI_NEED_TIREDNESS];
    m_urges[AI_URGE_AGGRESSION] = 0.0f;
    m_urges[AI_URGE_SEX] =
        (m_buckets[AI_BUCKET_PARTNER] + 1.0f) * m_needs[AI_NEED_SEX] + m_calls_level + m_sexual_level;
    m_urges[AI_URGE_MATE] = m_buckets[AI_BUCKET_MATE];
    m_urges[AI_URGE_FLIGHT] = m_needs[AI_NEED_STRESS] + m_buckets[AI_BUCKET_ENEMY];
}

void ai_mind_t::decide() {
    const int32_t kind = m_command.kind;
    if (m_hold && (kind == AI_CMD_PURSUE_ANIMAL || kind == AI_CMD_SEX || kind == AI_CMD_FIGHT_ANIMAL)) {
        dispatch(m_command);
        return;
    }
    m_hold = false;
    if (!m_script.script_step(m_command, *this)) choose_urge();
    dispatch(m_command);
}

void ai_mind_t::choose_urge() {
    const bool forced = m_command.phase == AI_PHASE_FORCED;
    int32_t best = m_current_urge;
    float value = 0.0f;
    if (best >= AI_URGE_COUNT || best < 0)
        best = AI_URGE_HUNGER;
    else
        value = m_urges[best] + (forced ? 0.0f : URGE_BIAS);
    for (int32_t i = 0; i < AI_URGE_FLIGHT; ++i) {
        if (m_urges[i] > value) {
            best = i;
            value = m_urges[i];
        }
    }
    if (m_urges[AI_URGE_FLIGHT] > value || m_urges[AI_URGE_FLIGHT] > PANIC) {
        best = AI_URGE_FLIGHT;
        value = m_urges[AI_URGE_FLIGHT];
    }
    int32_t u = best;
    if (m_animal.is_mortally_wounded())
        u = AI_URGE_INJURY;
    else if (value < (is_young() ? REST_BELOW_YOUNG : REST_BELOW))
        u = AI_URGE_TIREDNESS;
    if (u == m_current_urge && !forced) return;

    m_command.phase = AI_PHASE_ENDING;
    dispatch(m_command);
    const ai_command_t previous = m_command;
    make_command(u, previous);
    m_current_urge = u;
}

void ai_mind_t::set_command(int32_t kind, const seen_t *about) {
    m_command.kind = kind;
    m_command.phase = AI_PHASE_NEW;
    m_command.argument = about ? about->index : 0;
    m_command.target = about ? about->animal : nullptr;
}

void ai_mind_t::make_command(int32_t u, const ai_command_t &previous) {
    switch (u) {
        case AI_URGE_HUNGER:
            if (species_is_predator(m_animal.get_species_index()) && m_seen[SEEN_PREY].animal &&
                m_buckets[AI_BUCKET_PREY] > m_food_level)
                set_command(AI_CMD_PURSUE_ANIMAL, &m_seen[SEEN_PREY]);
            else if (m_food_level > 0.0f) {
                set_command(AI_CMD_APPETITE);
                m_command.argument = AI_APPETITE_FOOD;
            } else
                set_command(AI_CMD_FEED);
            break;
        case AI_URGE_THIRST:
            set_command(AI_CMD_DRINK);
            break;
        case AI_URGE_SEX:
            if (m_world.get_random().rand() < m_calls_level + m_sexual_level) {
                set_command(AI_CMD_APPETITE);
                m_command.argument = AI_APPETITE_SEXUAL;
            } else if (m_seen[SEEN_PARTNER].animal) {
                set_command(AI_CMD_SEX, &m_seen[SEEN_PARTNER]);
            } else {
                set_command(AI_CMD_SCRAPE);
            }
            break;
        case AI_URGE_MATE:
            if (m_animal.get_leader()) {
                set_command(AI_CMD_SEARCH_MATE);
            } else {
                m_buckets[AI_BUCKET_MATE] = 0.0f;
                set_command(AI_CMD_REST);
            }
            break;
        case AI_URGE_FLIGHT:
            if (m_seen[SEEN_THREAT].animal) {
                set_command(AI_CMD_FLEE, &m_seen[SEEN_THREAT]);
            } else if (m_animal.get_leader()) {
                set_command(AI_CMD_SEARCH_MATE);
            } else {
                // Nothing to run from and nobody to follow: carry on as before.
                m_command = previous;
                m_command.phase = AI_PHASE_NEW;
            }
            break;
        case AI_URGE_INJURY:
            set_command(AI_CMD_SERIOUS_INJURY);
            break;
        default:  // tiredness (and urge 3, which never wins: it is always 0)
            set_command(AI_CMD_REST);
            break;
    }
}

void ai_mind_t::update_needs(float dt, uint32_t processor) {
    if (processor >= AI_PROCESSOR_UNDEFINED) return;
    const activity_t &a = activities[processor];
    for (uint32_t i = 0; i < AI_NEED_COUNT; ++i) {
        const need_change_t &c = a.needs[i];
        if (!c.sign) continue;
        const float amount = (c.fade ? m_fade_rates[i] : m_fact_rates[i]) * c.times * dt;
        float &n = m_needs[i];
        if (c.sign > 0) {
            if (n < 1.0f) n = n + amount > 1.0f ? 1.0f : n + amount;
        } else {
            if (n > 0.0f) n = n - amount < 0.0f ? 0.0f : n - amount;
        }
    }
    m_activity = a.activity;
}

void ai_mind_t::on_alarm(float stress_change, float aggression_change, const vec3_t &source) {
    m_needs[AI_NEED_STRESS] = clamp01(m_needs[AI_NEED_STRESS] + stress_change);
    m_needs[AI_NEED_AGGRESSION] = clamp01(m_needs[AI_NEED_AGGRESSION] + aggression_change);
    if (m_current_urge == AI_URGE_MATE || m_current_urge == AI_URGE_FLIGHT) return;
    if (!(m_world.get_random().rand() < 1.0f - m_urges[AI_URGE_FLIGHT])) return;
    if (m_presentation)
        m_presentation->play_manner(m_animal.direction_sector(source, AI_MANNER_ALERT), ai_presentation_t::ALERT_CHANNEL,
                                    false);
    m_script.set_alerted();
}

float ai_mind_t::flight_level() const {
    return clamp01(m_urges[AI_URGE_FLIGHT] - 0.5f * m_needs[AI_NEED_FATIGUE]);
}

float ai_mind_t::get_scene_time() const { return m_world.get_scene_time(); }

int32_t ai_mind_t::get_navigation_state() const { return m_animal.get_navigation_state(); }

bool ai_mind_t::has_leader() const { return m_animal.get_leader() != nullptr; }

const ai_script_t *ai_mind_t::get_leader_script() const {
    ai_animal_t *leader = m_animal.get_leader();
    ai_mind_t *mind = leader ? leader->get_mind() : nullptr;
    return mind ? &mind->get_script() : nullptr;
}

int32_t ai_mind_t::find_behavior(const char *name) const {
    return m_presentation ? m_presentation->find_behavior(name) : -1;
}

void ai_mind_t::set_stress(float stress) { m_needs[AI_NEED_STRESS] = clamp01(stress); }

void ai_mind_t::dispatch(ai_command_t &command) {
    ai_animal_t &a = m_animal;
    switch (command.kind) {
        case AI_CMD_MOVE: a.command_move(command); break;
        case AI_CMD_WANDER: a.command_wander(command); break;
        case AI_CMD_FEED: a.command_feed(command); break;
        case AI_CMD_APPETITE: a.command_appetite(command); break;
        case AI_CMD_PURSUE_ANIMAL: a.command_pursue_animal(command); break;
        case AI_CMD_DRINK: a.command_drink(command); break;
        case AI_CMD_REST: a.command_rest(command); break;
        case AI_CMD_HIDE: a.command_hide(command); break;
        case AI_CMD_SEX: a.command_sex(command); break;
        case AI_CMD_SCRAPE: a.command_scrape(command); break;
        case AI_CMD_SEARCH_MATE: a.command_search_mate(command); break;
        case AI_CMD_FLEE: a.command_flee(command); break;
        case AI_CMD_FIGHT_ANIMAL: a.command_fight_animal(command); break;
        case AI_CMD_FIGHT_TREE: a.command_fight_tree(command); break;
        case AI_CMD_SERIOUS_INJURY: a.command_serious_injury(command); break;
        case AI_CMD_PLAY_BEHAVIOR: a.command_play_behavior(command); break;
        case AI_CMD_RESTART_SCRIPT: a.command_restart_script(command); break;
        default: break;  // 11, 13 and 19 have no handler
    }
}

}  // namespace quarn
