#include "game/voiceover/voiceover.h"

#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"

namespace quarn {

namespace {
constinit const unit_attr_t<UNIT_ATTR_OWNER_ARRAY> line_domain{{&voiceover_u::unit_descriptor, 0}};
}

QRN_UNIT_DEFINE(voiceover_u, "voiceover",
                QRN_ATTR(sound_file, UNIT_ATTR_STRING, "sound_file"),
                QRN_ATTR(text, UNIT_ATTR_STRING, "text"));

QRN_UNIT_DEFINE(voiceover_table_u, "voiceover_table",
                QRN_ATTR(voiceovers, UNIT_ATTR_OWNER_ARRAY, "voiceovers", &line_domain),
                QRN_ATTR(priority, UNIT_ATTR_UINT32, "priority"),
                QRN_ATTR(occurence, UNIT_ATTR_UINT32, "occurence"));

bool voiceover_table_u::_call_post_load() {
    if (!unit_t::_call_post_load()) return false;
    if (occurence == 0) occurence = 1;
    return true;
}

owner_ptr_ret_t<voiceover_u> voiceover_table_u::pick(randomizer_t &random) {
    const uint32_t lines = voiceovers.get_count();
    if (lines == 0) return {};
    const uint32_t request = m_requests++;
    // A table made in code may still hold 0: read it as 1, as a loaded one does.
    if (occurence > 1 && request % occurence != 0) return {};
    unit_base_t *line = voiceovers[random.rand_u(lines)].get();
    if (!line || !line->is_alive()) return {};
    return unit_cast<voiceover_u>(line->clone());
}

owner_ptr_ret_t<voiceover_u> voiceover_table_u::pick() {
    base_ctrl_u *ctrl = get_current_ctrl();
    if (!ctrl) return {};
    return pick(ctrl->get_random());
}

}  // namespace quarn
