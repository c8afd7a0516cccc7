#include "game/world/landscape_file.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "qrncore/spatial/le_bytes.h"
#include "qrncore/strings/paths.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace le = le_bytes;

namespace {

bool malformed(const string &path, const char *what) {
    error("[model] Landscape '%s' is malformed: %s", path.c_str(), what);
    return false;
}

}  // namespace

bool landscape_file_view_t::open(const void *image, uint64_t size, const string &path) {
    close();
    const uint8_t *p = static_cast<const uint8_t *>(image);
    if (!p || size < 4) return malformed(path, "the file is shorter than its version");
    const uint32_t version = le::get_u32(p);
    if (version != VERSION) {
        error("[model] Landscape '%s' has incorrect file version %u - expected version %u", path.c_str(), version,
              VERSION);
        return false;
    }
    if (size < HEADER_SIZE) return malformed(path, "the file is shorter than its 16-byte header");
    const uint32_t count = le::get_u32(p + 4), slots = le::get_u32(p + 8), offset = le::get_u32(p + 12);
    if (offset < HEADER_SIZE || offset > size) return malformed(path, "the chunk table starts outside the file");
    // At most 2^32 records of at most 26 + 36 × (2^32 - 1) bytes: the product fits
    // in 64 bits.
    const uint64_t record_size = CHUNK_HEAD_SIZE + uint64_t(SLOT_SIZE) * slots;
    if (uint64_t(count) * record_size > size - offset) {
        char what[160];
        snprintf(what, sizeof what, "%u chunks of %" PRIu64 " bytes run past the end of the file (%" PRIu64 " bytes)",
                 count, record_size, size);
        return malformed(path, what);
    }
    attach(image, size);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t *r = record(i);
        for (int k = 0; k < 6; ++k) {
            if (!std::isfinite(le::get_f32(r + 4 * k))) {
                char what[96];
                snprintf(what, sizeof what, "the box of chunk %u is not finite", i);
                close();
                return malformed(path, what);
            }
        }
    }
    return true;
}

void landscape_file_view_t::attach(const void *image, uint64_t size) {
    m_image = static_cast<const uint8_t *>(image);
    m_size = size;
    m_chunk_count = le::get_u32(m_image + 4);
    m_slot_count = le::get_u32(m_image + 8);
    m_table_offset = le::get_u32(m_image + 12);
}

const uint8_t *landscape_file_view_t::record(uint32_t chunk) const {
    V_ASSERT(m_image && chunk < m_chunk_count);
    return m_image + m_table_offset + get_record_size() * chunk;
}

aabox_t landscape_file_view_t::get_chunk_box(uint32_t chunk) const {
    const uint8_t *r = record(chunk);
    return aabox_t({le::get_f32(r), le::get_f32(r + 4), le::get_f32(r + 8)},
                   {le::get_f32(r + 12), le::get_f32(r + 16), le::get_f32(r + 20)});
}

bool landscape_file_view_t::has_collision(uint32_t chunk) const { return record(chunk)[24] != 0; }

bool landscape_file_view_t::has_model(uint32_t chunk) const { return record(chunk)[25] != 0; }

bool landscape_file_view_t::get_slot_layer(uint32_t chunk, uint32_t slot, uint32_t layer, float out[3]) const {
    V_ASSERT(layer < 3);
    if (slot >= m_slot_count) {
        out[0] = 1.0f;
        out[1] = out[2] = 0.0f;
        return false;
    }
    const uint8_t *s = record(chunk) + CHUNK_HEAD_SIZE + uint64_t(SLOT_SIZE) * slot + 12 * layer;
    for (int k = 0; k < 3; ++k) out[k] = le::get_f32(s + 4 * k);
    return true;
}

bool landscape_chunk_path(const string &landscape_path, uint32_t index, const string &extension, mstring_t &out) {
    char suffix[24];
    snprintf(suffix, sizeof suffix, "_%04u", index);
    mstring_dyn_t full;
    // The extension goes (an empty one replaces it), then the chunk number and the
    // model file's extension follow.
    if (!full.copy(landscape_path) || !v_change_extension(full, "") || !full.append(suffix) ||
        !full.append(extension))
        return false;
    return out.copy(full);
}

}  // namespace quarn
