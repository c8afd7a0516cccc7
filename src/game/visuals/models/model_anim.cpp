#include "game/visuals/models/model_anim.h"

#include <cmath>

#include "game/visuals/models/model_file.h"
#include "qrncore/strings/name_token.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(model_anim_u, "model_anim");
QRN_UNIT_DEFINE(model_anim_procedural_u, "model_anim_procedural");

bool model_anim_u::load_memory() { return model_file_load(*this, m_view); }

void model_anim_u::unload_memory() { model_file_unload(*this, m_view); }

void model_anim_u::post_move(void *, void *new_data) { m_view.rebase(new_data); }

bool model_anim_u::bind_item(c_item_t *item) { return resource_unit_u::bind_item(item) && model_file_bind(item); }

void model_anim_u::unbind_item(c_item_t *item) {
    if (item && item == get_item()) {
        unload_memory();
        model_lib_unlock();
    }
    resource_unit_u::unbind_item(item);
}

uint64_t model_anim_u::get_name() const { return m_view.is_open() ? m_view.get_name() : 0; }
uint32_t model_anim_u::get_frame_count() const { return m_view.is_open() ? m_view.get_frame_count() : 0; }
uint16_t model_anim_u::get_flags() const { return m_view.is_open() ? m_view.get_flags() : 0; }
uint32_t model_anim_u::get_track_count() const { return m_view.is_open() ? m_view.get_track_count() : 0; }
float model_anim_u::get_length() const { return m_view.is_open() ? m_view.get_length() : 0.0f; }
const float *model_anim_u::get_durations() const { return m_view.is_open() ? m_view.get_durations() : nullptr; }
const uint8_t *model_anim_u::get_track_map() const { return m_view.is_open() ? m_view.get_track_map() : nullptr; }
const float *model_anim_u::get_keys() const { return m_view.is_open() ? m_view.get_keys() : nullptr; }

const vec3_t *model_anim_u::get_root_translation() const {
    return m_view.is_open() ? m_view.get_root_translation() : nullptr;
}

const quat_t *model_anim_u::get_root_rotation() const {
    return m_view.is_open() ? m_view.get_root_rotation() : nullptr;
}

uint64_t model_anim_procedural_u::procedural_name() {
    static const uint64_t name = [] {
        uint64_t token = 0;
        string_to_token(token, "xmproceduralx");
        return token;
    }();
    return name;
}

bool model_anim_procedural_u::set_tracks(uint32_t tracks, const uint8_t *map) {
    array_dyn_t<uint8_t> new_map;
    array_dyn_t<float> new_keys;
    if (!new_map.request_capacity(tracks) || !new_keys.request_capacity(tracks * MODEL_KEY_FLOATS)) {
        error("[model] No memory for a procedural animation of %u tracks", tracks);
        return false;
    }
    static const float rest[MODEL_KEY_FLOATS] = {1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1};
    for (uint32_t t = 0; t < tracks; ++t) {
        new_map.append(map ? map[t] : uint8_t(t));
        for (float f : rest) new_keys.append(f);
    }
    m_map = static_cast<array_dyn_t<uint8_t> &&>(new_map);
    m_keys = static_cast<array_dyn_t<float> &&>(new_keys);
    return true;
}

bool model_anim_procedural_u::set_length(float seconds) {
    if (!(seconds > 0.0f) || !std::isfinite(seconds)) {
        error("[model] A procedural animation can not last %g seconds", double(seconds));
        return false;
    }
    m_length = seconds;
    return true;
}

void model_anim_procedural_u::set_key(uint32_t track, const model_key_t &key) {
    V_ASSERT(track < m_map.get_count());
    float *k = &m_keys[track * MODEL_KEY_FLOATS];
    const float values[MODEL_KEY_FLOATS] = {key.stretch.w,     key.stretch.x,     key.stretch.y,     key.stretch.z,
                                            key.rotation.w,    key.rotation.x,    key.rotation.y,    key.rotation.z,
                                            key.translation.x, key.translation.y, key.translation.z, key.scale.x,
                                            key.scale.y,       key.scale.z};
    for (uint32_t i = 0; i < MODEL_KEY_FLOATS; ++i) k[i] = values[i];
}

model_key_t model_anim_procedural_u::get_key(uint32_t track) const {
    V_ASSERT(track < m_map.get_count());
    const float *k = &m_keys[track * MODEL_KEY_FLOATS];
    model_key_t key;
    key.stretch = {k[0], k[1], k[2], k[3]};
    key.rotation = {k[4], k[5], k[6], k[7]};
    key.translation = {k[8], k[9], k[10]};
    key.scale = {k[11], k[12], k[13]};
    return key;
}

}  // namespace quarn
