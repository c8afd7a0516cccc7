// The "collision" block of a model description: collision materials, the material
// sets (rows of the material map) and the primitive sets.
#include <set>

#include "qrncore/math/matrix_table.h"
#include "qrncore/strings/name_token.h"
#include "zm_builder.h"

namespace zmgen {

namespace zm = quarn::zm;

bool zm_builder_t::read_collision(const def_obj_t *collision) {
    if (!r.check(collision, {"materials"}, {"material_sets", "sets"})) return false;
    zm_collision_t c;
    std::vector<std::string> materials;
    r.words(collision, "materials", materials);
    if (materials.empty()) return r.fail(collision, nullptr, "the collision model names no 'materials'");
    for (size_t i = 0; i < materials.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (materials[i] == materials[j])
                return r.fail(collision, "materials", "collision material '%s' is named twice", materials[i].c_str());
    c.material_count = uint32_t(materials.size());

    // Rows of the material map: a physics material (0..31) for every collision material.
    const def_obj_t *rows = collision->find("material_sets");
    if (!rows || !rows->get_first_child())
        return r.fail(collision, nullptr, "the collision model needs a 'material_sets' block with a set");
    if (!r.check(rows, {}, {}, true)) return false;
    for (const def_obj_t *row = rows->get_first_child(); row; row = row->get_next()) {
        if (row->get_first_child()) return r.fail(row->get_first_child(), nullptr, "a material set holds no blocks");
        for (const quarn::def_value_t *v = row->get_first_value(); v; v = v->get_next()) {
            bool known = false;
            for (const std::string &m : materials) known = known || m == v->get_key();
            if (!known) return r.fail(row, v->get_key(), "'%s' is not a collision material", v->get_key());
        }
        std::vector<uint32_t> entries;
        for (const std::string &m : materials) {
            uint32_t physics = 0;
            if (!r.has(row, m.c_str()))
                return r.fail(row, nullptr, "material set '%s' gives no physics material for '%s'", row->get_name(),
                              m.c_str());
            if (!r.count(row, m.c_str(), physics, 0, zm::PHYSICS_MATERIAL_COUNT - 1)) return false;
            entries.push_back(physics);
        }
        c.material_map.push_back(entries);
    }

    if (const def_obj_t *sets = collision->find("sets")) {
        if (!r.check(sets, {}, {}, true)) return false;
        for (const def_obj_t *set = sets->get_first_child(); set; set = set->get_next()) {
            if (set->get_first_value())
                return r.fail(set, set->get_first_value()->get_key(), "a primitive set holds primitive blocks only");
            c.sets.emplace_back();
            for (const def_obj_t *p = set->get_first_child(); p; p = p->get_next()) {
                zm_primitive_t prim;
                if (!read_primitive(p, materials, c, prim)) return false;
                c.sets.back().push_back(prim);
            }
        }
    }
    m_out.collision = std::move(c);
    return true;
}

bool zm_builder_t::read_primitive(const def_obj_t *p, const std::vector<std::string> &materials,
                                  zm_collision_t &collision, zm_primitive_t &out) {
    const char *kind = r.text(p, "shape");
    if (!kind) return r.fail(p, nullptr, "primitive '%s' needs a 'shape' kind", p->get_name());
    const std::string k = kind;
    bool ok;
    if (k == "box")
        ok = r.check(p, {"shape", "material", "mass", "position", "rotation", "ypr", "space", "size"});
    else if (k == "sphere")
        ok = r.check(p, {"shape", "material", "mass", "position", "space", "radius"});
    else if (k == "capsule")
        ok = r.check(p, {"shape", "material", "mass", "position", "rotation", "ypr", "space", "radius", "length"});
    else if (k == "plane")
        ok = r.check(p, {"shape", "material", "mass", "plane"});
    else if (k == "mesh")
        ok =
            r.check(p, {"shape", "material", "mass", "position", "rotation", "ypr", "space", "positions", "triangles"});
    else
        return r.fail(p, "shape", "unknown primitive '%s' (box, sphere, capsule, plane or mesh)", kind);
    if (!ok) return false;
    if (k != "mesh" && !token_name(p, "primitive")) return false;
    out.name = p->get_name();

    if (const char *material = r.text(p, "material")) {
        int column = -1;
        for (size_t i = 0; i < materials.size(); ++i)
            if (materials[i] == material) column = int(i);
        if (column < 0) return r.fail(p, "material", "'%s' is not a collision material", material);
        out.material = uint32_t(column);
    } else if (materials.size() > 1) {
        return r.fail(p, nullptr, "primitive '%s' needs a 'material'", p->get_name());
    }
    if (!r.real(p, "mass", out.mass)) return false;
    if (!(out.mass >= 0.0f)) return r.fail(p, "mass", "'mass' must not be below 0");

    quarn::mat4_t frame;
    if (!placement(p, frame)) return false;
    out.position = {frame.m[3], frame.m[7], frame.m[11]};
    out.rotation.set_matrix(frame);

    auto need = [&](const char *key) { return r.has(p, key) || r.fail(p, nullptr, "a %s needs '%s'", kind, key); };
    auto positive = [&](const char *key, float &value) {
        if (!need(key) || !r.real(p, key, value)) return false;
        value *= m_scale;
        return value > 0.0f || r.fail(p, key, "'%s' must be above 0", key);
    };
    if (k == "box") {
        out.type = zm::PRIM_BOX;
        if (!need("size") || !r.vec3(p, "size", out.sizes)) return false;
        out.sizes *= m_scale;
    } else if (k == "sphere") {
        out.type = zm::PRIM_SPHERE;
        out.rotation = quat_t();
        if (!positive("radius", out.radius)) return false;
    } else if (k == "capsule") {
        out.type = zm::PRIM_CAPSULE;
        if (!positive("radius", out.radius) || !need("length") || !r.real(p, "length", out.length)) return false;
        out.length *= m_scale;
    } else if (k == "plane") {
        out.type = zm::PRIM_PLANE;
        out.position = {};
        out.rotation = quat_t();
        if (!need("plane") || !r.vec4(p, "plane", out.plane)) return false;
        out.plane.w *= m_scale;
    } else {
        out.type = zm::PRIM_MESH;
        std::vector<float> positions;
        std::vector<std::string> triangles;
        if (!need("positions") || !r.numbers(p, "positions", positions, 3)) return false;
        r.words(p, "triangles", triangles);
        if (triangles.empty() || triangles.size() % 3)
            return r.fail(p, "triangles", "a mesh needs 'triangles', three vertex numbers each");
        zm_mesh_t mesh;
        const size_t n = positions.size() / 3;
        if (n > 65535) return r.fail(p, "positions", "a mesh has at most 65535 vertices");
        for (size_t i = 0; i < n; ++i) {
            const vec3_t local = vec3_t{positions[3 * i], positions[3 * i + 1], positions[3 * i + 2]} * m_scale;
            vec3_t v;
            quarn::fptr_mult_point_matrix_fast(&v, &local, frame, 1, 12, 12);
            mesh.vertices.push_back(v);
        }
        for (const std::string &w : triangles) {
            uint32_t i;
            if (!zm_parse_uint(w, i) || i >= n)
                return r.fail(p, "triangles", "'%s' is not a vertex number below %zu", w.c_str(), n);
            mesh.indices.push_back(uint16_t(i));
        }
        // The mesh carries its placement in its vertices.
        out.position = {};
        out.rotation = quat_t();
        out.mesh = uint32_t(collision.meshes.size());
        collision.meshes.push_back(std::move(mesh));
    }
    return true;
}

}  // namespace zmgen
