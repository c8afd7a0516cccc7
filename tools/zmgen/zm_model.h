#pragma once
// The model a writer turns into the four model files (docs/formats/model-*.md), as
// plain data. Every field is written as it stands, without checks: a test that needs
// a broken file (a bone whose parent follows it, an index past its piece, a zero
// frame duration, a wrong version word) sets the field and writes. The description
// reader (zm_description.h) fills one from a readable description; the map writer and
// the tests fill them in code.
//
// Axes: y is up and models face -z. Triangles are wound so that
// cross(v1 - v0, v2 - v0) points out of the surface.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "game/visuals/models/model_layout.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"

namespace zmgen {

using quarn::quat_t;
using quarn::vec2_t;
using quarn::vec3_t;
using quarn::vec4_t;

// ---- geometry (".zmg") ----

// One bone influence: the bone's index and its weight in 1/255.
struct zm_influence_t {
    uint8_t bone = 0;
    uint8_t weight = 255;

    bool operator==(const zm_influence_t &) const = default;
};

struct zm_vertex_t {
    vec3_t position;
    vec3_t normal;
    vec2_t uv;
    uint32_t color = 0xFFFFFFFFu;    // 0xAARRGGBB
    uint32_t further = 0xFFFFFFFFu;  // the further stream's colour (0xAARRGGBB)
    vec4_t tangent{1.0f, 0.0f, 0.0f, 1.0f};
    // Written in this order. Vertices with equal lists share a skin group.
    std::vector<zm_influence_t> influences;
};

// One draw call with one material slot.
struct zm_piece_t {
    uint32_t material = 0;
    std::vector<zm_vertex_t> vertices;
    std::vector<uint16_t> indices;  // three per triangle
    bool further = false;           // writes the further stream
    bool tangents = false;          // writes the tangent stream
    // Influences stored per skin group; 0 takes the longest influence list of the
    // piece. Shorter lists are filled up with (bone 0, weight 0), which ends a group.
    uint32_t skin_group_size = 0;
};

// A named run of pieces.
struct zm_part_t {
    std::string name;
    uint32_t first_piece = 0;
    uint32_t piece_count = 0;
};

// A bone and its rest pose; the writer computes the bind matrices from the rest
// poses down the parent chain.
struct zm_bone_t {
    std::string name;
    uint8_t parent = quarn::zm::NO_PARENT;
    quat_t stretch;
    quat_t rotation;
    vec3_t translation;  // relative to the parent
    vec3_t scale{1.0f, 1.0f, 1.0f};
    float scale_sign = 1.0f;
};

struct zm_geometry_t {
    uint32_t magic = quarn::zm::GEOM_MAGIC;
    std::vector<zm_bone_t> bones;
    std::vector<zm_part_t> parts;
    std::vector<zm_piece_t> pieces;
};

// ---- descriptor (".zmd") ----

struct zm_attribute_t {
    std::string name;
    uint32_t type = quarn::zm::ATTR_INT;
    // Every type but 5: one value per variant (missing ones are 0).
    std::vector<uint32_t> values;
    // Type 5: the text, the same for every variant.
    std::string text;
};

struct zm_look_t {
    std::string name;
    std::vector<std::string> materials;  // one path per material slot
};

struct zm_descriptor_t {
    uint32_t version = quarn::zm::DESC_VERSION;
    uint32_t material_count = 0;
    std::vector<zm_look_t> looks;
    std::vector<std::string> variants;
    // The attributes of each part; one entry per part of the geometry.
    std::vector<std::vector<zm_attribute_t>> parts;
};

// ---- collision (".zmc") ----

struct zm_primitive_t {
    uint32_t type = quarn::zm::PRIM_BOX;
    std::string name;       // types 1-4
    uint32_t material = 0;  // column of the material map
    float mass = 1.0f;
    vec3_t position;
    quat_t rotation;
    vec3_t sizes;  // box: full edge lengths
    float radius = 0.0f;
    float length = 0.0f;  // capsule: between the centres of its caps, along z
    vec4_t plane;         // normal x, y, z and distance
    uint32_t mesh = 0;    // index into the mesh table
    // Byte distance to the next record; unset: the record's own size.
    std::optional<uint32_t> next;
};

struct zm_mesh_t {
    std::vector<vec3_t> vertices;
    std::vector<uint16_t> indices;
};

struct zm_collision_t {
    uint32_t version = quarn::zm::COLL_VERSION;
    uint32_t material_count = 0;
    // Rows of the material map, material_count physics materials each.
    std::vector<std::vector<uint32_t>> material_map;
    std::vector<zm_mesh_t> meshes;
    // Each set's primitives; the writer ends every chain with an end record.
    std::vector<std::vector<zm_primitive_t>> sets;
};

// ---- animation (".zma") ----

struct zm_key_t {
    quat_t stretch;
    quat_t rotation;
    vec3_t translation;
    vec3_t scale{1.0f, 1.0f, 1.0f};
};

struct zm_frame_t {
    float duration = 0.1f;       // from this frame to the next
    std::vector<zm_key_t> keys;  // one per track
    vec3_t move;                 // root translation entry: made from the previous frame to this one
    quat_t turn;                 // root rotation entry, indexed alike
};

struct zm_animation_t {
    uint32_t version = quarn::zm::ANIM_VERSION;
    std::string name;
    std::vector<uint8_t> tracks;  // the bone each track moves
    std::vector<zm_frame_t> frames;
    bool root_translation = false;  // writes the moves (flag 2)
    bool root_rotation = false;     // writes the turns (flag 4)
    float length = 0.0f;            // seconds
};

// ---- a whole model ----

struct zm_model_t {
    zm_geometry_t geometry;
    zm_descriptor_t descriptor;
    std::optional<zm_collision_t> collision;
    // Each is written as "<name>.zma" beside the model.
    std::vector<zm_animation_t> animations;
};

}  // namespace zmgen
