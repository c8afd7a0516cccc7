#include "game/visuals/physics/ode_physics_server.h"

#include "game/visuals/physics/ode_library.h"
#include "game/visuals/physics/ode_physics_scene.h"
#include "qrncore/system/messages.h"

namespace quarn {

ode_physics_server_t::ode_physics_server_t() {
    message("Starting physics server: \\gOpen Dynamics Engine (svn revision 1119)");
    ode_library_acquire();
}

ode_physics_server_t::~ode_physics_server_t() { ode_library_release(); }

physics_scene_t *ode_physics_server_t::new_scene() { return new ode_physics_scene_t; }

}  // namespace quarn
