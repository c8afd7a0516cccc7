#include "tex_render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "qrncore/qrnutils/hbmp/png_save.h"
#include "qrncore/qrnutils/hbmp/tga.h"
#include "qrncore/qrnutils/ufs/mem_file.h"
#include "tex_field.h"

namespace texgen {

namespace {

using kind_t = tex_step_t::kind_t;

uint32_t whole(const tex_value_t &v) { return uint32_t(v.a); }

// A field operand: the field, or a field filled with the number.
const tex_field_t &operand(const tex_value_t &v, const std::vector<tex_field_t> &fields, tex_field_t &scratch,
                           uint32_t w, uint32_t h) {
    if (v.field >= 0) return fields[size_t(v.field)];
    scratch = tex_field_t(w, h, v.a);
    return scratch;
}

tex_field_t make_field(const tex_step_t &s, const tex_program_t &p, const std::vector<tex_field_t> &fields) {
    const uint32_t w = p.width, h = p.height;
    const std::string &op = s.op;
    auto seed = [&] { return tex_seed(p.seed, whole(s.get("seed"))); };
    tex_field_t out(w, h);
    if (op == "constant") {
        tex_field_t scratch;
        return operand(s.inputs[0], fields, scratch, w, h);
    }
    if (op == "noise" || op == "value") {
        tex_noise_t n;
        n.scale_x = whole(s.get("scale"));
        n.scale_y = uint32_t(s.get("scale").b);
        n.octaves = whole(s.get("octaves"));
        n.gain = s.get("gain").a;
        n.lacunarity = whole(s.get("lacunarity"));
        const std::string &style = s.get("style").word;
        n.style = style == "turbulent" ? tex_noise_style_t::TURBULENT
                  : style == "ridged"  ? tex_noise_style_t::RIDGED
                                       : tex_noise_style_t::SMOOTH;
        n.gradient = op == "noise";
        n.seed = seed();
        tex_noise(out, n);
    } else if (op == "cells") {
        const std::string &o = s.get("output").word;
        const tex_cells_output_t output = o == "far"    ? tex_cells_output_t::FAR
                                          : o == "edge" ? tex_cells_output_t::EDGE
                                          : o == "id"   ? tex_cells_output_t::ID
                                                        : tex_cells_output_t::NEAR;
        tex_cells(out, whole(s.get("scale")), uint32_t(s.get("scale").b), s.get("jitter").a, output, seed());
    } else if (op == "stripes") {
        const std::string &sh = s.get("shape").word;
        const tex_stripe_shape_t shape = sh == "triangle" ? tex_stripe_shape_t::TRIANGLE
                                         : sh == "saw"    ? tex_stripe_shape_t::SAW
                                         : sh == "square" ? tex_stripe_shape_t::SQUARE
                                                          : tex_stripe_shape_t::SINE;
        tex_stripes(out, int(s.get("x").a), int(s.get("y").a), s.get("phase").a, shape, s.get("duty").a);
    } else if (op == "linear") {
        tex_linear(out, s.get("from").a, s.get("from").b, s.get("to").a, s.get("to").b);
    } else if (op == "radial") {
        tex_radial(out, s.get("centre").a, s.get("centre").b, s.get("radius").a, s.get("radius").b);
    } else if (op == "rect") {
        tex_rect(out, s.get("x").a, s.get("x").b, s.get("y").a, s.get("y").b, s.get("softness").a);
    } else if (op == "skyline") {
        tex_skyline(out, s.get("base").a, s.get("height").a, whole(s.get("scale")), whole(s.get("octaves")),
                    s.get("gain").a, s.get("softness").a, seed());
    } else if (op == "spots") {
        tex_spots_t sp;
        auto pair = [&](const char *name, float(&to)[2]) {
            to[0] = s.get(name).a;
            to[1] = s.get(name).b;
        };
        sp.count = whole(s.get("count"));
        pair("size", sp.size);
        pair("stretch", sp.stretch);
        pair("angle", sp.angle);
        pair("bend", sp.bend);
        pair("x", sp.x);
        pair("y", sp.y);
        pair("value", sp.value);
        pair("from", sp.from);
        pair("to", sp.to);
        sp.softness = s.get("softness").a;
        const std::string &shape = s.get("shape").word, &output = s.get("output").word;
        sp.shape = shape == "leaf"    ? tex_spot_shape_t::LEAF
                   : shape == "blade" ? tex_spot_shape_t::BLADE
                                      : tex_spot_shape_t::DISC;
        sp.output = output == "tone"     ? tex_spot_output_t::TONE
                    : output == "height" ? tex_spot_output_t::HEIGHT
                                         : tex_spot_output_t::COVER;
        sp.column = s.get("layout").word == "column";
        sp.taper = s.get("taper").a;
        sp.wrap = s.get("wrap").word == "yes";
        sp.seed = seed();
        tex_spots(out, sp);
    } else {
        // Operations on operands.
        tex_field_t sa, sb, sc;
        const tex_field_t &a = operand(s.inputs[0], fields, sa, w, h);
        out = a;
        if (op == "levels") {
            tex_levels(out, s.get("in").a, s.get("in").b, s.get("out").a, s.get("out").b, s.get("gamma").a);
        } else if (op == "threshold") {
            tex_threshold(out, s.get("at").a, s.get("soft").a);
        } else if (op == "invert") {
            for (float &v : out.v) v = 1.0f - v;
        } else if (op == "normalize") {
            tex_normalize(out);
        } else if (op == "blur") {
            tex_blur(out, whole(s.get("radius")));
        } else if (op == "warp") {
            const tex_field_t &dx = operand(s.inputs[1], fields, sb, w, h);
            const tex_field_t &dy = s.inputs.size() > 2 ? operand(s.inputs[2], fields, sc, w, h) : dx;
            out = tex_warp(a, dx, dy, s.get("amount").a);
        } else if (op == "relief") {
            out = tex_relief(a, s.get("azimuth").a, s.get("elevation").a, s.get("strength").a);
        } else {
            const tex_field_t &b = operand(s.inputs[1], fields, sb, w, h);
            const tex_field_t *by = op == "mix" ? &operand(s.get("by"), fields, sc, w, h) : nullptr;
            auto each = [&](auto f) {
                for (size_t i = 0; i < out.v.size(); ++i) out.v[i] = f(a.v[i], b.v[i], i);
            };
            if (op == "add")
                each([](float x, float y, size_t) { return x + y; });
            else if (op == "subtract")
                each([](float x, float y, size_t) { return x - y; });
            else if (op == "multiply")
                each([](float x, float y, size_t) { return x * y; });
            else if (op == "screen")
                each([](float x, float y, size_t) { return 1.0f - (1.0f - x) * (1.0f - y); });
            else if (op == "max")
                each([](float x, float y, size_t) { return std::max(x, y); });
            else if (op == "min")
                each([](float x, float y, size_t) { return std::min(x, y); });
            else if (op == "difference")
                each([](float x, float y, size_t) { return std::fabs(x - y); });
            else
                each([&](float x, float y, size_t i) { return x + (y - x) * by->v[i]; });
        }
    }
    return out;
}

tex_colour_t ramp_at(const tex_step_t &ramp, float t) {
    const std::vector<tex_ramp_stop_t> &stops = ramp.stops;
    t = std::clamp(t, 0.0f, 1.0f);
    if (t <= stops.front().at) return stops.front().colour;
    for (size_t i = 1; i < stops.size(); ++i) {
        const tex_ramp_stop_t &a = stops[i - 1], &b = stops[i];
        if (t > b.at) continue;
        const float k = b.at > a.at ? (t - a.at) / (b.at - a.at) : 1.0f;
        return {a.colour.r + (b.colour.r - a.colour.r) * k, a.colour.g + (b.colour.g - a.colour.g) * k,
                a.colour.b + (b.colour.b - a.colour.b) * k, a.colour.a + (b.colour.a - a.colour.a) * k};
    }
    return stops.back().colour;
}

enum class blend_t { NORMAL, MULTIPLY, SCREEN, OVERLAY, ADD, DARKEN, LIGHTEN };

blend_t blend_of(const std::string &mode) {
    static const char *const names[] = {"normal", "multiply", "screen", "overlay", "add", "darken", "lighten"};
    for (size_t i = 0; i < std::size(names); ++i)
        if (mode == names[i]) return blend_t(i);
    return blend_t::NORMAL;
}

float blend(blend_t mode, float d, float s) {
    switch (mode) {
    case blend_t::NORMAL:
        return s;
    case blend_t::MULTIPLY:
        return d * s;
    case blend_t::SCREEN:
        return 1.0f - (1.0f - d) * (1.0f - s);
    case blend_t::OVERLAY:
        return d < 0.5f ? 2.0f * d * s : 1.0f - 2.0f * (1.0f - d) * (1.0f - s);
    case blend_t::ADD:
        return std::min(1.0f, d + s);
    case blend_t::DARKEN:
        return std::min(d, s);
    case blend_t::LIGHTEN:
        return std::max(d, s);
    }
    return s;
}

void paint(const tex_step_t &s, const std::vector<tex_field_t> &fields, const std::vector<const tex_step_t *> &ramps,
           std::vector<float> &canvas) {
    const tex_value_t &field = s.get("field"), &mask = s.get("mask");
    const tex_step_t *ramp = s.ramp >= 0 ? ramps[size_t(s.ramp)] : nullptr;
    const float opacity = s.get("opacity").a;
    // The texel loop compares no strings.
    const blend_t mode = blend_of(s.get("blend").word);
    const tex_colour_t colour = field.given ? tex_colour_t{} : s.get("colour").colour;
    const size_t n = canvas.size() / 4;
    for (size_t i = 0; i < n; ++i) {
        tex_colour_t c;
        if (!field.given) {
            c = colour;
        } else {
            const float v = fields[size_t(field.field)].v[i];
            if (ramp) {
                c = ramp_at(*ramp, v);
            } else {
                const float g = std::clamp(v, 0.0f, 1.0f);
                c = {g, g, g, 1.0f};
            }
        }
        float cover = opacity * c.a;
        if (mask.given) cover *= std::clamp(fields[size_t(mask.field)].v[i], 0.0f, 1.0f);
        if (cover <= 0.0f) continue;
        float *d = &canvas[i * 4];
        const float src[3] = {c.r, c.g, c.b};
        for (int k = 0; k < 3; ++k) d[k] += (std::clamp(blend(mode, d[k], src[k]), 0.0f, 1.0f) - d[k]) * cover;
    }
}

}  // namespace

tex_image_t tex_render(const tex_program_t &p) {
    const uint32_t w = p.width, h = p.height;
    std::vector<tex_field_t> fields(p.fields.size());
    std::vector<const tex_step_t *> ramps(p.ramps.size(), nullptr);
    std::vector<float> canvas(size_t(w) * h * 4, 0.0f);
    for (size_t i = 3; i < canvas.size(); i += 4) canvas[i] = 1.0f;
    // A field's memory goes after the last step that reads it: a sky holds dozens of
    // fields of megabytes each.
    std::vector<size_t> last_read(p.fields.size(), SIZE_MAX);
    for (size_t i = 0; i < p.steps.size(); ++i) {
        for (const tex_value_t &v : p.steps[i].inputs)
            if (v.field >= 0) last_read[size_t(v.field)] = i;
        for (const auto &setting : p.steps[i].settings)
            if (setting.second.field >= 0) last_read[size_t(setting.second.field)] = i;
    }
    for (size_t i = 0; i < p.steps.size(); ++i) {
        const tex_step_t &s = p.steps[i];
        switch (s.kind) {
        case kind_t::FIELD:
            fields[size_t(s.target)] = make_field(s, p, fields);
            break;
        case kind_t::RAMP:
            ramps[size_t(s.ramp)] = &s;
            break;
        case kind_t::PAINT:
            paint(s, fields, ramps, canvas);
            break;
        case kind_t::ALPHA: {
            const tex_value_t &field = s.get("field");
            const std::string &mode = s.get("mode").word;
            const int m = mode == "multiply" ? 1 : mode == "max" ? 2 : mode == "min" ? 3 : 0;
            const float value = s.get("value").a;
            for (size_t i = 0; i < size_t(w) * h; ++i) {
                const float v = std::clamp(field.given ? fields[size_t(field.field)].v[i] : value, 0.0f, 1.0f);
                float &a = canvas[i * 4 + 3];
                a = m == 1 ? a * v : m == 2 ? std::max(a, v) : m == 3 ? std::min(a, v) : v;
            }
            break;
        }
        case kind_t::NORMALS: {
            const tex_field_t &height = fields[size_t(s.get("field").field)];
            const float strength = s.get("strength").a;
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x) {
                    float n[3];
                    tex_normal_at(height, strength, x, y, n);
                    float *d = &canvas[(size_t(y) * w + x) * 4];
                    for (int k = 0; k < 3; ++k) d[k] = 0.5f + 0.5f * n[k];
                }
            break;
        }
        }
        for (size_t f = 0; f < fields.size(); ++f)
            if (last_read[f] == i) fields[f] = tex_field_t();
    }
    tex_image_t image;
    image.width = w;
    image.height = h;
    image.alpha = p.alpha;
    const uint32_t bpp = p.alpha ? 4 : 3;
    image.pixels.resize(size_t(w) * h * bpp);
    for (size_t i = 0; i < size_t(w) * h; ++i)
        for (uint32_t k = 0; k < bpp; ++k)
            image.pixels[i * bpp + k] = uint8_t(std::floor(std::clamp(canvas[i * 4 + k], 0.0f, 1.0f) * 255.0f + 0.5f));
    return image;
}

bool tex_encode(const tex_image_t &image, bool png, std::vector<uint8_t> &out, std::string &error) {
    quarn::mem_file_t file;
    std::vector<uint8_t> pixels = image.pixels;
    const quarn::hbmp_type_t type = image.alpha ? quarn::HBMP_RGBA : quarn::HBMP_RGB;
    bool ok;
    if (png) {
        quarn::hbmp_t h;
        h.width = uint16_t(image.width);
        h.height = uint16_t(image.height);
        h.mip_levels = 1;
        h.type = type;
        h.pixels = pixels.data();
        ok = quarn::png_simple_save(&file, &h);
    } else {
        ok = quarn::tga_write(file, pixels.data(), image.width, image.height, type);
    }
    const uint64_t size = file.size();
    out.resize(size_t(size));
    if (!ok || size > UINT32_MAX || (size && !file.block_read(out.data(), uint32_t(size), 0))) {
        error = std::string("the ") + (png ? "PNG" : "TGA") + " writer refused the image";
        return false;
    }
    return true;
}

bool tex_make(const std::string &input, const std::string &output, std::string &error) {
    std::ifstream in(input, std::ios::binary);
    if (!in) {
        error = "cannot read '" + input + "'";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    tex_program_t program;
    if (!tex_parse(text.str(), input, program, error)) return false;
    const bool png = output.size() >= 4 && output.compare(output.size() - 4, 4, ".png") == 0;
    std::vector<uint8_t> bytes;
    if (!tex_encode(tex_render(program), png, bytes, error)) return false;
    const std::filesystem::path path(output);
    std::error_code ec;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    // Written beside and renamed, so that a failed write leaves no image behind.
    const std::string part = output + ".part";
    {
        std::ofstream file(part, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
        file.close();
        if (!file) {
            std::filesystem::remove(part, ec);
            error = "cannot write '" + output + "'";
            return false;
        }
    }
    std::filesystem::rename(part, output, ec);
    if (ec) {
        std::filesystem::remove(part, ec);
        error = "cannot write '" + output + "': " + ec.message();
        return false;
    }
    return true;
}

}  // namespace texgen
