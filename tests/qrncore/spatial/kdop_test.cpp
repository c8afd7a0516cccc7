// k-DOP nodes, the builder, the stored form and the walks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "qrncore/collections/host_alloc_hook.h"
#include "qrncore/numerics/random_mt.h"
#include "qrncore/spatial/kdop_builder.h"
#include "qrncore/spatial/kdop_query.h"
#include "qrncore/spatial/kdop_tree.h"
#include "qrncore/spatial/le_bytes.h"
#include "support/kdop_boxes.h"
#include "support/memory_file.h"
#include "support/message_capture.h"

namespace quarn {
namespace {

using test::box_t;
using test::boxes_overlap;
using test::memory_file_t;
using test::segment_meets;

// Builds a tree over the boxes (identifier = index, reference point = centre).
bool build(kdop_tree_t &tree, const std::vector<box_t> &boxes, float extent, uint16_t per_leaf,
           kdop_builder_t::splitter_t splitter = nullptr) {
    kdop_builder_t builder;
    builder.build_start(nullptr, extent, per_leaf, nullptr, nullptr, splitter);
    test::add_boxes(builder, boxes);
    return builder.build_end(&tree);
}

struct leaf_info_t {
    std::vector<uint32_t> ids;
    uint32_t depth;
};

// Every leaf with its identifiers and depth (root = 1), left subtree first.
void collect(const kdop_node_t *n, uint32_t depth, std::vector<leaf_info_t> &out) {
    if (!n) return;
    if (n->is_leaf()) {
        out.push_back({std::vector<uint32_t>(n->get_ids(), n->get_ids() + n->get_count()), depth});
        return;
    }
    collect(n->left, depth + 1, out);
    collect(n->right, depth + 1, out);
}

std::vector<leaf_info_t> leaves_of(const kdop_tree_t &tree) {
    std::vector<leaf_info_t> out;
    collect(tree.get_root(), 1, out);
    return out;
}

std::vector<uint32_t> sorted_ids(const std::vector<leaf_info_t> &leaves) {
    std::vector<uint32_t> all;
    for (const auto &l : leaves) all.insert(all.end(), l.ids.begin(), l.ids.end());
    std::sort(all.begin(), all.end());
    return all;
}

std::vector<uint32_t> iota_ids(uint32_t n) {
    std::vector<uint32_t> v(n);
    for (uint32_t i = 0; i < n; ++i) v[i] = i;
    return v;
}

void expect_bounds(const kdop_node_t *n, const std::vector<float> &mn, const std::vector<float> &mx) {
    for (int i = 0; i < KDOP_AXES; ++i) {
        EXPECT_FLOAT_EQ(n->min[i], mn[size_t(i)]) << "minimum on axis " << i;
        EXPECT_FLOAT_EQ(n->max[i], mx[size_t(i)]) << "maximum on axis " << i;
    }
}

TEST(kdop_node, diagonal_bounds_of_a_box) {
    float mn[KDOP_AXES], mx[KDOP_AXES];
    kdop_box_bounds({0, 0, 0}, {2, 4, 6}, mn, mx);
    EXPECT_EQ(mn[3], 0.0f);
    EXPECT_EQ(mx[3], 4.0f);
    EXPECT_EQ(mn[4], -3.0f);
    EXPECT_EQ(mx[4], 1.0f);
    EXPECT_EQ(kdop_node_t::leaf_size(0), kdop_node_t::LEAF_IDS_OFFSET + 4);  // the count word stays
    EXPECT_EQ(kdop_node_t::leaf_size(2) % kdop_node_t::NODE_ALIGN, 0u);
}

TEST(kdop_node, bounds_record_write_and_partial_read) {
    kdop_node_t node{};
    for (int i = 0; i < KDOP_AXES; ++i) {
        node.min[i] = float(i + 1);
        node.max[i] = -float(i + 1);
    }
    memory_file_t file;
    ASSERT_TRUE(node.write(file));
    ASSERT_EQ(file.bytes.size(), 40u);
    EXPECT_EQ(file.bytes.substr(0, 4), std::string("\x00\x00\x80\x3f", 4));  // 1.0f, little-endian
    EXPECT_EQ(file.bytes.substr(20, 4), std::string("\x00\x00\x80\xbf", 4));  // the first maximum, -1.0f

    kdop_node_t back{};
    memory_file_t whole(file.bytes);
    ASSERT_TRUE(back.read(whole));
    expect_bounds(&back, {1, 2, 3, 4, 5}, {-1, -2, -3, -4, -5});

    // The file ends after three floats: the fourth becomes 0, the rest stay.
    kdop_node_t part{};
    for (int i = 0; i < KDOP_AXES; ++i) part.min[i] = part.max[i] = 7.0f;
    memory_file_t cut(file.bytes.substr(0, 12));
    EXPECT_FALSE(part.read(cut));
    expect_bounds(&part, {1, 2, 3, 0, 7}, {7, 7, 7, 7, 7});

    memory_file_t full;
    full.write_limit = 8;
    EXPECT_FALSE(node.write(full));
}

TEST(kdop_builder, split_by_count_when_reference_points_coincide) {
    // Five objects sharing one reference point, joint box wider than the leaf extent,
    // at most 4 per leaf: every object goes left, so the list is cut 2 | 3.
    kdop_builder_t builder;
    builder.build_start(nullptr, 1.0f, 4);
    for (uint32_t i = 0; i < 5; ++i) {
        kdop_bobj_t *o = builder.build_object();
        o->id = i;
        o->ref = {0, 0, 0};
        o->min = {-float(i) - 1, 0, 0};
        o->max = {float(i) + 1, 1, 1};
    }
    kdop_tree_t tree;
    ASSERT_TRUE(builder.build_end(&tree));
    const kdop_node_t *root = tree.get_root();
    ASSERT_FALSE(root->is_leaf());
    ASSERT_TRUE(root->left->is_leaf() && root->right->is_leaf());
    EXPECT_EQ(root->left->get_count(), 2u);
    EXPECT_EQ(root->right->get_count(), 3u);
    EXPECT_EQ(sorted_ids(leaves_of(tree)), iota_ids(5));
    // Depth first from the block's start: the root, then its right subtree.
    EXPECT_EQ(reinterpret_cast<const char *>(root->right), reinterpret_cast<const char *>(root) + kdop_node_t::NODE_SIZE);
    EXPECT_EQ(tree.get_size(), kdop_node_t::NODE_SIZE + kdop_node_t::leaf_size(2) + kdop_node_t::leaf_size(3));
    // The inner node's volume is the union of its children's.
    for (int i = 0; i < KDOP_AXES; ++i) {
        EXPECT_EQ(root->min[i], std::min(root->left->min[i], root->right->min[i]));
        EXPECT_EQ(root->max[i], std::max(root->left->max[i], root->right->max[i]));
    }
}

TEST(kdop_builder, single_object_leaf_widened_by_one) {
    kdop_tree_t tree;
    // Corners given the wrong way round: the builder takes their min and max.
    ASSERT_TRUE(build(tree, {{{2, 4, 6}, {0, 0, 0}}}, 0.0f, 1));
    const kdop_node_t *leaf = tree.get_root();
    ASSERT_TRUE(leaf->is_leaf());
    EXPECT_EQ(leaf->get_count(), 1u);
    EXPECT_EQ(leaf->get_ids()[0], 0u);
    expect_bounds(leaf, {-1, -1, -1, -1, -4}, {3, 5, 7, 5, 2});
}

TEST(kdop_builder, empty_build_and_reuse) {
    kdop_builder_t builder;
    kdop_tree_t tree;
    EXPECT_EQ(builder.get_state(), 1);
    builder.build_start(nullptr, 0.0f, 1);
    EXPECT_EQ(builder.get_state(), 2);
    builder.build_object()->max = {1, 1, 1};
    ASSERT_TRUE(builder.build_end(&tree));
    EXPECT_EQ(builder.get_state(), 1);
    EXPECT_FALSE(tree.is_empty());
    // The same builder again, with nothing: the earlier tree is released.
    builder.build_start(nullptr, -5.0f, 0);
    EXPECT_EQ(builder.get_object_count(), 0u);
    EXPECT_TRUE(builder.build_end(&tree));
    EXPECT_TRUE(tree.is_empty());
    EXPECT_EQ(tree.get_size(), 0u);
}

TEST(kdop_builder, failed_block_allocation) {
    kdop_builder_t builder;
    kdop_tree_t tree;
    // A first build gives the builder's pools their chunks, so that below only the
    // tree's block goes to the host.
    for (int round = 0; round < 2; ++round) {
        builder.build_start(nullptr, 0.0f, 1);
        for (int i = 0; i < 3; ++i) builder.build_object()->max = {float(i), 0, 0};
        if (round == 0) {
            ASSERT_TRUE(builder.build_end(&tree));
        }
    }
    test::message_capture_t log;
    test::host_alloc_hook_t hook(kdop_node_t::NODE_SIZE);
    EXPECT_FALSE(builder.build_end(&tree));
    EXPECT_TRUE(tree.is_empty());
    EXPECT_EQ(builder.get_state(), 1);
    EXPECT_TRUE(log.contains("[kdop] cannot allocate"));
}

// Builds of more than 65535 objects: one leaf would wrap a 16-bit count, and splitting
// one object at a time would recurse without bound.
TEST(kdop_builder, big_leaves_are_split_and_depth_is_bounded) {
    const uint32_t many = 70000;
    std::vector<box_t> tiny(many, box_t{{0, 0, 0}, {0.5f, 0.5f, 0.5f}});
    const struct {
        const char *name;
        const std::vector<box_t> *boxes;
        kdop_builder_t::splitter_t splitter;
    } refusing[] = {
        {"within the leaf extent", &tiny, nullptr},
        {"splitter refuses", &tiny,
         [](float *, int *, uint32_t, const vec3_t &, const vec3_t &, void *, kdop_builder_t *) { return false; }},
    };
    for (const auto &c : refusing) {
        SCOPED_TRACE(c.name);
        kdop_tree_t tree;
        ASSERT_TRUE(build(tree, *c.boxes, 1.0f, 4, c.splitter));
        const auto leaves = leaves_of(tree);
        for (const auto &l : leaves) EXPECT_LE(l.ids.size(), KDOP_MAX_LEAF_COUNT);
        EXPECT_EQ(leaves.size(), 2u);
        EXPECT_EQ(sorted_ids(leaves), iota_ids(many));
    }

    // A splitter that peels off one object per level.
    std::vector<box_t> row;
    for (int i = 0; i < 1000; ++i) row.push_back({{float(i), 0, 0}, {float(i), 0, 0}});
    kdop_tree_t tree;
    const auto peel = [](float *value, int *axis, uint32_t, const vec3_t &, const vec3_t &max, void *,
                         kdop_builder_t *) {
        *axis = 0;
        *value = max.x - 0.5f;
        return true;
    };
    ASSERT_TRUE(build(tree, row, 0.0f, 1, peel));
    const auto leaves = leaves_of(tree);
    EXPECT_EQ(sorted_ids(leaves), iota_ids(1000));
    uint32_t deepest = 0;
    for (const auto &l : leaves) deepest = std::max(deepest, l.depth);
    EXPECT_LE(deepest, kdop_builder_t::SPLIT_DEPTH + 32 + 1);
    EXPECT_GT(deepest, kdop_builder_t::SPLIT_DEPTH);
}

// Random boxes and a deterministic source for the property tests.
struct scene_t {
    explicit scene_t(uint32_t seed) : rng(seed) {}
    float coord(float range) { return (rng.rand_f() * 2.0f - 1.0f) * range; }
    box_t box(float range, float size) {
        const vec3_t c{coord(range), coord(range), coord(range)};
        const vec3_t h{rng.rand_f() * size, rng.rand_f() * size, rng.rand_f() * size};
        return {c - h, c + h};
    }
    random_mt_t rng;
};

struct hits_t {
    std::vector<uint32_t> ids;
    int leaves = 0;
};

bool gather(const kdop_node_t *leaf, void *data) {
    auto *h = static_cast<hits_t *>(data);
    ++h->leaves;
    h->ids.insert(h->ids.end(), leaf->get_ids(), leaf->get_ids() + leaf->get_count());
    return true;
}

// The walks hand out a superset of the objects concerned; narrowed by an exact test
// it must equal the brute-force answer, so the tree never loses an object.
TEST(kdop_query, random_boxes_and_segments_match_brute_force) {
    scene_t s(20240611);
    std::vector<box_t> boxes;
    for (int i = 0; i < 600; ++i) boxes.push_back(s.box(500, 20));
    kdop_tree_t tree;
    ASSERT_TRUE(build(tree, boxes, 4.0f, 4));
    int pruned = 0;
    for (int q = 0; q < 200; ++q) {
        const box_t query = s.box(500, 60);
        hits_t hits;
        ASSERT_TRUE(kdop_query_box(tree.get_root(), query.max, query.min, gather, &hits));
        std::vector<uint32_t> found, expected;
        for (uint32_t id : hits.ids)
            if (boxes_overlap(boxes[id], query)) found.push_back(id);
        for (uint32_t i = 0; i < boxes.size(); ++i)
            if (boxes_overlap(boxes[i], query)) expected.push_back(i);
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, expected) << "box query " << q;

        const vec3_t a{s.coord(600), s.coord(600), s.coord(600)};
        const vec3_t b = q % 10 ? vec3_t{s.coord(600), s.coord(600), s.coord(600)} : a;
        hits = {};
        ASSERT_TRUE(kdop_query_segment(tree.get_root(), a, b, gather, &hits));
        found.clear();
        expected.clear();
        for (uint32_t id : hits.ids)
            if (segment_meets(a, b, boxes[id])) found.push_back(id);
        for (uint32_t i = 0; i < boxes.size(); ++i)
            if (segment_meets(a, b, boxes[i])) expected.push_back(i);
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, expected) << "segment query " << q;
        if (hits.ids.size() < boxes.size() / 4) ++pruned;
    }
    EXPECT_GT(pruned, 150);  // the walks do skip most of the tree

    // A visitor that stops ends the walk; an empty tree has nothing to visit.
    int visits = 0;
    EXPECT_FALSE(kdop_query_box(tree.get_root(), {-1000, -1000, -1000}, {1000, 1000, 1000},
                                [](const kdop_node_t *, void *d) { return ++*static_cast<int *>(d) < 3; }, &visits));
    EXPECT_EQ(visits, 3);
    EXPECT_TRUE(kdop_query_segment(nullptr, {0, 0, 0}, {1, 1, 1}, gather, &visits));
}

// Checks every node of a tree built by the default leaf writer against the boxes:
// each leaf holds its objects once each and its volume is exactly their boxes widened
// by 1.0; each inner node's volume is its children's. Adds the leaves' identifiers
// to seen.
void expect_sound_node(const kdop_node_t *n, const std::vector<box_t> &boxes, std::vector<uint32_t> &seen) {
    kdop_node_t want{};
    want.set_void();
    if (n->is_leaf()) {
        ASSERT_GE(n->get_count(), 1u);
        ASSERT_LE(n->get_count(), boxes.size());
        for (uint32_t i = 0; i < n->get_count(); ++i) {
            const uint32_t id = n->get_ids()[i];
            ASSERT_LT(id, boxes.size());
            seen.push_back(id);
            want.enlarge(v_min(boxes[id].min, boxes[id].max), v_max(boxes[id].min, boxes[id].max));
        }
        want.widen(1.0f);
    } else {
        ASSERT_NE(n->right, nullptr);
        expect_sound_node(n->left, boxes, seen);
        expect_sound_node(n->right, boxes, seen);
        want.enlarge(*n->left);
        want.enlarge(*n->right);
    }
    for (int i = 0; i < KDOP_AXES; ++i) {
        ASSERT_EQ(n->min[i], want.min[i]) << (n->is_leaf() ? "leaf" : "inner node") << ", axis " << i;
        ASSERT_EQ(n->max[i], want.max[i]) << (n->is_leaf() ? "leaf" : "inner node") << ", axis " << i;
    }
}

// A splitter that picks an axis and a value at random within the node's box, so the
// objects going right are spread all over the range and every split reorders it.
bool random_splitter(float *value, int *axis, uint32_t, const vec3_t &min, const vec3_t &max, void *data,
                     kdop_builder_t *) {
    auto *rng = static_cast<random_mt_t *>(data);
    *axis = int(rng->rand_u(3));
    *value = min[*axis] + rng->rand_f() * (max[*axis] - min[*axis]);
    return rng->rand_u(16) != 0;  // now and then a refusal: a leaf, or halves by count
}

// Many random builds, each in a random insertion order and with leaf limits that
// make deep trees with many small leaves, so that splits reorder ranges next to
// leaves already made: every object ends in exactly one leaf, every leaf's volume is
// its own objects' (never a neighbour's), and box queries agree with brute force.
TEST(kdop_builder, random_builds_match_brute_force) {
    scene_t s(77);
    kdop_builder_t builder(7, 5);  // small pool chunks: the list's nodes lie apart
    for (int build_no = 0; build_no < 300; ++build_no) {
        const uint32_t n = 1 + s.rng.rand_u(build_no % 10 == 0 ? 2000 : 150);
        std::vector<box_t> boxes;
        for (uint32_t i = 0; i < n; ++i) {
            // Some builds repeat boxes, so reference points coincide and splits fail.
            if (i && s.rng.rand_u(8) == 0) boxes.push_back(boxes[s.rng.rand_u(i)]);
            else boxes.push_back(s.box(100, 5));
        }
        const bool random_split = build_no % 2 == 1;
        const float extent = s.rng.rand_u(3) ? 0.0f : s.rng.rand_f() * 20.0f;
        const auto per_leaf = uint16_t(1 + s.rng.rand_u(6));
        builder.build_start(&s.rng, extent, per_leaf, nullptr, nullptr, random_split ? random_splitter : nullptr);
        test::add_boxes(builder, boxes);
        kdop_tree_t tree;
        ASSERT_TRUE(builder.build_end(&tree));
        std::vector<uint32_t> seen;
        expect_sound_node(tree.get_root(), boxes, seen);
        std::sort(seen.begin(), seen.end());
        ASSERT_EQ(seen, iota_ids(n)) << "build " << build_no;
        for (int q = 0; q < 5; ++q) {
            const box_t query = s.box(100, 30);
            hits_t hits;
            ASSERT_TRUE(kdop_query_box(tree.get_root(), query.max, query.min, gather, &hits));
            std::vector<uint32_t> found, expected;
            for (uint32_t id : hits.ids)
                if (boxes_overlap(boxes[id], query)) found.push_back(id);
            for (uint32_t i = 0; i < n; ++i)
                if (boxes_overlap(boxes[i], query)) expected.push_back(i);
            std::sort(found.begin(), found.end());
            ASSERT_EQ(found, expected) << "build " << build_no << ", query " << q;
        }
    }
}

void expect_same_tree(const kdop_node_t *a, const kdop_node_t *b) {
    ASSERT_EQ(a == nullptr, b == nullptr);
    if (!a) return;
    for (int i = 0; i < KDOP_AXES; ++i) {
        EXPECT_EQ(a->min[i], b->min[i]);
        EXPECT_EQ(a->max[i], b->max[i]);
    }
    ASSERT_EQ(a->is_leaf(), b->is_leaf());
    if (a->is_leaf()) {
        ASSERT_EQ(a->get_count(), b->get_count());
        EXPECT_EQ(0, memcmp(a->get_ids(), b->get_ids(), 4 * a->get_count()));
        return;
    }
    expect_same_tree(a->left, b->left);
    expect_same_tree(a->right, b->right);
}

TEST(kdop_tree, stored_form_round_trip_and_layout) {
    // Two leaves: the stored root's left child follows it, the right child follows
    // the left leaf, offsets counted from the block's start.
    kdop_tree_t small;
    ASSERT_TRUE(build(small, {{{0, 0, 0}, {1, 1, 1}}, {{10, 0, 0}, {11, 1, 1}}}, 0.0f, 1));
    memory_file_t file;
    ASSERT_TRUE(small.write(file));
    const auto *p = reinterpret_cast<const uint8_t *>(file.bytes.data());
    ASSERT_EQ(file.bytes.size(), 8u + 48 + 2 * 56);
    EXPECT_EQ(file.bytes.substr(0, 4), "KDOP");
    EXPECT_EQ(le_bytes::get_u32(p + 4), 48u + 2 * 56);
    EXPECT_EQ(le_bytes::get_u32(p + 8), 48u);
    EXPECT_EQ(le_bytes::get_u32(p + 12), 48u + 56);
    EXPECT_EQ(le_bytes::get_u32(p + 8 + 48), 0u);      // a leaf: no children
    EXPECT_EQ(le_bytes::get_u32(p + 8 + 48 + 48), 1u);  // its count
    EXPECT_EQ(le_bytes::get_f32(p + 8 + 8), small.get_root()->min[0]);

    scene_t s(7);
    std::vector<box_t> boxes;
    for (int i = 0; i < 300; ++i) boxes.push_back(s.box(100, 5));
    kdop_tree_t big;
    ASSERT_TRUE(build(big, boxes, 2.0f, 3));
    memory_file_t stored;
    ASSERT_TRUE(big.write(stored));
    ASSERT_TRUE(small.write(stored));  // two trees one after the other
    kdop_tree_t back;
    memory_file_t in(stored.bytes);
    ASSERT_TRUE(back.read(in));
    expect_same_tree(big.get_root(), back.get_root());
    ASSERT_TRUE(back.read(in));
    expect_same_tree(small.get_root(), back.get_root());

    kdop_tree_t empty;
    memory_file_t none;
    ASSERT_TRUE(empty.write(none));
    EXPECT_EQ(none.bytes, std::string("KDOP\0\0\0\0", 8));
    memory_file_t none_in(none.bytes);
    ASSERT_TRUE(back.read(none_in));
    EXPECT_TRUE(back.is_empty());

    memory_file_t full;
    full.write_limit = 20;
    test::message_capture_t log;
    EXPECT_FALSE(big.write(full));
    EXPECT_TRUE(log.contains("[kdop]"));
}

// Stored forms to break: a small tree's bytes with one field changed.
std::string stored_bytes(const kdop_tree_t &tree) {
    memory_file_t f;
    EXPECT_TRUE(tree.write(f));
    return f.bytes;
}

std::string with_u32(std::string bytes, size_t at, uint32_t v) {
    le_bytes::put_u32(reinterpret_cast<uint8_t *>(bytes.data()) + at, v);
    return bytes;
}

// Stored form of a tree whose every inner node has a leaf as right child and the
// next inner node as left child, depth levels deep.
std::string chain_bytes(uint32_t depth) {
    std::string nodes;
    const uint32_t leaf = 52;
    const auto u32 = [](std::string &s, uint32_t v) {
        uint8_t b[4];
        le_bytes::put_u32(b, v);
        s.append(reinterpret_cast<char *>(b), 4);
    };
    // Pre-order: inner 1, inner 2, ..., last leaf, then the right leaves bottom-up.
    const uint32_t inner = depth - 1;
    const uint32_t left_part = inner * 48 + leaf;
    for (uint32_t i = 0; i < inner; ++i) {
        u32(nodes, (i + 1) * 48);
        u32(nodes, left_part + (inner - 1 - i) * leaf);
        nodes.append(40, '\0');
    }
    for (uint32_t i = 0; i <= inner; ++i) {
        u32(nodes, 0);
        u32(nodes, 0);
        nodes.append(40, '\0');
        u32(nodes, 0);
    }
    std::string out = "KDOP";
    u32(out, uint32_t(nodes.size()));
    return out + nodes;
}

TEST(kdop_tree, broken_stored_forms_are_refused) {
    kdop_tree_t two;
    ASSERT_TRUE(build(two, {{{0, 0, 0}, {1, 1, 1}}, {{10, 0, 0}, {11, 1, 1}}}, 0.0f, 1));
    const std::string good = stored_bytes(two);
    const size_t root = 8, left = root + 48, right = left + 56;
    ASSERT_EQ(chain_bytes(3).size(), 8u + 2 * 48 + 3 * 52);
    const struct {
        const char *name;
        std::string bytes;
        const char *message;
    } cases[] = {
        {"no header", "KDO", "no tree header"},
        {"wrong tag", "KDOX" + good.substr(4), "not a stored k-DOP tree"},
        {"size past the end", with_u32(good, 4, 1000), "runs past the end of the file"},
        {"one child", with_u32(good, root + 4, 0), "has one child"},
        {"right child misplaced", with_u32(good, root + 4, 52), "does not follow in pre-order"},
        {"left child misplaced", with_u32(good, root, 56), "does not follow in pre-order"},
        {"leaf too big", with_u32(good, left + 48, 70000), "holds 70000 objects"},
        {"leaf past the end", with_u32(good, right + 48, 3), "runs past the end of the tree"},
        {"bytes after the last node", with_u32(good, 4, 48 + 2 * 56 + 3) + "pad", "3 bytes after the last node"},
        {"too deep", chain_bytes(KDOP_MAX_DEPTH + 1), "deeper than"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        kdop_tree_t tree;
        ASSERT_TRUE(build(tree, {{{0, 0, 0}, {1, 1, 1}}}, 0.0f, 1));
        const kdop_node_t *before = tree.get_root();
        test::message_capture_t log;
        memory_file_t file(c.bytes);
        EXPECT_FALSE(tree.read(file));
        EXPECT_TRUE(log.contains(c.message)) << (log.entries().empty() ? "" : log.entries().back().text);
        EXPECT_EQ(tree.get_root(), before);  // unchanged on failure
    }
    // Right at the limit the chain is a tree like any other.
    kdop_tree_t deep;
    memory_file_t file(chain_bytes(KDOP_MAX_DEPTH));
    ASSERT_TRUE(deep.read(file));
    const auto leaves = leaves_of(deep);
    EXPECT_EQ(leaves.size(), size_t(KDOP_MAX_DEPTH));
    EXPECT_EQ(leaves.front().depth, KDOP_MAX_DEPTH);
}

}  // namespace
}  // namespace quarn
