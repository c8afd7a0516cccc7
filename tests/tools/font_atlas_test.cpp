// fontgen: the atlas of the UI font drawn from the build's DejaVu Sans Mono: every
// listed character inked inside its own cell on one baseline, the box in cell 0, the
// same bytes every time, and TGA files the core's reader takes back texel for texel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "font_atlas.h"
#include "outside/qrnshared/def_pool.h"
#include "qrncore/qrnutils/hbmp/tga.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace fontgen {
namespace {

const char *const FACE = FERNWOLD_UI_FACE;

// The shipped font's atlas keys over the shipped metrics.
const char SHIPPED[] =
    "def font {\n glyph_width: \"8\"\n line_height: \"16\"\n spacing: \"2\"\n"
    " atlas: \"/system/font/default.tga\"\n atlas_scale: \"2\"\n atlas_padding: \"8\"\n"
    " atlas_chars: \"0x20-0x7E 0xA0-0xFF\"\n}\n";

quarn::zml_font_t font_of(const char *text) {
    quarn::def_pool_t pool;
    quarn::zml_font_t font;
    EXPECT_TRUE(pool.read_text(text, strlen(text), "/t.font"));
    EXPECT_TRUE(quarn::zml_font_parse(pool, "/t.font", &font)) << text;
    return font;
}

bool printable_latin1(uint32_t c) { return (c >= 0x20 && c <= 0x7E) || (c >= 0xA0 && c <= 0xFF); }

// The ink of one cell: its bounding box (cell texels) and texel count.
struct ink_t {
    int32_t left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
    uint32_t texels = 0;
};

ink_t ink_of(const atlas_t &a, uint8_t code) {
    ink_t ink;
    const uint32_t cx = a.layout.cell_x(code), cy = a.layout.cell_y(code);
    for (uint32_t y = 0; y < a.layout.cell_height; ++y)
        for (uint32_t x = 0; x < a.layout.cell_width; ++x)
            if (a.image.alpha(cx + x, cy + y)) {
                ink.left = std::min(ink.left, int32_t(x));
                ink.right = std::max(ink.right, int32_t(x));
                ink.top = std::min(ink.top, int32_t(y));
                ink.bottom = std::max(ink.bottom, int32_t(y));
                ++ink.texels;
            }
    return ink;
}

class font_atlas : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        shipped = new atlas_t;
        std::string error;
        ASSERT_TRUE(make_atlas(FACE, font_of(SHIPPED), *shipped, error)) << error;
    }
    static void TearDownTestSuite() {
        delete shipped;
        shipped = nullptr;
    }
    static atlas_t *shipped;
};

atlas_t *font_atlas::shipped = nullptr;

TEST_F(font_atlas, every_printable_latin1_character_is_inked_inside_its_own_cell) {
    const atlas_t &a = *shipped;
    ASSERT_EQ(a.image.width, 16u * 32u);
    ASSERT_EQ(a.image.height, 16u * 48u);
    for (uint32_t c = 1; c < 256; ++c) {
        const ink_t ink = ink_of(a, uint8_t(c));
        if (!printable_latin1(c)) {
            EXPECT_FALSE(a.glyphs[c].drawn) << c;
            EXPECT_EQ(ink.texels, 0u) << "no glyph for the code " << c;
            continue;
        }
        EXPECT_TRUE(a.glyphs[c].drawn) << c;
        EXPECT_EQ(a.glyphs[c].clipped, 0u) << "the face's glyph of " << c << " was cut at its cell's edge";
        EXPECT_EQ(ink.texels, a.glyphs[c].ink) << c;
        // The space and the no-break space are the only blank characters.
        if (c == 0x20 || c == 0xA0) {
            EXPECT_EQ(ink.texels, 0u) << c;
        } else {
            EXPECT_GT(ink.texels, 3u) << "the character " << c << " has no ink";
        }
    }
    // Nothing but cells holds ink: the gutters stay empty, so filtering never reaches
    // a neighbour's glyph.
    uint32_t in_cells = 0, total = 0;
    for (uint32_t c = 0; c < 256; ++c) in_cells += ink_of(a, uint8_t(c)).texels;
    for (uint32_t y = 0; y < a.image.height; ++y)
        for (uint32_t x = 0; x < a.image.width; ++x) total += a.image.alpha(x, y) != 0;
    EXPECT_EQ(total, in_cells);
    // Every texel is white: tints colour the glyphs, and edges never darken.
    for (size_t i = 0; i < a.image.rgba.size(); i += 4)
        ASSERT_TRUE(a.image.rgba[i] == 255 && a.image.rgba[i + 1] == 255 && a.image.rgba[i + 2] == 255) << i;
}

TEST_F(font_atlas, glyphs_stand_on_one_baseline_centred_in_their_cells) {
    const atlas_t &a = *shipped;
    EXPECT_EQ(a.layout.cell_width, 16u);
    EXPECT_EQ(a.layout.cell_height, 32u);
    // Letters without descenders end on the row above the baseline; descenders go
    // below it, capitals with accents stay inside the cell's top.
    for (uint8_t c : {uint8_t('H'), uint8_t('E'), uint8_t('x'), uint8_t('m'), uint8_t('1'), uint8_t(0xC4) /* Ä */})
        EXPECT_EQ(ink_of(a, c).bottom, int32_t(a.baseline) - 1) << c;
    for (uint8_t c : {uint8_t('g'), uint8_t('p'), uint8_t('y'), uint8_t(0xE7) /* ç */})
        EXPECT_GT(ink_of(a, c).bottom, int32_t(a.baseline)) << c;
    EXPECT_LT(ink_of(a, 'H').top, ink_of(a, 'x').top) << "capitals are taller than small letters";
    EXPECT_GE(ink_of(a, 0xC5 /* Å */).top, 0);
    // Symmetric glyphs have the same margin on both sides, give or take a texel.
    for (uint8_t c : {'H', 'O', 'o', '|', '=', 'A'}) {
        const ink_t ink = ink_of(a, c);
        const int32_t left = ink.left, right = int32_t(a.layout.cell_width) - 1 - ink.right;
        EXPECT_LE(std::abs(left - right), 1) << c << ": " << left << " texels left, " << right << " right";
    }
    // A vertical bar is a sharp stem: some columns fully covered.
    const ink_t bar = ink_of(a, '|');
    EXPECT_LE(bar.right - bar.left, 3);
}

TEST_F(font_atlas, cell_0_holds_the_box_for_characters_the_atlas_lacks) {
    const atlas_t &a = *shipped;
    EXPECT_TRUE(a.glyphs[quarn::ZML_ATLAS_BOX].drawn);
    const ink_t box = ink_of(a, quarn::ZML_ATLAS_BOX);
    ASSERT_GT(box.texels, 0u);
    EXPECT_EQ(box.bottom, int32_t(a.baseline) - 1) << "the box stands on the baseline";
    EXPECT_GT(box.right - box.left, int32_t(a.layout.cell_width) / 2);
    EXPECT_GT(box.bottom - box.top, int32_t(a.layout.cell_height) / 2);
    // An outline: its edges are inked, its middle is empty.
    const uint32_t cx = a.layout.cell_x(0), cy = a.layout.cell_y(0);
    const uint32_t mid_x = cx + uint32_t(box.left + box.right) / 2, mid_y = cy + uint32_t(box.top + box.bottom) / 2;
    EXPECT_EQ(a.image.alpha(mid_x, mid_y), 0);
    EXPECT_EQ(a.image.alpha(cx + uint32_t(box.left), mid_y), 255);
    EXPECT_EQ(a.image.alpha(cx + uint32_t(box.right), mid_y), 255);
    EXPECT_EQ(a.image.alpha(mid_x, cy + uint32_t(box.top)), 255);
    EXPECT_EQ(a.image.alpha(mid_x, cy + uint32_t(box.bottom)), 255);
}

TEST_F(font_atlas, the_same_font_gives_the_same_bytes_and_the_core_reads_them_back) {
    atlas_t again;
    std::string error;
    ASSERT_TRUE(make_atlas(FACE, font_of(SHIPPED), again, error)) << error;
    const std::string bytes = encode_tga(shipped->image);
    EXPECT_EQ(bytes, encode_tga(again.image));
    EXPECT_LT(bytes.size(), shipped->image.rgba.size() / 4) << "empty gutters and cells pack into runs";

    // Small images cover the packets' edges: runs and raw stretches longer than a
    // packet, a row of one texel, runs that end at a row's end.
    std::vector<atlas_image_t> images{shipped->image};
    for (uint32_t width : {1u, 2u, 3u, 127u, 128u, 129u, 300u}) {
        atlas_image_t img;
        img.width = width;
        img.height = 3;
        for (uint32_t i = 0; i < width * 3; ++i) {
            const uint8_t v = i < width ? 7 : i < 2 * width ? uint8_t(i * 37) : uint8_t(i / 5);
            img.rgba.insert(img.rgba.end(), {v, uint8_t(v + 1), uint8_t(v ^ 0x55), uint8_t(255 - v)});
        }
        images.push_back(img);
    }
    for (const atlas_image_t &img : images) {
        const std::string tga = encode_tga(img);
        quarn::tga_header_t h;
        ASSERT_TRUE(quarn::tga_read_header(&h, tga.data(), tga.size()));
        EXPECT_EQ(h.image_type, 10);
        EXPECT_EQ(h.descriptor, 0x28) << "8 bits of alpha, rows top first";
        ASSERT_EQ(quarn::tga_type(h), quarn::HBMP_BGRA);
        ASSERT_EQ(quarn::tga_x_size(h), img.width);
        ASSERT_EQ(quarn::tga_y_size(h), img.height);
        std::vector<uint8_t> bgra(img.rgba.size());
        ASSERT_TRUE(quarn::tga_decompress(bgra.data(), tga.data(), tga.size())) << img.width;
        for (size_t i = 0; i < bgra.size(); i += 4)
            ASSERT_TRUE(bgra[i] == img.rgba[i + 2] && bgra[i + 1] == img.rgba[i + 1] && bgra[i + 2] == img.rgba[i] &&
                        bgra[i + 3] == img.rgba[i + 3])
                << "texel " << i / 4 << " of an image " << img.width << " wide";
    }
}

TEST_F(font_atlas, other_scales_and_paddings_keep_glyphs_in_their_cells) {
    const char *const fonts[] = {
        // The reference size itself, no padding, a few characters.
        "def font { glyph_width: \"8\" line_height: \"16\" atlas: \"/a.tga\" atlas_scale: \"1\""
        " atlas_chars: \"0x41-0x5A 0xE9\" }",
        // A cell higher than the face's line and narrower than its advance.
        "def font { glyph_width: \"6\" line_height: \"20\" atlas: \"/a.tga\" atlas_scale: \"3\" atlas_padding: \"2\" }",
    };
    for (const char *text : fonts) {
        const quarn::zml_font_t font = font_of(text);
        atlas_t a;
        std::string error;
        ASSERT_TRUE(make_atlas(FACE, font, a, error)) << error;
        EXPECT_EQ(a.image.width, a.layout.width());
        for (uint32_t c = 1; c < 256; ++c) {
            EXPECT_EQ(a.glyphs[c].drawn, quarn::zml_atlas_has(font, uint8_t(c))) << c;
            EXPECT_EQ(a.glyphs[c].clipped, 0u) << text << ": " << c;
        }
        EXPECT_GT(ink_of(a, 0xE9).texels, 0u) << text;
        EXPECT_GT(ink_of(a, 0).texels, 0u) << "the box, " << text;
    }
}

TEST(font_atlas_files, write_the_atlas_the_font_names_and_refuse_what_cannot_be) {
    quarn::test::temp_dir_t dir;
    quarn::test::message_capture_t messages;
    quarn::fs_startup();
    const std::string out = dir.file("out");
    ASSERT_TRUE(quarn::test::write_file(dir.file("ok.font"), SHIPPED));
    std::string error;
    ASSERT_TRUE(write_atlas(FACE, dir.file("ok.font"), out, error)) << error;
    const std::string tga = quarn::test::read_file(out + "/system/font/default.tga");
    atlas_t a;
    ASSERT_TRUE(make_atlas(FACE, font_of(SHIPPED), a, error));
    EXPECT_EQ(tga, encode_tga(a.image)) << "the file is the atlas, byte for byte";

    const struct {
        const char *face;
        const char *font;  // "" for a font file that does not exist
        const char *error;
        const char *logged;
    } cases[] = {
        {FACE, "", "does not read as a font", ""},
        {FACE, "def font { glyph_width: \"8\" line_height: \"16\" }", "names no atlas", ""},
        {FACE, "def font { glyph_width: \"8\" line_height: \"16\"\n atlas_scale: \"2\" }", "does not read as a font",
         "bad.font:2: \"atlas_scale\" needs an \"atlas\""},
        {FACE, "def font { glyph_width: \"8\" line_height: \"16\" atlas: \"/../x.tga\" atlas_scale: \"2\" }",
         "'..' parts", ""},
        {FACE, "def font { glyph_width: \"8\" line_height: \"16\" atlas: \"/f//x.tga\" atlas_scale: \"2\" }",
         "empty", ""},
        {"/nonexistent/face.ttf", SHIPPED, "is no font face", ""},
        {"", SHIPPED, "is no font face", ""},
    };
    for (const auto &c : cases) {
        messages.clear();
        const std::string font = dir.file("bad.font");
        std::remove(font.c_str());
        if (*c.font) {
            ASSERT_TRUE(quarn::test::write_file(font, c.font));
        }
        error.clear();
        EXPECT_FALSE(write_atlas(c.face, font, out, error)) << c.font;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.font << "\n" << error;
        if (*c.logged) {
            EXPECT_TRUE(messages.contains(c.logged)) << c.font;
        }
    }
    // A face file that is not a face at all.
    ASSERT_TRUE(quarn::test::write_file(dir.file("face.ttf"), "not a face"));
    EXPECT_FALSE(make_atlas(dir.file("face.ttf"), font_of(SHIPPED), a, error));
    EXPECT_NE(error.find("is no font face"), std::string::npos) << error;
    quarn::fs_shutdown();
}

}  // namespace
}  // namespace fontgen
