#include "qrncore/qrnutils/hbmp/png_save.h"

#include <algorithm>
#include <cstring>

#include "qrncore/numerics/adler32.h"
#include "qrncore/numerics/crc.h"
#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

const uint8_t PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Bytes of row data that the blocks of narrow images carry; with the 5-byte block
// header and the 12 bytes of chunk framing an IDAT chunk stays below 16 KiB.
constexpr uint32_t ROW_BLOCK_BYTES = 16379;
// The most a stored deflate block can hold (its LEN field is 16 bits).
constexpr uint32_t STORED_BLOCK_MAX = 65535;
// Length, type and CRC around a chunk's data; the header of a stored block.
constexpr uint32_t CHUNK_FRAME = 12;
constexpr uint32_t STORED_HEADER = 5;

void put_be32(uint8_t *p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

// The chunk's data lies at frame + 8, len bytes; frame has room for the length and
// type before it and the CRC after it. One write for the whole chunk.
bool write_chunk(file_t &file, uint8_t *frame, const char type[4], uint32_t len) {
    put_be32(frame, len);
    memcpy(frame + 4, type, 4);
    put_be32(frame + 8 + len, crc32(frame + 4, size_t(len) + 4));
    return file.write(frame, len + CHUNK_FRAME);
}

struct host_buffer_t {
    explicit host_buffer_t(size_t n) : data(static_cast<uint8_t *>(qrncore_system_new_vector(n))) {}
    ~host_buffer_t() {
        if (data) qrncore_system_delete_vector(data);
    }
    host_buffer_t(const host_buffer_t &) = delete;
    host_buffer_t &operator=(const host_buffer_t &) = delete;

    uint8_t *data;
};

// Walks the zlib payload of an image: for each row the filter byte 0, then the row's
// pixels. Blocks take pieces of it without regard to where rows end.
class row_stream_t {
public:
    row_stream_t(const uint8_t *pixels, size_t row_pixels_bytes)
        : m_pixels(pixels), m_row(row_pixels_bytes) {}

    void take(uint8_t *out, size_t n) {
        while (n) {
            if (m_offset == 0) {
                *out++ = 0;
                --n;
                m_offset = 1;
                continue;
            }
            size_t piece = std::min(n, m_row + 1 - m_offset);
            memcpy(out, m_pixels + m_offset - 1, piece);
            out += piece;
            n -= piece;
            m_offset += piece;
            if (m_offset == m_row + 1) {
                m_pixels += m_row;
                m_offset = 0;
            }
        }
    }

private:
    const uint8_t *m_pixels;
    size_t m_row;
    size_t m_offset = 0;  // 0: the filter byte is next
};

}  // namespace

bool png_simple_save(file_t *file, const hbmp_t *image) {
    V_ASSERT(file && image);
    // An image without pixels would divide by its width below; PNG has no empty images.
    if (image->width == 0 || image->height == 0) {
        error("[hbmp] png_simple_save: %ux%u image has no pixels", unsigned(image->width),
              unsigned(image->height));
        return false;
    }
    if (!file->write(PNG_SIGNATURE, sizeof PNG_SIGNATURE)) return false;

    uint8_t colour_type;
    switch (image->type) {
    case HBMP_RGB: colour_type = 2; break;
    case HBMP_RGBA: colour_type = 6; break;
    case HBMP_GREY: colour_type = 0; break;
    default:
        error("[hbmp] png_simple_save: images of type %d cannot be written", int(image->type));
        return false;
    }
    V_ASSERT(image->pixels);
    const uint32_t bpp = hbmp_pixel_size(image->type);
    const uint32_t width = image->width, height = image->height;
    const size_t row_bytes = size_t(width) * bpp + 1;

    // Narrow images keep whole rows in each block (rows per block as the format has
    // always had them); rows too wide for that would give 0 rows a block, so the
    // payload is then cut into the largest stored blocks whatever the rows.
    const uint32_t rows_per_block = ROW_BLOCK_BYTES / width / bpp;
    const size_t block_bytes = rows_per_block ? rows_per_block * row_bytes : STORED_BLOCK_MAX;

    host_buffer_t frame(CHUNK_FRAME + STORED_HEADER + block_bytes);
    if (!frame.data) {
        error("[hbmp] png_simple_save: no memory for a block of %zu bytes", block_bytes);
        return false;
    }
    uint8_t *data = frame.data + 8;

    put_be32(data, width);
    put_be32(data + 4, height);
    data[8] = 8;  // bits per channel
    data[9] = colour_type;
    data[10] = 0;  // deflate
    data[11] = 0;  // adaptive filtering (every row uses filter 0)
    data[12] = 0;  // no interlace
    if (!write_chunk(*file, frame.data, "IHDR", 13)) return false;

    // zlib header: deflate with a 32 KiB window, fastest level.
    data[0] = 0x78;
    data[1] = 0x01;
    if (!write_chunk(*file, frame.data, "IDAT", 2)) return false;

    row_stream_t rows(static_cast<const uint8_t *>(image->pixels), row_bytes - 1);
    adler32_t adler;
    size_t remaining = size_t(height) * row_bytes;
    while (remaining) {
        const uint32_t n = uint32_t(std::min(remaining, block_bytes));
        remaining -= n;
        data[0] = remaining ? 0 : 1;  // last block
        data[1] = uint8_t(n);
        data[2] = uint8_t(n >> 8);
        data[3] = uint8_t(~n);
        data[4] = uint8_t(~n >> 8);
        rows.take(data + STORED_HEADER, n);
        adler.compute(data + STORED_HEADER, n);
        if (!write_chunk(*file, frame.data, "IDAT", n + STORED_HEADER)) return false;
    }

    put_be32(data, adler.value());
    if (!write_chunk(*file, frame.data, "IDAT", 4)) return false;
    return write_chunk(*file, frame.data, "IEND", 0);
}

}  // namespace quarn
