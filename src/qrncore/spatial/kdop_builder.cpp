#include "qrncore/spatial/kdop_builder.h"

#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

const kdop_bobj_t *object_of(const vdatalist_node_t *node) { return node->data_as<kdop_bobj_t>(); }

// Takes the object's box (corners in any order) into lo and hi.
void take_in(const kdop_bobj_t *o, vec3_t &lo, vec3_t &hi) {
    lo = v_min(lo, v_min(o->min, o->max));
    hi = v_max(hi, v_max(o->min, o->max));
}

constexpr vec3_t VOID_MIN{KDOP_VOID_BOUND, KDOP_VOID_BOUND, KDOP_VOID_BOUND};
constexpr vec3_t VOID_MAX{-KDOP_VOID_BOUND, -KDOP_VOID_BOUND, -KDOP_VOID_BOUND};

}  // namespace

kdop_builder_t::kdop_builder_t(uint32_t objects_per_chunk, uint32_t nodes_per_chunk) {
    m_objects.init_mm(sizeof(kdop_bobj_t), objects_per_chunk ? objects_per_chunk : 1, &m_object_pool);
    m_nodes.init_mm(sizeof(kdop_bnod_t), nodes_per_chunk ? nodes_per_chunk : 1, &m_node_pool);
}

kdop_builder_t::~kdop_builder_t() { reset(); }

void kdop_builder_t::reset() {
    m_objects.remove_all();
    m_nodes.remove_all();
    m_write_pos = m_write_end = nullptr;
    m_range_first = m_range_end = nullptr;
    m_state = 1;
}

void kdop_builder_t::build_start(void *data, float max_leaf_extent, uint16_t max_leaf_objects, leaf_writer_t writer,
                                 leaf_size_t leaf_size, splitter_t splitter) {
    if (m_state > 2) V_ABORT("build_start during build_end");
    reset();
    m_data = data;
    // Written as a negated test so that a NaN extent also becomes 0.
    m_max_leaf_extent = !(max_leaf_extent >= 0.0f) ? 0.0f : max_leaf_extent;
    m_max_leaf_objects = max_leaf_objects ? max_leaf_objects : 1;
    m_writer = writer ? writer : default_leaf_writer;
    m_leaf_size = leaf_size ? leaf_size : default_leaf_size;
    m_splitter = splitter ? splitter : default_splitter;
    m_state = 2;
}

kdop_bobj_t *kdop_builder_t::build_object() {
    if (m_state != 2) V_ABORT("build_object outside build_start/build_end");
    auto *o = m_objects.append()->data_as<kdop_bobj_t>();
    *o = kdop_bobj_t{};
    return o;
}

const kdop_bobj_t *kdop_builder_t::range_first() const {
    return m_range_first != m_range_end ? object_of(m_range_first) : nullptr;
}

const kdop_bobj_t *kdop_builder_t::range_next(const kdop_bobj_t *o) const {
    const auto *node = reinterpret_cast<const vdatalist_node_t *>(reinterpret_cast<const char *>(o) -
                                                                  vdatalist_node_t::DATA_OFFSET);
    return node->next != m_range_end ? object_of(node->next) : nullptr;
}

void *kdop_builder_t::take_leaf_space(size_t bytes) {
    if (m_state != 4) V_ABORT("take_leaf_space outside the writing of a tree");
    if (bytes > size_t(m_write_end - m_write_pos)) V_ABORT("k-DOP leaf passes the end of its block");
    void *p = m_write_pos;
    m_write_pos += bytes;
    return p;
}

kdop_node_t *kdop_builder_t::take_leaf(const kdop_bnod_t *node) {
    auto *leaf = static_cast<kdop_node_t *>(take_leaf_space(kdop_node_t::leaf_size(node->count)));
    leaf->left = leaf->right = nullptr;
    leaf->set_count(node->count);
    leaf->set_void();
    uint32_t *ids = leaf->get_ids();
    for (const kdop_bobj_t *o = range_first(); o; o = range_next(o)) *ids++ = o->id;
    return leaf;
}

bool kdop_builder_t::build_end(kdop_tree_t *tree) {
    if (m_state != 2) V_ABORT("build_end without build_start");
    tree->release();
    if (m_objects.is_empty()) {
        reset();
        return true;
    }
    m_state = 3;
    vec3_t lo = VOID_MIN, hi = VOID_MAX;
    for (const vdatalist_node_t *n = m_objects.get_first(); n; n = n->next) take_in(object_of(n), lo, hi);
    const kdop_bnod_t *build_root = split(m_objects.get_first(), nullptr, m_objects.get_count(), lo, hi, 0);

    const size_t size = measure(build_root);
    char *block = nullptr;
    if (size) {
        block = static_cast<char *>(qrncore_system_new_vector(size));
        if (!block) {
            error("[kdop] cannot allocate %zu bytes for a tree of %u objects", size, m_objects.get_count());
            reset();
            return false;
        }
    }
    m_state = 4;
    m_write_pos = block;
    m_write_end = block + size;
    kdop_node_t *root = write(build_root);
    reset();
    if (!root) {
        if (block) qrncore_system_delete_vector(block);
        error("[kdop] a leaf writer gave no node: no tree built");
        return false;
    }
    tree->adopt(block, size, root);
    return true;
}

// Counts are 32-bit, no leaf takes more than KDOP_MAX_LEAF_COUNT objects (leaves count
// in 16 bits), and from SPLIT_DEPTH on nodes that must split are halved by count, so
// the depth stays bounded whatever the splitter does.
kdop_bnod_t *kdop_builder_t::split(vdatalist_node_t *first, vdatalist_node_t *end, uint32_t count,
                                   const vec3_t &min, const vec3_t &max, uint32_t depth) {
    auto *node = m_nodes.append()->data_as<kdop_bnod_t>();
    *node = kdop_bnod_t{count, nullptr, nullptr, min, max, first};

    const vec3_t extent = max - min;
    const bool small = extent.x <= m_max_leaf_extent && extent.y <= m_max_leaf_extent &&
                       extent.z <= m_max_leaf_extent;
    if (count <= KDOP_MAX_LEAF_COUNT && (small || count <= m_max_leaf_objects)) return node;

    bool by_count = depth >= SPLIT_DEPTH;
    float value = 0.0f;
    int axis = 0;
    if (!by_count) {
        m_range_first = first;
        m_range_end = end;
        if (m_splitter(&value, &axis, count, min, max, m_data, this)) {
            V_ASSERT(axis >= 0 && axis < 3);
        } else if (count <= KDOP_MAX_LEAF_COUNT) {
            return node;
        } else {
            by_count = true;
        }
    }

    // Objects going right are moved, in their order, behind the unvisited rest of
    // the range, so the range becomes the left group followed by the right group.
    vdatalist_node_t *const before = first->prev;
    vec3_t left_min = VOID_MIN, left_max = VOID_MAX, right_min = VOID_MIN, right_max = VOID_MAX;
    uint32_t left_count = 0;
    vdatalist_node_t *mid = nullptr;
    if (!by_count) {
        vdatalist_node_t *n = first;
        for (uint32_t i = 0; i < count; ++i) {
            vdatalist_node_t *next = n->next;
            const kdop_bobj_t *o = object_of(n);
            if (o->ref[axis] <= value) {
                ++left_count;
                take_in(o, left_min, left_max);
            } else {
                take_in(o, right_min, right_max);
                m_objects.tremove_pos(n);
                m_objects.tinsert(end, n);
                if (!mid) mid = n;
            }
            n = next;
        }
        by_count = left_count == 0 || left_count == count;
    }
    first = before ? before->next : m_objects.get_first();
    if (by_count) {
        // Every object fell on one side (or the split was refused): the first half
        // in list order goes left.
        left_count = count / 2;
        left_min = right_min = VOID_MIN;
        left_max = right_max = VOID_MAX;
        vdatalist_node_t *n = first;
        for (uint32_t i = 0; i < count; ++i, n = n->next) {
            if (i == left_count) mid = n;
            if (i < left_count)
                take_in(object_of(n), left_min, left_max);
            else
                take_in(object_of(n), right_min, right_max);
        }
    }
    node->left = split(first, mid, left_count, left_min, left_max, depth + 1);
    node->right = split(mid, end, count - left_count, right_min, right_max, depth + 1);
    return node;
}

size_t kdop_builder_t::measure(const kdop_bnod_t *node) const {
    if (!node->left) return m_leaf_size(node, m_data);
    return kdop_node_t::NODE_SIZE + measure(node->left) + measure(node->right);
}

// Depth first: the node, then its right subtree, then its left subtree. A leaf's
// range ends count objects after its first: every split is done, so the list holds
// each leaf's objects together.
kdop_node_t *kdop_builder_t::write(const kdop_bnod_t *node) {
    if (!node->left) {
        vdatalist_node_t *end = node->first;
        for (uint32_t i = 0; i < node->count; ++i) end = end->next;
        m_range_first = node->first;
        m_range_end = end;
        return m_writer(node, m_data, this);
    }
    if (size_t(m_write_end - m_write_pos) < kdop_node_t::NODE_SIZE) V_ABORT("k-DOP node passes the end of its block");
    auto *n = reinterpret_cast<kdop_node_t *>(m_write_pos);
    m_write_pos += kdop_node_t::NODE_SIZE;
    kdop_node_t *right = write(node->right);
    kdop_node_t *left = write(node->left);
    if (!left || !right) return nullptr;
    n->left = left;
    n->right = right;
    n->set_void();
    n->enlarge(*left);
    n->enlarge(*right);
    return n;
}

bool kdop_builder_t::default_splitter(float *value, int *axis, uint32_t count, const vec3_t &, const vec3_t &, void *,
                                      kdop_builder_t *builder) {
    vec3_t mean{};
    for (const kdop_bobj_t *o = builder->range_first(); o; o = builder->range_next(o)) mean += o->ref;
    mean /= float(count);
    vec3_t dev{};
    for (const kdop_bobj_t *o = builder->range_first(); o; o = builder->range_next(o)) {
        const vec3_t d = o->ref - mean;
        dev += mul(d, d);
    }
    dev /= float(count);
    if (dev.x > dev.y)
        *axis = dev.x > dev.z ? 0 : 2;
    else
        *axis = dev.y > dev.z ? 1 : 2;
    *value = mean[*axis];
    return true;
}

size_t kdop_builder_t::default_leaf_size(const kdop_bnod_t *node, void *) { return kdop_node_t::leaf_size(node->count); }

kdop_node_t *kdop_builder_t::default_leaf_writer(const kdop_bnod_t *node, void *, kdop_builder_t *builder) {
    kdop_node_t *leaf = builder->take_leaf(node);
    for (const kdop_bobj_t *o = builder->range_first(); o; o = builder->range_next(o))
        leaf->enlarge(v_min(o->min, o->max), v_max(o->min, o->max));
    leaf->widen(1.0f);
    return leaf;
}

}  // namespace quarn
