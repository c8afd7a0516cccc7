#pragma once
// ai_nav_path_t: one animal's way over the navigation mesh, as a chain of cells
// (steps) from the cell the animal is in (the head) to the step the search has
// reached (the current one). Steps and waypoints live in two rings sized once by the
// step limit, so that walking along the path (the head moves on) and searching
// further (steps are pushed at the current end) never allocate.
//
// Each step has a waypoint slot of its own: a step entered through a detour gets the
// midpoint of the edge it was entered through, any other step carries its
// predecessor's waypoint on. The waypoint of the current step is where the search
// walks from.
#include <cstdint>

#include "game/ai/nav/ai_sector.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/math/vec.h"

namespace quarn {

struct ai_nav_step_t {
    uint32_t cell = 0;
    uint32_t exit_edge = AI_NAV_NO_EDGE;   // the edge through which the path leaves the cell
    uint32_t turn_edge = AI_NAV_NO_EDGE;   // blocked: the closed way out, where walking around ends
    uint32_t last_tried = AI_NAV_NO_EDGE;  // blocked: the edge tried last while walking around
    bool fresh = true;                     // not examined by a search yet
    bool blocked = false;                  // the direct way out was closed: walk around the cell
    bool has_waypoint = false;             // entered through a detour, with a waypoint of its own
    bool reverse_turn = false;             // walk around against the order of the corners
};

class ai_nav_path_t {
public:
    // The smallest step limit: the head and one step into the next cell.
    static constexpr uint32_t MIN_STEP_LIMIT = 2;

    ai_nav_path_t() = default;
    ai_nav_path_t(const ai_nav_path_t &) = delete;
    ai_nav_path_t &operator=(const ai_nav_path_t &) = delete;

    // Sizes both rings to the step limit (at least MIN_STEP_LIMIT; storage is only
    // taken when it grows) and starts over with one fresh step into the start cell,
    // whose waypoint is left as the slot held it: set it with set_current_waypoint.
    // False when the host has no memory for the rings; the path is then empty.
    bool reset(uint32_t step_limit, uint32_t start_cell);

    // Closes the current step with the edge as its exit and appends a fresh step into
    // the cell, which carries the current waypoint on. The ring must have room
    // (get_count() < get_limit()).
    void push_step(uint32_t cell, uint32_t edge);
    // The same, the new step getting the point as a waypoint of its own.
    void push_step_with_waypoint(uint32_t cell, uint32_t edge, const vec3_t &point);
    // Removes the current step, when the search backs out of its cell; the step
    // before it becomes the current one. Needs at least two steps.
    void drop_step();

    const vec3_t &current_waypoint() const { return m_waypoints[m_current]; }
    void set_current_waypoint(const vec3_t &point) { m_waypoints[m_current] = point; }
    // The waypoint of the first step after the head that has one of its own; false
    // when none has (also when the head step is the current one).
    bool next_waypoint(vec3_t *out) const;

    const ai_nav_step_t &head_step() const { return m_steps[m_head]; }
    const ai_nav_step_t &current_step() const { return m_steps[m_current]; }
    ai_nav_step_t &current_step() { return m_steps[m_current]; }
    // The index-th step from the head (index < get_count()).
    const ai_nav_step_t &get_step(uint32_t index) const;
    ai_nav_step_t &get_step(uint32_t index);
    // The current step is the head step.
    bool at_head() const { return m_current == m_head; }

    // The head moves on to the next step, when there is one (the animal has entered
    // its cell). Returns the moved flag and clears it.
    bool advance_head();
    // Starts the search over from the head: only the head step is kept, or the head
    // and the step after it when the moved flag is set; the last kept step becomes
    // fresh and the target counts as not reached.
    void rewind();
    // The path starts over at its head with one fresh step into the cell through the
    // head's edge, and the moved flag is set (the animal is heading into that cell).
    void restart_at(uint32_t cell, uint32_t edge);

    uint32_t get_count() const { return m_count; }
    uint32_t get_limit() const { return m_limit; }
    bool has_moved() const { return m_moved; }
    bool is_target_reached() const { return m_target_reached; }
    void set_target_reached() { m_target_reached = true; }

private:
    uint32_t ring_next(uint32_t i) const { return i + 1 == m_limit ? 0 : i + 1; }
    uint32_t ring_previous(uint32_t i) const { return i == 0 ? m_limit - 1 : i - 1; }
    // Appends a fresh step into the cell behind the current one.
    ai_nav_step_t &append(uint32_t cell, uint32_t edge);

    array_dyn_t<ai_nav_step_t> m_steps;
    array_dyn_t<vec3_t> m_waypoints;
    uint32_t m_head = 0;
    uint32_t m_current = 0;
    uint32_t m_count = 0;
    uint32_t m_limit = 0;
    bool m_moved = false;
    bool m_target_reached = false;
};

}  // namespace quarn
