#pragma once
// The reader of ".btr" files (docs/formats/btr.md): a k-DOP tree stored in pre-order,
// read into the core's node layout (qrncore/spatial/kdop_node.h) so that the core's
// walks serve it. Two passes: measure() checks the whole file and sizes the tree,
// build() writes it into a block of that size.
#include <cstddef>
#include <cstdint>

namespace quarn {

struct kdop_node_t;

class btr_reader_t {
public:
    // Largest file taken (the format counts in 32 bits).
    static constexpr uint64_t MAX_FILE_SIZE = 0xFFFFFFFFull;

    // Checks the image (size bytes) and sizes its tree. Refused, with a "[kdop]" error
    // naming path and false: an empty or oversized file, a node that runs past the
    // end, a coordinate that is not a finite number, a tree deeper than
    // KDOP_MAX_DEPTH levels, bytes after the tree.
    bool measure(const void *image, uint64_t size, const char *path);
    // Bytes of the tree in memory (after a successful measure).
    size_t get_tree_size() const { return m_tree_size; }
    // Writes the tree into block (get_tree_size() bytes, aligned to pointers), the
    // root first; returns the root. Only after a successful measure of the same image.
    kdop_node_t *build(void *block) const;

private:
    const uint8_t *m_image = nullptr;
    uint64_t m_size = 0;
    size_t m_tree_size = 0;
};

// Moves a tree built in one block to another address: every child link is moved by
// the distance between the blocks. root is the tree's root at its new address.
void btr_rebase(kdop_node_t *root, const void *old_block, const void *new_block);

}  // namespace quarn
