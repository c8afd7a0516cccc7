#include "game/ai/nav/ai_navigation.h"

#include <cmath>

#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// Below this sine the line of sight runs along the edge; the move it asks for is
// then capped at 1 / MIN_SIGHT_SINE half widths, which any real edge is shorter than.
constexpr float MIN_SIGHT_SINE = 0.01f;

// How far an end of an edge must move along the edge so that the line of sight from
// the position to it shifts sideways by the half width.
float sight_move(const vec3_t &end, const vec3_t &dir, float half_width, const vec3_t &position) {
    const float vx = end.x - position.x, vz = end.z - position.z;
    const float len = std::sqrt(vx * vx + vz * vz);
    // Standing on the end itself: any line of sight is square to the edge.
    const float sine = len > 0.0f ? std::fabs(dir.x * vz - dir.z * vx) / len : 1.0f;
    return half_width / std::fmax(sine, MIN_SIGHT_SINE);
}

}  // namespace

bool ai_navigation_t::load(int sector, const string &path) {
    m_sector.clear();
    auto_ptr_t<file_t> file = fs_open(path, FS_REALM_VIRTUAL);
    if (!file) {
        error("cannot load sector (%i) file (%s)", sector, path.c_str());
        return false;
    }
    return load(sector, *file);
}

bool ai_navigation_t::load(int sector, file_t &file) {
    m_sector.clear();
    if (!m_sector.read(file)) {
        error("[nav] sector %i not loaded from %s", sector, file.get_name());
        return false;
    }
    return true;
}

bool ai_navigation_t::locate(const vec3_t &position, uint32_t mode, uint32_t *cell, bool *inside) const {
    const uint32_t count = m_sector.get_cell_count();
    if (count == 0) return false;
    uint32_t nearest = 0;
    float nearest_distance = INFINITY;
    for (uint32_t i = 0; i < count; ++i) {
        const ai_nav_cell_t &c = m_sector.get_cell(i);
        if (!ai_nav_kind_locatable(c.kind, mode)) continue;
        if (m_sector.contains(i, position)) {
            *cell = i;
            *inside = true;
            return true;
        }
        const float dx = c.centre.x - position.x, dz = c.centre.z - position.z;
        const float distance = dx * dx + dz * dz;
        if (distance < nearest_distance) {
            nearest_distance = distance;
            nearest = i;
        }
    }
    *cell = nearest;
    *inside = false;
    return true;
}

bool ai_navigation_t::cell_centre(uint32_t cell, vec3_t *out) const {
    if (cell >= m_sector.get_cell_count()) return false;
    *out = m_sector.get_cell(cell).centre;
    return true;
}

bool ai_navigation_t::steer(ai_nav_path_t &path, const vec3_t &position, const vec3_t &heading, uint32_t mode,
                            vec3_t *direction, float *speed_factor) const {
    const ai_nav_step_t &head = path.head_step();
    const uint32_t cell = head.cell;
    const uint32_t edges = m_sector.get_cell(cell).link_count;
    uint32_t wall = AI_NAV_NO_EDGE;
    float wall_distance = 0.0f;
    plane_t wall_plane;
    for (uint32_t e = 0; e < edges; ++e) {
        const plane_t plane = m_sector.edge_plane(cell, e);
        if (dot(heading, plane.get_normal()) < 0.0f) continue;
        // Positive inside the cell; an animal already past the wall has a negative one.
        const float distance = -plane.get_signed_distance(position);
        if (distance > STEER_RANGE) continue;
        if (wall == AI_NAV_NO_EDGE || distance < wall_distance) {
            wall = e;
            wall_distance = distance;
            wall_plane = plane;
        }
    }
    if (wall == AI_NAV_NO_EDGE) return false;
    if (path.get_count() >= 2 && wall == head.exit_edge) return false;
    if (m_sector.is_passable(cell, wall, mode)) {
        path.restart_at(m_sector.get_link(cell, wall).neighbour_cell, wall);
        return true;
    }
    float t = wall_distance * (1.0f / STEER_RANGE);
    t = t < 0.0f ? 0.0f : t > 1.0f ? 1.0f : t;
    // Along the wall: the normal turned a quarter back to the edge's direction.
    vec3_t tangent{-wall_plane.c, 0.0f, wall_plane.a};
    if (dot(tangent, heading) < 0.0f) tangent = -tangent;
    vec3_t blend = tangent * (1.0f - t) + heading * t;
    normalize(blend);
    *direction = blend;
    if (1.0f - t < *speed_factor) *speed_factor = 1.0f - t;
    return true;
}

ai_nav_crossing_t ai_navigation_t::edge_crossing(uint32_t cell, uint32_t edge, float half_width,
                                                 const vec3_t &position) const {
    vec3_t p, q;
    m_sector.edge_points(cell, edge, &p, &q);
    ai_nav_crossing_t out;
    const float dx = q.x - p.x, dz = q.z - p.z;
    const float len = std::sqrt(dx * dx + dz * dz);
    out.direction = {dx / len, 0.0f, dz / len};
    const float w = half_width > 0.0f ? half_width : 0.0f;
    const float u = sight_move(p, out.direction, w, position);
    const float k = sight_move(q, out.direction, w, position);
    out.start_offset = out.direction * u;
    out.end_offset = out.direction * -k;
    out.start = dot(out.direction, p + out.start_offset);
    out.end = dot(out.direction, q + out.end_offset);
    if (out.start <= out.end) return out;
    // Too narrow: both moves passed each other. The crossing point lies where the
    // edge divides in the ratio of the moves, nearer the end that needs less room.
    const float r = k / (u + k);
    const vec3_t c = q * (1.0f - r) + p * r;
    out.narrow = true;
    out.start = out.end = dot(out.direction, c);
    out.start_offset = c - p;
    out.end_offset = c - q;
    return out;
}

}  // namespace quarn
