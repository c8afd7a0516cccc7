#pragma once
// kdop_tree_t: a finished k-DOP tree, all its nodes in one block from the host's
// allocation functions, laid out depth first so that every subtree is contiguous.
// Trees are made by kdop_builder_t or read back from their stored form.
//
// Stored form (docs/formats/kdop-tree.md): the tag "KDOP", the block's byte count,
// then the nodes in pre-order, each child named by its 32-bit offset within the
// block, every field little-endian.
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/spatial/kdop_node.h"

namespace quarn {

class file_t;

// Deepest tree that queries, the writer and the reader handle. Built trees stay far
// below it (kdop_builder.h), a triangle heap's combined tree too.
inline constexpr uint32_t KDOP_MAX_DEPTH = 256;

class QRNCORE_API kdop_tree_t {
public:
    // "KDOP" read as a little-endian 32-bit word.
    static constexpr uint32_t STORED_TAG = 0x504F444B;
    // Bytes of a stored inner node and of a stored leaf without its identifiers.
    static constexpr uint32_t STORED_NODE_SIZE = 48;
    static constexpr uint32_t STORED_LEAF_SIZE = 52;

    // An empty tree: no block, no root.
    kdop_tree_t() = default;
    // Releases the block.
    ~kdop_tree_t();
    kdop_tree_t(const kdop_tree_t &) = delete;
    kdop_tree_t &operator=(const kdop_tree_t &) = delete;
    // Takes over the other tree's block; the other tree is left empty.
    kdop_tree_t(kdop_tree_t &&other) noexcept;
    kdop_tree_t &operator=(kdop_tree_t &&other) noexcept;

    // Frees the block; the tree is empty afterwards.
    void release();
    // Takes over a block of size bytes and its root node (which may lie outside the
    // block, as with a triangle heap's root tree); the previous block is released.
    void adopt(void *block, size_t size, kdop_node_t *root);

    const kdop_node_t *get_root() const { return m_root; }
    kdop_node_t *get_root() { return m_root; }
    size_t get_size() const { return m_size; }
    bool is_empty() const { return m_root == nullptr; }

    // Writes the stored form: the tag, the byte count of the stored nodes and the
    // nodes reachable from the root, in pre-order. An empty tree stores a count of 0.
    // Returns false when a write fails or memory for the stored nodes cannot be had
    // (logged with "[kdop]").
    bool write(file_t &file) const;
    // Reads a stored form written by write, from the file's position, and replaces
    // the tree with it. A file that is not a stored tree, ends early or breaks the
    // layout (children not in pre-order, one child only, a leaf above 65535
    // objects, bytes after the last node, a tree deeper than KDOP_MAX_DEPTH) is
    // refused with a logged "[kdop]" error and false; the tree then stays as it was.
    bool read(file_t &file);

private:
    void *m_block = nullptr;
    size_t m_size = 0;
    kdop_node_t *m_root = nullptr;
};

}  // namespace quarn
