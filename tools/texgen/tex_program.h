#pragma once
// texgen: a texture description read into a program. A description is a short text,
// one statement a line (docs/formats/texture-description.md):
//
//     texture 256 256 rgb seed=4
//     base = noise scale=4 octaves=5
//     ramp soil 0:3b2c1e 1:7a5c3e
//     paint ramp=soil field=base
//
// Named grey fields are made by generators and operations, then painted onto the
// colour canvas through ramps and masks. Everything is checked while reading, so a
// program that reads runs without failing.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace texgen {

// The largest side and the largest number of texels of an image.
constexpr uint32_t TEX_MAX_SIDE = 4096;
constexpr uint32_t TEX_MAX_TEXELS = 2048u * 2048u;

struct tex_colour_t {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 1.0f;
};

struct tex_ramp_stop_t {
    float at = 0.0f;
    tex_colour_t colour;
};

// A setting's or an operand's value, as its kind takes it: one or two numbers (a, b;
// a single number gives both), a word, a colour, or a field (its slot; -1 when the
// value is a plain number). `given` is false for an optional setting the line left
// out that has no default.
struct tex_value_t {
    float a = 0.0f, b = 0.0f;
    std::string word;
    tex_colour_t colour;
    int field = -1;
    bool given = true;
};

// One statement. Settings are in the order the statement's kind declares them, with
// the defaults filled in for those the line leaves out.
struct tex_step_t {
    enum class kind_t { FIELD, RAMP, PAINT, ALPHA, NORMALS };
    kind_t kind = kind_t::FIELD;
    int line = 0;
    std::string op;                   // fields: the generator or operation ("noise")
    int target = -1;                  // fields: the slot written
    std::vector<tex_value_t> inputs;  // fields: the operands (a field or a number)
    std::vector<std::pair<std::string, tex_value_t>> settings;
    std::vector<tex_ramp_stop_t> stops;  // ramps
    int ramp = -1;                       // ramps: the index defined; paint: the ramp used, or -1

    // The setting of that name; every setting the kind declares is present (a missing
    // name is a programming error and aborts).
    const tex_value_t &get(const char *name) const;
};

struct tex_program_t {
    uint32_t width = 0, height = 0;
    bool alpha = false;
    uint32_t seed = 0;
    std::vector<std::string> fields;  // slot -> name
    std::vector<std::string> ramps;   // index -> name
    std::vector<tex_step_t> steps;
};

// Reads a description; name is the file's name for errors. False with
// "name:line: what is wrong" in error on the first fault.
bool tex_parse(const std::string &text, const std::string &name, tex_program_t &out, std::string &error);

}  // namespace texgen
