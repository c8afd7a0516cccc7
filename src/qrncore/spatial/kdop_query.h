#pragma once
// Walks of a k-DOP tree that hand the leaves a box or a segment may touch to a
// visitor. A leaf's volume encloses its objects (with a margin for the builder's
// default leaves), so the visitor sees a superset of the objects concerned and tests
// them itself. The walks work from any node: a tree's root or a triangle heap's
// combined root.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/math/vec.h"
#include "qrncore/spatial/kdop_node.h"

namespace quarn {

// Receives one leaf; returning false ends the walk.
using kdop_visitor_t = bool (*)(const kdop_node_t *leaf, void *data);

// Visits, left subtree first, every leaf whose volume overlaps the box's volume on
// the five axes (touching counts). The corners may come in any order. Returns false
// when the visitor ended the walk, true otherwise (also for a null root). Aborts on
// a tree deeper than KDOP_MAX_DEPTH.
QRNCORE_API bool kdop_query_box(const kdop_node_t *root, const vec3_t &corner_a, const vec3_t &corner_b,
                                kdop_visitor_t visit, void *data);

// Visits, left subtree first, every leaf whose volume the segment from a to b meets
// (ends and touching included; a segment of two equal points is that point). Returns
// as kdop_query_box does.
QRNCORE_API bool kdop_query_segment(const kdop_node_t *root, const vec3_t &a, const vec3_t &b, kdop_visitor_t visit,
                                    void *data);

}  // namespace quarn
