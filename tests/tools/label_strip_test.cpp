// fontgen --strip: labels drawn into their bands of a strip, centred across, the same
// bytes every time; strip files that are wrong fail with where and what.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "label_strip.h"
#include "outside/qrnshared/def_pool.h"
#include "support/message_capture.h"

namespace fontgen {
namespace {

const char *const FACE = FERNWOLD_UI_FACE;

bool parse(const char *text, strip_t &strip, std::string &error) {
    quarn::def_pool_t pool;
    if (!pool.read_text(text, strlen(text), "/t.strip")) {
        error = "no definition file";
        return false;
    }
    return strip_parse(pool, "/t.strip", strip, error);
}

TEST(label_strip, labels_stand_centred_in_their_bands_and_shrink_to_fit_across) {
    // A band taller than wide text needs, one whose text is far too long for the
    // width at its height, and one low band near the image's bottom.
    const char *text =
        "def strip { texture: \"/texture/ui/t.tga\" size: \"128 256\" cap_height: \"0.5\" outline: \"2\"\n"
        " def a { rows: \"0.0 0.2\" text: \"Quit\" }\n"
        " def b { rows: \"0.2 0.4\" text: \"A very long label indeed\" }\n"
        " def c { rows: \"0.85 1.0\" text: \"Play\" }\n}\n";
    strip_t strip;
    std::string error;
    ASSERT_TRUE(parse(text, strip, error)) << error;
    atlas_image_t image;
    std::vector<strip_ink_t> ink;
    ASSERT_TRUE(make_strip(FACE, strip, image, error, &ink)) << error;
    ASSERT_EQ(ink.size(), 3u);
    for (size_t i = 0; i < ink.size(); ++i) {
        SCOPED_TRACE(strip.bands[i].text);
        const strip_ink_t &k = ink[i];
        ASSERT_LE(k.left, k.right);
        // Inside the band with its rim, centred across within a texel.
        EXPECT_GE(k.top - 2, int32_t(std::ceil(strip.bands[i].top * 256)));
        EXPECT_LT(k.bottom + 2, int32_t(std::floor(strip.bands[i].bottom * 256)));
        EXPECT_GE(k.left, 2);
        EXPECT_LT(k.right + 2, 128);
        EXPECT_LE(std::abs((k.left + k.right + 1) - 128), 1);
        // White letters at full cover, black rim texels beside them.
        uint32_t letters = 0, rim = 0;
        for (int32_t y = k.top - 2; y <= k.bottom + 2; ++y)
            for (int32_t x = k.left - 2; x <= k.right + 2; ++x) {
                const uint8_t *t = image.rgba.data() + (size_t(y) * 128 + size_t(x)) * 4;
                letters += t[3] == 255 && t[0] == 255;
                rim += t[3] > 0 && t[0] == 0;
            }
        EXPECT_GT(letters, 20u);
        EXPECT_GT(rim, 20u);
    }
    // The long label was made smaller; the short ones kept the capitals' height (a
    // mono face's capitals stand on a baseline, so their boxes' heights compare).
    EXPECT_LT(ink[1].bottom - ink[1].top, ink[0].bottom - ink[0].top);
    // Nothing outside the bands.
    for (uint32_t y = 103; y < 217; ++y)
        for (uint32_t x = 0; x < 128; ++x) ASSERT_EQ(image.alpha(x, y), 0) << x << "," << y;

    atlas_image_t again;
    ASSERT_TRUE(make_strip(FACE, strip, again, error)) << error;
    EXPECT_EQ(encode_tga(image), encode_tga(again));
}

TEST(label_strip, wrong_strips_fail_with_what_is_wrong) {
    quarn::test::message_capture_t capture;
    const std::string head = "def strip { texture: \"/t.tga\" size: \"64 64\" ";
    const struct {
        std::string text;
        const char *error;
    } cases[] = {
        {"def other { }", "no \"strip\" block"},
        {head + "colour: \"1\" def a { rows: \"0 1\" text: \"A\" } }", ":1: unknown key 'colour'"},
        {"def strip { texture: \"/../t.tga\" size: \"64 64\" def a { rows: \"0 1\" text: \"A\" } }", "texture path"},
        {"def strip { texture: \"/t.tga\" size: \"64 48\" def a { rows: \"0 1\" text: \"A\" } }", "powers of two"},
        {"def strip { texture: \"/t.tga\" size: \"4096 64\" def a { rows: \"0 1\" text: \"A\" } }", "powers of two"},
        {head + "cap_height: \"1.5\" def a { rows: \"0 1\" text: \"A\" } }", "cap_height"},
        {head + "outline: \"9\" def a { rows: \"0 1\" text: \"A\" } }", "outline"},
        {head + "}", "has no band"},
        {head + "def a { rows: \"0.5 0.2\" text: \"A\" } }", "needs rows"},
        {head + "def a { rows: \"0 1.5\" text: \"A\" } }", "needs rows"},
        {head + "def a { rows: \"0 0.5 x\" text: \"A\" } }", "needs rows"},
        {head + "def a { rows: \"0 0.5\" } }", "has no text"},
        {head + "def a { rows: \"0 0.5\" text: \"A\" width: \"2\" } }", "unknown key 'width'"},
        {head + "def a { rows: \"0 0.5\" text: \"A\" def b { } } }", "holds no blocks"},
        {head + "def a { rows: \"0 0.5\" text: \"A\" } def b { rows: \"0.4 1\" text: \"B\" } }", "overlaps 'a'"},
    };
    for (const auto &c : cases) {
        strip_t strip;
        std::string error;
        EXPECT_FALSE(parse(c.text.c_str(), strip, error)) << c.text;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.text << "\n" << error;
    }

    // A band too low for its letters and rim fails when drawn; so does a face that
    // does not read.
    strip_t strip;
    std::string error;
    ASSERT_TRUE(parse((head + "cap_height: \"1\" outline: \"8\" def a { rows: \"0 0.2\" text: \"Hy\" } }").c_str(),
                      strip, error))
        << error;
    atlas_image_t image;
    EXPECT_FALSE(make_strip(FACE, strip, image, error));
    EXPECT_NE(error.find("do not fit the band 'a'"), std::string::npos) << error;
    EXPECT_FALSE(make_strip("/nonexistent.ttf", strip, image, error));
    EXPECT_NE(error.find("no font face"), std::string::npos) << error;
}

}  // namespace
}  // namespace fontgen
