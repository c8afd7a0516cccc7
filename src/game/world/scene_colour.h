#pragma once
// scene_colour_t: a colour as four bytes, the form in which the environment hands the
// sun's lit colour to the renderer and to the rain and snow.
#include <cstdint>

namespace quarn {

struct scene_colour_t {
    uint8_t r = 255, g = 255, b = 255, a = 255;
    bool operator==(const scene_colour_t &) const = default;

    // The colour as one 32-bit word, red in the low byte (0xAABBGGRR).
    uint32_t to_word() const { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16 | uint32_t(a) << 24; }
};

}  // namespace quarn
