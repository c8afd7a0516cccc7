#include "game/ai/animals/deer_animal.h"

#include "game/ai/antlers/antler_cache.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/visuals/models/model_object.h"
#include "outside/qrnshared/def_obj.h"
#include "qrncore/math/matrix.h"

namespace quarn {

bool deer_animal_t::setup(const ai_animal_setup_t &setup) {
    if (!simple_animal_t::setup(setup)) return false;
    model_object_u *model = get_model();
    base_ctrl_u *ctrl = get_current_ctrl();
    antler_cache_t *cache = ctrl ? ctrl->get_antler_cache() : nullptr;
    const char *species = setup.entry->get_dvalue("species", "");
    const char *gender = setup.entry->get_dvalue("type", "");
    for (int32_t side = 0; side < 2; ++side) {
        slot_t &slot = m_antlers[side];
        slot.piece.reset();
        slot.bone = model ? model->find_bone_by_name(BONES[side]) : -1;
        const def_obj_t *antler = setup.entry->find(ANTLERS[side]);
        if (slot.bone < 0 || !antler || !cache) continue;
        auto piece = std::make_unique<antler_piece_t>();
        if (cache->build_antler(*piece, species, gender, side, *antler)) slot.piece = std::move(piece);
    }
    return true;
}

void deer_animal_t::draw_body() {
    simple_animal_t::draw_body();
    model_object_u *model = get_model();
    if (!model) return;
    const mat4_t body = body_placement().compute_matrix();
    for (const slot_t &slot : m_antlers) {
        mat4_t bone;
        if (!slot.piece || slot.bone < 0 || !model->get_bone_matrix(uint32_t(slot.bone), &bone)) continue;
        mat4_t world;
        mult_matrix_matrix(&world, bone, body);
        slot.piece->draw(world, m_light);
    }
}

}  // namespace quarn
