#include "game/world/plant.h"

#include <cstring>

#include "game/visuals/effects/projected_decal.h"
#include "game/world/landscape.h"
#include "outside/qrnshared/material.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(plant_desc_u, "plant_desc");
QRN_UNIT_DEFINE(plant_inst_u, "plant_inst");

// ---- plant_desc_u ----

plant_desc_u::~plant_desc_u() { release_material(); }

void plant_desc_u::release_material() {
    if (m_shadow_material) m_shadow_material->release_ref();
    m_shadow_material = nullptr;
}

void plant_desc_u::on_destroy() { release_material(); }

bool plant_desc_u::_call_post_load() {
    if (!body_desc_u::_call_post_load()) return false;
    if (m_unique_instances == 0 || get_instance_count() == 0 || !get_instance(0) || !get_instance(0)->is_alive())
        return false;
    const model_inst_u *instance = get_instance(0);
    const model_geom_u *geometry = instance->get_geom();
    const int32_t part = geometry ? geometry->find_part(PART_NAME) : -1;
    if (part < 0) {
        error("[game] Cannot find part '%s' in model %s", PART_NAME, m_model_file.c_str());
        return false;
    }
    m_part_indices.clear();
    if (!m_part_indices.append(uint32_t(part))) return false;

    aabox_t box;
    get_model_box(box);
    const float e = box.max.x - box.min.x;
    const float f = strstr(m_model_file.c_str(), ACATIA) ? ACATIA_SHADOW_FACTOR : SHADOW_FACTOR;
    m_shadow_size = {f * e, 2.0f * e, f * e};

    release_material();
    m_shadow_material = get_material(SHADOW_MATERIAL);
    m_tall = box.max.y > TALL_HEIGHT;
    return true;
}

std::unique_ptr<decal_mesh_t> plant_desc_u::make_ground_shadow(landscape_u &landscape,
                                                               const placement_scale_t &placement) {
    if (!m_shadow_material) return nullptr;
    std::unique_ptr<decal_mesh_t> mesh =
        landscape.build_projected_mesh(placement.position, m_shadow_size * placement.scale, quat_t());
    if (mesh) mesh->set_material_item(m_shadow_material);
    return mesh;
}

bool plant_desc_u::test_segment_part(const vec3_t &p0, const vec3_t &p1, array_dyn_t<model_hit_t> &hits) {
    hits.clear();
    if (get_instance_count() == 0 || !get_instance(0) || m_part_indices.is_empty()) return false;
    model_inst_u *instance = get_instance(0);
    const model_geom_u *geometry = instance->get_geom();
    if (!geometry) return false;
    const uint32_t part = m_part_indices[0];
    const model_geom_view_t &view = geometry->view();
    const uint32_t first = view.get_part_first_piece(part);
    const uint32_t count = view.get_part_piece_count(part);
    model_hit_t hit;
    bool any = false;
    for (uint32_t piece = first; piece < first + count; ++piece)
        any = instance->intersect_piece(p0, p1, piece, hit) || any;
    if (!any || !hits.append(hit)) return false;
    return true;
}

// ---- plant_inst_u ----

bool plant_inst_u::_call_post_load() {
    if (!body_inst_u::_call_post_load()) return false;
    if (!get_plant_desc()) {
        error("[game] plant_inst_u body_desc should point to plant_desc not body_desc!");
        return false;
    }
    return true;
}

}  // namespace quarn
