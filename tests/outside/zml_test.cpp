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
