#pragma once
// Walks everything an open model file view hands out: every accessor is called, every
// stream, table and string is read byte by byte (under the sanitizers a read outside
// the image is caught), and each region is checked to lie inside the image and to keep
// the rules the views promise (indices below the vertex count, skin bones below the
// bone count, physics materials 0..31, positive finite durations). Shared by the
// model tests and the fuzz targets. Each walk returns true when all of it holds.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "game/visuals/models/model_anim_view.h"
#include "game/visuals/models/model_coll_view.h"
#include "game/visuals/models/model_desc_view.h"
#include "game/visuals/models/model_geom_view.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn::test {

class model_walk_t {
public:
    explicit model_walk_t(const model_image_t &image) : m_image(image) {}

    // The region lies inside the image; its bytes are read.
    void region(const void *p, uint64_t bytes) {
        if (bytes == 0) return;
        const uint8_t *b = static_cast<const uint8_t *>(p);
        const uint8_t *start = m_image.data();
        if (!b || b < start || uint64_t(b - start) > m_image.size() || bytes > m_image.size() - uint64_t(b - start)) {
            m_ok = false;
            return;
        }
        for (uint64_t i = 0; i < bytes; ++i) m_sum += b[i];
    }
    void text(const char *s) {
        if (!s) return;
        region(s, 1);
        if (m_ok) region(s, strlen(s) + 1);
    }
    void expect(bool condition) { m_ok = m_ok && condition; }
    bool ok() const { return m_ok; }

private:
    const model_image_t &m_image;
    bool m_ok = true;
    uint64_t m_sum = 0;
};

inline bool walk_model(const model_geom_view_t &v) {
    model_walk_t w(v.get_image());
    volatile float sink = v.get_bounding_sphere(-1).radius + v.get_bounding_box(-1).max.x;
    w.region(v.get_vertex_block(), v.get_vertex_block_size());
    w.region(v.get_index_block(), v.get_index_block_size());
    const uint32_t bones = v.get_bone_count(), pieces = v.get_piece_count();
    w.expect(bones <= 255);
    for (uint32_t b = 0; b < bones; ++b) {
        const model_bone_t bone = v.get_bone(b);
        sink = sink + bone.bind.m[0] + bone.scale_sign;
        w.expect(bone.parent == 255 || bone.parent < b);
        w.expect(v.find_bone(bone.name) >= 0 && v.find_bone(bone.name) <= int32_t(b));
    }
    for (uint32_t p = 0; p < v.get_part_count(); ++p) {
        w.expect(uint64_t(v.get_part_first_piece(p)) + v.get_part_piece_count(p) <= pieces);
        w.expect(v.find_part(v.get_part_name(p)) >= 0);
    }
    const uint8_t *block = v.get_vertex_block();
    const uint64_t block_size = v.get_vertex_block_size();
    auto in_block = [&](const void *p, uint64_t bytes) {
        const uint8_t *b = static_cast<const uint8_t *>(p);
        return b >= block && uint64_t(b - block) <= block_size && bytes <= block_size - uint64_t(b - block);
    };
    for (uint32_t p = 0; p < pieces; ++p) {
        sink = sink + v.get_bounding_sphere(int32_t(p)).radius + v.get_bounding_box(int32_t(p)).min.y;
        const uint64_t n = v.get_vertex_count(p), ni = v.get_index_count(p), size = v.get_skin_group_size(p);
        const void *streams[] = {v.get_positions(p), v.get_normals(p), v.get_texcoords(p),
                                 v.get_colors(p),    v.get_further(p), v.get_tangents(p)};
        const uint64_t bytes[] = {12, 12, 8, 4, 4, 16};
        for (int s = 0; s < 6; ++s) {
            if (!streams[s]) continue;
            w.region(streams[s], n * bytes[s]);
            w.expect(in_block(streams[s], n * bytes[s]) && reinterpret_cast<uintptr_t>(streams[s]) % 4 == 0);
        }
        w.expect(v.has_further(p) == v.has_further(0) && v.has_tangents(p) == v.has_tangents(0));
        w.expect(ni % 3 == 0);
        const uint16_t *indices = v.get_indices(p);
        w.region(indices, ni * 2);
        for (uint64_t i = 0; w.ok() && i < ni; ++i) w.expect(indices[i] < n);
        const uint16_t *groups = v.get_skin_groups(p);
        w.region(groups, n * 2);
        for (uint64_t i = 0; w.ok() && i < n; ++i) {
            const uint8_t *gb = v.get_skin_bones(p) + groups[i] * size;
            const uint8_t *gw = v.get_skin_weights(p) + groups[i] * size;
            w.region(gb, size);
            w.region(gw, size);
            for (uint64_t k = 0; w.ok() && k < size && gw[k] != 0; ++k) w.expect(gb[k] < bones);
        }
    }
    return w.ok();
}

inline bool walk_model(const model_desc_view_t &v) {
    model_walk_t w(v.get_image());
    for (uint32_t l = 0; l < v.get_look_count(); ++l) {
        w.expect(v.find_look(v.get_look_name(l)) >= 0);
        for (uint32_t m = 0; m < v.get_material_count(); ++m) {
            w.text(v.get_material_path(l, m));
            mstring_dyn_t joined;
            v.get_material_path(l, m, joined);
            w.expect(joined[0] == '/' || joined.is_empty());
        }
    }
    for (uint32_t i = 0; i < v.get_variant_count(); ++i) w.expect(v.find_variant(v.get_variant_name(i)) >= 0);
    for (uint32_t p = 0; p < v.get_part_count(); ++p) {
        w.expect(v.get_attribute_first(p) <= v.get_attribute_end(p));
        for (uint32_t a = v.get_attribute_first(p); a < v.get_attribute_end(p); ++a) {
            const uint64_t name = v.get_attribute_name(a);
            for (uint32_t i = 0; i < v.get_variant_count(); ++i) {
                uint32_t value;
                v.get_attribute(p, name, i, value);
            }
            w.text(v.get_string_attribute(p, name));
        }
    }
    return w.ok();
}

// Collects what a walk hands over and checks it against the image.
class model_coll_walker_t : public model_coll_visitor_t {
public:
    explicit model_coll_walker_t(model_walk_t &w) : m_w(w) {}
    bool box(const model_coll_prim_t &p) override { return seen(p, 1); }
    bool capsule(const model_coll_prim_t &p) override { return seen(p, 3); }
    bool sphere(const model_coll_prim_t &p) override { return seen(p, 2); }
    bool plane(const model_coll_prim_t &p) override { return seen(p, 4); }
    bool mesh(const model_coll_prim_t &p) override {
        m_w.region(p.vertices, uint64_t(p.vertex_count) * 12);
        m_w.region(p.indices, uint64_t(p.index_count) * 2);
        m_w.expect(p.index_count % 3 == 0);
        for (uint32_t i = 0; m_w.ok() && i < p.index_count; ++i) m_w.expect(p.indices[i] < p.vertex_count);
        return seen(p, 5);
    }
    uint32_t count = 0;

private:
    bool seen(const model_coll_prim_t &p, uint32_t type) {
        m_w.expect(p.type == type && p.material < 32);
        ++count;
        return true;
    }
    model_walk_t &m_w;
};

// Walks every set with every row that the file holds (at most sets × rows walks).
inline bool walk_model(const model_coll_view_t &v, uint32_t sets = 16, uint32_t rows = 4) {
    model_walk_t w(v.get_image());
    for (uint32_t s = 0; s < sets && v.has_set(s); ++s)
        for (uint32_t r = 0; r < rows && v.has_row(r); ++r) {
            model_coll_walker_t walker(w);
            if (!v.walk(s, r, walker)) w.expect(walker.count == 0);  // a refused walk visits nothing
        }
    return w.ok();
}

inline bool walk_model(const model_anim_view_t &v) {
    model_walk_t w(v.get_image());
    const uint64_t frames = v.get_frame_count(), tracks = v.get_track_count();
    w.expect(frames > 0 && std::isfinite(v.get_length()));
    w.region(v.get_durations(), frames * 4);
    for (uint64_t f = 0; w.ok() && f < frames; ++f)
        w.expect(v.get_durations()[f] > 0.0f && std::isfinite(v.get_durations()[f]));
    w.region(v.get_track_map(), tracks);
    w.region(v.get_keys(), frames * tracks * 56);
    if (frames && tracks) {
        volatile float sink = v.get_key(uint32_t(frames - 1), uint32_t(tracks - 1)).scale.z;
        (void)sink;
    }
    if (const vec3_t *t = v.get_root_translation()) w.region(t, frames * 12);
    if (const quat_t *q = v.get_root_rotation()) w.region(q, frames * 16);
    w.expect(!v.get_root_translation() == !(v.get_flags() & 2) && !v.get_root_rotation() == !(v.get_flags() & 4));
    return w.ok();
}

}  // namespace quarn::test
