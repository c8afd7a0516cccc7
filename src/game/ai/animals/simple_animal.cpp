// The command handlers of a live animal: going to script points, resting, feeding
// and drinking at attraction areas, appetites, the mate and the partner, injury,
// behaviours of a script (docs/animal-ai.md, "Commands"). Flight and pursuit:
// simple_animal_chase.cpp.
#include "game/ai/animals/simple_animal.h"

#include "game/ai/mind/ai_world.h"

namespace quarn {

namespace {

// Eating animals browse: the "eat" graph's walking chain.
constexpr float EAT_SPEED = 0.6f;

}  // namespace

void simple_animal_t::stay(ai_command_t &command, uint32_t processor) {
    switch (command.phase) {
        case AI_PHASE_NEW:
            roam_around(m_position, HOME_RADIUS);
            set_processor(processor);
            command.phase = 1;
            return;
        case 1:
        case 2:
            if (poll_movement() == MOVE_ARRIVED + 1) pick_roam_point();
            return;
        default: return;
    }
}

void simple_animal_t::command_move(ai_command_t &command) {
    switch (command.phase) {
        case AI_PHASE_NEW: {
            ai_move_target_t target;
            if (!m_world || !m_world->get_script_point_target(command.argument, target)) {
                finish(command);
                return;
            }
            go_to(target.point, target.radius, target.radius, FAR, PATH_LIMIT,
                  target.has_orientation ? &target.orientation : nullptr);
            set_speed(WALK_SPEED);
            set_processor(MOVE);
            command.phase = 1;
            return;
        }
        case 1:
            set_speed(WALK_SPEED);
            if (poll_movement() >= MOVE_NEAR) finish(command);
            return;
        default: return;
    }
}

void simple_animal_t::feed_or_drink(ai_command_t &command, bool drink) {
    if (!m_mind || !m_world) return;
    switch (command.phase) {
        case AI_PHASE_NEW: {
            ai_need_t need;
            need.position = m_position;
            need.hungry = !drink;
            need.thirsty = drink;
            need.hunger = m_mind->get_need(AI_NEED_HUNGER);
            need.thirst = m_mind->get_need(AI_NEED_THIRST);
            need.category = m_places_category;
            ai_move_target_t target;
            const int32_t area = m_world->find_best_attract_area(need);
            if (area < 0 || !m_world->get_attract_area_target(area, target)) {
                // Nowhere to go: the animal stops wanting it, so that it decides on
                // something else.
                m_mind->set_need(AI_NEED_HUNGER, 0.0f);
                m_mind->set_need(AI_NEED_THIRST, 0.0f);
                m_mind->set_food_level(0.0f);
                finish(command);
                return;
            }
            roam_around(target.point, target.radius);
            set_speed(WALK_SPEED);
            set_processor(MOVE);
            command.phase = 1;
            return;
        }
        case 1:
        case 2: {
            const int32_t polled = poll_movement();
            if (polled == MOVE_ARRIVED + 1) pick_roam_point();
            // Inside the area it eats (drinks); on its way there it walks.
            const bool inside = flat_distance2(m_target.centre) <= m_target.radius2;
            if (inside) {
                command.phase = 2;
                set_speed(EAT_SPEED);
                set_processor(drink ? DRINK : EAT);
            } else {
                command.phase = 1;
                set_speed(WALK_SPEED);
                set_processor(MOVE);
            }
            return;
        }
        default: return;
    }
}

void simple_animal_t::command_appetite(ai_command_t &command) {
    if (!m_mind) return;
    const bool food = command.argument == AI_APPETITE_FOOD;
    const vec3_t goal = m_mind->get_stimulus_point(food ? 0 : 1);
    switch (command.phase) {
        case AI_PHASE_NEW:
            if (food)
                go_to(goal, APPETITE_RADIUS, APPETITE_ARRIVE, FAR, PATH_LIMIT);
            else
                roam_around(goal, HOME_RADIUS);
            set_processor(MOVE);
            set_speed(TROT_SPEED);
            command.phase = 1;
            return;
        case 1: {
            // Heading for what it sensed.
            const int32_t polled = poll_movement();
            if (polled == MOVE_OUT_OF_REACH || polled == MOVE_OUT_OF_REACH + 1) {
                finish(command);
                return;
            }
            set_speed(polled >= MOVE_NEAR ? WALK_SPEED : TROT_SPEED);
            if (polled != MOVE_ARRIVED + 1) return;
            if (!food) {
                pick_roam_point();
                return;
            }
            if (!(m_height_above_ground > 0.0f)) {
                play_manner(MANNER_FOOD_APPETITE);
                const float hunger = m_mind->get_need(AI_NEED_HUNGER) - APPETITE_SATISFIED;
                m_mind->set_need(AI_NEED_HUNGER, hunger > 0.0f ? hunger : 0.0f);
            } else {
                m_mind->set_food_level(0.0f);
            }
            roam_around(goal, HOME_RADIUS);
            command.phase = 2;
            return;
        }
        case 2:
            // Roaming about the goal; each arrival heads for it again.
            if (poll_movement() == MOVE_ARRIVED + 1) {
                go_to(goal, APPETITE_RADIUS, APPETITE_ARRIVE, FAR, PATH_LIMIT);
                command.phase = 1;
            }
            return;
        default: return;
    }
}

void simple_animal_t::command_search_mate(ai_command_t &command) {
    switch (command.phase) {
        case AI_PHASE_NEW: {
            if (!m_mate || m_mate->is_removed()) {
                finish(command);
                return;
            }
            const bool young = m_gender_index == 2;
            follow(m_mate, young ? 5.0f : 30.0f, young ? 5.0f : 15.0f, FAR);
            set_processor(MOVE);
            set_speed(HURRY_SPEED);
            command.phase = 1;
            return;
        }
        case 1: {
            if (!m_mate || m_mate->is_removed()) {
                finish(command);
                return;
            }
            const int32_t polled = poll_movement();
            if (polled <= MOVE_OUT_OF_REACH + 1) {
                // Lost: the animal goes its own way from now on.
                m_mate = nullptr;
                finish(command);
            } else if (polled >= MOVE_ARRIVED) {
                finish(command);
            } else {
                set_speed(polled >= MOVE_NEAR ? TROT_SPEED : HURRY_SPEED);
            }
            return;
        }
        default: return;
    }
}

void simple_animal_t::command_sex(ai_command_t &command) {
    if (flees_first()) {
        command_flee(command);
        return;
    }
    ai_animal_t *partner = command.target;
    if (command.phase == AI_PHASE_ENDING) {
        if (partner && !partner->is_removed()) partner->on_mate(this, false);
        return;
    }
    if (command.phase == AI_PHASE_FORCED) return;
    if (!partner || partner->is_removed()) {
        finish(command);
        return;
    }
    switch (command.phase) {
        case AI_PHASE_NEW:
            follow(partner, HOME_RADIUS, 5.0f, FAR);
            set_processor(MOVE);
            set_speed(HURRY_SPEED);
            m_courtship = 0.0f;
            command.phase = 1;
            return;
        case 1:
        case 2: {
            const int32_t polled = poll_movement();
            if (polled <= MOVE_OUT_OF_REACH + 1 || polled >= MOVE_ARRIVED) {
                finish(command);
                return;
            }
            if (m_target.state >= MOVE_NEAR) {
                if (command.phase == 1) partner->on_mate(this, true);
                command.phase = 2;
                m_courtship += COURTSHIP_RATE * (m_mind ? m_mind->get_step_time() : 0.0f);
            }
            if (m_courtship >= COURTSHIP_DONE)
                finish(command);
            else
                set_speed(HURRY_SPEED);
            return;
        }
        default: return;
    }
}

void simple_animal_t::command_serious_injury(ai_command_t &command) {
    if (command.phase == AI_PHASE_NEW) m_injured = true;
    stay(command, INJURY);
}

void simple_animal_t::command_play_behavior(ai_command_t &command) {
    if (!m_presentation || !m_mind) return;
    const ai_presentation_t::channel_t &body = m_presentation->get_channel(ai_presentation_t::BODY_CHANNEL);
    switch (command.phase) {
        case AI_PHASE_NEW:
            roam_around(m_position, HOME_RADIUS);
            // The behaviour takes the body channel's queue, not the rest's own manner.
            m_presentation->change_processor(REST, m_mind->get_processor_value());
            if (m_presentation->play(command.argument, ai_presentation_t::BODY_CHANNEL, false) < 0) {
                finish(command);
                return;
            }
            command.phase = 1;
            return;
        case 1:
            poll_movement();
            if (body.current != command.argument && body.queued != command.argument) finish(command);
            return;
        default: return;
    }
}

void simple_animal_t::command_restart_script(ai_command_t &command) {
    if (command.phase != AI_PHASE_NEW) return;
    if (m_mind) m_mind->get_script().restart_script(*m_mind);
    finish(command);
}

}  // namespace quarn
