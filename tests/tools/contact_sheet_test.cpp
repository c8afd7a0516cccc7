// contactsheet: pictures side by side in rows, each shrunk by whole blocks and
// captioned under it in the UI font from the glyph atlas fontgen draws; the same
// pictures give the same PNG bytes; bad pictures, fonts and atlases are refused with
// what is wrong.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "contact_sheet.h"
#include "font_atlas.h"
#include "outside/qrnshared/def_pool.h"
#include "support/temp_dir.h"

namespace contactsheet {
namespace {

using quarn::test::read_file;
using quarn::test::temp_dir_t;
using quarn::test::write_file;

// The shipped font's atlas keys (data/builtin/system/font/default.font).
const char FONT[] =
    "def font {\n glyph_width: \"8\"\n line_height: \"16\"\n spacing: \"2\"\n"
    " atlas: \"/system/font/default.tga\"\n atlas_scale: \"2\"\n atlas_padding: \"8\"\n"
    " atlas_chars: \"0x20-0x7E 0xA0-0xFF\"\n}\n";

// The font file and its atlas, drawn by fontgen's library from the build's face, in a
// folder of their own: dir/default.font, and the atlas below dir/root.
bool write_font(const temp_dir_t &dir, std::string &error) {
    quarn::def_pool_t pool;
    quarn::zml_font_t font;
    if (!pool.read_text(FONT, strlen(FONT), "/t.font") || !quarn::zml_font_parse(pool, "/t.font", &font)) return false;
    fontgen::atlas_t atlas;
    return fontgen::make_atlas(FERNWOLD_UI_FACE, font, atlas, error) &&
           write_file(dir.file("root/system/font/default.tga"), fontgen::encode_tga(atlas.image)) &&
           write_file(dir.file("default.font"), FONT);
}

// A picture whose pixels all differ from their neighbours'.
picture_t pattern(uint32_t w, uint32_t h, uint8_t seed) {
    picture_t p(w, h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) p.set(x, y, uint8_t(x * 5 + seed), uint8_t(y * 7 + seed), uint8_t(x * y + seed));
    return p;
}

class contact_sheet : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(write_font(dir, error)) << error;
        ASSERT_TRUE(load_caption_font(dir.file("default.font"), dir.file("root"), font, error)) << error;
    }
    temp_dir_t dir;
    caption_font_t font;
};

bool is_background(const picture_t &sheet, uint32_t x, uint32_t y, const sheet_options_t &o) {
    const uint8_t *p = sheet.at(x, y);
    return p[0] == o.background[0] && p[1] == o.background[1] && p[2] == o.background[2];
}

TEST_F(contact_sheet, thumbnails_stand_in_rows_with_their_captions_centred_under_them) {
    EXPECT_EQ(font.cell_width, 16u);
    EXPECT_EQ(font.cell_height, 32u);
    sheet_options_t options;
    options.columns = 2;
    // Thumbnails of 50 x 30, 32 x 30 and 50 x 10: cells of 50 x (30 + 6 + 32).
    const std::vector<sheet_entry_t> entries = {
        {pattern(100, 60, 1), "ab"}, {pattern(64, 60, 2), "abcdef"}, {pattern(100, 20, 3), ""}};
    picture_t sheet;
    std::string error;
    ASSERT_TRUE(make_sheet(entries, font, options, sheet, error)) << error;
    ASSERT_EQ(sheet.width, 16u + 2 * (50 + 16));
    ASSERT_EQ(sheet.height, 16u + 2 * (68 + 16));

    // Where each thumbnail lies, and where its caption's characters may ink: the first
    // caption's two characters, the second's first three (no more fit 50 pixels), none.
    struct place_t {
        uint32_t x, y;
        uint32_t ink_left, ink_right;
    } places[] = {{16, 16, 25, 57}, {16 + 66 + 9, 16, 82 + 1, 82 + 1 + 48}, {16, 100, 0, 0}};
    std::vector<bool> covered(size_t(sheet.width) * sheet.height, false);
    for (size_t i = 0; i < entries.size(); ++i) {
        const picture_t thumb = shrink(entries[i].picture, 2);
        for (uint32_t y = 0; y < thumb.height; ++y)
            for (uint32_t x = 0; x < thumb.width; ++x) {
                ASSERT_EQ(memcmp(sheet.at(places[i].x + x, places[i].y + y), thumb.at(x, y), 3), 0) << i;
                covered[size_t(places[i].y + y) * sheet.width + places[i].x + x] = true;
            }
        const uint32_t cell_x = 16 + uint32_t(i % 2) * 66, top = places[i].y + 30 + 6;
        uint32_t ink = 0;
        for (uint32_t y = top; y < top + 32; ++y)
            for (uint32_t x = cell_x; x < cell_x + 50; ++x) {
                if (is_background(sheet, x, y, options)) continue;
                EXPECT_TRUE(x >= places[i].ink_left && x < places[i].ink_right) << i << " at " << x << ", " << y;
                covered[size_t(y) * sheet.width + x] = true;
                ++ink;
            }
        if (entries[i].caption.empty()) {
            EXPECT_EQ(ink, 0u);
        } else {
            EXPECT_GT(ink, 40u) << "caption " << i << " is drawn";
        }
    }
    // The rest is the background.
    for (uint32_t y = 0; y < sheet.height; ++y)
        for (uint32_t x = 0; x < sheet.width; ++x)
            if (!covered[size_t(y) * sheet.width + x]) {
                ASSERT_TRUE(is_background(sheet, x, y, options)) << x << ", " << y;
            }
}

TEST_F(contact_sheet, the_same_pictures_give_the_same_png_bytes) {
    const std::vector<sheet_entry_t> entries = {{pattern(320, 240, 9), "1 main menu"},
                                                {pattern(320, 240, 77), "7 high scores \xe9"}};
    std::string bytes[2];
    picture_t sheets[2];
    for (int i = 0; i < 2; ++i) {
        std::string error;
        ASSERT_TRUE(make_sheet(entries, font, sheet_options_t(), sheets[i], error)) << error;
        const std::string path = dir.file("sheet" + std::to_string(i) + ".png");
        ASSERT_TRUE(write_png(path, sheets[i], error)) << error;
        bytes[i] = read_file(path);
    }
    ASSERT_FALSE(bytes[0].empty());
    EXPECT_EQ(bytes[0], bytes[1]);
    EXPECT_EQ(bytes[0].find("tIME"), std::string::npos) << "no time stamp in the file";
    picture_t back;
    std::string error;
    ASSERT_TRUE(read_png(dir.file("sheet0.png"), back, error)) << error;
    EXPECT_EQ(back, sheets[0]);
}

TEST(picture, shrinking_takes_the_rounded_mean_of_each_block_and_of_the_edge_blocks) {
    picture_t p(3, 3);
    const uint8_t values[9] = {0, 1, 10, 2, 2, 20, 100, 101, 255};
    for (uint32_t i = 0; i < 9; ++i) p.set(i % 3, i / 3, values[i], uint8_t(255 - values[i]), 7);
    const picture_t s = shrink(p, 2);
    ASSERT_EQ(s.width, 2u);
    ASSERT_EQ(s.height, 2u);
    // (0 + 1 + 2 + 2) / 4 = 1.25; (10 + 20) / 2 = 15; (100 + 101) / 2 = 100.5; 255.
    const uint8_t expected[4] = {1, 15, 101, 255};
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(s.at(i % 2, i / 2)[0], expected[i]) << i;
        EXPECT_EQ(s.at(i % 2, i / 2)[2], 7) << i;
    }
    EXPECT_EQ(shrink(p, 1), p);
    EXPECT_EQ(shrink(p, 0xFFFFFFFFu).width, 1u) << "a huge factor gives one pixel";
}

TEST(picture, captions_are_the_file_names_with_blanks_for_underscores) {
    EXPECT_EQ(caption_of("/a/b/3_buck_in_the_sights.png"), "3 buck in the sights");
    EXPECT_EQ(caption_of("sheet.png"), "sheet");
    EXPECT_EQ(caption_of("dir.png/x_y"), "x y");
    EXPECT_EQ(caption_of(".png"), ".png");
}

TEST_F(contact_sheet, bad_pictures_fonts_and_atlases_are_refused_with_what_is_wrong) {
    picture_t picture;
    std::string error;
    const std::string good = dir.file("good.png");
    ASSERT_TRUE(write_png(good, pattern(8, 8, 0), error)) << error;
    const std::string png = read_file(good);
    // Pictures: no file, no PNG, cut short.
    ASSERT_TRUE(write_file(dir.file("text.png"), "no picture here"));
    ASSERT_TRUE(write_file(dir.file("cut.png"), png.substr(0, png.size() / 2)));
    const struct {
        const char *name;
        const char *said;
    } pictures[] = {{"none.png", "cannot be opened"}, {"text.png", "is no PNG picture"}, {"cut.png", "does not read whole"}};
    for (const auto &c : pictures) {
        error.clear();
        EXPECT_FALSE(read_png(dir.file(c.name), picture, error)) << c.name;
        EXPECT_NE(error.find(c.said), std::string::npos) << error;
    }
    EXPECT_FALSE(write_png(dir.file("empty.png"), picture_t(), error));

    // Fonts: no file, no atlas named, the atlas missing or of another size.
    caption_font_t other;
    ASSERT_TRUE(write_file(dir.file("plain.font"), "def font {\n glyph_width: \"8\"\n line_height: \"16\"\n}\n"));
    ASSERT_TRUE(write_file(dir.file("small/system/font/default.tga"), std::string(18, '\0')));
    const struct {
        std::string font, root;
        const char *said;
    } fonts[] = {
        {dir.file("none.font"), dir.file("root"), "cannot be read"},
        {dir.file("plain.font"), dir.file("root"), "names no glyph atlas"},
        {dir.file("default.font"), dir.file("nowhere"), "cannot be read"},
        {dir.file("default.font"), dir.file("small"), "is no 32-bit TGA of 512 x 768 texels"},
    };
    for (const auto &c : fonts) {
        error.clear();
        EXPECT_FALSE(load_caption_font(c.font, c.root, other, error)) << c.said;
        EXPECT_NE(error.find(c.said), std::string::npos) << error;
    }

    // Sheets: nothing to show, or wider than a sheet may be.
    EXPECT_FALSE(make_sheet({}, font, sheet_options_t(), picture, error));
    sheet_options_t wide;
    wide.columns = 64;
    wide.shrink = 1;
    std::vector<sheet_entry_t> many(64, sheet_entry_t{picture_t(1100, 10), "x"});
    EXPECT_FALSE(make_sheet(many, font, wide, picture, error));
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
}

}  // namespace
}  // namespace contactsheet
