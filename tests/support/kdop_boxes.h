#pragma once
// Boxes as objects of a k-DOP tree, and the brute-force answers a tree's walks are
// checked and measured against. Header-only and free of gtest, so that the
// benchmarks use the same code.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "qrncore/math/vec.h"
#include "qrncore/spatial/kdop_builder.h"

namespace quarn::test {

struct box_t {
    vec3_t min, max;
};

// Adds the boxes to a builder that is collecting: identifier = index, reference point
// = centre.
inline void add_boxes(kdop_builder_t &builder, const std::vector<box_t> &boxes) {
    for (size_t i = 0; i < boxes.size(); ++i) {
        kdop_bobj_t *o = builder.build_object();
        o->id = uint32_t(i);
        o->min = boxes[i].min;
        o->max = boxes[i].max;
        o->ref = (boxes[i].min + boxes[i].max) * 0.5f;
    }
}

// The boxes overlap; touching counts.
inline bool boxes_overlap(const box_t &a, const box_t &b) {
    for (int i = 0; i < 3; ++i)
        if (a.max[i] < b.min[i] || a.min[i] > b.max[i]) return false;
    return true;
}

// The segment meets the box (slab test on the three axes).
inline bool segment_meets(const vec3_t &a, const vec3_t &b, const box_t &box) {
    float t0 = 0, t1 = 1;
    for (int i = 0; i < 3; ++i) {
        const float d = b[i] - a[i];
        if (d == 0) {
            if (a[i] < box.min[i] || a[i] > box.max[i]) return false;
            continue;
        }
        float lo = (box.min[i] - a[i]) / d, hi = (box.max[i] - a[i]) / d;
        if (lo > hi) std::swap(lo, hi);
        t0 = std::max(t0, lo);
        t1 = std::min(t1, hi);
        if (t0 > t1) return false;
    }
    return true;
}

}  // namespace quarn::test
