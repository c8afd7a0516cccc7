#pragma once
// The GLSL programs: one a pass's bindings, built the first time a prototype of the
// pass is drawn and kept under the pass's binding serial (effect.h), so that a draw
// finds its program, the location of each bound uniform and the texture unit of each
// bound sampler at once. The source is "/shader/<effect type name>.glsl" of the
// virtual file system ("/shader/fw_dif.glsl", "/shader/dry.glsl"), with its
// "#include" lines replaced by the files they name (in "/shader/"); before it the
// renderer puts what the pass is: the stage, the render path, the pass name, the
// material's flags and one define for every input the pass bound (ffp.glsl says
// which). Passes with the same source and defines share one program.
//
// The names passes bind are the programs' own names of their inputs, uniforms as
// written ("transform.mvp", "layer_transform[1].column[0]"), samplers too
// ("texture_sampler[2]"), attributes by the slot the pass gives them; a bound name
// that GLSL keeps for itself ("texture", a built-in function) is the name with "_"
// appended in the program ("texture_"). A program that does not compile or link is
// logged once with its info log; prototypes that need it are not drawn.
#include <cstdint>

#include "outside/gl/gl_api.h"
#include "outside/gl/gl_state.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {
class effect_pass_u;
class material_t;
}  // namespace quarn

namespace quarn::gl {

// The folder of the programs' sources in the virtual file system.
inline constexpr const char *GL_SHADER_FOLDER = "/shader/";

// The renderer's own uniforms: the fixed-function state ("ffp.*", ffp.glsl).
enum gl_ffp_uniform_t : uint32_t {
    FFP_LIGHTING,
    FFP_LIGHT_AMBIENT,
    FFP_LIGHT_DIFFUSE,
    FFP_LIGHT_SPECULAR,
    FFP_LIGHT_DIRECTION,
    FFP_FOG,
    FFP_FOG_COLOR,
    FFP_TEXTURE_STAGES,
    FFP_TEXTURE_CONSTANT,
    FFP_TEXTURE_MODE,
    FFP_UNIFORM_COUNT,
};

struct gl_program_t {
    mstring_dyn_t key;  // the source's path and the defines
    GLuint id = 0;      // 0: it did not build
    GLint ffp[FFP_UNIFORM_COUNT] = {};
    GLint flat_matrix = -1;
};

// What a pass draws with.
struct gl_pass_program_t {
    uint64_t serial = 0;
    uint32_t program = UINT32_MAX;  // index of the program; none while it is not built
    // Per binding of the pass: a uniform's location (-1: the program has none) and
    // type, a sampler's texture unit (-1: the program reads none).
    array_dyn_t<GLint> locations;
    array_dyn_t<GLenum> types;
    array_dyn_t<int32_t> units;
    // What the pass's draws start from before the material's own render state.
    gl_render_state_t state;
};

// The render state an effect's pass draws with unless its material says otherwise:
// depth tested and written, no blending; the see-through families (the opacity ones,
// the water, the terrain's later multi passes) blend, and the water and those multi
// passes leave the depth alone.
gl_render_state_t gl_render_defaults(const char *effect, const char *pass);
// The program's name of a bound input: the name, or with "_" after a first word that
// GLSL keeps for itself.
void gl_glsl_name(const char *name, mstring_t &out);

class gl_programs_t {
public:
    void init(gl_state_t *state);
    // Deletes every program (the context is about to go, or went).
    void release();

    // The program of the pass on the render path, built on first use; null when the
    // pass has no program (it failed: logged once).
    const gl_pass_program_t *for_pass(const effect_pass_u &pass, int32_t path);
    const gl_program_t &program(uint32_t index) const { return *m_programs[index]; }
    // The renderer's own program of flat colours and textures ("/shader/flat.glsl");
    // null when it does not build.
    const gl_program_t *flat();

    uint32_t count() const { return m_programs.get_count(); }

private:
    // The index of the program of that source and defines, built when new; -1 when
    // it does not build.
    int32_t get(const char *source_path, const mstring_t &defines, const char *what);
    bool load_source(const char *path, mstring_t &out, array_dyn_t<mstring_dyn_t> &files, uint32_t depth);
    gl_pass_program_t *find(uint64_t serial);
    gl_pass_program_t *add(uint64_t serial);

    gl_state_t *m_state = nullptr;
    array_dyn_t<gl_program_t *> m_programs;
    // Built for each pass: in a table by serial, emptied when the render path changes
    // (every pass is set up again then, under new serials).
    array_dyn_t<gl_pass_program_t *> m_passes;
    array_dyn_t<int32_t> m_index;
    int32_t m_path = -1;
    int32_t m_flat = -2;  // -2: not built yet
};

}  // namespace quarn::gl
