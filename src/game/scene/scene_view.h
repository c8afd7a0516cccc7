#pragma once
// scene_view_t: a camera of the scene (the hunter's eye, the animal and trail cameras,
// the menu and screensaver views). The controller's active view (base_ctrl_u::get_view)
// gives the camera placement, the origin and direction of a shot and the sound
// listener's placement and velocity.
#include "qrncore/geometry/frustum.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/math/vec.h"

namespace quarn {

class scene_view_t {
public:
    virtual ~scene_view_t();
    // World velocity of the camera, for the sound listener; zero by default.
    virtual vec3_t get_velocity() const;
    // The camera: position and rotation in the world.
    virtual placement_t get_placement() const = 0;
    // The view volume the view keeps for culling, or null when it keeps none (the
    // default); then culling goes by the renderer's loaded camera.
    virtual const frustum_t *get_frustum() const;
};

}  // namespace quarn
