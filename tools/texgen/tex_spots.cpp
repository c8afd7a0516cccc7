// Scattered shapes: discs, leaves and blades, each drawn over the texels of its box.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "tex_field.h"

namespace texgen {

namespace {

struct spot_t {
    float cx, cy;  // texels: the centre of a disc, the base of a leaf or blade
    float length;  // texels: a disc's radius, a leaf's or blade's length
    float width;   // texels: half the width at the widest
    float ca, sa;  // the direction of the long axis
    float bend;    // sideways bow at the tip, in widths
    float value;
};

// How much of a shape covers a point given in the shape's frame: a along the long axis
// and b across it, both in texels; dome is the shape's height there (1 on the axis).
float coverage(const spot_t &s, tex_spot_shape_t shape, float softness, float a, float b, float &dome) {
    dome = 0.0f;
    if (shape == tex_spot_shape_t::DISC) {
        const float u = a / s.length, v = b / s.width;
        const float r = std::sqrt(u * u + v * v);
        if (r >= 1.0f) return 0.0f;
        dome = std::sqrt(1.0f - r * r);
        const float edge = std::max(softness, 1e-4f);
        return std::clamp((1.0f - r) / edge, 0.0f, 1.0f);
    }
    const float t = a / s.length;
    if (t <= 0.0f || t >= 1.0f) return 0.0f;
    b -= s.bend * s.width * t * t;
    // Nothing is wider than the width: most texels of the box end here.
    if (std::fabs(b) >= s.width * 1.15f) return 0.0f;
    // A leaf is a pointed oval, widest a little below the middle; a blade narrows
    // evenly from its base to its tip.
    const float half = shape == tex_spot_shape_t::LEAF
                           ? s.width * std::pow(std::sin(std::numbers::pi_v<float> * t), 0.75f) * (1.15f - 0.3f * t)
                           : s.width * (1.0f - t);
    if (half <= 0.0f) return 0.0f;
    const float r = std::fabs(b) / half;
    if (r >= 1.0f) return 0.0f;
    dome = std::sqrt(1.0f - r * r);
    // The fade is at least a texel wide, so thin shapes stay smooth.
    const float edge = std::max(softness, std::min(1.0f, 1.0f / half));
    return std::clamp((1.0f - r) / edge, 0.0f, 1.0f);
}

void draw(tex_field_t &out, const tex_spots_t &p, const spot_t &s) {
    const int64_t w = out.width, h = out.height;
    // The box of the shape: an ellipse's around a disc's centre; for a leaf or blade,
    // the box of the line from its base to its tip, widened by its (bowed) width. The
    // image's y runs down.
    float bx0, bx1, by0, by1;
    if (p.shape == tex_spot_shape_t::DISC) {
        const float ex = std::sqrt(s.length * s.length * s.ca * s.ca + s.width * s.width * s.sa * s.sa);
        const float ey = std::sqrt(s.length * s.length * s.sa * s.sa + s.width * s.width * s.ca * s.ca);
        bx0 = s.cx - ex, bx1 = s.cx + ex, by0 = s.cy - ey, by1 = s.cy + ey;
    } else {
        const float tx = s.cx + s.length * s.ca, ty = s.cy - s.length * s.sa;
        const float side = s.width * (1.0f + std::fabs(s.bend));
        bx0 = std::min(s.cx, tx) - side, bx1 = std::max(s.cx, tx) + side;
        by0 = std::min(s.cy, ty) - side, by1 = std::max(s.cy, ty) + side;
    }
    int64_t x0 = int64_t(std::floor(bx0)) - 1, x1 = int64_t(std::ceil(bx1)) + 1;
    int64_t y0 = int64_t(std::floor(by0)) - 1, y1 = int64_t(std::ceil(by1)) + 1;
    if (p.wrap) {
        // A box wider than the image would draw texels twice.
        if (x1 - x0 >= w) x1 = x0 + w - 1;
        if (y1 - y0 >= h) y1 = y0 + h - 1;
    } else {
        x0 = std::max<int64_t>(x0, 0), y0 = std::max<int64_t>(y0, 0);
        x1 = std::min<int64_t>(x1, w - 1), y1 = std::min<int64_t>(y1, h - 1);
    }
    for (int64_t y = y0; y <= y1; ++y) {
        const uint32_t ty = uint32_t(((y % h) + h) % h);
        for (int64_t x = x0; x <= x1; ++x) {
            // The image's y runs down; a shape's angle is counted with y up.
            const float dx = float(x) + 0.5f - s.cx, dy = s.cy - (float(y) + 0.5f);
            const float a = dx * s.ca + dy * s.sa, b = -dx * s.sa + dy * s.ca;
            float dome;
            const float c = coverage(s, p.shape, p.softness, a, b, dome);
            if (c <= 0.0f) continue;
            float &t = out.at(uint32_t(((x % w) + w) % w), ty);
            switch (p.output) {
            case tex_spot_output_t::COVER:
                t = std::max(t, c);
                break;
            case tex_spot_output_t::TONE:
                if (c > 0.5f) t = s.value;
                break;
            case tex_spot_output_t::HEIGHT:
                t = std::max(t, dome * c * s.value);
                break;
            }
        }
    }
}

}  // namespace

void tex_spots(tex_field_t &out, const tex_spots_t &p) {
    std::fill(out.v.begin(), out.v.end(), 0.0f);
    tex_random_t random(p.seed);
    const float w = float(out.width), h = float(out.height);
    const float deg = std::numbers::pi_v<float> / 180.0f;
    auto make = [&](float cx, float cy, float angle, float scale) {
        spot_t s;
        s.cx = cx * w;
        s.cy = cy * h;
        s.length = random.between(p.size[0], p.size[1]) * w * scale;
        s.width = s.length * random.between(p.stretch[0], p.stretch[1]);
        // A blade's or leaf's width is its full width; half of it lies each side.
        if (p.shape != tex_spot_shape_t::DISC) s.width *= 0.5f;
        s.ca = std::cos(angle * deg);
        s.sa = std::sin(angle * deg);
        s.bend = random.between(p.bend[0], p.bend[1]);
        s.value = random.between(p.value[0], p.value[1]);
        return s;
    };
    if (!p.column) {
        for (uint32_t i = 0; i < p.count; ++i) {
            const float cx = random.between(p.x[0], p.x[1]), cy = random.between(p.y[0], p.y[1]);
            const float angle = random.between(p.angle[0], p.angle[1]);
            draw(out, p, make(cx, cy, angle, 1.0f));
        }
        return;
    }
    // A column: pairs of shapes along the line from -> to, turned either way off its
    // direction by the angle, smaller toward the end by the taper.
    const float axis = std::atan2(-(p.to[1] - p.from[1]) * h, (p.to[0] - p.from[0]) * w) / deg;
    for (uint32_t i = 0; i < p.count; ++i) {
        const float t = p.count > 1 ? float(i) / float(p.count - 1) : 0.0f;
        const float cx = p.from[0] + (p.to[0] - p.from[0]) * t, cy = p.from[1] + (p.to[1] - p.from[1]) * t;
        const float off = random.between(p.angle[0], p.angle[1]);
        for (float side : {1.0f, -1.0f}) {
            spot_t s = make(cx, cy, axis + side * off, 1.0f - p.taper * t);
            // Mirrored: the bow of the other side turns the other way.
            s.bend *= side;
            draw(out, p, s);
        }
    }
}

}  // namespace texgen
