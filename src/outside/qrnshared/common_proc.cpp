#include "outside/qrnshared/common_proc.h"

#include <charconv>
#include <cstring>

#include "outside/qrnshared/effect_registry.h"
#include "platform/modules.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// The kernel's functions, bound by name (null when the program has none).
struct links_t {
    bool (*cmd_execute)(const char *line, int queue_id);
    int (*driver_count)();
    r_driver_t *(*driver_get)(int index);
    r_driver_t *(*driver_enum)(const char *name);
    r_device_t *(*device_get)(r_driver_t *driver, int index);
    r_device_t *(*device_enum)(r_driver_t *driver, const char *name);
    bool (*device_init)(r_device_t *device);
    r_device_t *(*get_rendering_device)();
    r_device_t *(*set_rendering_device)(r_device_t *device);
    bool (*mode_init)(r_device_t *device, const r_mode_t *mode, void *window, uint32_t flags);
    void (*mode_shutdown)(r_device_t *device);
    r_drawable_t *(*drawable_create)(r_device_t *device, void *window, int flags);
    void (*drawable_destroy)(r_drawable_t *drawable);
    r_context_t *(*drawable_context)(r_drawable_t *drawable);
    void (*set_active)(bool active);
    bool (*drawable_get_size)(r_drawable_t *drawable, int *width, int *height);
    void *(*get_window)(int type);
};

links_t links{};

// The kernel's type of the main window (oswindow_type_t).
constexpr int MAIN_WINDOW = 3;
// Mode flag: the mode fills the screen.
constexpr uint32_t MODE_FULLSCREEN = 1;

template <class F>
void bind(F &function, void *module, const char *name) {
    function = module ? reinterpret_cast<F>(platform::module_symbol(module, name)) : nullptr;
}

bool gfx_bound() {
    return links.driver_count && links.driver_get && links.driver_enum && links.device_get && links.device_enum &&
           links.device_init && links.get_rendering_device && links.set_rendering_device && links.mode_init &&
           links.mode_shutdown && links.drawable_create && links.drawable_destroy && links.drawable_context &&
           links.set_active && links.drawable_get_size;
}

// One number of a mode line, up to the next 'x' or the end; false unless it is all
// decimal digits.
bool read_part(const char *&p, int32_t &out) {
    const char *end = p + strcspn(p, "x");
    if (end == p) return false;
    const auto r = std::from_chars(p, end, out);
    if (r.ec != std::errc() || r.ptr != end) return false;
    p = *end ? end + 1 : end;
    return true;
}

}  // namespace

void common_proc_bind(void *module) {
    bind(links.cmd_execute, module, "_cmd_execute");
    bind(links.driver_count, module, "gfx_driver_count");
    bind(links.driver_get, module, "gfx_driver_get");
    bind(links.driver_enum, module, "gfx_driver_enum");
    bind(links.device_get, module, "gfx_device_get");
    bind(links.device_enum, module, "gfx_device_enum");
    bind(links.device_init, module, "gfx_device_init");
    bind(links.get_rendering_device, module, "gfx_get_rendering_device");
    bind(links.set_rendering_device, module, "gfx_set_rendering_device");
    bind(links.mode_init, module, "gfx_mode_init");
    bind(links.mode_shutdown, module, "gfx_mode_shutdown");
    bind(links.drawable_create, module, "gfx_drawable_create");
    bind(links.drawable_destroy, module, "gfx_drawable_destroy");
    bind(links.drawable_context, module, "gfx_drawable_context");
    bind(links.set_active, module, "gfx_set_active");
    bind(links.drawable_get_size, module, "gfx_drawable_get_size");
    bind(links.get_window, module, "oswindow_get_window");
}

bool gfx_mode_t::parse(const char *driver_name, const char *device_name, const char *line, bool full) {
    r_mode_t m;
    m.bits = 32;
    const char *p = line ? line : "";
    bool ok = read_part(p, m.width) && read_part(p, m.height);
    if (ok && *p) ok = read_part(p, m.bits);
    if (ok && *p) ok = read_part(p, m.refresh);
    ok = ok && !*p && m.width >= 1 && m.width <= 16384 && m.height >= 1 && m.height <= 16384 &&
         (m.bits == 16 || m.bits == 24 || m.bits == 32) && m.refresh >= 0 && m.refresh <= 1000;
    if (!ok) {
        error("[gfx] Bad video mode '%s'", line ? line : "");
        return false;
    }
    driver = driver_name ? driver_name : "";
    device = device_name ? device_name : "";
    mode = m;
    fullscreen = full;
    return true;
}

common_proc_t::common_proc_t(int prio) : vprocess_t(prio) {}

common_proc_t::~common_proc_t() {
    if (m_device) common_proc_t::shutdown_gfx2();
}

bool common_proc_t::init_gfx2(const gfx_mode_t &mode, bool activate) {
    if (m_device) shutdown_gfx2();
    if (!gfx_bound()) {
        error("The program has no graphics front-end");
        return false;
    }
    r_driver_t *driver = nullptr;
    if (!mode.driver.is_empty()) driver = links.driver_enum(mode.driver.c_str());
    else if (links.driver_count() > 0) driver = links.driver_get(0);
    if (!driver) {
        error("No graphics driver '%s'", mode.driver.c_str());
        return false;
    }
    r_device_t *device =
        mode.device.is_empty() ? links.device_get(driver, 0) : links.device_enum(driver, mode.device.c_str());
    if (!device) {
        error("No graphics device '%s' on the driver '%s'", mode.device.c_str(), mode.driver.c_str());
        return false;
    }
    if (links.get_rendering_device() != device) {
        if (!links.device_init(device)) {
            error("The graphics device '%s' does not start", mode.device.c_str());
            return false;
        }
        links.set_rendering_device(device);
    }
    m_device = device;
    if (!open_mode(mode)) {
        links.set_rendering_device(nullptr);
        m_device = nullptr;
        return false;
    }
    if (activate) links.set_active(true);
    message("graphics up: %dx%dx%d%s", mode.mode.width, mode.mode.height, mode.mode.bits,
            mode.fullscreen ? " fullscreen" : " windowed");
    return true;
}

bool common_proc_t::open_mode(const gfx_mode_t &mode) {
    void *window = links.get_window ? links.get_window(MAIN_WINDOW) : nullptr;
    if (!links.mode_init(m_device, &mode.mode, window, mode.fullscreen ? MODE_FULLSCREEN : 0)) {
        error("The video mode %dx%dx%d does not open", mode.mode.width, mode.mode.height, mode.mode.bits);
        return false;
    }
    m_drawable = links.drawable_create(m_device, window, 0);
    m_context = m_drawable ? links.drawable_context(m_drawable) : nullptr;
    if (!m_context) {
        error("The graphics device gives no render context");
        if (m_drawable) links.drawable_destroy(m_drawable);
        m_drawable = nullptr;
        links.mode_shutdown(m_device);
        return false;
    }
    m_mode = mode;
    m_gfx_up = true;
    return true;
}

void common_proc_t::freeze_gfx2() {
    if (!m_gfx_up) return;
    links.set_active(false);
    links.drawable_destroy(m_drawable);
    m_drawable = nullptr;
    m_context = nullptr;
    links.mode_shutdown(m_device);
    m_gfx_up = false;
}

bool common_proc_t::thaw_gfx2(const gfx_mode_t &mode) {
    if (!m_device) {
        error("No graphics device to thaw");
        return false;
    }
    if (m_gfx_up) freeze_gfx2();
    if (!open_mode(mode)) return false;
    links.set_active(true);
    return true;
}

void common_proc_t::shutdown_gfx2() {
    freeze_gfx2();
    if (m_device && links.get_rendering_device() == m_device) links.set_rendering_device(nullptr);
    m_device = nullptr;
}

bool common_proc_t::change_application_active(bool active) {
    m_application_active = active;
    if (!active) {
        freeze_gfx2();
        return true;
    }
    return m_gfx_up || thaw_gfx2(m_mode);
}

void common_proc_t::run_autoexec() {
    if (!links.cmd_execute) {
        error("The program runs no commands: no autoexec");
        return;
    }
    for (const char *path : AUTOEXEC_FILES) {
        if (!fs_file_exists(path, FS_REALM_VIRTUAL)) {
            verbose("%s not found, skipped", path);
            continue;
        }
        mstring_dyn_t line;
        if (line.printf("exec \"%s\"", path)) links.cmd_execute(line.c_str(), -1);
    }
}

void common_init_effects(r_context_t *, int32_t path) {
    r_effect_set_path(path);
    verbose("[gfx] render path %d", path);
}

void common_shutdown_effects(r_context_t *, int32_t path) { verbose("[gfx] render path %d left", path); }

bool common_proc_t::get_screen_size(int32_t *width, int32_t *height) const {
    // Through the kernel: the layer calls no renderer class itself.
    int w = 0, h = 0;
    if (!m_drawable || !links.drawable_get_size(m_drawable, &w, &h)) return false;
    *width = w;
    *height = h;
    return true;
}

}  // namespace quarn
