#include "game/visuals/models/model_geom_view.h"

#include "game/visuals/models/model_layout.h"
#include "qrncore/strings/name_token.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

vec3_t read_vec3(const model_image_t &image, uint64_t offset) {
    return {image.f32(offset), image.f32(offset + 4), image.f32(offset + 8)};
}

quat_t read_quat(const model_image_t &image, uint64_t offset) {
    return {image.f32(offset), image.f32(offset + 4), image.f32(offset + 8), image.f32(offset + 12)};
}

mat4_t read_matrix(const model_image_t &image, uint64_t offset) {
    mat4_t m;
    for (int i = 0; i < 16; ++i) m.m[i] = image.f32(offset + 4 * uint64_t(i));
    return m;
}

// The stream [offset, offset + length) lies inside the block [start, start + size).
bool in_block(uint64_t offset, uint64_t length, uint64_t start, uint64_t size) {
    return offset >= start && offset - start <= size && length <= size - (offset - start);
}

}  // namespace

bool model_geom_view_t::open(const void *image, uint64_t size, const char *path) {
    close();
    m_path = path ? path : "";
    m_image.set(image, size);
    if (!check()) {
        close();
        return false;
    }
    m_piece_count = m_image.u32(zm::GEOM_PIECE_COUNT);
    m_part_count = m_image.u32(zm::GEOM_PART_COUNT);
    m_bone_count = m_image.u32(zm::GEOM_BONE_COUNT);
    m_open = true;
    return true;
}

void model_geom_view_t::close() {
    m_image.clear();
    m_open = false;
    m_piece_count = m_part_count = m_bone_count = 0;
}

bool model_geom_view_t::check() const {
    model_check_t c(m_image, "geometry", m_path.c_str());
    const model_image_t &im = m_image;
    if (im.size() < zm::GEOM_HEADER_SIZE)
        return c.fail(0, "the file is shorter than the %u-byte header", zm::GEOM_HEADER_SIZE);
    const uint32_t magic = im.u32(0);
    if (magic != zm::GEOM_MAGIC) {
        error("[model] Model geometry '%s' has incorrect file magic/version %x - expected magic/version %x",
              m_path.c_str(), magic, zm::GEOM_MAGIC);
        return false;
    }
    const uint32_t pieces = im.u32(zm::GEOM_PIECE_COUNT);
    const uint32_t parts = im.u32(zm::GEOM_PART_COUNT);
    const uint32_t bones = im.u32(zm::GEOM_BONE_COUNT);

    // Bones: at most 255, each parent before its child.
    if (bones > zm::MAX_BONES) return c.fail(zm::GEOM_BONE_COUNT, "%u bones, more than %u", bones, zm::MAX_BONES);
    const uint64_t bone_table = im.u32(zm::GEOM_BONES);
    if (!c.inside(zm::GEOM_BONES, bone_table, bones, zm::BONE_SIZE, "the bone table")) return false;
    for (uint32_t b = 0; b < bones; ++b) {
        const uint64_t field = bone_table + uint64_t(b) * zm::BONE_SIZE + zm::BONE_PARENT;
        const uint8_t parent = im.u8(field);
        if (parent != zm::NO_PARENT && parent >= b)
            return c.fail(field, "bone %u has parent %u, which does not come before it", b, parent);
    }

    // Parts and pieces.
    const uint64_t part_table = im.u32(zm::GEOM_PARTS);
    if (!c.inside(zm::GEOM_PARTS, part_table, parts, zm::PART_SIZE, "the part table")) return false;
    const uint64_t piece_table = im.u32(zm::GEOM_PIECES);
    if (!c.inside(zm::GEOM_PIECES, piece_table, pieces, zm::PIECE_SIZE, "the piece table")) return false;
    for (uint32_t p = 0; p < parts; ++p) {
        const uint64_t record = part_table + uint64_t(p) * zm::PART_SIZE;
        const uint64_t count = im.u32(record + zm::PART_PIECE_COUNT);
        const uint64_t first = im.u32(record + zm::PART_FIRST_PIECE);
        if (first + count > pieces)
            return c.fail(record + zm::PART_FIRST_PIECE, "part %u covers pieces %llu to %llu of %u", p,
                          (unsigned long long)first, (unsigned long long)(first + count), pieces);
    }

    // The two blocks.
    const uint64_t vertex_block = im.u32(zm::GEOM_VERTEX_BLOCK);
    const uint64_t vertex_size = uint64_t(im.u32(zm::GEOM_VERTEX_SIZE_1)) + im.u32(zm::GEOM_VERTEX_SIZE_2);
    if (!c.inside(zm::GEOM_VERTEX_BLOCK, vertex_block, vertex_size, "the vertex block")) return false;
    if (!c.inside(zm::GEOM_INDEX_BLOCK, im.u32(zm::GEOM_INDEX_BLOCK), im.u32(zm::GEOM_INDEX_SIZE), "the index block"))
        return false;

    for (uint32_t p = 0; p < pieces; ++p)
        if (!check_piece(c, p)) return false;
    return true;
}

bool model_geom_view_t::check_piece(model_check_t &c, uint32_t piece) const {
    const model_image_t &im = m_image;
    const uint64_t record = uint64_t(im.u32(zm::GEOM_PIECES)) + uint64_t(piece) * zm::PIECE_SIZE;
    const uint64_t vertices = im.u32(record + zm::PIECE_VERTEX_COUNT);
    const uint64_t indices = im.u32(record + zm::PIECE_INDEX_COUNT);
    const uint64_t group_size = im.u32(record + zm::PIECE_GROUP_SIZE);
    const uint64_t bones = im.u32(zm::GEOM_BONE_COUNT);

    // Vertex streams: inside the vertex block and aligned.
    const uint64_t block = im.u32(zm::GEOM_VERTEX_BLOCK);
    const uint64_t block_size = uint64_t(im.u32(zm::GEOM_VERTEX_SIZE_1)) + im.u32(zm::GEOM_VERTEX_SIZE_2);
    struct stream_t {
        uint32_t field;
        uint32_t bytes;  // a vertex
        bool optional;
        const char *name;
    };
    static const stream_t streams[] = {
        {zm::PIECE_POSITIONS, 12, false, "positions"},          {zm::PIECE_NORMALS, 12, false, "normals"},
        {zm::PIECE_TEXCOORDS, 8, false, "texture coordinates"}, {zm::PIECE_COLORS, 4, false, "colours"},
        {zm::PIECE_FURTHER, 4, true, "further stream"},         {zm::PIECE_TANGENTS, 16, true, "tangents"},
    };
    for (const stream_t &s : streams) {
        const uint64_t field = record + s.field;
        const uint64_t offset = im.u32(field);
        if (s.optional) {
            // Every piece has the optional streams exactly when piece 0 has them: the
            // model keeps one vertex format for all of them.
            const uint64_t first = uint64_t(im.u32(zm::GEOM_PIECES)) + s.field;
            if ((offset == zm::NO_STREAM) != (im.u32(first) == zm::NO_STREAM))
                return c.fail(field, "piece %u and piece 0 disagree on having the %s", piece, s.name);
            if (offset == zm::NO_STREAM) continue;
        }
        const uint64_t length = vertices * s.bytes;
        if (!in_block(offset, length, block, block_size))
            return c.fail(field, "piece %u: the %s (%llu bytes at offset 0x%llx) lie outside the vertex block", piece,
                          s.name, (unsigned long long)length, (unsigned long long)offset);
        if (offset % 4) return c.fail(field, "piece %u: the %s are not 4-byte aligned", piece, s.name);
    }

    // Indices: whole triangles inside the index block, each naming a vertex.
    if (indices % 3)
        return c.fail(record + zm::PIECE_INDEX_COUNT, "piece %u has %llu indices, not whole triangles", piece,
                      (unsigned long long)indices);
    const uint64_t index_field = record + zm::PIECE_INDICES;
    const uint64_t index_offset = im.u32(index_field);
    if (!in_block(index_offset, indices * 2, im.u32(zm::GEOM_INDEX_BLOCK), im.u32(zm::GEOM_INDEX_SIZE)))
        return c.fail(index_field,
                      "piece %u: the index array (%llu bytes at offset 0x%llx) lies outside the index block", piece,
                      (unsigned long long)(indices * 2), (unsigned long long)index_offset);
    if (index_offset % 4) return c.fail(index_field, "piece %u: the index array is not 4-byte aligned", piece);
    for (uint64_t i = 0; i < indices; ++i) {
        const uint16_t index = im.u16(index_offset + 2 * i);
        if (index >= vertices)
            return c.fail(index_offset + 2 * i, "piece %u: index %llu is %u, not below the vertex count %llu", piece,
                          (unsigned long long)i, index, (unsigned long long)vertices);
    }

    // Skin data: each vertex's group inside both tables, naming bones of the model.
    const uint64_t groups_field = record + zm::PIECE_SKIN_GROUPS;
    const uint64_t groups = im.u32(groups_field);
    if (!c.inside_aligned(groups_field, groups, vertices * 2, "the skin group indices")) return false;
    const uint64_t bone_table = im.u32(record + zm::PIECE_SKIN_BONES);
    const uint64_t weight_table = im.u32(record + zm::PIECE_SKIN_WEIGHTS);
    uint32_t previous = 0xFFFFFFFFu;
    for (uint64_t v = 0; v < vertices; ++v) {
        const uint32_t group = im.u16(groups + 2 * v);
        if (group == previous) continue;  // vertices come in runs of one group
        previous = group;
        const uint64_t first = uint64_t(group) * group_size;
        if (!im.holds(bone_table, first + group_size) || !im.holds(weight_table, first + group_size))
            return c.fail(groups + 2 * v, "piece %u: skin group %u of vertex %llu lies outside the file", piece, group,
                          (unsigned long long)v);
        for (uint64_t k = 0; k < group_size; ++k) {
            if (im.u8(weight_table + first + k) == 0) break;  // a zero weight ends the group
            const uint8_t bone = im.u8(bone_table + first + k);
            if (bone >= bones)
                return c.fail(bone_table + first + k, "piece %u: skin group %u names bone %u of %llu", piece, group,
                              bone, (unsigned long long)bones);
        }
    }
    return true;
}

uint64_t model_geom_view_t::piece_record(uint32_t piece) const {
    V_ASSERT(piece < m_piece_count);
    return uint64_t(m_image.u32(zm::GEOM_PIECES)) + uint64_t(piece) * zm::PIECE_SIZE;
}

uint32_t model_geom_view_t::piece_u32(uint32_t piece, uint32_t field) const {
    return m_image.u32(piece_record(piece) + field);
}

uint64_t model_geom_view_t::part_record(uint32_t part) const {
    V_ASSERT(part < m_part_count);
    return uint64_t(m_image.u32(zm::GEOM_PARTS)) + uint64_t(part) * zm::PART_SIZE;
}

uint64_t model_geom_view_t::bone_record(uint32_t bone) const {
    V_ASSERT(bone < m_bone_count);
    return uint64_t(m_image.u32(zm::GEOM_BONES)) + uint64_t(bone) * zm::BONE_SIZE;
}

sphere_t model_geom_view_t::get_bounding_sphere(int32_t piece) const {
    V_ASSERT(m_open);
    const uint64_t at = piece < 0 ? zm::GEOM_SPHERE : piece_record(uint32_t(piece)) + zm::PIECE_SPHERE;
    return {read_vec3(m_image, at), m_image.f32(at + 12)};
}

aabox_t model_geom_view_t::get_bounding_box(int32_t piece) const {
    V_ASSERT(m_open);
    const uint64_t at = piece < 0 ? zm::GEOM_BOX : piece_record(uint32_t(piece)) + zm::PIECE_BOX;
    return {read_vec3(m_image, at), read_vec3(m_image, at + 12)};
}

model_bone_t model_geom_view_t::get_bone(uint32_t bone) const {
    const uint64_t r = bone_record(bone);
    model_bone_t b;
    b.name = m_image.u64(r + zm::BONE_NAME);
    b.bind = read_matrix(m_image, r + zm::BONE_BIND);
    b.bind_inverse = read_matrix(m_image, r + zm::BONE_BIND_INV);
    b.stretch = read_quat(m_image, r + zm::BONE_STRETCH);
    b.rotation = read_quat(m_image, r + zm::BONE_ROTATION);
    b.translation = read_vec3(m_image, r + zm::BONE_TRANSLATION);
    b.scale = read_vec3(m_image, r + zm::BONE_SCALE);
    b.scale_sign = m_image.f32(r + zm::BONE_SCALE_SIGN);
    b.parent = m_image.u8(r + zm::BONE_PARENT);
    return b;
}

uint64_t model_geom_view_t::get_bone_name(uint32_t bone) const {
    return m_image.u64(bone_record(bone) + zm::BONE_NAME);
}

uint8_t model_geom_view_t::get_bone_parent(uint32_t bone) const {
    return m_image.u8(bone_record(bone) + zm::BONE_PARENT);
}

int32_t model_geom_view_t::find_bone(uint64_t token) const {
    for (uint32_t b = 0; b < m_bone_count; ++b)
        if (get_bone_name(b) == token) return int32_t(b);
    return -1;
}

int32_t model_geom_view_t::find_bone(const char *name) const {
    uint64_t token;
    if (!string_to_token(token, name)) return -1;
    return find_bone(token);
}

int32_t model_geom_view_t::find_part(uint64_t token) const {
    for (uint32_t p = 0; p < m_part_count; ++p)
        if (get_part_name(p) == token) return int32_t(p);
    return -1;
}

int32_t model_geom_view_t::find_part(const char *name) const {
    uint64_t token;
    if (!string_to_token(token, name)) return -1;
    return find_part(token);
}

uint64_t model_geom_view_t::get_part_name(uint32_t part) const {
    return m_image.u64(part_record(part) + zm::PART_NAME);
}

uint32_t model_geom_view_t::get_part_piece_count(uint32_t part) const {
    return m_image.u32(part_record(part) + zm::PART_PIECE_COUNT);
}

uint32_t model_geom_view_t::get_part_first_piece(uint32_t part) const {
    return m_image.u32(part_record(part) + zm::PART_FIRST_PIECE);
}

uint32_t model_geom_view_t::get_vertex_count(uint32_t piece) const { return piece_u32(piece, zm::PIECE_VERTEX_COUNT); }

uint32_t model_geom_view_t::get_skin_group_size(uint32_t piece) const { return piece_u32(piece, zm::PIECE_GROUP_SIZE); }

uint32_t model_geom_view_t::get_material_slot(uint32_t piece) const { return piece_u32(piece, zm::PIECE_MATERIAL); }

bool model_geom_view_t::has_further(uint32_t piece) const {
    return piece_u32(piece, zm::PIECE_FURTHER) != zm::NO_STREAM;
}

bool model_geom_view_t::has_tangents(uint32_t piece) const {
    return piece_u32(piece, zm::PIECE_TANGENTS) != zm::NO_STREAM;
}

const vec3_t *model_geom_view_t::get_positions(uint32_t piece) const {
    return m_image.at<vec3_t>(piece_u32(piece, zm::PIECE_POSITIONS));
}

const vec3_t *model_geom_view_t::get_normals(uint32_t piece) const {
    return m_image.at<vec3_t>(piece_u32(piece, zm::PIECE_NORMALS));
}

const vec2_t *model_geom_view_t::get_texcoords(uint32_t piece) const {
    return m_image.at<vec2_t>(piece_u32(piece, zm::PIECE_TEXCOORDS));
}

const uint32_t *model_geom_view_t::get_colors(uint32_t piece) const {
    return m_image.at<uint32_t>(piece_u32(piece, zm::PIECE_COLORS));
}

const uint32_t *model_geom_view_t::get_further(uint32_t piece) const {
    const uint32_t offset = piece_u32(piece, zm::PIECE_FURTHER);
    return offset == zm::NO_STREAM ? nullptr : m_image.at<uint32_t>(offset);
}

const vec4_t *model_geom_view_t::get_tangents(uint32_t piece) const {
    const uint32_t offset = piece_u32(piece, zm::PIECE_TANGENTS);
    return offset == zm::NO_STREAM ? nullptr : m_image.at<vec4_t>(offset);
}

const uint16_t *model_geom_view_t::get_indices(uint32_t piece) const {
    return m_image.at<uint16_t>(piece_u32(piece, zm::PIECE_INDICES));
}

const uint16_t *model_geom_view_t::get_skin_groups(uint32_t piece) const {
    return m_image.at<uint16_t>(piece_u32(piece, zm::PIECE_SKIN_GROUPS));
}

const uint8_t *model_geom_view_t::get_skin_bones(uint32_t piece) const {
    return m_image.at<uint8_t>(piece_u32(piece, zm::PIECE_SKIN_BONES));
}

const uint8_t *model_geom_view_t::get_skin_weights(uint32_t piece) const {
    return m_image.at<uint8_t>(piece_u32(piece, zm::PIECE_SKIN_WEIGHTS));
}

const uint8_t *model_geom_view_t::get_vertex_block() const {
    V_ASSERT(m_open);
    return m_image.at<uint8_t>(m_image.u32(zm::GEOM_VERTEX_BLOCK));
}

uint64_t model_geom_view_t::get_vertex_block_size() const {
    return uint64_t(m_image.u32(zm::GEOM_VERTEX_SIZE_1)) + m_image.u32(zm::GEOM_VERTEX_SIZE_2);
}

const uint8_t *model_geom_view_t::get_index_block() const {
    return m_image.at<uint8_t>(m_image.u32(zm::GEOM_INDEX_BLOCK));
}

uint64_t model_geom_view_t::get_index_block_size() const { return m_image.u32(zm::GEOM_INDEX_SIZE); }

}  // namespace quarn
