#include "label_strip.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "font_face.h"
#include "qrncore/qrnutils/ufs/fs.h"

namespace fontgen {

namespace {

// The rim's cover under the letters' own: dark enough to part white letters from a
// bright sky, light enough that the band stays no dark box.
constexpr double RIM_ALPHA = 0.8;
// The largest image side, and the widest rim.
constexpr uint32_t MAX_SIDE = 2048;
constexpr uint32_t MAX_OUTLINE = 8;

std::string where(const char *path, uint32_t line) { return std::string(path) + ":" + std::to_string(line) + ": "; }

// Numbers parted by blanks, all of them read, each finite.
bool read_numbers(const char *text, double *out, int count) {
    const char *p = text;
    for (int i = 0; i < count; ++i) {
        char *end = nullptr;
        out[i] = strtod(p, &end);
        if (end == p || !std::isfinite(out[i])) return false;
        p = end;
    }
    while (*p == ' ' || *p == '\t') ++p;
    return *p == 0;
}

bool printable(unsigned char c) { return (c >= 0x20 && c <= 0x7E) || c >= 0xA0; }

bool parse_band(const quarn::def_obj_t *b, const char *path, strip_band_t &band, std::string &error) {
    band.name = b->get_name();
    for (const quarn::def_value_t *v = b->get_first_value(); v; v = v->get_next())
        if (strcmp(v->get_key(), "rows") != 0 && strcmp(v->get_key(), "text") != 0) {
            error = where(path, v->get_line()) + "unknown key '" + v->get_key() + "' in the band";
            return false;
        }
    if (b->get_first_child()) {
        error = where(path, b->get_first_child()->get_line()) + "a band holds no blocks";
        return false;
    }
    const char *rows = b->get_value("rows");
    double r[2];
    if (!rows || !read_numbers(rows, r, 2) || r[0] < 0.0 || r[1] > 1.0 || r[0] >= r[1]) {
        error = where(path, b->get_line()) + "the band '" + band.name + "' needs rows \"TOP BOTTOM\", 0 <= TOP < BOTTOM <= 1";
        return false;
    }
    band.top = r[0];
    band.bottom = r[1];
    const char *text = b->get_value("text");
    if (!text || !*text) {
        error = where(path, b->get_line()) + "the band '" + band.name + "' has no text";
        return false;
    }
    for (const char *c = text; *c; ++c)
        if (!printable((unsigned char)*c)) {
            error = where(path, b->get_line()) + "the text of '" + band.name + "' holds a character that is not printable";
            return false;
        }
    band.text = text;
    return true;
}

// The letters of one band as cover, 0 to 1, over the band's rows of the image.
struct band_canvas_t {
    int32_t top = 0;      // the image row of the canvas's first row
    int32_t rows = 0;
    uint32_t width = 0;
    std::vector<float> cover;

    float &at(int32_t x, int32_t y) { return cover[size_t(y - top) * width + size_t(x)]; }
};

// Sets the character size to size_64 / 64 texels an em and adds up the line's
// advance (with the face's kerning), in 26.6 texels.
bool line_advance(FT_Face f, const std::string &text, FT_F26Dot6 size_64, FT_Pos &advance) {
    if (FT_Set_Char_Size(f, 0, size_64, 72, 72)) return false;
    advance = 0;
    FT_UInt previous = 0;
    for (unsigned char c : text) {
        const FT_UInt index = FT_Get_Char_Index(f, c);
        if (FT_Load_Glyph(f, index, LOAD_FLAGS)) return false;
        if (previous && FT_HAS_KERNING(f)) {
            FT_Vector k;
            if (!FT_Get_Kerning(f, previous, index, FT_KERNING_DEFAULT, &k)) advance += k.x;
        }
        advance += f->glyph->advance.x;
        previous = index;
    }
    return true;
}

// Draws the line with its pen starting at pen_x (texels) on the baseline row into the
// canvas; cover outside the canvas is dropped and counted.
bool draw_line(FT_Face f, const std::string &text, int32_t pen_x, int32_t baseline, band_canvas_t &canvas,
               uint32_t &clipped) {
    FT_Pos pen = FT_Pos(pen_x) * 64;
    FT_UInt previous = 0;
    for (unsigned char c : text) {
        const FT_UInt index = FT_Get_Char_Index(f, c);
        if (previous && FT_HAS_KERNING(f)) {
            FT_Vector k;
            if (!FT_Get_Kerning(f, previous, index, FT_KERNING_DEFAULT, &k)) pen += k.x;
        }
        if (FT_Load_Glyph(f, index, LOAD_FLAGS) || f->glyph->format != FT_GLYPH_FORMAT_OUTLINE ||
            FT_Render_Glyph(f->glyph, FT_RENDER_MODE_NORMAL) || f->glyph->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
            return false;
        const FT_Bitmap &b = f->glyph->bitmap;
        // Pens stand on whole texels, so every glyph is drawn as hinted.
        const int32_t left = int32_t((pen + 32) >> 6) + f->glyph->bitmap_left;
        const int32_t top = baseline - f->glyph->bitmap_top;
        for (uint32_t row = 0; row < b.rows; ++row) {
            const unsigned char *line = b.pitch >= 0 ? b.buffer + size_t(row) * size_t(b.pitch)
                                                     : b.buffer + size_t(b.rows - 1 - row) * size_t(-b.pitch);
            for (uint32_t col = 0; col < b.width; ++col) {
                if (!line[col]) continue;
                const int32_t x = left + int32_t(col), y = top + int32_t(row);
                if (x < 0 || x >= int32_t(canvas.width) || y < canvas.top || y >= canvas.top + canvas.rows) {
                    ++clipped;
                    continue;
                }
                float &cover = canvas.at(x, y);
                cover = std::min(1.0f, cover + line[col] / 255.0f);
            }
        }
        pen += f->glyph->advance.x;
        previous = index;
    }
    return true;
}

strip_ink_t ink_of(band_canvas_t &canvas) {
    strip_ink_t ink;
    ink.left = int32_t(canvas.width);
    ink.top = canvas.top + canvas.rows;
    for (int32_t y = canvas.top; y < canvas.top + canvas.rows; ++y)
        for (int32_t x = 0; x < int32_t(canvas.width); ++x)
            if (canvas.at(x, y) > 0.0f) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
            }
    return ink;
}

// The letters and their rim into the image's band rows: the rim is the letters'
// cover spread over a disc of `outline` texels (its edge a texel soft), under them.
void compose(band_canvas_t &canvas, uint32_t outline, atlas_image_t &image) {
    const int32_t r = int32_t(outline);
    for (int32_t y = canvas.top; y < canvas.top + canvas.rows; ++y)
        for (int32_t x = 0; x < int32_t(canvas.width); ++x) {
            const double c = canvas.at(x, y);
            double rim = 0.0;
            for (int32_t dy = -r; dy <= r && r > 0; ++dy)
                for (int32_t dx = -r; dx <= r; ++dx) {
                    const int32_t sx = x + dx, sy = y + dy;
                    if (sx < 0 || sx >= int32_t(canvas.width) || sy < canvas.top || sy >= canvas.top + canvas.rows)
                        continue;
                    const double reach = std::clamp(r + 0.5 - std::sqrt(double(dx * dx + dy * dy)), 0.0, 1.0);
                    rim = std::max(rim, canvas.at(sx, sy) * reach);
                }
            rim *= RIM_ALPHA;
            // White letters over the dark rim.
            const double a = c + rim * (1.0 - c);
            uint8_t *t = image.rgba.data() + (size_t(y) * image.width + size_t(x)) * 4;
            if (a <= 0.0) continue;
            const uint8_t grey = uint8_t(std::lround(255.0 * c / a));
            t[0] = t[1] = t[2] = grey;
            t[3] = uint8_t(std::lround(255.0 * a));
        }
}

// The capitals' height of the face, in its units: the outline of "H" unscaled.
double cap_units(FT_Face f) {
    const FT_UInt h = FT_Get_Char_Index(f, 'H');
    if (h && !FT_Load_Glyph(f, h, FT_LOAD_NO_SCALE) && f->glyph->metrics.height > 0)
        return double(f->glyph->metrics.height);
    return double(f->ascender) * 0.7;
}

}  // namespace

bool strip_parse(const quarn::def_pool_t &pool, const char *path, strip_t &out, std::string &error) {
    const quarn::def_obj_t *s = pool.find("strip");
    if (!s) {
        error = std::string(path) + ": no \"strip\" block";
        return false;
    }
    strip_t strip;
    for (const quarn::def_value_t *v = s->get_first_value(); v; v = v->get_next()) {
        const char *key = v->get_key();
        if (strcmp(key, "texture") && strcmp(key, "size") && strcmp(key, "cap_height") && strcmp(key, "outline")) {
            error = where(path, v->get_line()) + "unknown key '" + key + "' in the strip";
            return false;
        }
    }
    const char *texture = s->get_value("texture");
    if (!texture || !path_is_plain(texture)) {
        error = where(path, s->get_line()) + "the strip needs a texture path from the root without empty, '.' or '..' parts";
        return false;
    }
    strip.texture = texture;
    double size[2];
    const char *size_text = s->get_value("size");
    auto power_of_two = [](double v) {
        return v >= 8.0 && v <= MAX_SIDE && v == std::floor(v) && (uint32_t(v) & (uint32_t(v) - 1)) == 0;
    };
    if (!size_text || !read_numbers(size_text, size, 2) || !power_of_two(size[0]) || !power_of_two(size[1])) {
        error = where(path, s->get_line()) + "the strip needs a size \"WIDTH HEIGHT\", powers of two from 8 to 2048";
        return false;
    }
    strip.width = uint32_t(size[0]);
    strip.height = uint32_t(size[1]);
    if (const char *cap = s->get_value("cap_height")) {
        if (!read_numbers(cap, &strip.cap_height, 1) || strip.cap_height <= 0.0 || strip.cap_height > 1.0) {
            error = where(path, s->get_line()) + "cap_height is a share of the band's height above 0, at most 1";
            return false;
        }
    }
    if (const char *outline = s->get_value("outline")) {
        double o = 0.0;
        if (!read_numbers(outline, &o, 1) || o < 0.0 || o > MAX_OUTLINE || o != std::floor(o)) {
            error = where(path, s->get_line()) + "outline is whole texels from 0 to 8";
            return false;
        }
        strip.outline = uint32_t(o);
    }
    for (const quarn::def_obj_t *b = s->get_first_child(); b; b = b->get_next()) {
        strip_band_t band;
        if (!parse_band(b, path, band, error)) return false;
        for (const strip_band_t &other : strip.bands)
            if (band.top < other.bottom && other.top < band.bottom) {
                error = where(path, b->get_line()) + "the band '" + band.name + "' overlaps '" + other.name + "'";
                return false;
            }
        strip.bands.push_back(band);
    }
    if (strip.bands.empty()) {
        error = where(path, s->get_line()) + "the strip has no band";
        return false;
    }
    out = strip;
    return true;
}

bool make_strip(const std::string &face_path, const strip_t &strip, atlas_image_t &out, std::string &error,
                std::vector<strip_ink_t> *ink) {
    face_t face;
    if (!face.open(face_path, error)) return false;
    FT_Face f = face.get();
    out = atlas_image_t();
    out.width = strip.width;
    out.height = strip.height;
    // White under the transparent texels too, so that filtering darkens no letter.
    out.rgba.assign(size_t(out.width) * out.height * 4, 255);
    for (size_t i = 3; i < out.rgba.size(); i += 4) out.rgba[i] = 0;
    if (ink) ink->clear();

    const double caps = cap_units(f);
    for (const strip_band_t &band : strip.bands) {
        for (unsigned char c : band.text)
            if (!FT_Get_Char_Index(f, c)) {
                error = "'" + face_path + "' has no glyph for a character of '" + band.text + "'";
                return false;
            }
        const double top = band.top * strip.height, bottom = band.bottom * strip.height;
        const double cap_px = strip.cap_height * (bottom - top);
        // The widest line the band takes: the image's width less the rim and a texel
        // of air on either side.
        const double room = double(strip.width) - 2.0 * (strip.outline + 1.0);
        FT_F26Dot6 size_64 = FT_F26Dot6(std::floor(cap_px * f->units_per_EM / caps * 64.0));
        FT_Pos advance = 0;
        for (int tries = 0;; ++tries) {
            if (size_64 < 64 || !line_advance(f, band.text, size_64, advance)) {
                error = "the text '" + band.text + "' cannot be drawn small enough for its band";
                return false;
            }
            if (advance / 64.0 <= room || tries == 20) break;
            size_64 = std::min(size_64 - 1, FT_F26Dot6(std::floor(size_64 * room / (advance / 64.0))));
        }
        // Drawn once at the image's left to find the letters' box, then again so that
        // the box stands in the middle across, and the capitals in the middle down.
        band_canvas_t canvas;
        canvas.top = int32_t(std::ceil(top));
        canvas.rows = int32_t(std::floor(bottom)) - canvas.top;
        canvas.width = strip.width;
        const double used_caps = caps * (size_64 / 64.0) / f->units_per_EM;
        const int32_t baseline = int32_t(std::lround((top + bottom) / 2.0 + used_caps / 2.0));
        const int32_t pen = int32_t(strip.outline) + 1;
        uint32_t clipped = 0;
        canvas.cover.assign(size_t(canvas.rows) * canvas.width, 0.0f);
        if (canvas.rows <= 0 || !draw_line(f, band.text, pen, baseline, canvas, clipped)) {
            error = "FreeType cannot draw '" + band.text + "'";
            return false;
        }
        const strip_ink_t first = ink_of(canvas);
        const int32_t shift = (int32_t(strip.width) - (first.right - first.left + 1)) / 2 - first.left;
        canvas.cover.assign(canvas.cover.size(), 0.0f);
        clipped = 0;
        draw_line(f, band.text, pen + shift, baseline, canvas, clipped);
        const strip_ink_t placed = ink_of(canvas);
        const int32_t rim = int32_t(strip.outline);
        if (clipped || placed.right < placed.left || placed.top - rim < canvas.top ||
            placed.bottom + rim >= canvas.top + canvas.rows || placed.left - rim < 0 ||
            placed.right + rim >= int32_t(strip.width)) {
            error = "the text '" + band.text + "' and its rim do not fit the band '" + band.name +
                    "': a smaller cap_height or outline";
            return false;
        }
        compose(canvas, strip.outline, out);
        if (ink) ink->push_back(placed);
    }
    return true;
}

bool write_strip(const std::string &face_path, const std::string &strip_file, const std::string &folder,
                 std::string &error) {
    quarn::def_pool_t pool;
    if (!pool.read_from(strip_file.c_str(), quarn::FS_REALM_SYSTEM)) {
        error = "'" + strip_file + "' is no definition file";
        return false;
    }
    strip_t strip;
    if (!strip_parse(pool, strip_file.c_str(), strip, error)) return false;
    atlas_image_t image;
    if (!make_strip(face_path, strip, image, error)) return false;
    return write_file(folder, strip.texture.c_str(), encode_tga(image), error);
}

}  // namespace fontgen
