#pragma once
// The renderer's current camera: what gfx_camera_load last loaded from a camera
// packet (its view, camera and projection matrices). Objects ask it for the matrix
// that takes world positions into camera space and whether their bounding sphere can
// be seen at all. Identity matrices until a camera is loaded.
#include "outside/visbase/api.h"
#include "qrncore/geometry/aabox.h"
#include "qrncore/geometry/sphere.h"
#include "qrncore/math/mat_sq.h"

namespace quarn {

class pp_camera_u;

// Makes the packet's matrices the current camera.
VISBASE_API void gfx_camera_load(const pp_camera_u &camera);
// World to camera space (the view matrix).
VISBASE_API const mat4_t &gfx_camera_matrix();
// Camera to world space (where the camera is).
VISBASE_API const mat4_t &gfx_camera_world_matrix();
VISBASE_API const mat4_t &gfx_camera_projection();
// True when the sphere, given in the space that matrix takes to the world, is inside
// the current camera's view volume or cuts it (touching counts as visible). The
// radius grows with the matrix's largest axis scale.
VISBASE_API bool gfx_sphere_visible(const sphere_t &sphere, const mat4_t &matrix);
// True when the world-space box is inside the current camera's view volume or cuts it
// (conservative: a box near an edge of the volume may count as visible).
VISBASE_API bool gfx_box_visible(const aabox_t &box);

}  // namespace quarn
