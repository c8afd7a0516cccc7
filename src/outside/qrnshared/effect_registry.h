#pragma once
// Effect directories and the render path. A module registers the directory its
// effects live under ("/effect/fw4"); a material then names an effect as
// "<directory>/<effect type name>" ("/effect/fw4/fw_dif"), and the layer makes one
// effect unit of that registered class (a class derived from effect_u, found by its
// type name in the default unit system's bank) the first time the path is asked for,
// shared by every material that names it.
//
// The render path is the renderer's setting of which programs it draws with (default
// 14). Paths 1, 3 and 6 use the fixed-function vertex pipeline and fixed fog; 8 and
// 14 are programmable. Passes read the path when they are set up; changing it sets up
// the passes of every loaded material again.
#include <cstdint>

#include "outside/qrnshared/api.h"

namespace quarn {

class effect_u;

using gfx_path_t = int32_t;

constexpr gfx_path_t GFX_PATH_DEFAULT = 14;

// Registers the directory (a virtual path without a trailing "/"); true also when it
// is registered already. False (logged) for an empty or relative name.
QRNSHARED_API bool r_effect_register_directory(const char *directory);
// Forgets the directory and drops the layer's hold on the effects made under it
// (materials keep theirs). False when it was not registered.
QRNSHARED_API bool r_effect_unregister_directory(const char *directory);
QRNSHARED_API bool r_effect_is_directory_registered(const char *directory);
// The effect of the path "<directory>/<type name>": made on first use in the default
// unit system and kept. Null (logged) when the directory is not registered, the type
// name is not a registered class, or the class is not an effect.
QRNSHARED_API effect_u *r_effect_get(const char *path);
// Forgets every directory and every effect (the layer's shutdown).
QRNSHARED_API void r_effect_reset();

// The current render path.
QRNSHARED_API gfx_path_t r_effect_get_path();
// Sets the render path and sets up the passes of every loaded material again.
QRNSHARED_API void r_effect_set_path(gfx_path_t path);
// True for the paths that use the fixed-function vertex pipeline (1, 3, 6).
QRNSHARED_API bool shd_uses_fixed_vertex_processing(gfx_path_t path);
// True for the paths that use fixed-function fog (1, 3, 6).
QRNSHARED_API bool shd_uses_fixed_fog_processing(gfx_path_t path);

}  // namespace quarn
