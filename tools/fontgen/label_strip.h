#pragma once
// fontgen: a label strip (docs/formats/label-strip.md), one image of text labels in
// horizontal bands that a layout cuts apart by texture rows, as the main menu's
// entries are. Each label is drawn from a scalable face on one line, centred in its
// band, its capitals a given share of the band's height (smaller when the line would
// not fit across), with a dark rim around the letters so that they read over any
// picture. Texels are white where the letters are and black on the rim, the cover in
// alpha, so the tint of the image colours the letters and leaves the rim dark.
//
// The same face file, strip file and FreeType give the same bytes every time.
#include <cstdint>
#include <string>
#include <vector>

#include "font_atlas.h"
#include "outside/qrnshared/def_pool.h"

namespace fontgen {

struct strip_band_t {
    std::string name;   // the block's name, for messages
    double top = 0.0;   // texture rows, 0 at the image's top, 1 at its bottom
    double bottom = 0.0;
    std::string text;   // Latin-1 bytes
};

struct strip_t {
    std::string texture;  // the virtual path written
    uint32_t width = 0;
    uint32_t height = 0;
    double cap_height = 0.5;  // the capitals' height, a share of each band's height
    uint32_t outline = 0;     // the rim's width in texels
    std::vector<strip_band_t> bands;
};

// Where one band's letters (without the rim) ended up, in texels.
struct strip_ink_t {
    int32_t left = 0, right = -1, top = 0, bottom = -1;  // inclusive; right < left: no ink
};

// Reads the block "strip" of a definition file; false with "file:line: what is
// wrong" in error.
bool strip_parse(const quarn::def_pool_t &pool, const char *path, strip_t &out, std::string &error);

// Draws the strip; ink (when given) gets each band's letters' box. False with what is
// wrong in error: a face that does not read or lacks a character, a label that does
// not fit its band.
bool make_strip(const std::string &face_path, const strip_t &strip, atlas_image_t &out, std::string &error,
                std::vector<strip_ink_t> *ink = nullptr);

// Reads the strip file (an operating-system path), draws it and writes it as TGA to
// folder + its texture's path. False with the reason in error.
bool write_strip(const std::string &face_path, const std::string &strip_file, const std::string &folder,
                 std::string &error);

}  // namespace fontgen
