// The checks the scripted round's pictures go through, on frames made here: a frame
// drawn right passes, and each glitch they are there for fails them (black, one
// colour, a layer left out, upside down, a model or a text not where the draw log
// puts it, a box where glyphs belong); the draw log's text reads back as the
// renderer's dump writes it.
#include <gtest/gtest.h>

#include <string>

#include "picture_checks.h"
#include "support/noise.h"

namespace quarn::test {
namespace {

// What a frame's draw log says, as the dump writes it: the terrain and a whitetail
// seen from a hunter looking along +x with his eye 3.98 above the origin (the scene's
// projection of a 1024 x 768 screen), the whitetail 67 units ahead and 1 below the
// eye; the UI's texts.
const char LOG[] =
    "call clear 0 0 1024 768 FF000000\n"
    "draw queue 0 material \"/material/map/meadow.mat\" effect fw_terrain pass \"single_3l\"\n"
    "  packets MODEL_FUR:1089 MODEL_INDEX16:6144\n"
    "  slots pp_camera fw4pp_model pp_fog fw4pp_light fw4pp_terrain_uv - -\n"
    "  attribute v.position 0\n"
    "  vertex_uniform transform.mv global (5.96046e-08 0 1 0 / 0 1 0 -3.98289 / -1 0 5.96046e-08 0 / 0 0 0 1)\n"
    "  vertex_uniform transform.p slot 0 (1.73205 0 0 0 / 0 2.68535 0 0 / 0 0 -1.00052 -0.340089 / 0 0 -1 0)\n"
    "  sampler texture_sampler[0] \"/texture/map/grass.tga\"\n"
    "  state lighting on\n"
    "call set_pass 0\n"
    "draw queue 0 material \"/material/animal/whitetail/body.mat\" effect fw_dif_spec pass \"default\"\n"
    "  packets MODEL:520 MODEL_INDEX16:2304\n"
    "  vertex_uniform transform.mv global (1 0 0 0 / 0 1 0 -1 / 0 0 1 -67 / 0 0 0 1)\n"
    "  vertex_uniform transform.p slot 0 (1.73205 0 0 0 / 0 2.68535 0 0 / 0 0 -1.00052 -0.340089 / 0 0 -1 0)\n"
    "draw queue 0 material \"/material/decal/simple.mat\" effect dry pass \"default\"\n"
    "  packets PCT:4\n"
    "ui image queue 9 \"/system/ui/hud/crosshair.mat\" rect 496 368 528 400 uv 0 1 0 1 tint ffffffff\n"
    "ui glyphs queue 9 \"/system/font/default.font\" rect 646 448 678 464 tint ff00ffff \"1030\"\n"
    "ui glyphs queue 9 \"/system/font/default.font\" rect 8 44 64 60 tint ffffffff \"say \\\"hi\\\"\\x01\"\n";

logged_frame_t read_log() {
    logged_frame_t frame;
    std::string error;
    EXPECT_TRUE(read_logged_frame(LOG, frame, error)) << error;
    return frame;
}

TEST(picture_checks, the_draw_log_reads_back_with_its_transforms_and_texts) {
    const logged_frame_t frame = read_log();
    ASSERT_EQ(frame.draws.size(), 3u);
    EXPECT_EQ(frame.draws[0].material, "/material/map/meadow.mat");
    EXPECT_EQ(frame.draws[0].effect, "fw_terrain");
    EXPECT_TRUE(frame.draws[0].has_transform);
    EXPECT_FALSE(frame.draws[2].has_transform) << "a draw without transforms";
    EXPECT_EQ(frame.of_material("/material/animal/whitetail/body.mat").size(), 1u);
    EXPECT_EQ(frame.images, 1u);
    ASSERT_EQ(frame.texts.size(), 2u);
    EXPECT_EQ(frame.texts[1].text, "say \"hi\"\x01");
    const logged_text_t *score = frame.text("1030");
    ASSERT_NE(score, nullptr);
    EXPECT_EQ(score->tint, 0xff00ffffu);
    EXPECT_EQ(score->left, 646.0f);
    EXPECT_EQ(score->top, 464.0f);

    logged_frame_t bad;
    std::string error;
    EXPECT_FALSE(read_logged_frame("draw queue 0 material \"/m\" effect x pass \"p\"\nnonsense\n", bad, error));
    EXPECT_EQ(error, "line 2: nonsense");
    EXPECT_FALSE(read_logged_frame("  vertex_uniform transform.mv global (1 2 3)\n", bad, error));
    EXPECT_FALSE(read_logged_frame("ui glyphs queue 9 \"f\" rect 1 2 3 tint ffffffff \"x\"\n", bad, error));
}

TEST(picture_checks, projection_puts_what_lies_ahead_at_the_centre_of_the_scene) {
    const logged_frame_t frame = read_log();
    const pixel_rect_t view = scene_viewport(1024, 768);
    EXPECT_EQ(view.left, 0);
    EXPECT_EQ(view.top, 54) << "a band of 0.07 x the height";
    EXPECT_EQ(view.bottom, 714);
    float x = 0.0f, y = 0.0f;
    // 100 ahead at eye height, 10 to the left (-z is the hunter's left along +x).
    const float ahead[3] = {100.0f, 3.98289f, 0.0f}, left[3] = {100.0f, 3.98289f, -10.0f};
    ASSERT_TRUE(project(frame.draws[0], ahead, view, x, y));
    EXPECT_NEAR(x, 512.0f, 0.01f);
    EXPECT_NEAR(y, 384.0f, 0.01f);
    ASSERT_TRUE(project(frame.draws[0], left, view, x, y));
    EXPECT_NEAR(x, 512.0f - 0.1f * 1.73205f * 512.0f, 0.1f);
    const float behind[3] = {-5.0f, 3.98289f, 0.0f};
    EXPECT_FALSE(project(frame.draws[0], behind, view, x, y));
    float row = 0.0f;
    ASSERT_TRUE(horizon_row(frame.draws[0], view, row));
    EXPECT_NEAR(row, 384.0f, 0.01f);
    EXPECT_EQ(ui_pixels(646, 448, 678, 464, 1024, 768).top, 304);
}

// A frame as the renderer should draw the clearing: black bands, above the horizon a
// blue sky with clouds, below it green ground, both noisy; the whitetail's hide where
// its transform puts it (in its box, every other pixel, as legs and gaps leave the
// rest to the ground); the texts' glyphs as strokes in each character's cell.
struct frame_parts_t {
    bool sky = true, ground = true, buck = true, texts = true, flipped = false;
};

picture_t frame(const logged_frame_t &log, const frame_parts_t &parts) {
    picture_t p(1024, 768);
    const pixel_rect_t view = scene_viewport(1024, 768);
    uint32_t seed = 7;
    for (int32_t y = view.top; y < view.bottom; ++y)
        for (int32_t x = 0; x < 1024; ++x) {
            const int32_t n = int32_t(lcg_step(seed) >> 27);  // 0..31
            if (y < 384 && parts.sky) p.set(x, y, uint8_t(90 + n), uint8_t(120 + n), uint8_t(200 + n / 2));
            if (y >= 384 && parts.ground) p.set(x, y, uint8_t(70 + n), uint8_t(110 + n), uint8_t(40 + n));
        }
    if (parts.buck) {
        const float low[3] = {-0.35f, 0.0f, -1.0f}, high[3] = {0.35f, 1.75f, 0.9f};
        pixel_rect_t box;
        EXPECT_TRUE(project_box(*log.of_material("/material/animal/whitetail/body.mat")[0], low, high, view, box));
        for (int32_t y = box.top; y < box.bottom; ++y)
            for (int32_t x = box.left; x < box.right; ++x)
                if ((x + y) % 2 == 0) p.set(x, y, 160, 122, 86);
    }
    if (parts.texts)
        for (const logged_text_t &t : log.texts) {
            const pixel_rect_t r = ui_pixels(t.left, t.bottom, t.right, t.top, 1024, 768);
            for (int32_t x = r.left; x < r.right; x += 4)
                for (int32_t y = r.top + 3; y < r.bottom - 3; ++y)
                    p.set(x, y, uint8_t(t.tint), uint8_t(t.tint >> 8), uint8_t(t.tint >> 16));
        }
    if (parts.flipped) {
        picture_t f(p.width, p.height);
        for (uint32_t y = 0; y < p.height; ++y)
            for (uint32_t x = 0; x < p.width; ++x) f.set(x, y, p.at(x, 767 - y)[0], p.at(x, 767 - y)[1], p.at(x, 767 - y)[2]);
        return f;
    }
    return p;
}

TEST(picture_checks, the_sky_over_the_ground_fails_black_flat_missing_and_upside_down_frames) {
    const logged_frame_t log = read_log();
    const logged_draw_t &world = log.draws[0];
    EXPECT_TRUE(sky_over_ground(frame(log, {}), world));
    EXPECT_TRUE(is_a_drawn_frame(frame(log, {})));

    EXPECT_FALSE(is_a_drawn_frame(picture_t(1024, 768)));
    EXPECT_FALSE(is_a_drawn_frame(picture_t(1024, 768, 90, 120, 200))) << "one colour";
    EXPECT_FALSE(sky_over_ground(picture_t(1024, 768), world)) << "black";
    picture_t flat_sky = frame(log, {});
    for (uint32_t y = 54; y < 384; ++y)
        for (uint32_t x = 0; x < 1024; ++x) flat_sky.set(x, y, 100, 130, 210);
    EXPECT_FALSE(sky_over_ground(flat_sky, world)) << "a sky of one colour";
    EXPECT_FALSE(sky_over_ground(frame(log, {.sky = false}), world)) << "no sky";
    EXPECT_FALSE(sky_over_ground(frame(log, {.ground = false}), world)) << "no ground";
    EXPECT_FALSE(sky_over_ground(frame(log, {.flipped = true}), world)) << "upside down";
}

TEST(picture_checks, a_model_is_seen_only_where_its_projection_says) {
    const logged_frame_t log = read_log();
    const logged_draw_t &buck = *log.of_material("/material/animal/whitetail/body.mat")[0];
    model_look_t whitetail;
    const float low[3] = {-0.35f, 0.0f, -1.0f}, high[3] = {0.35f, 1.75f, 0.9f};
    std::copy(low, low + 3, whitetail.low);
    std::copy(high, high + 3, whitetail.high);
    EXPECT_TRUE(model_seen(frame(log, {}), buck, whitetail));
    EXPECT_FALSE(model_seen(frame(log, {.buck = false}), buck, whitetail)) << "the model left out";
    EXPECT_FALSE(model_seen(picture_t(1024, 768), buck, whitetail)) << "black";
    // Drawn 20 units further left than its transform says.
    logged_draw_t moved = buck;
    moved.clip[3] -= 20.0f * moved.clip[0];
    EXPECT_FALSE(model_seen(frame(log, {}), moved, whitetail));
}

TEST(picture_checks, a_text_is_drawn_as_glyphs_of_its_tint_in_its_rectangle) {
    const logged_frame_t log = read_log();
    const logged_text_t &score = *log.text("1030");
    EXPECT_TRUE(text_drawn(frame(log, {}), score));
    EXPECT_FALSE(text_drawn(frame(log, {.texts = false}), score)) << "the UI left out";
    picture_t boxed = frame(log, {.texts = false});
    const pixel_rect_t r = ui_pixels(score.left, score.bottom, score.right, score.top, 1024, 768);
    for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = r.left; x < r.right; ++x) boxed.set(x, y, 255, 255, 0);
    EXPECT_FALSE(text_drawn(boxed, score)) << "a box, not glyphs";
    logged_text_t elsewhere = score;
    elsewhere.left -= 200.0f;
    elsewhere.right -= 200.0f;
    EXPECT_FALSE(text_drawn(frame(log, {}), elsewhere));
}

TEST(picture_checks, the_stand_in_renderers_test_pattern_is_told_from_a_picture) {
    picture_t pattern(300, 260);
    for (uint32_t y = 0; y < 260; ++y)
        for (uint32_t x = 0; x < 300; ++x) pattern.set(x, y, uint8_t(x), uint8_t(y), uint8_t(x ^ y));
    EXPECT_TRUE(is_test_pattern(pattern));
    pattern.set(299, 259, 0, 0, 0);
    EXPECT_FALSE(is_test_pattern(pattern));
    EXPECT_FALSE(is_test_pattern(picture_t(4, 4)));
}

}  // namespace
}  // namespace quarn::test
