#include "game/ai/zba/zba_info.h"

#include <strings.h>

#include <cstring>

#include "game/ai/zba/zba_compile.h"
#include "game/ai/zba/zba_model_source.h"
#include "qrncore/spatial/le_bytes.h"
#include "qrncore/system/messages.h"

namespace quarn {

using namespace zba_layout;

namespace {

zba_model_source_t *model_source = nullptr;

uint32_t size_of(const uint8_t *image) { return le_bytes::get_u32(image + H_SIZE); }

void check(const uint8_t *image, uint32_t at, uint32_t bytes) {
    V_ASSERT(image != nullptr);
    const uint32_t size = size_of(image);
    V_ASSERT(at <= size && bytes <= size - at);
}

}  // namespace

void zba_set_model_source(zba_model_source_t *source) { model_source = source; }
zba_model_source_t *zba_get_model_source() { return model_source; }

// ---- views ----

uint32_t zba_view_t::image_u32(uint32_t at) const {
    check(m_image, at, 4);
    return le_bytes::get_u32(m_image + at);
}

uint32_t zba_view_t::u32(uint32_t field) const { return image_u32(m_offset + field); }

float zba_view_t::f32(uint32_t field) const { return std::bit_cast<float>(u32(field)); }

uint8_t zba_view_t::u8(uint32_t field) const {
    check(m_image, m_offset + field, 1);
    return m_image[m_offset + field];
}

const char *zba_view_t::text(uint32_t field) const {
    const uint32_t at = u32(field);
    check(m_image, at, 1);
    return reinterpret_cast<const char *>(m_image + at);
}

const char *zba_view_t::inline_text(uint32_t field) const {
    check(m_image, m_offset + field, 1);
    return reinterpret_cast<const char *>(m_image + m_offset + field);
}

zba_channel_t zba_behavior_t::channel(uint32_t i) const {
    V_ASSERT(i < channel_count());
    return zba_channel_t(m_image, image_u32(u32(B_CHANNEL_TABLE) + 4 * i));
}

uint8_t zba_behavior_t::start_state(uint32_t feature) const {
    V_ASSERT(feature < feature_count());
    return u8(BEHAVIOR_FIXED + 2 * feature);
}

uint8_t zba_behavior_t::end_state(uint32_t feature) const {
    V_ASSERT(feature < feature_count());
    return u8(BEHAVIOR_FIXED + 2 * feature + 1);
}

uint32_t zba_behavior_t::value_field(uint32_t attribute) const {
    V_ASSERT(attribute < image_u32(H_ATTRIBUTE_COUNT));
    return BEHAVIOR_FIXED + pairs_size(feature_count()) + 4 * attribute;
}

float zba_behavior_t::attribute_float(uint32_t attribute) const { return f32(value_field(attribute)); }
int32_t zba_behavior_t::attribute_int(uint32_t attribute) const { return i32(value_field(attribute)); }
const char *zba_behavior_t::attribute_text(uint32_t attribute) const { return text(value_field(attribute)); }

const char *zba_feature_t::state_name(uint32_t state) const {
    V_ASSERT(state < state_count());
    const uint32_t at = image_u32(u32(F_STATE_NAMES) + 4 * state);
    check(m_image, at, 1);
    return reinterpret_cast<const char *>(m_image + at);
}

int32_t zba_feature_t::simple_transition(uint32_t state) const {
    V_ASSERT(state < state_count());
    return int32_t(image_u32(u32(F_STATE_SIMPLE) + 4 * state));
}

int32_t zba_feature_t::find_state(const char *name) const {
    const uint32_t n = state_count();
    for (uint32_t i = 0; i < n; ++i)
        if (strcasecmp(state_name(i), name ? name : "") == 0) return int32_t(i);
    return -2;
}

// ---- the file ----

uint32_t zba_info_t::header(uint32_t field) const {
    check(m_image, field, 4);
    return le_bytes::get_u32(m_image + field);
}

uint32_t zba_info_t::image_size() const { return m_image ? size_of(m_image) : 0; }

uint32_t zba_info_t::table_entry(uint32_t table_field, uint32_t count_field, uint32_t i) const {
    V_ASSERT(i < header(count_field));
    const uint32_t at = header(table_field) + 4 * i;
    check(m_image, at, 4);
    return le_bytes::get_u32(m_image + at);
}

const char *zba_info_t::model_name() const { return reinterpret_cast<const char *>(m_image + header(H_MODEL_NAME)); }
const char *zba_info_t::model_path() const { return reinterpret_cast<const char *>(m_image + header(H_MODEL_PATH)); }

uint32_t zba_info_t::feature_count() const { return header(H_FEATURE_COUNT); }
zba_feature_t zba_info_t::feature(uint32_t i) const {
    return zba_feature_t(m_image, table_entry(H_FEATURE_TABLE, H_FEATURE_COUNT, i));
}
uint32_t zba_info_t::attribute_count() const { return header(H_ATTRIBUTE_COUNT); }
zba_attribute_t zba_info_t::attribute(uint32_t i) const {
    return zba_attribute_t(m_image, table_entry(H_ATTRIBUTE_TABLE, H_ATTRIBUTE_COUNT, i));
}
uint32_t zba_info_t::animation_count() const { return header(H_ANIMATION_COUNT); }
zba_animation_t zba_info_t::animation(uint32_t i) const {
    return zba_animation_t(m_image, table_entry(H_ANIMATION_TABLE, H_ANIMATION_COUNT, i));
}
uint32_t zba_info_t::behavior_count() const { return header(H_BEHAVIOR_COUNT); }
zba_behavior_t zba_info_t::behavior(uint32_t i) const {
    return zba_behavior_t(m_image, table_entry(H_BEHAVIOR_TABLE, H_BEHAVIOR_COUNT, i));
}
uint32_t zba_info_t::complex_count() const { return header(H_COMPLEX_COUNT); }
zba_behavior_t zba_info_t::complex_transition(uint32_t i) const {
    return zba_behavior_t(m_image, table_entry(H_COMPLEX_TABLE, H_COMPLEX_COUNT, i));
}
uint32_t zba_info_t::simple_count() const { return header(H_SIMPLE_COUNT); }
zba_simple_t zba_info_t::simple_transition(uint32_t i) const {
    V_ASSERT(i < simple_count());
    return zba_simple_t(m_image, header(H_SIMPLE_TABLE) + SIMPLE_SIZE * i);
}

int32_t zba_info_t::find_behavior(const char *name) const {
    const uint32_t n = behavior_count();
    for (uint32_t i = 0; i < n; ++i)
        if (strcasecmp(behavior(i).name(), name ? name : "") == 0) return int32_t(i);
    return -2;
}

int32_t zba_info_t::find_feature(const char *name) const {
    const uint32_t n = feature_count();
    for (uint32_t i = 0; i < n; ++i)
        if (strcasecmp(feature(i).name(), name ? name : "") == 0) return int32_t(i);
    return -2;
}

void zba_info_t::set_f32(uint32_t at, float value) {
    check(m_image, at, 4);
    le_bytes::put_f32(m_image + at, value);
}

bool zba_info_t::init(zba_model_source_t *models) {
    const char *path = model_path();
    c_item_t *descriptor = models ? models->obtain_descriptor(path) : nullptr;
    if (!descriptor) {
        error("[zba_info_t::init] Can not allocate model descriptor '%s'", path);
        return false;
    }
    const uint32_t n = animation_count();
    for (uint32_t i = 0; i < n; ++i) {
        const zba_animation_t a = animation(i);
        float seconds = 0.0f;
        if (!models->animation_length(a.path(), &seconds)) {
            error("[zba_info_t::init] Can not add animation '%s' to model '%s'", a.path(), path);
            descriptor->release_ref();
            unload();
            return false;
        }
        set_f32(a.offset() + N_LENGTH, seconds);
    }
    if (m_runtime) m_runtime->model = descriptor;
    descriptor->release_ref();
    compute_durations();
    return true;
}

void zba_info_t::compute_durations() {
    auto behavior_duration = [this](const zba_behavior_t &b) {
        float longest = 0.0f;
        const uint32_t channels = b.channel_count();
        for (uint32_t c = 0; c < channels; ++c) {
            const zba_channel_t channel = b.channel(c);
            float duration = 0.0f;
            for (zba_channel_walk_t walk(*this, channel); walk.next();) {
                const uint32_t kind = walk.item().kind();
                if (kind > ITEM_WEIGHT) break;
                const float end = walk.time() + (kind == ITEM_ANIM ? walk.length() : 0.0f);
                if (end > duration) duration = end;
            }
            set_f32(channel.offset() + C_DURATION, duration);
            if (duration > longest) longest = duration;
        }
        set_f32(b.offset() + B_DURATION, longest);
    };
    for (uint32_t i = 0, n = behavior_count(); i < n; ++i) behavior_duration(behavior(i));
    for (uint32_t i = 0, n = complex_count(); i < n; ++i) behavior_duration(complex_transition(i));
}

// ---- the channel walk ----

zba_channel_walk_t::zba_channel_walk_t(const zba_info_t &file, const zba_channel_t &channel)
    : m_file(file), m_channel(channel), m_count(channel.item_count()) {}

bool zba_channel_walk_t::next() {
    if (m_index >= m_count) return false;
    m_item = m_index == 0 ? m_channel.first_item() : m_item.next();
    ++m_index;
    const uint32_t kind = m_item.kind();
    m_length = 0.0f;
    if (kind > ITEM_WEIGHT) {
        // Its size is unknown, so nothing after it can be found.
        m_count = m_index;
        m_time = m_item.time() + m_shift;
        return true;
    }
    float t = m_item.time() + m_shift;
    if (m_span) {
        // An item at the span's end in the file's time plays at its real end; the
        // 0.001 s lets an item written at the end count as after it.
        if (t >= m_span_start + m_factor - 0.001f) {
            t += m_real - m_factor;
            m_shift += m_real - m_factor;
            m_span = false;
        } else {
            t = m_span_start + (t - m_span_start) * m_natural;
        }
    }
    if (kind == ITEM_ANIM) {
        m_length = m_item.length();
        const int32_t animation = m_item.animation();
        if (m_item.proportional() && animation >= 0 && uint32_t(animation) < m_file.animation_count()) {
            m_span = true;
            m_span_start = t;
            m_natural = m_file.animation(uint32_t(animation)).length();
            m_factor = m_length;
            m_real = m_natural * m_factor;
            m_length = m_real;
        }
    }
    m_time = t;
    return true;
}

void zba_info_t::unload() {
    for (uint32_t i = 0, n = animation_count(); i < n; ++i) set_f32(animation(i).offset() + N_LENGTH, 1.0f);
    if (m_runtime) {
        m_runtime->programs.clear();
        m_runtime->model.release();
    }
}

c_item_ptr_t zba_info_t::compiled_behavior(int32_t behavior) const {
    if (m_runtime)
        if (c_item_t *cached = m_runtime->programs.find_behavior(behavior)) return c_item_ptr_t(cached);
    c_item_ptr_t program = zba_compile(m_runtime ? m_runtime->item : nullptr, &behavior, 1, nullptr, 0, nullptr, 0);
    // A program the cache cannot keep (no memory) still serves this caller.
    if (program && m_runtime) m_runtime->programs.put_behavior(behavior, program.get());
    return program;
}

c_item_ptr_t zba_info_t::compiled_transition(int32_t from, int32_t to, const int32_t *complex, uint32_t complex_count,
                                             const int32_t *simple, uint32_t simple_count) const {
    const bool keyed = m_runtime && from >= 0 && to >= 0;
    if (keyed)
        if (c_item_t *cached = m_runtime->programs.find_transition(from, to)) return c_item_ptr_t(cached);
    if (complex_count == 0 && simple_count == 0) return {};
    c_item_ptr_t program =
        zba_compile(m_runtime ? m_runtime->item : nullptr, nullptr, 0, complex, complex_count, simple, simple_count);
    if (program && keyed) m_runtime->programs.put_transition(from, to, program.get());
    return program;
}

}  // namespace quarn
