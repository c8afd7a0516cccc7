#include "game/visuals/shaders/queue_sort.h"

#include <algorithm>

#include "outside/qrnshared/material.h"
#include "outside/qrnshared/r_proto.h"
#include "qrncore/system/messages.h"

namespace quarn {

int32_t shaderlib_draw_order(const r_proto_t *proto) {
    const material_t *m = proto ? material_of(proto->material) : nullptr;
    return m ? m->order : 0;
}

bool shaderlib_sorter_t::fill(r_proto_t **protos, uint32_t count) {
    m_keys.clear();
    if (!m_keys.request_capacity(count)) {
        error("[game] No memory to sort a render queue of %u prototypes", count);
        return false;
    }
    for (uint32_t i = 0; i < count; ++i)
        m_keys.append(key_t{shaderlib_draw_order(protos[i]), reinterpret_cast<uintptr_t>(protos[i]->material), protos[i]});
    return true;
}

void shaderlib_sorter_t::write_back(r_proto_t **protos, uint32_t count) const {
    for (uint32_t i = 0; i < count; ++i) protos[i] = m_keys[i].proto;
}

bool shaderlib_sorter_t::sort_grouped(r_proto_t **protos, uint32_t count) {
    if (count < 2) return true;
    if (!fill(protos, count)) return false;
    key_t *keys = m_keys.get_data();
    std::sort(keys, keys + count, [](const key_t &a, const key_t &b) {
        if (a.material == b.material) return false;
        if (a.order != b.order) return a.order < b.order;
        return a.material > b.material;
    });
    write_back(protos, count);
    return true;
}

bool shaderlib_sorter_t::sort_stable(r_proto_t **protos, uint32_t count) {
    if (count < 2) return true;
    if (!fill(protos, count)) return false;
    if (!m_buffer.request_capacity(count / 2)) {
        error("[game] No memory to sort a render queue of %u prototypes", count);
        return false;
    }
    merge_sort(m_keys.get_data(), count);
    write_back(protos, count);
    return true;
}

void shaderlib_sorter_t::merge_sort(key_t *a, uint32_t n) {
    if (n < 2) return;
    if (n == 2) {
        if (a[1].order < a[0].order) std::swap(a[0], a[1]);
        return;
    }
    if (n == 3) {
        // Three compares and moves that never pass an element over an equal one.
        if (a[1].order < a[0].order) std::swap(a[0], a[1]);
        if (a[2].order < a[1].order) {
            std::swap(a[1], a[2]);
            if (a[1].order < a[0].order) std::swap(a[0], a[1]);
        }
        return;
    }
    const uint32_t half = n / 2;
    merge_sort(a, half);
    merge_sort(a + half, n - half);
    if (!(a[half].order < a[half - 1].order)) return;  // already in order
    // The buffer (capacity n / 2 of the whole queue) holds the left half.
    key_t *left = m_buffer.get_data();
    std::copy(a, a + half, left);
    uint32_t i = 0, j = half, k = 0;
    while (i < half && j < n) a[k++] = (a[j].order < left[i].order) ? a[j++] : left[i++];
    while (i < half) a[k++] = left[i++];
}

}  // namespace quarn
