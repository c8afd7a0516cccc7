#include "outside/gl/gl_image.h"

#include <png.h>

#include <cstring>

#include "qrncore/qrnutils/hbmp/tga.h"

namespace quarn::gl {

namespace {

constexpr uint8_t PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
// TGA descriptor bit: the first row stored is the image's top.
constexpr uint8_t TGA_TOP_ORIGIN = 0x20;

bool fail(const char **why, const char *reason) {
    if (why) *why = reason;
    return false;
}

bool size_out(gl_image_t *out, uint32_t width, uint32_t height, const char **why) {
    if (width == 0 || height == 0) return fail(why, "it has no pixels");
    if (width > GL_IMAGE_MAX_SIDE || height > GL_IMAGE_MAX_SIDE) return fail(why, "it is too large");
    if (!out->rgba.set_size(width * height * 4)) return fail(why, "no memory for its pixels");
    out->width = width;
    out->height = height;
    return true;
}

bool read_png(const void *data, size_t size, gl_image_t *out, const char **why) {
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) return fail(why, "it is a damaged PNG file");
    image.format = PNG_FORMAT_RGBA;
    if (!size_out(out, image.width, image.height, why)) {
        png_image_free(&image);
        return false;
    }
    if (!png_image_finish_read(&image, nullptr, &out->rgba[0], 0, nullptr)) {
        png_image_free(&image);
        return fail(why, "it is a damaged PNG file");
    }
    return true;
}

bool read_tga(const void *data, size_t size, gl_image_t *out, const char **why) {
    tga_header_t h;
    if (!tga_read_header(&h, data, size)) return fail(why, "it is neither a TGA nor a PNG file");
    const hbmp_type_t type = tga_type(h);
    const uint32_t bpp = hbmp_pixel_size(type);
    if (bpp == 0) return fail(why, "its TGA pixel format is not read");
    if (!size_out(out, tga_x_size(h), tga_y_size(h), why)) return false;
    const uint32_t w = out->width, hgt = out->height;
    array_dyn_t<uint8_t> pixels;
    if (!pixels.set_size(w * hgt * bpp)) return fail(why, "no memory for its pixels");
    if (!tga_decompress(&pixels[0], data, size)) return fail(why, "it is a damaged TGA file");
    const bool top_first = (h.descriptor & TGA_TOP_ORIGIN) != 0;
    for (uint32_t y = 0; y < hgt; ++y) {
        const uint8_t *in = &pixels[(top_first ? y : hgt - 1 - y) * w * bpp];
        uint8_t *o = &out->rgba[y * w * 4];
        for (uint32_t x = 0; x < w; ++x, in += bpp, o += 4) {
            switch (type) {
            case HBMP_GREY: o[0] = o[1] = o[2] = in[0], o[3] = 255; break;
            case HBMP_BGR: o[0] = in[2], o[1] = in[1], o[2] = in[0], o[3] = 255; break;
            default: o[0] = in[2], o[1] = in[1], o[2] = in[0], o[3] = in[3]; break;
            }
        }
    }
    return true;
}

}  // namespace

bool gl_image_read(const void *data, size_t size, gl_image_t *out, const char **why) {
    out->width = out->height = 0;
    out->rgba.clear();
    if (!data) return fail(why, "it is empty");
    if (size >= sizeof PNG_SIGNATURE && memcmp(data, PNG_SIGNATURE, sizeof PNG_SIGNATURE) == 0)
        return read_png(data, size, out, why);
    return read_tga(data, size, out, why);
}

}  // namespace quarn::gl
