#pragma once
// landscape_file_view_t: the reader of a landscape file ("landscape.lnd",
// docs/formats/landscape.md) over its loaded image: the chunk count, each chunk's box
// and flags, and the texture-coordinate records of its material slots.
//
// open() checks the whole image in 64-bit arithmetic before anything is read: the
// version, the header, the chunk table against the file's end (a count or slot count
// whose records pass it included) and the boxes; a file that fails is refused with a
// "[model]" error. attach() views an image that open() accepted before (the same bytes
// brought back into memory), without checking again.
#include <cstdint>

#include "qrncore/geometry/aabox.h"
#include "qrncore/strings/mstring.h"
#include "qrncore/strings/string.h"

namespace quarn {

class landscape_file_view_t {
public:
    static constexpr uint32_t VERSION = 5;
    static constexpr uint32_t HEADER_SIZE = 16;
    static constexpr uint32_t CHUNK_HEAD_SIZE = 26;
    static constexpr uint32_t SLOT_SIZE = 36;

    // Checks and views the image; false, logged with the path, when refused.
    bool open(const void *image, uint64_t size, const string &path);
    // Views an image open() accepted before.
    void attach(const void *image, uint64_t size);
    void close() { m_image = nullptr; }
    bool is_open() const { return m_image != nullptr; }

    uint32_t get_chunk_count() const { return m_chunk_count; }
    uint32_t get_slot_count() const { return m_slot_count; }
    // Bytes of one chunk record: 26 + 36 × slot count.
    uint64_t get_record_size() const { return CHUNK_HEAD_SIZE + uint64_t(SLOT_SIZE) * m_slot_count; }

    // Chunk accessors take an index below the chunk count (a caller error otherwise).
    aabox_t get_chunk_box(uint32_t chunk) const;
    bool has_collision(uint32_t chunk) const;
    bool has_model(uint32_t chunk) const;
    // Layer (0-2) of material slot `slot`: its uv scale, u offset and v offset. False,
    // with the identity (1, 0, 0), when the slot is at or beyond the slot count.
    bool get_slot_layer(uint32_t chunk, uint32_t slot, uint32_t layer, float out[3]) const;

private:
    const uint8_t *record(uint32_t chunk) const;

    const uint8_t *m_image = nullptr;
    uint64_t m_size = 0;
    uint32_t m_chunk_count = 0;
    uint32_t m_slot_count = 0;
    uint32_t m_table_offset = 0;
};

// The file name of chunk `index`: the landscape path's extension replaced by "_%04u"
// and then by `extension` ("a/b/c.lnd", 7, ".zmd" gives "a/b/c_0007.zmd"). False when
// out cannot hold it.
bool landscape_chunk_path(const string &landscape_path, uint32_t index, const string &extension, mstring_t &out);

}  // namespace quarn
