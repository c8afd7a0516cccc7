// The renderer plug-in "lib/gl": one driver "gl" with one device "gl". It draws
// nothing. Its modes report the size asked for, render buffers hold host memory,
// frames swap at once, and reading pixels gives a defined image (red = x, green = y,
// blue = x ^ y, each modulo 256, counted from the top left of the frame), so that
// screenshots work without a display. What would be drawn is recorded in each
// context's draw log (r_context_t), emptied when the device begins a frame; at the
// frame's end the contexts take the texels of changed texture objects. Like every
// plug-in it links only the core and the outside layers and binds the kernel's
// functions by name from the program.
#include <cstring>
#include <new>

#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/dlguard_proc.h"
#include "outside/visbase/render.h"
#include "platform/modules.h"
#include "qrncore/system/dl_lib.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {
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

// The modes offered; mode_init accepts any size.
constexpr r_mode_t MODES[] = {
    {640, 480, 32, 60, 0}, {800, 600, 32, 60, 0}, {1024, 768, 32, 60, 0}, {1600, 1200, 32, 60, 0}};

class gl_device_t;

class gl_context_t : public r_context_t {
public:
    explicit gl_context_t(r_device_t *owner) : r_context_t(owner) {}
    void get_size(int32_t *width, int32_t *height) override;
};

class gl_drawable_t : public r_drawable_t {
public:
    explicit gl_drawable_t(r_device_t *owner) : r_drawable_t(owner), m_context(owner) { context = &m_context; }
    bool get_size(int32_t *width, int32_t *height) override {
        m_context.get_size(width, height);
        return true;
    }
    bool begin_update(int32_t) override { return true; }
    bool surface_begin_update(int32_t) override { return true; }

    static void *operator new(size_t bytes) noexcept { return qrncore_system_new(bytes); }
    static void operator delete(void *memory) { qrncore_system_delete(memory); }

private:
    gl_context_t m_context;
};

class gl_fbuffer_t : public r_fbuffer_t {
public:
    using r_fbuffer_t::r_fbuffer_t;
    static void *operator new(size_t bytes) noexcept { return qrncore_system_new(bytes); }
    static void operator delete(void *memory) { qrncore_system_delete(memory); }
};

class gl_device_t : public r_device_t {
public:
    gl_device_t() : r_device_t("gl") {}

    bool detect() override { return true; }
    bool create_and_init() override {
        state = RUNNING;
        return true;
    }
    void shutdown() override {
        mode_shutdown();
        state = SHUT_DOWN;
    }
    uint32_t mode_count() override { return uint32_t(sizeof MODES / sizeof MODES[0]); }
    bool mode_get(uint32_t index, r_mode_t *out) override {
        if (index >= mode_count() || !out) return false;
        *out = MODES[index];
        return true;
    }
    bool mode_init(const r_mode_t *mode, void *, uint32_t) override {
        if (!mode || mode->width <= 0 || mode->height <= 0) return false;
        current = *mode;
        return true;
    }
    void mode_shutdown() override { current = r_mode_t(); }
    int swap(r_context_t *) override {
        ++frames;
        return 1;
    }
    bool read_pixels(void *buffer, const r_rect_t &rect) override {
        uint8_t *p = static_cast<uint8_t *>(buffer);
        for (int32_t y = 0; y < rect.height; ++y) {
            for (int32_t x = 0; x < rect.width; ++x) {
                const int32_t fx = rect.x + x, fy = rect.y + y;
                *p++ = uint8_t(fx);
                *p++ = uint8_t(fy);
                *p++ = uint8_t(fx ^ fy);
            }
        }
        return true;
    }
    bool create_buffer(r_buffer_t *buffer) override {
        void *memory = qrncore_system_new_vector(buffer->size ? buffer->size : 1);
        if (!memory) return false;
        memset(memory, 0, buffer->size);
        buffer->device_words[0] = memory;
        if (buffer->fill) buffer->fill(buffer, memory);
        return true;
    }
    void release_buffer(r_buffer_t *buffer) override {
        if (buffer->device_words[0]) qrncore_system_delete_vector(buffer->device_words[0]);
        buffer->device_words[0] = nullptr;
    }
    int choose_pixel_format(int32_t, int32_t) override { return 1; }
    r_fbuffer_t *create_fbuffer(int32_t, int32_t) override { return new gl_fbuffer_t(this); }
    void destroy_fbuffer(r_fbuffer_t *fbuffer) override { delete static_cast<gl_fbuffer_t *>(fbuffer); }
    r_drawable_t *create_drawable(void *, int32_t) override {
        gl_drawable_t *drawable = new gl_drawable_t(this);
        if (drawable && !drawables.append(drawable)) {
            delete drawable;
            return nullptr;
        }
        return drawable;
    }
    void destroy_drawable(r_drawable_t *drawable) override {
        for (uint32_t i = 0; i < drawables.get_count(); ++i)
            if (drawables[i] == drawable) {
                drawables.remove(i);
                break;
            }
        delete static_cast<gl_drawable_t *>(drawable);
    }
    void begin_frame() override {
        for (gl_drawable_t *d : drawables) d->context->begin_frame();
    }
    void end_frame() override {
        for (gl_drawable_t *d : drawables) d->context->end_frame();
    }
    bool hw_load(c_item_t *item) override {
        if (item) item->flags |= c_item_t::HW_VALID;
        return item != nullptr;
    }
    void hw_free(c_item_t *item) override {
        if (item) item->flags &= ~uint32_t(c_item_t::HW_VALID);
    }

    r_mode_t current;
    uint64_t frames = 0;
    array_dyn_t<gl_drawable_t *> drawables;
};

void gl_context_t::get_size(int32_t *width, int32_t *height) {
    const r_mode_t &mode = static_cast<gl_device_t *>(device)->current;
    if (width) *width = mode.width;
    if (height) *height = mode.height;
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
        message("[gl] renderer unregistered");
        return true;
    }
};

}  // namespace
}  // namespace quarn

extern "C" __attribute__((visibility("default"))) quarn::dl_ops_t *gl_get_dl_ops() {
    static quarn::gl_ops_t ops;
    return &ops;
}
