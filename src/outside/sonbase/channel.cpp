#include "outside/sonbase/channel.h"

#include <cmath>

#include "outside/sonbase/buffer.h"
#include "outside/sonbase/device.h"
#include "qrncore/system/host_alloc.h"

namespace quarn::sound {

channel_t::channel_t(uint32_t flags) : m_flags(flags) {}

channel_t::~channel_t() {
    if (m_device) m_device->unlink_channel(this);
    if (m_owner) m_owner->unregister_channel(this);
}

void *channel_t::operator new(size_t bytes) noexcept { return qrncore_system_new(bytes); }

void channel_t::operator delete(void *memory) { qrncore_system_delete(memory); }

bool channel_t::bind(buffer_t *buffer) {
    m_buffer = buffer;
    return buffer != nullptr;
}

int32_t channel_t::linear_gain_to_millibells(float gain) {
    if (!(gain > 0.0f)) return -10000;
    const double mb = 2000.0 * std::log10(double(gain));
    if (mb <= -10000.0) return -10000;
    if (mb >= 0.0) return 0;
    return int32_t(std::lround(mb));
}

float channel_t::distance_volume_start(const listener_t &) const {
    const float low = m_attributes.min_distance, high = m_attributes.max_distance;
    return low + 0.75f * (high - low);
}

float channel_t::distance_volume_factor(const listener_t &listener) const {
    const vec3_t &a = m_attributes.position, &b = listener.placement.position;
    const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    const float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    const float start = distance_volume_start(listener), end = m_attributes.max_distance;
    if (distance <= start) return 1.0f;
    if (distance >= end) return 0.0f;
    return (end - distance) / (end - start);
}

bool channel_t::play() {
    m_playing = true;
    return true;
}

void channel_t::stop() { m_playing = false; }

bool channel_t::is_playing() const { return m_playing; }

bool channel_t::has_finished() const { return false; }

void channel_t::set_attributes(const channel_attributes_t &attributes) {
    m_attributes = attributes;
    m_attributes_pending = true;
}

void channel_t::update(const listener_t &listener) {
    if (!m_attributes_pending) return;
    m_attributes_pending = false;
    apply_attributes(listener);
}

void channel_t::apply_attributes(const listener_t &) {}

}  // namespace quarn::sound
