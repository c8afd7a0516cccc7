#pragma once
// Physics shapes from a collision model: every primitive of one set becomes a shape of
// the scene, with the physics material the set's row gives it and its mass share times
// the caller's. docs/effects.md.
//
// With an owner body the shapes hang on it, placed by the primitives' poses (the
// world-unit creators); without one they stand in the scene, placed by the given
// placement: sizes and mesh vertices scaled by its scale, poses turned and moved by it,
// and a plane's equation moved with it. Planes cannot hang on a body: the physics
// layer refuses them (logged) and the call answers false.
#include <cstdint>

#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/placement.h"

namespace quarn {

class model_coll_view_t;
class physics_body_t;
class physics_scene_t;
class physics_shape_t;

// Walks set `set` of the collision model with material row `row`, making one shape a
// primitive in scene and appending it to out. True when the set checks out and every
// shape was made; a primitive that fails makes no shape, the others are still made,
// and shapes already made stay in out (the caller deletes them). A broken set makes
// none (the reader logs why).
bool coll_model_to_physics_shapes_ex(const model_coll_view_t &coll, uint32_t set, uint32_t row, float mass_share,
                                     physics_scene_t &scene, physics_body_t *owner,
                                     const placement_scale_t &placement, array_dyn_t<physics_shape_t *> &out);
// The same at the identity placement with scale 1.
bool coll_model_to_physics_shapes(const model_coll_view_t &coll, uint32_t set, uint32_t row, float mass_share,
                                  physics_scene_t &scene, physics_body_t *owner, array_dyn_t<physics_shape_t *> &out);

}  // namespace quarn
