#include "qrncore/qrnutils/ufs/file_trait.h"

#include <bit>

#include "qrncore/system/messages.h"

namespace quarn {

bool file_write_floats(file_t &file, const float *values, uint32_t count) {
    V_ASSERT(count <= FILE_TRAIT_MAX_FLOATS);
    uint8_t bytes[FILE_TRAIT_MAX_FLOATS * 4];
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t bits = std::bit_cast<uint32_t>(values[i]);
        for (uint32_t b = 0; b < 4; ++b) bytes[i * 4 + b] = uint8_t(bits >> (8 * b));
    }
    return file.write(bytes, count * 4);
}

bool file_read_floats(file_t &file, float *values, uint32_t count) {
    V_ASSERT(count <= FILE_TRAIT_MAX_FLOATS);
    uint8_t bytes[FILE_TRAIT_MAX_FLOATS * 4];
    if (!file.read(bytes, count * 4)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t bits = 0;
        for (uint32_t b = 0; b < 4; ++b) bits |= uint32_t(bytes[i * 4 + b]) << (8 * b);
        values[i] = std::bit_cast<float>(bits);
    }
    return true;
}

float file_read_float(file_t &file) {
    float value = 0.0f;
    return file_read_floats(file, &value, 1) ? value : 0.0f;
}

}  // namespace quarn
