#pragma once
// The sort rules of the shader library's queues. Each prototype's key is the draw
// order of its material (smaller first; 0 for a prototype without a loaded material).
//
// - Grouped (queues 0 and 1): by draw order; prototypes of one material are equal and
//   stay together; of two materials with the same order, the one whose material item
//   lies at the higher address comes first. Equal prototypes keep no particular
//   order.
// - Stable (queues 2 to 8): by draw order alone; prototypes of equal order keep the
//   order in which they were queued. A merge sort: halves sorted recursively, runs of
//   two and three ordered directly, the left half merged back from a buffer of half
//   the length, kept on the heap between sorts.
//
// Both sort a copy of the keys and write the prototypes back, so a material is read
// once per prototype, not once per comparison.
#include <cstdint>

#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/system/host_object.h"

namespace quarn {

struct r_proto_t;

// The draw order of the prototype's material; 0 without a loaded material.
int32_t shaderlib_draw_order(const r_proto_t *proto);

class shaderlib_sorter_t : public host_object_t {
public:
    struct key_t {
        int32_t order;
        uintptr_t material;
        r_proto_t *proto;
    };

    // Sort the count prototypes in place. Fewer than two are left as they are. False
    // (logged, the prototypes left in their order) when the keys get no memory.
    bool sort_grouped(r_proto_t **protos, uint32_t count);
    bool sort_stable(r_proto_t **protos, uint32_t count);

private:
    bool fill(r_proto_t **protos, uint32_t count);
    void write_back(r_proto_t **protos, uint32_t count) const;
    void merge_sort(key_t *keys, uint32_t count);

    array_dyn_t<key_t> m_keys;
    array_dyn_t<key_t> m_buffer;
};

}  // namespace quarn
