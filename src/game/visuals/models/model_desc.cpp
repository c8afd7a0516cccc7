#include "game/visuals/models/model_desc.h"

#include "game/visuals/models/model_file.h"
#include "game/visuals/models/model_geom.h"
#include "game/visuals/models/model_object.h"
#include "qrncore/strings/name_token.h"
#include "qrncore/strings/paths.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

QRN_UNIT_DEFINE(model_desc_u, "model_desc");

bool model_desc_u::load_memory() { return model_file_load(*this, m_view); }

void model_desc_u::unload_memory() {
    m_geom.release();
    model_file_unload(*this, m_view);
}

void model_desc_u::post_move(void *, void *new_data) { m_view.rebase(new_data); }

bool model_desc_u::bind_item(c_item_t *item) { return resource_unit_u::bind_item(item) && model_file_bind(item); }

void model_desc_u::unbind_item(c_item_t *item) {
    if (item && item == get_item()) {
        unload_memory();
        model_lib_unlock();
    }
    resource_unit_u::unbind_item(item);
}

model_geom_u *model_desc_u::get_geometry() {
    if (m_geom) return m_geom.get();
    if (!m_view.is_open()) return nullptr;
    mstring_dyn_t path;
    if (!path.copy(m_view.get_path()) || !v_change_extension(path, ".zmg")) {
        error("[model] No geometry path for '%s'", m_view.get_path());
        return nullptr;
    }
    model_ref_t<model_geom_u> geom(model_geom_u_obtain(path.c_str()));
    if (!geom || !m_geom.set(geom.get())) {
        error("[model] The geometry '%s' of the model '%s' could not be loaded", path.c_str(), m_view.get_path());
        return nullptr;
    }
    return m_geom.get();
}

const char *model_desc_u::get_string_attribute(uint32_t part, const char *name) const {
    if (!m_view.is_open() || part >= m_view.get_part_count()) return nullptr;
    return m_view.get_string_attribute(part, name);
}

bool model_desc_u::get_material_path(uint32_t look, uint32_t slot, mstring_t &out) const {
    if (!m_view.is_open() || look >= m_view.get_look_count() || slot >= m_view.get_material_count()) return false;
    return m_view.get_material_path(look, slot, out);
}

bool model_desc_u::indices_of(const char *look, const char *variant, uint32_t &l, uint32_t &v) const {
    if (!m_view.is_open()) return false;
    const int32_t li = m_view.find_look(look ? look : "");
    const int32_t vi = li < 0 ? -1 : m_view.find_variant(variant ? variant : "");
    if (li < 0 || vi < 0) return false;
    l = uint32_t(li);
    v = uint32_t(vi);
    return true;
}

bool model_desc_u::indices_of(uint64_t look, uint64_t variant, uint32_t &l, uint32_t &v) const {
    if (!m_view.is_open()) return false;
    const int32_t li = m_view.find_look(look);
    const int32_t vi = li < 0 ? -1 : m_view.find_variant(variant);
    if (li < 0 || vi < 0) return false;
    l = uint32_t(li);
    v = uint32_t(vi);
    return true;
}

owner_ptr_ret_t<unit_base_t> model_desc_u::make(const unit_descriptor_t &d, uint32_t look, uint32_t variant,
                                                bool rigid, model_packet_provider_t *provider) {
    if (!m_view.is_open()) {
        error("[model] The model descriptor '%s' is not loaded", get_item() ? get_item()->get_name() : "");
        return {};
    }
    model_geom_u *geom = get_geometry();
    if (!geom) return {};
    unit_system_t *system = unit_system_t::get_default();
    owner_ptr_t<unit_base_t> unit(
        owner_ptr_ret_t<unit_base_t>(system ? unit_system_t::create_unit_in(system, d) : nullptr));
    if (!unit) {
        error("[model] No unit for the model '%s'", m_view.get_path());
        return {};
    }
    model_template_u *t = static_cast<model_template_u *>(unit.get());
    if (!t->set_model(this, geom, rigid) || !t->set_look(look, get_directory()) || !t->set_variant(variant))
        return {};
    if (t->is_kind_of(model_object_u::unit_descriptor)) static_cast<model_object_u *>(t)->apply_materials(provider);
    return unit.release();
}

owner_ptr_ret_t<model_inst_u> model_desc_u::create_inst(uint32_t look, uint32_t variant, bool rigid) {
    return unit_cast<model_inst_u>(make(model_inst_u::unit_descriptor, look, variant, rigid, nullptr));
}

owner_ptr_ret_t<model_inst_u> model_desc_u::create_inst_by_token(uint64_t look, uint64_t variant) {
    uint32_t l = 0, v = 0;
    if (!indices_of(look, variant, l, v)) return {};
    return create_inst(l, v, false);
}

owner_ptr_ret_t<model_inst_u> model_desc_u::create_inst_by_name(const char *look, const char *variant) {
    uint32_t l = 0, v = 0;
    if (!indices_of(look, variant, l, v)) return {};
    return create_inst(l, v, false);
}

owner_ptr_ret_t<model_object_u> model_desc_u::create_object(uint32_t look, uint32_t variant,
                                                            model_packet_provider_t *provider, bool rigid) {
    return unit_cast<model_object_u>(make(model_object_u::unit_descriptor, look, variant, rigid, provider));
}

owner_ptr_ret_t<model_object_u> model_desc_u::create_object_by_token(uint64_t look, uint64_t variant,
                                                                     model_packet_provider_t *provider) {
    uint32_t l = 0, v = 0;
    if (!indices_of(look, variant, l, v)) return {};
    return create_object(l, v, provider);
}

owner_ptr_ret_t<model_object_u> model_desc_u::create_object_by_name(const char *look, const char *variant,
                                                                    model_packet_provider_t *provider) {
    uint32_t l = 0, v = 0;
    if (!indices_of(look, variant, l, v)) return {};
    return create_object(l, v, provider);
}

owner_ptr_ret_t<model_template_u> model_desc_u::create_template(uint32_t look, uint32_t variant) {
    return unit_cast<model_template_u>(make(model_template_u::unit_descriptor, look, variant, false, nullptr));
}

owner_ptr_ret_t<model_template_u> model_desc_u::create_template_by_name(const char *look, const char *variant) {
    uint32_t l = 0, v = 0;
    if (!indices_of(look, variant, l, v)) return {};
    return create_template(l, v);
}

owner_ptr_ret_t<model_template_u> model_desc_u::create_default_template() {
    return unit_cast<model_template_u>(make(model_template_u::unit_descriptor, 0, 0, true, nullptr));
}

}  // namespace quarn
