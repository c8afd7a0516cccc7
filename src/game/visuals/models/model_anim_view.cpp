#include "game/visuals/models/model_anim_view.h"

#include <cmath>

#include "game/visuals/models/model_layout.h"
#include "qrncore/system/messages.h"

namespace quarn {

bool model_anim_view_t::open(const void *image, uint64_t size, const char *path) {
    close();
    m_path = path ? path : "";
    m_image.set(image, size);
    if (!check()) {
        close();
        return false;
    }
    m_frame_count = m_image.u16(zm::ANIM_FRAME_COUNT);
    m_track_count = m_image.u32(zm::ANIM_TRACK_COUNT);
    m_open = true;
    return true;
}

void model_anim_view_t::close() {
    m_image.clear();
    m_open = false;
    m_frame_count = m_track_count = 0;
}

bool model_anim_view_t::check() const {
    model_check_t c(m_image, "animation", m_path.c_str());
    const model_image_t &im = m_image;
    if (im.size() < 4) return c.fail(0, "the file has no version word");
    if (im.u32(0) != zm::ANIM_VERSION)
        return model_bad_version("animation", m_path.c_str(), im.u32(0), zm::ANIM_VERSION);
    if (im.size() < zm::ANIM_HEADER_SIZE)
        return c.fail(0, "the file is shorter than the %u-byte header", zm::ANIM_HEADER_SIZE);

    const uint64_t frames = im.u16(zm::ANIM_FRAME_COUNT);
    const uint16_t flags = im.u16(zm::ANIM_FLAGS);
    const uint64_t tracks = im.u32(zm::ANIM_TRACK_COUNT);
    if (frames == 0) return c.fail(zm::ANIM_FRAME_COUNT, "the animation has no frames");
    if (!std::isfinite(im.f32(zm::ANIM_LENGTH))) return c.fail(zm::ANIM_LENGTH, "the length is not a finite number");

    const uint64_t durations = im.u32(zm::ANIM_DURATIONS);
    if (!c.inside_aligned(zm::ANIM_DURATIONS, durations, frames * 4, "the frame durations")) return false;
    for (uint64_t f = 0; f < frames; ++f) {
        const float d = im.f32(durations + 4 * f);
        // Playback divides by a frame's duration and steps through frames until the
        // time is used up: a duration of 0, below 0 or not finite never ends.
        if (!(d > 0.0f) || !std::isfinite(d))
            return c.fail(durations + 4 * f, "frame %llu lasts %g seconds", (unsigned long long)f, double(d));
    }
    if (!c.inside(zm::ANIM_TRACKS, im.u32(zm::ANIM_TRACKS), tracks, "the track map")) return false;
    if (!c.inside_aligned(zm::ANIM_KEYS, im.u32(zm::ANIM_KEYS), frames * tracks * zm::KEY_SIZE, "the keys"))
        return false;
    if ((flags & zm::ANIM_HAS_ROOT_TRANSLATION) &&
        !c.inside_aligned(zm::ANIM_ROOT_TRANSLATION, im.u32(zm::ANIM_ROOT_TRANSLATION), frames * 12,
                          "the root translation stream"))
        return false;
    if ((flags & zm::ANIM_HAS_ROOT_ROTATION) &&
        !c.inside_aligned(zm::ANIM_ROOT_ROTATION, im.u32(zm::ANIM_ROOT_ROTATION), frames * 16,
                          "the root rotation stream"))
        return false;
    return true;
}

uint64_t model_anim_view_t::get_name() const {
    V_ASSERT(m_open);
    return m_image.u64(zm::ANIM_NAME);
}

uint16_t model_anim_view_t::get_flags() const {
    V_ASSERT(m_open);
    return m_image.u16(zm::ANIM_FLAGS);
}

float model_anim_view_t::get_length() const {
    V_ASSERT(m_open);
    return m_image.f32(zm::ANIM_LENGTH);
}

const float *model_anim_view_t::get_durations() const {
    V_ASSERT(m_open);
    return m_image.at<float>(m_image.u32(zm::ANIM_DURATIONS));
}

const uint8_t *model_anim_view_t::get_track_map() const {
    V_ASSERT(m_open);
    return m_image.at<uint8_t>(m_image.u32(zm::ANIM_TRACKS));
}

const float *model_anim_view_t::get_keys() const {
    V_ASSERT(m_open);
    return m_image.at<float>(m_image.u32(zm::ANIM_KEYS));
}

model_key_t model_anim_view_t::get_key(uint32_t frame, uint32_t track) const {
    V_ASSERT(frame < m_frame_count && track < m_track_count);
    const uint64_t at = m_image.u32(zm::ANIM_KEYS) + (uint64_t(frame) * m_track_count + track) * zm::KEY_SIZE;
    auto f = [&](uint32_t i) { return m_image.f32(at + 4 * i); };
    model_key_t k;
    k.stretch = {f(0), f(1), f(2), f(3)};
    k.rotation = {f(4), f(5), f(6), f(7)};
    k.translation = {f(8), f(9), f(10)};
    k.scale = {f(11), f(12), f(13)};
    return k;
}

const vec3_t *model_anim_view_t::get_root_translation() const {
    if (!(get_flags() & zm::ANIM_HAS_ROOT_TRANSLATION)) return nullptr;
    return m_image.at<vec3_t>(m_image.u32(zm::ANIM_ROOT_TRANSLATION));
}

const quat_t *model_anim_view_t::get_root_rotation() const {
    if (!(get_flags() & zm::ANIM_HAS_ROOT_ROTATION)) return nullptr;
    return m_image.at<quat_t>(m_image.u32(zm::ANIM_ROOT_ROTATION));
}

}  // namespace quarn
