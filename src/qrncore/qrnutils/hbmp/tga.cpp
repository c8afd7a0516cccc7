#include "qrncore/qrnutils/hbmp/tga.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/system/cpu.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr uint32_t TGA_MAX_SIDE = 65535;
// File writes take 32-bit lengths; larger pixel blocks go out in pieces of this size.
constexpr size_t WRITE_PIECE = size_t(1) << 30;

uint16_t get_le16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }

void put_le16(uint8_t *p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

// A true-colour header: zero but for the image type, the sides, the depth and the
// descriptor.
void make_header(uint8_t out[TGA_HEADER_SIZE], uint32_t width, uint32_t height, uint8_t depth, uint8_t descriptor) {
    memset(out, 0, TGA_HEADER_SIZE);
    out[2] = 2;
    put_le16(out + 12, width);
    put_le16(out + 14, height);
    out[16] = depth;
    out[17] = descriptor;
}

// Source bytes per pixel of the two formats the writers take; 0 for the rest.
uint32_t writable_pixel_size(hbmp_type_t type) { return type == HBMP_RGB ? 3 : type == HBMP_RGBA ? 4 : 0; }

bool sides_fit(const char *function, uint32_t width, uint32_t height) {
    if (width <= TGA_MAX_SIDE && height <= TGA_MAX_SIDE) return true;
    error("[hbmp] %s: %ux%u is too large for a TGA header", function, width, height);
    return false;
}

// Exchanges bytes 0 and 2 of every pixel: RGB(A) and BGR(A) into each other.
void swap_red_blue(uint8_t *p, size_t count, uint32_t bpp) {
    for (size_t i = 0; i < count; ++i, p += bpp) std::swap(p[0], p[2]);
}

// The reading of one image: the source bytes and where the next one is, the
// colour map, and how pixels turn into output bytes.
class tga_reader_t {
public:
    tga_reader_t(const uint8_t *image, size_t size) : m_image(image), m_size(size) {}

    bool run(uint8_t *dst);

private:
    // Copies one pixel from the source to out, through the colour map when there is
    // one. False (reported) for an index beyond the map.
    bool put_pixel(uint8_t *out, const uint8_t *in) {
        if (!m_map) {
            memcpy(out, in, m_out_bpp);
            return true;
        }
        if (*in >= m_map_entries) {
            error("[hbmp] tga: colour index %u beyond the %u entries of the map", unsigned(*in),
                  unsigned(m_map_entries));
            return false;
        }
        memcpy(out, m_map + size_t(*in) * m_out_bpp, m_out_bpp);
        return true;
    }
    bool short_data() {
        error("[hbmp] tga: image of %zu bytes ends before its pixels do", m_size);
        return false;
    }
    bool plain(uint8_t *dst, size_t count);
    bool run_length(uint8_t *dst, size_t count);

    const uint8_t *m_image;
    size_t m_size;
    size_t m_pos = 0;
    const uint8_t *m_map = nullptr;
    uint32_t m_map_entries = 0;
    uint32_t m_in_bpp = 0;
    uint32_t m_out_bpp = 0;
};

bool tga_reader_t::run(uint8_t *dst) {
    tga_header_t h;
    if (!tga_read_header(&h, m_image, m_size)) {
        error("[hbmp] tga: %zu bytes hold no header", m_size);
        return false;
    }
    const hbmp_type_t type = tga_type(h);
    m_out_bpp = hbmp_pixel_size(type);
    const uint32_t kind = h.image_type & ~8u;
    const bool encoded = (h.image_type & 8) != 0;
    // The output format of tga_type must be what the pixels hold: a grey image with a
    // colour map, or a mapped one without, would otherwise write beyond or short of dst.
    bool supported = false;
    switch (h.image_type) {
    case 1:
    case 9: supported = h.colour_map_type != 0 && h.pixel_depth == 8 && m_out_bpp >= 3; break;
    case 2:
    case 10: supported = h.pixel_depth == 24 || h.pixel_depth == 32; break;
    case 3: supported = type == HBMP_GREY; break;
    default: break;
    }
    if (!supported) {
        error("[hbmp] tga: image type %u with %u-bit pixels is not supported", unsigned(h.image_type),
              unsigned(h.pixel_depth));
        return false;
    }

    m_pos = TGA_HEADER_SIZE + h.id_length;
    if (h.colour_map_type != 0) {
        size_t map_bytes = size_t(h.colour_map_length) * ((h.colour_map_entry_bits + 7u) / 8u);
        if (m_pos > m_size || map_bytes > m_size - m_pos) return short_data();
        if (kind == 1) {
            m_map = m_image + m_pos;
            m_map_entries = h.colour_map_length;
        }
        m_pos += map_bytes;
    }
    m_in_bpp = kind == 1 ? 1 : m_out_bpp;

    const size_t count = size_t(h.width) * h.height;
    if (count == 0) return true;  // dst may be null when it holds no pixels
    return encoded ? run_length(dst, count) : plain(dst, count);
}

bool tga_reader_t::plain(uint8_t *dst, size_t count) {
    if (m_pos > m_size || count * m_in_bpp > m_size - m_pos) return short_data();
    const uint8_t *in = m_image + m_pos;
    if (!m_map) {
        cpu_copy(dst, in, count * m_out_bpp);
        return true;
    }
    for (size_t i = 0; i < count; ++i, ++in, dst += m_out_bpp)
        if (!put_pixel(dst, in)) return false;
    return true;
}

bool tga_reader_t::run_length(uint8_t *dst, size_t count) {
    size_t done = 0;
    while (done < count) {
        if (m_pos >= m_size) return short_data();
        const uint8_t packet = m_image[m_pos++];
        const size_t n = (packet & 0x7Fu) + 1u;
        if (n > count - done) {
            error("[hbmp] tga: a run of %zu pixels passes the last of %zu pixels", n, count);
            return false;
        }
        if (packet & 0x80) {
            if (m_in_bpp > m_size - m_pos) return short_data();
            if (!put_pixel(dst, m_image + m_pos)) return false;
            m_pos += m_in_bpp;
            for (size_t i = 1; i < n; ++i) memcpy(dst + i * m_out_bpp, dst, m_out_bpp);
            dst += n * m_out_bpp;
        } else {
            if (n * m_in_bpp > m_size - m_pos) return short_data();
            for (size_t i = 0; i < n; ++i, m_pos += m_in_bpp, dst += m_out_bpp)
                if (!put_pixel(dst, m_image + m_pos)) return false;
        }
        done += n;
    }
    return true;
}

}  // namespace

bool tga_read_header(tga_header_t *out, const void *image, size_t size) {
    if (size < TGA_HEADER_SIZE) return false;
    const auto *p = static_cast<const uint8_t *>(image);
    out->id_length = p[0];
    out->colour_map_type = p[1];
    out->image_type = p[2];
    out->colour_map_first = get_le16(p + 3);
    out->colour_map_length = get_le16(p + 5);
    out->colour_map_entry_bits = p[7];
    out->x_origin = get_le16(p + 8);
    out->y_origin = get_le16(p + 10);
    out->width = get_le16(p + 12);
    out->height = get_le16(p + 14);
    out->pixel_depth = p[16];
    out->descriptor = p[17];
    return true;
}

hbmp_type_t tga_type(const tga_header_t &header) {
    switch (header.pixel_depth) {
    case 24: return HBMP_BGR;
    case 32: return HBMP_BGRA;
    case 8:
        if (header.colour_map_type == 0) return HBMP_GREY;
        if (header.colour_map_entry_bits == 24) return HBMP_BGR;
        if (header.colour_map_entry_bits == 32) return HBMP_BGRA;
        return HBMP_NONE;
    default: return HBMP_NONE;
    }
}

uint32_t tga_x_size(const tga_header_t &header) { return header.width; }

uint32_t tga_y_size(const tga_header_t &header) { return header.height; }

bool tga_decompress(void *dst, const void *image, size_t size) {
    tga_reader_t reader(static_cast<const uint8_t *>(image), size);
    return reader.run(static_cast<uint8_t *>(dst));
}

size_t tga_compress_size(uint32_t width, uint32_t height, hbmp_type_t type) {
    uint32_t bpp = writable_pixel_size(type);
    return bpp ? TGA_HEADER_SIZE + size_t(width) * height * bpp : 0;
}

bool tga_compress(void *dst, const void *pixels, uint32_t width, uint32_t height, hbmp_type_t type) {
    const uint32_t bpp = writable_pixel_size(type);
    if (!bpp) {
        error("[hbmp] tga_compress: images of type %d cannot be written", int(type));
        return false;
    }
    if (!sides_fit("tga_compress", width, height)) return false;
    auto *out = static_cast<uint8_t *>(dst);
    make_header(out, width, height, uint8_t(bpp * 8), 0);
    out += TGA_HEADER_SIZE;
    const auto *in = static_cast<const uint8_t *>(pixels);
    const size_t count = size_t(width) * height;
    for (size_t i = 0; i < count; ++i, in += bpp, out += bpp) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
        if (bpp == 4) out[3] = in[3];
    }
    // Descriptor 0: the origin is at the lower left, so the last row goes first.
    return hbmp_flip(bpp == 3 ? HBMP_BGR : HBMP_BGRA, width, height, static_cast<uint8_t *>(dst) + TGA_HEADER_SIZE);
}

bool tga_write(file_t &file, void *pixels, uint32_t width, uint32_t height, hbmp_type_t type) {
    const uint32_t bpp = writable_pixel_size(type);
    if (!bpp) {
        error("[hbmp] tga_write: images of type %d cannot be written", int(type));
        return false;
    }
    if (!sides_fit("tga_write", width, height)) return false;
    // Origin at the upper left (0x20); 8 alpha bits for RGBA.
    uint8_t header[TGA_HEADER_SIZE];
    make_header(header, width, height, uint8_t(bpp * 8), bpp == 3 ? 0x20 : 0x28);
    if (!file.write(header, TGA_HEADER_SIZE)) return false;

    const size_t count = size_t(width) * height;
    auto *bytes = static_cast<uint8_t *>(pixels);
    swap_red_blue(bytes, count, bpp);
    bool ok = true;
    for (size_t done = 0, total = count * bpp; ok && done < total;) {
        const size_t piece = std::min(total - done, WRITE_PIECE);
        ok = file.write(bytes + done, uint32_t(piece));
        done += piece;
    }
    swap_red_blue(bytes, count, bpp);
    return ok;
}

}  // namespace quarn
