#include "qrncore/spatial/triangle_heap.h"

#include <cstring>
#include <utility>

#include "qrncore/spatial/kdop_builder.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// The three vertex numbers of triangle `number` of a set.
void corners_of(const triangle_set_t &set, uint32_t number, uint32_t v[3]) {
    if (set.is_strip()) {
        v[0] = number;
        v[1] = number + 1;
        v[2] = number + 2;
    } else {
        v[0] = set.indices[number];
        v[1] = set.indices[number + 1];
        v[2] = set.indices[number + 2];
    }
}

// A set's leaves: its triangles' identifiers and the tight volume of their corners
// (no margin, unlike the builder's default leaves).
kdop_node_t *write_triangle_leaf(const kdop_bnod_t *node, void *data, kdop_builder_t *builder) {
    const auto *set = static_cast<const triangle_set_t *>(data);
    kdop_node_t *leaf = builder->take_leaf(node);
    for (const kdop_bobj_t *o = builder->range_first(); o; o = builder->range_next(o)) {
        uint32_t v[3];
        corners_of(*set, triangle_heap_t::get_number(o->id), v);
        for (uint32_t c : v) leaf->enlarge(set->get_vertex(c));
    }
    return leaf;
}

// Room for a root-tree leaf: a leaf's size, and room for the inner nodes that join
// several sets should a leaf hold more than one.
size_t root_leaf_size(const kdop_bnod_t *node, void *) {
    const size_t joins = size_t(node->count - 1) * kdop_node_t::NODE_SIZE;
    const size_t leaf = kdop_node_t::leaf_size(node->count);
    return joins > leaf ? joins : leaf;
}

// A root-tree leaf is the root node of its set's own tree. Sets whose boxes are one
// and the same point share a leaf; they are joined under inner nodes, since handing
// back the first set's root alone would leave the others unreachable.
kdop_node_t *write_root_leaf(const kdop_bnod_t *, void *data, kdop_builder_t *builder) {
    const auto *sets = static_cast<const array_dyn_t<triangle_set_t> *>(data);
    const kdop_bobj_t *o = builder->range_first();
    kdop_node_t *joined = const_cast<kdop_node_t *>((*sets)[o->id].tree.get_root());
    for (o = builder->range_next(o); o; o = builder->range_next(o)) {
        auto *n = static_cast<kdop_node_t *>(builder->take_leaf_space(kdop_node_t::NODE_SIZE));
        n->left = joined;
        n->right = const_cast<kdop_node_t *>((*sets)[o->id].tree.get_root());
        n->set_void();
        n->enlarge(*n->left);
        n->enlarge(*n->right);
        joined = n;
    }
    return joined;
}

}  // namespace

vec3_t triangle_set_t::get_vertex(uint32_t v) const {
    // memcpy: the caller's stride need not keep floats aligned.
    vec3_t p;
    memcpy(&p, static_cast<const char *>(vertices) + size_t(v) * stride, sizeof p);
    return p;
}

triangle_heap_t::triangle_heap_t() = default;

triangle_heap_t::~triangle_heap_t() = default;

bool triangle_heap_t::append(uint32_t vertex_count, const void *vertices, uint32_t index_count,
                             const uint16_t *indices, uint32_t key, uint32_t stride, void *data) {
    if (m_sets.get_count() >= MAX_SETS) {
        error("[triangle_heap] all %u slots are taken: set %u not added", MAX_SETS, key);
        return false;
    }
    if (key == triangle_set_t::FREE_KEY) {
        error("[triangle_heap] key %08x marks free slots: set not added", key);
        return false;
    }
    // Numbers past 24 bits would run into the slot byte, and indices beyond the
    // vertices would be read from outside the caller's array.
    const uint32_t triangles = index_count ? index_count / 3 : (vertex_count > 2 ? vertex_count - 2 : 0);
    const uint32_t last_number = index_count ? 3 * (triangles ? triangles - 1 : 0) : (triangles ? triangles - 1 : 0);
    if (last_number > MAX_TRIANGLE_NUMBER) {
        error("[triangle_heap] set %u of %u triangles is too large (numbers have 24 bits)", key, triangles);
        return false;
    }
    for (uint32_t k = 0; k < 3 * triangles && index_count; ++k) {
        if (indices[k] >= vertex_count) {
            error("[triangle_heap] set %u: index %u names vertex %u of %u", key, k, indices[k], vertex_count);
            return false;
        }
    }

    const bool reused = !m_free.is_empty();
    const uint32_t slot = reused ? m_free[m_free.get_count() - 1] : m_sets.get_count();
    if (reused) m_free.remove(m_free.get_count() - 1);

    triangle_set_t set;
    set.vertex_count = vertex_count;
    set.index_count = index_count;
    set.vertices = vertices;
    set.indices = index_count ? indices : nullptr;
    set.key = key;
    set.stride = stride;
    set.data = data;

    kdop_builder_t builder(512, 128);
    builder.build_start(&set, LEAF_EXTENT, LEAF_TRIANGLES, write_triangle_leaf);
    for (uint32_t t = 0; t < triangles; ++t) {
        const uint32_t number = index_count ? 3 * t : t;
        uint32_t v[3];
        corners_of(set, number, v);
        const vec3_t a = set.get_vertex(v[0]), b = set.get_vertex(v[1]), c = set.get_vertex(v[2]);
        kdop_bobj_t *o = builder.build_object();
        o->id = slot << 24 | number;
        o->min = v_min(a, v_min(b, c));
        o->max = v_max(a, v_max(b, c));
        o->ref = (o->min + o->max) * 0.5f;
    }
    bool ok = builder.build_end(&set.tree);
    if (ok) ok = reused ? m_sets.set(slot, std::move(set)) != nullptr : m_sets.append(std::move(set)) != nullptr;
    if (!ok) {
        // A slot taken from the free list goes back, or it would be lost for good.
        if (reused) m_free.append(slot);
        error("[triangle_heap] set %u of %u triangles could not be stored", key, triangles);
        return false;
    }
    m_dirty = 1;
    return true;
}

uint32_t triangle_heap_t::remove(uint32_t key) {
    if (key == triangle_set_t::FREE_KEY) return 0;
    uint32_t removed = 0;
    for (uint32_t slot = 0; slot < m_sets.get_count(); ++slot) {
        triangle_set_t &set = m_sets[slot];
        if (set.key != key) continue;
        set.tree.release();
        set.key = triangle_set_t::FREE_KEY;
        // Cannot fail: the free list holds one entry per slot at most.
        m_free.append(slot);
        ++removed;
    }
    // The root tree pointed into the trees just released; an owner that walked it
    // before rebuilding would read freed memory, so it goes.
    if (removed) m_root.release();
    m_dirty = 1;
    return removed;
}

bool triangle_heap_t::build_root_tree() {
    m_root.release();
    m_dirty = 0;
    kdop_builder_t builder(512, 128);
    builder.build_start(&m_sets, 0.0f, 1, write_root_leaf, root_leaf_size);
    for (uint32_t slot = 0; slot < m_sets.get_count(); ++slot) {
        const kdop_node_t *root = m_sets[slot].tree.get_root();
        if (!root) continue;
        kdop_bobj_t *o = builder.build_object();
        o->id = slot;
        o->min = {root->min[0], root->min[1], root->min[2]};
        o->max = {root->max[0], root->max[1], root->max[2]};
        o->ref = (o->min + o->max) * 0.5f;
    }
    return builder.build_end(&m_root);
}

void triangle_heap_t::get_triangle(uint32_t triangle, vec3_t out[3]) const {
    const triangle_set_t &set = m_sets[get_slot(triangle)];
    uint32_t v[3];
    corners_of(set, get_number(triangle), v);
    for (int i = 0; i < 3; ++i) out[i] = set.get_vertex(v[i]);
}

}  // namespace quarn
