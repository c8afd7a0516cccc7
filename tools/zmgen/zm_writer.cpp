#include "zm_writer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "qrncore/math/matrix.h"
#include "qrncore/math/matrix_table.h"
#include "qrncore/spatial/le_bytes.h"
#include "qrncore/strings/name_token.h"
#include "qrncore/system/messages.h"

namespace zmgen {

namespace zm = quarn::zm;
namespace le = quarn::le_bytes;

namespace {

// A growing little-endian byte image. Offsets are 32-bit in every model file.
class image_t {
public:
    uint64_t pos() const { return m_bytes.size(); }
    void u8(uint8_t v) { m_bytes.push_back(v); }
    void u16(uint16_t v) { le::put_u16(grow(2), v); }
    void u32(uint32_t v) { le::put_u32(grow(4), v); }
    void u64(uint64_t v) { le::put_u64(grow(8), v); }
    void f32(float v) { le::put_f32(grow(4), v); }
    void vec2(const vec2_t &v) { f32(v.x), f32(v.y); }
    void vec3(const vec3_t &v) { f32(v.x), f32(v.y), f32(v.z); }
    void vec4(const vec4_t &v) { f32(v.x), f32(v.y), f32(v.z), f32(v.w); }
    void quat(const quat_t &q) { f32(q.w), f32(q.x), f32(q.y), f32(q.z); }
    void matrix(const quarn::mat4_t &m) {
        for (float f : m.m) f32(f);
    }
    void zeros(uint64_t n) { m_bytes.resize(m_bytes.size() + n, 0); }
    void pad4() { zeros((4 - m_bytes.size() % 4) % 4); }
    void text(const std::string &s) {
        m_bytes.insert(m_bytes.end(), s.begin(), s.end());
        m_bytes.push_back(0);
    }

    void put_u16(uint64_t at, uint16_t v) { le::put_u16(m_bytes.data() + at, v); }
    void put_u32(uint64_t at, uint64_t v) { le::put_u32(m_bytes.data() + at, uint32_t(v)); }
    void put_f32(uint64_t at, float v) { le::put_f32(m_bytes.data() + at, v); }
    void put_u64(uint64_t at, uint64_t v) { le::put_u64(m_bytes.data() + at, v); }
    void put_sphere(uint64_t at, const quarn::sphere_t &s) {
        put_f32(at, s.center.x), put_f32(at + 4, s.center.y), put_f32(at + 8, s.center.z), put_f32(at + 12, s.radius);
    }
    void put_box(uint64_t at, const quarn::aabox_t &b) {
        const float v[6] = {b.min.x, b.min.y, b.min.z, b.max.x, b.max.y, b.max.z};
        for (int i = 0; i < 6; ++i) put_f32(at + 4 * uint64_t(i), v[i]);
    }

    // Hands the bytes over; false when the file outgrew its 32-bit offsets.
    bool finish(bytes_t &out, const char *what) {
        if (m_bytes.size() > 0xFFFFFFFFu) {
            quarn::error("[zmgen] The %s is larger than 4 GiB.", what);
            return false;
        }
        out = std::move(m_bytes);
        return true;
    }

private:
    uint8_t *grow(size_t n) {
        m_bytes.resize(m_bytes.size() + n);
        return m_bytes.data() + m_bytes.size() - n;
    }
    bytes_t m_bytes;
};

bool token_of(const std::string &name, const char *what, uint64_t &out) {
    if (quarn::string_to_token(out, name.c_str())) return true;
    quarn::error("[zmgen] The %s name '%s' makes no name token (up to 12 of a-z, 0-9 and _).", what, name.c_str());
    return false;
}

// The skin groups of a piece: each vertex's group and each group's influences.
struct skin_t {
    uint32_t size = 0;
    std::vector<uint16_t> group_of;
    std::vector<std::vector<zm_influence_t>> groups;
};

bool make_skin(const zm_piece_t &piece, uint32_t index, skin_t &skin) {
    skin.size = piece.skin_group_size;
    if (skin.size == 0)
        for (const zm_vertex_t &v : piece.vertices) skin.size = std::max(skin.size, uint32_t(v.influences.size()));
    std::map<std::vector<zm_influence_t>, uint16_t,
             bool (*)(const std::vector<zm_influence_t> &, const std::vector<zm_influence_t> &)>
        known([](const std::vector<zm_influence_t> &a, const std::vector<zm_influence_t> &b) {
            return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                [](const zm_influence_t &x, const zm_influence_t &y) {
                                                    return x.bone != y.bone ? x.bone < y.bone : x.weight < y.weight;
                                                });
        });
    for (const zm_vertex_t &v : piece.vertices) {
        if (v.influences.size() > skin.size) {
            quarn::error("[zmgen] Piece %u has a vertex of %zu influences, more than its skin group size %u.", index,
                         v.influences.size(), skin.size);
            return false;
        }
        std::vector<zm_influence_t> list = v.influences;
        list.resize(skin.size, zm_influence_t{0, 0});
        auto it = known.find(list);
        if (it == known.end()) {
            if (skin.groups.size() > 0xFFFF) {
                quarn::error("[zmgen] Piece %u has more than 65536 skin groups.", index);
                return false;
            }
            it = known.emplace(list, uint16_t(skin.groups.size())).first;
            skin.groups.push_back(list);
        }
        skin.group_of.push_back(it->second);
    }
    return true;
}

}  // namespace

// ---- matrices and bounds ----

quarn::mat4_t zm_local_matrix(const quat_t &stretch, const quat_t &rotation, const vec3_t &translation,
                              const vec3_t &scale, float scale_sign) {
    quarn::mat4_t axes, axes_inv, s, r, t, m;
    stretch.get_matrix_pair(&axes, &axes_inv);
    quarn::fptr_matrix_set_scale(&s, scale * scale_sign);
    rotation.get_matrix(&r);
    quarn::fptr_matrix_set_translate(&t, translation);
    // Points go through the inverse stretch axes, the scale, the axes, the rotation
    // and the translation, in that order.
    quarn::mult_matrix_matrix(&m, axes_inv, s);
    quarn::mult_matrix_matrix(&m, m, axes);
    quarn::mult_matrix_matrix(&m, m, r);
    quarn::mult_matrix_matrix(&m, m, t);
    return m;
}

std::vector<quarn::mat4_t> zm_bind_matrices(const std::vector<zm_bone_t> &bones) {
    std::vector<quarn::mat4_t> bind(bones.size());
    for (size_t i = 0; i < bones.size(); ++i) {
        const zm_bone_t &b = bones[i];
        bind[i] = zm_local_matrix(b.stretch, b.rotation, b.translation, b.scale, b.scale_sign);
        if (b.parent != zm::NO_PARENT && b.parent < i) quarn::mult_matrix_matrix(&bind[i], bind[i], bind[b.parent]);
    }
    return bind;
}

quarn::aabox_t zm_piece_box(const zm_piece_t &piece) {
    if (piece.vertices.empty()) return {};
    quarn::aabox_t box;
    box.set_void();
    for (const zm_vertex_t &v : piece.vertices) box.enlarge(v.position);
    return box;
}

quarn::sphere_t zm_piece_sphere(const zm_piece_t &piece) {
    if (piece.vertices.empty()) return {{}, 0.0f};
    const vec3_t c = zm_piece_box(piece).get_center();
    float r2 = 0.0f;
    for (const zm_vertex_t &v : piece.vertices) r2 = std::max(r2, quarn::length_squared(v.position - c));
    return {c, std::sqrt(r2)};
}

quarn::aabox_t zm_model_box(const zm_geometry_t &geometry) {
    quarn::aabox_t box;
    box.set_void();
    for (const zm_piece_t &p : geometry.pieces)
        if (!p.vertices.empty()) box.enlarge(zm_piece_box(p));
    return box.is_void() ? quarn::aabox_t{} : box;
}

quarn::sphere_t zm_model_sphere(const zm_geometry_t &geometry) {
    const quarn::aabox_t box = zm_model_box(geometry);
    const vec3_t c = box.get_center();
    float r2 = 0.0f;
    for (const zm_piece_t &p : geometry.pieces)
        for (const zm_vertex_t &v : p.vertices) r2 = std::max(r2, quarn::length_squared(v.position - c));
    return {c, std::sqrt(r2)};
}

// ---- geometry ----

bool zm_write_geometry(const zm_geometry_t &g, bytes_t &out) {
    std::vector<skin_t> skins(g.pieces.size());
    for (size_t p = 0; p < g.pieces.size(); ++p)
        if (!make_skin(g.pieces[p], uint32_t(p), skins[p])) return false;

    image_t im;
    im.zeros(zm::GEOM_HEADER_SIZE);
    im.put_u32(0, g.magic);
    im.put_u32(zm::GEOM_PIECE_COUNT, g.pieces.size());
    im.put_u32(zm::GEOM_PART_COUNT, g.parts.size());
    im.put_u32(zm::GEOM_BONE_COUNT, g.bones.size());
    im.put_sphere(zm::GEOM_SPHERE, zm_model_sphere(g));
    im.put_box(zm::GEOM_BOX, zm_model_box(g));

    // Bones.
    im.put_u32(zm::GEOM_BONES, im.pos());
    const std::vector<quarn::mat4_t> bind = zm_bind_matrices(g.bones);
    for (size_t i = 0; i < g.bones.size(); ++i) {
        const zm_bone_t &b = g.bones[i];
        uint64_t token;
        if (!token_of(b.name, "bone", token)) return false;
        quarn::mat4_t inverse = quarn::mat4_t::identity();
        quarn::fptr_matrix_get_inverse(&inverse, &bind[i]);
        im.u64(token);
        im.matrix(bind[i]);
        im.matrix(inverse);
        im.quat(b.stretch);
        im.quat(b.rotation);
        im.vec3(b.translation);
        im.vec3(b.scale);
        im.f32(b.scale_sign);
        im.u8(b.parent);
        im.zeros(3);
    }

    // Parts.
    im.put_u32(zm::GEOM_PARTS, im.pos());
    for (const zm_part_t &part : g.parts) {
        uint64_t token;
        if (!token_of(part.name, "part", token)) return false;
        im.u64(token);
        im.u32(part.piece_count);
        im.u32(part.first_piece);
        im.zeros(8);
    }

    // Piece records, filled in below.
    const uint64_t pieces = im.pos();
    im.put_u32(zm::GEOM_PIECES, pieces);
    im.zeros(uint64_t(zm::PIECE_SIZE) * g.pieces.size());
    auto field = [&](size_t p, uint32_t f) { return pieces + p * zm::PIECE_SIZE + f; };

    // The vertex block: first the streams a skinned model copies (positions, normals,
    // tangents), then the rest (texture coordinates, colours, further stream).
    const uint64_t block = im.pos();
    im.put_u32(zm::GEOM_VERTEX_BLOCK, block);
    for (size_t p = 0; p < g.pieces.size(); ++p) {
        const zm_piece_t &piece = g.pieces[p];
        im.put_u32(field(p, zm::PIECE_POSITIONS), im.pos());
        for (const zm_vertex_t &v : piece.vertices) im.vec3(v.position);
        im.put_u32(field(p, zm::PIECE_NORMALS), im.pos());
        for (const zm_vertex_t &v : piece.vertices) im.vec3(v.normal);
        im.put_u32(field(p, zm::PIECE_TANGENTS), piece.tangents ? im.pos() : zm::NO_STREAM);
        if (piece.tangents)
            for (const zm_vertex_t &v : piece.vertices) im.vec4(v.tangent);
    }
    const uint64_t middle = im.pos();
    for (size_t p = 0; p < g.pieces.size(); ++p) {
        const zm_piece_t &piece = g.pieces[p];
        im.put_u32(field(p, zm::PIECE_TEXCOORDS), im.pos());
        for (const zm_vertex_t &v : piece.vertices) im.vec2(v.uv);
        im.put_u32(field(p, zm::PIECE_COLORS), im.pos());
        for (const zm_vertex_t &v : piece.vertices) im.u32(v.color);
        im.put_u32(field(p, zm::PIECE_FURTHER), piece.further ? im.pos() : zm::NO_STREAM);
        if (piece.further)
            for (const zm_vertex_t &v : piece.vertices) im.u32(v.further);
    }
    im.put_u32(zm::GEOM_VERTEX_SIZE_1, middle - block);
    im.put_u32(zm::GEOM_VERTEX_SIZE_2, im.pos() - middle);

    // The index block: each piece's array on a 4-byte boundary.
    const uint64_t indices = im.pos();
    im.put_u32(zm::GEOM_INDEX_BLOCK, indices);
    for (size_t p = 0; p < g.pieces.size(); ++p) {
        im.put_u32(field(p, zm::PIECE_INDICES), im.pos());
        for (uint16_t i : g.pieces[p].indices) im.u16(i);
        im.pad4();
    }
    im.put_u32(zm::GEOM_INDEX_SIZE, im.pos() - indices);

    // Skin data, outside both blocks.
    for (size_t p = 0; p < g.pieces.size(); ++p) {
        const skin_t &skin = skins[p];
        im.put_u32(field(p, zm::PIECE_SKIN_GROUPS), im.pos());
        for (uint16_t group : skin.group_of) im.u16(group);
        im.pad4();
        im.put_u32(field(p, zm::PIECE_SKIN_BONES), im.pos());
        for (const auto &group : skin.groups)
            for (const zm_influence_t &i : group) im.u8(i.bone);
        im.pad4();
        im.put_u32(field(p, zm::PIECE_SKIN_WEIGHTS), im.pos());
        for (const auto &group : skin.groups)
            for (const zm_influence_t &i : group) im.u8(i.weight);
        im.pad4();
    }

    // The rest of each piece record.
    for (size_t p = 0; p < g.pieces.size(); ++p) {
        const zm_piece_t &piece = g.pieces[p];
        im.put_u32(field(p, zm::PIECE_INDEX_COUNT), piece.indices.size());
        im.put_u32(field(p, zm::PIECE_VERTEX_COUNT), piece.vertices.size());
        im.put_u32(field(p, zm::PIECE_GROUP_SIZE), skins[p].size);
        im.put_u32(field(p, zm::PIECE_MATERIAL), piece.material);
        im.put_sphere(field(p, zm::PIECE_SPHERE), zm_piece_sphere(piece));
        im.put_box(field(p, zm::PIECE_BOX), zm_piece_box(piece));
    }
    return im.finish(out, "geometry");
}

// ---- descriptor ----

bool zm_write_descriptor(const zm_descriptor_t &d, bytes_t &out) {
    image_t im;
    im.zeros(zm::DESC_HEADER_SIZE);
    im.put_u32(0, d.version);
    im.put_u32(zm::DESC_MATERIAL_COUNT, d.material_count);
    im.put_u32(zm::DESC_LOOK_COUNT, d.looks.size());
    im.put_u32(zm::DESC_VARIANT_COUNT, d.variants.size());
    im.put_u32(zm::DESC_PART_COUNT, d.parts.size());

    im.put_u32(zm::DESC_LOOKS, im.pos());
    for (const zm_look_t &look : d.looks) {
        uint64_t token;
        if (!token_of(look.name, "look", token)) return false;
        im.u64(token);
    }
    im.put_u32(zm::DESC_VARIANTS, im.pos());
    for (const std::string &variant : d.variants) {
        uint64_t token;
        if (!token_of(variant, "variant", token)) return false;
        im.u64(token);
    }

    // Part ranges over the attribute definitions, which follow the value blocks.
    im.put_u32(zm::DESC_PART_RANGES, im.pos());
    uint32_t count = 0, value_slots = 0;
    for (const auto &attributes : d.parts) {
        im.u32(count);
        count += uint32_t(attributes.size());
        im.u32(count);
        for (const zm_attribute_t &a : attributes) value_slots += a.type != zm::ATTR_STRING;
    }
    const uint32_t block_size = 4 * value_slots;
    im.put_u32(zm::DESC_VALUE_BLOCK_SIZE, block_size);

    // Value blocks: every non-string attribute has a slot, in definition order.
    im.put_u32(zm::DESC_VALUES, im.pos());
    for (size_t v = 0; v < d.variants.size(); ++v)
        for (const auto &attributes : d.parts)
            for (const zm_attribute_t &a : attributes)
                if (a.type != zm::ATTR_STRING) im.u32(v < a.values.size() ? a.values[v] : 0);

    // Attribute definitions, with the string offsets filled in once strings are laid.
    struct pending_t {
        uint64_t field;
        std::string text;
    };
    std::vector<pending_t> strings;
    im.put_u32(zm::DESC_ATTRIBUTES, im.pos());
    uint32_t slot = 0;
    for (const auto &attributes : d.parts)
        for (const zm_attribute_t &a : attributes) {
            uint64_t token;
            if (!token_of(a.name, "attribute", token)) return false;
            im.u64(token);
            im.u32(a.type);
            if (a.type == zm::ATTR_STRING) {
                strings.push_back({im.pos(), a.text});
                im.u32(0);
            } else {
                im.u32(4 * slot++);
            }
        }

    // Material paths, look-major.
    im.put_u32(zm::DESC_MATERIALS, im.pos());
    for (const zm_look_t &look : d.looks)
        for (uint32_t m = 0; m < d.material_count; ++m) {
            strings.push_back({im.pos(), m < look.materials.size() ? look.materials[m] : std::string()});
            im.u32(0);
        }

    // Strings, each text once.
    std::map<std::string, uint64_t> laid;
    for (const pending_t &s : strings) {
        auto it = laid.find(s.text);
        if (it == laid.end()) {
            it = laid.emplace(s.text, im.pos()).first;
            im.text(s.text);
        }
        im.put_u32(s.field, it->second);
    }
    im.pad4();
    return im.finish(out, "descriptor");
}

// ---- collision ----

bool zm_write_collision(const zm_collision_t &c, bytes_t &out) {
    image_t im;
    im.zeros(zm::COLL_HEADER_SIZE);
    im.put_u32(0, c.version);
    im.put_u32(zm::COLL_MATERIAL_COUNT, c.material_count);

    im.put_u32(zm::COLL_MATERIAL_MAP, im.pos());
    for (const auto &row : c.material_map)
        for (uint32_t m = 0; m < c.material_count; ++m) im.u32(m < row.size() ? row[m] : 0);

    const uint64_t meshes = im.pos();
    im.put_u32(zm::COLL_MESHES, meshes);
    im.zeros(uint64_t(zm::MESH_SIZE) * c.meshes.size());

    const uint64_t sets = im.pos();
    im.put_u32(zm::COLL_SETS, sets);
    im.zeros(4 * uint64_t(c.sets.size()));

    for (size_t s = 0; s < c.sets.size(); ++s) {
        im.put_u32(sets + 4 * s, im.pos());
        for (const zm_primitive_t &p : c.sets[s]) {
            // The words of the record's type; an unknown type gets the six shared ones.
            const uint32_t words = p.type >= 1 && p.type <= zm::PRIM_END ? zm::PRIM_WORDS[p.type] : 6;
            uint32_t w[16] = {};
            auto real = [&](uint32_t i, float f) { w[i] = std::bit_cast<uint32_t>(f); };
            w[zm::PRIM_TYPE] = p.type;
            w[zm::PRIM_NEXT] = p.next.value_or(4 * words);
            w[zm::PRIM_MATERIAL] = p.material;
            real(zm::PRIM_MASS, p.mass);
            if (p.type >= zm::PRIM_BOX && p.type <= zm::PRIM_PLANE) {
                uint64_t token;
                if (!token_of(p.name, "primitive", token)) return false;
                w[zm::PRIM_NAME] = uint32_t(token), w[zm::PRIM_NAME + 1] = uint32_t(token >> 32);
            }
            switch (p.type) {
                case zm::PRIM_BOX:
                    for (int i = 0; i < 3; ++i) real(zm::PRIM_SIZES + i, p.sizes[i]);
                    [[fallthrough]];
                case zm::PRIM_CAPSULE:
                    for (int i = 0; i < 3; ++i) real(zm::PRIM_POSITION + i, p.position[i]);
                    real(zm::PRIM_ROTATION, p.rotation.w), real(zm::PRIM_ROTATION + 1, p.rotation.x);
                    real(zm::PRIM_ROTATION + 2, p.rotation.y), real(zm::PRIM_ROTATION + 3, p.rotation.z);
                    if (p.type == zm::PRIM_CAPSULE)
                        real(zm::PRIM_CAPSULE_RADIUS, p.radius), real(zm::PRIM_CAPSULE_LENGTH, p.length);
                    break;
                case zm::PRIM_SPHERE:
                    for (int i = 0; i < 3; ++i) real(zm::PRIM_POSITION + i, p.position[i]);
                    real(zm::PRIM_RADIUS, p.radius);
                    break;
                case zm::PRIM_PLANE:
                    for (int i = 0; i < 4; ++i) real(zm::PRIM_PLANE_EQ + i, p.plane[i]);
                    break;
                case zm::PRIM_MESH:
                    w[zm::PRIM_MESH_INDEX] = p.mesh;
                    break;
            }
            for (uint32_t i = 0; i < words; ++i) im.u32(w[i]);
        }
        // The end record: its type, and a next distance of 0 that nothing reads.
        im.u32(zm::PRIM_END);
        im.u32(0);
    }

    // Mesh data.
    for (size_t m = 0; m < c.meshes.size(); ++m) {
        const zm_mesh_t &mesh = c.meshes[m];
        const uint64_t record = meshes + m * zm::MESH_SIZE;
        im.put_u32(record + zm::MESH_INDEX_COUNT, mesh.indices.size());
        im.put_u32(record + zm::MESH_VERTEX_COUNT, mesh.vertices.size());
        im.put_u32(record + zm::MESH_VERTICES, im.pos());
        for (const vec3_t &v : mesh.vertices) im.vec3(v);
        im.put_u32(record + zm::MESH_INDICES, im.pos());
        for (uint16_t i : mesh.indices) im.u16(i);
        im.pad4();
    }
    return im.finish(out, "collision model");
}

// ---- animation ----

bool zm_write_animation(const zm_animation_t &a, bytes_t &out) {
    if (a.frames.size() > 0xFFFF) {
        quarn::error("[zmgen] Animation '%s' has %zu frames, more than 65535.", a.name.c_str(), a.frames.size());
        return false;
    }
    uint64_t token;
    if (!token_of(a.name, "animation", token)) return false;
    image_t im;
    im.zeros(zm::ANIM_HEADER_SIZE);
    im.put_u32(0, a.version);
    im.put_u64(zm::ANIM_NAME, token);
    const uint16_t flags = uint16_t((a.root_translation ? zm::ANIM_HAS_ROOT_TRANSLATION : 0) |
                                    (a.root_rotation ? zm::ANIM_HAS_ROOT_ROTATION : 0));
    im.put_u16(zm::ANIM_FRAME_COUNT, uint16_t(a.frames.size()));
    im.put_u16(zm::ANIM_FLAGS, flags);
    im.put_u32(zm::ANIM_TRACK_COUNT, a.tracks.size());
    im.put_f32(zm::ANIM_LENGTH, a.length);

    im.put_u32(zm::ANIM_DURATIONS, im.pos());
    for (const zm_frame_t &f : a.frames) im.f32(f.duration);
    im.put_u32(zm::ANIM_TRACKS, im.pos());
    for (uint8_t bone : a.tracks) im.u8(bone);
    im.pad4();
    im.put_u32(zm::ANIM_KEYS, im.pos());
    for (const zm_frame_t &f : a.frames)
        for (size_t t = 0; t < a.tracks.size(); ++t) {
            const zm_key_t k = t < f.keys.size() ? f.keys[t] : zm_key_t();
            im.quat(k.stretch);
            im.quat(k.rotation);
            im.vec3(k.translation);
            im.vec3(k.scale);
        }
    if (a.root_translation) {
        im.put_u32(zm::ANIM_ROOT_TRANSLATION, im.pos());
        for (const zm_frame_t &f : a.frames) im.vec3(f.move);
    }
    if (a.root_rotation) {
        im.put_u32(zm::ANIM_ROOT_ROTATION, im.pos());
        for (const zm_frame_t &f : a.frames) im.quat(f.turn);
    }
    return im.finish(out, "animation");
}

// ---- files ----

bool zm_write_file(const std::string &path, const bytes_t &bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    file.close();
    if (!file) {
        quarn::error("[zmgen] Cannot write '%s'.", path.c_str());
        return false;
    }
    return true;
}

bool zm_write_model(const zm_model_t &model, const std::string &folder, const std::string &base) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        quarn::error("[zmgen] Cannot make the folder '%s': %s", folder.c_str(), ec.message().c_str());
        return false;
    }
    const std::string stem = folder + "/" + base;
    bytes_t bytes;
    if (!zm_write_geometry(model.geometry, bytes) || !zm_write_file(stem + ".zmg", bytes)) return false;
    if (!zm_write_descriptor(model.descriptor, bytes) || !zm_write_file(stem + ".zmd", bytes)) return false;
    if (model.collision && (!zm_write_collision(*model.collision, bytes) || !zm_write_file(stem + ".zmc", bytes)))
        return false;
    for (const zm_animation_t &a : model.animations)
        if (!zm_write_animation(a, bytes) || !zm_write_file(folder + "/" + a.name + ".zma", bytes)) return false;
    return true;
}

// ---- patches ----

void zm_patch_u8(bytes_t &bytes, uint64_t offset, uint8_t value) {
    V_ASSERT(offset < bytes.size());
    bytes[offset] = value;
}

void zm_patch_u16(bytes_t &bytes, uint64_t offset, uint16_t value) {
    V_ASSERT(offset + 2 <= bytes.size());
    le::put_u16(bytes.data() + offset, value);
}

void zm_patch_u32(bytes_t &bytes, uint64_t offset, uint32_t value) {
    V_ASSERT(offset + 4 <= bytes.size());
    le::put_u32(bytes.data() + offset, value);
}

void zm_patch_f32(bytes_t &bytes, uint64_t offset, float value) {
    V_ASSERT(offset + 4 <= bytes.size());
    le::put_f32(bytes.data() + offset, value);
}

uint32_t zm_read_u32(const bytes_t &bytes, uint64_t offset) {
    V_ASSERT(offset + 4 <= bytes.size());
    return le::get_u32(bytes.data() + offset);
}

}  // namespace zmgen
