// The live animal's AI state: set-up, start, the decision step, the body step with
// its movement, reactions to other animals, behaviour events, wounds and death
// (docs/animal-ai.md, "Live animals"). Movement targets are in animal_movement.cpp,
// the senses in animal_senses.cpp.
#include "game/ai/animals/animal.h"

#include <cfloat>
#include <cmath>
#include <cstring>

#include "game/ai/mind/ai_world.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/world/landscape.h"
#include "game/world/world.h"
#include "game/visuals/models/model_object.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/def_pool.h"
#include "qrncore/math/matrix.h"
#include "qrncore/math/scalar.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr const char *NAVIGATION_CATEGORIES[] = {"anywhere", "normal", "mountain"};
// A wounded animal bleeds a drop every 20 s, faster at rates above 0.1.
constexpr float BLOOD_INTERVAL = 20.0f;
constexpr float FAST_BLEEDING = 0.1f;
// The herd hears a death as an alarm of this stress and aggression.
constexpr float DEATH_ALARM = 0.5f;
// Forward speeds below this (units a second) leave no footprints.
constexpr float FOOTPRINT_SPEED = 0.1f;

}  // namespace

animal_t::animal_t() = default;

animal_t::~animal_t() {
    // The carcass's stimuli must not outlive it.
    if (m_world) m_world->remove_stimuli_of(&m_carcass);
    if (m_mind) m_mind->set_presentation(nullptr);
    delete m_presentation;
    m_presentation = nullptr;
    delete m_mind;
    m_mind = nullptr;
    m_animation.set_instance(nullptr);
}

// ---- creation ----

bool animal_t::setup(const ai_animal_setup_t &setup) {
    if (!animal_base_t::setup(setup)) return false;
    if (!m_world) return false;
    const def_obj_t &gender = *setup.gender;

    const char *places = gender.get_value("places_category");
    if (!places) {
        error("[ai] animal has no specified places category !");
        return false;
    }
    const def_obj_t *categories = setup.game ? setup.game->find("places_categories") : nullptr;
    const def_obj_t *category = categories && *places && !strchr(places, '.') ? categories->find(places) : nullptr;
    if (!category) {
        error("[ai] invalid animal places category (%s) !", places);
        return false;
    }
    category->get_int("index", m_places_category);

    m_movement_mode = NAVIGATION_NORMAL;
    if (const char *nav = gender.get_value("navigation_category")) {
        bool known = false;
        for (uint32_t i = 0; i < 3; ++i)
            if (strcmp(nav, NAVIGATION_CATEGORIES[i]) == 0) m_movement_mode = i, known = true;
        if (!known) error("[ai] invalid navigation category type (%s) !", nav);
    } else {
        error("[ai] %s not defined for animal %s", "navigation_category", m_name.c_str());
    }
    m_healing = 0.01f;
    gender.get_real("healing_factor", m_healing);

    const char *mate = setup.entry->get_dvalue("mate", "");
    m_mate = *mate ? m_world->get_animal(uint32_t(m_world->find_animal(mate))) : nullptr;
    if (m_mate == this) m_mate = nullptr;

    // The AI state, bound to the model.
    m_mind = new ai_mind_t(*this, *m_world);
    m_presentation = new ai_presentation_t(m_world->get_random());
    if (!m_mind || !m_presentation) {
        error("[ai] no memory for the AI of animal (%s)", m_name.c_str());
        return false;
    }
    if (!m_mind->init(setup)) return false;
    if (!m_presentation->load_processors(m_species_name.c_str())) return false;
    m_animation.set_instance(m_instance.get());
    if (!m_presentation->bind(&m_animation)) return false;
    m_mind->set_presentation(m_presentation);

    // The place on the navigation mesh.
    if (has_navigation()) {
        const ai_navigation_t &nav = m_world->get_navigation();
        bool inside = false;
        if (!nav.locate(m_position, m_movement_mode, &m_cell, &inside)) return false;
        vec3_t centre;
        if (!nav.cell_centre(m_cell, &centre)) return false;
        if (!inside) {
            warning("[ai] animal placed outside valid cell position !");
            m_position.x = centre.x;
            m_position.z = centre.z;
        }
        m_position.y = centre.y;
        m_probe_position = {FLT_MAX, FLT_MAX, FLT_MAX};
        m_path.reset(m_path_limit, m_cell);
    }

    // The body's set-up has already refused an animal without its kind.
    if (const def_obj_t *carcass = setup.species->find("carcass")) {
        m_carcass.load(*carcass, setup.game, *m_world);
    } else {
        error("[ai] %s section not found for animal %s", "carcass", m_name.c_str());
    }
    m_target = animal_target_t();
    m_target.mode = TARGET_IDLE;
    return true;
}

void animal_t::start() {
    if (m_paused || !m_mind || !m_presentation) return;
    m_health = FULL_HEALTH;
    m_started = true;
    m_mind->start();
    reevaluate_movement();
    if (length_squared(m_facing) < 0.01f) m_facing = m_heading;
    m_presentation->start_command_behavior(m_mind->get_processor_value(), false);
}

void animal_t::load_mission_script(const def_obj_t &entry) {
    if (!m_mind) return;
    if (const def_obj_t *script = entry.find("script")) m_mind->load_script(*script);
}

// ---- decisions ----

void animal_t::decision_step() {
    if (m_removed || m_dead || m_paused || !m_mind || !m_started) return;
    m_mind->step();
    if (m_target.mode == TARGET_FOLLOW || m_target.mode == TARGET_FOLLOW_HELD)
        follow_target();
    else
        reevaluate_movement();
    // A body channel that plays nothing would never tell its end: it gets its manner.
    if (m_presentation && m_presentation->get_channel(ai_presentation_t::BODY_CHANNEL).current < 0)
        m_presentation->start_command_behavior(m_mind->get_processor_value(), false);

    // Health: the wound closes at the healing factor; the blood lost is health lost.
    if (m_wounded) {
        const float dt = m_mind->get_step_time();
        m_bleeding -= m_healing * dt;
        if (m_bleeding < 0.0f) m_bleeding = 0.0f;
        m_health -= m_bleeding * dt;
        if (m_health < 0.0f) {
            die();
            m_bleeding = 0.0f;
        }
    }
}

float animal_t::get_pain() const {
    return m_wounded ? clamp_value((FULL_HEALTH - m_health) / FULL_HEALTH, 0.0f, 1.0f) : 0.0f;
}

bool animal_t::is_mortally_wounded() const {
    if (!m_wounded || !(m_bleeding > 0.0f)) return false;
    // The blood still to lose while the bleeding falls to 0 at the healing factor.
    if (!(m_healing > 0.0f)) return true;
    return m_bleeding * m_bleeding / (2.0f * m_healing) >= m_health;
}

void animal_t::on_appetite_reaction() {
    if (!m_mind) return;
    ai_command_t &command = m_mind->get_command();
    if (command.kind == AI_CMD_APPETITE) command.phase = AI_PHASE_NEW;
}

// ---- the body step ----

void animal_t::update(float dt) {
    if (m_removed) return;
    animal_base_t::update(dt);
    if (m_paused) return;
    vec3_t translation{0.0f, 0.0f, 0.0f};
    quat_t root_rotation;
    if (model_object_u *model = get_model()) model->take_root_motion(&translation, &root_rotation);
    // A loop starting over hands back its whole travel at once: not a step.
    if (std::fabs(translation.x) + std::fabs(translation.y) + std::fabs(translation.z) > ROOT_JUMP)
        translation = {0.0f, 0.0f, 0.0f};
    translation *= m_scale;
    if (m_dead) {
        translation = {0.0f, 0.0f, 0.0f};
        root_rotation = quat_t();
    }
    // The navigation's brake.
    translation *= m_speed_factor;
    const float forward = -translation.z;
    turn(forward, dt);

    if (dt > 0.0f && forward / dt > FOOTPRINT_SPEED) {
        m_walked += forward;
        while (m_walked > m_spoor_distance) {
            m_walked -= m_spoor_distance;
            place_footprint();
        }
    }
    if (m_wounded && m_blood_timer <= 0.0f) {
        float interval = BLOOD_INTERVAL;
        if (m_bleeding > FAST_BLEEDING) {
            const float r = random().rand();
            interval = ((1.0f - r) * 2.0f + r * 4.0f) * (10.0f / m_bleeding);
        }
        m_blood_timer = interval;
        place_blood_mark(false);
    }

    const vec3_t motion = m_rotation.rotate(translation);
    if (length_squared(motion) > 0.0f && !step_to(m_position + motion)) {
        // Along a wall: what of the step stays on walkable ground.
        if (!step_to(m_position + vec3_t{motion.x, motion.y, 0.0f})) step_to(m_position + vec3_t{0.0f, motion.y, motion.z});
    }
    if (!root_rotation.is_identity()) {
        vec3_t f = root_rotation.rotate(m_facing);
        f.y = 0.0f;
        if (length_squared(f) > vec_traits_t<float>::EPSILON) m_facing = normalized(f);
    }
    if (m_detail != DETAIL_HIDDEN) {
        follow_ground();
    } else {
        // A hidden animal probes no ground: it turns flat.
        m_target_rotation.set_cartes(m_facing);
    }
    if (length(motion) > 0.0001f || m_dead) {
        const float t = dt < 1.0f ? dt : 1.0f;
        quat_t q;
        q.slerp_generic(m_rotation, m_target_rotation, t);
        q.normalize();
        m_rotation = q;
    }
    if (!m_dead) update_movement_state();
    if (m_instance) zba_inst_update_item(m_instance.get(), dt);
    m_blood_timer -= dt;
}

bool animal_t::follow_ground() {
    if (!animal_base_t::follow_ground()) return false;
    if (!m_dead && !m_removed) return true;
    // The body lies along the ground: three points around it, turned with the
    // root's heading, give the ground's plane.
    base_ctrl_u *ctrl = get_current_ctrl();
    world_u *world = ctrl ? ctrl->get_world() : nullptr;
    if (!world) return false;
    const float h = m_radius;
    const vec3_t corners[3] = {{0.0f, 0.0f, -0.8f * h}, {0.3f * h, 0.0f, 0.5f * h}, {-0.3f * h, 0.0f, 0.5f * h}};
    quat_t heading;
    heading.set_cartes(m_facing);
    vec3_t ground[3];
    for (int i = 0; i < 3; ++i) {
        const vec3_t p = m_position + heading.rotate(corners[i]);
        const vec3_t up{0.0f, 3.0f, 0.0f};
        physics_ray_hit_t hit;
        if (!world->trace_segment(hit, p + up, p - up, world_u::MASK_TERRAIN)) return false;
        ground[i] = hit.position;
    }
    vec3_t up = cross(ground[1] - ground[0], ground[2] - ground[0]);
    if (up.y < 0.0f) up = up * -1.0f;
    if (length_squared(up) <= vec_traits_t<float>::EPSILON) return true;
    up = normalized(up);
    // The model faces -z: its z axis is the facing turned back, laid into the plane.
    vec3_t back = m_facing * -1.0f;
    back = back - up * dot(back, up);
    if (length_squared(back) <= vec_traits_t<float>::EPSILON) return true;
    back = normalized(back);
    const vec3_t right = cross(up, back);
    const mat4_t basis = map_to_orthonormal_base(right, up, back);
    m_target_rotation.set_matrix(basis);
    m_target_rotation.normalize();
    return true;
}

void animal_t::visibility_pass() {
    if (!m_removed) animal_base_t::visibility_pass();
}

bool animal_t::is_presenting() const { return m_presentation && m_presentation->is_galloping(); }

// ---- behaviour events ----

void animal_t::notify(uint32_t kind, zba_value_t value, uint32_t channel) {
    switch (kind) {
        case ZBA_NOTICE_INFO:
            animal_base_t::notify(kind, value, channel);
            return;
        case ZBA_NOTICE_ENDED: {
            if (!m_presentation) return;
            // The instance is there whenever it reports: it reports only while held.
            const bool queued = m_presentation->on_behavior_end(channel);
            if (channel == ai_presentation_t::BODY_CHANNEL) {
                if (!queued && m_mind && !m_dead && m_presentation->get_channel(channel).current < 0)
                    m_presentation->start_command_behavior(m_mind->get_processor_value(), false);
            } else if (!queued && channel < ai_presentation_t::CHANNELS) {
                // A dead animal keeps the last pose of its death.
                if (channel == ai_presentation_t::DEATH_CHANNEL && m_dead) return;
                if (zba_inst_t *inst = get_zba()) inst->clear_channel(channel);
                // A lying animal gets up: its step dust starts again from nothing.
                if (channel == ai_presentation_t::DEATH_CHANNEL) hide_step_dust();
            }
            return;
        }
        case ZBA_NOTICE_OVERLAY_ENDED:
            if (m_presentation && channel == ai_presentation_t::BODY_CHANNEL)
                m_presentation->on_overlay_done(value.behavior);
            return;
        default: return;
    }
}

// ---- other animals ----

void animal_t::on_group_event(const ai_group_event_t &event, float a, float b) { hear(event.position, a, b); }

void animal_t::hear(const vec3_t &point, float a, float b) {
    if (m_removed || m_dead || !m_mind) return;
    const float f = hearing_test(point, HEAR_NEAR, HEAR_FAR);
    m_mind->on_alarm(f * a, f * b, point);
}

void animal_t::react_with(int32_t kind, ai_animal_t *other, bool begin) {
    if (!m_mind) return;
    ai_command_t &command = m_mind->get_command();
    if (begin) {
        // Already about it (both animals call each other): nothing starts over.
        if (command.kind == kind && command.target == other && command.phase != AI_PHASE_FORCED) {
            m_mind->set_hold(true);
            return;
        }
        if (!m_reacting) m_saved_command = command;
        command.kind = kind;
        command.phase = AI_PHASE_NEW;
        command.target = other;
        command.argument = m_world ? m_world->find_animal(other ? other->get_name() : nullptr) : -1;
        m_reacting = true;
        m_mind->set_hold(true);
    } else if (m_reacting) {
        command = m_saved_command;
        command.phase = AI_PHASE_NEW;
        m_reacting = false;
        m_mind->set_hold(false);
    }
}

void animal_t::on_attack(ai_animal_t *other, bool begin, bool kill) {
    if (m_removed || m_dead) return;
    if (kill) {
        die();
        return;
    }
    react_with(AI_CMD_PURSUE_ANIMAL, other, begin);
}

void animal_t::on_mate(ai_animal_t *other, bool begin) {
    if (m_removed || m_dead) return;
    react_with(AI_CMD_SEX, other, begin);
}

bool animal_t::cancel() {
    if (!m_dead && m_mind) m_mind->get_command().phase = AI_PHASE_FORCED;
    return m_dead;
}

// ---- wounds and death ----

void animal_t::wound(float bleeding_rate) {
    if (m_dead) return;
    m_wounded = true;
    if (bleeding_rate > m_bleeding) m_bleeding = bleeding_rate;
}

void animal_t::die() {
    if (m_dead) return;
    place_blood_mark(true);
    if (m_presentation) m_presentation->play_death(m_gender_index);
    m_dead = true;
    stop_moving();
    if (m_world) {
        m_carcass.emit(m_position, *m_world);
        m_world->notify_group(*this, DEATH_ALARM, DEATH_ALARM);
    }
}

}  // namespace quarn
