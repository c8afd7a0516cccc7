#pragma once
// common_proc_t: the process base of a program's main process (the game's). It owns
// the frame clock (the process's own step and time), the graphics device with the
// drawable and render context of the main window, the mode and path in force and
// whether graphics are up, and runs the autoexec command files. Graphics go through
// the kernel's front-end, which the layer binds by name at start (qrnshared_init), so
// the renderer is whichever plug-in registered its driver ("lib/gl").
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "outside/qrnshared/vprocess.h"
#include "outside/visbase/render.h"
#include "qrncore/strings/string_fixed.h"

namespace quarn {

// A graphics mode as the settings give it: driver and device by name (empty: the
// first), the display mode and whether it fills the screen.
struct QRNSHARED_API gfx_mode_t {
    string_fixed_t<32> driver;
    string_fixed_t<32> device;
    r_mode_t mode;
    bool fullscreen = false;

    // Takes a mode line "WIDTHxHEIGHTxBITSxREFRESH" ("1024x768x32x0"; bits and
    // refresh may be left out, and are then 32 and 0). Width and height run from 1 to
    // 16384, bits are 16, 24 or 32, refresh 0 to 1000 (0: the display's own). False,
    // with the mode unchanged and a "[gfx]" error, for anything else.
    bool parse(const char *driver_name, const char *device_name, const char *line, bool full);
};

class QRNSHARED_API common_proc_t : public vprocess_t {
public:
    // The command files of run_autoexec, in the order they run.
    static constexpr const char *AUTOEXEC_FILES[3] = {"/default.cfg", "/config.cfg", "/home/config.cfg"};

    explicit common_proc_t(int priority);
    // Graphics still up are shut down.
    ~common_proc_t() override;

    // Messages carry the process's name as their tag ("[game] ...").

    // Brings graphics up: the mode's driver and device become the rendering device,
    // the mode opens on the main window (none is needed: a renderer without a screen
    // takes a null window) and the drawable with its render context is made; activate
    // makes graphics active. False (logged), with nothing of it left up, when a step
    // fails; graphics already up are shut down first.
    virtual bool init_gfx2(const gfx_mode_t &mode, bool activate);
    // Freezes, then gives the rendering device up.
    virtual void shutdown_gfx2();
    // Opens mode on the device kept by init_gfx2 after a freeze. False (logged) when
    // there is no device or the mode does not open; graphics then stay frozen.
    virtual bool thaw_gfx2(const gfx_mode_t &mode);
    // Makes graphics inactive, drops the drawable and closes the mode; the device stays.
    virtual void freeze_gfx2();
    // The application became active or inactive: graphics thaw in the mode they had or
    // freeze. False when they do not come back.
    virtual bool change_application_active(bool active);

    // Executes each file of AUTOEXEC_FILES by its own "exec", so that a missing or
    // broken one does not keep the others from running; a file that does not exist
    // is skipped with a verbose line.
    void run_autoexec();

    bool is_gfx_up() const { return m_gfx_up; }
    bool is_application_active() const { return m_application_active; }
    const gfx_mode_t &get_mode() const { return m_mode; }
    r_device_t *get_device() const { return m_device; }
    r_context_t *get_context() const { return m_context; }
    // The render path in force; the process chooses it.
    int32_t get_path() const { return m_path; }
    void set_path(int32_t path) { m_path = path; }
    // The render context's size in pixels; false (outputs unchanged) without one.
    bool get_screen_size(int32_t *width, int32_t *height) const;
    // The frame clock: the last step and the sum of all steps, in seconds.
    double get_frame_time() const { return delta; }
    double get_process_time() const { return time; }

private:
    bool open_mode(const gfx_mode_t &mode);

    gfx_mode_t m_mode;
    r_device_t *m_device = nullptr;
    r_drawable_t *m_drawable = nullptr;
    r_context_t *m_context = nullptr;
    int32_t m_path = 0;
    bool m_gfx_up = false;
    bool m_application_active = true;
};

// The effects of a render path on a context. init_effects makes path the render path
// (every loaded material sets its passes up again for it); shutdown_effects lets the
// path's effects go before the context or the path changes (the layer keeps nothing
// per context, so it only notes it).
QRNSHARED_API void common_init_effects(r_context_t *context, int32_t path);
QRNSHARED_API void common_shutdown_effects(r_context_t *context, int32_t path);

// Binds the kernel functions the common process calls from the program's module;
// qrnshared_init does it, a null module forgets them.
void common_proc_bind(void *main_module);

}  // namespace quarn
