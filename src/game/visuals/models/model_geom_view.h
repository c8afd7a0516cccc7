#pragma once
// model_geom_view_t: the reader of a model geometry file (".zmg",
// docs/formats/model-geometry.md) over its loaded image: bones, parts, and pieces
// with their vertex streams, index arrays and skin data, used in place.
//
// open() checks the whole image before anything is read from it (every table,
// stream and block inside the file, piece streams inside the vertex block, index
// arrays inside the index block, part ranges, indices, bone parents, skin groups, one
// vertex format for all pieces), so every accessor of an open view stays inside the
// image. Streams handed out as pointers are 4-byte aligned in the image; the image
// itself must be 4-byte aligned (item memory of the memory manager is).
//
// Indices passed to the accessors (piece, part, bone) must be below their counts: a
// bad one is a caller error and aborts.
#include <cstdint>

#include "game/visuals/models/model_image.h"
#include "qrncore/geometry/aabox.h"
#include "qrncore/geometry/sphere.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"

namespace quarn {

// One bone record, read out of the image.
struct model_bone_t {
    uint64_t name = 0;  // token
    mat4_t bind;        // bone space to model space
    mat4_t bind_inverse;
    quat_t stretch;  // rest pose: orientation of the scale axes
    quat_t rotation;
    vec3_t translation;  // relative to the parent
    vec3_t scale;
    float scale_sign = 1.0f;
    uint8_t parent = 255;  // 255: none
};

class model_geom_view_t {
public:
    // Checks the image and, when it passes, views it. False (logged) when the image
    // is refused; the view is then closed. path names the file in messages.
    bool open(const void *image, uint64_t size, const char *path);
    void close();
    bool is_open() const { return m_open; }
    // The owner moved the same bytes to another address.
    void rebase(const void *image) { m_image.rebase(image); }
    const model_image_t &get_image() const { return m_image; }
    const char *get_path() const { return m_path.c_str(); }

    uint32_t get_piece_count() const { return m_piece_count; }
    uint32_t get_part_count() const { return m_part_count; }
    uint32_t get_bone_count() const { return m_bone_count; }

    // Bounding volumes of one piece, or of the whole model for piece -1.
    sphere_t get_bounding_sphere(int32_t piece) const;
    aabox_t get_bounding_box(int32_t piece) const;

    // ---- bones, in parent-before-child order ----
    model_bone_t get_bone(uint32_t bone) const;
    uint64_t get_bone_name(uint32_t bone) const;
    uint8_t get_bone_parent(uint32_t bone) const;
    // Index of the first bone with that token / the token of that name; -1 when none
    // (or when the name makes no token).
    int32_t find_bone(uint64_t token) const;
    int32_t find_bone(const char *name) const;

    // ---- parts: named runs of pieces ----
    int32_t find_part(uint64_t token) const;
    int32_t find_part(const char *name) const;
    uint64_t get_part_name(uint32_t part) const;
    uint32_t get_part_piece_count(uint32_t part) const;
    uint32_t get_part_first_piece(uint32_t part) const;

    // ---- pieces ----
    uint32_t get_index_count(uint32_t piece) const { return piece_u32(piece, 0); }
    uint32_t get_vertex_count(uint32_t piece) const;
    // Influences stored per skin group.
    uint32_t get_skin_group_size(uint32_t piece) const;
    // Index into the descriptor's material slots (not checked against them here).
    uint32_t get_material_slot(uint32_t piece) const;
    bool has_further(uint32_t piece) const;
    bool has_tangents(uint32_t piece) const;

    // Streams, vertex count entries each.
    const vec3_t *get_positions(uint32_t piece) const;
    const vec3_t *get_normals(uint32_t piece) const;
    const vec2_t *get_texcoords(uint32_t piece) const;
    const uint32_t *get_colors(uint32_t piece) const;
    // One 32-bit colour a vertex (the terrain's second layer colour); null when the
    // piece has no further stream.
    const uint32_t *get_further(uint32_t piece) const;
    // x, y, z and a w that skinning keeps; null when the piece has none.
    const vec4_t *get_tangents(uint32_t piece) const;
    // Index count entries, each below the vertex count.
    const uint16_t *get_indices(uint32_t piece) const;
    // The skin group of each vertex, and the group tables: group g's influences are
    // entries g × size ... g × size + size - 1 of both (bone index, weight / 255),
    // ending early at the first weight of 0.
    const uint16_t *get_skin_groups(uint32_t piece) const;
    const uint8_t *get_skin_bones(uint32_t piece) const;
    const uint8_t *get_skin_weights(uint32_t piece) const;

    // ---- the blocks handed to the renderer whole for unskinned models ----
    const uint8_t *get_vertex_block() const;
    uint64_t get_vertex_block_size() const;
    const uint8_t *get_index_block() const;
    uint64_t get_index_block_size() const;

private:
    bool check() const;
    bool check_piece(model_check_t &c, uint32_t piece) const;
    uint64_t piece_record(uint32_t piece) const;
    uint32_t piece_u32(uint32_t piece, uint32_t field) const;
    uint64_t part_record(uint32_t part) const;
    uint64_t bone_record(uint32_t bone) const;

    model_image_t m_image;
    mstring_dyn_t m_path;
    bool m_open = false;
    uint32_t m_piece_count = 0;
    uint32_t m_part_count = 0;
    uint32_t m_bone_count = 0;
};

}  // namespace quarn
