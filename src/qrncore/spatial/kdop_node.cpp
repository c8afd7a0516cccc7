#include "qrncore/spatial/kdop_node.h"

#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/spatial/le_bytes.h"

namespace quarn {

void kdop_node_t::set_void() {
    for (int i = 0; i < KDOP_AXES; ++i) {
        min[i] = KDOP_VOID_BOUND;
        max[i] = -KDOP_VOID_BOUND;
    }
}

void kdop_node_t::enlarge(const vec3_t &p) {
    float v[KDOP_AXES];
    kdop_project(p, v);
    for (int i = 0; i < KDOP_AXES; ++i) {
        if (v[i] < min[i]) min[i] = v[i];
        if (v[i] > max[i]) max[i] = v[i];
    }
}

void kdop_node_t::enlarge(const vec3_t &lo, const vec3_t &hi) {
    float mn[KDOP_AXES], mx[KDOP_AXES];
    kdop_box_bounds(lo, hi, mn, mx);
    for (int i = 0; i < KDOP_AXES; ++i) {
        if (mn[i] < min[i]) min[i] = mn[i];
        if (mx[i] > max[i]) max[i] = mx[i];
    }
}

void kdop_node_t::enlarge(const kdop_node_t &other) {
    for (int i = 0; i < KDOP_AXES; ++i) {
        if (other.min[i] < min[i]) min[i] = other.min[i];
        if (other.max[i] > max[i]) max[i] = other.max[i];
    }
}

void kdop_node_t::widen(float margin) {
    for (int i = 0; i < KDOP_AXES; ++i) {
        min[i] -= margin;
        max[i] += margin;
    }
}

bool kdop_node_t::overlaps(const float mn[KDOP_AXES], const float mx[KDOP_AXES]) const {
    for (int i = 0; i < KDOP_AXES; ++i)
        if (mx[i] < min[i] || mn[i] > max[i]) return false;
    return true;
}

bool kdop_node_t::write(file_t &file) const {
    for (int i = 0; i < 2 * KDOP_AXES; ++i) {
        uint8_t bytes[4];
        le_bytes::put_f32(bytes, i < KDOP_AXES ? min[i] : max[i - KDOP_AXES]);
        if (!file.write(bytes, sizeof bytes)) return false;
    }
    return true;
}

bool kdop_node_t::read(file_t &file) {
    for (int i = 0; i < 2 * KDOP_AXES; ++i) {
        float &bound = i < KDOP_AXES ? min[i] : max[i - KDOP_AXES];
        uint8_t bytes[4];
        if (!file.read(bytes, sizeof bytes)) {
            bound = 0.0f;
            return false;
        }
        bound = le_bytes::get_f32(bytes);
    }
    return true;
}

}  // namespace quarn
