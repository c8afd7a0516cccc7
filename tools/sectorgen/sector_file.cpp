#include "sector_file.h"

#include <cstdint>

#include "qrncore/spatial/le_bytes.h"

namespace sectorgen {

namespace {

void put_u32(std::string &out, uint32_t v) {
    uint8_t b[4];
    quarn::le_bytes::put_u32(b, v);
    out.append(reinterpret_cast<const char *>(b), 4);
}

void put_u64(std::string &out, uint64_t v) {
    uint8_t b[8];
    quarn::le_bytes::put_u64(b, v);
    out.append(reinterpret_cast<const char *>(b), 8);
}

void put_f32(std::string &out, float v) {
    uint8_t b[4];
    quarn::le_bytes::put_f32(b, v);
    out.append(reinterpret_cast<const char *>(b), 4);
}

}  // namespace

std::string sector_bytes(const sector_t &sector) {
    std::string out;
    put_u64(out, sector.points.size());
    for (const auto &p : sector.points)
        for (float v : p) put_f32(out, v);
    put_u64(out, sector.cells.size());
    for (const sector_cell_t &cell : sector.cells) {
        put_u32(out, cell.kind);
        put_u64(out, cell.links.size());
        for (const link_t &link : cell.links) {
            put_u32(out, link.point);
            put_u32(out, link.has_neighbour ? 1 : 0);
            if (!link.has_neighbour) continue;
            put_u32(out, link.neighbour_cell);
            put_u32(out, link.neighbour_edge);
        }
    }
    return out;
}

bool compile_description(const std::string &text, const std::string &source, std::string *bytes, std::string *error) {
    description_t description;
    sector_t sector;
    if (!read_description(text, source, &description, error) || !build_sector(description, &sector, error))
        return false;
    *bytes = sector_bytes(sector);
    return true;
}

}  // namespace sectorgen
