#pragma once
// The transform stack over the current world matrix (gfx_world_matrix). A push saves
// the matrix; the transforms multiply it on the right, so the one given last acts
// first on a drawn point (push, translate to a pose, rotate, scale, draw local
// points, pop). Debug drawing of the game's objects builds on it.
#include <cstdint>

#include "outside/visbase/api.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"

namespace quarn {

// Saved matrices the stack holds; a push beyond it is refused (logged) and its pop is
// then only counted, so pushes and pops still pair up.
constexpr uint32_t GFX_TRANSFORM_STACK_DEPTH = 32;

// Saves the world matrix and makes it the identity.
VISBASE_API void gfx_push_identity();
// Saves the world matrix and keeps it.
VISBASE_API void gfx_push();
// world = world · T(v).
VISBASE_API void gfx_translate(const vec3_t &v);
// world = world · R(q).
VISBASE_API void gfx_qrotate(const quat_t &q);
// world = world · S(v): scales along the local axes.
VISBASE_API void gfx_scale(const vec3_t &v);
// Restores the matrix saved by the matching push; a pop with nothing pushed is
// refused (logged).
VISBASE_API void gfx_pop();
// Matrices saved now (for tests).
VISBASE_API uint32_t gfx_transform_depth();

}  // namespace quarn
