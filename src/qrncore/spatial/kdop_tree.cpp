#include "qrncore/spatial/kdop_tree.h"

#include <cinttypes>
#include <cstring>
#include <utility>

#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/spatial/le_bytes.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

using le_bytes::get_f32;
using le_bytes::get_u32;
using le_bytes::put_f32;
using le_bytes::put_u32;

constexpr uint32_t HEADER_SIZE = 8;
// A pre-order walk keeps at most one waiting right child per level, plus the two
// children just pushed.
constexpr uint32_t STACK_SIZE = KDOP_MAX_DEPTH + 2;

uint32_t stored_size(const kdop_node_t *node) {
    return node->is_leaf() ? kdop_tree_t::STORED_LEAF_SIZE + 4 * node->get_count() : kdop_tree_t::STORED_NODE_SIZE;
}

void put_bounds(uint8_t *p, const float *mn, const float *mx) {
    for (int i = 0; i < KDOP_AXES; ++i) {
        put_f32(p + 4 * i, mn[i]);
        put_f32(p + 4 * (KDOP_AXES + i), mx[i]);
    }
}

// Byte count of the stored nodes under root; false (logged) for a tree that the
// stored form cannot hold.
bool measure(const kdop_node_t *root, const char *name, uint64_t *total) {
    struct entry_t {
        const kdop_node_t *node;
        uint32_t depth;
    } stack[STACK_SIZE];
    uint32_t top = 0;
    stack[top++] = {root, 1};
    *total = 0;
    while (top) {
        const entry_t e = stack[--top];
        if (e.depth > KDOP_MAX_DEPTH) {
            error("[kdop] %s: tree deeper than %u levels cannot be stored", name, KDOP_MAX_DEPTH);
            return false;
        }
        if (e.node->is_leaf()) {
            if (e.node->get_count() > KDOP_MAX_LEAF_COUNT) {
                error("[kdop] %s: leaf of %u objects cannot be stored (at most %u)", name, e.node->get_count(),
                      KDOP_MAX_LEAF_COUNT);
                return false;
            }
        } else {
            stack[top++] = {e.node->right, e.depth + 1};
            stack[top++] = {e.node->left, e.depth + 1};
        }
        *total += stored_size(e.node);
    }
    if (*total > UINT32_MAX - HEADER_SIZE) {
        error("[kdop] %s: tree of %" PRIu64 " bytes is too large to store", name, *total);
        return false;
    }
    return true;
}

// Lays the nodes under root out in pre-order at buf: a node, its left subtree right
// behind it, then its right subtree, whose offset is patched into the node once it
// is placed.
void serialise(const kdop_node_t *root, uint8_t *buf) {
    struct entry_t {
        const kdop_node_t *node;
        uint32_t patch;  // offset of the parent's right-child field, 0 for none
    } stack[STACK_SIZE];
    uint32_t top = 0;
    stack[top++] = {root, 0};
    uint32_t pos = 0;
    while (top) {
        const entry_t e = stack[--top];
        if (e.patch) put_u32(buf + e.patch, pos);
        const kdop_node_t *n = e.node;
        uint8_t *p = buf + pos;
        put_bounds(p + 8, n->min, n->max);
        if (n->is_leaf()) {
            put_u32(p, 0);
            put_u32(p + 4, 0);
            const uint32_t count = n->get_count();
            put_u32(p + kdop_tree_t::STORED_NODE_SIZE, count);
            for (uint32_t i = 0; i < count; ++i) put_u32(p + kdop_tree_t::STORED_LEAF_SIZE + 4 * i, n->get_ids()[i]);
        } else {
            put_u32(p, pos + kdop_tree_t::STORED_NODE_SIZE);
            put_u32(p + 4, 0);
            stack[top++] = {n->right, pos + 4};
            stack[top++] = {n->left, 0};
        }
        pos += stored_size(n);
    }
}

// Checks the stored nodes (size bytes at buf) and, with mem given, builds the tree
// in memory at mem. Returns the byte count of the tree in memory, or 0 (logged) when
// the nodes break the layout.
size_t deserialise(const uint8_t *buf, uint32_t size, const char *name, char *mem, kdop_node_t **root) {
    struct entry_t {
        uint32_t offset;  // where the node must start: children follow in pre-order
        uint32_t depth;
        kdop_node_t **link;  // the parent's child field (in memory) to point at it
    } stack[STACK_SIZE];
    uint32_t top = 0;
    stack[top++] = {0, 1, root};
    uint32_t pos = 0;
    size_t mem_pos = 0;
    while (top) {
        const entry_t e = stack[--top];
        if (e.offset != pos) {
            error("[kdop] %s: child at %u does not follow in pre-order (expected %u)", name, e.offset, pos);
            return 0;
        }
        if (e.depth > KDOP_MAX_DEPTH) {
            error("[kdop] %s: tree is deeper than %u levels", name, KDOP_MAX_DEPTH);
            return 0;
        }
        if (size - pos < kdop_tree_t::STORED_NODE_SIZE) {
            error("[kdop] %s: node at %u runs past the end of the tree", name, pos);
            return 0;
        }
        const uint8_t *p = buf + pos;
        const uint32_t left = get_u32(p), right = get_u32(p + 4);
        if ((left == 0) != (right == 0)) {
            error("[kdop] %s: node at %u has one child", name, pos);
            return 0;
        }
        const bool leaf = left == 0;
        uint32_t count = 0;
        if (leaf) {
            if (size - pos < kdop_tree_t::STORED_LEAF_SIZE) {
                error("[kdop] %s: leaf at %u runs past the end of the tree", name, pos);
                return 0;
            }
            count = get_u32(p + kdop_tree_t::STORED_NODE_SIZE);
            if (count > KDOP_MAX_LEAF_COUNT) {
                error("[kdop] %s: leaf at %u holds %u objects (at most %u)", name, pos, count, KDOP_MAX_LEAF_COUNT);
                return 0;
            }
            if ((size - pos - kdop_tree_t::STORED_LEAF_SIZE) / 4 < count) {
                error("[kdop] %s: leaf at %u runs past the end of the tree", name, pos);
                return 0;
            }
        }
        kdop_node_t *node = nullptr;
        if (mem) {
            node = reinterpret_cast<kdop_node_t *>(mem + mem_pos);
            node->left = node->right = nullptr;
            for (int i = 0; i < KDOP_AXES; ++i) {
                node->min[i] = get_f32(p + 8 + 4 * i);
                node->max[i] = get_f32(p + 8 + 4 * (KDOP_AXES + i));
            }
            *e.link = node;
        }
        if (leaf) {
            if (node) {
                node->set_count(count);
                for (uint32_t i = 0; i < count; ++i)
                    node->get_ids()[i] = get_u32(p + kdop_tree_t::STORED_LEAF_SIZE + 4 * i);
            }
            pos += kdop_tree_t::STORED_LEAF_SIZE + 4 * count;
            mem_pos += kdop_node_t::leaf_size(count);
        } else {
            V_ASSERT(top + 2 <= STACK_SIZE);
            stack[top++] = {right, e.depth + 1, node ? &node->right : nullptr};
            stack[top++] = {left, e.depth + 1, node ? &node->left : nullptr};
            pos += kdop_tree_t::STORED_NODE_SIZE;
            mem_pos += kdop_node_t::NODE_SIZE;
        }
    }
    if (pos != size) {
        error("[kdop] %s: %u bytes after the last node", name, size - pos);
        return 0;
    }
    return mem_pos;
}

}  // namespace

kdop_tree_t::~kdop_tree_t() { release(); }

kdop_tree_t::kdop_tree_t(kdop_tree_t &&other) noexcept
    : m_block(std::exchange(other.m_block, nullptr)),
      m_size(std::exchange(other.m_size, 0)),
      m_root(std::exchange(other.m_root, nullptr)) {}

kdop_tree_t &kdop_tree_t::operator=(kdop_tree_t &&other) noexcept {
    if (this != &other) {
        release();
        m_block = std::exchange(other.m_block, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_root = std::exchange(other.m_root, nullptr);
    }
    return *this;
}

void kdop_tree_t::release() {
    if (m_block) qrncore_system_delete_vector(m_block);
    m_block = nullptr;
    m_size = 0;
    m_root = nullptr;
}

void kdop_tree_t::adopt(void *block, size_t size, kdop_node_t *root) {
    if (block != m_block) release();
    m_block = block;
    m_size = size;
    m_root = root;
}

bool kdop_tree_t::write(file_t &file) const {
    uint64_t total = 0;
    if (m_root && !measure(m_root, file.get_name(), &total)) return false;
    uint8_t header[HEADER_SIZE];
    put_u32(header, STORED_TAG);
    put_u32(header + 4, uint32_t(total));
    if (!file.write(header, HEADER_SIZE)) {
        error("[kdop] %s: cannot write the tree header", file.get_name());
        return false;
    }
    if (!total) return true;
    auto *buf = static_cast<uint8_t *>(qrncore_system_new_vector(size_t(total)));
    if (!buf) {
        error("[kdop] %s: cannot allocate %" PRIu64 " bytes to store a tree", file.get_name(), total);
        return false;
    }
    serialise(m_root, buf);
    const bool ok = file.write(buf, uint32_t(total));
    qrncore_system_delete_vector(buf);
    if (!ok) error("[kdop] %s: cannot write %" PRIu64 " bytes of tree nodes", file.get_name(), total);
    return ok;
}

bool kdop_tree_t::read(file_t &file) {
    const char *name = file.get_name();
    uint8_t header[HEADER_SIZE];
    if (!file.read(header, HEADER_SIZE)) {
        error("[kdop] %s: no tree header", name);
        return false;
    }
    if (get_u32(header) != STORED_TAG) {
        error("[kdop] %s: not a stored k-DOP tree (tag %08x)", name, get_u32(header));
        return false;
    }
    const uint32_t size = get_u32(header + 4);
    if (!size) {
        release();
        return true;
    }
    // A size field beyond the file is refused before a block of that size is taken.
    fs_stat_t st;
    if (file.stat(&st) && (st.size < file.tell() || st.size - file.tell() < size)) {
        error("[kdop] %s: tree of %u bytes runs past the end of the file", name, size);
        return false;
    }
    auto *buf = static_cast<uint8_t *>(qrncore_system_new_vector(size));
    if (!buf) {
        error("[kdop] %s: cannot allocate %u bytes to read a tree", name, size);
        return false;
    }
    bool ok = false;
    if (!file.read(buf, size)) {
        error("[kdop] %s: tree of %u bytes runs past the end of the file", name, size);
    } else if (const size_t mem_size = deserialise(buf, size, name, nullptr, nullptr)) {
        char *block = static_cast<char *>(qrncore_system_new_vector(mem_size));
        if (!block) {
            error("[kdop] %s: cannot allocate %zu bytes for a tree", name, mem_size);
        } else {
            kdop_node_t *root = nullptr;
            deserialise(buf, size, name, block, &root);
            adopt(block, mem_size, root);
            ok = true;
        }
    }
    qrncore_system_delete_vector(buf);
    return ok;
}

}  // namespace quarn
