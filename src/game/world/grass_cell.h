#pragma once
// grass_cell_u ("grass_cell", made by the grass only): the plants of one 30 × 30 cell
// of the ground, generated once from the terrain triangles in the cell's box and
// baked into one vertex and one index buffer; drawn as one render prototype per run
// of plants with one material (a batch). docs/world.md, "Grass".
//
// Buffers: each batch's vertices lie in the vertex buffer as four streams one after
// another (positions, normals: 3 floats; texture coordinates: 2 floats; colours:
// 32 bits; 36 bytes a vertex in all), its 16-bit indices in the index buffer,
// counted from the batch's first vertex. A batch holds at most 65534 vertices.
#include <cstdint>

#include "game/game_alloc.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/r_proto.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/aabox.h"
#include "qrncore/geometry/sphere.h"
#include "qrncore/math/vec.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class grass_u;
class grass_property_u;
class landscape_u;
struct r_buffer_t;

// Places around which no plant grows: inside the inner radius nothing, fading out to
// the outer one.
struct grass_obstacle_t {
    vec3_t centre;
    float inner;
    float outer;
};

// The obstacles of one cell (at most 255).
class grass_obstacles_t {
public:
    static constexpr uint32_t MAX_OBSTACLES = 255;
    // Radii of bodies and plants.
    static constexpr float BODY_REACH = 10.0f;
    static constexpr float BODY_RADIUS = 1.5f;
    static constexpr float PLANT_INNER = 1.0f;
    static constexpr float PLANT_OUTER_FACTOR = 0.75f;

    enum result_t { CLEAR, TOUCHING, FADING, INSIDE };

    void clear() { m_count = 0; }
    // False (nothing added) when the list is full.
    bool add(const vec3_t &centre, float inner, float outer);
    // Empties the list, then adds every body of the landscape's chunks meeting the
    // box whose 10-unit sphere meets the box (radii 1.5, 1.5), and every such plant
    // (radii 1, 0.75 × its shadow's x size).
    void collect(landscape_u &landscape, const aabox_t &box);
    // The sphere against the list in order: the first obstacle it lies within the
    // outer reach of ends the test (inside, or fading with fade set); one it only
    // touches is remembered and the test goes on.
    result_t test(const vec3_t &centre, float radius, float *fade = nullptr) const;

    uint32_t get_count() const { return m_count; }
    const grass_obstacle_t &get(uint32_t i) const { return m_list[i]; }

private:
    grass_obstacle_t m_list[MAX_OBSTACLES];
    uint32_t m_count = 0;
};

class grass_cell_u : public unit_t {
    QRN_UNIT_CLASS(grass_cell_u, unit_t);

public:
    static constexpr uint32_t MAX_BATCH_VERTICES = 0xFFFE;

    struct vertex_t {
        vec3_t position;
        vec3_t normal;
        vec2_t uv;
        uint32_t colour;  // 0xAARRGGBB
    };
    static_assert(sizeof(vertex_t) == 36, "a grass vertex is 36 bytes");

    // One run of plants with one material.
    struct batch_t : game_alloc_t {
        ~batch_t();
        grass_cell_u *owner = nullptr;
        uint32_t position = 0;  // in the cell's batch list
        r_packet_t *vertex_packet = nullptr;
        r_packet_t *index_packet = nullptr;
        r_proto_t *proto = nullptr;
        c_item_t *material = nullptr;  // counted
        uint32_t first_vertex = 0;
        uint32_t first_index = 0;
        uint32_t vertex_count = 0;
        uint32_t index_count = 0;
        sphere_t sphere;
        bool has_sphere = false;
        r_stream_source_t vertex_source;
        r_stream_source_t index_source;
    };

    ~grass_cell_u() override;

    // The seed of the plants of cell (x, z): the 32-bit pattern of x × 30 + z (the same
    // for every run of substances in the cell), DEFAULT_SEED for 0.
    static uint32_t seed_of(int32_t x, int32_t z);
    static constexpr uint32_t DEFAULT_SEED = 4357;

    // Generates the cell (x, z) of the grass from the landscape's triangles in its
    // box, keeping plants away from the obstacles. False only without memory.
    bool generate(grass_u &grass, landscape_u &landscape, int32_t x, int32_t z, const grass_obstacles_t &obstacles);

    int32_t get_x() const { return m_x; }
    int32_t get_z() const { return m_z; }
    const vec3_t &get_mean_normal() const { return m_mean_normal; }
    const sphere_t &get_sphere() const { return m_sphere; }
    uint32_t get_batch_count() const { return m_batches.get_count(); }
    const batch_t &get_batch(uint32_t i) const { return *m_batches[i]; }
    uint32_t get_vertex_count() const { return m_vertices.get_count(); }
    uint32_t get_index_count() const { return m_indices.get_count(); }
    const vertex_t &get_vertex(uint32_t i) const { return m_vertices[i]; }
    uint16_t get_index(uint32_t i) const { return m_indices[i]; }
    r_buffer_t *get_vertex_buffer() const { return m_vertex_buffer; }
    r_buffer_t *get_index_buffer() const { return m_index_buffer; }
    bool is_drawn() const { return m_drawn; }
    void set_drawn(bool drawn) { m_drawn = drawn; }
    // Queues the prototype of every batch that has vertices (once the buffers exist).
    void queue_render();

    // The buffers' fill callbacks.
    static void fill_vertices(r_buffer_t *buffer, void *memory);
    static void fill_indices(r_buffer_t *buffer, void *memory);

protected:
    void on_destroy();

private:
    friend struct grass_placer_t;
    void teardown();
    // The cell's last batch when it has the material, else a new one.
    batch_t *batch_for(c_item_t *material, grass_u &grass);
    // The cell's triangles and their plants into its arrays and batches (false only
    // without memory).
    bool grow_plants(grass_u &grass, landscape_u &landscape, const grass_obstacles_t &obstacles);
    bool alloc_buffers();

    int32_t m_x = 0;
    int32_t m_z = 0;
    vec3_t m_mean_normal;
    sphere_t m_sphere;
    array_dyn_t<batch_t *> m_batches;
    array_dyn_t<vertex_t> m_vertices;
    array_dyn_t<uint16_t> m_indices;
    r_buffer_t *m_vertex_buffer = nullptr;
    r_buffer_t *m_index_buffer = nullptr;
    bool m_drawn = false;
};

}  // namespace quarn
