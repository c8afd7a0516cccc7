#pragma once
// The scripted round's pictures read against what their frames drew. A screenshot
// taken with the draw logs' test support (FERNWOLD_SCREENSHOT_DRAW_LOGS) has its
// frame's draw log beside it; read back from that text, it says where the scene's
// camera looked (the terrain is placed in world coordinates, so its transform is the
// camera's), where each model stood and where the UI put its texts. The checks measure
// the picture there, so a black frame, a layer left out (sky, ground, a model, the UI's
// texts) or an upside-down frame fails them with what is off.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "picture.h"

namespace quarn::test {

using contactsheet::picture_t;

// Pixels: x to the right and y down from the top left; right and bottom exclusive.
struct pixel_rect_t {
    int32_t left = 0, top = 0, right = 0, bottom = 0;

    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    bool contains(float x, float y) const { return x >= float(left) && x < float(right) && y >= float(top) && y < float(bottom); }
    // The part inside the picture.
    pixel_rect_t within(const picture_t &picture) const;
};

// ---- the frame's draw log, from its text (outside/visbase/draw_log.h) ----

// A prototype drawn: its material and effect, and the transform of its pass from
// model space to clip space: "transform.p" x "transform.mv", or "transform.mvp".
struct logged_draw_t {
    std::string material;
    std::string effect;
    bool has_transform = false;
    float model_view[16] = {};  // rows; a model-view of the identity when only the product was logged
    float clip[16] = {};        // rows: clip = clip x (x, y, z, 1)
};

// A glyph run of the UI: its text, its rectangle in reference units (1024 x 768, y
// upward) and its tint (alpha << 24 | blue << 16 | green << 8 | red).
struct logged_text_t {
    std::string text;
    float left = 0.0f, bottom = 0.0f, right = 0.0f, top = 0.0f;
    uint32_t tint = 0;
};

struct logged_frame_t {
    std::vector<logged_draw_t> draws;
    std::vector<logged_text_t> texts;
    uint32_t images = 0;  // the UI's images

    // The draws of the material, in the log's order.
    std::vector<const logged_draw_t *> of_material(const std::string &material) const;
    // The first run whose text is exactly this; null when none is.
    const logged_text_t *text(const std::string &text) const;
};

// False, with the line that does not read in error, for text that is no draw log.
bool read_logged_frame(const std::string &text, logged_frame_t &out, std::string &error);

// ---- projection ----

// The scene's viewport on a screen of that size, as the game lays it out.
pixel_rect_t scene_viewport(uint32_t width, uint32_t height);
// Where a model-space point of the draw lands in the viewport's pixels; false when it
// lies behind the camera or the draw has no transform.
bool project(const logged_draw_t &draw, const float point[3], const pixel_rect_t &viewport, float &x, float &y);
// The screen box of a model-space box (its eight corners); false when a corner lies
// behind the camera.
bool project_box(const logged_draw_t &draw, const float low[3], const float high[3], const pixel_rect_t &viewport,
                 pixel_rect_t &out);
// The row of the horizon straight ahead: where the camera's forward direction, made
// level (y up), lands. world is a draw placed in world coordinates (a terrain chunk).
bool horizon_row(const logged_draw_t &world, const pixel_rect_t &viewport, float &row);
// A UI rectangle in the pixels of a screen of that size.
pixel_rect_t ui_pixels(float left, float bottom, float right, float top, uint32_t width, uint32_t height);

// ---- measures ----

struct region_stats_t {
    double mean[3] = {0.0, 0.0, 0.0};
    double luma_mean = 0.0;
    double luma_deviation = 0.0;  // standard deviation of the luma
    uint32_t pixels = 0;
};
region_stats_t region_stats(const picture_t &picture, pixel_rect_t rect);

// The read-back of a renderer that draws nothing ("lib/gl" as a stand-in): red x,
// green y, blue x ^ y, each modulo 256, from the top left.
bool is_test_pattern(const picture_t &picture);

// ---- the checks ----

// Not a frame of one colour, and not black.
::testing::AssertionResult is_a_drawn_frame(const picture_t &picture);
// Straight ahead, above the horizon the sky, below it the ground: both textured (not
// one colour), neither black, unlike each other, the sky the bluer one. world is the
// frame's terrain draw.
::testing::AssertionResult sky_over_ground(const picture_t &picture, const logged_draw_t &world);
// The model's pixels where the projection of its box puts them: against the ring of
// pixels around the box, the box holds a share of the model's colour (pixels whose red
// exceeds their green by min_warmth: a hide, not grass or sky) larger by margin, at
// least floor_share of the box.
struct model_look_t {
    float low[3] = {0.0f, 0.0f, 0.0f};   // the model's box in model space
    float high[3] = {0.0f, 0.0f, 0.0f};
    int32_t min_warmth = 12;
    // A box is larger than what it holds (legs, the corners of a turned box): the
    // hide fills a part of it.
    double floor_share = 0.06;
    double margin = 0.05;
};
::testing::AssertionResult model_seen(const picture_t &picture, const logged_draw_t &draw, const model_look_t &look);
// The glyph run's text is drawn in its rectangle: its characters' cells hold pixels of
// the tint's colour (a glyph's strokes, not a filled box, not nothing).
::testing::AssertionResult text_drawn(const picture_t &picture, const logged_text_t &text);

}  // namespace quarn::test
