#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tex_program.h"

namespace texgen {

namespace {

// What a setting takes.
enum class takes_t {
    NUMBER,    // a decimal number
    PAIR,      // one or two numbers parted by a comma ("4" is "4,4")
    INTEGER,   // a whole number
    INT_PAIR,  // one or two whole numbers
    WORD,      // one of the words in `words` (parted by '|')
    FIELD,     // a field's name
    SCALAR,    // a field's name or a number
    COLOUR,    // RRGGBB or RRGGBBAA
    RAMP,      // a ramp's name
};

struct setting_spec_t {
    const char *name;
    takes_t takes;
    double lo = 0.0, hi = 0.0;       // numbers: the range, both ends in
    const char *fallback = nullptr;  // the default as it would be written; none: optional
    const char *words = nullptr;     // WORD: the choices
};

struct op_spec_t {
    const char *name;
    int min_inputs, max_inputs;
    std::vector<setting_spec_t> settings;
};

constexpr double BIG = 1e6;
constexpr double SEED_MAX = 2147483647.0;

const setting_spec_t SEED{"seed", takes_t::INTEGER, 0, SEED_MAX, "1"};

// Generators of fractal noise share these.
std::vector<setting_spec_t> noise_settings() {
    return {{"scale", takes_t::INT_PAIR, 1, 4096, "4"},
            {"octaves", takes_t::INTEGER, 1, 12, "4"},
            {"gain", takes_t::NUMBER, 0, 1, "0.5"},
            {"lacunarity", takes_t::INTEGER, 2, 4, "2"},
            {"style", takes_t::WORD, 0, 0, "smooth", "smooth|turbulent|ridged"},
            SEED};
}

const std::vector<op_spec_t> &field_ops() {
    static const std::vector<op_spec_t> ops = {
        // generators
        {"constant", 1, 1, {}},
        {"noise", 0, 0, noise_settings()},
        {"value", 0, 0, noise_settings()},
        {"cells",
         0,
         0,
         {{"scale", takes_t::INT_PAIR, 1, 4096, "8"},
          {"jitter", takes_t::NUMBER, 0, 1, "0.9"},
          {"output", takes_t::WORD, 0, 0, "near", "near|far|edge|id"},
          SEED}},
        {"stripes",
         0,
         0,
         {{"x", takes_t::INTEGER, -4096, 4096, "1"},
          {"y", takes_t::INTEGER, -4096, 4096, "0"},
          {"phase", takes_t::NUMBER, -BIG, BIG, "0"},
          {"shape", takes_t::WORD, 0, 0, "sine", "sine|triangle|saw|square"},
          {"duty", takes_t::NUMBER, 0, 1, "0.5"}}},
        {"linear", 0, 0, {{"from", takes_t::PAIR, -16, 16, "0,0"}, {"to", takes_t::PAIR, -16, 16, "1,0"}}},
        {"radial", 0, 0, {{"centre", takes_t::PAIR, -16, 16, "0.5,0.5"}, {"radius", takes_t::PAIR, 1e-4, 16, "0.5"}}},
        {"rect",
         0,
         0,
         {{"x", takes_t::PAIR, -16, 16, "0,1"},
          {"y", takes_t::PAIR, -16, 16, "0,1"},
          {"softness", takes_t::NUMBER, 0, 1, "0"}}},
        {"skyline",
         0,
         0,
         {{"base", takes_t::NUMBER, -16, 16, "0.5"},
          {"height", takes_t::NUMBER, -16, 16, "0.1"},
          {"scale", takes_t::INTEGER, 1, 4096, "4"},
          {"octaves", takes_t::INTEGER, 1, 12, "4"},
          {"gain", takes_t::NUMBER, 0, 1, "0.5"},
          {"softness", takes_t::NUMBER, 0, 1, "0.002"},
          SEED}},
        {"spots",
         0,
         0,
         {{"count", takes_t::INTEGER, 1, 100000, "100"},
          {"size", takes_t::PAIR, 1e-4, 2, "0.02,0.05"},
          {"stretch", takes_t::PAIR, 0.01, 1, "1"},
          {"angle", takes_t::PAIR, -3600, 3600, "0,360"},
          {"bend", takes_t::PAIR, -4, 4, "0"},
          {"x", takes_t::PAIR, -16, 16, "0,1"},
          {"y", takes_t::PAIR, -16, 16, "0,1"},
          {"value", takes_t::PAIR, -BIG, BIG, "1"},
          {"softness", takes_t::NUMBER, 0, 1, "0.2"},
          {"shape", takes_t::WORD, 0, 0, "disc", "disc|leaf|blade"},
          {"output", takes_t::WORD, 0, 0, "cover", "cover|tone|height"},
          {"layout", takes_t::WORD, 0, 0, "scatter", "scatter|column"},
          {"from", takes_t::PAIR, -16, 16, "0.5,1"},
          {"to", takes_t::PAIR, -16, 16, "0.5,0"},
          {"taper", takes_t::NUMBER, 0, 1, "0"},
          {"wrap", takes_t::WORD, 0, 0, "yes", "yes|no"},
          SEED}},
        // operations
        {"levels",
         1,
         1,
         {{"in", takes_t::PAIR, -BIG, BIG, "0,1"},
          {"out", takes_t::PAIR, -BIG, BIG, "0,1"},
          {"gamma", takes_t::NUMBER, 0.01, 100, "1"}}},
        {"threshold", 1, 1, {{"at", takes_t::NUMBER, -BIG, BIG, "0.5"}, {"soft", takes_t::NUMBER, 0, BIG, "0"}}},
        {"invert", 1, 1, {}},
        {"normalize", 1, 1, {}},
        {"blur", 1, 1, {{"radius", takes_t::INTEGER, 0, 1024, "2"}}},
        {"warp", 2, 3, {{"amount", takes_t::NUMBER, -4, 4, "0.05"}}},
        {"relief",
         1,
         1,
         {{"azimuth", takes_t::NUMBER, -360, 360, "135"},
          {"elevation", takes_t::NUMBER, 1, 90, "45"},
          {"strength", takes_t::NUMBER, 0, BIG, "1"}}},
        {"add", 2, 2, {}},
        {"subtract", 2, 2, {}},
        {"multiply", 2, 2, {}},
        {"screen", 2, 2, {}},
        {"max", 2, 2, {}},
        {"min", 2, 2, {}},
        {"difference", 2, 2, {}},
        {"mix", 2, 2, {{"by", takes_t::SCALAR, -BIG, BIG, "0.5"}}},
    };
    return ops;
}

const op_spec_t PAINT{"paint",
                      0,
                      0,
                      {{"colour", takes_t::COLOUR},
                       {"ramp", takes_t::RAMP},
                       {"field", takes_t::FIELD},
                       {"mask", takes_t::FIELD},
                       {"opacity", takes_t::NUMBER, 0, 1, "1"},
                       {"blend", takes_t::WORD, 0, 0, "normal", "normal|multiply|screen|overlay|add|darken|lighten"}}};
const op_spec_t ALPHA{"alpha",
                      0,
                      0,
                      {{"field", takes_t::FIELD},
                       {"value", takes_t::NUMBER, 0, 1},
                       {"mode", takes_t::WORD, 0, 0, "set", "set|multiply|max|min"}}};
const op_spec_t NORMALS{"normals", 0, 0, {{"field", takes_t::FIELD}, {"strength", takes_t::NUMBER, 0, BIG, "1"}}};

const op_spec_t *find_field_op(const std::string &name) {
    for (const op_spec_t &op : field_ops())
        if (name == op.name) return &op;
    return nullptr;
}

bool valid_name(const std::string &s) {
    // The statement words stay statements.
    for (const char *word : {"texture", "ramp", "paint", "alpha", "normals"})
        if (s == word) return false;
    if (s.empty() || s.size() > 32 || !(islower(uint8_t(s[0])) || s[0] == '_')) return false;
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return islower(uint8_t(c)) || isdigit(uint8_t(c)) || c == '_'; });
}

bool parse_number(const std::string &s, double &out) {
    if (s.empty() || s.size() > 64) return false;
    // Plain decimals only: no hexadecimal, infinities or NaN that strtod would take.
    for (char c : s)
        if (!(isdigit(uint8_t(c)) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) return false;
    char *end = nullptr;
    out = strtod(s.c_str(), &end);
    return end == s.c_str() + s.size() && std::isfinite(out);
}

bool parse_hex_colour(const std::string &s, tex_colour_t &out) {
    if (s.size() != 6 && s.size() != 8) return false;
    uint32_t v[4] = {0, 0, 0, 255};
    for (size_t i = 0; i < s.size(); i += 2) {
        auto digit = [](char c) -> int {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            return -1;
        };
        const int h = digit(s[i]), l = digit(s[i + 1]);
        if (h < 0 || l < 0) return false;
        v[i / 2] = uint32_t(h * 16 + l);
    }
    out = {float(v[0]) / 255.0f, float(v[1]) / 255.0f, float(v[2]) / 255.0f, float(v[3]) / 255.0f};
    return true;
}

// The reading of one description: the program so far and the line being read.
class parser_t {
public:
    parser_t(const std::string &name, tex_program_t &program, std::string &error)
        : m_name(name), m_program(program), m_error(error) {}

    bool line(int number, const std::vector<std::string> &tokens);
    bool finish(int last_line);

private:
    bool fail(const char *format, ...) __attribute__((format(printf, 2, 3)));
    bool header(const std::vector<std::string> &tokens);
    bool field(const std::vector<std::string> &tokens);
    bool ramp(const std::vector<std::string> &tokens);
    bool canvas(const op_spec_t &spec, tex_step_t::kind_t kind, const std::vector<std::string> &tokens);
    bool settings(const op_spec_t &spec, const std::vector<std::string> &tokens, size_t first, tex_step_t &step);
    bool value(const setting_spec_t &spec, const std::string &text, tex_value_t &out);
    bool number_in(const setting_spec_t &spec, const std::string &text, float &out);
    int field_slot(const std::string &name) const;
    int ramp_index(const std::string &name) const;

    const std::string &m_name;
    tex_program_t &m_program;
    std::string &m_error;
    int m_line = 0;
    bool m_header = false;
};

bool parser_t::fail(const char *format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    m_error = m_name + ":" + std::to_string(m_line) + ": " + text;
    return false;
}

int parser_t::field_slot(const std::string &name) const {
    for (size_t i = 0; i < m_program.fields.size(); ++i)
        if (m_program.fields[i] == name) return int(i);
    return -1;
}

int parser_t::ramp_index(const std::string &name) const {
    for (size_t i = 0; i < m_program.ramps.size(); ++i)
        if (m_program.ramps[i] == name) return int(i);
    return -1;
}

bool parser_t::line(int number, const std::vector<std::string> &tokens) {
    m_line = number;
    const std::string &first = tokens[0];
    if (first == "texture") {
        if (m_header) return fail("a second 'texture' statement");
        return header(tokens);
    }
    if (!m_header) return fail("the description must begin with 'texture WIDTH HEIGHT rgb|rgba'");
    if (tokens.size() >= 2 && tokens[1] == "=") return field(tokens);
    if (first == "ramp") return ramp(tokens);
    if (first == "paint") return canvas(PAINT, tex_step_t::kind_t::PAINT, tokens);
    if (first == "alpha") return canvas(ALPHA, tex_step_t::kind_t::ALPHA, tokens);
    if (first == "normals") return canvas(NORMALS, tex_step_t::kind_t::NORMALS, tokens);
    return fail("unknown statement '%s' (texture, NAME = ..., ramp, paint, alpha or normals)", first.c_str());
}

bool parser_t::header(const std::vector<std::string> &tokens) {
    if (tokens.size() < 4) return fail("'texture' needs WIDTH HEIGHT and rgb or rgba");
    uint32_t side[2];
    for (int i = 0; i < 2; ++i) {
        double v;
        if (!parse_number(tokens[1 + i], v) || v != std::floor(v) || v < 1 || v > TEX_MAX_SIDE)
            return fail("'%s' is no side: a whole number from 1 to %u", tokens[1 + i].c_str(), TEX_MAX_SIDE);
        side[i] = uint32_t(v);
        // Powers of two keep every mip level whole and the tiling exact.
        if (side[i] & (side[i] - 1)) return fail("the side %u is not a power of two", side[i]);
    }
    if (uint64_t(side[0]) * side[1] > TEX_MAX_TEXELS)
        return fail("%ux%u has more than %u texels", side[0], side[1], TEX_MAX_TEXELS);
    if (tokens[3] != "rgb" && tokens[3] != "rgba")
        return fail("'%s' is no channel set (rgb or rgba)", tokens[3].c_str());
    m_program.width = side[0];
    m_program.height = side[1];
    m_program.alpha = tokens[3] == "rgba";
    static const op_spec_t spec{"texture", 0, 0, {SEED}};
    tex_step_t step;
    if (!settings(spec, tokens, 4, step)) return false;
    m_program.seed = uint32_t(step.get("seed").a);
    m_header = true;
    return true;
}

bool parser_t::field(const std::vector<std::string> &tokens) {
    const std::string &name = tokens[0];
    if (!valid_name(name))
        return fail("'%s' is no field name: a-z, 0-9 and _, a letter or _ first, at most 32, no statement word",
                    name.c_str());
    if (ramp_index(name) >= 0) return fail("'%s' is already a ramp", name.c_str());
    if (tokens.size() < 3) return fail("'%s =' needs a generator or an operation", name.c_str());
    const op_spec_t *spec = find_field_op(tokens[2]);
    if (!spec) return fail("unknown generator or operation '%s'", tokens[2].c_str());
    tex_step_t step;
    step.kind = tex_step_t::kind_t::FIELD;
    step.line = m_line;
    step.op = spec->name;
    size_t i = 3;
    for (; i < tokens.size() && tokens[i].find('=') == std::string::npos; ++i) {
        if (int(step.inputs.size()) == spec->max_inputs) {
            if (!spec->max_inputs) return fail("%s takes no operands", spec->name);
            return fail("%s takes at most %d operand%s", spec->name, spec->max_inputs,
                        spec->max_inputs == 1 ? "" : "s");
        }
        static const setting_spec_t operand{"operand", takes_t::SCALAR, -BIG, BIG};
        tex_value_t v;
        if (!value(operand, tokens[i], v)) return false;
        step.inputs.push_back(v);
    }
    if (int(step.inputs.size()) < spec->min_inputs)
        return fail("%s needs %d operand%s", spec->name, spec->min_inputs, spec->min_inputs == 1 ? "" : "s");
    if (!settings(*spec, tokens, i, step)) return false;
    if (step.op == "noise" || step.op == "value" || step.op == "cells" || step.op == "skyline") {
        // Cells smaller than a texel would only be noise of another kind.
        const tex_value_t &scale = step.get("scale");
        const bool across = step.op == "skyline";
        if (scale.a > float(m_program.width) || (!across && scale.b > float(m_program.height)))
            return fail("'scale' %g,%g is finer than the image's %ux%u texels", double(scale.a), double(scale.b),
                        m_program.width, m_program.height);
    }
    if (step.op == "linear") {
        const tex_value_t &f = step.get("from"), &t = step.get("to");
        if (f.a == t.a && f.b == t.b) return fail("'from' and 'to' of a linear gradient are the same point");
    }
    const int slot = field_slot(name);
    if (slot >= 0) {
        step.target = slot;
    } else {
        step.target = int(m_program.fields.size());
        m_program.fields.push_back(name);
    }
    m_program.steps.push_back(std::move(step));
    return true;
}

bool parser_t::ramp(const std::vector<std::string> &tokens) {
    if (tokens.size() < 3) return fail("'ramp' needs a name and at least one stop POSITION:RRGGBB");
    const std::string &name = tokens[1];
    if (!valid_name(name))
        return fail("'%s' is no ramp name: a-z, 0-9 and _, a letter or _ first, at most 32, no statement word",
                    name.c_str());
    if (field_slot(name) >= 0) return fail("'%s' is already a field", name.c_str());
    if (ramp_index(name) >= 0) return fail("a second ramp '%s'", name.c_str());
    tex_step_t step;
    step.kind = tex_step_t::kind_t::RAMP;
    step.line = m_line;
    for (size_t i = 2; i < tokens.size(); ++i) {
        const std::string &t = tokens[i];
        const size_t colon = t.find(':');
        double at;
        tex_ramp_stop_t stop;
        if (colon == std::string::npos || !parse_number(t.substr(0, colon), at) ||
            !parse_hex_colour(t.substr(colon + 1), stop.colour))
            return fail("'%s' is no stop POSITION:RRGGBB or POSITION:RRGGBBAA", t.c_str());
        if (at < 0 || at > 1) return fail("the stop position %s is not from 0 to 1", t.substr(0, colon).c_str());
        stop.at = float(at);
        if (!step.stops.empty() && stop.at < step.stops.back().at)
            return fail("the stop '%s' comes before the stop it follows", t.c_str());
        step.stops.push_back(stop);
    }
    step.ramp = int(m_program.ramps.size());
    m_program.ramps.push_back(name);
    m_program.steps.push_back(std::move(step));
    return true;
}

bool parser_t::canvas(const op_spec_t &spec, tex_step_t::kind_t kind, const std::vector<std::string> &tokens) {
    tex_step_t step;
    step.kind = kind;
    step.line = m_line;
    step.op = spec.name;
    if (tokens.size() > 1 && tokens[1].find('=') == std::string::npos)
        return fail("'%s' takes settings KEY=VALUE only, not '%s'", spec.name, tokens[1].c_str());
    if (!settings(spec, tokens, 1, step)) return false;
    if (kind == tex_step_t::kind_t::PAINT) {
        const bool colour = step.get("colour").given, ramp = step.get("ramp").given, field = step.get("field").given;
        if (colour == (ramp || field)) return fail("paint takes either colour=RRGGBB or field=NAME (with ramp=NAME)");
        if (ramp && !field) return fail("paint with a ramp needs field=NAME");
        step.ramp = ramp ? ramp_index(step.get("ramp").word) : -1;
    } else if (kind == tex_step_t::kind_t::ALPHA) {
        if (step.get("field").given == step.get("value").given)
            return fail("alpha takes either field=NAME or value=NUMBER");
    } else if (!step.get("field").given) {
        return fail("normals needs field=NAME, the height");
    }
    m_program.steps.push_back(std::move(step));
    return true;
}

bool parser_t::settings(const op_spec_t &spec, const std::vector<std::string> &tokens, size_t first, tex_step_t &step) {
    std::vector<bool> seen(spec.settings.size(), false);
    std::vector<tex_value_t> values(spec.settings.size());
    for (size_t i = first; i < tokens.size(); ++i) {
        const std::string &t = tokens[i];
        const size_t eq = t.find('=');
        if (eq == std::string::npos || eq == 0)
            return fail("'%s' is no setting KEY=VALUE (operands come before the settings)", t.c_str());
        const std::string key = t.substr(0, eq);
        size_t k = 0;
        while (k < spec.settings.size() && key != spec.settings[k].name) ++k;
        if (k == spec.settings.size()) return fail("unknown setting '%s' for %s", key.c_str(), spec.name);
        if (seen[k]) return fail("'%s' is given twice", key.c_str());
        seen[k] = true;
        if (!value(spec.settings[k], t.substr(eq + 1), values[k])) return false;
    }
    for (size_t k = 0; k < spec.settings.size(); ++k) {
        const setting_spec_t &s = spec.settings[k];
        if (!seen[k]) {
            if (s.fallback) {
                // Defaults are written as a line would give them, and always read.
                if (!value(s, s.fallback, values[k])) abort();
            } else {
                values[k].given = false;
            }
        }
        step.settings.emplace_back(s.name, std::move(values[k]));
    }
    return true;
}

bool parser_t::number_in(const setting_spec_t &spec, const std::string &text, float &out) {
    double v;
    if (!parse_number(text, v)) return fail("'%s' of '%s' is not a number", text.c_str(), spec.name);
    const bool whole = spec.takes == takes_t::INTEGER || spec.takes == takes_t::INT_PAIR;
    if (whole && v != std::floor(v)) return fail("'%s' of '%s' is not a whole number", text.c_str(), spec.name);
    if (v < spec.lo || v > spec.hi)
        return fail("'%s' must be from %g to %g, not %s", spec.name, spec.lo, spec.hi, text.c_str());
    out = float(v);
    return true;
}

bool parser_t::value(const setting_spec_t &spec, const std::string &text, tex_value_t &out) {
    out = tex_value_t{};
    switch (spec.takes) {
    case takes_t::NUMBER:
    case takes_t::INTEGER:
        if (!number_in(spec, text, out.a)) return false;
        out.b = out.a;
        return true;
    case takes_t::PAIR:
    case takes_t::INT_PAIR: {
        const size_t comma = text.find(',');
        if (comma == std::string::npos) {
            if (!number_in(spec, text, out.a)) return false;
            out.b = out.a;
            return true;
        }
        return number_in(spec, text.substr(0, comma), out.a) && number_in(spec, text.substr(comma + 1), out.b);
    }
    case takes_t::WORD: {
        const char *w = spec.words;
        while (true) {
            const char *bar = strchr(w, '|');
            const size_t n = bar ? size_t(bar - w) : strlen(w);
            if (text.size() == n && text.compare(0, n, w, n) == 0) {
                out.word = text;
                return true;
            }
            if (!bar) break;
            w = bar + 1;
        }
        std::string choices = spec.words;
        std::replace(choices.begin(), choices.end(), '|', ' ');
        return fail("'%s' is no choice of '%s' (%s)", text.c_str(), spec.name, choices.c_str());
    }
    case takes_t::FIELD:
        out.field = field_slot(text);
        if (out.field < 0) return fail("no field '%s' before this line", text.c_str());
        out.word = text;
        return true;
    case takes_t::SCALAR: {
        if (!text.empty() && (isdigit(uint8_t(text[0])) || text[0] == '-' || text[0] == '+' || text[0] == '.'))
            return number_in(spec, text, out.a) && ((out.b = out.a), true);
        out.field = field_slot(text);
        if (out.field < 0) return fail("no field '%s' before this line", text.c_str());
        out.word = text;
        return true;
    }
    case takes_t::COLOUR:
        if (!parse_hex_colour(text, out.colour)) return fail("'%s' is no colour RRGGBB or RRGGBBAA", text.c_str());
        return true;
    case takes_t::RAMP:
        if (ramp_index(text) < 0) return fail("no ramp '%s' before this line", text.c_str());
        out.word = text;
        return true;
    }
    return false;
}

bool parser_t::finish(int last_line) {
    if (m_header) return true;
    m_line = last_line;
    return fail("no 'texture WIDTH HEIGHT rgb|rgba' statement");
}

}  // namespace

const tex_value_t &tex_step_t::get(const char *name) const {
    for (const auto &s : settings)
        if (s.first == name) return s.second;
    fprintf(stderr, "texgen: the statement '%s' has no setting '%s'\n", op.c_str(), name);
    abort();
}

bool tex_parse(const std::string &text, const std::string &name, tex_program_t &out, std::string &error) {
    out = tex_program_t{};
    parser_t parser(name, out, error);
    int number = 0;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        ++number;
        if (line.find('\0') != std::string::npos) {
            error = name + ":" + std::to_string(number) + ": a zero byte";
            return false;
        }
        const size_t hash = line.find('#');
        if (hash != std::string::npos) line.resize(hash);
        std::vector<std::string> tokens;
        size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && isspace(uint8_t(line[i]))) ++i;
            size_t j = i;
            while (j < line.size() && !isspace(uint8_t(line[j]))) ++j;
            if (j > i) tokens.push_back(line.substr(i, j - i));
            i = j;
        }
        if (!tokens.empty() && !parser.line(number, tokens)) return false;
    }
    return parser.finish(std::max(number, 1));
}

}  // namespace texgen
