#pragma once
// The physics server over ODE: a user of the library (ode_library.h) from its
// construction to its destruction; its scenes are ode_physics_scene_t.
#include "game/visuals/physics/physics_server.h"

namespace quarn {

class ode_physics_server_t : public physics_server_t {
public:
    ode_physics_server_t();
    ~ode_physics_server_t() override;

protected:
    physics_scene_t *new_scene() override;
};

}  // namespace quarn
