// Reads arbitrary bytes as a "sector.ai" navigation mesh. A mesh that is accepted is
// then queried as the animals query it: points are located in every mode, paths are
// searched towards and away from other points and walked along, animals are steered
// and edges crossed. No query may fail a check or leave a visited mark behind.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "game/ai/nav/ai_navigation.h"
#include "qrncore/qrnutils/ufs/mem_file.h"

namespace {

using quarn::vec3_t;

bool marks_clear(const quarn::ai_sector_t &sector) {
    for (uint32_t i = 0; i < sector.get_cell_count(); ++i)
        if (sector.get_cell(i).visited) return false;
    return true;
}

// A point near the cell: its centre moved by up to its radius (more for a few).
vec3_t near_cell(const quarn::ai_sector_t &sector, uint32_t cell, quarn::randomizer_t &dice) {
    const quarn::ai_nav_cell_t &c = sector.get_cell(cell);
    const float reach = c.radius * (dice.rand_u(8) == 0 ? 3.0f : 1.0f);
    return c.centre + vec3_t{(dice.rand() * 2 - 1) * reach, 0, (dice.rand() * 2 - 1) * reach};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > UINT32_MAX) return 0;
    quarn::mem_file_t file(data, uint32_t(size));
    quarn::ai_navigation_t nav;
    if (!nav.load(0, file)) return 0;
    const quarn::ai_sector_t &sector = nav.get_sector();
    const uint32_t cells = sector.get_cell_count();
    uint32_t cell = 0;
    bool inside = false;
    if (cells == 0) {
        if (nav.locate({0, 0, 0}, 0, &cell, &inside)) abort();
        return 0;
    }
    // Searches stay short, so that large meshes with closed-off targets stay quick.
    nav.set_search_budget(2048);
    quarn::randomizer_t dice(uint32_t(size) ^ data[size / 2]);
    quarn::ai_nav_path_t path;
    for (int round = 0; round < 8; ++round) {
        const uint32_t mode = dice.rand_u(4);
        const vec3_t from = near_cell(sector, dice.rand_u(cells < 30000 ? cells : 30000), dice);
        const vec3_t to = near_cell(sector, dice.rand_u(cells < 30000 ? cells : 30000), dice);
        if (!nav.locate(from, mode, &cell, &inside) || cell >= cells) abort();
        if (inside && !nav.contains(from, cell)) abort();
        if (!path.reset(2 + dice.rand_u(30), cell)) abort();
        path.set_current_waypoint(from);

        quarn::ai_nav_request_t request;
        request.kind = dice.rand_u(2) ? quarn::ai_nav_request_t::WALK_TO : quarn::ai_nav_request_t::WALK_AWAY;
        request.point = to;
        for (int call = 0; call < 4; ++call) {
            const int result = nav.find_path(path, request, mode, dice);
            if (!marks_clear(sector)) abort();
            if (result == quarn::ai_navigation_t::PATH_REACHED && !nav.contains(to, request.cell)) abort();
            for (uint32_t i = 1; i < path.get_count(); ++i) {
                const quarn::ai_nav_step_t &before = path.get_step(i - 1);
                const quarn::ai_nav_link_t &link = sector.get_link(before.cell, before.exit_edge);
                if (!link.has_neighbour || link.neighbour_cell != path.get_step(i).cell) abort();
                const quarn::ai_nav_crossing_t crossing =
                    nav.edge_crossing(before.cell, before.exit_edge, dice.rand() * 3, from);
                if (std::isnan(crossing.start) || std::isnan(crossing.end)) abort();
            }
            if (result != quarn::ai_navigation_t::PATH_LIMIT) break;
            path.advance_head();
        }

        const float angle = dice.rand() * 6.2831853f;
        const vec3_t heading{std::cos(angle), 0, std::sin(angle)};
        vec3_t direction = heading;
        float speed = 1.0f;
        nav.steer(path, from, heading, mode, &direction, &speed);
        if (!marks_clear(sector) || std::isnan(direction.x) || std::isnan(speed)) abort();
    }
    return 0;
}
