// The AI world's debug view: attraction areas and the navigation mesh as debug lines
// of the kernel's cache, after the console variable "g_ai_debug". The cells' labels
// are camera-facing text drawn in strokes of debug lines.
#include <cstdint>
#include <cstdio>

#include "game/ai/mind/ai_world.h"
#include "game/visuals/effects/text_3d.h"
#include "kernel/console/cvars.h"
#include "kernel/gfx/debug_lines.h"
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

// The letter of a cell kind in its label.
char kind_letter(uint32_t kind) {
    switch (kind) {
        case 2: return 'F';
        case 3: return 'W';
        case 4: return 'M';
        default: return kind > 4 ? '?' : 'N';
    }
}

// Labels: glyphs of straight strokes in a box GLYPH_WIDTH wide and 1 high (world
// units), drawn as debug lines in the text's plane.
constexpr float GLYPH_WIDTH = 0.6f;
constexpr float GLYPH_ADVANCE = 0.9f;
constexpr float LABEL_LINE_HEIGHT = 1.2f;

struct stroke_t {
    float x0, y0, x1, y1;
};
// Seven segments: top, upper right, lower right, bottom, lower left, upper left, middle.
constexpr stroke_t SEGMENTS[7] = {{0, 1, 0.6f, 1},    {0.6f, 1, 0.6f, 0.5f}, {0.6f, 0.5f, 0.6f, 0}, {0, 0, 0.6f, 0},
                                  {0, 0, 0, 0.5f},    {0, 0.5f, 0, 1},       {0, 0.5f, 0.6f, 0.5f}};
// The segments of the digits 0 to 9, bit i for segment i.
constexpr uint8_t DIGITS[10] = {0x3f, 0x06, 0x5b, 0x4f, 0x66, 0x6d, 0x7d, 0x07, 0x7f, 0x6f};

class stroke_font_t : public text_3d_font_t {
public:
    float glyph_width(uint8_t) override { return GLYPH_ADVANCE; }
    void draw_glyph(uint8_t c, const mat4_t &matrix, float x, float y, uint32_t colour) override {
        const auto line = [&](const stroke_t &s) {
            const vec3_t a{x + s.x0, y + s.y0, 0.0f}, b{x + s.x1, y + s.y1, 0.0f};
            debug_lines_add_line(&a, &b, colour, &matrix);
        };
        const auto segments = [&](uint8_t bits) {
            for (int i = 0; i < 7; ++i)
                if (bits & (1u << i)) line(SEGMENTS[i]);
        };
        const float w = GLYPH_WIDTH, h = 0.5f * GLYPH_WIDTH;
        switch (c) {
            case 'F': segments(0x71); break;  // top, both left, middle
            case 'N':
                segments(0x36);  // both sides
                line({0, 1, w, 0});
                break;
            case 'W':
                segments(0x36);
                line({0, 0, h, 0.5f});
                line({h, 0.5f, w, 0});
                break;
            case 'M':
                segments(0x36);
                line({0, 1, h, 0.5f});
                line({h, 0.5f, w, 1});
                break;
            case '?':
                segments(0x03);  // top, upper right
                line({w, 0.5f, h, 0.5f});
                line({h, 0.5f, h, 0.25f});
                line({h, 0.1f, h, 0.0f});
                break;
            default:
                if (c >= '0' && c <= '9') segments(DIGITS[c - '0']);
                break;
        }
    }
};

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
    // The labels: the kind's letter and the cell's number, in the kind's colour.
    stroke_font_t font;
    char label[32];
    for (uint32_t c = 0; c < sector.get_cell_count(); ++c) {
        const ai_nav_cell_t &cell = sector.get_cell(c);
        if (frustum && !frustum->intersects(cell.box)) continue;
        snprintf(label, sizeof label, "%c %u", kind_letter(cell.kind), c);
        draw_text_3d(font, LABEL_LINE_HEIGHT, kind_colour(cell.kind), label, cell.centre);
    }
}

}  // namespace quarn

// Kept for the plug-ins that bind it by name; the game draws its debug lines through
// the kernel's cache.
extern "C" __attribute__((visibility("default"))) void gfx_line_plain(const quarn::vec3_t *, const quarn::vec3_t *,
                                                                      uint32_t) {}
