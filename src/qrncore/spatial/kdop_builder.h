#pragma once
// kdop_builder_t: collects objects (an identifier and a box each), splits them
// recursively into a tree of build nodes and lays the final k-DOP tree out in one
// block of exactly the size it needs. Callers may take over the split decision and
// the writing of leaves (the triangle heap does both).
//
// Usage: build_start, build_object for each object (fill the returned record),
// build_end. A builder can make several trees in turn; its pools keep their memory.
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/collections/bmem_manager.h"
#include "qrncore/collections/vdatalist.h"
#include "qrncore/math/vec.h"
#include "qrncore/spatial/kdop_node.h"
#include "qrncore/spatial/kdop_tree.h"

namespace quarn {

class kdop_builder_t;

// One collected object, filled by the caller.
struct kdop_bobj_t {
    uint32_t id;
    // The point the split sorts by, usually the box's centre.
    vec3_t ref;
    // Two corners; any order (the builder uses their component-wise min and max).
    vec3_t min;
    vec3_t max;
};

// A node of the temporary build tree. A leaf owns count objects of the builder's
// list from first on. It keeps no end position: the object after its range belongs
// to a range split later, whose reordering may move that object anywhere.
struct kdop_bnod_t {
    uint32_t count;
    kdop_bnod_t *left;
    kdop_bnod_t *right;
    vec3_t min;
    vec3_t max;
    vdatalist_node_t *first;
};

class QRNCORE_API kdop_builder_t {
public:
    // Writes one leaf at the builder's write position (take_leaf_space) and returns
    // it; the objects are those of the builder's current range.
    using leaf_writer_t = kdop_node_t *(*)(const kdop_bnod_t *node, void *data, kdop_builder_t *builder);
    // Bytes the leaf writer will take for this leaf.
    using leaf_size_t = size_t (*)(const kdop_bnod_t *node, void *data);
    // Chooses a split: axis 0-2 and the value on it; the objects are those of the
    // builder's current range. Returning false makes the node a leaf.
    using splitter_t = bool (*)(float *value, int *axis, uint32_t count, const vec3_t &min, const vec3_t &max,
                                void *data, kdop_builder_t *builder);

    // Below this depth the splitter decides; from it on nodes that must split are cut
    // into two halves by count, so no tree grows deeper than this plus 32 levels.
    static constexpr uint32_t SPLIT_DEPTH = 64;

    // Pool chunk sizes for objects and build nodes (0 counts as 1).
    explicit kdop_builder_t(uint32_t objects_per_chunk = 512, uint32_t nodes_per_chunk = 128);
    ~kdop_builder_t();
    kdop_builder_t(const kdop_builder_t &) = delete;
    kdop_builder_t &operator=(const kdop_builder_t &) = delete;

    // Starts collecting. A negative extent counts as 0, an object limit of 0 as 1.
    // Null callbacks mean the defaults: the variance splitter, the leaf writer that
    // widens its leaves by 1.0, and kdop_node_t::leaf_size. Objects of an earlier
    // start that never reached build_end are dropped. Aborts when called from a
    // callback during build_end.
    void build_start(void *data, float max_leaf_extent, uint16_t max_leaf_objects, leaf_writer_t writer = nullptr,
                     leaf_size_t leaf_size = nullptr, splitter_t splitter = nullptr);
    // A new object record for the caller to fill; only while collecting.
    kdop_bobj_t *build_object();
    // Builds the tree into tree, whose previous block is released first, and empties
    // the builder. No objects give an empty tree and true; false (logged) when the
    // block cannot be allocated or no root results (a leaf writer returned null).
    bool build_end(kdop_tree_t *tree);

    // The objects of the node being split or written, for the callbacks: the first
    // one (null for none) and the one after o (null at the end of the range).
    const kdop_bobj_t *range_first() const;
    const kdop_bobj_t *range_next(const kdop_bobj_t *o) const;
    // For leaf writers: returns the write position and moves it on by bytes. Aborts
    // when the leaf would pass the end of the block sized by the leaf-size pass.
    void *take_leaf_space(size_t bytes);
    // For leaf writers: takes a leaf's space for node's objects and writes all but its
    // volume: no children, the count and the identifiers of the current range in
    // order. The volume is left empty for the writer to enlarge.
    kdop_node_t *take_leaf(const kdop_bnod_t *node);

    // 1 idle, 2 collecting, 3 building the node tree, 4 writing the final tree.
    int get_state() const { return m_state; }
    uint32_t get_object_count() const { return m_objects.get_count(); }

    // The default callbacks, also for callers that wrap them.
    static bool default_splitter(float *value, int *axis, uint32_t count, const vec3_t &min, const vec3_t &max,
                                 void *data, kdop_builder_t *builder);
    static kdop_node_t *default_leaf_writer(const kdop_bnod_t *node, void *data, kdop_builder_t *builder);
    static size_t default_leaf_size(const kdop_bnod_t *node, void *data);

private:
    kdop_bnod_t *split(vdatalist_node_t *first, vdatalist_node_t *end, uint32_t count, const vec3_t &min,
                       const vec3_t &max, uint32_t depth);
    size_t measure(const kdop_bnod_t *node) const;
    kdop_node_t *write(const kdop_bnod_t *node);
    void reset();

    bmem_manager_t m_object_pool;
    bmem_manager_t m_node_pool;
    vdatalist_t m_objects;
    vdatalist_t m_nodes;
    float m_max_leaf_extent = 0.0f;
    uint16_t m_max_leaf_objects = 1;
    leaf_writer_t m_writer = nullptr;
    leaf_size_t m_leaf_size = nullptr;
    splitter_t m_splitter = nullptr;
    void *m_data = nullptr;
    char *m_write_pos = nullptr;
    char *m_write_end = nullptr;
    int m_state = 1;
    vdatalist_node_t *m_range_first = nullptr;
    vdatalist_node_t *m_range_end = nullptr;
};

}  // namespace quarn
