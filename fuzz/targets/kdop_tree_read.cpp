// Reads arbitrary bytes as a stored k-DOP tree. A tree that is accepted must walk
// without trouble and store back to exactly the bytes it was read from: the stored
// form has one layout per tree.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "qrncore/qrnutils/ufs/mem_file.h"
#include "qrncore/spatial/kdop_query.h"
#include "qrncore/spatial/kdop_tree.h"

namespace {

bool count_leaf(const quarn::kdop_node_t *leaf, void *data) {
    *static_cast<uint64_t *>(data) += leaf->get_count();
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > UINT32_MAX) return 0;
    quarn::mem_file_t in(data, uint32_t(size));
    quarn::kdop_tree_t tree;
    if (!tree.read(in)) return 0;
    uint64_t objects = 0;
    quarn::kdop_query_box(tree.get_root(), {-3e38f, -3e38f, -3e38f}, {3e38f, 3e38f, 3e38f}, count_leaf, &objects);
    quarn::kdop_query_segment(tree.get_root(), {0, 0, 0}, {1, 2, 3}, count_leaf, &objects);

    const uint64_t used = in.tell();
    quarn::mem_file_t out;
    if (!tree.write(out)) abort();
    if (out.size() != used) abort();
    std::vector<uint8_t> back(used);
    if (used && !out.block_read(back.data(), uint32_t(used), 0)) abort();
    if (used && memcmp(back.data(), data, used) != 0) abort();
    return 0;
}
