#pragma once
// model_hit_t: what a segment test of a model instance finds (72 bytes, the size of a
// shot record, into which hit receivers copy it). A reset record, like a fresh shot
// record, has -1 in its first three words (no part, piece or triangle) and the
// largest float as its distance.
#include <cfloat>
#include <cstdint>

#include "qrncore/math/vec.h"

namespace quarn {

struct model_hit_t {
    void reset() { *this = model_hit_t{}; }
    bool is_hit() const { return part >= 0; }

    int32_t part = -1;
    int32_t piece = -1;
    int32_t triangle = -1;  // index of the triangle's first index / 3
    vec3_t point;           // the hit, in model space
    vec4_t plane;           // the triangle's plane (normalised normal, distance)
    float distance = FLT_MAX;  // from the segment's start to the point
    uint32_t reserved[7] = {};
};

static_assert(sizeof(model_hit_t) == 72, "a model hit fills a 72-byte shot record");

}  // namespace quarn
