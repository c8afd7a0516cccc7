#include "outside/gl/gl_programs.h"

#include <cctype>
#include <cstring>

#include "outside/qrnshared/effect.h"
#include "outside/qrnshared/material.h"
#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/host_object.h"
#include "qrncore/system/messages.h"

namespace quarn::gl {

namespace {

// Includes nest at most this deep: a file that includes itself is refused.
constexpr uint32_t MAX_INCLUDE_DEPTH = 8;
constexpr uint64_t MAX_SOURCE_BYTES = 1u << 20;

// First words of bound names that GLSL keeps: its keywords and reserved words, and
// the built-in functions a sampler's name might take.
const char *const RESERVED[] = {
    "active",   "asm",     "attribute", "cast",    "centroid", "class",    "common",   "const",  "default",
    "discard",  "double",  "enum",      "extern",  "external", "filter",   "fixed",    "flat",   "goto",
    "half",     "inline",  "input",     "interface", "invariant", "layout", "long",    "namespace", "noinline",
    "output",   "packed",  "partition", "public",  "resource", "sample",   "short",    "sizeof", "smooth",
    "static",   "superp",  "template",  "texture", "this",     "typedef",  "uniform",  "union",  "unsigned",
    "using",    "varying", "volatile",  "in",      "out",      "inout",    "struct",   "return", "float",
    "int",      "bool",    "void",      "if",      "else",     "for",      "while",    "do",     "switch",
    "case",     "break",   "continue",  "true",    "false",    "precision", "highp",   "mediump", "lowp",
};

// A define's name made of an input's: every run of other characters than letters and
// digits becomes one "_", none at the end ("layer_transform[1].column[0]" ->
// "layer_transform_1_column_0"), so that it never holds the "__" GLSL keeps.
void define_name(const char *name, mstring_t &out) {
    bool gap = false;
    for (const char *p = name; *p; ++p) {
        if (isalnum(static_cast<unsigned char>(*p)) || *p == '_') {
            if (gap && !out.is_empty()) out.append('_');
            gap = false;
            if (*p == '_' && !out.is_empty() && out.c_str()[out.length() - 1] == '_') continue;
            out.append(*p);
        } else {
            gap = true;
        }
    }
}

bool equal_name(const char *active, const char *wanted) {
    if (strcmp(active, wanted) == 0) return true;
    // An array's first element stands for the array: "a[0]" answers for "a[2]".
    const char *a = strrchr(active, '['), *w = strrchr(wanted, '[');
    if (!a || !w || strcmp(a, "[0]") != 0 || a - active != w - wanted) return false;
    return strncmp(active, wanted, size_t(a - active)) == 0;
}

// The type of the active uniform of that name; 0 when there is none.
GLenum uniform_type(GLuint program, const char *name) {
    GLint count = 0;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
    char active[256];
    for (GLint i = 0; i < count; ++i) {
        GLsizei length = 0;
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program, GLuint(i), sizeof active, &length, &size, &type, active);
        if (equal_name(active, name)) return type;
    }
    return 0;
}

// The info log of a shader or program on one line.
void info_log(GLuint object, bool program, mstring_t &out) {
    GLint length = 0;
    if (program) glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 1) return;
    array_dyn_t<char> text;
    if (!text.set_size(uint32_t(length))) return;
    if (program) glGetProgramInfoLog(object, length, nullptr, &text[0]);
    else glGetShaderInfoLog(object, length, nullptr, &text[0]);
    for (GLint i = 0; i < length && text[uint32_t(i)]; ++i) {
        const char c = text[uint32_t(i)];
        if (c == '\n') {
            if (i + 1 < length && text[uint32_t(i) + 1]) out.append(" / ");
        } else {
            out.append(c);
        }
    }
}

GLuint compile(GLenum stage, const char *version_and_stage, const mstring_t &defines, const mstring_t &source,
               mstring_t &log) {
    GLuint shader = glCreateShader(stage);
    if (!shader) return 0;
    const char *parts[3] = {version_and_stage, defines.c_str(), source.c_str()};
    glShaderSource(shader, 3, parts, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        log.append(stage == GL_VERTEX_SHADER ? "vertex: " : "fragment: ");
        info_log(shader, false, log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

const char *const FFP_NAMES[FFP_UNIFORM_COUNT] = {
    "ffp.lighting",   "ffp.light_ambient",  "ffp.light_diffuse",    "ffp.light_specular", "ffp.light_direction",
    "ffp.fog",        "ffp.fog_color",      "ffp.texture_stages",   "ffp.texture_constant", "ffp.texture_mode",
};

bool is(const char *a, const char *b) { return a && strcmp(a, b) == 0; }

}  // namespace

gl_render_state_t gl_render_defaults(const char *effect, const char *pass) {
    gl_render_state_t s;
    if (is(effect, "fw_dif_opac") || is(effect, "fw_dif_opac_attn")) s.blend = BLEND_ALPHA;
    if (is(effect, "fw_water")) {
        s.blend = BLEND_ALPHA;
        s.depth_write = false;
    }
    if (is(effect, "fw_terrain") && (is(pass, "multi_2p") || is(pass, "multi_3p"))) {
        s.blend = BLEND_ALPHA;
        s.depth_write = false;
    }
    return s;
}

void gl_glsl_name(const char *name, mstring_t &out) {
    out.copy(name);
    const size_t word = strcspn(name, ".[");
    for (const char *r : RESERVED)
        if (strlen(r) == word && strncmp(name, r, word) == 0) {
            out.copy(name, 0, 0, uint32_t(word));
            out.append('_');
            out.append(name + word);
            return;
        }
}

void gl_programs_t::init(gl_state_t *state) {
    release();
    m_state = state;
}

void gl_programs_t::release() {
    for (gl_program_t *p : m_programs) {
        if (p->id) glDeleteProgram(p->id);
        delete p;
    }
    m_programs.clear();
    for (gl_pass_program_t *p : m_passes) delete p;
    m_passes.clear();
    m_index.clear();
    m_path = -1;
    m_flat = -2;
}

bool gl_programs_t::load_source(const char *path, mstring_t &out, array_dyn_t<mstring_dyn_t> &files,
                                uint32_t depth) {
    if (depth > MAX_INCLUDE_DEPTH) {
        error("[gl] The program source '%s' is included too deep (a file that includes itself?)", path);
        return false;
    }
    if (!fs_file_exists(path, FS_REALM_VIRTUAL)) {
        error("[gl] The program source '%s' is missing", path);
        return false;
    }
    auto_ptr_t<file_t> f = fs_open(path, FS_REALM_VIRTUAL);
    const uint64_t size = f ? f->size() : 0;
    if (!f || size > MAX_SOURCE_BYTES) {
        error("[gl] The program source '%s' does not read", path);
        return false;
    }
    array_dyn_t<char> text;
    if (!text.set_size(uint32_t(size) + 1) || (size && !f->block_read(&text[0], uint32_t(size), 0))) {
        error("[gl] The program source '%s' does not read", path);
        return false;
    }
    text[uint32_t(size)] = 0;
    const uint32_t number = files.get_count();
    if (!files.append(mstring_dyn_t(path))) return false;
    out.printf_append("#line 1 %u\n", number);
    uint32_t line = 1;
    for (const char *p = &text[0]; *p;) {
        const char *end = strchr(p, '\n');
        const size_t length = end ? size_t(end - p) : strlen(p);
        const char *q = p;
        while (q < p + length && (*q == ' ' || *q == '\t')) ++q;
        if (strncmp(q, "#include", 8) == 0) {
            const char *open = strchr(q, '"');
            const char *close = open && open < p + length ? strchr(open + 1, '"') : nullptr;
            if (!close || close > p + length) {
                error("[gl] %s:%u: an #include names no file in quotes", path, line);
                return false;
            }
            mstring_dyn_t included(GL_SHADER_FOLDER);
            included.append(open + 1, 0, uint32_t(close - open - 1));
            if (!load_source(included.c_str(), out, files, depth + 1)) return false;
            out.printf_append("#line %u %u\n", line + 1, number);
        } else {
            out.append(p, 0, uint32_t(length));
            out.append('\n');
        }
        ++line;
        p = end ? end + 1 : p + length;
    }
    return true;
}

int32_t gl_programs_t::get(const char *source_path, const mstring_t &defines, const char *what) {
    mstring_dyn_t key(source_path);
    key.append("|");
    key.append(defines.c_str());
    for (uint32_t i = 0; i < m_programs.get_count(); ++i)
        if (m_programs[i]->key == key.c_str()) return int32_t(i);
    gl_program_t *p = new gl_program_t;
    if (!p || !m_programs.append(p)) {
        delete p;
        error("[gl] Out of memory for a program");
        return -1;
    }
    p->key = key;
    mstring_dyn_t source, log;
    array_dyn_t<mstring_dyn_t> files;
    const int32_t index = int32_t(m_programs.get_count() - 1);
    if (!load_source(source_path, source, files, 0)) {
        error("[gl] No program for %s", what);
        return index;
    }
    const GLuint vertex = compile(GL_VERTEX_SHADER, "#version 330 core\n#define VERTEX_SHADER 1\n", defines, source, log);
    const GLuint fragment =
        vertex ? compile(GL_FRAGMENT_SHADER, "#version 330 core\n#define FRAGMENT_SHADER 1\n", defines, source, log) : 0;
    GLuint program = 0;
    if (vertex && fragment) {
        program = glCreateProgram();
        glAttachShader(program, vertex);
        glAttachShader(program, fragment);
        glLinkProgram(program);
        GLint ok = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
        if (!ok) {
            log.append("link: ");
            info_log(program, true, log);
            glDeleteProgram(program);
            program = 0;
        }
    }
    if (vertex) glDeleteShader(vertex);
    if (fragment) glDeleteShader(fragment);
    if (!program) {
        mstring_dyn_t legend;
        for (uint32_t i = 0; i < files.get_count(); ++i) legend.printf_append("%s%u %s", i ? ", " : "", i, files[i].c_str());
        error("[gl] The program for %s does not build (files %s): %s", what, legend.c_str(), log.c_str());
        return index;
    }
    p->id = program;
    for (uint32_t i = 0; i < FFP_UNIFORM_COUNT; ++i) p->ffp[i] = glGetUniformLocation(program, FFP_NAMES[i]);
    p->flat_matrix = glGetUniformLocation(program, "flat_matrix");
    return index;
}

gl_pass_program_t *gl_programs_t::find(uint64_t serial) {
    if (m_index.is_empty()) return nullptr;
    const uint32_t mask = m_index.get_count() - 1;
    for (uint32_t i = uint32_t(serial * 0x9E3779B97F4A7C15ull >> 40) & mask;; i = (i + 1) & mask) {
        const int32_t k = m_index[i];
        if (k < 0) return nullptr;
        if (m_passes[uint32_t(k)]->serial == serial) return m_passes[uint32_t(k)];
    }
}

gl_pass_program_t *gl_programs_t::add(uint64_t serial) {
    if ((m_passes.get_count() + 1) * 2 > m_index.get_count()) {
        array_dyn_t<int32_t> bigger;
        if (!bigger.set_size(m_index.is_empty() ? 64 : m_index.get_count() * 2)) return nullptr;
        for (int32_t &i : bigger) i = -1;
        m_index = static_cast<array_dyn_t<int32_t> &&>(bigger);
        const uint32_t mask = m_index.get_count() - 1;
        for (uint32_t k = 0; k < m_passes.get_count(); ++k) {
            uint32_t i = uint32_t(m_passes[k]->serial * 0x9E3779B97F4A7C15ull >> 40) & mask;
            while (m_index[i] >= 0) i = (i + 1) & mask;
            m_index[i] = int32_t(k);
        }
    }
    gl_pass_program_t *p = new gl_pass_program_t;
    if (!p || !m_passes.append(p)) {
        delete p;
        return nullptr;
    }
    p->serial = serial;
    const uint32_t mask = m_index.get_count() - 1;
    uint32_t i = uint32_t(serial * 0x9E3779B97F4A7C15ull >> 40) & mask;
    while (m_index[i] >= 0) i = (i + 1) & mask;
    m_index[i] = int32_t(m_passes.get_count() - 1);
    return p;
}

const gl_pass_program_t *gl_programs_t::for_pass(const effect_pass_u &pass, int32_t path) {
    if (path != m_path) {
        for (gl_pass_program_t *p : m_passes) delete p;
        m_passes.clear();
        m_index.clear();
        m_path = path;
    }
    const uint64_t serial = pass.get_binding_serial();
    if (gl_pass_program_t *p = find(serial))
        return p->program < m_programs.get_count() && m_programs[p->program]->id ? p : nullptr;

    const effect_u *effect = pass.get_effect();
    const char *effect_name = effect ? effect->get_descriptor()->class_name->c_str() : "";
    const char *pass_name = pass.get_pass_name();
    mstring_dyn_t defines, name;
    defines.printf_append("#define PATH %d\n", path);
    define_name(pass_name, name);
    defines.printf_append("#define PASS_%s 1\n", name.c_str());
    defines.printf_append("#define FLAGS %u\n", unsigned(pass.config.flags));
    for (uint32_t i = 0; i < pass.get_binding_count(); ++i) {
        const effect_binding_t &b = pass.get_binding(i);
        name = "";
        define_name(b.name.c_str(), name);
        defines.printf_append("#define BOUND_%s 1\n", name.c_str());
        if (b.kind == EFFECT_INPUT_ATTRIBUTE) defines.printf_append("#define ATTR_%s %u\n", name.c_str(), b.attribute_slot);
    }
    mstring_dyn_t source(GL_SHADER_FOLDER), what;
    source.printf_append("%s.glsl", effect_name);
    what.printf("'%s' pass '%s' on render path %d", effect_name, pass_name, path);

    gl_pass_program_t *p = add(serial);
    if (!p) return nullptr;
    // A program that did not build keeps its place: its failure is logged once.
    const int32_t index = get(source.c_str(), defines, what.c_str());
    if (index < 0) return nullptr;
    p->program = uint32_t(index);
    if (!m_programs[p->program]->id) return nullptr;
    const gl_program_t &program = *m_programs[uint32_t(index)];
    p->state = gl_render_defaults(effect_name, pass_name);
    const uint32_t count = pass.get_binding_count();
    if (!p->locations.set_size(count) || !p->types.set_size(count) || !p->units.set_size(count)) return nullptr;
    m_state->use_program(program.id);
    int32_t unit = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const effect_binding_t &b = pass.get_binding(i);
        p->locations[i] = -1;
        p->types[i] = 0;
        p->units[i] = -1;
        if (b.kind == EFFECT_INPUT_ATTRIBUTE) continue;
        name = "";
        gl_glsl_name(b.name.c_str(), name);
        const GLint location = glGetUniformLocation(program.id, name.c_str());
        if (b.kind == EFFECT_INPUT_SAMPLER) {
            // Every sampler of the pass takes the next unit, read or not: passes of one
            // program bind the same samplers in the same order.
            if (location >= 0) {
                glUniform1i(location, unit);
                p->units[i] = unit;
            }
            ++unit;
            continue;
        }
        p->locations[i] = location;
        if (location >= 0) p->types[i] = uniform_type(program.id, name.c_str());
    }
    return p;
}

const gl_program_t *gl_programs_t::flat() {
    if (m_flat == -2) {
        mstring_dyn_t defines("#define PATH 0\n");
        mstring_dyn_t source(GL_SHADER_FOLDER);
        source.append("flat.glsl");
        m_flat = get(source.c_str(), defines, "the UI and the debug lines");
        if (m_flat >= 0 && !m_programs[uint32_t(m_flat)]->id) m_flat = -1;
        if (m_flat >= 0) {
            const gl_program_t &p = *m_programs[uint32_t(m_flat)];
            m_state->use_program(p.id);
            glUniform1i(glGetUniformLocation(p.id, "flat_texture"), 0);
        }
    }
    return m_flat >= 0 ? m_programs[uint32_t(m_flat)] : nullptr;
}

}  // namespace quarn::gl
