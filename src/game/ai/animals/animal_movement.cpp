// The live animal's movement: the target and its states, the poll, the aim and the
// heading, the path over the navigation mesh, following an object, turning, and the
// steps the body may take (docs/animal-ai.md, "Movement").
#include <cfloat>
#include <cmath>

#include "game/ai/mind/ai_world.h"
#include "game/ai/animals/animal.h"
#include "qrncore/math/scalar.h"

namespace quarn {

namespace {

// Roam points lie within this share of (roam factor + 1) × the radius.
constexpr float ROAM_SPREAD = 0.9f;
// A roam point counts as reached within this distance.
constexpr float ROAM_ARRIVE = 2.0f;
// The approach that ends facing the target's orientation: beyond this distance it
// swings out behind the target, turning with this urgency; near, it aims this far
// on past the target.
constexpr float APPROACH_DISTANCE = 3.0f;
constexpr float APPROACH_URGENCY = 0.5f;
constexpr float APPROACH_SWING = 0.25f;
// Turning: the circle's radius is 1.4 v + 5 for a forward speed v, tightened by
// (1 + 5 × urgency); below this speed the animal stands.
constexpr float TURN_SPEED_FACTOR = 1.4f;
constexpr float TURN_BASE_RADIUS = 5.0f;
constexpr float TURN_URGENCY_FACTOR = 5.0f;
constexpr float STANDING_SPEED = 0.0001f;

// The vertical component of a × b: above 0 when b lies to the left of a.
float cross_y(const vec3_t &a, const vec3_t &b) { return a.z * b.x - a.x * b.z; }

vec3_t flat(const vec3_t &v) { return {v.x, 0.0f, v.z}; }

// The angle between two horizontal directions, in radians.
float flat_angle(const vec3_t &a, const vec3_t &b) {
    const vec3_t fa = flat(a), fb = flat(b);
    return std::atan2(std::fabs(cross_y(fa, fb)), dot(fa, fb));
}

}  // namespace

bool animal_t::has_navigation() const { return m_world && !m_world->get_navigation().get_sector().is_empty(); }

float animal_t::flat_distance2(const vec3_t &point) const { return length_squared(flat(point - m_position)); }

bool animal_t::step_to(const vec3_t &position) {
    if (!has_navigation()) {
        m_position = position;
        return true;
    }
    const ai_navigation_t &nav = m_world->get_navigation();
    const ai_sector_t &sector = nav.get_sector();
    if (m_cell < sector.get_cell_count() && sector.contains(m_cell, position)) {
        m_position = position;
        return true;
    }
    // Into a neighbour: only one the movement mode may enter.
    if (m_cell < sector.get_cell_count()) {
        const ai_nav_cell_t &cell = sector.get_cell(m_cell);
        for (uint32_t e = 0; e < cell.link_count; ++e) {
            const ai_nav_link_t &link = sector.get_link(m_cell, e);
            if (!link.has_neighbour || !sector.contains(link.neighbour_cell, position)) continue;
            if (!ai_nav_kind_allowed(sector.get_cell(link.neighbour_cell).kind, m_movement_mode)) return false;
            m_cell = link.neighbour_cell;
            m_position = position;
            return true;
        }
    }
    // Farther than a neighbour (a long step): wherever it lands, the mode must allow it.
    uint32_t cell = 0;
    bool inside = false;
    if (!nav.locate(position, m_movement_mode, &cell, &inside) || !inside ||
        !ai_nav_kind_allowed(sector.get_cell(cell).kind, m_movement_mode))
        return false;
    m_cell = cell;
    m_position = position;
    return true;
}

// ---- the target ----

void animal_t::set_target_ranges(bool orientation) {
    m_target.radius2 = m_target.radius * m_target.radius;
    m_target.arrive2 = m_target.arrive * m_target.arrive;
    m_target.far2 = m_target.far * m_target.far;
    m_target.has_orientation = orientation;
    m_target.state = MOVE_ON_THE_WAY;
    m_target.previous = 0;
}

void animal_t::pick_roam_point() {
    randomizer_t &r = random();
    const float r1 = r.rand();
    const float r2 = r.rand();
    const float factor = m_mind ? m_mind->get_activity_factor() : 1.0f;
    const float distance = r2 * (factor + 1.0f) * m_target.radius * ROAM_SPREAD;
    const float angle = TWO_PI_F * r1;
    m_target.point = {m_target.centre.x + distance * std::cos(angle), m_target.centre.y,
                      m_target.centre.z + distance * std::sin(angle)};
    m_target.arrive = ROAM_ARRIVE;
    set_target_ranges(false);
    reset_path(m_path_limit);
}

int32_t animal_t::poll_movement() {
    if (m_target.mode == TARGET_ROAM && m_target.state < MOVE_ROAMING &&
        flat_distance2(m_target.centre) <= m_target.radius2)
        m_target.state = MOVE_ROAMING;
    const int32_t state = m_target.state;
    const int32_t result = state > m_target.previous ? state + 1 : state;
    m_target.previous = state;
    return result;
}

void animal_t::update_movement_state() {
    animal_target_t &t = m_target;
    const int32_t before = t.state;
    bool arrived = false;
    switch (t.mode) {
        case TARGET_ROAM:
            arrived = flat_distance2(t.point) <= t.arrive2;
            if (!arrived) t.state = MOVE_ON_THE_WAY;
            break;
        case TARGET_POINT:
        case TARGET_FOLLOW: {
            if (t.mode == TARGET_FOLLOW && t.object) t.point = t.object->get_position();
            const float d2 = flat_distance2(t.point);
            if (d2 > t.radius2) {
                t.state = d2 > t.far2 ? MOVE_OUT_OF_REACH : MOVE_ON_THE_WAY;
            } else if (d2 > t.arrive2 ||
                       (t.has_orientation && flat_angle(m_facing, t.orientation) > ORIENTATION_TOLERANCE)) {
                t.state = MOVE_NEAR;
            } else {
                arrived = true;
            }
            break;
        }
        default: t.state = MOVE_OUT_OF_REACH; break;
    }
    if (!arrived) return;
    t.state = MOVE_ARRIVED;
    // Arriving lets the command act at once (a new roam point, the next goal).
    if (before != MOVE_ARRIVED && m_mind) m_mind->dispatch(m_mind->get_command());
}

// ---- setting targets ----

void animal_t::go_to(const vec3_t &point, float radius, float arrive, float far, uint32_t path_limit,
                     const vec3_t *orientation) {
    animal_target_t &t = m_target;
    t.mode = TARGET_POINT;
    t.object = nullptr;
    t.point = point;
    t.radius = radius;
    t.arrive = arrive;
    t.far = far;
    bool oriented = false;
    if (orientation && length_squared(flat(*orientation)) > vec_traits_t<float>::EPSILON) {
        t.orientation = normalized(flat(*orientation));
        oriented = true;
    }
    set_target_ranges(oriented);
    reset_path(path_limit);
    t.path_in_use = has_navigation();
    reevaluate_movement();
}

void animal_t::roam_around(const vec3_t &centre, float radius, uint32_t path_limit) {
    animal_target_t &t = m_target;
    t.mode = TARGET_ROAM;
    t.object = nullptr;
    t.centre = centre;
    t.radius = radius;
    t.far = FLT_MAX;
    m_path_limit = path_limit;
    pick_roam_point();
    t.path_in_use = has_navigation();
    reevaluate_movement();
}

void animal_t::follow(const ai_animal_t *object, float radius, float arrive, float far, uint32_t path_limit) {
    animal_target_t &t = m_target;
    t.mode = TARGET_FOLLOW;
    t.object = object;
    t.point = object ? object->get_position() : m_position;
    t.radius = radius;
    t.arrive = arrive;
    t.far = far;
    set_target_ranges(false);
    reset_path(path_limit);
    follow_target();
}

void animal_t::stop_moving() {
    m_target.mode = TARGET_IDLE;
    m_target.object = nullptr;
    m_target.state = MOVE_OUT_OF_REACH;
}

void animal_t::set_speed(float speed) {
    if (m_mind) m_mind->set_processor_value(clamp_value(speed, 0.0f, 1.0f));
}

void animal_t::set_processor(uint32_t processor) {
    if (!m_presentation || !m_mind || m_presentation->get_current_processor() == processor) return;
    const float value = m_mind->get_processor_value();
    if (!m_presentation->change_processor(processor, value)) return;
    if (m_presentation->get_channel(ai_presentation_t::BODY_CHANNEL).queued < 0)
        m_presentation->start_command_behavior(value, true);
}

void animal_t::play_manner(int32_t manner) {
    if (m_presentation) m_presentation->play_manner(manner, ai_presentation_t::BODY_CHANNEL, false);
}

// ---- path and aim ----

void animal_t::reset_path(uint32_t limit) {
    m_path_limit = limit < ai_nav_path_t::MIN_STEP_LIMIT ? ai_nav_path_t::MIN_STEP_LIMIT : limit;
    animal_target_t &t = m_target;
    t.path_unreachable = t.path_step_found = t.side_known = false;
    if (!has_navigation()) return;
    if (m_path.reset(m_path_limit, m_cell)) m_path.set_current_waypoint(m_position);
}

void animal_t::update_navigation() {
    animal_target_t &t = m_target;
    t.path_step_found = false;
    if (!has_navigation() || !t.path_in_use || m_path.get_count() == 0) {
        t.aim = t.point;
        return;
    }
    // The steering restarted the path into the cell ahead: the search starts over
    // from where the animal stands, not from a waypoint it left behind.
    if (m_path.has_moved()) {
        reset_path(m_path_limit);
        if (m_path.get_count() == 0) {
            t.aim = t.point;
            return;
        }
    }
    if (!t.path_unreachable && !m_path.is_target_reached()) {
        ai_nav_request_t request;
        request.kind = ai_nav_request_t::WALK_TO;
        request.point = t.point;
        const int found = m_world->get_navigation().find_path(m_path, request, m_movement_mode, random());
        if (found == ai_navigation_t::PATH_NONE) {
            // No way there: the animal heads straight for it, the steering keeping it
            // on ground it may walk.
            t.path_unreachable = true;
            if (m_path.reset(m_path_limit, m_cell)) m_path.set_current_waypoint(m_position);
        }
    }
    vec3_t point;
    if (m_world->get_path_point(m_path, &point) && m_world->path_step(m_path, m_position, t.point - m_position, &t.aim)) {
        t.path_step_found = true;
        t.side_known = dot(flat(t.aim - m_position), flat(m_facing)) > 0.0f;
    } else {
        t.aim = t.point;
    }
}

void animal_t::reevaluate_movement() {
    // The AI world's herd spacing re-evaluates the animal it turned: the heading it
    // set stands.
    if (m_reevaluating || m_removed || m_dead || m_target.mode == TARGET_IDLE) return;
    m_reevaluating = true;
    animal_target_t &t = m_target;
    m_speed_factor = 1.0f;
    if (has_navigation()) {
        // The path starts in the body's cell: on into the next step's cell, or anew.
        if (m_path.get_count() == 0 || m_path.head_step().cell != m_cell) {
            if (m_path.get_count() >= 2 && m_path.get_step(1).cell == m_cell)
                m_path.advance_head();
            else
                reset_path(m_path_limit);
        }
    }
    if (t.path_in_use)
        update_navigation();
    else
        t.aim = t.point;

    if (!t.has_orientation || t.path_step_found) {
        m_urgency = 0.0f;
    } else {
        const float d = std::sqrt(flat_distance2(t.point));
        if (d > APPROACH_DISTANCE || flat_angle(m_facing, t.orientation) > ORIENTATION_TOLERANCE) {
            t.aim = (m_position + t.point) * 0.5f - t.orientation * (APPROACH_SWING * d);
            m_urgency = APPROACH_URGENCY;
        } else {
            // Near and facing it: on along the orientation, through the point.
            t.aim = t.point + t.orientation * APPROACH_DISTANCE;
            m_urgency = 0.0f;
        }
    }
    const vec3_t to_aim = flat(t.aim - m_position);
    if (length_squared(to_aim) > vec_traits_t<float>::EPSILON) m_heading = normalized(to_aim);
    if (m_herd_avoidance && m_world) m_world->avoid_neighbours(*this);
    if (has_navigation() && m_path.get_count() > 0) m_world->steer_animal(*this);
    m_reevaluating = false;
}

void animal_t::follow_target() {
    animal_target_t &t = m_target;
    if (m_paused || !t.object) return;
    // A death or a reaction on the death channel holds the animal.
    if (m_presentation && m_presentation->get_channel(ai_presentation_t::DEATH_CHANNEL).current >= 0) return;
    t.point = t.object->get_position();
    if (flat_distance2(t.point) < FOLLOW_PATH_RANGE2 && has_navigation()) {
        reset_path(m_path_limit);
        t.path_in_use = true;
        update_navigation();
        t.path_in_use = t.path_step_found;
    } else {
        t.path_in_use = false;
    }
    if (!t.path_in_use) t.aim = t.point;
    reevaluate_movement();
}

// ---- turning ----

void animal_t::turn(float motion, float dt) {
    // A zero step has no speed to turn by.
    if (!(dt > 0.0f)) return;
    const float speed = motion / dt;
    if (!(speed > STANDING_SPEED)) return;
    animal_target_t &t = m_target;
    // Past the path's point (it no longer lies ahead): the next one.
    if (t.side_known && t.path_in_use && dot(flat(t.aim - m_position), flat(m_facing)) <= 0.0f) {
        t.side_known = false;
        update_navigation();
        const vec3_t to_aim = flat(t.aim - m_position);
        if (length_squared(to_aim) > vec_traits_t<float>::EPSILON) m_heading = normalized(to_aim);
    }
    const vec3_t f = flat(m_facing), h = flat(m_heading);
    if (length_squared(f) <= vec_traits_t<float>::EPSILON || length_squared(h) <= vec_traits_t<float>::EPSILON) return;
    const float side = cross_y(f, h);
    const float between = std::atan2(std::fabs(side), dot(f, h));
    if (!(between > 0.0f)) return;
    // Along a circle of radius 1.4 v + 5: the arc m turns by m / r radians.
    float angle = motion / (TURN_SPEED_FACTOR * speed + TURN_BASE_RADIUS) * (1.0f + TURN_URGENCY_FACTOR * m_urgency);
    if (angle > between) angle = between;
    // Exactly opposite the heading the turn goes to the left.
    if (side < 0.0f) angle = -angle;
    const float c = std::cos(angle), s = std::sin(angle);
    vec3_t turned{f.x * c + f.z * s, 0.0f, -f.x * s + f.z * c};
    m_facing = normalized(turned);
}

}  // namespace quarn
