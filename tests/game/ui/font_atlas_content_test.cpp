// The default font as the program carries it: its glyph atlas, made by the build,
// lies in the archive stored in the program at the path the font names, is the size
// its cell grid asks for, and inks every character the font lists and the box.
#include <gtest/gtest.h>

#include <vector>

#include "outside/qrnshared/ui/zml.h"
#include "qrncore/qrnutils/hbmp/tga.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "ui_fixture.h"

namespace quarn::test {
namespace {

class font_atlas_content : public ui_fixture_t {};

TEST_F(font_atlas_content, the_default_fonts_atlas_ships_with_it_and_inks_every_listed_character) {
    const zml_font_t *font = zml_get_font(ZML_DEFAULT_FONT);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->glyph_width, 8.0f) << "the layout's numbers stay as they are";
    EXPECT_EQ(font->line_height, 16.0f);
    zml_atlas_layout_t layout;
    ASSERT_TRUE(zml_atlas_layout(*font, &layout));
    EXPECT_STREQ(font->atlas, "/system/font/default.tga");

    auto_ptr_t<file_t> file = fs_open(font->atlas, FS_REALM_VIRTUAL);
    ASSERT_NE(file.get(), nullptr) << "the build packs the atlas beside its font";
    std::vector<uint8_t> bytes(size_t(file->size()));
    ASSERT_TRUE(file->block_read(bytes.data(), uint32_t(bytes.size()), 0));
    tga_header_t h;
    ASSERT_TRUE(tga_read_header(&h, bytes.data(), bytes.size()));
    ASSERT_EQ(tga_type(h), HBMP_BGRA);
    ASSERT_EQ(tga_x_size(h), layout.width());
    ASSERT_EQ(tga_y_size(h), layout.height());
    std::vector<uint8_t> bgra(size_t(layout.width()) * layout.height() * 4);
    ASSERT_TRUE(tga_decompress(bgra.data(), bytes.data(), bytes.size()));

    for (uint32_t code = 0; code < 256; ++code) {
        uint32_t ink = 0;
        const uint32_t cx = layout.cell_x(uint8_t(code)), cy = layout.cell_y(uint8_t(code));
        for (uint32_t y = 0; y < layout.cell_height; ++y)
            for (uint32_t x = 0; x < layout.cell_width; ++x)
                ink += bgra[((size_t(cy) + y) * layout.width() + cx + x) * 4 + 3] != 0;
        const bool blank = code == ' ' || code == 0xA0;
        const bool inked = code == ZML_ATLAS_BOX || (zml_atlas_has(*font, uint8_t(code)) && !blank);
        EXPECT_EQ(ink > 0, inked) << "character " << code;
        if (code >= 0x20) {
            EXPECT_EQ(zml_atlas_has(*font, uint8_t(code)), code < 0x7F || code >= 0xA0) << code;
        }
    }
}

}  // namespace
}  // namespace quarn::test
