#pragma once
// fontgen's FreeType face and what its writers share: the one way glyphs are loaded,
// and writing an image to a folder at a virtual path.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

namespace fontgen {

// Owns FreeType and one face.
class face_t {
public:
    face_t() = default;
    face_t(const face_t &) = delete;
    face_t &operator=(const face_t &) = delete;
    ~face_t() {
        if (m_face) FT_Done_Face(m_face);
        if (m_library) FT_Done_FreeType(m_library);
    }
    // Starts FreeType and opens the face file; false with what is wrong in error.
    bool open(const std::string &path, std::string &error);
    FT_Face get() const { return m_face; }

private:
    FT_Library m_library = nullptr;
    FT_Face m_face = nullptr;
};

// Glyphs are drawn with the face's own hinting, through the TrueType interpreter of
// version 40, which fits heights (baseline, x-height, capitals, accents) to a grid and
// leaves widths and shapes as designed. The grid is the reference units' (a whole
// number of texels a unit), so horizontal edges stay sharp both at the atlas's own
// size and where the renderer shows it at a texel a pixel's fraction, on the
// reference screen. The version is set here, not taken from FreeType's build or the
// environment (FREETYPE_PROPERTIES), and the automatic hinter is never used, so the
// same face gives the same texels everywhere.
constexpr FT_Int32 LOAD_FLAGS = FT_LOAD_NO_BITMAP | FT_LOAD_NO_AUTOHINT | FT_LOAD_TARGET_NORMAL;

// A virtual path whose parts are all names: nothing written at it lands outside the
// folder.
bool path_is_plain(const char *path);

// Writes bytes to folder + path (a plain virtual path), making the folders on the way;
// false with "cannot write '...'" in error.
bool write_file(const std::string &folder, const char *path, const std::string &bytes, std::string &error);

}  // namespace fontgen
