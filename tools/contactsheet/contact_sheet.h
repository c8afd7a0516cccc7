#pragma once
// contactsheet: pictures side by side on one sheet, each made smaller by a whole
// factor and captioned underneath in the UI font, from the glyph atlas the build
// makes for it (docs/formats/font.md). Rows of at most `columns` pictures, in the
// order given, on a dark background; every cell as large as the largest thumbnail,
// a thumbnail at the top of its cell and centred across it, its caption centred on
// the line below it (cut at the cell's width). Glyphs are the atlas's texels one to
// one, their coverage blending the caption's colour over the background.
//
// The same pictures, captions, font and options give the same sheet, pixel for
// pixel; written by write_png, byte for byte.
#include <cstdint>
#include <string>
#include <vector>

#include "picture.h"

namespace contactsheet {

// The UI font's glyphs as the sheet draws them: one cell of coverage a character.
struct caption_font_t {
    uint32_t cell_width = 0;   // texels
    uint32_t cell_height = 0;  // texels
    // Coverage of each of the 256 character cells, cell_width x cell_height bytes,
    // rows from the top; a character the atlas lacks has the box's cell.
    std::vector<uint8_t> coverage[256];

    uint8_t at(uint8_t code, uint32_t x, uint32_t y) const { return coverage[code][size_t(y) * cell_width + x]; }
};

// Reads the font file (an operating-system path; docs/formats/font.md) and its atlas,
// found at atlas_root + the atlas's virtual path. False, with "what is wrong" in
// error, when the font does not read or names no atlas, or the atlas is no 32-bit TGA
// of the size the font's layout gives.
bool load_caption_font(const std::string &font_file, const std::string &atlas_root, caption_font_t &out,
                       std::string &error);

struct sheet_options_t {
    uint32_t columns = 4;  // pictures a row, at least 1
    uint32_t shrink = 2;   // thumbnails are the pictures made this many times smaller
    uint32_t margin = 16;  // pixels around the sheet and between cells
    uint32_t caption_gap = 6;  // pixels between a thumbnail and its caption
    uint8_t background[3] = {24, 24, 24};
    uint8_t ink[3] = {232, 232, 232};
};

struct sheet_entry_t {
    picture_t picture;
    std::string caption;  // Latin-1 bytes; control characters are drawn as blanks
};

// The sheet; false, with the reason in error, for no entries or for a sheet whose
// side would pass 65535 pixels.
bool make_sheet(const std::vector<sheet_entry_t> &entries, const caption_font_t &font, const sheet_options_t &options,
                picture_t &out, std::string &error);

// A picture file's caption: its name without folders and without ".png", each '_'
// shown as a blank ("shots/3_buck_in_sights.png" is "3 buck in sights").
std::string caption_of(const std::string &path);

}  // namespace contactsheet
