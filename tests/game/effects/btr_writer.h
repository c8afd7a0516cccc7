#pragma once
// A small writer of ".btr" tree files for the tests (docs/formats/btr.md): nodes are
// appended in pre-order, an inner node's two subtrees right after it.
#include <cstdint>
#include <initializer_list>
#include <string>

#include "qrncore/math/vec.h"
#include "qrncore/spatial/le_bytes.h"

namespace quarn::test {

struct btr_writer_t {
    void inner() { bytes.push_back('\1'); }
    void leaf(const vec3_t &a, const vec3_t &b, std::initializer_list<uint32_t> items) {
        bytes.push_back('\0');
        for (float f : {a.x, a.y, a.z, b.x, b.y, b.z}) put(4, std::bit_cast<uint32_t>(f));
        put(2, uint32_t(items.size()));
        for (uint32_t i : items) put(4, i);
    }
    void put(int count, uint32_t value) {
        for (int i = 0; i < count; ++i) bytes.push_back(char(value >> (8 * i)));
    }
    std::string bytes;
};

}  // namespace quarn::test
