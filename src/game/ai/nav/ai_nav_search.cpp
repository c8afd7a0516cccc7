// The path search of ai_navigation_t: a walk from cell to cell along the line from
// the walking point to the target, which walks around a cell whose direct way out is
// closed and backs out of cells that lead nowhere. Its whole state lives in the path,
// so a search stopped by the ring's limit or the budget goes on at the next call.
#include "game/ai/nav/ai_navigation.h"

namespace quarn {

namespace {

// Which side of the walking line (from walk along dir) the point lies on, by the
// sign of the cross product in x and z; the sides swap when walking away.
float side_of(const vec3_t &point, const vec3_t &walk, const vec3_t &dir, bool away) {
    const float s = dir.x * (point.z - walk.z) - dir.z * (point.x - walk.x);
    return away ? -s : s;
}

vec3_t midpoint(const ai_sector_t &sector, uint32_t cell, uint32_t edge) {
    vec3_t p, q;
    sector.edge_points(cell, edge, &p, &q);
    return (p + q) * 0.5f;
}

}  // namespace

uint32_t ai_navigation_t::find_exit(uint32_t cell, uint32_t start, const vec3_t &walk, const vec3_t &dir,
                                    bool away) const {
    const uint32_t edges = m_sector.get_cell(cell).link_count;
    uint32_t e = start;
    for (uint32_t i = 0; i < edges; ++i, e = m_sector.next_edge(cell, e)) {
        vec3_t p, q;
        m_sector.edge_points(cell, e, &p, &q);
        if (side_of(p, walk, dir, away) < 0.0f && !(side_of(q, walk, dir, away) < 0.0f)) return e;
    }
    return AI_NAV_NO_EDGE;
}

uint32_t ai_navigation_t::search_start(const ai_nav_path_t &path, uint32_t index) const {
    if (index == 0) return 0;
    const ai_nav_step_t &before = path.get_step(index - 1);
    const uint32_t entry = m_sector.get_link(before.cell, before.exit_edge).neighbour_edge;
    const uint32_t cell = path.get_step(index).cell;
    // Two on from the entry: its next edge shares a corner with it, so the far
    // side of the cell is searched first. The count wraps it round.
    return m_sector.next_edge(cell, m_sector.next_edge(cell, entry));
}

void ai_navigation_t::mark_path(const ai_nav_path_t &path, bool visited) {
    for (uint32_t i = 0; i < path.get_count(); ++i) m_sector.get_cell(path.get_step(i).cell).visited = visited;
}

int ai_navigation_t::find_path(ai_nav_path_t &path, ai_nav_request_t &request, uint32_t mode, randomizer_t &random) {
    if (path.is_target_reached()) return PATH_REACHED;
    if (path.get_count() == 0) return PATH_NONE;
    const bool away = request.walks_away();
    mark_path(path, true);
    // Every return below goes through here, so no visited mark outlives the search.
    auto finish = [&](int result) {
        mark_path(path, false);
        return result;
    };
    vec3_t walk = path.current_waypoint();
    // Each call examines at least one cell or edge, so repeated calls always end.
    uint32_t budget = m_search_budget;
    auto spend = [&budget](uint32_t tests) {
        if (budget == 0) return false;
        budget = budget > tests ? budget - tests : 0;
        return true;
    };
    // The step's direct way out through the edge is closed: walk around the cell from
    // it, in a direction drawn at even odds.
    auto block = [&random](ai_nav_step_t &step, uint32_t edge) {
        step.blocked = true;
        step.reverse_turn = random.rand_u(2) == 1;
        step.exit_edge = step.turn_edge = step.last_tried = edge;
    };
    // Takes the path through the edge of the current step's cell with a waypoint at
    // the edge's midpoint, from where the walk goes on.
    auto detour = [&](const ai_nav_step_t &step, uint32_t edge) {
        const uint32_t next = m_sector.get_link(step.cell, edge).neighbour_cell;
        walk = midpoint(m_sector, step.cell, edge);
        path.push_step_with_waypoint(next, edge, walk);
        m_sector.get_cell(next).visited = true;
    };

    for (;;) {
        ai_nav_step_t &step = path.current_step();
        if (step.fresh) {
            if (!away && m_sector.contains(step.cell, request.point)) {
                request.cell = step.cell;
                path.set_target_reached();
                return finish(PATH_REACHED);
            }
            if (path.get_count() >= path.get_limit()) return finish(PATH_LIMIT);
            if (!spend(m_sector.get_cell(step.cell).link_count)) return finish(PATH_LIMIT);
            const uint32_t start = search_start(path, path.get_count() - 1);
            const uint32_t exit = find_exit(step.cell, start, walk, request.point - walk, away);
            step.fresh = false;
            if (exit != AI_NAV_NO_EDGE && m_sector.is_passable(step.cell, exit, mode)) {
                const uint32_t next = m_sector.get_link(step.cell, exit).neighbour_cell;
                path.push_step(next, exit);
                m_sector.get_cell(next).visited = true;
                continue;
            }
            // The line leads somewhere closed: walk around the cell from there. When
            // no edge crosses the line (the walking point lies off the cell or on the
            // target) every edge is a way to try, the first one included.
            block(step, exit != AI_NAV_NO_EDGE ? exit : start);
            if (exit == AI_NAV_NO_EDGE && m_sector.is_passable(step.cell, start, mode)) {
                detour(step, start);
                continue;
            }
        } else if (!step.blocked) {
            // Backed into from a cell that led nowhere: the way out it took is closed
            // now.
            block(step, step.exit_edge);
        }
        bool pushed = false;
        for (;;) {
            const uint32_t e = step.reverse_turn ? m_sector.previous_edge(step.cell, step.last_tried)
                                                 : m_sector.next_edge(step.cell, step.last_tried);
            if (e == step.turn_edge) break;
            if (!spend(1)) return finish(PATH_LIMIT);
            step.last_tried = e;
            if (m_sector.is_passable(step.cell, e, mode)) {
                detour(step, e);
                pushed = true;
                break;
            }
        }
        if (pushed) continue;
        if (path.get_count() == 1) return finish(PATH_NONE);
        m_sector.get_cell(step.cell).visited = false;
        path.drop_step();
        walk = path.current_waypoint();
    }
}

}  // namespace quarn
