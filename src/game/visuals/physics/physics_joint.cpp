#include "game/visuals/physics/physics_joint.h"

#include "game/visuals/physics/physics_scene.h"

namespace quarn {

physics_joint_t::~physics_joint_t() {
    if (m_scene) m_scene->remove_joint(this);
}

void physics_joint_t::debug_draw(int) {}

}  // namespace quarn
