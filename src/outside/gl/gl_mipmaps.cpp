#include "outside/gl/gl_mipmaps.h"

#include "qrncore/qrnutils/hbmp/hbmp_tool.h"

namespace quarn::gl {

namespace {

// A texel of the level below covers at most three texels of a side above: 2 + 1/n
// texels that begin at a fraction below 1 - 1/n of one.
constexpr uint32_t MAX_TAPS = 3;
// A tap's weight in 256ths; a side's weights add up to 256 exactly.
constexpr uint32_t WHOLE = 256;

struct taps_t {
    uint32_t first = 0;
    uint32_t count = 0;
    uint32_t weight[MAX_TAPS] = {};
};

// The texels of a side of `side` texels that texel i of the level below covers, and
// their shares. Positions are counted in 1/below of a texel above, so that every
// edge is a whole number: texel i covers [i * side, (i + 1) * side), texel j above
// [j * below, (j + 1) * below). Each weight is the difference of rounded running
// shares, so the weights add up to WHOLE whatever the rounding.
taps_t taps_of(uint32_t i, uint32_t side, uint32_t below) {
    taps_t t;
    const uint64_t lo = uint64_t(i) * side, hi = uint64_t(i + 1) * side;
    t.first = uint32_t(lo / below);
    uint64_t covered = 0;
    uint32_t given = 0;
    for (uint32_t j = t.first; t.count < MAX_TAPS && uint64_t(j) * below < hi; ++j) {
        const uint64_t start = uint64_t(j) * below > lo ? uint64_t(j) * below : lo;
        const uint64_t end = uint64_t(j + 1) * below < hi ? uint64_t(j + 1) * below : hi;
        covered += end - start;
        const uint32_t share = uint32_t((covered * WHOLE + side / 2) / side);
        t.weight[t.count++] = share - given;
        given = share;
    }
    return t;
}

// The mean of two values, a half rounded up.
inline uint32_t mean(uint32_t a, uint32_t b) { return (a + b + 1) >> 1; }

// Both sides even: each texel the mean of its 2 x 2 block, taken as a driver's
// bilinear generator takes it: the mean of the two rows' means, each rounded half up
// (so the levels are the very ones a driver made before).
void halve(const uint8_t *src, uint32_t width, uint32_t height, uint8_t *dst) {
    const uint32_t w = width / 2, h = height / 2, row = width * 4;
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t *a = src + uint64_t(2 * y) * row;
        const uint8_t *b = a + row;
        uint8_t *o = dst + uint64_t(y) * w * 4;
        for (uint32_t x = 0; x < w; ++x, a += 8, b += 8, o += 4)
            for (uint32_t c = 0; c < 4; ++c) o[c] = uint8_t(mean(mean(a[c], a[c + 4]), mean(b[c], b[c + 4])));
    }
}

}  // namespace

int32_t gl_mip_levels(uint32_t width, uint32_t height) { return int32_t(hbmp_mip_count(width, height)); }

uint64_t gl_mip_chain_bytes(uint32_t width, uint32_t height) {
    uint64_t bytes = 0;
    while (width > 1 || height > 1) {
        width = gl_mip_side(width);
        height = gl_mip_side(height);
        bytes += uint64_t(width) * height * 4;
    }
    return bytes;
}

void gl_mip_next(const uint8_t *src, uint32_t width, uint32_t height, uint8_t *dst) {
    if (width <= 1 && height <= 1) return;
    if (width % 2 == 0 && height % 2 == 0) {
        halve(src, width, height, dst);
        return;
    }
    const uint32_t w = gl_mip_side(width), h = gl_mip_side(height);
    for (uint32_t y = 0; y < h; ++y) {
        const taps_t ty = taps_of(y, height, h);
        uint8_t *o = dst + uint64_t(y) * w * 4;
        for (uint32_t x = 0; x < w; ++x, o += 4) {
            const taps_t tx = taps_of(x, width, w);
            // Products of two shares: WHOLE² = 65536 in all, 255 x 65536 at most a sum.
            uint32_t sum[4] = {0, 0, 0, 0};
            for (uint32_t j = 0; j < ty.count; ++j) {
                const uint8_t *in = src + (uint64_t(ty.first + j) * width + tx.first) * 4;
                for (uint32_t k = 0; k < tx.count; ++k, in += 4) {
                    const uint32_t weight = ty.weight[j] * tx.weight[k];
                    for (uint32_t c = 0; c < 4; ++c) sum[c] += weight * in[c];
                }
            }
            for (uint32_t c = 0; c < 4; ++c) o[c] = uint8_t((sum[c] + WHOLE * WHOLE / 2) / (WHOLE * WHOLE));
        }
    }
}

}  // namespace quarn::gl
