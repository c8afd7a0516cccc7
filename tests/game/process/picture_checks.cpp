#include "picture_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "game/process/viewport.h"

namespace quarn::test {

pixel_rect_t pixel_rect_t::within(const picture_t &picture) const {
    pixel_rect_t r = *this;
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, int32_t(picture.width));
    r.bottom = std::min(r.bottom, int32_t(picture.height));
    return r;
}

std::vector<const logged_draw_t *> logged_frame_t::of_material(const std::string &material) const {
    std::vector<const logged_draw_t *> out;
    for (const logged_draw_t &d : draws)
        if (d.material == material) out.push_back(&d);
    return out;
}

const logged_text_t *logged_frame_t::text(const std::string &wanted) const {
    for (const logged_text_t &t : texts)
        if (t.text == wanted) return &t;
    return nullptr;
}

namespace {

// 4 x 4 row-major product a x b.
void multiply(const float a[16], const float b[16], float out[16]) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a[r * 4 + k] * b[k * 4 + c];
            out[r * 4 + c] = sum;
        }
}

// A quoted text of the dump at in[at] (the opening quote): '\"', '\\' and "\xNN"
// undone. False when it does not close.
bool read_quoted(const std::string &in, size_t &at, std::string &out) {
    if (at >= in.size() || in[at] != '"') return false;
    out.clear();
    for (size_t i = at + 1; i < in.size(); ++i) {
        if (in[i] == '"') {
            at = i + 1;
            return true;
        }
        if (in[i] != '\\') {
            out += in[i];
        } else if (i + 1 < in.size() && in[i + 1] == 'x' && i + 3 < in.size()) {
            out += char(strtol(in.substr(i + 2, 2).c_str(), nullptr, 16));
            i += 3;
        } else if (i + 1 < in.size()) {
            out += in[++i];
        }
    }
    return false;
}

// The 16 numbers of a matrix value "(a b c d / e f g h / ...)".
bool read_matrix(const std::string &line, float out[16]) {
    const size_t open = line.find('('), close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) return false;
    std::string inside = line.substr(open + 1, close - open - 1);
    std::replace(inside.begin(), inside.end(), '/', ' ');
    std::istringstream numbers(inside);
    int n = 0;
    for (float f; n < 16 && numbers >> f;) out[n++] = f;
    std::string rest;
    return n == 16 && !(numbers >> rest);
}

// "ui glyphs queue 9 "font" rect L B R T tint AABBGGRR "text"".
bool read_glyphs(const std::string &line, logged_text_t &out) {
    size_t at = line.find('"');
    std::string source;
    if (!read_quoted(line, at, source)) return false;
    std::istringstream fields(line.substr(at));
    std::string rect, tint;
    if (!(fields >> rect >> out.left >> out.bottom >> out.right >> out.top >> tint) || rect != "rect" || tint != "tint")
        return false;
    std::string hex;
    if (!(fields >> hex) || hex.size() != 8) return false;
    out.tint = uint32_t(strtoul(hex.c_str(), nullptr, 16));
    at = line.find('"', at + size_t(fields.tellg()));
    return read_quoted(line, at, out.text);
}

}  // namespace

bool read_logged_frame(const std::string &text, logged_frame_t &out, std::string &error) {
    out = logged_frame_t();
    std::istringstream lines(text);
    std::string line;
    float view[16], projection[16], product[16];
    bool have_view = false, have_projection = false, have_product = false;
    // A draw's transform is known once its record ends.
    const auto close_draw = [&] {
        if (out.draws.empty()) return;
        logged_draw_t &d = out.draws.back();
        if (have_view && have_projection) {
            std::copy(view, view + 16, d.model_view);
            multiply(projection, view, d.clip);
            d.has_transform = true;
        } else if (have_product) {
            for (int i = 0; i < 16; ++i) d.model_view[i] = i % 5 == 0 ? 1.0f : 0.0f;
            std::copy(product, product + 16, d.clip);
            d.has_transform = true;
        }
        have_view = have_projection = have_product = false;
    };
    for (int number = 1; std::getline(lines, line); ++number) {
        const auto fail = [&] {
            error = "line " + std::to_string(number) + ": " + line;
            return false;
        };
        if (line.rfind("draw ", 0) == 0) {
            close_draw();
            logged_draw_t d;
            size_t at = line.find('"');
            if (!read_quoted(line, at, d.material)) return fail();
            const size_t effect = line.find(" effect ", at);
            if (effect == std::string::npos) return fail();
            d.effect = line.substr(effect + 8, line.find(' ', effect + 8) - (effect + 8));
            out.draws.push_back(d);
        } else if (line.rfind("ui glyphs ", 0) == 0) {
            logged_text_t t;
            if (!read_glyphs(line, t)) return fail();
            out.texts.push_back(t);
        } else if (line.rfind("ui image ", 0) == 0) {
            ++out.images;
        } else if (line.rfind("  vertex_uniform transform.mv ", 0) == 0) {
            if (!read_matrix(line, view)) return fail();
            have_view = true;
        } else if (line.rfind("  vertex_uniform transform.p ", 0) == 0) {
            if (!read_matrix(line, projection)) return fail();
            have_projection = true;
        } else if (line.rfind("  vertex_uniform transform.mvp ", 0) == 0) {
            if (!read_matrix(line, product)) return fail();
            have_product = true;
        } else if (!line.empty() && line.rfind("  ", 0) != 0 && line.rfind("call ", 0) != 0) {
            return fail();
        }
    }
    close_draw();
    return true;
}

pixel_rect_t scene_viewport(uint32_t width, uint32_t height) {
    const viewport_t scene = layout_viewports(float(width), float(height), 1.0f).scene;
    // The viewport counts y upward from the bottom edge.
    return pixel_rect_t{int32_t(std::lround(scene.rect.left)), int32_t(std::lround(float(height) - scene.rect.top)),
                        int32_t(std::lround(scene.rect.right)), int32_t(std::lround(float(height) - scene.rect.bottom))};
}

namespace {

// Clip coordinates of a point (w = 1) or a direction (w = 0).
void to_clip(const float m[16], const float p[3], float w, float out[4]) {
    for (int r = 0; r < 4; ++r) out[r] = m[r * 4] * p[0] + m[r * 4 + 1] * p[1] + m[r * 4 + 2] * p[2] + m[r * 4 + 3] * w;
}

bool clip_to_pixels(const float c[4], const pixel_rect_t &viewport, float &x, float &y) {
    if (c[3] <= 1e-6f) return false;
    x = float(viewport.left) + (c[0] / c[3] + 1.0f) * 0.5f * float(viewport.width());
    y = float(viewport.top) + (1.0f - c[1] / c[3]) * 0.5f * float(viewport.height());
    return true;
}

}  // namespace

bool project(const logged_draw_t &draw, const float point[3], const pixel_rect_t &viewport, float &x, float &y) {
    if (!draw.has_transform) return false;
    float c[4];
    to_clip(draw.clip, point, 1.0f, c);
    return clip_to_pixels(c, viewport, x, y);
}

bool project_box(const logged_draw_t &draw, const float low[3], const float high[3], const pixel_rect_t &viewport,
                 pixel_rect_t &out) {
    float x0 = 1e30f, y0 = 1e30f, x1 = -1e30f, y1 = -1e30f;
    for (int k = 0; k < 8; ++k) {
        const float corner[3] = {k & 1 ? high[0] : low[0], k & 2 ? high[1] : low[1], k & 4 ? high[2] : low[2]};
        float x, y;
        if (!project(draw, corner, viewport, x, y)) return false;
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
    }
    out = pixel_rect_t{int32_t(std::floor(x0)), int32_t(std::floor(y0)), int32_t(std::ceil(x1)), int32_t(std::ceil(y1))};
    return true;
}

bool horizon_row(const logged_draw_t &world, const pixel_rect_t &viewport, float &row) {
    if (!world.has_transform) return false;
    // The clip w of a projection is the depth in front of the camera: its row of the
    // world's transform is the camera's forward direction.
    const float *w = world.clip + 12;
    const float length = std::sqrt(w[0] * w[0] + w[2] * w[2]);
    if (length < 1e-6f) return false;
    const float level[3] = {w[0] / length, 0.0f, w[2] / length};
    float c[4], x;
    to_clip(world.clip, level, 0.0f, c);
    return clip_to_pixels(c, viewport, x, row);
}

pixel_rect_t ui_pixels(float left, float bottom, float right, float top, uint32_t width, uint32_t height) {
    const float sx = float(width) / 1024.0f, sy = float(height) / 768.0f;
    return pixel_rect_t{int32_t(std::floor(left * sx)), int32_t(std::floor((768.0f - top) * sy)),
                        int32_t(std::ceil(right * sx)), int32_t(std::ceil((768.0f - bottom) * sy))};
}

region_stats_t region_stats(const picture_t &picture, pixel_rect_t rect) {
    region_stats_t s;
    rect = rect.within(picture);
    if (rect.empty()) return s;
    double sum[3] = {0.0, 0.0, 0.0}, luma = 0.0, luma2 = 0.0;
    for (int32_t y = rect.top; y < rect.bottom; ++y)
        for (int32_t x = rect.left; x < rect.right; ++x) {
            const uint8_t *p = picture.at(uint32_t(x), uint32_t(y));
            const double l = 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
            for (int c = 0; c < 3; ++c) sum[c] += p[c];
            luma += l;
            luma2 += l * l;
            ++s.pixels;
        }
    for (int c = 0; c < 3; ++c) s.mean[c] = sum[c] / s.pixels;
    s.luma_mean = luma / s.pixels;
    s.luma_deviation = std::sqrt(std::max(0.0, luma2 / s.pixels - s.luma_mean * s.luma_mean));
    return s;
}

bool is_test_pattern(const picture_t &picture) {
    if (picture.empty()) return false;
    for (uint32_t y = 0; y < picture.height; ++y)
        for (uint32_t x = 0; x < picture.width; ++x) {
            const uint8_t *p = picture.at(x, y);
            if (p[0] != uint8_t(x) || p[1] != uint8_t(y) || p[2] != uint8_t(x ^ y)) return false;
        }
    return true;
}

namespace {

std::string describe(const region_stats_t &s) {
    char text[160];
    snprintf(text, sizeof text, "mean (%.1f %.1f %.1f), luma %.1f +- %.2f over %u pixels", s.mean[0], s.mean[1],
             s.mean[2], s.luma_mean, s.luma_deviation, s.pixels);
    return text;
}

std::string describe(const pixel_rect_t &r) {
    return "[" + std::to_string(r.left) + ".." + std::to_string(r.right) + ") x [" + std::to_string(r.top) + ".." +
           std::to_string(r.bottom) + ")";
}

// A region that is textured: more than one colour, and not black.
bool textured(const region_stats_t &s) { return s.pixels > 0 && s.luma_deviation >= 1.5 && s.luma_mean >= 12.0; }

double blue_share(const region_stats_t &s) {
    const double all = s.mean[0] + s.mean[1] + s.mean[2];
    return all > 0.0 ? s.mean[2] / all : 0.0;
}

}  // namespace

::testing::AssertionResult is_a_drawn_frame(const picture_t &picture) {
    const region_stats_t s = region_stats(picture, pixel_rect_t{0, 0, int32_t(picture.width), int32_t(picture.height)});
    if (s.pixels == 0) return ::testing::AssertionFailure() << "no pixels";
    if (s.luma_mean < 8.0) return ::testing::AssertionFailure() << "a black frame: " << describe(s);
    if (s.luma_deviation < 2.0) return ::testing::AssertionFailure() << "a frame of one colour: " << describe(s);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult sky_over_ground(const picture_t &picture, const logged_draw_t &world) {
    const pixel_rect_t view = scene_viewport(picture.width, picture.height);
    float horizon = 0.0f;
    if (!horizon_row(world, view, horizon)) return ::testing::AssertionFailure() << "the camera looks straight up or down";
    // Straight ahead, clear of the horizon by 48 pixels (hills and the far wood's
    // edge) and of the viewport's edges by 8.
    const int32_t left = view.left + view.width() * 2 / 5, right = view.left + view.width() * 3 / 5;
    const pixel_rect_t sky{left, view.top + 8, right, int32_t(horizon) - 48};
    const pixel_rect_t ground{left, int32_t(horizon) + 48, right, view.bottom - 8};
    if (sky.height() < 24 || ground.height() < 24)
        return ::testing::AssertionFailure() << "the horizon at row " << horizon << " leaves too little sky or ground";
    const region_stats_t s = region_stats(picture, sky), g = region_stats(picture, ground);
    const std::string both = "sky " + describe(sky) + ": " + describe(s) + "; ground " + describe(ground) + ": " +
                             describe(g) + "; horizon at row " + std::to_string(horizon);
    if (!textured(s)) return ::testing::AssertionFailure() << "the sky is not textured: " << both;
    if (!textured(g)) return ::testing::AssertionFailure() << "the ground is not textured: " << both;
    const double distance =
        std::sqrt(std::pow(s.mean[0] - g.mean[0], 2) + std::pow(s.mean[1] - g.mean[1], 2) + std::pow(s.mean[2] - g.mean[2], 2));
    if (distance < 12.0) return ::testing::AssertionFailure() << "sky and ground look alike: " << both;
    if (blue_share(s) <= blue_share(g) + 0.02)
        return ::testing::AssertionFailure() << "the sky is not above the ground (the bluer is below): " << both;
    return ::testing::AssertionSuccess();
}

namespace {

bool warm(const uint8_t *p, int32_t min_warmth) { return int32_t(p[0]) - int32_t(p[1]) >= min_warmth && p[0] > p[2]; }

}  // namespace

::testing::AssertionResult model_seen(const picture_t &picture, const logged_draw_t &draw, const model_look_t &look) {
    const pixel_rect_t view = scene_viewport(picture.width, picture.height);
    pixel_rect_t box;
    if (!project_box(draw, look.low, look.high, view, box))
        return ::testing::AssertionFailure() << "the model lies behind the camera";
    const pixel_rect_t shown = pixel_rect_t{std::max(box.left, view.left), std::max(box.top, view.top),
                                            std::min(box.right, view.right), std::min(box.bottom, view.bottom)}
                                   .within(picture);
    if (shown.empty() || shown.width() * shown.height() < 16)
        return ::testing::AssertionFailure() << "the model's box " << describe(box) << " shows too little of it";
    const int32_t grow = std::max(4, std::max(shown.width(), shown.height()) / 2);
    const pixel_rect_t around = pixel_rect_t{std::max(shown.left - grow, view.left), std::max(shown.top - grow, view.top),
                                             std::min(shown.right + grow, view.right),
                                             std::min(shown.bottom + grow, view.bottom)}
                                    .within(picture);
    uint32_t in = 0, in_warm = 0, ring = 0, ring_warm = 0;
    for (int32_t y = around.top; y < around.bottom; ++y)
        for (int32_t x = around.left; x < around.right; ++x) {
            const bool inside = shown.contains(float(x), float(y));
            const bool w = warm(picture.at(uint32_t(x), uint32_t(y)), look.min_warmth);
            (inside ? in : ring) += 1;
            (inside ? in_warm : ring_warm) += w;
        }
    const double share = double(in_warm) / in, ring_share = ring ? double(ring_warm) / ring : 0.0;
    char numbers[160];
    snprintf(numbers, sizeof numbers, "%.3f of the box %s is the model's colour, %.3f of the %u pixels around it",
             share, describe(shown).c_str(), ring_share, ring);
    if (share < look.floor_share || share < ring_share + look.margin)
        return ::testing::AssertionFailure() << "the model is not where its projection says: " << numbers;
    return ::testing::AssertionSuccess() << numbers;
}

::testing::AssertionResult text_drawn(const picture_t &picture, const logged_text_t &text) {
    const pixel_rect_t rect = ui_pixels(text.left, text.bottom, text.right, text.top, picture.width, picture.height);
    if (text.text.empty() || rect.empty()) return ::testing::AssertionFailure() << "no text to look for";
    const int32_t ink[3] = {int32_t(text.tint & 0xFF), int32_t(text.tint >> 8 & 0xFF), int32_t(text.tint >> 16 & 0xFF)};
    const float glyph = float(rect.width()) / float(text.text.size());
    uint32_t letters = 0, inked_letters = 0, inked = 0, area = 0;
    for (size_t i = 0; i < text.text.size(); ++i) {
        const pixel_rect_t cell = pixel_rect_t{rect.left + int32_t(std::lround(glyph * float(i))), rect.top,
                                               rect.left + int32_t(std::lround(glyph * float(i + 1))), rect.bottom}
                                      .within(picture);
        uint32_t near = 0;
        for (int32_t y = cell.top; y < cell.bottom; ++y)
            for (int32_t x = cell.left; x < cell.right; ++x) {
                const uint8_t *p = picture.at(uint32_t(x), uint32_t(y));
                bool close = true;
                for (int c = 0; c < 3; ++c) close = close && std::abs(int32_t(p[c]) - ink[c]) <= 64;
                near += close;
                ++area;
            }
        inked += near;
        if (text.text[i] == ' ') continue;
        ++letters;
        inked_letters += near > 0;
    }
    char numbers[200];
    snprintf(numbers, sizeof numbers, "'%s' in %s: %u of %u characters inked, %u of %u pixels of its colour #%02x%02x%02x",
             text.text.c_str(), describe(rect).c_str(), inked_letters, letters, inked, area, unsigned(ink[0]),
             unsigned(ink[1]), unsigned(ink[2]));
    if (letters == 0) return ::testing::AssertionFailure() << "a text of blanks: " << numbers;
    if (inked_letters * 4 < letters * 3 || inked < letters * 2)
        return ::testing::AssertionFailure() << "the text is not drawn: " << numbers;
    if (inked * 5 > area * 3) return ::testing::AssertionFailure() << "a box of the tint, not glyphs: " << numbers;
    return ::testing::AssertionSuccess() << numbers;
}

}  // namespace quarn::test
