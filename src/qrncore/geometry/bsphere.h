#pragma once
// A bounding sphere that grows to hold points and spheres, and keeps a transformed
// copy of its centre for overlap tests in another frame. The squared radius is always
// radius².
#include "qrncore/api.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/vec.h"

namespace quarn {

struct QRNCORE_API bsphere_t {
    void set(const vec3_t &c, float r);
    // The radius grows by 1%.
    void expand();
    // Stores m·centre as the transformed centre.
    void transform(const mat4_t &m);
    // Grows (when needed) to the smallest sphere holding this one and the point / the
    // other sphere.
    void resize(const vec3_t &p);
    void resize(const vec3_t &c2, float r2);
    // The other's transformed centre against this centre; touching counts.
    bool overlap(const bsphere_t &other) const;

    vec3_t center;
    float radius = 0.0f;
    float radius2 = 0.0f;
    vec3_t transformed_center;
};

}  // namespace quarn
