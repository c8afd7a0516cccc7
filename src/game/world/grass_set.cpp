#include "game/world/grass_set.h"

#include <algorithm>
#include <cmath>

#include "game/visuals/models/model_template.h"
#include "qrncore/qrnutils/substance/substance_db.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr unit_enum_symbol_t align_by_value[] = {
    {grass_property_u::ALIGN_vertical, "vertical"},
    {grass_property_u::ALIGN_surface, "surface"},
    {grass_property_u::ALIGN_modulated_surface, "modulated_surface"},
};
constexpr unit_enum_symbol_t align_by_name[] = {
    {grass_property_u::ALIGN_modulated_surface, "modulated_surface"},
    {grass_property_u::ALIGN_surface, "surface"},
    {grass_property_u::ALIGN_vertical, "vertical"},
};
constexpr unit_attr_t<UNIT_ATTR_ENUM> align_domain{{0, 3, align_by_value, align_by_name}};
constexpr unit_attr_t<UNIT_ATTR_REF> template_domain{{&model_template_u::unit_descriptor, 0}};
constinit const unit_attr_t<UNIT_ATTR_OWNER_ARRAY> property_domain{{&grass_property_u::unit_descriptor, 0}};

}  // namespace

QRN_UNIT_DEFINE(grass_property_u, "grass_property",
                QRN_ATTR(m_model_template, UNIT_ATTR_REF, "model_template", &template_domain),
                QRN_ATTR(m_model_part_name, UNIT_ATTR_STRING, "model_part_name"),
                QRN_ATTR(m_density, UNIT_ATTR_FLOAT, "density"),
                QRN_ATTR(m_density_range, UNIT_ATTR_FLOAT, "density_range"),
                QRN_ATTR(m_seed_dir, UNIT_ATTR_VEC3, "seed_dir"),
                QRN_ATTR(m_seed_range, UNIT_ATTR_FLOAT, "seed_range"), QRN_ATTR(m_yaw, UNIT_ATTR_FLOAT, "yaw"),
                QRN_ATTR(m_yaw_range, UNIT_ATTR_FLOAT, "yaw_range"), QRN_ATTR(m_scale, UNIT_ATTR_FLOAT, "scale"),
                QRN_ATTR(m_scale_variability, UNIT_ATTR_FLOAT, "scale_variability"),
                QRN_ATTR(m_align, UNIT_ATTR_ENUM, "align", &align_domain));

QRN_UNIT_DEFINE(grass_set_u, "grass_set", QRN_ATTR(m_substance, UNIT_ATTR_STRING, "substance"),
                QRN_ATTR(m_properties, UNIT_ATTR_OWNER_ARRAY, "properties", &property_domain));

// ---- grass_property_u ----

grass_property_u::~grass_property_u() { release_material(); }

void grass_property_u::on_destroy() { release_material(); }

void grass_property_u::release_material() {
    if (m_material) m_material->release_ref();
    m_material = nullptr;
}

model_template_u *grass_property_u::get_template() const {
    return unit_cast<model_template_u>(m_model_template.get());
}

bool grass_property_u::_call_post_load() {
    if (!unit_t::_call_post_load()) return false;
    release_material();
    m_part_first_piece = -1;
    // No template, a template without its model, an unknown part or a part without a
    // piece: nothing to copy, so the load fails the same way for each.
    const model_template_u *model = get_template();
    const model_geom_u *geometry = model && model->is_loaded() ? model->get_geom() : nullptr;
    const int32_t part = geometry ? geometry->find_part(m_model_part_name.c_str()) : -1;
    const uint32_t pieces = part >= 0 ? geometry->view().get_part_piece_count(uint32_t(part)) : 0;
    const uint32_t first = part >= 0 ? geometry->view().get_part_first_piece(uint32_t(part)) : 0;
    if (pieces == 0 || first >= model->get_piece_count()) {
        error("[grass_property_u] invalid part name '%s'", m_model_part_name.c_str());
        return false;
    }
    if (pieces > 1)
        warning("[grass_property_u] part '%s' has too many pieces (only 1 piece is supported)",
                m_model_part_name.c_str());
    m_part_first_piece = int32_t(first);
    m_material = model->get_piece_material(first);
    if (m_material) m_material->add_ref();
    m_part_sphere = geometry->get_bounding_sphere(-1);
    m_seed_range = 1.0f - std::cos(m_seed_range * float(M_PI) / 180.0f);
    return true;
}

float grass_property_u::density_at(const vec3_t &normal, float distance_squared, float setting) const {
    const float range = m_seed_range;
    const float tilt = 1.0f - dot(m_seed_dir, normal);
    if (tilt > range) return 0.0f;
    float f = ((1.0f - distance_squared / FALLOFF_SQUARED) * 0.8f + 0.2f) * setting;
    if (distance_squared < NEAR_SQUARED) f *= 2.0f;
    // A seed range of 0 takes only faces along seed_dir, which lose nothing.
    const float lost = range > 0.0f ? tilt * m_density_range / range : 0.0f;
    const float density = std::max(0.0f, m_density - lost) * std::max(0.0f, f);
    return density > 0.0f ? density : 0.0f;  // NaN counts as none
}

uint32_t grass_property_u::take_count(float density, float area) {
    const float total = density * area + carry;
    if (!(total > 0.0f)) {
        carry = 0.0f;
        return 0;
    }
    if (total >= float(MAX_PLANTS)) {
        carry = 0.0f;
        return MAX_PLANTS;
    }
    const uint32_t count = uint32_t(total);
    carry = total - float(count);
    return count;
}

// ---- grass_set_u ----

int32_t grass_set_u::resolve_substance() {
    const uint32_t index = substance_name2idx(string(m_substance.c_str()));
    m_substance_index = index == SUBSTANCE_NONE ? -1 : int32_t(index);
    return m_substance_index;
}

grass_property_u *grass_set_u::get_property(uint32_t i) const {
    return unit_cast<grass_property_u>(m_properties[i].get());
}

bool grass_set_u::_call_post_load() {
    if (!unit_t::_call_post_load()) return false;
    if (resolve_substance() < 0) {
        error("[grass_set_u] invalid substance '%s' referenced", m_substance.c_str());
        return false;
    }
    return true;
}

}  // namespace quarn
