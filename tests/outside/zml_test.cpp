// The markup layout: exact items and bounds over the fixture's font (glyphs 10 wide,
// lines 20 high, 4 apart) and its UI material (64 x 32).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "outside/qrnshared/def_pool.h"
#include "outside/qrnshared/r_queue.h"
#include "outside/qrnshared/ui/lcl.h"
#include "outside/qrnshared/ui/zml.h"
#include "ui_outside_fixture.h"

namespace quarn::test {
namespace {

std::string num(float f) {
    char b[32];
    snprintf(b, sizeof b, "%g", double(f));
    return b;
}

// One line per item: "G left bottom right top colour 'text' @first" for glyph runs,
// "I left bottom right top uv u0 u1 v0 v1 colour source" for images, " clipped" when
// the layout clipped it.
std::string items(const zml_buffer_t &b) {
    std::string out;
    for (uint32_t i = 0; i < b.count(); ++i) {
        const zml_item_t &it = b.get(i);
        const ui_rect_t r = b.rect(i);
        char colour[16];
        snprintf(colour, sizeof colour, "%08x", it.colour);
        if (!out.empty()) out += "\n";
        out += it.kind == zml_item_t::GLYPHS ? "G " : "I ";
        out += num(r.left) + " " + num(r.bottom) + " " + num(r.right) + " " + num(r.top) + " ";
        if (it.kind == zml_item_t::GLYPHS) {
            out += std::string(colour) + " '" + it.text.c_str() + "' @" + std::to_string(it.first_char);
            if (it.source != ZML_DEFAULT_FONT) out += std::string(" ") + it.source.c_str();
        } else {
            out += "uv " + num(it.uv[0]) + " " + num(it.uv[1]) + " " + num(it.uv[2]) + " " + num(it.uv[3]) + " " +
                   colour + " " + it.source.c_str();
        }
        if (it.flags & zml_item_t::CLIPPED) out += " clipped";
    }
    return out;
}

const ui_rect_t BOX = {100.0f, 300.0f, 500.0f, 400.0f};  // left, right, top, bottom

class zml_layout : public ui_outside_fixture_t {
protected:
    std::string layout(const std::string &text, const ui_rect_t &bounds = BOX) {
        zml_buffer_t b;
        EXPECT_TRUE(zml_render_to(b, text.c_str(), bounds));
        return items(b);
    }
};

#define MAT "/system/ui/default/uidefault.mat"

TEST_F(zml_layout, places_text_lines_images_alignment_and_offsets_exactly) {
    put("t/big.font", "def font {\n glyph_width: \"20\"\n line_height: \"30\"\n}\n");
    put("t/nosize.mat", "def material {\n effect: \"/effect/ui/ui_flat\"\n}\n");
    const struct {
        std::string markup;
        std::string expected;
    } cases[] = {
        {"Hi", "G 100 480 120 500 ffffffff 'Hi' @0"},
        {"ab<ret>c", "G 100 480 120 500 ffffffff 'ab' @0\nG 100 456 110 476 ffffffff 'c' @2"},
        {"ab\nc", "G 100 480 120 500 ffffffff 'ab' @0\nG 100 456 110 476 ffffffff 'c' @2"},
        {"a<RET><ret>b", "G 100 480 110 500 ffffffff 'a' @0\nG 100 432 110 452 ffffffff 'b' @1"},
        {"<align hstyle=center>abcd</align>", "G 180 480 220 500 ffffffff 'abcd' @0"},
        {"<align hstyle=right>ab</align>", "G 280 480 300 500 ffffffff 'ab' @0"},
        {"<align vstyle=center>ab</align>", "G 100 440 120 460 ffffffff 'ab' @0"},
        {"<ALIGN HSTYLE=\"center\" VSTYLE=bottom>ab</ALIGN>", "G 190 400 210 420 ffffffff 'ab' @0"},
        // A line that begins before the align tag keeps its own alignment.
        {"x<align hstyle=right>y</align>", "G 100 480 120 500 ffffffff 'xy' @0"},
        {"<offset hshift=5 vshift=10>ab", "G 105 470 125 490 ffffffff 'ab' @0"},
        {"a<offset vshift=30>b", "G 100 480 110 500 ffffffff 'a' @0\nG 100 450 110 470 ffffffff 'b' @1"},
        {"<img src=" MAT ">", "I 100 468 164 500 uv 0 1 0 1 ffffffff " MAT},
        {"<img src=" MAT " left=0.5 top=0.25 bottom=0.75>", "I 100 484 132 500 uv 0.5 1 0.25 0.75 ffffffff " MAT},
        {"<img src=" MAT " width=10 height=5 color=30ffffff>", "I 100 495 110 500 uv 0 1 0 1 30ffffff " MAT},
        {"<img src=" MAT " xscale=stretch yscale=stretch>", "I 100 400 300 500 uv 0 1 0 1 ffffffff " MAT},
        {"<img src=" MAT " xscale=repeat yscale=repeat>", "I 100 400 300 500 uv 0 3.125 0 3.125 ffffffff " MAT},
        {"<img src=/t/nosize.mat>x", "I 100 480 100 480 uv 0 1 0 1 ffffffff /t/nosize.mat\nG 100 480 110 500 ffffffff 'x' @0"},
        // Items stand on the line's bottom; the tallest sets its height.
        {"<img src=" MAT " width=10 height=40>ab",
         "I 100 460 110 500 uv 0 1 0 1 ffffffff " MAT "\nG 110 460 130 480 ffffffff 'ab' @0"},
        {"a<font src=/t/big.font>b</font>c",
         "G 100 470 110 490 ffffffff 'a' @0\nG 110 470 130 500 ffffffff 'b' @1 /t/big.font\nG 130 470 140 490 ffffffff 'c' @2"},
        {"<color value=ff0000ff>a</color>b", "G 100 480 110 500 ff0000ff 'a' @0\nG 110 480 120 500 ffffffff 'b' @1"},
        {"\\ya\\rb\\wc\\gd",
         "G 100 480 110 500 ff00ffff 'a' @0\nG 110 480 120 500 ff0000ff 'b' @1\nG 120 480 130 500 ffffffff 'c' @2\n"
         "G 130 480 140 500 ff00ff00 'd' @3"},
        {"a\\\\b\\q", "G 100 480 150 500 ffffffff 'a\\b\\q' @0"},
        {"<VERBATIM><img src=x>\\y@@k@@</Verbatim>!", "G 100 480 290 500 ffffffff '<img src=x>\\y@@k@@!' @0"},
        {"<b>x</b> a<b <img", "G 100 480 270 500 ffffffff '<b>x</b> a<b <img' @0"},
        {"<color value=red>a", "G 100 480 110 500 ffffffff 'a' @0"},
        {"abcdefghijklmnopqrstu", "G 100 480 310 500 ffffffff 'abcdefghijklmnopqrstu' @0 clipped"},
        {"a<ret><ret><ret><ret><ret>b", "G 100 480 110 500 ffffffff 'a' @0\nG 100 360 110 380 ffffffff 'b' @1 clipped"},
        {"", ""},
    };
    for (const auto &c : cases) EXPECT_EQ(layout(c.markup), c.expected) << c.markup;
    EXPECT_FALSE(messages.contains("[zml]")) << "no markup is an error";
}

const char *translate(const char *key) {
    if (std::string(key) == "greet") return "Hello <ret>%s";
    return nullptr;
}

TEST_F(zml_layout, keys_are_translated_only_in_localized_mode) {
    lcl_api_request();
    lcl_set_callback(&translate);
    EXPECT_EQ(layout("@@greet@@"), "G 100 480 190 500 ffffffff '@@greet@@' @0");
    EXPECT_FALSE(zml_localized(true));
    // The translation is markup of its own; a missing key is shown as the key.
    EXPECT_EQ(layout("@@greet@@ @@nokey@@"),
              "G 100 480 160 500 ffffffff 'Hello ' @0\nG 100 456 180 476 ffffffff '%s nokey' @6");
    // "@@@@" and an unclosed "@@" are text; verbatim text is not translated.
    EXPECT_EQ(layout("@@@@ @@x"), "G 100 480 180 500 ffffffff '@@@@ @@x' @0");
    EXPECT_EQ(layout("<verbatim>@@greet@@</verbatim>"), "G 100 480 190 500 ffffffff '@@greet@@' @0");
    EXPECT_TRUE(zml_localized(false));
    lcl_api_release();
    EXPECT_EQ(lcl_get_callback(), nullptr) << "the last release drops the callback";
}

TEST_F(zml_layout, buffers_move_copy_append_and_report_bounds) {
    zml_buffer_t a, b;
    ASSERT_TRUE(zml_render_to(a, "ab<ret>c", BOX));
    ui_rect_t r;
    ASSERT_TRUE(a.get_bounds(r));
    EXPECT_EQ(r, (ui_rect_t{100, 120, 500, 456}));
    a.offset(5, -6);
    ASSERT_TRUE(a.get_bounds(r));
    EXPECT_EQ(r, (ui_rect_t{105, 125, 494, 450}));
    a.get(1).flags |= zml_item_t::HIDDEN;
    ASSERT_TRUE(a.get_bounds(r));
    EXPECT_EQ(r, (ui_rect_t{105, 125, 494, 474})) << "hidden items are not counted";
    ASSERT_TRUE(zml_render_to(b, "x", {0, 100, 100, 0}));
    b.set_position(10, 10);
    ASSERT_TRUE(b.append(a));
    EXPECT_EQ(items(b), "G 10 90 20 110 ffffffff 'x' @0\nG 105 474 125 494 ffffffff 'ab' @0\nG 105 450 115 470 ffffffff 'c' @2");
    zml_buffer_t c(b);
    EXPECT_EQ(items(c), items(b));
    c.reset();
    EXPECT_EQ(c.count(), 0u);
    EXPECT_FALSE(c.get_bounds(r));
}

TEST_F(zml_layout, flushing_puts_one_record_per_visible_item_with_the_tint) {
    zml_buffer_t b;
    ASSERT_TRUE(zml_render_to(b, "<img src=" MAT " width=8 height=8 color=80ff00ff>ab", BOX));
    b.get(1).flags |= zml_item_t::HIDDEN;
    r_queue_t *queue = gfx_queue_alloc();
    zml_colormod(b, 0x80808080u, queue);
    ASSERT_EQ(queue->ui_records.get_count(), 1u);
    const r_ui_record_t &rec = queue->ui_records[0];
    EXPECT_EQ(rec.kind, r_ui_record_t::IMAGE);
    EXPECT_STREQ(rec.source, MAT);
    EXPECT_EQ(rec.tint, 0x40800080u) << "channel by channel, / 255 truncated";
    EXPECT_EQ(rec.left, 100.0f);
    EXPECT_EQ(rec.top, 488.0f) << "the image stands on the line of the text";
    gfx_queue_flush(queue);
    EXPECT_EQ(queue->ui_records.get_count(), 0u);
    gfx_queue_free(queue);
    EXPECT_EQ(zml_colour_multiply(0xFFFFFFFFu, 0x12345678u), 0x12345678u);
}

TEST_F(zml_layout, fonts_read_and_refuse_as_the_format_says) {
    const struct {
        const char *text;
        bool ok;
        const char *message;
    } cases[] = {
        {"def font { glyph_width: \"6\" line_height: \"12\" spacing: \"1.5\" }", true, ""},
        {"def font { glyph_width: \"6\" line_height: \"12\" }", true, ""},
        {"def font { line_height: \"12\" }", false, "/f.font:1: the font has no \"glyph_width\""},
        {"def font { glyph_width: \"0\" line_height: \"12\" }", false, "\"glyph_width\" must be a finite number above 0"},
        {"def font { glyph_width: \"6\" line_height: \"12\" spacing: \"-1\" }", false, "\"spacing\" must be a finite number of 0 or more"},
        {"def font { glyph_width: \"6\" line_height: \"12\"\n colour: \"1\" }", false, "/f.font:2: unknown key 'colour'"},
        {"def other { }", false, "/f.font: no \"font\" block"},
        {"def font { glyph_width: \"6\" line_height: \"12\" def x { } }", false, "a font holds no blocks"},
        // The glyph atlas.
        {"def font { glyph_width: \"8\" line_height: \"16\" atlas: \"/f.tga\" atlas_scale: \"2\"\n"
         " atlas_padding: \"8\" atlas_chars: \"0x41-0x43 97 0xff\" }", true, ""},
        {"def font { glyph_width: \"7.5\" line_height: \"15\" atlas: \"/f.tga\" atlas_scale: \"2\" }", true, ""},
        {"def font { glyph_width: \"8\" line_height: \"16\"\n atlas_padding: \"8\" }", false,
         "/f.font:2: \"atlas_padding\" needs an \"atlas\""},
        {"def font { glyph_width: \"8\" line_height: \"16\"\n atlas: \"f.tga\" atlas_scale: \"2\" }", false,
         "/f.font:2: \"atlas\" must be a path from the root of at most 127 characters"},
        {"def font { glyph_width: \"8\" line_height: \"16\" atlas: \"/f.tga\" }", false,
         "/f.font:1: the font has no \"atlas_scale\""},
        {"def font { glyph_width: \"8\" line_height: \"16\" atlas: \"/f.tga\"\n atlas_scale: \"1.1\" }", false,
         "/f.font:2: \"atlas_scale\" must make the glyph width and line height whole numbers of texels from 1 to 128"},
        {"def font { glyph_width: \"8\" line_height: \"16\" atlas: \"/f.tga\" atlas_scale: \"9\" }", false,
         "whole numbers of texels from 1 to 128"},
        {"def font { glyph_width: \"8\" line_height: \"16\" atlas: \"/f.tga\" atlas_scale: \"0\" }", false,
         "\"atlas_scale\" must be a finite number above 0"},
        {"def font { glyph_width: \"8\" line_height: \"16\" atlas: \"/f.tga\" atlas_scale: \"2\"\n"
         " atlas_padding: \"33\" }", false, "/f.font:2: \"atlas_padding\" must be a whole number of texels from 0 to 32"},
        {"def font { glyph_width: \"8\" line_height: \"16\" atlas: \"/f.tga\" atlas_scale: \"2\" atlas_padding: \"x\" }",
         false, "'atlas_padding' of 'font' is not an integer"},
        {"def font { glyph_width: \"8\" line_height: \"16\" atlas: \"/f.tga\" atlas_scale: \"2\"\n"
         " atlas_chars: \"0x20-0x7E 0x1F\" }", false,
         "/f.font:2: \"atlas_chars\": '0x1F' is not a character code or range from 0x20 to 0xFF"},
        {"def font { glyph_width: \"8\" line_height: \"16\" atlas: \"/f.tga\" atlas_scale: \"2\" atlas_chars: \"0x7E-0x20\" }",
         false, "'0x7E-0x20' is not a character code or range"},
        {"def font { glyph_width: \"8\" line_height: \"16\" atlas: \"/f.tga\" atlas_scale: \"2\" atlas_chars: \"32-256\" }",
         false, "'32-256' is not"},
        {"def font { glyph_width: \"8\" line_height: \"16\" atlas: \"/f.tga\" atlas_scale: \"2\" atlas_chars: \"0x-0x30\" }",
         false, "'0x-0x30' is not"},
        {"def font { glyph_width: \"8\" line_height: \"16\" atlas: \"/f.tga\" atlas_scale: \"2\" atlas_chars: \"-32\" }",
         false, "'-32' is not"},
        {"def font { glyph_width: \"8\" line_height: \"16\" atlas: \"/f.tga\" atlas_scale: \"2\" atlas_chars: \" \" }", false,
         "\"atlas_chars\" lists no character"},
    };
    for (const auto &c : cases) {
        messages.clear();
        def_pool_t pool;
        ASSERT_TRUE(pool.read_text(c.text, strlen(c.text), "/f.font")) << c.text;
        zml_font_t f;
        EXPECT_EQ(zml_font_parse(pool, "/f.font", &f), c.ok) << c.text;
        if (!c.ok) {
            EXPECT_TRUE(messages.contains(c.message)) << c.text;
        }
    }
    // An atlas path one character too long for the font.
    const std::string path = "/" + std::string(ZML_ATLAS_PATH_SIZE - 1, 'a');
    const std::string text = "def font { glyph_width: \"8\" line_height: \"16\" atlas_scale: \"2\" atlas: \"" + path + "\" }";
    def_pool_t pool;
    ASSERT_TRUE(pool.read_text(text.c_str(), text.size(), "/f.font"));
    zml_font_t f;
    EXPECT_FALSE(zml_font_parse(pool, "/f.font", &f));
}

TEST_F(zml_layout, a_fonts_atlas_lists_its_characters_and_gives_its_cell_grid) {
    const struct {
        const char *text;
        const char *chars;  // the characters the atlas holds, as ranges
        zml_atlas_layout_t layout;
    } cases[] = {
        // Without a list: every printable character of Latin-1.
        {"atlas: \"/a.tga\" atlas_scale: \"2\"", "20-7e a0-ff", {16, 32, 0}},
        {"atlas: \"/a.tga\" atlas_scale: \"1\" atlas_padding: \"4\" atlas_chars: \"65 0x42-0x43 0x41 255\"",
         "41-43 ff", {8, 16, 4}},
        {"atlas: \"/a.tga\" atlas_scale: \"0.5\" atlas_chars: \"0x20-0xFF\"", "20-ff", {4, 8, 0}},
    };
    for (const auto &c : cases) {
        const std::string text = std::string("def font { glyph_width: \"8\" line_height: \"16\" ") + c.text + " }";
        def_pool_t pool;
        ASSERT_TRUE(pool.read_text(text.c_str(), text.size(), "/f.font"));
        zml_font_t f;
        ASSERT_TRUE(zml_font_parse(pool, "/f.font", &f)) << text;
        EXPECT_STREQ(f.atlas, "/a.tga");
        EXPECT_EQ(f.glyph_width, 8.0f) << "the glyph model stays as it is";
        std::string ranges;
        for (uint32_t code = 0; code < 256; ++code) {
            if (!zml_atlas_has(f, uint8_t(code)) || (code > 0 && zml_atlas_has(f, uint8_t(code - 1)))) continue;
            uint32_t last = code;
            while (last < 255 && zml_atlas_has(f, uint8_t(last + 1))) ++last;
            char b[16];
            snprintf(b, sizeof b, last == code ? "%x" : "%x-%x", code, last);
            ranges += (ranges.empty() ? "" : " ") + std::string(b);
        }
        EXPECT_EQ(ranges, c.chars) << text;
        zml_atlas_layout_t l;
        ASSERT_TRUE(zml_atlas_layout(f, &l));
        EXPECT_EQ(l.cell_width, c.layout.cell_width) << text;
        EXPECT_EQ(l.cell_height, c.layout.cell_height) << text;
        EXPECT_EQ(l.padding, c.layout.padding) << text;
        EXPECT_EQ(l.width(), 16 * (l.cell_width + 2 * l.padding));
        EXPECT_EQ(l.cell_x(0x41), l.stride_x() + l.padding) << "'A' is in column 1";
        EXPECT_EQ(l.cell_y(0x41), 4 * l.stride_y() + l.padding) << "and row 4";
    }
    // A font without an atlas holds no characters and has no grid.
    def_pool_t pool;
    const char plain[] = "def font { glyph_width: \"8\" line_height: \"16\" }";
    ASSERT_TRUE(pool.read_text(plain, strlen(plain), "/f.font"));
    zml_font_t f;
    ASSERT_TRUE(zml_font_parse(pool, "/f.font", &f));
    zml_atlas_layout_t l;
    EXPECT_FALSE(zml_atlas_layout(f, &l));
    for (uint32_t code = 0; code < 256; ++code) EXPECT_FALSE(zml_atlas_has(f, uint8_t(code)));
}

TEST_F(zml_layout, a_font_that_cannot_be_loaded_is_reported_once_and_text_keeps_the_current_font) {
    EXPECT_EQ(layout("a<font src=/t/missing.font>b</font>"), "G 100 480 120 500 ffffffff 'ab' @0");
    EXPECT_EQ(layout("<font src=/t/missing.font>c"), "G 100 480 110 500 ffffffff 'c' @0");
    int reports = 0;
    for (const auto &e : messages.entries()) reports += e.text.find("Failed to load the font '/t/missing.font'") != std::string::npos;
    EXPECT_EQ(reports, 1);
}

}  // namespace
}  // namespace quarn::test
