#pragma once
// The graphics front-end: the kernel's plain C face of rendering. The renderer
// plug-in registers its drivers here; the front-end keeps the driver table, the
// current rendering device with the render buffers that follow it from device to
// device, the pools of prototypes and packets, the per-frame immediate cache, the
// one-shot screen-capture hooks, the desktop mode, the render variables and the
// deferred flush of hardware copies. Everything else is forwarded to the renderer
// objects the caller passes in.
#include <cstddef>
#include <cstdint>

#include "kernel/api.h"
#include "outside/qrnshared/r_proto.h"
#include "outside/visbase/render.h"

namespace quarn {

class c_item_t;
class unit_base_t;

constexpr uint32_t GFX_MAX_DRIVERS = 4;
constexpr uint32_t GFX_MAX_CAPTURE_HOOKS = 4;
// The kind of the default buffer.
constexpr int32_t GFX_DEFAULT_BUFFER_KIND = 12;
// The hardware key of texture items, whose copies a texture setting flushes.
constexpr int GFX_TEXTURE_HW_KEY = 5;

using gfx_capture_hook_t = void (*)(const r_image_t *image);

// Boot step 12: registers "r_texture_detail", "r_anisotropy_factor" and "r_quirks",
// empties the driver table, makes the buffer list with the default buffer and reads
// the desktop mode (1600 x 1200, 32 bits, 75 Hz when the display does not say).
void gfx_start();
// Boot step 15: releases the default buffer and the list, unregisters the variables.
void gfx_stop();

}  // namespace quarn

extern "C" {
// ---- drivers and devices ----
// Appends the driver; 0 (logged) when the table holds four already.
KERNEL_API int gfx_driver_register(quarn::r_driver_t *driver);
// Removes the driver (later ones move up); an unknown one is logged.
KERNEL_API void gfx_driver_unregister(quarn::r_driver_t *driver);
KERNEL_API int gfx_driver_count();
// The driver at index; null (logged) for an index not below the count.
KERNEL_API quarn::r_driver_t *gfx_driver_get(int index);
// The first driver named exactly name; null (logged) when none is.
KERNEL_API quarn::r_driver_t *gfx_driver_enum(const char *name);
KERNEL_API const char *gfx_driver_name(quarn::r_driver_t *driver);
KERNEL_API int gfx_device_count(quarn::r_driver_t *driver);
KERNEL_API quarn::r_device_t *gfx_device_get(quarn::r_driver_t *driver, int index);
// The first device of the driver named name (a device without one has ""); null
// (logged) for a null driver or no such device.
KERNEL_API quarn::r_device_t *gfx_device_enum(quarn::r_driver_t *driver, const char *name);
// The device's create-and-init; false logged.
KERNEL_API bool gfx_device_init(quarn::r_device_t *device);
KERNEL_API void gfx_device_shutdown(quarn::r_device_t *device);
KERNEL_API int gfx_device_get_hw_state(quarn::r_device_t *device);
// Moves every buffer from the current device to device (released on the old one,
// created on the new one); returns the device that was current.
KERNEL_API quarn::r_device_t *gfx_set_rendering_device(quarn::r_device_t *device);
KERNEL_API quarn::r_device_t *gfx_get_rendering_device();
// Starts the renderer's process, lets every driver initialise, takes the immediate
// cache.
KERNEL_API void gfx_init_devices();
// Shuts down every graphics device that is not shut down, empties the UI parameter
// packets and frees the immediate cache.
KERNEL_API void gfx_shutdown_devices();

// ---- buffers ----
// A new buffer of kind and size, made on the current device when there is one.
KERNEL_API quarn::r_buffer_t *gfx_alloc_buffer(int kind, uint32_t size);
// Releases it on the current device and deletes it; null is ignored.
KERNEL_API void gfx_free_buffer(quarn::r_buffer_t *buffer);
// Gives the buffer its fill callback and owner; when a rendering device holds the
// buffer it makes the buffer's memory again, so the callback fills it at once.
KERNEL_API void gfx_buffer_set_fill(quarn::r_buffer_t *buffer, quarn::r_buffer_fill_t fill, void *owner);
KERNEL_API quarn::r_buffer_t *gfx_get_default_buffer();

// ---- prototypes and packets ----
// A new prototype: count 1, every other field zero.
KERNEL_API quarn::r_proto_t *gfx_alloc_proto();
// Frees what it keeps (r_proto_t::free) and returns it to the pool.
KERNEL_API void gfx_free_proto(quarn::r_proto_t *proto);
// A new packet, as its constructor makes it; it returns to the pool at its last
// release.
KERNEL_API quarn::r_packet_t *gfx_alloc_packet();
KERNEL_API void gfx_free_packet(quarn::r_packet_t *packet);

// ---- the immediate cache ----
// bytes (rounded up to 16) at the fill offset; null, with the overflow flag set, when
// they do not fit.
KERNEL_API void *gfx_cache_alloc(size_t bytes);
// Saves / returns to the fill offset.
KERNEL_API void gfx_cache_push();
KERNEL_API void gfx_cache_pop();
// The frame's end: after an overflow the cache grows by half; then it is empty.
KERNEL_API void gfx_cache_sweep();
KERNEL_API void *_gfx_sprite();

// ---- frames ----
// Pushes a one-shot capture hook; the number of hooks, or -1 (logged) when four wait.
KERNEL_API int gfx_screen_capture(quarn::gfx_capture_hook_t hook);
// Reads the context's frame (the device gives it bottom row first) and hands it to
// the hooks upright (r_image_t), the last pushed first, each removed before it is
// called. Returns 0.
KERNEL_API int gfx_try_capture(quarn::r_context_t *context);
// The device's swap, then the deferred flush of texture copies when one is asked.
KERNEL_API int gfx_swapbuffers(quarn::r_context_t *context);
KERNEL_API void gfx_hw_flush();
KERNEL_API void gfx_begin_frame(quarn::r_device_t *device);
KERNEL_API void gfx_end_frame(quarn::r_device_t *device);
KERNEL_API void gfx_set_gamma(quarn::r_device_t *device, float gamma);
KERNEL_API void gfx_reset_stats(quarn::r_context_base_t *context);
KERNEL_API float gfx_texel_offset(quarn::r_context_t *context);

// ---- settings ----
// 0 without a rendering device; else "r_texture_detail" within 0-2.
KERNEL_API int gfx_get_texture_detail();
// 0 without a rendering device; else "r_anisotropy_factor" within 0-1.
KERNEL_API float gfx_get_anisotropy_factor();
KERNEL_API bool gfx_quirks_enabled();
KERNEL_API bool gfx_is_active();
KERNEL_API void gfx_set_active(bool active);
KERNEL_API void gfx_set_win_properties(void *ignored, int width, int height);

// ---- modes ----
KERNEL_API quarn::r_mode_t gfx_get_desktop_mode();
// Copies the current mode record (nothing writes it: it stays zero); true.
KERNEL_API bool gfx_mode_current(quarn::r_mode_t *out);
KERNEL_API int gfx_mode_count(quarn::r_device_t *device);
KERNEL_API bool gfx_mode_get(quarn::r_device_t *device, int index, quarn::r_mode_t *out);
KERNEL_API bool gfx_mode_init(quarn::r_device_t *device, const quarn::r_mode_t *mode, void *window, uint32_t flags);
KERNEL_API void gfx_mode_shutdown(quarn::r_device_t *device);

// ---- forwarded to the device, the drawable or the context ----
KERNEL_API int gfx_pixelformat_choose(quarn::r_device_t *device, int depth_bits, int stencil_bits);
KERNEL_API quarn::r_fbuffer_t *gfx_fbuffer_create(quarn::r_device_t *device, int width, int height);
KERNEL_API void gfx_fbuffer_destroy(quarn::r_fbuffer_t *fbuffer);
KERNEL_API quarn::r_drawable_t *gfx_drawable_create(quarn::r_device_t *device, void *window, int flags);
KERNEL_API void gfx_drawable_destroy(quarn::r_drawable_t *drawable);
KERNEL_API bool gfx_drawable_get_size(quarn::r_drawable_t *drawable, int *width, int *height);
KERNEL_API bool gfx_drawable_begin_update(quarn::r_drawable_t *drawable, int flags);
KERNEL_API void gfx_drawable_end_update(quarn::r_drawable_t *drawable);
KERNEL_API bool gfx_drawable_surface_begin_update(quarn::r_drawable_t *drawable, int flags);
KERNEL_API void gfx_drawable_surface_end_update(quarn::r_drawable_t *drawable);
KERNEL_API quarn::r_context_t *gfx_drawable_context(quarn::r_drawable_t *drawable);
KERNEL_API bool gfx_get_image(quarn::r_drawable_t *drawable, quarn::r_image_t *out);
KERNEL_API bool gfx_hw_load(quarn::c_item_t *item);
KERNEL_API void gfx_hw_free(quarn::c_item_t *item);
KERNEL_API int gfx_available_path_count(quarn::r_context_t *context);
// The path at index; an index not below the count aborts.
KERNEL_API int gfx_available_path(quarn::r_context_t *context, int index);
KERNEL_API bool gfx_is_path_available(quarn::r_context_t *context, int path);
}
