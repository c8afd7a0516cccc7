#pragma once
// Little-endian fields in byte buffers, for the stored forms of the spatial
// structures and the other binary files read field by field. Fields are copied byte
// by byte, so any buffer alignment works and the result does not depend on the
// host's byte order.
#include <bit>
#include <cstdint>

namespace quarn::le_bytes {

inline void put_u16(uint8_t *p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

inline uint16_t get_u16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }

inline void put_u32(uint8_t *p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

inline uint32_t get_u32(const uint8_t *p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void put_u64(uint8_t *p, uint64_t v) {
    put_u32(p, uint32_t(v));
    put_u32(p + 4, uint32_t(v >> 32));
}

inline uint64_t get_u64(const uint8_t *p) { return uint64_t(get_u32(p)) | uint64_t(get_u32(p + 4)) << 32; }

inline void put_f32(uint8_t *p, float v) { put_u32(p, std::bit_cast<uint32_t>(v)); }

inline float get_f32(const uint8_t *p) { return std::bit_cast<float>(get_u32(p)); }

}  // namespace quarn::le_bytes
