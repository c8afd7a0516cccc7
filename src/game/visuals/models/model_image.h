#pragma once
// model_image_t: a loaded model file held as bytes, with the little-endian field
// reads and the range tests the four model readers share. The image is not owned:
// the reader's owner (a resource item) keeps the memory and tells the reader when it
// moves (rebase).
//
// model_check_t: the load-time checks. Each test works in 64-bit arithmetic, so no
// offset plus length can wrap; the first failed test logs the file as malformed and
// a second line naming the check and the file offset of the field that failed.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/spatial/le_bytes.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

class model_image_t {
public:
    void set(const void *data, uint64_t size) {
        m_data = static_cast<const uint8_t *>(data);
        m_size = size;
    }
    void rebase(const void *data) { m_data = static_cast<const uint8_t *>(data); }
    void clear() { set(nullptr, 0); }

    const uint8_t *data() const { return m_data; }
    uint64_t size() const { return m_size; }

    // [offset, offset + length) lies inside the image.
    bool holds(uint64_t offset, uint64_t length) const { return offset <= m_size && length <= m_size - offset; }
    // A zero-terminated string starts at offset and ends inside the image.
    bool holds_string(uint64_t offset) const;

    // Field reads; the caller has made sure the field lies inside.
    uint8_t u8(uint64_t offset) const { return m_data[offset]; }
    uint16_t u16(uint64_t offset) const { return le_bytes::get_u16(m_data + offset); }
    uint32_t u32(uint64_t offset) const { return le_bytes::get_u32(m_data + offset); }
    uint64_t u64(uint64_t offset) const { return le_bytes::get_u64(m_data + offset); }
    float f32(uint64_t offset) const { return le_bytes::get_f32(m_data + offset); }
    const char *text(uint64_t offset) const { return reinterpret_cast<const char *>(m_data + offset); }
    template <class T>
    const T *at(uint64_t offset) const {
        return reinterpret_cast<const T *>(m_data + offset);
    }

private:
    const uint8_t *m_data = nullptr;
    uint64_t m_size = 0;
};

class model_check_t {
public:
    // kind names the file in messages ("geometry", "descriptor", ...).
    model_check_t(const model_image_t &image, const char *kind, const char *path)
        : m_image(image), m_kind(kind), m_path(path) {}

    // Logs the failure of the check at the field's offset and returns false. The
    // first failure also logs "[model] Model <kind> '<path>' is malformed.".
    bool fail(uint64_t field, const char *fmt, ...) V_PRINTF(3, 4);

    // The region [offset, offset + length) lies inside the file; what names it.
    bool inside(uint64_t field, uint64_t offset, uint64_t length, const char *what);
    // The same for count records of size bytes.
    bool inside(uint64_t field, uint64_t offset, uint64_t count, uint64_t size, const char *what) {
        return inside(field, offset, count * size, what);
    }
    // The same, and the offset is a multiple of 4: the region is handed out as a
    // pointer to 16- or 32-bit values.
    bool inside_aligned(uint64_t field, uint64_t offset, uint64_t length, const char *what);
    // A zero-terminated string lies at offset.
    bool string_at(uint64_t field, uint64_t offset, const char *what);

    const model_image_t &image() const { return m_image; }

private:
    const model_image_t &m_image;
    const char *m_kind;
    const char *m_path;
    bool m_reported = false;
};

// Logs "[model] Model <kind> '<path>' has incorrect file version %u - expected
// version %u" and returns false (the descriptor, collision and animation files).
bool model_bad_version(const char *kind, const char *path, uint32_t found, uint32_t expected);

}  // namespace quarn
