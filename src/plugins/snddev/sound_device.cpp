#include "plugins/snddev/sound_device.h"

#include "plugins/snddev/sound_buffer.h"
#include "qrncore/math/rotation.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn::snddev {

namespace {

// The output's frame has Z the other way round.
vec3_t flip_z(const vec3_t &v) { return vec3_t(v.x, v.y, -v.z); }

}  // namespace

sound_device_t::sound_device_t(plugin::plugin_state_t &plugin, output_factory_t factory, output_enumerator_t enumerate,
                               snddev_variables_t &variables)
    : device_t(plugin.name), m_plugin(plugin), m_factory(factory), m_enumerate(enumerate), m_variables(variables) {}

sound_device_t::~sound_device_t() {
    // Channels and buffers keep references of their own to the output, which goes
    // with the last of them (the base deletes them after this).
    release_output();
    for (cvar_t *v : m_variables.list) m_plugin.kernel.cvar_unlink(v);
    if (m_plugin.device == this) m_plugin.device = nullptr;
}

void *sound_device_t::operator new(size_t bytes) noexcept { return qrncore_system_new(bytes); }

void sound_device_t::operator delete(void *memory) { qrncore_system_delete(memory); }

void sound_device_t::release_output() {
    m_listener_3d.reset();
    m_primary.reset();
    m_output.reset();
}

bool sound_device_t::detect() {
    output_ref_t output;
    const result_t r = m_factory ? m_factory(output) : DSERR_NODRIVER;
    if (failed(r) || !output) {
        error("[snddev] Error creating DirectSound [%s].", result_name(failed(r) ? r : DSERR_GENERIC));
        return false;
    }
    return true;
}

bool sound_device_t::init() {
    device_t::init();
    if (m_enumerate)
        m_enumerate([](const char *description, const char *module,
                       void *) { message("[snddev] Available device : %s (%s).", description, module); },
                    nullptr);
    // The plug-in's variables read the kernel's: what was set before (configuration,
    // "-env") rules, and the kernel's variables are the ones stored.
    for (int i = 0; i < snddev_variables_t::COUNT; ++i)
        m_plugin.kernel.cvar_link(m_variables.list[i], m_plugin.kernel.cvar_get(snddev_variables_t::KERNEL_NAMES[i]));

    release_output();
    result_t r = m_factory ? m_factory(m_output) : DSERR_NODRIVER;
    if (failed(r) || !m_output) {
        error("[snddev] Error creating DirectSound [%s].", result_name(failed(r) ? r : DSERR_GENERIC));
        m_output.reset();
        return false;
    }
    message("[snddev] Sound output: %s.", m_output->describe());
    oswindow_record_t *window = m_plugin.kernel.oswindow_get_window(OSWINDOW_SYSTEM);
    r = m_output->set_cooperative_level(window ? static_cast<void *>(window->handle) : nullptr, COOP_PRIORITY);
    if (failed(r)) {
        error("[snddev] Error setting cooperative level [%s].", result_name(r));
        return false;
    }
    r = m_output->create_primary(m_primary);
    if (failed(r) || !m_primary) {
        error("[snddev] Error creating primary buffer [%s].", result_name(failed(r) ? r : DSERR_GENERIC));
        return false;
    }
    wave_format_t format;
    format.channels = uint16_t(m_variables.mix_channels.get_int());
    format.rate = uint32_t(m_variables.mix_rate.get_int());
    format.bits = uint16_t(m_variables.mix_depth.get_int());
    format.block_align = uint16_t(format.bits / 8 * format.channels);
    format.bytes_per_second = format.block_align * format.rate;
    r = m_primary->set_format(format);
    if (failed(r)) {
        error("[snddev] Error setting primary buffer format [%s].", result_name(r));
        return false;
    }
    r = m_primary->query_listener(m_listener_3d);
    if (failed(r) || !m_listener_3d) {
        error("[snddev] Error querying 3D listener [%s].", result_name(failed(r) ? r : DSERR_GENERIC));
        return false;
    }
    message("[snddev] Initialization OK.");
    state = RUNNING;
    if (!m_holds_process && m_plugin.process) {
        m_plugin.process->lock();
        m_holds_process = true;
    }
    return true;
}

void sound_device_t::shutdown() {
    // Sound nobody heard was mixed for the game's time: the log says how much.
    const double mixed = m_output ? m_output->seconds_mixed() : -1.0;
    if (mixed >= 0.0) message("[snddev] The loopback mixed %.3f s of sound.", mixed);
    release_output();
    state = SHUT_DOWN;
    if (m_holds_process) {
        if (m_plugin.process) m_plugin.process->unlock();
        m_holds_process = false;
    }
    for (cvar_t *v : m_variables.list) m_plugin.kernel.cvar_unlink(v);
    device_t::shutdown();
}

void sound_device_t::set_listener(const sound::listener_t &listener) {
    device_t::set_listener(listener);
    if (!m_listener_3d) return;
    // Unrotated, the listener looks along -Z with +Y up; reversed stereo turns it
    // upside down, which swaps left and right.
    const vec3_t front(0.0f, 0.0f, -1.0f);
    const vec3_t top(0.0f, m_plugin.kernel.snd_is_stereo_reversed() ? -1.0f : 1.0f, 0.0f);
    listener_params_t params;
    normal_rotate(&params.front, front, listener.placement.rotation);
    normal_rotate(&params.top, top, listener.placement.rotation);
    params.front = flip_z(params.front);
    params.top = flip_z(params.top);
    params.position = flip_z(listener.placement.position);
    params.velocity = flip_z(listener.velocity);
    params.distance_factor = listener.distance_factor;
    params.rolloff_factor = listener.rolloff_factor;
    params.doppler_factor = listener.doppler_factor;
    const result_t r = m_listener_3d->set_all(params, true);
    if (failed(r)) error("[snddev] Setting of listener data failed [%s].", result_name(r));
}

void sound_device_t::commit_listener() {
    if (m_listener_3d) m_listener_3d->commit_deferred();
}

void sound_device_t::finish_frame() {
    device_t::finish_frame();
    if (m_output) m_output->advance(m_plugin.kernel.sys_get_lastdelta());
}

sound::buffer_t *sound_device_t::create_buffer(const char *file_name, uint32_t flags) {
    if (!m_output) {
        error("[snddev] No sound output - '%s' can not be played", file_name);
        return nullptr;
    }
    sound_buffer_t *buffer = new sound_buffer_t(m_output, m_plugin.kernel, flags);
    if (!buffer) {
        error("[snddev] Out of memory for the sound buffer of '%s'", file_name);
        return nullptr;
    }
    if (!buffer->bind(file_name, flags)) {
        delete buffer;
        return nullptr;
    }
    link_buffer(buffer);
    return buffer;
}

void sound_device_t::destroy_buffer(sound::buffer_t *buffer) { device_t::destroy_buffer(buffer); }

}  // namespace quarn::snddev
