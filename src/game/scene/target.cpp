#include "game/scene/target.h"

namespace quarn {

QRN_UNIT_DEFINE_ABSTRACT(target_u, "target");

const hit_target_info_t *target_u::get_target_info() {
    m_info.position = get_placement().position;
    return &m_info;
}

void target_u::close_windows() {}

}  // namespace quarn
