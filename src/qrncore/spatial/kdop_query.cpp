#include "qrncore/spatial/kdop_query.h"

#include "qrncore/spatial/kdop_tree.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// Pre-order walk of the nodes that pass the test, handing leaves to the visitor.
template <class T>
bool walk(const kdop_node_t *root, T test, kdop_visitor_t visit, void *data) {
    if (!root) return true;
    // One waiting right child per level, plus the two children just pushed.
    const kdop_node_t *stack[KDOP_MAX_DEPTH + 2];
    uint32_t depth[KDOP_MAX_DEPTH + 2];
    uint32_t top = 0;
    stack[top] = root;
    depth[top++] = 1;
    while (top) {
        --top;
        const kdop_node_t *n = stack[top];
        const uint32_t d = depth[top];
        if (!test(*n)) continue;
        if (n->is_leaf()) {
            if (!visit(n, data)) return false;
            continue;
        }
        if (d >= KDOP_MAX_DEPTH) V_ABORT("k-DOP tree deeper than KDOP_MAX_DEPTH");
        stack[top] = n->right;
        depth[top++] = d + 1;
        stack[top] = n->left;
        depth[top++] = d + 1;
    }
    return true;
}

}  // namespace

bool kdop_query_box(const kdop_node_t *root, const vec3_t &corner_a, const vec3_t &corner_b, kdop_visitor_t visit,
                    void *data) {
    float mn[KDOP_AXES], mx[KDOP_AXES];
    kdop_box_bounds(v_min(corner_a, corner_b), v_max(corner_a, corner_b), mn, mx);
    return walk(root, [&](const kdop_node_t &n) { return n.overlaps(mn, mx); }, visit, data);
}

bool kdop_query_segment(const kdop_node_t *root, const vec3_t &a, const vec3_t &b, kdop_visitor_t visit,
                        void *data) {
    float pa[KDOP_AXES], pb[KDOP_AXES];
    kdop_project(a, pa);
    kdop_project(b, pb);
    // Slab clipping: the part of [0, 1] where a + t·(b - a) lies between the node's
    // minimum and maximum on every axis.
    const auto test = [&](const kdop_node_t &n) {
        float t0 = 0.0f, t1 = 1.0f;
        for (int i = 0; i < KDOP_AXES; ++i) {
            const float d = pb[i] - pa[i];
            if (d == 0.0f) {
                if (pa[i] < n.min[i] || pa[i] > n.max[i]) return false;
                continue;
            }
            float lo = (n.min[i] - pa[i]) / d, hi = (n.max[i] - pa[i]) / d;
            if (lo > hi) {
                const float t = lo;
                lo = hi;
                hi = t;
            }
            if (lo > t0) t0 = lo;
            if (hi < t1) t1 = hi;
            if (t0 > t1) return false;
        }
        return true;
    };
    return walk(root, test, visit, data);
}

}  // namespace quarn
