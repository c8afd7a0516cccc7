#include "game/visuals/models/model_coll_view.h"

#include "game/visuals/models/model_layout.h"
#include "qrncore/system/messages.h"

namespace quarn {

bool model_coll_view_t::open(const void *image, uint64_t size, const char *path) {
    close();
    m_path = path ? path : "";
    m_image.set(image, size);
    model_check_t c(m_image, "collision", m_path.c_str());
    bool ok;
    if (size < 4)
        ok = c.fail(0, "the file has no version word");
    else if (m_image.u32(0) != zm::COLL_VERSION)
        ok = model_bad_version("collision", m_path.c_str(), m_image.u32(0), zm::COLL_VERSION);
    else if (size < zm::COLL_HEADER_SIZE)
        ok = c.fail(0, "the file is shorter than the %u-byte header", zm::COLL_HEADER_SIZE);
    else
        ok = true;
    if (!ok) {
        close();
        return false;
    }
    m_material_count = m_image.u32(zm::COLL_MATERIAL_COUNT);
    m_open = true;
    return true;
}

void model_coll_view_t::close() {
    m_image.clear();
    m_open = false;
    m_material_count = 0;
}

bool model_coll_view_t::has_set(uint32_t set) const {
    return m_open && m_image.holds(m_image.u32(zm::COLL_SETS) + 4 * uint64_t(set), 4);
}

bool model_coll_view_t::has_row(uint32_t row) const {
    const uint64_t row_size = 4 * uint64_t(m_material_count);
    return m_open && m_image.holds(m_image.u32(zm::COLL_MATERIAL_MAP) + row * row_size, row_size);
}

bool model_coll_view_t::check_walk(uint32_t set, uint32_t row) const {
    model_check_t c(m_image, "collision", m_path.c_str());
    const model_image_t &im = m_image;
    const uint64_t entry = im.u32(zm::COLL_SETS) + 4 * uint64_t(set);
    if (!im.holds(entry, 4)) return c.fail(zm::COLL_SETS, "the table entry of primitive set %u lies outside", set);
    const uint64_t materials = m_material_count;
    const uint64_t row_start = im.u32(zm::COLL_MATERIAL_MAP) + uint64_t(row) * materials * 4;
    if (!im.holds(row_start, materials * 4))
        return c.fail(zm::COLL_MATERIAL_MAP, "row %u of the material map lies outside", row);

    uint64_t record = im.u32(entry);
    uint64_t field = entry;  // where the record's offset was read
    for (uint32_t n = 0;; ++n) {
        if (!im.holds(record, 4))
            return c.fail(field, "set %u: primitive %u at offset 0x%llx lies outside", set, n,
                          (unsigned long long)record);
        const uint32_t type = im.u32(record);
        if (type == zm::PRIM_END) return true;
        if (type == 0 || type > zm::PRIM_MESH)
            return c.fail(record, "set %u: primitive %u has the unknown type %u", set, n, type);
        const uint64_t bytes = 4 * uint64_t(zm::PRIM_WORDS[type]);
        if (!im.holds(record, bytes))
            return c.fail(record, "set %u: primitive %u (type %u, %llu bytes) runs past the end of the file", set, n,
                          type, (unsigned long long)bytes);
        const uint64_t next = im.u32(record + 4 * zm::PRIM_NEXT);
        if (next < bytes)
            return c.fail(record + 4 * zm::PRIM_NEXT,
                          "set %u: primitive %u's next record is %llu bytes on, inside its own %llu bytes", set, n,
                          (unsigned long long)next, (unsigned long long)bytes);
        const uint32_t column = im.u32(record + 4 * zm::PRIM_MATERIAL);
        if (column >= materials)
            return c.fail(record + 4 * zm::PRIM_MATERIAL, "set %u: primitive %u has collision material %u of %llu", set,
                          n, column, (unsigned long long)materials);
        const uint32_t physics = im.u32(row_start + 4 * uint64_t(column));
        if (physics >= zm::PHYSICS_MATERIAL_COUNT)
            return c.fail(row_start + 4 * uint64_t(column),
                          "row %u gives collision material %u the physics material %u", row, column, physics);
        if (type == zm::PRIM_MESH) {
            const uint64_t mesh_field = record + 4 * zm::PRIM_MESH_INDEX;
            const uint64_t mesh = im.u32(zm::COLL_MESHES) + uint64_t(im.u32(mesh_field)) * zm::MESH_SIZE;
            if (!c.inside(mesh_field, mesh, zm::MESH_SIZE, "the mesh record")) return false;
            const uint64_t indices = im.u32(mesh + zm::MESH_INDEX_COUNT);
            const uint64_t vertices = im.u32(mesh + zm::MESH_VERTEX_COUNT);
            if (!c.inside_aligned(mesh + zm::MESH_VERTICES, im.u32(mesh + zm::MESH_VERTICES), vertices * 12,
                                  "the mesh vertices"))
                return false;
            const uint64_t index_array = im.u32(mesh + zm::MESH_INDICES);
            if (!c.inside_aligned(mesh + zm::MESH_INDICES, index_array, indices * 2, "the mesh indices")) return false;
            if (indices % 3)
                return c.fail(mesh + zm::MESH_INDEX_COUNT, "the mesh has %llu indices, not whole triangles",
                              (unsigned long long)indices);
            for (uint64_t i = 0; i < indices; ++i)
                if (im.u16(index_array + 2 * i) >= vertices)
                    return c.fail(index_array + 2 * i, "mesh index %llu is %u, not below the vertex count %llu",
                                  (unsigned long long)i, im.u16(index_array + 2 * i), (unsigned long long)vertices);
        }
        field = record + 4 * zm::PRIM_NEXT;
        record += next;
    }
}

model_coll_prim_t model_coll_view_t::read_primitive(uint64_t record, uint32_t row) const {
    const model_image_t &im = m_image;
    auto word = [&](uint32_t w) { return im.u32(record + 4 * uint64_t(w)); };
    auto real = [&](uint32_t w) { return im.f32(record + 4 * uint64_t(w)); };
    auto vec3 = [&](uint32_t w) { return vec3_t{real(w), real(w + 1), real(w + 2)}; };
    model_coll_prim_t p;
    p.type = word(zm::PRIM_TYPE);
    if (p.type == zm::PRIM_END) return p;  // only its type word is read
    p.collision_material = word(zm::PRIM_MATERIAL);
    p.material = im.u32(im.u32(zm::COLL_MATERIAL_MAP) + (uint64_t(row) * m_material_count + p.collision_material) * 4);
    p.mass = real(zm::PRIM_MASS);
    switch (p.type) {
        case zm::PRIM_BOX:
            p.sizes = vec3(zm::PRIM_SIZES);
            [[fallthrough]];
        case zm::PRIM_CAPSULE:
            p.rotation = {real(zm::PRIM_ROTATION), real(zm::PRIM_ROTATION + 1), real(zm::PRIM_ROTATION + 2),
                          real(zm::PRIM_ROTATION + 3)};
            if (p.type == zm::PRIM_CAPSULE) {
                p.radius = real(zm::PRIM_CAPSULE_RADIUS);
                p.length = real(zm::PRIM_CAPSULE_LENGTH);
            }
            p.position = vec3(zm::PRIM_POSITION);
            p.name = im.u64(record + 4 * zm::PRIM_NAME);
            break;
        case zm::PRIM_SPHERE:
            p.position = vec3(zm::PRIM_POSITION);
            p.radius = real(zm::PRIM_RADIUS);
            p.name = im.u64(record + 4 * zm::PRIM_NAME);
            break;
        case zm::PRIM_PLANE:
            p.plane = {real(zm::PRIM_PLANE_EQ), real(zm::PRIM_PLANE_EQ + 1), real(zm::PRIM_PLANE_EQ + 2),
                       real(zm::PRIM_PLANE_EQ + 3)};
            p.name = im.u64(record + 4 * zm::PRIM_NAME);
            break;
        case zm::PRIM_MESH: {
            const uint64_t mesh = im.u32(zm::COLL_MESHES) + uint64_t(word(zm::PRIM_MESH_INDEX)) * zm::MESH_SIZE;
            p.index_count = im.u32(mesh + zm::MESH_INDEX_COUNT);
            p.vertex_count = im.u32(mesh + zm::MESH_VERTEX_COUNT);
            p.vertices = im.at<vec3_t>(im.u32(mesh + zm::MESH_VERTICES));
            p.indices = im.at<uint16_t>(im.u32(mesh + zm::MESH_INDICES));
            break;
        }
    }
    return p;
}

bool model_coll_view_t::walk(uint32_t set, uint32_t row, model_coll_visitor_t &visitor) const {
    V_ASSERT(m_open);
    if (!check_walk(set, row)) return false;
    bool ok = true;
    uint64_t record = m_image.u32(m_image.u32(zm::COLL_SETS) + 4 * uint64_t(set));
    for (;;) {
        const model_coll_prim_t p = read_primitive(record, row);
        switch (p.type) {
            case zm::PRIM_BOX:
                ok = visitor.box(p) && ok;
                break;
            case zm::PRIM_CAPSULE:
                ok = visitor.capsule(p) && ok;
                break;
            case zm::PRIM_SPHERE:
                ok = visitor.sphere(p) && ok;
                break;
            case zm::PRIM_PLANE:
                ok = visitor.plane(p) && ok;
                break;
            case zm::PRIM_MESH:
                ok = visitor.mesh(p) && ok;
                break;
            default:
                return ok;  // the end record
        }
        record += m_image.u32(record + 4 * zm::PRIM_NEXT);
    }
}

}  // namespace quarn
