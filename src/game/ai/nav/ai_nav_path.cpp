#include "game/ai/nav/ai_nav_path.h"

#include "qrncore/collections/arrays/array_check.h"
#include "qrncore/system/messages.h"

namespace quarn {

bool ai_nav_path_t::reset(uint32_t step_limit, uint32_t start_cell) {
    if (step_limit < MIN_STEP_LIMIT) step_limit = MIN_STEP_LIMIT;
    if (!m_steps.set_size(step_limit) || !m_waypoints.set_size(step_limit)) {
        m_steps.clear();
        m_waypoints.clear();
        m_head = m_current = m_count = m_limit = 0;
        return false;
    }
    // A shorter limit than before keeps the larger storage: set_size only ends the
    // surplus elements.
    m_limit = step_limit;
    m_head = m_current = 0;
    m_count = 1;
    m_steps[0] = ai_nav_step_t{};
    m_steps[0].cell = start_cell;
    m_moved = false;
    m_target_reached = false;
    return true;
}

ai_nav_step_t &ai_nav_path_t::append(uint32_t cell, uint32_t edge) {
    V_ASSERT(m_count < m_limit);
    m_steps[m_current].exit_edge = edge;
    const uint32_t next = ring_next(m_current);
    m_waypoints[next] = m_waypoints[m_current];
    ai_nav_step_t &step = m_steps[next];
    step = ai_nav_step_t{};
    step.cell = cell;
    m_current = next;
    ++m_count;
    return step;
}

void ai_nav_path_t::push_step(uint32_t cell, uint32_t edge) { append(cell, edge); }

void ai_nav_path_t::push_step_with_waypoint(uint32_t cell, uint32_t edge, const vec3_t &point) {
    append(cell, edge).has_waypoint = true;
    m_waypoints[m_current] = point;
}

void ai_nav_path_t::drop_step() {
    V_ASSERT(m_count > 1);
    m_current = ring_previous(m_current);
    --m_count;
}

bool ai_nav_path_t::next_waypoint(vec3_t *out) const {
    for (uint32_t i = 1; i < m_count; ++i) {
        const uint32_t slot = (m_head + i) % m_limit;
        if (m_steps[slot].has_waypoint) {
            *out = m_waypoints[slot];
            return true;
        }
    }
    return false;
}

const ai_nav_step_t &ai_nav_path_t::get_step(uint32_t index) const {
    if (index >= m_count) array_index_check_failed(__LINE__);
    return m_steps[(m_head + index) % m_limit];
}

ai_nav_step_t &ai_nav_path_t::get_step(uint32_t index) {
    if (index >= m_count) array_index_check_failed(__LINE__);
    return m_steps[(m_head + index) % m_limit];
}

bool ai_nav_path_t::advance_head() {
    if (m_count > 1) {
        m_head = ring_next(m_head);
        --m_count;
    }
    const bool moved = m_moved;
    m_moved = false;
    return moved;
}

void ai_nav_path_t::rewind() {
    const uint32_t keep = m_moved && m_count >= 2 ? 2 : 1;
    m_count = keep;
    m_current = keep == 2 ? ring_next(m_head) : m_head;
    ai_nav_step_t &last = m_steps[m_current];
    const uint32_t cell = last.cell;
    const bool waypoint = last.has_waypoint;
    last = ai_nav_step_t{};
    last.cell = cell;
    last.has_waypoint = waypoint;
    m_target_reached = false;
}

void ai_nav_path_t::restart_at(uint32_t cell, uint32_t edge) {
    m_current = m_head;
    m_count = 1;
    ai_nav_step_t &head = m_steps[m_head];
    head.fresh = false;
    head.blocked = false;
    head.turn_edge = head.last_tried = AI_NAV_NO_EDGE;
    append(cell, edge);
    m_moved = true;
    m_target_reached = false;
}

}  // namespace quarn
