// The renderer's reading of a glyph atlas: the texture it names and its size, the
// cell each character shows, the box for the rest, the quads of a glyph run, and the
// mip levels that never mix two cells.
#include <gtest/gtest.h>

#include <cstring>

#include "outside/gl/glyph_atlas.h"
#include "outside/qrnshared/def_pool.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

zml_font_t font_of(const char *text) {
    def_pool_t pool;
    zml_font_t font;
    EXPECT_TRUE(pool.read_text(text, strlen(text), "/t.font"));
    EXPECT_TRUE(zml_font_parse(pool, "/t.font", &font)) << text;
    return font;
}

// The shipped default font's atlas: cells of 16 x 32 texels, 8 empty around each, so
// columns of 32 and rows of 48 texels; 512 x 768 in all.
const char DEFAULT_FONT[] =
    "def font { glyph_width: \"8\" line_height: \"16\" spacing: \"2\" atlas: \"/system/font/default.tga\""
    " atlas_scale: \"2\" atlas_padding: \"8\" atlas_chars: \"0x20-0x7E 0xA0-0xFF\" }";

TEST(glyph_atlas, maps_each_character_to_its_cell_and_the_rest_to_the_box) {
    glyph_atlas_t atlas;
    ASSERT_TRUE(atlas.set_up("/system/font/default.font", font_of(DEFAULT_FONT)));
    EXPECT_STREQ(atlas.texture_path(), "/system/font/default.tga");
    EXPECT_EQ(atlas.texture_width(), 512u);
    EXPECT_EQ(atlas.texture_height(), 768u);
    EXPECT_EQ(atlas.cell_width(), 16u);
    EXPECT_EQ(atlas.cell_height(), 32u);
    EXPECT_EQ(atlas.max_mip_level(), 3u);

    const struct {
        uint8_t code;
        bool has;
        uint32_t x, y;  // the cell's top left texel
    } cases[] = {
        {'A', true, 1 * 32 + 8, 4 * 48 + 8},      // 0x41: column 1, row 4
        {' ', true, 0 * 32 + 8, 2 * 48 + 8},      // blank, yet the atlas's
        {'~', true, 14 * 32 + 8, 7 * 48 + 8},     // 0x7E
        {0xA0, true, 0 * 32 + 8, 10 * 48 + 8},    // no-break space
        {0xFF, true, 15 * 32 + 8, 15 * 48 + 8},   // ÿ, the last cell
        {0x7F, false, 8, 8},                      // not printable: the box of cell 0
        {0x80, false, 8, 8},
        {0x9F, false, 8, 8},
        {0x01, false, 8, 8},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(atlas.has(c.code), c.has) << int(c.code);
        glyph_quad_t q;
        atlas.cell(c.code, &q);
        EXPECT_FLOAT_EQ(q.u0, float(c.x) / 512.0f) << int(c.code);
        EXPECT_FLOAT_EQ(q.u1, float(c.x + 16) / 512.0f) << int(c.code);
        EXPECT_FLOAT_EQ(q.v0, float(c.y) / 768.0f) << int(c.code);
        EXPECT_FLOAT_EQ(q.v1, float(c.y + 32) / 768.0f) << int(c.code);
    }
}

TEST(glyph_atlas, a_run_is_one_cell_per_character_left_to_right_over_the_records_rectangle) {
    glyph_atlas_t atlas;
    ASSERT_TRUE(atlas.set_up("/f.font", font_of(DEFAULT_FONT)));
    r_ui_record_t run;
    run.source = "/f.font";
    run.left = 100.0f;
    run.right = 132.0f;
    run.bottom = 200.0f;
    run.top = 216.0f;
    run.glyph_width = 8.0f;
    run.text = "Hi\x7F\xE9";
    const float lefts[] = {100.0f, 108.0f, 116.0f, 124.0f};
    const bool boxed[] = {false, false, true, false};
    for (uint32_t i = 0; i < 4; ++i) {
        const glyph_quad_t q = atlas.quad(run, i);
        EXPECT_EQ(q.left, lefts[i]) << i;
        EXPECT_EQ(q.right, lefts[i] + 8.0f) << i;
        EXPECT_EQ(q.bottom, 200.0f) << i;
        EXPECT_EQ(q.top, 216.0f) << i;
        EXPECT_EQ(q.boxed, boxed[i]) << i;
        glyph_quad_t cell;
        atlas.cell(uint8_t(run.text[i]), &cell);
        EXPECT_EQ(q.u0, cell.u0) << i;
        EXPECT_EQ(q.v1, cell.v1) << i;
    }
    EXPECT_EQ(atlas.quad(run, 3).right, run.right) << "the last glyph ends where the run does";
    // A run of another font drawn with this atlas keeps its own glyph size.
    run.glyph_width = 20.0f;
    run.top = 230.0f;
    EXPECT_EQ(atlas.quad(run, 1).left, 120.0f);
    EXPECT_EQ(atlas.quad(run, 1).top, 230.0f);
}

TEST(glyph_atlas, fonts_without_an_atlas_and_textures_of_another_size_are_refused) {
    message_capture_t messages;
    glyph_atlas_t atlas;
    EXPECT_FALSE(atlas.set_up("/plain.font", font_of("def font { glyph_width: \"8\" line_height: \"16\" }")));
    EXPECT_TRUE(messages.contains("[gl] The font '/plain.font' has no glyph atlas"));
    EXPECT_FALSE(atlas.is_set_up());
    EXPECT_FALSE(atlas.has('A'));
    glyph_quad_t q;
    atlas.cell('A', &q);
    EXPECT_EQ(q.u1, 0.0f) << "nothing to show before set_up";

    ASSERT_TRUE(atlas.set_up("/f.font", font_of(DEFAULT_FONT)));
    EXPECT_TRUE(atlas.check_texture(512, 768));
    EXPECT_FALSE(atlas.check_texture(512, 512));
    EXPECT_TRUE(messages.contains("[gl] The glyph atlas '/system/font/default.tga' is 512 x 512 texels; its font asks "
                                  "for 512 x 768"));
    // A failed set_up keeps the atlas it had.
    EXPECT_FALSE(atlas.set_up("/plain.font", font_of("def font { glyph_width: \"8\" line_height: \"16\" }")));
    EXPECT_STREQ(atlas.texture_path(), "/system/font/default.tga");
}

TEST(glyph_atlas, mip_levels_stop_where_a_texel_would_cover_two_cells) {
    const struct {
        const char *keys;
        uint32_t level;
    } cases[] = {
        {"atlas_scale: \"2\"", 0},                          // no gutter: mipmaps would mix cells
        {"atlas_scale: \"2\" atlas_padding: \"1\"", 0},
        {"atlas_scale: \"2\" atlas_padding: \"2\"", 1},
        {"atlas_scale: \"2\" atlas_padding: \"6\"", 1},     // cells begin at 6 + 28 n
        {"atlas_scale: \"2\" atlas_padding: \"16\"", 4},    // 16 x 32 cells at multiples of 16
        {"atlas_scale: \"2\" atlas_padding: \"32\"", 4},    // the cell's width ends it
        {"atlas_scale: \"1.25\" atlas_padding: \"8\"", 1},  // 10 x 20 cells
    };
    for (const auto &c : cases) {
        const std::string text =
            std::string("def font { glyph_width: \"8\" line_height: \"16\" atlas: \"/a.tga\" ") + c.keys + " }";
        glyph_atlas_t atlas;
        ASSERT_TRUE(atlas.set_up("/f.font", font_of(text.c_str())));
        EXPECT_EQ(atlas.max_mip_level(), c.level) << c.keys;
    }
}

}  // namespace
}  // namespace quarn::test
