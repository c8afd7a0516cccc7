// The AI world's debug view: attraction areas and the navigation mesh as debug lines
// of the kernel's cache, after the console variable "g_ai_debug".
#include <cstdint>

#include "game/ai/ai_world.h"
#include "kernel/cvars.h"
#include "kernel/debug_lines.h"
#include "outside/qrnshared/cvar.h"
#include "qrncore/geometry/frustum.h"
#include "qrncore/geometry/sphere.h"

namespace quarn {

namespace {

// Colour words of the cell kinds.
uint32_t kind_colour(uint32_t kind) {
    switch (kind) {
        case 2: return 0xff0000ffu;
        case 3: return 0xffff0000u;
        case 4: return 0xff00ff00u;
        default: return kind > 4 ? 0xffeecc11u : 0xffffffffu;
    }
}

constexpr uint32_t LINK_COLOUR = 0xffff00ffu;

}  // namespace

void ai_world_t::debug_draw(const frustum_t *frustum) {
    const cvar_t *variable = cvar_get("g_ai_debug");
    const int32_t level = variable ? variable->get_int() : 0;
    if (level != 1 && level != 2) return;
    if (m_areas) {
        for (uint32_t i = 0; i < m_areas->get_area_count(); ++i) {
            const ai_attract_area_t *area = m_areas->get_area(i);
            if (!area) continue;
            const vec3_t centre = area->get_centre();
            const float radius = area->get_radius();
            if (frustum && !frustum->intersects(sphere_t(centre, radius))) continue;
            const vec3_t box_centre{centre.x, centre.y + 0.5f, centre.z};
            const vec3_t size{2.0f * radius, 2.0f * radius, 2.0f * radius};
            debug_lines_add_box(&box_centre, &size, area->get_debug_color());
        }
    }
    if (level == 2) draw_navigation(frustum);
}

void ai_world_t::draw_navigation(const frustum_t *frustum) const {
    const ai_sector_t &sector = m_navigation.get_sector();
    for (uint32_t c = 0; c < sector.get_cell_count(); ++c) {
        const ai_nav_cell_t &cell = sector.get_cell(c);
        if (frustum && !frustum->intersects(cell.box)) continue;
        const uint32_t colour = kind_colour(cell.kind);
        const vec3_t &m = cell.centre;
        const vec3_t x0{m.x - 5.0f, m.y, m.z}, x1{m.x + 5.0f, m.y, m.z};
        const vec3_t z0{m.x, m.y, m.z - 5.0f}, z1{m.x, m.y, m.z + 5.0f};
        debug_lines_add_line(&x0, &x1, colour, nullptr);
        debug_lines_add_line(&z0, &z1, colour, nullptr);
        for (uint32_t e = 0; e < cell.link_count; ++e) {
            const ai_nav_link_t &link = sector.get_link(c, e);
            if (!link.has_neighbour || link.neighbour_cell >= c) continue;
            const vec3_t &other = sector.get_cell(link.neighbour_cell).centre;
            debug_lines_add_line(&m, &other, LINK_COLOUR, nullptr);
        }
    }
}

}  // namespace quarn

// Kept for the plug-ins that bind it by name; the game draws its debug lines through
// the kernel's cache.
extern "C" __attribute__((visibility("default"))) void gfx_line_plain(const quarn::vec3_t *, const quarn::vec3_t *,
                                                                      uint32_t) {}
