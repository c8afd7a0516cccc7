// Reads arbitrary bytes as a ".btr" tree file. A file that passes the first pass is
// built into a block of exactly the size that pass gave, and the core's walks then
// visit it: every node the build wrote must lie inside the block, every leaf's items
// too, and every inner node's volume must hold its children's.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "game/visuals/effects/btr_reader.h"
#include "qrncore/spatial/kdop_node.h"
#include "qrncore/spatial/kdop_query.h"
#include "qrncore/system/messages.h"

namespace {

class quiet_t : public quarn::message_handler_t {
public:
    void process_message(const quarn::string &, quarn::message_t::type_t) override {}
};

struct block_t {
    const char *begin;
    const char *end;
};

bool inside(const block_t &b, const void *p, size_t bytes) {
    const char *c = static_cast<const char *>(p);
    return c >= b.begin && c + bytes <= b.end;
}

void check(const block_t &b, const quarn::kdop_node_t *n) {
    if (!inside(b, n, quarn::kdop_node_t::NODE_SIZE)) abort();
    if (n->is_leaf()) {
        if (!inside(b, n, quarn::kdop_node_t::leaf_size(n->get_count()))) abort();
        return;
    }
    for (const quarn::kdop_node_t *child : {n->left, n->right}) {
        check(b, child);
        for (int a = 0; a < quarn::KDOP_AXES; ++a)
            if (child->min[a] < n->min[a] || child->max[a] > n->max[a]) abort();
    }
}

bool count_leaf(const quarn::kdop_node_t *leaf, void *data) {
    *static_cast<uint64_t *>(data) += leaf->get_count();
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static quiet_t quiet;
    quarn::btr_reader_t reader;
    if (!reader.measure(data, size, "/fuzz/test.btr")) return 0;
    std::vector<uint64_t> storage((reader.get_tree_size() + 7) / 8);
    const quarn::kdop_node_t *root = reader.build(storage.data());
    if (!root) abort();
    const block_t block{reinterpret_cast<const char *>(storage.data()),
                        reinterpret_cast<const char *>(storage.data()) + reader.get_tree_size()};
    check(block, root);
    uint64_t items = 0;
    quarn::kdop_query_box(root, {-1e30f, -1e30f, -1e30f}, {1e30f, 1e30f, 1e30f}, &count_leaf, &items);
    quarn::kdop_query_segment(root, {0, 0, 0}, {1, 1, 1}, &count_leaf, &items);
    return 0;
}
