#include "game/ai/antlers/antler_units.h"

#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_lib.h"
#include "game/visuals/models/model_object.h"
#include "qrncore/math/matrix_table.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

antler_packet_provider_t *packet_provider = nullptr;

// Entries of a factory's list are parts with a score band, and there are no holes.
constexpr unit_attr_t<UNIT_ATTR_REF_ARRAY> beam_parts_domain{{&antler_part_simple_u::unit_descriptor, 1}};
constexpr unit_attr_t<UNIT_ATTR_REF_ARRAY> scores_domain{{&antler_score_u::unit_descriptor, 0}};

}  // namespace

QRN_UNIT_DEFINE(antler_part_u, "antler_part", QRN_ATTR(model, UNIT_ATTR_STRING, "model"),
                QRN_ATTR(variant, UNIT_ATTR_STRING, "variant"));
QRN_UNIT_DEFINE(antler_part_simple_u, "antler_part_simple", QRN_ATTR(pretty_name, UNIT_ATTR_STRING, "pretty_name"),
                QRN_ATTR(min_simple_score, UNIT_ATTR_FLOAT, "min_simple_score"),
                QRN_ATTR(max_simple_score, UNIT_ATTR_FLOAT, "max_simple_score"));
QRN_UNIT_DEFINE(antler_factory_u, "antler_factory",
                QRN_ATTR(simple_beam_parts, UNIT_ATTR_REF_ARRAY, "simple_beam_parts", &beam_parts_domain));
QRN_UNIT_DEFINE(antler_desc_u, "antler_desc", QRN_ATTR(score_type, UNIT_ATTR_INT32, "score_type"),
                QRN_ATTR(side, UNIT_ATTR_INT32, "side"), QRN_ATTR(seed, UNIT_ATTR_INT32, "seed"),
                QRN_ATTR(main_beam_index, UNIT_ATTR_INT32, "main_beam_index"),
                QRN_ATTR(main_beam, UNIT_ATTR_STRING, "main_beam"), QRN_ATTR(scale, UNIT_ATTR_FLOAT, "scale"));
QRN_UNIT_DEFINE(antler_score_u, "antler_score", QRN_ATTR(simple_score, UNIT_ATTR_FLOAT, "simple_score"));
QRN_UNIT_DEFINE(antler_pair_score_u, "antler_pair_score",
                QRN_ATTR(scores, UNIT_ATTR_REF_ARRAY, "scores", &scores_domain),
                QRN_ATTR(total_score, UNIT_ATTR_FLOAT, "total_score"));

void antler_set_packet_provider(antler_packet_provider_t *provider) { packet_provider = provider; }
antler_packet_provider_t *antler_get_packet_provider() { return packet_provider; }

void antler_fill_packets(r_parameter_array_t &packets, fw4pp_model_u *model_packet,
                         fw4pp_light_modulator_u *tint_packet) {
    if (packet_provider)
        if (const r_parameter_array_t *shared = packet_provider->get_shared_packets())
            for (uint32_t slot = 0; slot < r_parameter_array_t::SLOTS; ++slot) packets.set(slot, shared->get(slot));
    packets.set(FW_SLOT_MODEL, model_packet);
    packets.set(FW_SLOT_LIGHT_MODULATOR, tint_packet);
}

// ---- antler_part_u ----

void antler_part_u::on_construct() {
    m_model_packet = fw4pp_model_u::create(get_system());
    m_tint_packet = fw4pp_light_modulator_u::create(get_system());
}

void antler_part_u::on_destroy() {
    m_object.reset();
    m_packets.clear();
    m_tint_packet.reset();
    m_model_packet.reset();
}

bool antler_part_u::load_model() {
    m_object.reset();
    m_packets.clear();
    // Empty names are not asked for: the manager would only log a name it cannot open.
    model_ref_t<model_desc_u> desc(model.is_empty() ? nullptr : model_desc_u_obtain(model.c_str()));
    const int32_t v = desc ? desc->find_variant(variant.c_str()) : -1;
    if (v >= 0 && m_model_packet && m_tint_packet) {
        antler_fill_packets(m_packets, m_model_packet.get(), m_tint_packet.get());
        model_packets_for_all_t all(&m_packets);
        m_object = desc->create_object(0, uint32_t(v), &all);
    }
    if (!m_object) {
        m_packets.clear();
        error("[animal] Failed to load model (%s)", model.c_str());
        return false;
    }
    m_object->set_packets(&m_packets, m_model_packet.get());
    m_object->set_placement_mode(MODEL_PLACE_BY_MATRIX);
    return true;
}

void antler_part_u::draw_at(const mat4_t &matrix, float level) {
    if (!m_object) return;
    m_model_packet->matrix = matrix;
    if (!fptr_matrix_get_inverse(&m_model_packet->matrix_inv, &matrix)) m_model_packet->matrix_inv = mat4_t::identity();
    m_tint_packet->modulator = {level, level, level, 1.0f};
    m_object->set_draw_matrix(matrix);
    m_object->draw();
}

bool antler_part_u::_call_post_load() { return unit_t::_call_post_load() && load_model(); }

bool antler_part_u::_clone_finish(unit_base_t *target) {
    antler_part_u *copy = unit_cast<antler_part_u>(target);
    return copy && copy->load_model();
}

// ---- antler_factory_u ----

antler_part_simple_u *antler_factory_u::get_part(uint32_t index) const {
    return index < simple_beam_parts.get_count() ? unit_cast<antler_part_simple_u>(simple_beam_parts[index].get())
                                                  : nullptr;
}

bool antler_factory_u::_call_post_load() {
    if (!unit_t::_call_post_load()) return false;
    for (uint32_t i = 0; i < simple_beam_parts.get_count(); ++i) {
        if (get_part(i)) continue;
        error("[animal] Antler factory '%s' has no part at %u", name_text().c_str(), i);
        return false;
    }
    return true;
}

// ---- antler_pair_score_u ----

void antler_pair_score_u::on_construct() {
    for (int side = 0; side < 2; ++side) {
        owner_ptr_ret_t<antler_score_u> score = antler_score_u::create(get_system());
        if (score) scores.append(ref_ptr_t<unit_base_t>(score.take()));
    }
}

void antler_pair_score_u::_call_pre_load() {
    scores.clear();
    unit_t::_call_pre_load();
}

}  // namespace quarn
