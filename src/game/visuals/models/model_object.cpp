#include "game/visuals/models/model_object.h"

#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_geom.h"
#include "game/visuals/shaders/fw_packets.h"
#include "kernel/gfx/gfx.h"
#include "outside/qrnshared/effect.h"
#include "outside/qrnshared/material.h"
#include "outside/qrnshared/r_proto.h"
#include "outside/qrnshared/r_queue.h"
#include "outside/visbase/camera.h"
#include "qrncore/math/matrix_table.h"
#include "qrncore/strings/name_token.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

QRN_UNIT_DEFINE(model_object_u, "model_object",
                QRN_ATTR(m_visible_parts, UNIT_ATTR_TOKEN_ARRAY, "visible_parts"),
                QRN_ATTR(m_invisible_parts, UNIT_ATTR_TOKEN_ARRAY, "invisible_parts"));
QRN_UNIT_DEFINE(model_duplicate_u, "model_duplicate");

namespace {

// A model packet of the object's own, in the default unit system.
owner_ptr_ret_t<unit_base_t> new_model_packet() { return create_fw4pp_model_unit(); }

// base with slot 1 replaced by packet.
void copy_with_model_packet(r_parameter_array_t &out, const r_parameter_array_t &base, parameter_packet_u *packet) {
    out.clear();
    for (uint32_t i = 0; i < r_parameter_array_t::SLOTS; ++i) out.set(i, base.get(i));
    out.set(1, packet);
}

}  // namespace

r_parameter_array_t *model_packets_for(model_packet_provider_t *provider, const unit_descriptor_t *effect_class) {
    if (!provider) return nullptr;
    for (const unit_descriptor_t *d = effect_class; d; d = d->parent) {
        if (r_parameter_array_t *array = provider->get_packets(d)) return array;
        if (d == &effect_u::unit_descriptor) break;
    }
    return provider->get_packets(nullptr);
}

// ---- model_object_u ----

model_object_u::~model_object_u() {
    drop_protos();
    m_hookups.clear();
    m_packets = nullptr;
    m_own_packets.clear();
}

void model_object_u::drop_protos() {
    for (r_proto_t *p : m_protos) gfx_free_proto(p);
    m_protos.clear();
}

bool model_object_u::build_protos() {
    drop_protos();
    const uint32_t pieces = get_piece_count();
    if (!m_protos.request_capacity(pieces)) {
        error("[model] No memory for the prototypes of '%s'", get_desc_path());
        return false;
    }
    for (uint32_t i = 0; i < pieces; ++i) {
        r_proto_t *p = gfx_alloc_proto();
        if (!p) {
            error("[model] No prototype for '%s'", get_desc_path());
            drop_protos();
            return false;
        }
        p->set_vpacket(0, get_vertex_packet(i));
        p->set_ipacket(get_index_packet(i));
        p->set_material(get_piece_material(i));
        p->parameters = m_packets;
        m_protos.append(p);
    }
    return true;
}

void model_object_u::give_materials() {
    for (uint32_t i = 0; i < m_protos.get_count(); ++i) m_protos[i]->set_material(get_piece_material(i));
}

bool model_object_u::set_model(model_desc_u *desc, model_geom_u *geom, bool rigid) {
    drop_protos();
    return model_inst_u::set_model(desc, geom, rigid) && build_protos();
}

bool model_object_u::set_look(uint32_t look, const char *directory) {
    if (!template_set_look(look, directory)) return false;
    give_materials();
    return true;
}

void model_object_u::apply_materials(model_packet_provider_t *provider) {
    give_materials();
    if (!provider) return;
    for (r_proto_t *p : m_protos) {
        const material_t *material = material_of(p->material);
        const effect_u *effect = material ? material->effect.get() : nullptr;
        if (!effect) continue;
        p->parameters = model_packets_for(provider, effect->get_descriptor());
        if (!p->parameters)
            warning("[model] Client failed to provide the parameter packet array for use with effect class '%s'.",
                    effect->get_descriptor()->class_name->c_str());
    }
}

void model_object_u::set_packets(r_parameter_array_t *array, fw4pp_model_u *model_packet) {
    m_packets = array;
    m_model_packet = model_packet;
}

bool model_object_u::make_own_packets(const r_parameter_array_t &base) {
    owner_ptr_t<unit_base_t> packet(new_model_packet());
    if (!packet) {
        error("[model] No model packet for '%s'", get_desc_path());
        return false;
    }
    copy_with_model_packet(m_own_packets, base, static_cast<parameter_packet_u *>(packet.get()));
    m_model_packet = static_cast<fw4pp_model_u *>(packet.get());
    m_own_model_packet = static_cast<owner_ptr_t<unit_base_t> &&>(packet);
    m_packets = &m_own_packets;
    model_packets_for_all_t all(m_packets);
    apply_materials(&all);
    return true;
}

void model_object_u::set_draw_matrix(const mat4_t &matrix) {
    m_draw_matrix = matrix;
    m_mode = MODEL_PLACE_BY_MATRIX;
}

mat4_t model_object_u::get_matrix() {
    if (m_mode >= MODEL_PLACE_BY_MATRIX) return m_draw_matrix;
    const placement_t &p = m_node.get_absolute();
    return placement_scale_t(p.position, m_scale, p.rotation).compute_matrix();
}

bool model_object_u::is_visible() {
    if (!is_loaded()) return false;
    return gfx_sphere_visible(get_geom()->get_bounding_sphere(-1), get_matrix());
}

bool model_object_u::draw() {
    if (!is_loaded()) return false;
    update_bones();
    if (m_model_packet) {
        if (m_mode >= MODEL_PLACE_BY_MATRIX) {
            m_model_packet->matrix = m_draw_matrix;
            if (!fptr_matrix_get_inverse(&m_model_packet->matrix_inv, &m_draw_matrix))
                m_model_packet->matrix_inv = mat4_t::identity();
        } else {
            const placement_t &p = m_node.get_absolute();
            m_model_packet->set_matrix_and_inverse(placement_scale_t(p.position, m_scale, p.rotation));
        }
    }
    const model_geom_view_t &g = get_geom()->view();
    for (uint32_t part = 0; part < get_part_count(); ++part) {
        if (!is_part_visible(part)) continue;
        const uint32_t first = g.get_part_first_piece(part);
        for (uint32_t i = first; i < first + g.get_part_piece_count(part); ++i) gfx_queue_proto(m_protos[i]);
    }
    for (const ref_ptr_t<model_hookup_u> &h : m_hookups) h->draw();
    return true;
}

void model_object_u::draw_hookups(const unit_descriptor_t &d) {
    for (const ref_ptr_t<model_hookup_u> &h : m_hookups)
        if (h->is_kind_of(d)) h->draw();
}

bool model_object_u::add_hookup(model_hookup_u *hookup, const placement_t &relative) {
    if (!hookup || hookup == this || !hookup->attach(this, relative)) return false;
    if (!m_hookups.append(ref_ptr_t<model_hookup_u>(hookup))) {
        error("[model] No memory for another hookup of '%s'", get_desc_path());
        return false;
    }
    return true;
}

void model_object_u::remove_hookup(model_hookup_u *hookup) {
    for (uint32_t i = 0; i < m_hookups.get_count(); ++i) {
        if (m_hookups[i].get() != hookup) continue;
        m_hookups.remove(i);
        return;
    }
}

bool model_object_u::attach(model_hookup_u *owner, const placement_t &relative) {
    placement_node_t *parent = owner ? owner->get_placement_node() : nullptr;
    if (!parent) return false;
    m_node.set_parent(parent);
    m_node.set_relative(relative);
    return true;
}

bool model_object_u::detach() {
    error("FIXME: model_object_u as hookup is not supported yet.");
    return false;
}

bool model_object_u::update(float seconds) {
    for (const ref_ptr_t<model_hookup_u> &h : m_hookups) h->update(seconds);
    return true;
}

void model_object_u::apply_part_lists() {
    auto apply = [&](array_dyn_t<uint64_t> &names, bool visible) {
        for (uint64_t name : names) {
            const int32_t part = get_geom()->find_part(name);
            if (part >= 0) {
                set_part_visible(uint32_t(part), visible);
                continue;
            }
            mstring_dyn_t text;
            token_to_string(text, name);
            error("[model] Unknown part name: %s in model %s.", text.c_str(), get_desc_path());
        }
        names.clear();
    };
    apply(m_visible_parts, true);
    apply(m_invisible_parts, false);
}

bool model_object_u::_call_post_load() {
    if (!model_inst_u::_call_post_load() || !build_protos()) return false;
    apply_part_lists();
    return true;
}

bool model_object_u::_call_pre_save() {
    if (!model_inst_u::_call_pre_save()) return false;
    m_visible_parts.clear();
    m_invisible_parts.clear();
    if (!is_loaded()) return true;
    const model_geom_view_t &g = get_geom()->view();
    for (uint32_t part = 0; part < get_part_count(); ++part) {
        array_dyn_t<uint64_t> &list = is_part_visible(part) ? m_visible_parts : m_invisible_parts;
        if (!list.append(g.get_part_name(part))) {
            error("[model] No memory for the part lists of '%s'", get_desc_path());
            return false;
        }
    }
    return true;
}

bool model_object_u::_call_post_save() {
    m_visible_parts.clear();
    m_invisible_parts.clear();
    return model_inst_u::_call_post_save();
}

bool model_object_u::_clone_finish(unit_base_t *target) {
    model_object_u *copy = static_cast<model_object_u *>(target);
    const bool packet = bool(m_model_packet), array = m_packets != nullptr;
    if (packet != array) {
        error("Do not know how to clone partially set up model_object_u.");
        return false;
    }
    copy->m_node.set_relative(m_node.get_relative());
    copy->m_draw_matrix = m_draw_matrix;
    copy->m_mode = m_mode;
    copy->m_scale = m_scale;
    if (!copy->build_protos()) return false;
    copy->apply_part_lists();
    if (packet) {
        owner_ptr_t<unit_base_t> clone(m_model_packet->clone());
        if (!clone) {
            error("[model] The model packet of '%s' could not be cloned", get_desc_path());
            return false;
        }
        copy_with_model_packet(copy->m_own_packets, *m_packets, static_cast<parameter_packet_u *>(clone.get()));
        copy->m_model_packet = static_cast<fw4pp_model_u *>(clone.get());
        copy->m_own_model_packet = static_cast<owner_ptr_t<unit_base_t> &&>(clone);
        copy->m_packets = &copy->m_own_packets;
    }
    // Prototypes that drew with the source's array draw with the copy's; the others
    // keep what the provider gave the source.
    for (uint32_t i = 0; i < m_protos.get_count() && i < copy->m_protos.get_count(); ++i)
        copy->m_protos[i]->parameters =
            packet && m_protos[i]->parameters == m_packets ? copy->m_packets : m_protos[i]->parameters;
    return true;
}

// ---- model_duplicate_u ----

model_duplicate_u::~model_duplicate_u() {
    drop_protos();
    m_packets.clear();
}

void model_duplicate_u::drop_protos() {
    for (r_proto_t *p : m_protos) gfx_free_proto(p);
    m_protos.clear();
}

fw4pp_model_u *model_duplicate_u::get_model_packet() const {
    return static_cast<fw4pp_model_u *>(m_model_packet.get());
}

bool model_duplicate_u::set_source(model_inst_u *source, const r_parameter_array_t &base) {
    drop_protos();
    m_source = nullptr;
    if (!source || !source->is_loaded()) {
        error("[model] A duplicate needs a loaded model");
        return false;
    }
    if (!m_model_packet) {
        m_model_packet = new_model_packet();
        if (!m_model_packet) {
            error("[model] No model packet for a duplicate of '%s'", source->get_desc_path());
            return false;
        }
    }
    copy_with_model_packet(m_packets, base, static_cast<parameter_packet_u *>(m_model_packet.get()));
    const uint32_t pieces = source->get_piece_count();
    if (!m_protos.request_capacity(pieces)) {
        error("[model] No memory for the prototypes of a duplicate of '%s'", source->get_desc_path());
        return false;
    }
    for (uint32_t i = 0; i < pieces; ++i) {
        r_proto_t *p = gfx_alloc_proto();
        if (!p) {
            drop_protos();
            return false;
        }
        p->set_vpacket(0, source->get_vertex_packet(i));
        p->set_ipacket(source->get_index_packet(i));
        p->set_material(source->get_piece_material(i));
        p->parameters = &m_packets;
        m_protos.append(p);
    }
    m_source = source;
    return true;
}

bool model_duplicate_u::draw() {
    model_inst_u *source = m_source.get();
    if (!source || !source->is_loaded()) return false;
    source->update_bones();
    const placement_t &p = m_node.get_absolute();
    get_model_packet()->set_matrix_and_inverse(placement_scale_t(p.position, 1.0f, p.rotation));
    const model_geom_view_t &g = source->get_geom()->view();
    for (uint32_t part = 0; part < source->get_part_count(); ++part) {
        if (!source->is_part_visible(part)) continue;
        const uint32_t first = g.get_part_first_piece(part);
        for (uint32_t i = first; i < first + g.get_part_piece_count(part); ++i) gfx_queue_proto(m_protos[i]);
    }
    return true;
}

bool model_duplicate_u::attach(model_hookup_u *, const placement_t &) {
    error("FIXME: model_duplicate_u support for hookups is not done yet.");
    return false;
}

bool model_duplicate_u::detach() {
    error("FIXME: model_duplicate_u support for hookups is not done yet.");
    return false;
}

bool model_duplicate_u::update(float) {
    error("FIXME: model_duplicate_u support for hookups is not done yet.");
    return false;
}

bool model_duplicate_u::_clone_finish(unit_base_t *) {
    error("FIXME: The cloning on model_duplicate_u is not done yet.");
    return false;
}

}  // namespace quarn
