// Flight and pursuit: a live animal running from a threat, and a predator stalking its
// prey downwind and charging it (docs/animal-ai.md, "Commands").
#include <cmath>

#include "game/ai/animals/simple_animal.h"
#include "game/world/environment.h"
#include "game/world/wind.h"
#include "qrncore/math/scalar.h"

namespace quarn {

namespace {

// A flight's goal counts as reached within 2, near within 20, lost beyond 110.
constexpr float FLEE_ARRIVE = 2.0f;
constexpr float FLEE_RADIUS = 20.0f;
constexpr float FLEE_FAR = 110.0f;
// Pursuit: the prey is approached to within 10 (2 reached); the charge follows it
// within 16.
constexpr float PURSUE_RADIUS = 10.0f;
constexpr float PURSUE_ARRIVE = 2.0f;
constexpr float CHARGE_RADIUS = 16.0f;
constexpr float CHARGE_SPEED = 1.0f;
// A charging animal gives up once its fatigue reaches this.
constexpr float EXHAUSTED = 1.0f;

vec3_t flat(const vec3_t &v) { return {v.x, 0.0f, v.z}; }

vec3_t wind_direction() {
    const environment_u *environment = get_current_environment();
    const wind_u *wind = environment ? environment->get_wind() : nullptr;
    return wind ? wind->get_direction() : vec3_t{0.0f, 0.0f, 0.0f};
}

}  // namespace

vec3_t simple_animal_t::pick_flee_point(const vec3_t &threat) {
    vec3_t away = flat(m_position - threat);
    away = length_squared(away) > vec_traits_t<float>::EPSILON ? normalized(away) : flat(m_facing);
    randomizer_t &r = random();
    const float angle = (r.rand() - 0.5f) * FLEE_SPREAD * DEG_TO_RAD;
    const float distance = (r.rand() + 1.0f) * FLEE_DISTANCE;
    const float c = std::cos(angle), s = std::sin(angle);
    const vec3_t turned{away.x * c + away.z * s, 0.0f, -away.x * s + away.z * c};
    return m_position + turned * distance;
}

void simple_animal_t::command_flee(ai_command_t &command) {
    const ai_animal_t *threat = command.target;
    if (command.phase == AI_PHASE_FORCED || command.phase == AI_PHASE_ENDING) return;
    if (!threat || !m_mind) {
        finish(command);
        return;
    }
    const vec3_t from = threat->get_position();
    if (command.phase == AI_PHASE_NEW) {
        go_to(pick_flee_point(from), FLEE_RADIUS, FLEE_ARRIVE, FLEE_FAR, FLEE_PATH_LIMIT);
        set_processor(RUN_AWAY);
        set_speed(m_mind->flight_level());
        m_flee_calm = false;
        command.phase = 1;
        return;
    }
    if (flat_distance2(from) > FLEE_SAFE2) {
        finish(command);
        return;
    }
    flee_step(command, *threat);
}

void simple_animal_t::flee_step(ai_command_t &, const ai_animal_t &threat) {
    const vec3_t from = threat.get_position();
    const float alarm = m_mind->flight_level();
    if (!m_flee_calm) {
        if (alarm < FLEE_ALARM) {
            // Calmer: it turns to look at the threat, then walks on.
            m_flee_calm = true;
            m_flee_calm_alarm = alarm;
            play_manner(direction_sector(from, MANNER_LOOK));
            set_speed(WALK_SPEED);
            set_processor(MOVE);
        } else {
            set_speed(alarm);
        }
    } else if (alarm > m_flee_calm_alarm + FLEE_RENEW) {
        m_flee_calm = false;
        set_speed(alarm);
        set_processor(RUN_AWAY);
    }
    const int32_t polled = poll_movement();
    if (polled == MOVE_ARRIVED + 1 || polled <= MOVE_OUT_OF_REACH + 1)
        go_to(pick_flee_point(from), FLEE_RADIUS, FLEE_ARRIVE, FLEE_FAR, FLEE_PATH_LIMIT);
}

void simple_animal_t::command_pursue_animal(ai_command_t &command) {
    if (flees_first()) {
        command_flee(command);
        return;
    }
    ai_animal_t *prey = command.target;
    if (command.phase == AI_PHASE_ENDING) {
        m_herd_avoidance = true;
        if (prey && !prey->is_removed()) prey->on_attack(this, false, false);
        return;
    }
    if (command.phase == AI_PHASE_FORCED) return;
    if (!prey || prey->is_removed() || !m_mind) {
        finish(command);
        return;
    }
    const vec3_t at = prey->get_position();
    switch (command.phase) {
        case AI_PHASE_NEW:
            go_to(at, PURSUE_RADIUS, PURSUE_ARRIVE, FAR, PATH_LIMIT);
            set_processor(MOVE);
            m_stalk_polls = 0;
            command.phase = 1;
            return;
        case 1: {
            // Stalking; the plan is renewed every STALK_POLLS polls.
            const int32_t polled = poll_movement();
            if (m_stalk_polls++ % STALK_POLLS != 0) return;
            const float d = std::sqrt(flat_distance2(at));
            ai_mind_t *prey_mind = prey->get_mind();
            const bool resting = prey_mind && prey_mind->get_command().kind == AI_CMD_REST;
            if (d > STALK_DISTANCE && polled < MOVE_NEAR && !resting) {
                if (d > GIVE_UP_DISTANCE) {
                    finish(command);
                    return;
                }
                // Downwind of the prey, or to its side when the wind blows from it.
                const vec3_t u = normalized(flat(at - m_position));
                const vec3_t w = flat(wind_direction());
                vec3_t goal;
                if (dot(w, u) <= 0.0f) {
                    goal = at + w * STALK_DISTANCE;
                } else {
                    const float side = w.z * u.x - w.x * u.z;
                    const vec3_t up = side > 0.0f ? vec3_t{0.0f, -1.0f, 0.0f} : vec3_t{0.0f, 1.0f, 0.0f};
                    goal = at + cross(up, u) * STALK_DISTANCE;
                }
                go_to(goal, PURSUE_RADIUS, PURSUE_ARRIVE, FAR, PATH_LIMIT, &u);
                set_speed(d / GIVE_UP_DISTANCE);
                set_processor(MOVE);
            } else {
                follow(prey, CHARGE_RADIUS, PURSUE_ARRIVE, FAR);
                set_speed(CHARGE_SPEED);
                set_processor(ATTACK);
                command.phase = 2;
            }
            return;
        }
        case 2: {
            // Charging.
            const int32_t polled = poll_movement();
            if (polled <= MOVE_OUT_OF_REACH + 1) {
                finish(command);
                return;
            }
            if (polled == MOVE_NEAR + 1) {
                m_herd_avoidance = false;
                prey->on_attack(this, true, false);
            }
            if (polled == MOVE_ARRIVED + 1) {
                play_manner(MANNER_ATTACK);
                if (get_species_relation(prey->get_species_index()) >= KILL_RELATION) prey->on_attack(this, false, true);
                finish(command);
                return;
            }
            if (m_mind->get_need(AI_NEED_FATIGUE) >= EXHAUSTED)
                finish(command);
            else
                set_speed(CHARGE_SPEED);
            return;
        }
        default: return;
    }
}

}  // namespace quarn
