#include "game/visuals/models/model_template.h"

#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_geom.h"
#include "outside/qrnshared/material.h"
#include "qrncore/strings/name_token.h"
#include "qrncore/strings/paths.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr unit_attr_t<UNIT_ATTR_RESOURCE> desc_domain{{&model_desc_u::unit_descriptor, 0, nullptr}};
constexpr unit_attr_t<UNIT_ATTR_RESOURCE> geom_domain{{&model_geom_u::unit_descriptor, 0, nullptr}};

}  // namespace

QRN_UNIT_DEFINE_ABSTRACT(model_hookup_u, "model_hookup");
QRN_UNIT_DEFINE(model_template_u, "model_template",
                QRN_ATTR(m_model_desc, UNIT_ATTR_RESOURCE, "model_desc", &desc_domain),
                QRN_ATTR(m_model_geom, UNIT_ATTR_RESOURCE, "model_geom", &geom_domain),
                QRN_ATTR(m_look, UNIT_ATTR_TOKEN, "look"), QRN_ATTR(m_variant, UNIT_ATTR_TOKEN, "variant"),
                QRN_ATTR(m_rigid, UNIT_ATTR_BOOL, "rigid"));

// ---- model_hookup_u ----

bool model_hookup_u::refuse_as_hookup() {
    error("This object can not be really used as a hookup.");
    return false;
}

bool model_hookup_u::attach(model_hookup_u *, const placement_t &) { return refuse_as_hookup(); }
bool model_hookup_u::detach() { return refuse_as_hookup(); }
bool model_hookup_u::update(float) { return refuse_as_hookup(); }
bool model_hookup_u::draw() { return refuse_as_hookup(); }

placement_node_t *model_hookup_u::get_placement_node() {
    refuse_as_hookup();
    return nullptr;
}

// ---- model_template_u ----

model_template_u::~model_template_u() { drop_model(); }

void model_template_u::drop_model() {
    for (c_item_t *m : m_materials)
        if (m) m->release_ref();
    m_materials.clear();
    m_pieces.clear();
    m_geom.release();
    m_desc.release();
    m_part_count = 0;
    m_loaded = false;
}

const char *model_template_u::get_desc_path() const { return m_desc ? m_desc->get_path() : ""; }

c_item_t *model_template_u::get_piece_material(uint32_t piece) const {
    const uint32_t slot = m_pieces[piece].material_slot;
    return slot < m_materials.get_count() ? m_materials[slot] : nullptr;
}

bool model_template_u::template_set_model(model_desc_u *desc, model_geom_u *geom, bool rigid) {
    drop_model();
    if (!desc || !geom) {
        error("[model] A model needs a descriptor and a geometry");
        return false;
    }
    if (!m_desc.set(desc) || !m_geom.set(geom) || !desc->is_ready() || !geom->is_ready()) {
        error("[model] The model '%s' could not be loaded", desc->get_path());
        drop_model();
        return false;
    }
    const model_desc_view_t &d = desc->view();
    const model_geom_view_t &g = geom->view();
    // Attribute lookups walk the descriptor's part table by the geometry's part
    // indices: the two must agree.
    if (d.get_part_count() != g.get_part_count()) {
        error("[model] The model '%s' has %u parts, its geometry '%s' has %u", desc->get_path(), d.get_part_count(),
              geom->get_path(), g.get_part_count());
        drop_model();
        return false;
    }
    const uint32_t pieces = g.get_piece_count();
    if (!m_pieces.request_capacity(pieces)) {
        error("[model] No memory for the pieces of '%s'", desc->get_path());
        drop_model();
        return false;
    }
    for (uint32_t i = 0; i < pieces; ++i) {
        model_piece_t p;
        p.vertex_count = g.get_vertex_count(i);
        p.index_count = g.get_index_count(i);
        p.material_slot = g.get_material_slot(i);
        p.positions = g.get_positions(i);
        p.normals = g.get_normals(i);
        p.texcoords = g.get_texcoords(i);
        p.colours = g.get_colors(i);
        p.further = g.get_further(i);
        p.tangents = g.get_tangents(i);
        p.indices = g.get_indices(i);
        // A material slot the descriptor does not have would index past its table.
        if (p.material_slot >= d.get_material_count())
            error("[model] Piece %u of the model '%s' names material slot %u of %u: it is drawn without a material", i,
                  desc->get_path(), p.material_slot, d.get_material_count());
        m_pieces.append(p);
    }
    for (uint32_t part = 0; part < g.get_part_count(); ++part) {
        const uint32_t first = g.get_part_first_piece(part);
        for (uint32_t k = 0; k < g.get_part_piece_count(part); ++k) m_pieces[first + k].part = part;
    }
    m_part_count = g.get_part_count();
    m_rigid = rigid;
    m_loaded = true;
    // The attributes name the model, so that it is saved and cloned as it is.
    set_value(&unit_attributes[0], static_cast<unit_base_t *>(desc));
    set_value(&unit_attributes[1], geom == desc->peek_geometry() ? nullptr : static_cast<unit_base_t *>(geom));
    return true;
}

bool model_template_u::template_set_look(uint32_t look, const char *directory) {
    if (!m_loaded) return false;
    const model_desc_view_t &d = m_desc->view();
    if (look >= d.get_look_count()) {
        error("[model] The model '%s' has no look %u (it has %u)", m_desc->get_path(), look, d.get_look_count());
        return false;
    }
    array_dyn_t<c_item_t *> materials;
    if (!materials.request_capacity(d.get_material_count())) {
        error("[model] No memory for the materials of '%s'", m_desc->get_path());
        return false;
    }
    for (uint32_t slot = 0; slot < d.get_material_count(); ++slot) {
        const char *raw = d.get_material_path(look, slot);
        mstring_dyn_t path;
        const bool ok = raw[0] == '/' ? path.copy(raw) : v_fncompose(path, directory ? directory : "", raw);
        materials.append(ok ? get_material(path.c_str()) : nullptr);
    }
    for (c_item_t *m : m_materials)
        if (m) m->release_ref();
    m_materials = static_cast<array_dyn_t<c_item_t *> &&>(materials);
    m_look_index = look;
    m_look = d.get_look_name(look);
    return true;
}

bool model_template_u::template_set_variant(uint32_t variant) {
    if (!m_loaded) return false;
    const model_desc_view_t &d = m_desc->view();
    if (variant >= d.get_variant_count()) {
        error("[model] The model '%s' has no variant %u (it has %u)", m_desc->get_path(), variant,
              d.get_variant_count());
        return false;
    }
    m_variant_index = variant;
    m_variant = d.get_variant_name(variant);
    return true;
}

bool model_template_u::set_model(model_desc_u *desc, model_geom_u *geom, bool rigid) {
    return template_set_model(desc, geom, rigid);
}

bool model_template_u::set_look(uint32_t look, const char *directory) { return template_set_look(look, directory); }

bool model_template_u::set_variant(uint32_t variant) { return template_set_variant(variant); }

bool model_template_u::set_up_from_attributes() {
    unit_base_t *d = m_model_desc.value;
    if (!d || !d->is_kind_of(model_desc_u::unit_descriptor)) {
        error("[model] The model template '%s' names no model descriptor", name_text().c_str());
        return false;
    }
    model_desc_u *desc = static_cast<model_desc_u *>(d);
    // The descriptor's data is needed to find its geometry.
    model_hold_t<model_desc_u> hold;
    if (!hold.set(desc) || !desc->is_ready()) {
        error("[model] The model descriptor '%s' could not be loaded", desc->get_item()->get_name());
        return false;
    }
    unit_base_t *g = m_model_geom.value;
    model_geom_u *geom = g && g->is_kind_of(model_geom_u::unit_descriptor) ? static_cast<model_geom_u *>(g)
                                                                           : desc->get_geometry();
    if (!template_set_model(desc, geom, m_rigid)) return false;
    const model_desc_view_t &view = desc->view();
    // Names the descriptor does not have fall back to index 0; the attributes then
    // name what is used.
    int32_t look = -1, variant = -1;
    for (uint32_t i = 0; i < view.get_look_count() && look < 0; ++i)
        if (view.get_look_name(i) == m_look) look = int32_t(i);
    for (uint32_t i = 0; i < view.get_variant_count() && variant < 0; ++i)
        if (view.get_variant_name(i) == m_variant) variant = int32_t(i);
    return template_set_look(look < 0 ? 0 : uint32_t(look), desc->get_directory()) &&
           template_set_variant(variant < 0 ? 0 : uint32_t(variant));
}

bool model_template_u::_call_post_load() {
    return model_hookup_u::_call_post_load() && set_up_from_attributes();
}

bool model_template_u::_clone_finish(unit_base_t *target) {
    return static_cast<model_template_u *>(target)->set_up_from_attributes();
}

}  // namespace quarn
