#pragma once
// Writes the landscape file "landscape.lnd" (docs/formats/landscape.md): a 16-byte
// header, then one record per chunk (its box, the collision and model flags and one
// texture-coordinate record per material slot). Every field is written as given, so a
// test can write a wrong version, a table offset past the end or a count that does not
// match the records.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "qrncore/math/vec.h"

namespace mapgen {

using lnd_bytes_t = std::vector<uint8_t>;

constexpr uint32_t LND_VERSION = 5;
constexpr uint32_t LND_HEADER_SIZE = 16;
constexpr uint32_t LND_CHUNK_HEAD_SIZE = 26;
constexpr uint32_t LND_SLOT_SIZE = 36;

// Three texture layers, each (uv_scale, u_offset, v_offset), layer 0 first.
struct lnd_slot_t {
    float layers[3][3] = {{1.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}};
};

struct lnd_chunk_t {
    quarn::vec3_t box_min, box_max;
    uint8_t has_collision = 0;
    uint8_t has_model = 0;
    // Written up to the file's slot count; missing records are identity layers
    // (scale 1, offsets 0).
    std::vector<lnd_slot_t> slots;
};

struct lnd_file_t {
    uint32_t version = LND_VERSION;
    // Unset: the number of chunks / the most slots any chunk has / right after the
    // header.
    std::optional<uint32_t> chunk_count;
    std::optional<uint32_t> slot_count;
    std::optional<uint32_t> table_offset;
    std::vector<lnd_chunk_t> chunks;
};

// The slot count written: the given one or the longest slot list.
uint32_t lnd_slot_count(const lnd_file_t &file);
// The file's bytes: header, then the chunk records at the table offset (bytes between
// the header and the table are 0). Records hold as many slot records as the slot
// count, but never more than the longest slot list (a larger count given for a test
// goes into the header only).
lnd_bytes_t lnd_write(const lnd_file_t &file);
// The chunk file name of chunk `index` for a landscape file path: its extension
// replaced by "_%04u" and `extension` ("a/b/c.lnd", 7, ".zmd" gives "a/b/c_0007.zmd").
std::string lnd_chunk_path(const std::string &landscape_path, uint32_t index, const char *extension);

}  // namespace mapgen
