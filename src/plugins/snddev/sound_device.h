#pragma once
// The sound plug-in's device: the kernel's sound front-end plays through it. It owns
// the output (output_api.h), the primary buffer with the mix's format and the 3D
// listener, and makes the buffers its channels play (sound_buffer.h). Each frame it
// hands the listener to the output, lets channels and buffers do their part and tells
// the output the frame's time.
#include "outside/sonbase/device.h"
#include "plugins/plugin.h"
#include "plugins/snddev/output_api.h"
#include "plugins/snddev/snddev_vars.h"

namespace quarn::snddev {

class sound_device_t : public sound::device_t {
public:
    sound_device_t(plugin::plugin_state_t &plugin, output_factory_t factory, output_enumerator_t enumerate,
                   snddev_variables_t &variables);
    ~sound_device_t() override;

    static void *operator new(size_t bytes) noexcept;
    static void operator delete(void *memory);

    // An output can be made (the default one, or the one that stands in for it).
    bool detect() override;
    // Makes the output, the primary buffer in the format of the variables and the
    // listener; false (logged with the result's name) at the first that fails.
    bool init() override;
    // Releases listener, primary buffer and output, lets the process go, unlinks the
    // variables, then closes every channel and destroys every buffer.
    void shutdown() override;

    void set_listener(const sound::listener_t &listener) override;
    void finish_frame() override;

    const char *get_device_name() const { return "DirectSound3D System"; }
    const char *get_device_description() const { return "DirectSound hardware"; }
    // The output while initialised (tests render through it).
    output_i *get_output() const { return m_output.get(); }
    const plugin::kernel_links_t &kernel() const { return m_plugin.kernel; }

    // A buffer of the file (buffer flags), appended to the list; null (logged) when
    // the file cannot be played.
    sound::buffer_t *create_buffer(const char *file_name, uint32_t flags) override;
    void destroy_buffer(sound::buffer_t *buffer) override;

protected:
    void commit_listener() override;

private:
    void release_output();

    plugin::plugin_state_t &m_plugin;
    output_factory_t m_factory;
    output_enumerator_t m_enumerate;
    snddev_variables_t &m_variables;
    output_ref_t m_output;
    auto_ptr_t<primary_i> m_primary;
    auto_ptr_t<listener_3d_i> m_listener_3d;
    bool m_holds_process = false;
};

}  // namespace quarn::snddev
