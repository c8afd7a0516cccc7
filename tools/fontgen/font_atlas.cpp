#include "font_atlas.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "font_face.h"
#include "outside/qrnshared/def_pool.h"
#include "qrncore/qrnutils/ufs/fs.h"

namespace fontgen {

namespace {

void set_alpha(atlas_image_t &image, uint32_t x, uint32_t y, uint8_t a) {
    image.rgba[(size_t(y) * image.width + x) * 4 + 3] = a;
}

// Puts the rendered glyph into the cell at (cx, cy), its origin at (pen_x, baseline)
// inside the cell; coverage outside the cell is counted and dropped.
void blit(const FT_GlyphSlot slot, atlas_image_t &image, const quarn::zml_atlas_layout_t &layout, uint32_t cx,
          uint32_t cy, int32_t pen_x, int32_t baseline, glyph_report_t &report) {
    const FT_Bitmap &b = slot->bitmap;
    const int32_t left = pen_x + slot->bitmap_left;
    const int32_t top = baseline - slot->bitmap_top;
    for (uint32_t row = 0; row < b.rows; ++row) {
        // A negative pitch stores the rows bottom first.
        const unsigned char *line = b.pitch >= 0 ? b.buffer + size_t(row) * size_t(b.pitch)
                                                 : b.buffer + size_t(b.rows - 1 - row) * size_t(-b.pitch);
        for (uint32_t col = 0; col < b.width; ++col) {
            const uint8_t a = line[col];
            if (!a) continue;
            const int32_t x = left + int32_t(col), y = top + int32_t(row);
            if (x < 0 || y < 0 || x >= int32_t(layout.cell_width) || y >= int32_t(layout.cell_height)) {
                ++report.clipped;
                continue;
            }
            set_alpha(image, cx + uint32_t(x), cy + uint32_t(y), a);
            ++report.ink;
        }
    }
}

// The box of characters the atlas lacks: an outline from the ascender line down to
// the baseline, inset from the cell's sides by its own stroke.
void draw_box(atlas_image_t &image, const quarn::zml_atlas_layout_t &layout, int32_t ascender_top,
              int32_t baseline, glyph_report_t &report) {
    const int32_t w = int32_t(layout.cell_width);
    const int32_t stroke = std::max(1, w / 8);
    const int32_t x0 = std::min(stroke, w - 1), x1 = std::max(x0 + 1, w - stroke);
    const int32_t y0 = std::max(0, ascender_top), y1 = std::min(int32_t(layout.cell_height), baseline);
    const uint32_t cx = layout.cell_x(quarn::ZML_ATLAS_BOX), cy = layout.cell_y(quarn::ZML_ATLAS_BOX);
    for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x) {
            const bool edge = x < x0 + stroke || x >= x1 - stroke || y < y0 + stroke || y >= y1 - stroke;
            if (!edge) continue;
            set_alpha(image, cx + uint32_t(x), cy + uint32_t(y), 255);
            ++report.ink;
        }
    report.drawn = true;
}

void put_u16(std::string &out, uint32_t v) {
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}

// An RGBA texel packed in TGA order: blue in the lowest byte, then green, red, alpha.
uint32_t bgra(const uint8_t *p) {
    return uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16 | uint32_t(p[3]) << 24;
}

void put_texel(std::string &out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += char((v >> (8 * i)) & 0xFF);
}

// Draws every character the font lists, and the box, at size_64 / 64 grid units an em
// into out (whose layout is set); false with error when a glyph cannot be had.
bool draw_glyphs(FT_Face f, const std::string &face_path, const quarn::zml_font_t &font, double grid,
                 FT_F26Dot6 size_64, atlas_t &out, std::string &error) {
    const quarn::zml_atlas_layout_t &layout = out.layout;
    if (size_64 < 64 || FT_Set_Char_Size(f, size_64, size_64, 72, 72)) {
        error = "the cells are too small to draw '" + face_path + "' in";
        return false;
    }
    out.pixels_per_em = float(double(size_64) / 64.0 * grid);
    // Measures on the grid. The line is centred in the cell, the baseline put on the
    // grid below it, the advance centred on the grid.
    const double scale = double(size_64) / 64.0 / f->units_per_EM;
    const double ascender = f->ascender * scale, advance = f->max_advance_width * scale;
    const double line = (double(f->ascender) - double(f->descender)) * scale;
    const double cell_w = layout.cell_width / grid, cell_h = layout.cell_height / grid;
    const int32_t step = int32_t(grid);
    const int32_t baseline = int32_t(std::lround((cell_h - line) / 2.0 + ascender)) * step;
    const int32_t pen_x = int32_t(std::lround((cell_w - advance) / 2.0)) * step;
    out.baseline = uint32_t(std::max(0, baseline));
    const FT_Matrix to_texels{FT_Fixed(step) << 16, 0, 0, FT_Fixed(step) << 16};

    atlas_image_t &image = out.image;
    image.width = layout.width();
    image.height = layout.height();
    // White everywhere, so that filtering at a glyph's edge never darkens it.
    image.rgba.assign(size_t(image.width) * image.height * 4, 255);
    for (size_t i = 3; i < image.rgba.size(); i += 4) image.rgba[i] = 0;
    for (glyph_report_t &g : out.glyphs) g = glyph_report_t();

    for (uint32_t code = 1; code < 256; ++code) {
        if (!quarn::zml_atlas_has(font, uint8_t(code))) continue;
        // Texts are bytes, each a Latin-1 character: byte c is Unicode's U+00c.
        const FT_UInt index = FT_Get_Char_Index(f, code);
        char what[64];
        if (index == 0) {
            snprintf(what, sizeof what, "has no glyph for the character 0x%02X", code);
            error = "'" + face_path + "' " + what;
            return false;
        }
        bool drawn = !FT_Load_Glyph(f, index, LOAD_FLAGS) && f->glyph->format == FT_GLYPH_FORMAT_OUTLINE;
        if (drawn) {
            FT_Outline_Transform(&f->glyph->outline, &to_texels);
            drawn = !FT_Render_Glyph(f->glyph, FT_RENDER_MODE_NORMAL) &&
                    f->glyph->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
        }
        if (!drawn) {
            snprintf(what, sizeof what, "cannot draw the character 0x%02X", code);
            error = "FreeType " + std::string(what) + " of '" + face_path + "'";
            return false;
        }
        glyph_report_t &report = out.glyphs[code];
        blit(f->glyph, image, layout, layout.cell_x(uint8_t(code)), layout.cell_y(uint8_t(code)), pen_x, baseline,
             report);
        report.drawn = true;
    }
    draw_box(image, layout, baseline - int32_t(std::lround(ascender)) * step, baseline,
             out.glyphs[quarn::ZML_ATLAS_BOX]);
    return true;
}

}  // namespace

bool make_atlas(const std::string &face_path, const quarn::zml_font_t &font, atlas_t &out, std::string &error) {
    out = atlas_t();
    if (!quarn::zml_atlas_layout(font, &out.layout)) {
        error = "the font has no atlas";
        return false;
    }
    face_t face;
    if (!face.open(face_path, error)) return false;
    FT_Face f = face.get();
    const quarn::zml_atlas_layout_t &layout = out.layout;

    // The largest size at which one advance fits the cell's width and the line from
    // ascender to descender its height, in texels an em; hinted on a grid of `grid`
    // texels (the scale, when whole) and rounded down to FreeType's 1/64 of it.
    const double grid = font.atlas_scale >= 1.0f && font.atlas_scale == std::floor(font.atlas_scale)
                            ? double(font.atlas_scale)
                            : 1.0;
    const double em = f->units_per_EM;
    const double line = double(f->ascender) - double(f->descender);
    const double size = std::min(layout.cell_width * em / f->max_advance_width, layout.cell_height * em / line);
    FT_F26Dot6 size_64 = FT_F26Dot6(std::floor(size / grid * 64.0));
    // Hinting and the edges of coverage may carry a glyph a texel past its design
    // box: the face is then drawn a little smaller, until every glyph stays whole in
    // its cell (a few steps at most; the last try stands, its cuts reported).
    for (int tries = 0;; ++tries) {
        if (!draw_glyphs(f, face_path, font, grid, size_64, out, error)) return false;
        uint32_t clipped = 0;
        for (const glyph_report_t &g : out.glyphs) clipped += g.clipped;
        if (clipped == 0 || tries == 15) return true;
        size_64 -= std::max<FT_F26Dot6>(1, size_64 / 64);
    }
}

std::string encode_tga(const atlas_image_t &image) {
    std::string out;
    out.reserve(18 + image.rgba.size() / 8);
    out += char(0);   // no image ID
    out += char(0);   // no colour map
    out += char(10);  // true colour, run-length encoded
    out.append(5, char(0));
    put_u16(out, 0);
    put_u16(out, 0);
    put_u16(out, image.width);
    put_u16(out, image.height);
    out += char(32);
    out += char(0x28);  // 8 bits of alpha; origin at the upper left: rows top first
    for (uint32_t y = 0; y < image.height; ++y) {
        const uint8_t *row = image.rgba.data() + size_t(y) * image.width * 4;
        uint32_t x = 0;
        while (x < image.width) {
            // A run of two or more equal texels is one packet; texels that differ from
            // their right neighbour go into raw packets. Packets hold at most 128.
            uint32_t run = 1;
            while (x + run < image.width && run < 128 && bgra(row + (x + run) * 4) == bgra(row + x * 4)) ++run;
            if (run >= 2) {
                out += char(0x80 | (run - 1));
                put_texel(out, bgra(row + x * 4));
                x += run;
                continue;
            }
            uint32_t raw = 1;
            while (x + raw < image.width && raw < 128 &&
                   !(x + raw + 1 < image.width && bgra(row + (x + raw) * 4) == bgra(row + (x + raw + 1) * 4)))
                ++raw;
            out += char(raw - 1);
            for (uint32_t i = 0; i < raw; ++i) put_texel(out, bgra(row + (x + i) * 4));
            x += raw;
        }
    }
    return out;
}

bool write_atlas(const std::string &face_path, const std::string &font_file, const std::string &folder,
                 std::string &error) {
    quarn::def_pool_t pool;
    quarn::zml_font_t font;
    if (!pool.read_from(font_file.c_str(), quarn::FS_REALM_SYSTEM) ||
        !quarn::zml_font_parse(pool, font_file.c_str(), &font)) {
        error = "'" + font_file + "' does not read as a font";
        return false;
    }
    if (!path_is_plain(font.atlas)) {
        error = "'" + font_file + "' names no atlas, or one whose path has empty, '.' or '..' parts";
        return false;
    }
    atlas_t atlas;
    if (!make_atlas(face_path, font, atlas, error)) return false;
    return write_file(folder, font.atlas, encode_tga(atlas.image), error);
}

}  // namespace fontgen
