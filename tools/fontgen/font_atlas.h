#pragma once
// fontgen: the glyph atlas of a UI font (docs/formats/font.md). The font file gives
// the glyph model (glyph width x line height, reference units) and the atlas: its
// path, its scale in texels per reference unit, the padding around each cell and the
// characters it holds. A scalable face (a TrueType file, through FreeType) is drawn
// into one cell per character at the largest size whose advance and line fit the
// cell, every glyph on one baseline, its advance centred in the cell, and the box that
// stands for missing characters goes into cell 0. Texels are white with the glyphs'
// coverage in alpha, so a tint colours them.
//
// The same face file, font file and FreeType give the same bytes every time.
#include <cstdint>
#include <string>
#include <vector>

#include "outside/qrnshared/ui/zml.h"

namespace fontgen {

// RGBA texels, 4 bytes each (red, green, blue, alpha), rows top first.
struct atlas_image_t {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;

    uint8_t alpha(uint32_t x, uint32_t y) const { return rgba[(size_t(y) * width + x) * 4 + 3]; }
};

// What became of one character.
struct glyph_report_t {
    bool drawn = false;     // the atlas holds it (cell 0: the box)
    uint32_t ink = 0;       // texels of its cell with coverage
    uint32_t clipped = 0;   // texels with coverage that fell outside the cell and were dropped
};

struct atlas_t {
    atlas_image_t image;
    quarn::zml_atlas_layout_t layout;
    float pixels_per_em = 0.0f;  // the size the face was drawn at, in texels
    uint32_t baseline = 0;       // texels from a cell's top edge to the baseline
    glyph_report_t glyphs[256];
};

// Draws the font's atlas from the face file. False, with "what is wrong" in error,
// when the font has no atlas, the face cannot be read or is not scalable, or the face
// lacks a character the font lists.
bool make_atlas(const std::string &face_path, const quarn::zml_font_t &font, atlas_t &out, std::string &error);

// The image as a TGA file: 32-bit B, G, R, A texels, run-length encoded (image type
// 10, no packet crossing a row), rows top first (origin at the upper left).
std::string encode_tga(const atlas_image_t &image);

// Reads the font file (an operating-system path; its errors are logged "[zml]
// file:line: ..."), draws its atlas and writes it as TGA to folder + the atlas's
// virtual path, making the folders on the way. False with the reason in error.
bool write_atlas(const std::string &face_path, const std::string &font_file, const std::string &folder,
                 std::string &error);

}  // namespace fontgen
