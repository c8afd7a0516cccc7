#include "kernel/gfx/gfx.h"

#include <cstring>
#include <new>

#include "kernel/console/cvars.h"
#include "kernel/gfx/gfx_cache.h"
#include "kernel/hw_devices.h"
#include "kernel/memory/m_server.h"
#include "kernel/memory/mem_sys.h"
#include "kernel/oswindow.h"
#include "outside/visbase/visbase.h"
#include "platform/window.h"
#include "qrncore/collections/bmem_manager.h"
#include "qrncore/collections/vdatalist.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr uint32_t RECORDS_PER_CHUNK = 32;

void request_flush(cvar_t *);

// The two texture settings are the player's (the options screen edits them): the
// configuration file keeps them.
cvar_t texture_detail("r_texture_detail", "0", cvar_t::STORED, nullptr, request_flush);
cvar_t anisotropy_factor("r_anisotropy_factor", "0.25", cvar_t::STORED, nullptr, request_flush);
cvar_t quirks("r_quirks", "0");
// A debug setting: every context keeps its draw log (docs/graphics.md).
void draw_log_changed(cvar_t *v) { r_draw_log_request(v->get_int() != 0); }
cvar_t draw_log("r_draw_log", "0", 0, nullptr, draw_log_changed);

struct front_end_t {
    r_driver_t *drivers[GFX_MAX_DRIVERS] = {};
    uint32_t driver_count = 0;
    r_device_t *device = nullptr;
    // The buffers: a ring through the sentinel.
    r_buffer_t sentinel;
    r_buffer_t *default_buffer = nullptr;
    gfx_capture_hook_t hooks[GFX_MAX_CAPTURE_HOOKS] = {};
    uint32_t hook_count = 0;
    r_mode_t desktop;
    r_mode_t current;
    bool active = false;
    bool flush_pending = false;
    bool started = false;
};

front_end_t fe;
bmem_manager_t proto_nodes;
bmem_manager_t packet_nodes;
vdatalist_t protos;
vdatalist_t packets;

void request_flush(cvar_t *) { fe.flush_pending = true; }

vdatalist_node_t *node_of(void *data) {
    return reinterpret_cast<vdatalist_node_t *>(static_cast<char *>(data) - vdatalist_node_t::DATA_OFFSET);
}

void free_packet_record(r_packet_t *packet) { gfx_free_packet(packet); }

// Exchanges row i with row height - 1 - i of RGB pixels.
void flip_rows(uint8_t *pixels, int32_t width, int32_t height) {
    const size_t row = size_t(width) * 3;
    for (int32_t y = 0; y < height / 2; ++y) {
        uint8_t *a = pixels + size_t(y) * row;
        uint8_t *b = pixels + size_t(height - 1 - y) * row;
        for (size_t i = 0; i < row; ++i) {
            const uint8_t t = a[i];
            a[i] = b[i];
            b[i] = t;
        }
    }
}

}  // namespace

void gfx_start() {
    if (fe.started) gfx_stop();
    for (cvar_t *v : {&texture_detail, &anisotropy_factor, &quirks, &draw_log}) cvar_register_variable(v);
    draw_log_changed(&draw_log);
    fe = front_end_t();
    fe.sentinel.prev = fe.sentinel.next = &fe.sentinel;
    protos.init_mm(sizeof(r_proto_t), RECORDS_PER_CHUNK, &proto_nodes);
    packets.init_mm(sizeof(r_packet_t), RECORDS_PER_CHUNK, &packet_nodes);
    fe.default_buffer = gfx_alloc_buffer(GFX_DEFAULT_BUFFER_KIND, 0);
    int width, height, bits, refresh;
    if (platform::display_desktop_mode(&width, &height, &bits, &refresh)) {
        fe.desktop = {width, height, bits, refresh < 2 ? 0 : refresh, 0};
    } else {
        fe.desktop = {1600, 1200, 32, 75, 0};
    }
    // Registration may have adopted values given before: nothing to flush yet.
    fe.flush_pending = false;
    fe.started = true;
}

void gfx_stop() {
    if (!fe.started) return;
    gfx_release_ui_packets();
    gfx_free_buffer(fe.default_buffer);
    fe.default_buffer = nullptr;
    // Buffers the game left are let go with the list.
    while (fe.sentinel.next != &fe.sentinel) gfx_free_buffer(fe.sentinel.next);
    protos.remove_all();
    packets.remove_all();
    for (cvar_t *v : {&texture_detail, &anisotropy_factor, &quirks, &draw_log}) cvar_unregister_variable(v);
    r_draw_log_request(false);
    fe.started = false;
}

}  // namespace quarn

using namespace quarn;

// ---- drivers and devices ----

int gfx_driver_register(r_driver_t *driver) {
    if (fe.driver_count == GFX_MAX_DRIVERS) {
        error("[gfx] Driver table overflow.");
        return 0;
    }
    fe.drivers[fe.driver_count++] = driver;
    return 1;
}

void gfx_driver_unregister(r_driver_t *driver) {
    for (uint32_t i = 0; i < fe.driver_count; ++i) {
        if (fe.drivers[i] != driver) continue;
        memmove(fe.drivers + i, fe.drivers + i + 1, (fe.driver_count - i - 1) * sizeof *fe.drivers);
        fe.drivers[--fe.driver_count] = nullptr;
        return;
    }
    error("[gfx] Driver not in driver table.");
}

int gfx_driver_count() { return int(fe.driver_count); }

r_driver_t *gfx_driver_get(int index) {
    if (index < 0 || uint32_t(index) >= fe.driver_count) {
        error("[gfx] Driver not in driver table.");
        return nullptr;
    }
    return fe.drivers[index];
}

r_driver_t *gfx_driver_enum(const char *name) {
    for (uint32_t i = 0; i < fe.driver_count; ++i)
        if (name && fe.drivers[i]->name && strcmp(fe.drivers[i]->name, name) == 0) return fe.drivers[i];
    error("[gfx] Driver (%s) not in driver table.", name ? name : "");
    return nullptr;
}

const char *gfx_driver_name(r_driver_t *driver) { return driver->name; }

int gfx_device_count(r_driver_t *driver) { return int(driver->device_count()); }

r_device_t *gfx_device_get(r_driver_t *driver, int index) {
    return index < 0 ? nullptr : driver->device_get(uint32_t(index));
}

r_device_t *gfx_device_enum(r_driver_t *driver, const char *name) {
    if (!driver) {
        error("[gfx] device enum: NULL driver provided!");
        return nullptr;
    }
    const char *wanted = name ? name : "";
    for (uint32_t i = 0; i < driver->device_count(); ++i) {
        r_device_t *d = driver->device_get(i);
        if (d && strcmp(d->name.c_str(), wanted) == 0) return d;
    }
    error("[gfx] Unrecognized device (%s) in driver (%s).", wanted, driver->name ? driver->name : "");
    return nullptr;
}

bool gfx_device_init(r_device_t *device) {
    if (device->create_and_init()) return true;
    error("[gfx] failed to create & init device");
    return false;
}

void gfx_device_shutdown(r_device_t *device) { device->shutdown(); }

int gfx_device_get_hw_state(r_device_t *device) { return device->state; }

r_device_t *gfx_set_rendering_device(r_device_t *device) {
    r_device_t *previous = fe.device;
    if (previous) {
        for (r_buffer_t *b = fe.sentinel.next; b != &fe.sentinel; b = b->next) previous->release_buffer(b);
    }
    fe.device = device;
    if (device) {
        for (r_buffer_t *b = fe.sentinel.next; b != &fe.sentinel; b = b->next) device->create_buffer(b);
    }
    return previous;
}

r_device_t *gfx_get_rendering_device() { return fe.device; }

void gfx_init_devices() {
    rend_proc_init();
    for (uint32_t i = 0; i < fe.driver_count; ++i) fe.drivers[i]->init();
    gfx_cache_take();
}

void gfx_shutdown_devices() {
    for (int i = 0; i < hw_device_count(); ++i) {
        hw_device_t *d = hw_device_get(i);
        if (d->device_class == hw_device_t::GRAPHICS && d->state != hw_device_t::SHUT_DOWN) hw_shutdown(d);
    }
    gfx_release_ui_packets();
    gfx_cache_release();
}

// ---- buffers ----

r_buffer_t *gfx_alloc_buffer(int kind, uint32_t size) {
    void *memory = qrncore_system_new(sizeof(r_buffer_t));
    if (!memory) {
        error("[gfx] Out of memory for a render buffer");
        return nullptr;
    }
    r_buffer_t *b = new (memory) r_buffer_t;
    b->kind = kind;
    b->size = size;
    if (fe.device) fe.device->create_buffer(b);
    b->prev = fe.sentinel.prev;
    b->next = &fe.sentinel;
    fe.sentinel.prev->next = b;
    fe.sentinel.prev = b;
    return b;
}

void gfx_free_buffer(r_buffer_t *buffer) {
    if (!buffer) return;
    if (fe.device) fe.device->release_buffer(buffer);
    buffer->prev->next = buffer->next;
    buffer->next->prev = buffer->prev;
    if (buffer == fe.default_buffer) fe.default_buffer = nullptr;
    qrncore_system_delete(buffer);
}

void gfx_buffer_set_fill(r_buffer_t *buffer, r_buffer_fill_t fill, void *owner) {
    if (!buffer) return;
    buffer->fill = fill;
    buffer->owner = owner;
    if (fe.device) {
        fe.device->release_buffer(buffer);
        fe.device->create_buffer(buffer);
    }
}

r_buffer_t *gfx_get_default_buffer() { return fe.default_buffer; }

// ---- prototypes and packets ----

r_proto_t *gfx_alloc_proto() {
    r_proto_t *p = protos.append()->data_as<r_proto_t>();
    memset(static_cast<void *>(p), 0, sizeof *p);
    p->ref_count = 1;
    return p;
}

void gfx_free_proto(r_proto_t *proto) {
    if (!proto) return;
    proto->free();
    protos.remove_pos(node_of(proto));
}

r_packet_t *gfx_alloc_packet() {
    r_packet_t *p = new (packets.append()->data()) r_packet_t;
    p->free_fn = free_packet_record;
    return p;
}

void gfx_free_packet(r_packet_t *packet) {
    if (!packet) return;
    packet->~r_packet_t();
    packets.remove_pos(node_of(packet));
}

void *_gfx_sprite() { return nullptr; }

// ---- frames ----

int gfx_screen_capture(gfx_capture_hook_t hook) {
    // The table holds four hooks; a fifth would be written past it.
    if (fe.hook_count == GFX_MAX_CAPTURE_HOOKS) {
        error("[gfx] Screen capture hook table overflow.");
        return -1;
    }
    fe.hooks[fe.hook_count++] = hook;
    return int(fe.hook_count);
}

int gfx_try_capture(r_context_t *context) {
    if (fe.hook_count == 0 || !context || !context->device) return 0;
    int32_t width = 0, height = 0;
    context->get_size(&width, &height);
    if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF) {
        error("[gfx] Can not capture a frame of %d x %d pixels", width, height);
        return 0;
    }
    const size_t bytes = size_t(width) * size_t(height) * 3;
    // Zero-filled, so that a device that cannot read gives a defined (black) image.
    uint8_t *pixels = static_cast<uint8_t *>(mem_sys_calloc(bytes));
    if (!pixels) {
        error("[gfx] Out of memory for a captured frame");
        return 0;
    }
    // The device gives the rows bottom first, as a frame buffer holds them; the image
    // goes to the hooks upright, its top row first.
    if (context->device->read_pixels(pixels, r_rect_t{0, 0, width, height})) flip_rows(pixels, width, height);
    r_image_t image;
    image.width = uint16_t(width);
    image.height = uint16_t(height);
    image.format = r_image_t::FORMAT_RGB;
    image.pixels = pixels;
    while (fe.hook_count > 0) {
        gfx_capture_hook_t hook = fe.hooks[--fe.hook_count];
        fe.hooks[fe.hook_count] = nullptr;
        hook(&image);
    }
    mem_sys_free(pixels);
    return 0;
}

int gfx_swapbuffers(r_context_t *context) {
    const int result = context && context->device ? context->device->swap(context) : 0;
    if (fe.flush_pending) {
        _mm_hw_free_all(GFX_TEXTURE_HW_KEY, nullptr);
        fe.flush_pending = false;
    }
    return result;
}

void gfx_hw_flush() { _mm_hw_free_all(GFX_TEXTURE_HW_KEY, nullptr); }

void gfx_begin_frame(r_device_t *device) { device->begin_frame(); }

void gfx_end_frame(r_device_t *device) { device->end_frame(); }

void gfx_set_gamma(r_device_t *device, float gamma) { device->set_gamma(gamma); }

void gfx_reset_stats(r_context_base_t *context) { context->reset_stats(); }

float gfx_texel_offset(r_context_t *context) { return context->texel_offset; }

// ---- settings ----

int gfx_get_texture_detail() {
    if (!fe.device) return 0;
    const int32_t v = texture_detail.get_int();
    return v < 0 ? 0 : v > 2 ? 2 : int(v);
}

float gfx_get_anisotropy_factor() {
    if (!fe.device) return 0.0f;
    const float v = anisotropy_factor.get_float();
    if (!(v > 0.0f)) return 0.0f;
    return v > 1.0f ? 1.0f : v;
}

bool gfx_quirks_enabled() { return quirks.get_int() != 0; }

bool gfx_is_active() { return fe.active; }

void gfx_set_active(bool active) { fe.active = active; }

void gfx_set_win_properties(void *, int width, int height) { oswindow_set_properties(nullptr, width, height); }

// ---- modes ----

r_mode_t gfx_get_desktop_mode() { return fe.desktop; }

bool gfx_mode_current(r_mode_t *out) {
    if (out) *out = fe.current;
    return true;
}

int gfx_mode_count(r_device_t *device) { return int(device->mode_count()); }

bool gfx_mode_get(r_device_t *device, int index, r_mode_t *out) {
    return index >= 0 && device->mode_get(uint32_t(index), out);
}

bool gfx_mode_init(r_device_t *device, const r_mode_t *mode, void *window, uint32_t flags) {
    return device->mode_init(mode, window, flags);
}

void gfx_mode_shutdown(r_device_t *device) { device->mode_shutdown(); }

// ---- forwarded ----

int gfx_pixelformat_choose(r_device_t *device, int depth_bits, int stencil_bits) {
    return device->choose_pixel_format(depth_bits, stencil_bits);
}

r_fbuffer_t *gfx_fbuffer_create(r_device_t *device, int width, int height) {
    return device->create_fbuffer(width, height);
}

void gfx_fbuffer_destroy(r_fbuffer_t *fbuffer) {
    if (fbuffer) fbuffer->device->destroy_fbuffer(fbuffer);
}

r_drawable_t *gfx_drawable_create(r_device_t *device, void *window, int flags) {
    return device->create_drawable(window, flags);
}

void gfx_drawable_destroy(r_drawable_t *drawable) {
    if (drawable) drawable->device->destroy_drawable(drawable);
}

bool gfx_drawable_get_size(r_drawable_t *drawable, int *width, int *height) {
    return drawable->get_size(width, height);
}

bool gfx_drawable_begin_update(r_drawable_t *drawable, int flags) { return drawable->begin_update(flags); }

void gfx_drawable_end_update(r_drawable_t *drawable) { drawable->end_update(); }

bool gfx_drawable_surface_begin_update(r_drawable_t *drawable, int flags) {
    return drawable->surface_begin_update(flags);
}

void gfx_drawable_surface_end_update(r_drawable_t *drawable) { drawable->surface_end_update(); }

r_context_t *gfx_drawable_context(r_drawable_t *drawable) { return drawable->context; }

bool gfx_get_image(r_drawable_t *drawable, r_image_t *out) { return drawable->get_image(out, mem_sys_alloc); }

bool gfx_hw_load(c_item_t *item) { return fe.device && fe.device->hw_load(item); }

void gfx_hw_free(c_item_t *item) {
    if (fe.device) fe.device->hw_free(item);
}

int gfx_available_path_count(r_context_t *context) { return int(context->paths.get_count()); }

int gfx_available_path(r_context_t *context, int index) { return context->paths[uint32_t(index)]; }

bool gfx_is_path_available(r_context_t *context, int path) {
    for (uint32_t i = 0; i < context->paths.get_count(); ++i)
        if (context->paths[i] == path) return true;
    return false;
}
