// The renderer's mip chains: every level's size down to 1 x 1, the 2 x 2 mean rounded
// as a driver's generator rounds it, alpha a channel like the others, and odd sides
// that keep their last row and column in the level below.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "outside/gl/gl_mipmaps.h"

namespace quarn::test {
namespace {

using gl::gl_mip_chain_bytes;
using gl::gl_mip_levels;
using gl::gl_mip_next;
using gl::gl_mip_side;

struct level_t {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgba;
};

// The image and every level below it, as the renderer makes them.
std::vector<level_t> chain_of(uint32_t width, uint32_t height, const std::vector<uint8_t> &rgba) {
    std::vector<level_t> levels{{width, height, rgba}};
    while (levels.back().width > 1 || levels.back().height > 1) {
        const level_t &above = levels.back();
        level_t below{gl_mip_side(above.width), gl_mip_side(above.height), {}};
        below.rgba.assign(size_t(below.width) * below.height * 4, 0xCD);
        gl_mip_next(above.rgba.data(), above.width, above.height, below.rgba.data());
        levels.push_back(below);
    }
    return levels;
}

TEST(gl_mipmaps, chains_reach_one_texel_and_an_even_image_stays_flat_at_every_level) {
    const struct {
        uint32_t width, height;
        int32_t levels;
    } cases[] = {
        {1, 1, 1}, {2, 2, 2}, {8, 8, 4}, {32, 32, 6}, {512, 768, 10}, {1024, 512, 11},
        {3, 1, 2}, {1, 7, 3},  {5, 3, 3}, {13, 6, 4},  {768, 3, 10},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        EXPECT_EQ(gl_mip_levels(c.width, c.height), c.levels);
        std::vector<uint8_t> flat(size_t(c.width) * c.height * 4);
        for (size_t i = 0; i < flat.size(); i += 4) flat[i] = 10, flat[i + 1] = 128, flat[i + 2] = 255, flat[i + 3] = 77;
        const std::vector<level_t> levels = chain_of(c.width, c.height, flat);
        ASSERT_EQ(int32_t(levels.size()), c.levels);
        uint64_t bytes = 0;
        for (size_t k = 1; k < levels.size(); ++k) {
            bytes += levels[k].rgba.size();
            // Shares that do not add up to the whole would darken or brighten a level.
            for (size_t i = 0; i < levels[k].rgba.size(); i += 4) {
                ASSERT_EQ(levels[k].rgba[i], 10) << "level " << k;
                ASSERT_EQ(levels[k].rgba[i + 1], 128) << "level " << k;
                ASSERT_EQ(levels[k].rgba[i + 2], 255) << "level " << k;
                ASSERT_EQ(levels[k].rgba[i + 3], 77) << "level " << k;
            }
        }
        EXPECT_EQ(gl_mip_chain_bytes(c.width, c.height), bytes);
    }
}

TEST(gl_mipmaps, a_level_is_the_rounded_mean_of_what_it_covers) {
    // 2 x 2: each channel alone, alpha too, the rows' means first, each a half up, as
    // a driver's bilinear generator rounds: (0, 1 | 0, 0) is 1, (2, 4 | 4, 6) is 4.
    const std::vector<level_t> square = chain_of(2, 2, {0, 2, 9, 0,  1, 4, 9, 255,  //
                                                        0, 4, 9, 0,  0, 6, 9, 0});
    EXPECT_EQ(square[1].rgba, (std::vector<uint8_t>{1, 4, 9, 64}));
    // 2 x 1: the mean of two, a half up.
    EXPECT_EQ(chain_of(2, 1, {3, 0, 0, 0, 4, 0, 0, 0})[1].rgba[0], 4);

    // An odd side loses no texel: 5 -> 2, each texel 2.5 wide, the middle one shared.
    std::vector<uint8_t> row(5 * 4, 0);
    row[4 * 4] = 250;
    row[4 * 4 + 3] = 255;
    const std::vector<level_t> five = chain_of(5, 1, row);
    ASSERT_EQ(five[1].width, 2u);
    EXPECT_EQ(five[1].rgba[0], 0);
    EXPECT_EQ(five[1].rgba[4], 100);
    EXPECT_EQ(five[1].rgba[7], 102);
    // 3 -> 1 and 1 x 3 -> 1: a third of each, the last row as much as the first.
    for (const auto &[w, h] : {std::pair<uint32_t, uint32_t>{3, 1}, {1, 3}}) {
        std::vector<uint8_t> three(3 * 4, 0);
        three[2 * 4] = 255;
        EXPECT_EQ(chain_of(w, h, three)[1].rgba[0], 85) << w << " x " << h;
    }
    // 3 x 3 -> 1 x 1: the corner texel is a ninth.
    std::vector<uint8_t> corner(9 * 4, 0);
    corner[8 * 4 + 1] = 225;
    EXPECT_EQ(chain_of(3, 3, corner)[1].rgba[1], 25);
}

}  // namespace
}  // namespace quarn::test
