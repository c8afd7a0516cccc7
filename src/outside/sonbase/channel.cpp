#include "outside/sonbase/channel.h"

#include "outside/sonbase/device.h"
#include "qrncore/system/host_alloc.h"

namespace quarn::sound {

channel_t::channel_t(uint32_t flags) : m_flags(flags) {}

channel_t::~channel_t() {
    if (m_device) m_device->unlink_channel(this);
}

void *channel_t::operator new(size_t bytes) noexcept { return qrncore_system_new(bytes); }

void channel_t::operator delete(void *memory) { qrncore_system_delete(memory); }

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
