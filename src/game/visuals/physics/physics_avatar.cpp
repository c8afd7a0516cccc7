#include "game/visuals/physics/physics_avatar.h"

#include "game/visuals/physics/physics_scene.h"

namespace quarn {

physics_avatar_t::~physics_avatar_t() {
    // The scene would otherwise update a freed avatar every step.
    if (m_scene && m_scene->get_avatar() == this) m_scene->forget_avatar();
}

}  // namespace quarn
