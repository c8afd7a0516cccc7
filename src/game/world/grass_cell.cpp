#include "game/world/grass_cell.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "game/visuals/models/model_template.h"
#include "game/world/body.h"
#include "game/world/grass.h"
#include "game/world/landscape.h"
#include "game/world/plant.h"
#include "game/world/world.h"
#include "kernel/gfx/gfx.h"
#include "outside/qrnshared/r_queue.h"
#include "qrncore/math/matrix.h"
#include "qrncore/numerics/random_mt.h"
#include "qrncore/system/messages.h"

namespace quarn {

// ---- obstacles ----

bool grass_obstacles_t::add(const vec3_t &centre, float inner, float outer) {
    if (m_count >= MAX_OBSTACLES) return false;
    m_list[m_count++] = {centre, inner, outer};
    return true;
}

void grass_obstacles_t::collect(landscape_u &landscape, const aabox_t &box) {
    clear();
    array_dyn_t<landscape_chunk_u *> chunks;
    landscape.find_chunks(box, chunks);
    for (landscape_chunk_u *chunk : chunks) {
        for (uint32_t i = 0; i < chunk->get_body_count(); ++i) {
            const vec3_t p = chunk->get_body(i)->get_placement().position;
            if (box.intersects(sphere_t(p, BODY_REACH))) add(p, BODY_RADIUS, BODY_RADIUS);
        }
        for (uint32_t i = 0; i < chunk->get_plant_count(); ++i) {
            plant_inst_u *plant = chunk->get_plant(i);
            const vec3_t p = plant->get_placement().position;
            if (!box.intersects(sphere_t(p, BODY_REACH))) continue;
            const plant_desc_u *desc = plant->get_plant_desc();
            add(p, PLANT_INNER, PLANT_OUTER_FACTOR * (desc ? desc->get_shadow_size().x : 0.0f));
        }
    }
}

grass_obstacles_t::result_t grass_obstacles_t::test(const vec3_t &centre, float radius, float *fade) const {
    bool touching = false;
    for (uint32_t i = 0; i < m_count; ++i) {
        const grass_obstacle_t &o = m_list[i];
        const float d2 = length_squared(centre - o.centre);
        if (radius < o.outer && d2 < (o.outer - radius) * (o.outer - radius)) {
            if (o.inner > radius && d2 < (o.inner - radius) * (o.inner - radius)) {
                if (fade) *fade = 1.0f;
                return INSIDE;
            }
            const float d = std::sqrt(d2), span = o.outer - o.inner;
            if (fade) *fade = d < o.inner || !(span > 0.0f) ? 1.0f : 1.0f - std::min(1.0f, (d - o.inner) / span);
            return FADING;
        }
        if (d2 < (o.outer + radius) * (o.outer + radius)) touching = true;
    }
    return touching ? TOUCHING : CLEAR;
}

// ---- buffers ----

namespace {

constexpr uint64_t POSITION_BYTES = 12, NORMAL_BYTES = 12, UV_BYTES = 8, COLOUR_BYTES = 4;
constexpr uint64_t VERTEX_BYTES = POSITION_BYTES + NORMAL_BYTES + UV_BYTES + COLOUR_BYTES;

// Where each stream of a batch of n vertices starts, from the batch's start.
uint64_t stream_offset(uint32_t stream, uint64_t n) {
    switch (stream) {
        case R_STREAM_POSITION: return 0;
        case R_STREAM_NORMAL: return POSITION_BYTES * n;
        case R_STREAM_TEXCOORD: return (POSITION_BYTES + NORMAL_BYTES) * n;
        default: return (POSITION_BYTES + NORMAL_BYTES + UV_BYTES) * n;  // colours
    }
}

const grass_cell_u::batch_t &batch_of(const r_stream_source_t *source) {
    return static_cast<const grass_cell_u *>(source->owner)->get_batch(source->piece);
}

bool locate_vertices(const r_stream_source_t *source, uint32_t stream, r_stream_location_t *out) {
    if (stream != R_STREAM_POSITION && stream != R_STREAM_NORMAL && stream != R_STREAM_TEXCOORD &&
        stream != R_STREAM_COLOUR)
        return false;
    const grass_cell_u::batch_t &b = batch_of(source);
    out->buffer = b.owner->get_vertex_buffer();
    out->offset = VERTEX_BYTES * b.first_vertex + stream_offset(stream, b.vertex_count);
    out->address = nullptr;
    return true;
}

bool locate_indices(const r_stream_source_t *source, uint32_t stream, r_stream_location_t *out) {
    if (stream != R_STREAM_INDEX) return false;
    const grass_cell_u::batch_t &b = batch_of(source);
    out->buffer = b.owner->get_index_buffer();
    out->offset = 2ull * b.first_index;
    out->address = nullptr;
    return true;
}

uint32_t count_vertices(const r_stream_source_t *source) { return batch_of(source).vertex_count; }
uint32_t count_indices(const r_stream_source_t *source) { return batch_of(source).index_count; }

}  // namespace

grass_cell_u::batch_t::~batch_t() {
    if (proto) gfx_free_proto(proto);
    if (vertex_packet) vertex_packet->release();
    if (index_packet) index_packet->release();
    if (material) material->release_ref();
}

grass_cell_u::~grass_cell_u() { teardown(); }

void grass_cell_u::on_destroy() { teardown(); }

void grass_cell_u::teardown() {
    gfx_free_buffer(m_vertex_buffer);
    gfx_free_buffer(m_index_buffer);
    m_vertex_buffer = m_index_buffer = nullptr;
    for (batch_t *b : m_batches) delete b;
    m_batches.clear();
    m_vertices.clear();
    m_indices.clear();
}

grass_cell_u::batch_t *grass_cell_u::batch_for(c_item_t *material, grass_u &grass) {
    if (!m_batches.is_empty() && m_batches[m_batches.get_count() - 1]->material == material)
        return m_batches[m_batches.get_count() - 1];
    batch_t *b = new batch_t;
    if (!b || !m_batches.append(b)) {
        delete b;
        return nullptr;
    }
    b->owner = this;
    b->position = m_batches.get_count() - 1;
    b->material = material;
    if (material) material->add_ref();
    b->first_vertex = m_vertices.get_count();
    b->first_index = m_indices.get_count();
    b->vertex_source = {&locate_vertices, &count_vertices, &count_indices, this, b->position};
    b->index_source = {&locate_indices, &count_vertices, &count_indices, this, b->position};
    b->vertex_packet = gfx_alloc_packet();
    b->index_packet = gfx_alloc_packet();
    b->proto = gfx_alloc_proto();
    if (!b->vertex_packet || !b->index_packet || !b->proto) return nullptr;
    b->proto->set_vpacket(0, b->vertex_packet);
    b->proto->set_ipacket(b->index_packet);
    b->proto->set_material(material);
    b->proto->parameters = &grass.get_packets();
    return b;
}

bool grass_cell_u::alloc_buffers() {
    const uint64_t vertex_bytes = VERTEX_BYTES * m_vertices.get_count(), index_bytes = 2ull * m_indices.get_count();
    m_vertex_buffer = gfx_alloc_buffer(4, uint32_t(vertex_bytes));
    m_index_buffer = gfx_alloc_buffer(8, uint32_t(index_bytes));
    if (!m_vertex_buffer || !m_index_buffer) {
        error("[game] No render buffers for a grass cell of %u vertices", m_vertices.get_count());
        gfx_free_buffer(m_vertex_buffer);
        gfx_free_buffer(m_index_buffer);
        m_vertex_buffer = m_index_buffer = nullptr;
        return false;
    }
    gfx_buffer_set_fill(m_vertex_buffer, &fill_vertices, this);
    gfx_buffer_set_fill(m_index_buffer, &fill_indices, this);
    for (batch_t *b : m_batches) {
        b->vertex_packet->set_buffer(R_PACKET_MODEL, &b->vertex_source);
        b->index_packet->set_buffer(R_PACKET_MODEL_INDEX16, &b->index_source);
    }
    return true;
}

void grass_cell_u::queue_render() {
    if (!m_vertex_buffer || !m_index_buffer) return;
    for (batch_t *b : m_batches)
        if (b->vertex_count) gfx_queue_proto(b->proto);
}

void grass_cell_u::fill_vertices(r_buffer_t *buffer, void *memory) {
    const auto *cell = static_cast<const grass_cell_u *>(buffer->owner);
    uint8_t *out = static_cast<uint8_t *>(memory);
    if (VERTEX_BYTES * cell->m_vertices.get_count() > buffer->size) return;
    for (const batch_t *b : cell->m_batches) {
        const uint64_t n = b->vertex_count;
        uint8_t *at = out + VERTEX_BYTES * b->first_vertex;
        for (uint64_t v = 0; v < n; ++v) {
            const vertex_t &x = cell->m_vertices[b->first_vertex + uint32_t(v)];
            memcpy(at + stream_offset(R_STREAM_POSITION, n) + POSITION_BYTES * v, &x.position, POSITION_BYTES);
            memcpy(at + stream_offset(R_STREAM_NORMAL, n) + NORMAL_BYTES * v, &x.normal, NORMAL_BYTES);
            memcpy(at + stream_offset(R_STREAM_TEXCOORD, n) + UV_BYTES * v, &x.uv, UV_BYTES);
            memcpy(at + stream_offset(R_STREAM_COLOUR, n) + COLOUR_BYTES * v, &x.colour, COLOUR_BYTES);
        }
    }
}

void grass_cell_u::fill_indices(r_buffer_t *buffer, void *memory) {
    const auto *cell = static_cast<const grass_cell_u *>(buffer->owner);
    const uint64_t bytes = 2ull * cell->m_indices.get_count();
    if (bytes && bytes <= buffer->size) memcpy(memory, cell->m_indices.get_data(), bytes);
}

// ---- generation ----

uint32_t grass_cell_u::seed_of(int32_t x, int32_t z) {
    const uint32_t pattern = uint32_t(int64_t(x) * grass_u::CELL_SIZE + z);
    // Seed 0 would leave the generator's state all zero: every draw 0, every plant on
    // its triangle's first corner.
    return pattern ? pattern : DEFAULT_SEED;
}

namespace {

struct candidate_t {
    vec3_t corners[3];
    vec3_t normal;
    int32_t substance;
    int32_t triangle;
    landscape_chunk_piece_u *piece;
    bool near_obstacle;
};

struct collector_t {
    aabox_t box;
    const grass_obstacles_t *obstacles;
    array_dyn_t<candidate_t> *out;
    bool failed = false;
};

// The triangle's sphere: the circumcentre of its corners seen from above, at the mean
// height of the first and third corners, reaching to its farthest corner (the centroid
// when the corners lie on one line seen from above).
sphere_t triangle_sphere(const vec3_t c[3]) {
    const float bx = c[1].x - c[0].x, bz = c[1].z - c[0].z, cx = c[2].x - c[0].x, cz = c[2].z - c[0].z;
    const float d = 2.0f * (bx * cz - bz * cx);
    vec3_t centre;
    if (std::fabs(d) > 1e-12f) {
        const float b2 = bx * bx + bz * bz, c2 = cx * cx + cz * cz;
        centre = {c[0].x + (cz * b2 - bz * c2) / d, 0.5f * (c[0].y + c[2].y), c[0].z + (bx * c2 - cx * b2) / d};
    } else {
        centre = (c[0] + c[1] + c[2]) * (1.0f / 3.0f);
    }
    float r2 = 0.0f;
    for (int k = 0; k < 3; ++k) r2 = std::max(r2, length_squared(c[k] - centre));
    return sphere_t(centre, std::sqrt(r2));
}

void collect_triangle(void *context, const landscape_walk_triangle_t &t) {
    auto &c = *static_cast<collector_t *>(context);
    if (!t.piece || int32_t(t.piece->get_high_substance()) == world_u::WATER_SUBSTANCE) return;
    const vec3_t centroid = (t.corners[0] + t.corners[1] + t.corners[2]) * (1.0f / 3.0f);
    if (!c.box.contains(centroid)) return;
    const sphere_t s = triangle_sphere(t.corners);
    const grass_obstacles_t::result_t r = c.obstacles->test(s.center, s.radius);
    if (r == grass_obstacles_t::INSIDE) return;
    candidate_t k;
    for (int i = 0; i < 3; ++i) k.corners[i] = t.corners[i];
    k.normal = t.normal;
    k.substance = int32_t(t.piece->get_low_substance());
    k.triangle = t.triangle;
    k.piece = t.piece;
    k.near_obstacle = r != grass_obstacles_t::CLEAR;
    if (!c.out->append(k)) c.failed = true;
}

vec3_t transform_point(const mat4_t &m, const vec3_t &p) {
    return {m.at(0, 0) * p.x + m.at(0, 1) * p.y + m.at(0, 2) * p.z + m.at(0, 3),
            m.at(1, 0) * p.x + m.at(1, 1) * p.y + m.at(1, 2) * p.z + m.at(1, 3),
            m.at(2, 0) * p.x + m.at(2, 1) * p.y + m.at(2, 2) * p.z + m.at(2, 3)};
}

vec3_t transform_normal(const mat4_t &m, const vec3_t &n) {
    vec3_t r{m.at(0, 0) * n.x + m.at(0, 1) * n.y + m.at(0, 2) * n.z,
             m.at(1, 0) * n.x + m.at(1, 1) * n.y + m.at(1, 2) * n.z,
             m.at(2, 0) * n.x + m.at(2, 1) * n.y + m.at(2, 2) * n.z};
    normalize(r);
    return r;
}

// A grey level of a plant: 0.47 to 0.50 of full.
uint32_t grey(random_mt_t &random) { return uint32_t((random.rand_f() * 0.03f + 0.47f) * 255.0f); }

}  // namespace

// Places one property's plants over a run of candidates.
struct grass_placer_t {
    grass_cell_u &cell;
    grass_u &grass;
    const grass_obstacles_t &obstacles;
    random_mt_t &random;

    // False only without memory.
    bool place(grass_property_u &property, const candidate_t *run, uint32_t count);
};

bool grass_placer_t::place(grass_property_u &property, const candidate_t *run, uint32_t count) {
    const model_template_u *model = property.get_template();
    const int32_t piece_index = property.get_first_piece();
    if (!model || !model->is_loaded() || piece_index < 0 || uint32_t(piece_index) >= model->get_piece_count())
        return true;
    const model_piece_t &piece = model->get_piece(uint32_t(piece_index));
    grass_cell_u::batch_t *batch = cell.batch_for(property.get_material(), grass);
    if (!batch) return false;
    const float setting = grass_density();
    const vec3_t &viewer = grass.get_viewer();

    for (uint32_t i = 0; i < count; ++i) {
        const candidate_t &k = run[i];
        const vec3_t &a = k.corners[0], &b = k.corners[1], &c = k.corners[2];
        landscape_chunk_piece_u *ground = k.piece;
        // Pieces of several layers whose lowest grows plants and whose highest does
        // not: plants only where a growing layer dominates.
        const bool check_layers = ground->get_layer_count() >= 2 && ground->get_low_substance() <= 8 &&
                                  ground->get_high_substance() >= 9;
        if (k.substance >= grass_u::GAME_SUBSTANCE_COUNT) {
            error("[game] substance idx %u bigger than GAME_SUBSTANCE_COUNT", uint32_t(k.substance));
            continue;
        }

        mat4_t align = mat4_t::identity();
        if (property.m_align != grass_property_u::ALIGN_vertical) {
            const vec3_t up = property.m_align == grass_property_u::ALIGN_surface
                                  ? k.normal
                                  : k.normal * 0.6f + vec3_t{0.0f, 0.4f, 0.0f};
            vec3_t right = cross(vec3_t{0.0f, 0.0f, 1.0f}, up);
            if (!(length_squared(right) > vec_traits_t<float>::EPSILON)) continue;
            vec3_t third = cross(right, up);
            normalize(right);
            normalize(third);
            align = map_to_orthonormal_base(right, up, third);
        }

        const float density = property.density_at(k.normal, length_squared(a - viewer), setting);
        const uint32_t plants = property.take_count(density, 0.5f * length(cross(b - a, c - a)));

        for (uint32_t n = 0; n < plants; ++n) {
            float u = random.rand_f(), w = random.rand_f();
            if (u + w > 1.0f) {
                u = 1.0f - u;
                w = 1.0f - w;
            }
            const vec3_t p = a + (b - a) * u + (c - a) * w;
            if (check_layers && ground->get_layer_substance(uint32_t(k.triangle), u, w) > 8) continue;
            if (k.near_obstacle && obstacles.test(p, 0.0f) == grass_obstacles_t::INSIDE) continue;
            const float size =
                (1.0f + (random.rand_f() - 0.5f) * property.m_scale_variability * 2.0f) * property.m_scale;
            const float turn = (random.rand_f() * 2.0f - 1.0f) * property.m_yaw_range + property.m_yaw;

            mat4_t m;
            matrix_pair_set_translate(&m, nullptr, p);
            if (property.m_align != grass_property_u::ALIGN_vertical) mult_matrix_matrix(&m, align, m);
            matrix_rotate_left(&m, ypr_t(turn, 0.0f, 0.0f));
            matrix_scale_left(&m, {size, size, size});

            const sphere_t &part = property.get_part_sphere();
            const sphere_t s(p + part.center, part.radius * size);
            if (batch->has_sphere) batch->sphere.enlarge(s);
            else batch->sphere = s, batch->has_sphere = true;

            if (batch->vertex_count + piece.vertex_count > grass_cell_u::MAX_BATCH_VERTICES) {
                warning("[game] too many vertexes/plants in grass block - some plants will be omitted");
                return true;
            }
            const uint32_t g1 = grey(random), g2 = grey(random), g3 = grey(random);
            const float kf = landscape_chunk_piece_u::light_share(
                landscape_chunk_piece_u::light_byte(ground->get_colour(uint32_t(k.triangle), u, w)));
            const float lf = 25.5f * (1.0f - kf) + 204.0f * kf;
            const uint32_t light = lf >= 255.0f ? 255u : lf > 0.0f ? uint32_t(lf) : 0u;
            const uint32_t colour = 0xFF000000u | (g1 * light / 255u) << 16 | (g2 * light / 255u) << 8 | (g3 * light / 255u);

            if (!cell.m_vertices.request_capacity(cell.m_vertices.get_count() + piece.vertex_count) ||
                !cell.m_indices.request_capacity(cell.m_indices.get_count() + piece.index_count))
                return false;
            for (uint32_t v = 0; v < piece.vertex_count; ++v) {
                grass_cell_u::vertex_t out;
                out.position = transform_point(m, piece.positions[v]);
                out.normal = transform_normal(m, piece.normals ? piece.normals[v] : vec3_t{0.0f, 1.0f, 0.0f});
                out.uv = piece.texcoords ? piece.texcoords[v] : vec2_t{};
                out.colour = colour;
                cell.m_vertices.append(out);
            }
            for (uint32_t x = 0; x < piece.index_count; ++x)
                cell.m_indices.append(uint16_t(piece.indices[x] + batch->vertex_count));
            batch->vertex_count += piece.vertex_count;
            batch->index_count += piece.index_count;
        }
    }
    return true;
}

bool grass_cell_u::generate(grass_u &grass, landscape_u &landscape, int32_t x, int32_t z,
                            const grass_obstacles_t &obstacles) {
    teardown();
    m_x = x;
    m_z = z;
    m_mean_normal = {0.0f, 0.0f, 0.0f};
    m_sphere = sphere_t();

    // The plants grow into the grass's scratch arrays, whose storage stays from cell
    // to cell: grown here, a cell's arrays would move to new storage a dozen times
    // on their way to the hundreds of kilobytes a near cell holds, every step fresh
    // memory to fault in. The cell then takes one copy of what it holds.
    array_dyn_t<vertex_t> &vertices = grass.scratch_vertices();
    array_dyn_t<uint16_t> &indices = grass.scratch_indices();
    vertices.clear();
    indices.clear();
    std::swap(m_vertices, vertices);
    std::swap(m_indices, indices);
    const bool grown = grow_plants(grass, landscape, obstacles);
    std::swap(m_vertices, vertices);
    std::swap(m_indices, indices);
    if (!grown || !m_vertices.append_array(vertices) || !m_indices.append_array(indices)) return false;

    if (m_vertices.is_empty()) return true;
    bool first_sphere = true;
    for (const batch_t *b : m_batches) {
        if (!b->has_sphere || !b->vertex_count) continue;
        if (first_sphere) m_sphere = b->sphere, first_sphere = false;
        else m_sphere.enlarge(b->sphere);
    }
    alloc_buffers();
    return true;
}

bool grass_cell_u::grow_plants(grass_u &grass, landscape_u &landscape, const grass_obstacles_t &obstacles) {
    const int32_t x = m_x, z = m_z;
    const aabox_t box = grass_u::cell_box(x, z);
    array_dyn_t<candidate_t> candidates;
    collector_t collector{box, &obstacles, &candidates};
    landscape.walk_triangles(landscape_volume_t::of_box(box.min, box.max), &collect_triangle, &collector);
    if (collector.failed) return false;
    if (candidates.is_empty()) return true;

    // Stable, so that a cell comes out the same from the same terrain.
    std::stable_sort(candidates.get_data(), candidates.get_data() + candidates.get_count(),
                     [](const candidate_t &l, const candidate_t &r) { return l.substance < r.substance; });
    for (const candidate_t &k : candidates) m_mean_normal += k.normal;
    m_mean_normal = m_mean_normal * (1.0f / float(candidates.get_count()));

    random_mt_t random;
    grass_placer_t placer{*this, grass, obstacles, random};
    const uint32_t count = candidates.get_count();
    for (uint32_t first = 0; first < count;) {
        uint32_t end = first + 1;
        while (end < count && candidates[end].substance == candidates[first].substance) ++end;
        if (grass_set_u *set = grass.set_for(candidates[first].substance)) {
            random.seed(grass_cell_u::seed_of(x, z));
            for (uint32_t p = 0; p < set->get_property_count(); ++p)
                if (grass_property_u *property = set->get_property(p))
                    if (!placer.place(*property, &candidates[first], end - first)) return false;
        }
        first = end;
    }
    return true;
}

}  // namespace quarn
