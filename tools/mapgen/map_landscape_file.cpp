#include "map_landscape_file.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "qrncore/spatial/le_bytes.h"

namespace mapgen {

namespace le = quarn::le_bytes;

namespace {

uint32_t longest_slot_list(const lnd_file_t &file) {
    size_t most = 0;
    for (const lnd_chunk_t &c : file.chunks) most = std::max(most, c.slots.size());
    return uint32_t(most);
}

}  // namespace

uint32_t lnd_slot_count(const lnd_file_t &file) { return file.slot_count.value_or(longest_slot_list(file)); }

lnd_bytes_t lnd_write(const lnd_file_t &file) {
    // A slot count given beyond the longest list is only written into the header.
    const uint32_t slots = std::min(lnd_slot_count(file), longest_slot_list(file));
    const uint32_t offset = file.table_offset.value_or(LND_HEADER_SIZE);
    const size_t record = LND_CHUNK_HEAD_SIZE + size_t(LND_SLOT_SIZE) * slots;
    lnd_bytes_t out(std::max<size_t>(LND_HEADER_SIZE, offset + record * file.chunks.size()), 0);
    le::put_u32(&out[0], file.version);
    le::put_u32(&out[4], file.chunk_count.value_or(uint32_t(file.chunks.size())));
    le::put_u32(&out[8], lnd_slot_count(file));
    le::put_u32(&out[12], offset);
    for (size_t i = 0; i < file.chunks.size(); ++i) {
        const lnd_chunk_t &c = file.chunks[i];
        uint8_t *p = &out[offset + record * i];
        const float box[6] = {c.box_min.x, c.box_min.y, c.box_min.z, c.box_max.x, c.box_max.y, c.box_max.z};
        for (int k = 0; k < 6; ++k) le::put_f32(p + 4 * k, box[k]);
        p[24] = c.has_collision;
        p[25] = c.has_model;
        p += LND_CHUNK_HEAD_SIZE;
        for (uint32_t s = 0; s < slots; ++s, p += LND_SLOT_SIZE) {
            const lnd_slot_t slot = s < c.slots.size() ? c.slots[s] : lnd_slot_t{};
            for (int l = 0; l < 3; ++l)
                for (int k = 0; k < 3; ++k) le::put_f32(p + 12 * l + 4 * k, slot.layers[l][k]);
        }
    }
    return out;
}

std::string lnd_chunk_path(const std::string &landscape_path, uint32_t index, const char *extension) {
    const size_t slash = landscape_path.rfind('/');
    const size_t dot = landscape_path.rfind('.');
    const std::string stem =
        dot != std::string::npos && (slash == std::string::npos || dot > slash) ? landscape_path.substr(0, dot)
                                                                                 : landscape_path;
    char number[16];
    snprintf(number, sizeof number, "_%04u", index);
    return stem + number + extension;
}

}  // namespace mapgen
