// The renderer plug-in "lib/gl": one driver "gl" with one device "gl" (gl_device.h),
// which draws every frame with OpenGL into the game's window or off-screen, and notes
// every draw in its contexts' draw logs. Like every plug-in it links only the core,
// the platform and the outside layers and binds the kernel's functions by name from
// the program.
#include <cstring>
#include <new>

#include "outside/gl/gl_device.h"
#include "outside/gl/gl_settings.h"
#include "outside/qrnshared/dlguard_proc.h"
#include "outside/visbase/render.h"
#include "platform/gl_surface.h"
#include "platform/modules.h"
#include "qrncore/system/dl_lib.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn::gl {
namespace {

struct kernel_t {
    int (*process_add)(vprocess_t *, int);
    int (*driver_register)(r_driver_t *);
    void (*driver_unregister)(r_driver_t *);
    int (*device_insert)(hw_device_t *);
    int (*device_remove)(hw_device_t *);
    r_device_t *(*get_rendering_device)();
    r_device_t *(*set_rendering_device)(r_device_t *);
};

kernel_t kernel{};

template <class F>
bool bind(F &function, void *module, const char *name) {
    function = reinterpret_cast<F>(platform::module_symbol(module, name));
    if (!function) error("[gl] The program does not offer '%s'", name);
    return function != nullptr;
}

class gl_driver_t : public r_driver_t {
public:
    gl_driver_t() : r_driver_t("gl") {}
    uint32_t device_count() override { return 1; }
    r_device_t *device_get(uint32_t index) override { return index == 0 ? &device : nullptr; }

    static void *operator new(size_t bytes) noexcept { return qrncore_system_new(bytes); }
    static void operator delete(void *memory) { qrncore_system_delete(memory); }

    gl_device_t device;
};

// Guards the module: the plug-in is unloaded after this process is gone.
class gl_proc_t : public dlguard_proc_t {
public:
    explicit gl_proc_t(void *module) : dlguard_proc_t(module, 0) { set_name("gl"); }
};

gl_driver_t *driver = nullptr;

class gl_ops_t : public dl_ops_t {
public:
    bool dl_symbols(void *main_module, void *) override {
        kernel = {};
        // Optional: without them the textures keep their whole size and no anisotropy.
        gl_kernel.texture_detail = reinterpret_cast<int (*)()>(platform::module_symbol(main_module, "gfx_get_texture_detail"));
        gl_kernel.anisotropy_factor =
            reinterpret_cast<float (*)()>(platform::module_symbol(main_module, "gfx_get_anisotropy_factor"));
        return bind(kernel.process_add, main_module, "process_add") &&
               bind(kernel.driver_register, main_module, "gfx_driver_register") &&
               bind(kernel.driver_unregister, main_module, "gfx_driver_unregister") &&
               bind(kernel.device_insert, main_module, "hw_device_insert") &&
               bind(kernel.device_remove, main_module, "hw_device_remove") &&
               bind(kernel.get_rendering_device, main_module, "gfx_get_rendering_device") &&
               bind(kernel.set_rendering_device, main_module, "gfx_set_rendering_device");
    }
    bool dl_register(void *, void *module) override {
        driver = new gl_driver_t;
        if (!driver) return false;
        if (!kernel.driver_register(driver)) {
            delete driver;
            driver = nullptr;
            return false;
        }
        kernel.device_insert(&driver->device);
        gl_proc_t *process = new gl_proc_t(module);
        if (process) kernel.process_add(process, 0);
        gl_settings_register();
        // The context is opened when the game sets its first mode, after its data,
        // its windows and its sound device have started: the driver starts meanwhile.
        platform::gl_offscreen_prepare();
        message("[gl] renderer registered");
        return true;
    }
    bool dl_unregister(void *, void *) override {
        if (!driver) return true;
        // Nothing of the kernel may point into the module once it is gone.
        if (kernel.get_rendering_device() == &driver->device) kernel.set_rendering_device(nullptr);
        kernel.device_remove(&driver->device);
        kernel.driver_unregister(driver);
        delete driver;
        driver = nullptr;
        gl_settings_unregister();
        message("[gl] renderer unregistered");
        return true;
    }
};

}  // namespace
}  // namespace quarn::gl

extern "C" __attribute__((visibility("default"))) quarn::dl_ops_t *gl_get_dl_ops() {
    static quarn::gl::gl_ops_t ops;
    return &ops;
}
