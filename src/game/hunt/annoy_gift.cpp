#include "game/hunt/annoy_gift.h"

#include "game/ai/animals/animal_hookup.h"
#include "game/ai/antlers/antler_units.h"
#include "game/ai/zba/zba_inst.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/scene/scene_view.h"
#include "game/visuals/models/model_object.h"
#include "qrncore/math/matrix.h"
#include "qrncore/math/ypr.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

QRN_UNIT_DEFINE(annoy_gift_u, "annoy_gift");

const annoy_gift_u::row_t annoy_gift_u::ROWS[ROW_COUNT] = {
    {"grizzly.male.animal.model.desc", {-0.1f, -2.0f, -1.4f}, {-0.1f, -0.95f, -1.4f}, 195.0f, 20.0f, 0.7f},
    {"moose.male.animal.model.desc", {-0.1f, -2.7f, -1.7f}, {-0.1f, -1.45f, -1.7f}, 195.0f, 20.0f, 0.7f},
    {"whitetail.male.animal.model.desc", {0.02f, -2.0f, -1.0f}, {0.02f, -0.81f, -1.0f}, 170.0f, 15.0f, 0.7f},
    {"whitetail.female.animal.model.desc", {0.02f, -2.0f, -1.0f}, {0.02f, -0.78f, -1.0f}, 170.0f, 10.0f, 0.7f},
};

namespace {

// Process-wide: each gift shows the animal after the last one shown.
uint32_t last_row = 0;

// The scene's packets the head is drawn with: the first-person camera (camera 2),
// the fog, light 6 (index 5).
constexpr uint32_t HEAD_CAMERA = 1;
constexpr uint32_t HEAD_LIGHT = 5;
constexpr float ANTLER_TINT = 1.0f;

// Hands the head's packets to the antlers while they build their models, so they are
// seen through the same camera and light as the head.
class head_packets_t : public antler_packet_provider_t {
public:
    explicit head_packets_t(const r_parameter_array_t &packets) : m_packets(packets) {}
    const r_parameter_array_t *get_shared_packets() override { return &m_packets; }

private:
    const r_parameter_array_t &m_packets;
};

quat_t turn_of(float yaw, float pitch) {
    quat_t yaw_q, pitch_q;
    yaw_q.set(ypr_t(yaw, 0.0f, 0.0f));
    pitch_q.set(ypr_t(0.0f, pitch, 0.0f));
    return yaw_q * pitch_q;
}

}  // namespace

uint32_t annoy_gift_u::get_last_row() { return last_row; }
void annoy_gift_u::set_last_row(uint32_t row) { last_row = row % ROW_COUNT; }

float annoy_gift_u::rise_for(float p) {
    if (p < 0.2f) return (5.0f * p) * (5.0f * p);
    if (p > 0.8f) return (1.0f - p) * 5.0f;
    return 1.0f;
}

animal_model_desc_u *annoy_gift_u::get_desc() const { return m_desc.get(); }

zba_inst_t *annoy_gift_u::get_zba() const { return m_zba ? zba_inst_t::of(m_zba.get()) : nullptr; }

model_object_u *annoy_gift_u::get_model() const {
    zba_inst_t *inst = get_zba();
    return inst ? inst->get_model() : nullptr;
}

uint32_t annoy_gift_u::get_antler_count() const { return (m_antlers[0] ? 1 : 0) + (m_antlers[1] ? 1 : 0); }

animal_antler_u *annoy_gift_u::get_antler(uint32_t side) const {
    return side < 2 ? unit_cast<animal_antler_u>(m_antlers[side].get()) : nullptr;
}

void annoy_gift_u::apply() {
    const uint32_t row = (last_row + 1) % ROW_COUNT;
    auto *desc = unit_cast<animal_model_desc_u>(unit_system_t::find_unit(ROWS[row].description));
    if (!desc || !desc->is_alive()) {
        error("[game] No animal description '%s': the annoy gift shows nothing", ROWS[row].description);
        return;
    }
    if (!build(desc)) {
        error("[game] The head of '%s' could not be made: the annoy gift shows nothing", ROWS[row].description);
        return;
    }
    m_row = int32_t(row);
    last_row = row;
    m_timer.start();
}

bool annoy_gift_u::build(animal_model_desc_u *desc) {
    m_zba = desc->create_zba_inst(nullptr);
    model_object_u *model = get_model();
    m_model_packet = fw4pp_model_u::create(get_system());
    if (!model || !m_model_packet) {
        m_zba.release();
        m_model_packet.reset();
        return false;
    }
    m_desc = desc;
    hunt_ctrl_u *hunt = hunt_ctrl_u::current();
    if (hunt) {
        m_packets.set(FW_SLOT_CAMERA, hunt->get_camera_packet(HEAD_CAMERA));
        m_packets.set(FW_SLOT_FOG, hunt->get_fog_packet());
        m_packets.set(FW_SLOT_LIGHT, hunt->get_light_packet(HEAD_LIGHT));
    }
    m_packets.set(FW_SLOT_MODEL, m_model_packet.get());
    model_packets_for_all_t all(&m_packets);
    model->apply_materials(&all);
    model->set_packets(&m_packets, m_model_packet.get());
    model->set_placement_mode(MODEL_PLACE_BY_MATRIX);

    if (desc->has_antlers && desc->get_antler_count() > 0 && desc->get_antler_bone_count() >= 2) {
        const uint32_t count = desc->get_antler_count();
        animal_antler_u *set = desc->get_antler(hunt ? hunt->get_random().rand_u(count) : 0);
        head_packets_t provider(m_packets);
        antler_packet_provider_t *scene_provider = antler_get_packet_provider();
        antler_set_packet_provider(&provider);
        for (uint32_t side = 0; side < 2 && set; ++side) {
            m_antlers[side] = owner_ptr_t<unit_base_t>(set->create_model_instance());
            m_antler_bones[side] = desc->get_antler_bone(side);
        }
        antler_set_packet_provider(scene_provider);
    }
    return true;
}

void annoy_gift_u::update(float dt) {
    if (!m_timer.is_running()) return;
    const float before = m_timer.get_elapsed_relative();
    m_timer.remaining -= dt;
    const float progress = m_timer.get_elapsed_relative();
    if (m_zba) zba_inst_update_item(m_zba.get(), dt);
    m_strength = rise_for(progress);
    if (before <= CALL_PROGRESS && progress >= CALL_PROGRESS) {
        const int32_t call = m_desc ? m_desc->find_behavior(CALL_BEHAVIOR) : -1;
        zba_inst_t *inst = get_zba();
        if (inst && call >= 0) inst->play_behavior(call, 0, false);
        play_effect_sound(YAWN_SOUND, SOUND_VOLUME);
    }
}

void annoy_gift_u::draw_overlay() {
    model_object_u *model = get_model();
    if (!m_timer.is_running() || !model || m_row < 0) return;
    const row_t &row = ROWS[m_row];
    quat_t camera;
    if (hunt_ctrl_u *hunt = hunt_ctrl_u::current()) {
        if (scene_view_t *view = hunt->get_view()) camera = view->get_placement().rotation * hunt->get_view_rotation();
    }
    const vec3_t offset = row.start + (row.end - row.start) * m_strength;
    const placement_scale_t place(camera.rotate(offset), row.scale, camera * turn_of(row.yaw, row.pitch));
    const mat4_t matrix = place.compute_matrix();
    m_model_packet->set_matrix_and_inverse(place);
    model->set_draw_matrix(matrix);
    get_zba()->submit_model();
    for (uint32_t side = 0; side < 2; ++side)
        if (animal_antler_u *antler = get_antler(side)) antler->draw_at_bone(model, m_antler_bones[side], matrix, ANTLER_TINT);
}

void annoy_gift_u::on_destroy() {
    for (owner_ptr_t<unit_base_t> &antler : m_antlers) antler.reset();
    m_packets.clear();
    m_model_packet.reset();
    m_zba.release();
    m_desc.reset();
}

}  // namespace quarn
