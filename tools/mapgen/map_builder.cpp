#include "map_builder.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "map_terrain.h"
#include "qrncore/system/messages.h"

namespace mapgen {

namespace {

using zmgen::zm_piece_t;
using zmgen::zm_vertex_t;

uint32_t byte_of(float v) { return uint32_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

// tint's red, green and blue scaled by shade, with alpha a.
uint32_t colour(uint32_t tint, float shade, float a) {
    const uint32_t r = byte_of(float((tint >> 16) & 255u) / 255.0f * shade);
    const uint32_t g = byte_of(float((tint >> 8) & 255u) / 255.0f * shade);
    const uint32_t b = byte_of(float(tint & 255u) / 255.0f * shade);
    return byte_of(a) << 24 | r << 16 | g << 8 | b;
}

float frac(float v) { return v - std::floor(v); }

bool inside(const vec2_t &p, const vec2_t &lo, const vec2_t &hi) {
    return p.x >= lo.x && p.x <= hi.x && p.y >= lo.y && p.y <= hi.y;
}

class chunk_builder_t {
public:
    chunk_builder_t(const map_t &map, map_chunk_t &chunk, uint32_t steps_x, uint32_t steps_z)
        : m(map), l(map.landscape), c(chunk), nx(steps_x), nz(steps_z) {}

    bool build();

private:
    struct sample_t {
        vec3_t position;
        vec3_t normal;
        uint32_t colour, further;
    };

    uint32_t grid(uint32_t i, uint32_t j) const { return j * (nx + 1) + i; }
    float x_at(uint32_t i) const { return l.lo.x + float(c.cell_x * nx + i) * l.spacing; }
    float z_at(uint32_t j) const { return l.lo.y + float(c.cell_z * nz + j) * l.spacing; }
    // The material of a triangle: the first zone that holds it, else the landscape's.
    uint32_t zone_material(const vec3_t &p0, const vec3_t &p1, const vec3_t &p2) const;
    // The slot of a material, made when it is new.
    uint32_t slot_of(uint32_t material);
    // Adds the vertex of key to a piece once; false past 65535 vertices.
    bool add_vertex(uint32_t slot, uint64_t key, const zm_vertex_t &v, uint16_t &out);
    bool add_terrain();
    bool add_water();
    void finish();

    const map_t &m;
    const map_landscape_t &l;
    map_chunk_t &c;
    uint32_t nx, nz;
    std::vector<sample_t> samples;
    std::vector<uint32_t> slot_materials;        // material of each slot
    std::vector<zm_piece_t> pieces;              // one per slot
    std::vector<std::map<uint64_t, uint16_t>> seen;  // per piece: vertex key -> index
    zmgen::zm_collision_t collision;
};

uint32_t chunk_builder_t::zone_material(const vec3_t &p0, const vec3_t &p1, const vec3_t &p2) const {
    const vec2_t centre{(p0.x + p1.x + p2.x) / 3.0f, (p0.z + p1.z + p2.z) / 3.0f};
    const float height = (p0.y + p1.y + p2.y) / 3.0f;
    // The face's own normal: the slope a shot meets on this triangle.
    vec3_t n = quarn::cross(p1 - p0, p2 - p0);
    quarn::normalize(n);
    const float slope = 1.0f - n.y;
    for (const map_zone_t &z : l.zones)
        if (z.holds(centre, slope, height)) return z.material;
    return l.material;
}

uint32_t chunk_builder_t::slot_of(uint32_t material) {
    for (size_t s = 0; s < slot_materials.size(); ++s)
        if (slot_materials[s] == material) return uint32_t(s);
    slot_materials.push_back(material);
    pieces.emplace_back();
    pieces.back().material = uint32_t(pieces.size() - 1);
    pieces.back().further = true;
    seen.emplace_back();
    return uint32_t(slot_materials.size() - 1);
}

bool chunk_builder_t::add_vertex(uint32_t slot, uint64_t key, const zm_vertex_t &v, uint16_t &out) {
    auto found = seen[slot].find(key);
    if (found != seen[slot].end()) {
        out = found->second;
        return true;
    }
    zm_piece_t &p = pieces[slot];
    if (p.vertices.size() >= MAP_PIECE_VERTICES) {
        quarn::error("[mapgen] Chunk %u: the piece of material '%s' needs more than %u vertices.", c.index,
                     m.materials[slot_materials[slot]].name.c_str(), MAP_PIECE_VERTICES);
        return false;
    }
    out = uint16_t(p.vertices.size());
    p.vertices.push_back(v);
    seen[slot].emplace(key, out);
    return true;
}

bool chunk_builder_t::add_terrain() {
    samples.resize(size_t(nx + 1) * (nz + 1));
    zmgen::zm_mesh_t mesh;
    for (uint32_t j = 0; j <= nz; ++j) {
        for (uint32_t i = 0; i <= nx; ++i) {
            const float x = x_at(i), z = z_at(j);
            const float h = m.height_at(x, z);
            sample_t &s = samples[grid(i, j)];
            s.position = {x, h, z};
            s.normal = m.normal_at(x, z);
            const float shade = 0.6f + 0.4f * s.normal.y;
            s.colour = colour(l.tint, shade, map_layer_weight(l.layers[0], x, z, h, s.normal));
            s.further = colour(l.tint, shade, map_layer_weight(l.layers[1], x, z, h, s.normal));
            mesh.vertices.push_back(s.position);
        }
    }
    // Two triangles a cell, wound so that cross(v1 - v0, v2 - v0) points up.
    for (uint32_t j = 0; j < nz; ++j) {
        for (uint32_t i = 0; i < nx; ++i) {
            const uint32_t a = grid(i, j), b = grid(i + 1, j), cc = grid(i, j + 1), d = grid(i + 1, j + 1);
            const uint32_t tris[2][3] = {{a, cc, b}, {b, cc, d}};
            for (const auto &t : tris) {
                const uint32_t slot =
                    slot_of(zone_material(samples[t[0]].position, samples[t[1]].position, samples[t[2]].position));
                for (uint32_t k : t) {
                    const sample_t &s = samples[k];
                    zm_vertex_t v;
                    v.position = s.position;
                    v.normal = s.normal;
                    v.uv = {s.position.x - c.lo.x, s.position.z - c.lo.y};
                    v.color = s.colour;
                    v.further = s.further;
                    uint16_t index;
                    if (!add_vertex(slot, k, v, index)) return false;
                    pieces[slot].indices.push_back(index);
                }
                for (uint32_t k : t) mesh.indices.push_back(uint16_t(k));
            }
        }
    }
    collision.meshes.push_back(std::move(mesh));
    return true;
}

bool chunk_builder_t::add_water() {
    for (size_t w = 0; w < l.water.size(); ++w) {
        const map_water_t &body = l.water[w];
        zmgen::zm_mesh_t mesh;
        std::map<uint32_t, uint16_t> mesh_seen;
        uint32_t slot = MAP_NONE;
        for (uint32_t j = 0; j < nz; ++j) {
            for (uint32_t i = 0; i < nx; ++i) {
                const uint32_t corners[4] = {grid(i, j), grid(i + 1, j), grid(i, j + 1), grid(i + 1, j + 1)};
                const vec2_t centre{(x_at(i) + x_at(i + 1)) * 0.5f, (z_at(j) + z_at(j + 1)) * 0.5f};
                if (!inside(centre, body.lo, body.hi)) continue;
                float lowest = samples[corners[0]].position.y;
                for (uint32_t k : corners) lowest = std::min(lowest, samples[k].position.y);
                if (!(lowest < body.level)) continue;
                if (slot == MAP_NONE) slot = slot_of(body.material);
                uint16_t piece_index[4], mesh_index[4];
                for (int k = 0; k < 4; ++k) {
                    const vec3_t &g = samples[corners[k]].position;
                    zm_vertex_t v;
                    v.position = {g.x, body.level, g.z};
                    v.normal = {0.0f, 1.0f, 0.0f};
                    v.uv = {g.x - c.lo.x, g.z - c.lo.y};
                    if (!add_vertex(slot, uint64_t(w + 1) << 32 | corners[k], v, piece_index[k])) return false;
                    auto found = mesh_seen.find(corners[k]);
                    if (found == mesh_seen.end()) {
                        found = mesh_seen.emplace(corners[k], uint16_t(mesh.vertices.size())).first;
                        mesh.vertices.push_back(v.position);
                    }
                    mesh_index[k] = found->second;
                }
                // Corners a, b, c, d as in the terrain: (a, c, b) and (b, c, d).
                for (int k : {0, 2, 1, 1, 2, 3}) {
                    pieces[slot].indices.push_back(piece_index[k]);
                    mesh.indices.push_back(mesh_index[k]);
                }
            }
        }
        if (!mesh.indices.empty()) collision.meshes.push_back(std::move(mesh));
    }
    return true;
}

void chunk_builder_t::finish() {
    zmgen::zm_model_t &model = c.model;
    model.geometry.pieces = std::move(pieces);
    zmgen::zm_look_t look;
    look.name = "default";
    for (size_t s = 0; s < slot_materials.size(); ++s) {
        zmgen::zm_part_t part;
        part.name = "piece" + std::to_string(s);
        part.first_piece = uint32_t(s);
        part.piece_count = 1;
        model.geometry.parts.push_back(std::move(part));
        look.materials.push_back(m.materials[slot_materials[s]].path());
    }
    model.descriptor.material_count = uint32_t(slot_materials.size());
    model.descriptor.looks.push_back(std::move(look));
    model.descriptor.variants.push_back("default");
    model.descriptor.parts.resize(slot_materials.size());

    if (l.collision) {
        collision.material_count = 2;
        collision.material_map.push_back({MAP_GROUND_PHYSICS, MAP_WATER_PHYSICS});
        std::vector<zmgen::zm_primitive_t> set;
        for (size_t k = 0; k < collision.meshes.size(); ++k) {
            zmgen::zm_primitive_t p;
            p.type = quarn::zm::PRIM_MESH;
            p.material = k == 0 ? 0 : 1;
            p.mesh = uint32_t(k);
            set.push_back(p);
        }
        collision.sets.push_back(std::move(set));
        model.collision = std::move(collision);
    }

    lnd_chunk_t &r = c.record;
    quarn::vec3_t lo{3.37e38f, 3.37e38f, 3.37e38f}, hi{-3.37e38f, -3.37e38f, -3.37e38f};
    for (const zm_piece_t &p : model.geometry.pieces)
        for (const zm_vertex_t &v : p.vertices) {
            lo = quarn::v_min(lo, v.position);
            hi = quarn::v_max(hi, v.position);
        }
    r.box_min = lo;
    r.box_max = hi;
    r.has_model = 1;
    r.has_collision = l.collision ? 1 : 0;
    for (uint32_t material : slot_materials) r.slots.push_back(map_slot_record(m, m.materials[material], c.lo.x, c.lo.y));
}

bool chunk_builder_t::build() {
    if (!add_terrain() || !add_water()) return false;
    finish();
    return true;
}

}  // namespace

lnd_slot_t map_slot_record(const map_t &map, const map_material_t &material, float x0, float z0) {
    lnd_slot_t slot;
    if (material.kind != map_material_t::TERRAIN) return slot;
    for (size_t k = 0; k < material.layers.size() && k < 3; ++k) {
        const float s = 1.0f / map.textures[material.layers[k]].scale;
        slot.layers[k][0] = s;
        slot.layers[k][1] = frac(x0 * s);
        slot.layers[k][2] = frac(z0 * s);
    }
    return slot;
}

bool map_build(const map_t &map, map_build_t &out) {
    out = map_build_t{};
    if (!map.has_landscape) {
        quarn::error("[mapgen] The map '%s' has no landscape.", map.name.c_str());
        return false;
    }
    const map_landscape_t &l = map.landscape;
    const uint32_t nx = uint32_t(std::lround((l.hi.x - l.lo.x) / float(l.chunks_x) / l.spacing));
    const uint32_t nz = uint32_t(std::lround((l.hi.y - l.lo.y) / float(l.chunks_z) / l.spacing));
    for (uint32_t row = 0; row < l.chunks_z; ++row) {
        for (uint32_t column = 0; column < l.chunks_x; ++column) {
            map_chunk_t chunk;
            chunk.index = uint32_t(out.chunks.size());
            chunk.cell_x = column;
            chunk.cell_z = row;
            chunk.lo = {l.lo.x + float(column * nx) * l.spacing, l.lo.y + float(row * nz) * l.spacing};
            chunk.hi = {l.lo.x + float((column + 1) * nx) * l.spacing, l.lo.y + float((row + 1) * nz) * l.spacing};
            if (!chunk_builder_t(map, chunk, nx, nz).build()) return false;
            out.landscape.chunks.push_back(chunk.record);
            out.chunks.push_back(std::move(chunk));
        }
    }
    return true;
}

}  // namespace mapgen
