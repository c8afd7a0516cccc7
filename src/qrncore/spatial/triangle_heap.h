#pragma once
// triangle_heap_t: up to 255 independent triangle sets (the meshes of landscape
// pieces, say), each with a k-DOP tree over its triangles, joined by a root tree
// whose leaves are the sets' own root nodes, so that one walk from the root reaches
// every triangle. The heap refers to the caller's vertex and index data; it does not
// own or copy them, so they must outlive the set.
//
// A triangle identifier, as stored in the sets' leaves: bits 24-31 the set's slot,
// bits 0-23 the triangle's number in the set (its first index position for an
// indexed list, its first vertex for a strip).
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/collections/arrays/array_fix.h"
#include "qrncore/math/vec.h"
#include "qrncore/spatial/kdop_tree.h"

namespace quarn {

// One set of triangles: an indexed list, or a strip when it has no indices.
struct QRNCORE_API triangle_set_t {
    static constexpr uint32_t FREE_KEY = 0xFFFFFFFF;

    bool is_free() const { return key == FREE_KEY; }
    bool is_strip() const { return index_count == 0; }
    // The position of vertex v (the first three floats at vertices + v·stride).
    vec3_t get_vertex(uint32_t v) const;

    uint32_t vertex_count = 0;
    uint32_t index_count = 0;
    const void *vertices = nullptr;
    const uint16_t *indices = nullptr;
    kdop_tree_t tree;
    uint32_t key = FREE_KEY;
    uint32_t stride = 0;
    void *data = nullptr;
};

class QRNCORE_API triangle_heap_t {
public:
    static constexpr uint32_t MAX_SETS = 255;
    // Tree parameters of a set: leaves of at most 4 triangles or 4 units.
    static constexpr float LEAF_EXTENT = 4.0f;
    static constexpr uint16_t LEAF_TRIANGLES = 4;
    // Triangle numbers have 24 bits.
    static constexpr uint32_t MAX_TRIANGLE_NUMBER = 0xFFFFFF;

    static uint32_t get_slot(uint32_t triangle) { return triangle >> 24; }
    static uint32_t get_number(uint32_t triangle) { return triangle & MAX_TRIANGLE_NUMBER; }

    // No sets, no free slots, an empty root tree, not dirty.
    triangle_heap_t();
    ~triangle_heap_t();
    triangle_heap_t(const triangle_heap_t &) = delete;
    triangle_heap_t &operator=(const triangle_heap_t &) = delete;

    // Adds a set under key (which must not be FREE_KEY) in the slot freed last, or in
    // a new slot, and builds its tree. index_count 0 makes a strip: triangle i uses
    // vertices i, i + 1, i + 2 (fewer than 3 vertices give an empty set that still
    // takes a slot). Otherwise triangle k (k = 0, 3, 6, ...) uses the vertices named
    // by indices k, k + 1 and k + 2; indices after the last whole triangle are
    // ignored. Sets the dirty flag. False, with nothing changed, when 255 slots exist
    // (free ones included), for a key of FREE_KEY, for a set whose numbers pass 24
    // bits or whose indices name vertices beyond vertex_count (logged), or when the
    // tree cannot be built.
    bool append(uint32_t vertex_count, const void *vertices, uint32_t index_count, const uint16_t *indices,
                uint32_t key, uint32_t stride, void *data);
    // Removes every set of key and frees its slot for reuse; returns how many went.
    // Sets the dirty flag, even when none matched, except for key FREE_KEY, which
    // removes nothing. The root tree is released as soon as a set goes (it pointed
    // into that set's tree).
    uint32_t remove(uint32_t key);
    // Rebuilds the root tree over the live sets and clears the dirty flag. False
    // (logged) when the tree cannot be built; the root is then empty.
    bool build_root_tree();

    // The root to walk (kdop_query.h); null without live triangles or after a remove
    // until the next build_root_tree.
    const kdop_node_t *get_root() const { return m_root.get_root(); }
    bool is_dirty() const { return m_dirty != 0; }
    // Slots, free ones included.
    uint32_t get_slot_count() const { return m_sets.get_count(); }
    const triangle_set_t &get_set(uint32_t slot) const { return m_sets[slot]; }
    // The three corners of a triangle by identifier (slot and number must be valid).
    void get_triangle(uint32_t triangle, vec3_t out[3]) const;

private:
    array_dyn_t<triangle_set_t> m_sets;
    array_fix_t<uint32_t, MAX_SETS> m_free;
    uint8_t m_dirty = 0;
    kdop_tree_t m_root;
};

}  // namespace quarn
