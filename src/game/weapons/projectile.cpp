#include "game/weapons/projectile.h"

#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/visuals/models/model_geom.h"
#include "game/visuals/models/model_object.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_load_tree.h"

namespace quarn {

namespace {
constinit const unit_attr_t<UNIT_ATTR_OWNER> model_domain{&model_object_u::unit_descriptor, 0};
constinit const unit_attr_t<UNIT_ATTR_OWNER> casing_domain{&casing_u::unit_descriptor, 0};
constinit const unit_attr_t<UNIT_ATTR_OWNER> pellet_domain{&pellet_u::unit_descriptor, 0};

template <class T>
T *live(const owner_ptr_t<unit_base_t> &slot) {
    unit_base_t *unit = slot.get();
    return unit && unit->is_alive() ? unit_cast<T>(unit) : nullptr;
}
}  // namespace

QRN_UNIT_DEFINE(pellet_u, "pellet",
                QRN_ATTR(pellet_drift, UNIT_ATTR_FLOAT, "pellet_drift"),
                QRN_ATTR(model_object, UNIT_ATTR_OWNER, "model_object", &model_domain));

QRN_UNIT_DEFINE(casing_u, "casing", QRN_ATTR(model_object, UNIT_ATTR_OWNER, "model_object", &model_domain));

QRN_UNIT_DEFINE(projectile_u, "projectile",
                QRN_ATTR(casing, UNIT_ATTR_OWNER, "casing", &casing_domain),
                QRN_ATTR(pellet, UNIT_ATTR_OWNER, "pellet", &pellet_domain),
                QRN_ATTR(pellet_count, UNIT_ATTR_UINT32_PLAIN, "pellet_count"),
                QRN_ATTR(muzzle_smoke, UNIT_ATTR_STRING, "muzzle_smoke"));

// ---- pellet ----

model_object_u *pellet_u::get_model() const { return live<model_object_u>(model_object); }

bool pellet_u::_call_post_load() {
    if (!unit_t::_call_post_load()) return false;
    if (!get_model()) {
        error("[game] pellet_model not found");
        return false;
    }
    return true;
}

// ---- casing ----

model_object_u *casing_u::get_model() const { return live<model_object_u>(model_object); }

bool casing_u::_call_post_load() {
    if (!unit_t::_call_post_load()) return false;
    if (!get_model()) {
        error("[game] model_object not found");
        return false;
    }
    return true;
}

void casing_u::on_destroy() {
    m_packets.clear();
    m_model_packet.reset();
}

bool casing_u::prepare() {
    m_model_packet = fw4pp_model_u::create(get_system());
    if (!m_model_packet) return false;
    m_packets.clear();
    base_ctrl_u *ctrl = get_current_ctrl();
    m_packets.set(FW_SLOT_LIGHT, ctrl ? ctrl->get_light_packet(0) : nullptr);
    m_packets.set(FW_SLOT_FOG, ctrl ? ctrl->get_fog_packet() : nullptr);
    m_packets.set(FW_SLOT_CAMERA, ctrl ? ctrl->get_camera_packet(0) : nullptr);
    m_packets.set(FW_SLOT_MODEL, m_model_packet.get());
    if (model_object_u *model = get_model()) {
        model_packets_for_all_t provider(&m_packets);
        model->apply_materials(&provider);
    }
    return true;
}

void casing_u::place(const placement_t &placement) {
    m_placement = placement;
    if (m_model_packet) m_model_packet->set_matrix_and_inverse(placement_scale_t(placement.position, 1.0f, placement.rotation));
    model_object_u *model = get_model();
    model_geom_u *geom = model ? model->get_geom() : nullptr;
    m_bounds = geom ? geom->get_bounding_sphere(-1) : sphere_t{};
    m_bounds.translate(placement.position);
    if (model) model->set_placement(placement);
}

// ---- projectile ----

pellet_u *projectile_u::get_pellet() const { return live<pellet_u>(pellet); }
casing_u *projectile_u::get_casing() const { return live<casing_u>(casing); }

bool projectile_u::_call_post_load() {
    if (!unit_base_t::_call_post_load()) return false;
    pellet_u *p = get_pellet();
    if (!p) {
        error("[game] No pellet found");
        return false;
    }
    casing_u *c = get_casing();
    if (!c) {
        error("[game] No casing found");
        return false;
    }
    if (pellet_count == 0) {
        error("[game] pellet_count must be > 0");
        return false;
    }
    if (!c->prepare()) return false;
    // The pellet is not drawn by the shot: its materials only, no packets.
    if (model_object_u *model = p->get_model()) model->apply_materials(nullptr);
    return true;
}

owner_ptr_ret_t<projectile_u> load_projectile_tree(const char *path) { return load_unit_tree<projectile_u>(path); }

}  // namespace quarn
