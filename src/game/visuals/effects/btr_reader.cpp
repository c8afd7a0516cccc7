#include "game/visuals/effects/btr_reader.h"

#include <algorithm>
#include <cmath>

#include "qrncore/spatial/kdop_node.h"
#include "qrncore/spatial/kdop_tree.h"
#include "qrncore/spatial/le_bytes.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// Bytes of a stored leaf before its items: the flag, two points, the count.
constexpr uint64_t LEAF_HEAD = 1 + 24 + 2;

struct measure_t {
    const uint8_t *image;
    uint64_t size;
    const char *path;
    uint64_t at = 0;
    size_t bytes = 0;

    bool fail(const char *what) const {
        error("[kdop] The tree file '%s' is broken at byte %llu: %s", path, static_cast<unsigned long long>(at), what);
        return false;
    }

    // One subtree at `at`, at depth (1 for the root).
    bool node(uint32_t depth) {
        if (depth > KDOP_MAX_DEPTH) return fail("the tree is deeper than 256 levels");
        if (at >= size) return fail("a node is missing");
        if (image[at] != 0) {
            ++at;
            bytes += kdop_node_t::NODE_SIZE;
            return node(depth + 1) && node(depth + 1);
        }
        if (size - at < LEAF_HEAD) return fail("a leaf ends early");
        for (int i = 0; i < 6; ++i)
            if (!std::isfinite(le_bytes::get_f32(image + at + 1 + 4 * i))) return fail("a coordinate is no number");
        const uint32_t count = le_bytes::get_u16(image + at + 25);
        if (size - at - LEAF_HEAD < 4ull * count) return fail("a leaf's items end early");
        at += LEAF_HEAD + 4ull * count;
        bytes += kdop_node_t::leaf_size(count);
        return true;
    }
};

struct build_t {
    const uint8_t *image;
    uint8_t *block;
    uint64_t at = 0;
    size_t used = 0;

    kdop_node_t *take(size_t bytes) {
        kdop_node_t *n = reinterpret_cast<kdop_node_t *>(block + used);
        used += bytes;
        return n;
    }

    kdop_node_t *node() {
        if (image[at] != 0) {
            ++at;
            kdop_node_t *n = take(kdop_node_t::NODE_SIZE);
            n->left = node();
            n->right = node();
            n->set_void();
            n->enlarge(*n->left);
            n->enlarge(*n->right);
            return n;
        }
        const uint8_t *p = image + at + 1;
        vec3_t a, b;
        for (int i = 0; i < 3; ++i) {
            a[i] = le_bytes::get_f32(p + 4 * i);
            b[i] = le_bytes::get_f32(p + 12 + 4 * i);
        }
        const uint32_t count = le_bytes::get_u16(image + at + 25);
        kdop_node_t *n = take(kdop_node_t::leaf_size(count));
        n->left = n->right = nullptr;
        const vec3_t lo{std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
        const vec3_t hi{std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
        kdop_box_bounds(lo, hi, n->min, n->max);
        n->set_count(count);
        uint32_t *ids = n->get_ids();
        for (uint32_t i = 0; i < count; ++i) ids[i] = le_bytes::get_u32(image + at + LEAF_HEAD + 4ull * i);
        at += LEAF_HEAD + 4ull * count;
        return n;
    }
};

void rebase_node(kdop_node_t *n, ptrdiff_t delta, uint32_t depth) {
    if (n->is_leaf() || depth > KDOP_MAX_DEPTH) return;
    n->left = reinterpret_cast<kdop_node_t *>(reinterpret_cast<char *>(n->left) + delta);
    n->right = reinterpret_cast<kdop_node_t *>(reinterpret_cast<char *>(n->right) + delta);
    rebase_node(n->left, delta, depth + 1);
    rebase_node(n->right, delta, depth + 1);
}

}  // namespace

bool btr_reader_t::measure(const void *image, uint64_t size, const char *path) {
    m_image = nullptr;
    m_size = 0;
    m_tree_size = 0;
    if (!path) path = "";
    if (!image || size == 0) {
        error("[kdop] The tree file '%s' is empty", path);
        return false;
    }
    if (size > MAX_FILE_SIZE) {
        error("[kdop] The tree file '%s' is larger than 4 GB", path);
        return false;
    }
    measure_t m{static_cast<const uint8_t *>(image), size, path};
    if (!m.node(1)) return false;
    if (m.at != size) return m.fail("bytes follow the tree");
    m_image = m.image;
    m_size = size;
    m_tree_size = m.bytes;
    return true;
}

kdop_node_t *btr_reader_t::build(void *block) const {
    if (!m_image || !block) return nullptr;
    build_t b{m_image, static_cast<uint8_t *>(block)};
    return b.node();
}

void btr_rebase(kdop_node_t *root, const void *old_block, const void *new_block) {
    if (!root) return;
    rebase_node(root, static_cast<const char *>(new_block) - static_cast<const char *>(old_block), 1);
}

}  // namespace quarn
