#pragma once
// kdop_node_t: one node of a k-DOP tree, a bounding volume of ten planes: a minimum
// and a maximum on each of the five axes x, y, z, (x + z)/2 and (x - z)/2.
//
// Nodes live inside one block owned by a kdop_tree_t. An inner node has two
// children; a leaf has none and carries, right behind the node record, a 32-bit
// object count and that many 32-bit object identifiers. Children are plain pointers
// in memory (the record therefore takes its natural 64-bit size); the stored form of
// a tree refers to them by 32-bit offsets instead (kdop_tree.h).
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/math/vec.h"

namespace quarn {

class file_t;

// Number of axes of the k-DOP.
inline constexpr int KDOP_AXES = 5;
// Start value of an empty volume (minimum +, maximum -). Not the largest float, so
// sums of two bounds stay finite.
inline constexpr float KDOP_VOID_BOUND = 3.37e38f;
// Largest object count of one leaf: leaves count their objects in 16 bits (also in
// the model files that carry k-DOP trees).
inline constexpr uint32_t KDOP_MAX_LEAF_COUNT = 0xFFFF;

// The projections of p on the five axes.
inline void kdop_project(const vec3_t &p, float out[KDOP_AXES]) {
    out[0] = p.x;
    out[1] = p.y;
    out[2] = p.z;
    out[3] = 0.5f * p.x + 0.5f * p.z;
    out[4] = 0.5f * p.x - 0.5f * p.z;
}

// The bounds of the box with corners lo and hi (lo <= hi component-wise) on the
// five axes. The diagonal bounds take the corner that extremises each axis.
inline void kdop_box_bounds(const vec3_t &lo, const vec3_t &hi, float mn[KDOP_AXES], float mx[KDOP_AXES]) {
    mn[0] = lo.x;
    mn[1] = lo.y;
    mn[2] = lo.z;
    mn[3] = 0.5f * lo.x + 0.5f * lo.z;
    mn[4] = 0.5f * lo.x - 0.5f * hi.z;
    mx[0] = hi.x;
    mx[1] = hi.y;
    mx[2] = hi.z;
    mx[3] = 0.5f * hi.x + 0.5f * hi.z;
    mx[4] = 0.5f * hi.x - 0.5f * lo.z;
}

struct QRNCORE_API kdop_node_t {
    // Bytes of an inner node; a leaf's count follows at this offset.
    static constexpr size_t NODE_SIZE = 2 * sizeof(void *) + 2 * KDOP_AXES * sizeof(float);
    static constexpr size_t LEAF_COUNT_OFFSET = NODE_SIZE;
    static constexpr size_t LEAF_IDS_OFFSET = NODE_SIZE + sizeof(uint32_t);
    // Nodes follow each other in a block, so every size keeps the pointer alignment.
    static constexpr size_t NODE_ALIGN = alignof(void *);

    // Bytes of a leaf of count objects: the node, the count and the identifiers,
    // rounded up to NODE_ALIGN. A leaf without objects still keeps its count word,
    // so reading the count of any leaf stays inside its own bytes.
    static constexpr size_t leaf_size(uint32_t count) {
        return (LEAF_IDS_OFFSET + size_t(count) * sizeof(uint32_t) + NODE_ALIGN - 1) & ~(NODE_ALIGN - 1);
    }

    bool is_leaf() const { return left == nullptr; }
    // Object count and identifiers of a leaf; only valid on leaves.
    uint32_t get_count() const { return *reinterpret_cast<const uint32_t *>(bytes() + LEAF_COUNT_OFFSET); }
    void set_count(uint32_t count) { *reinterpret_cast<uint32_t *>(bytes() + LEAF_COUNT_OFFSET) = count; }
    const uint32_t *get_ids() const { return reinterpret_cast<const uint32_t *>(bytes() + LEAF_IDS_OFFSET); }
    uint32_t *get_ids() { return reinterpret_cast<uint32_t *>(bytes() + LEAF_IDS_OFFSET); }

    // Empty volume: every minimum KDOP_VOID_BOUND, every maximum -KDOP_VOID_BOUND.
    void set_void();
    // Takes in a point, a box (lo <= hi) or another node's volume.
    void enlarge(const vec3_t &p);
    void enlarge(const vec3_t &lo, const vec3_t &hi);
    void enlarge(const kdop_node_t &other);
    // Moves every minimum down and every maximum up by margin.
    void widen(float margin);
    // The volumes overlap on all five axes; touching counts.
    bool overlaps(const float mn[KDOP_AXES], const float mx[KDOP_AXES]) const;

    // Writes the five minima, then the five maxima, each a 4-byte little-endian float.
    // Returns false at the first failed write (the file then holds part of them).
    bool write(file_t &file) const;
    // Reads the ten bounds in the order write puts them. A bound whose read fails
    // is set to 0 and false is returned at once: the bounds before it are read,
    // those after it are left as they were. Children and leaf contents are not
    // part of the record.
    bool read(file_t &file);

private:
    const char *bytes() const { return reinterpret_cast<const char *>(this); }
    char *bytes() { return reinterpret_cast<char *>(this); }

public:
    kdop_node_t *left;
    kdop_node_t *right;
    float min[KDOP_AXES];
    float max[KDOP_AXES];
};

static_assert(sizeof(kdop_node_t) == kdop_node_t::NODE_SIZE, "a node is its links and ten floats");
static_assert(kdop_node_t::NODE_SIZE % kdop_node_t::NODE_ALIGN == 0);

}  // namespace quarn
