#include "outside/visbase/transform_stack.h"

#include "outside/visbase/render.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/matrix.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

mat4_t saved[GFX_TRANSFORM_STACK_DEPTH];
uint32_t depth = 0;
// Pushes refused for want of room; their pops restore nothing.
uint32_t overflow = 0;

mat4_t current() { return *reinterpret_cast<const mat4_t *>(gfx_world_matrix()); }

void set_current(const mat4_t &m) { gfx_set_world_matrix(m.m); }

bool save() {
    if (depth == GFX_TRANSFORM_STACK_DEPTH) {
        if (overflow == 0) error("[gfx] Transform stack overflow (%u matrices).", GFX_TRANSFORM_STACK_DEPTH);
        ++overflow;
        return false;
    }
    saved[depth++] = current();
    return true;
}

}  // namespace

void gfx_push_identity() {
    // Even a refused push draws what follows in the identity, as the caller asked.
    save();
    set_current(mat4_t::identity());
}

void gfx_push() { save(); }

void gfx_translate(const vec3_t &v) {
    mat4_t m = current();
    matrix_translate_left(&m, v);
    set_current(m);
}

void gfx_qrotate(const quat_t &q) {
    mat4_t m = current();
    mult_quat_matrix(&m, q, m);
    set_current(m);
}

void gfx_scale(const vec3_t &v) {
    mat4_t m = current();
    matrix_scale_left(&m, v);
    set_current(m);
}

void gfx_pop() {
    if (overflow > 0) {
        --overflow;
        return;
    }
    if (depth == 0) {
        error("[gfx] Transform stack underflow: pop without a push.");
        return;
    }
    set_current(saved[--depth]);
}

uint32_t gfx_transform_depth() { return depth; }

}  // namespace quarn
