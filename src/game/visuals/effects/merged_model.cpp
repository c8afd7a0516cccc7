#include "game/visuals/effects/merged_model.h"

#include <cmath>
#include <cstring>

#include "game/visuals/models/model_object.h"
#include "game/visuals/models/model_template.h"
#include "kernel/gfx/gfx.h"
#include "outside/qrnshared/material.h"
#include "outside/qrnshared/r_queue.h"
#include "outside/visbase/render.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(merged_model_u, "merged_model");

namespace {

// Bytes each stream takes a vertex, in the order a part's streams follow each other
// in the vertex buffer.
constexpr uint64_t POSITION_BYTES = 12, NORMAL_BYTES = 12, TANGENT_BYTES = 16, COLOUR_BYTES = 4, UV_BYTES = 8;
constexpr uint64_t VERTEX_BYTES = POSITION_BYTES + NORMAL_BYTES + TANGENT_BYTES + COLOUR_BYTES + UV_BYTES;
static_assert(VERTEX_BYTES == sizeof(merged_model_u::vertex_t));

// Where each stream of a part of n vertices starts, from the part's start.
uint64_t stream_offset(uint32_t stream, uint64_t n) {
    switch (stream) {
        case R_STREAM_POSITION: return 0;
        case R_STREAM_NORMAL: return POSITION_BYTES * n;
        case R_STREAM_TANGENT: return (POSITION_BYTES + NORMAL_BYTES) * n;
        case R_STREAM_COLOUR: return (POSITION_BYTES + NORMAL_BYTES + TANGENT_BYTES) * n;
        default: return (POSITION_BYTES + NORMAL_BYTES + TANGENT_BYTES + COLOUR_BYTES) * n;  // texture coordinates
    }
}

const merged_model_u::part_t &part_of(const r_stream_source_t *source) {
    const auto *m = static_cast<const merged_model_u *>(source->owner);
    return m->get_part(source->piece);
}

bool locate_vertices(const r_stream_source_t *source, uint32_t stream, r_stream_location_t *out) {
    if (stream != R_STREAM_POSITION && stream != R_STREAM_NORMAL && stream != R_STREAM_TANGENT &&
        stream != R_STREAM_COLOUR && stream != R_STREAM_TEXCOORD)
        return false;
    const auto *m = static_cast<const merged_model_u *>(source->owner);
    const merged_model_u::part_t &p = part_of(source);
    out->buffer = m->get_vertex_buffer();
    out->offset = p.vertex_offset + stream_offset(stream, p.buffered_vertices);
    out->address = nullptr;
    return true;
}

bool locate_indices(const r_stream_source_t *source, uint32_t stream, r_stream_location_t *out) {
    if (stream != R_STREAM_INDEX) return false;
    const auto *m = static_cast<const merged_model_u *>(source->owner);
    out->buffer = m->get_index_buffer();
    out->offset = part_of(source).index_offset;
    out->address = nullptr;
    return true;
}

uint32_t count_vertices(const r_stream_source_t *source) { return part_of(source).buffered_vertices; }
uint32_t count_indices(const r_stream_source_t *source) { return part_of(source).buffered_indices; }

// A colour's red, green and blue bytes times k / 255, alpha 0xFF.
uint32_t scale_colour(uint32_t c, uint32_t k) {
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) out |= (((c >> shift) & 0xFFu) * k / 255u) << shift;
    return out;
}

}  // namespace

merged_model_u::part_t::~part_t() {
    if (proto) gfx_free_proto(proto);
    if (vertex_packet) vertex_packet->release();
    if (index_packet) index_packet->release();
}

merged_model_u::~merged_model_u() {
    drop_parts();
    free_buffers();
}

void merged_model_u::drop_parts() {
    for (part_t *p : m_parts) delete p;
    m_parts.clear();
}

void merged_model_u::free_buffers() {
    gfx_free_buffer(m_vertex_buffer);
    gfx_free_buffer(m_index_buffer);
    m_vertex_buffer = m_index_buffer = nullptr;
}

bool merged_model_u::set_model(model_template_u *model, const uint32_t *parts, uint32_t part_count) {
    drop_parts();
    free_buffers();
    m_built = false;
    m_model = model;
    if (!model || !model->is_loaded()) return false;
    const uint32_t model_parts = model->get_part_count();
    const uint32_t listed = parts ? part_count : model_parts;
    for (uint32_t l = 0; l < listed; ++l) {
        const uint32_t part = parts ? parts[l] : l;
        if (part >= model_parts) {
            error("[model] The merged model of '%s' skips part %u: the model has %u parts", model->get_desc_path(),
                  part, model_parts);
            continue;
        }
        for (uint32_t piece = 0; piece < model->get_piece_count(); ++piece) {
            if (model->get_piece(piece).part != part) continue;
            part_t *p = new part_t;
            if (!p || !m_parts.append(p)) {
                delete p;
                drop_parts();
                return false;
            }
            p->piece = piece;
            p->position = m_parts.get_count() - 1;
            p->owner = this;
            p->vertex_source = {&locate_vertices, &count_vertices, &count_indices, this, p->position};
            p->index_source = {&locate_indices, &count_vertices, &count_indices, this, p->position};
            p->vertex_packet = gfx_alloc_packet();
            p->index_packet = gfx_alloc_packet();
            p->proto = gfx_alloc_proto();
            if (!p->vertex_packet || !p->index_packet || !p->proto) {
                drop_parts();
                return false;
            }
            p->proto->set_vpacket(0, p->vertex_packet);
            p->proto->set_ipacket(p->index_packet);
            p->proto->set_material(model->get_piece_material(piece));
        }
    }
    return true;
}

bool merged_model_u::merge_geometry(const placement_scale_t &placement, float colour_factor) {
    model_template_u *model = m_model.get();
    if (!model) return false;
    for (const part_t *p : m_parts)
        if (uint64_t(p->vertices.get_count()) + model->get_piece(p->piece).vertex_count > MAX_PART_VERTICES)
            return false;
    for (part_t *p : m_parts) {
        const model_piece_t &piece = model->get_piece(p->piece);
        if (!p->vertices.request_capacity(p->vertices.get_count() + piece.vertex_count) ||
            !p->indices.request_capacity(p->indices.get_count() + piece.index_count))
            return false;
    }
    const mat4_t m = placement.compute_matrix();
    // A NaN factor counts as 0.
    const float scaled = colour_factor * 255.0f;
    const uint32_t k = scaled >= 255.0f ? 255u : scaled > 0.0f ? uint32_t(scaled) : 0u;
    for (part_t *p : m_parts) {
        const model_piece_t &piece = model->get_piece(p->piece);
        const uint32_t base = p->vertices.get_count();
        for (uint32_t v = 0; v < piece.vertex_count; ++v) {
            vertex_t out;
            const vec3_t &pos = piece.positions[v];
            out.position = {m.at(0, 0) * pos.x + m.at(0, 1) * pos.y + m.at(0, 2) * pos.z + m.at(0, 3),
                            m.at(1, 0) * pos.x + m.at(1, 1) * pos.y + m.at(1, 2) * pos.z + m.at(1, 3),
                            m.at(2, 0) * pos.x + m.at(2, 1) * pos.y + m.at(2, 2) * pos.z + m.at(2, 3)};
            out.normal = placement.rotation.rotate(piece.normals ? piece.normals[v] : vec3_t{0, 1, 0});
            const vec4_t t = piece.tangents ? piece.tangents[v] : vec4_t{1, 0, 0, 1};
            out.tangent = placement.rotation.rotate({t.x, t.y, t.z});
            out.tangent_w = t.w;
            out.colour = scale_colour(piece.colours ? piece.colours[v] : 0xFFFFFFFFu, k);
            out.uv = piece.texcoords ? piece.texcoords[v] : vec2_t{};
            p->vertices.append(out);
        }
        for (uint32_t i = 0; i < piece.index_count; ++i) p->indices.append(uint16_t(piece.indices[i] + base));
    }
    return true;
}

void merged_model_u::alloc_buffers(model_packet_provider_t *client) {
    free_buffers();
    uint64_t vertex_bytes = 0, index_bytes = 0;
    for (part_t *p : m_parts) {
        p->vertex_offset = vertex_bytes;
        p->index_offset = index_bytes;
        p->buffered_vertices = p->vertices.get_count();
        p->buffered_indices = p->indices.get_count();
        vertex_bytes += VERTEX_BYTES * p->vertices.get_count();
        index_bytes += 2ull * p->indices.get_count();
    }
    m_built = true;
    if (vertex_bytes == 0) return;
    m_vertex_buffer = gfx_alloc_buffer(4, uint32_t(vertex_bytes));
    m_index_buffer = gfx_alloc_buffer(8, uint32_t(index_bytes));
    if (!m_vertex_buffer || !m_index_buffer) {
        error("[model] No render buffers for a merged model of %llu vertex bytes",
              static_cast<unsigned long long>(vertex_bytes));
        free_buffers();
        return;
    }
    gfx_buffer_set_fill(m_vertex_buffer, &fill_vertices, this);
    gfx_buffer_set_fill(m_index_buffer, &fill_indices, this);
    for (part_t *p : m_parts) {
        p->vertex_packet->set_buffer(R_PACKET_MODEL_TAN, &p->vertex_source);
        p->index_packet->set_buffer(R_PACKET_MODEL_INDEX16, &p->index_source);
        const material_t *material = material_of(p->proto->material);
        const effect_u *effect = material ? material->effect.get() : nullptr;
        if (!effect) continue;
        p->proto->parameters = model_packets_for(client, effect->get_descriptor());
        if (!p->proto->parameters)
            warning("[model] Client failed to provide the parameter packet array for use with effect class '%s'.",
                    effect->get_descriptor()->class_name->c_str());
    }
}

void merged_model_u::queue_render() {
    if (!m_vertex_buffer || !m_index_buffer) return;
    for (part_t *p : m_parts)
        if (p->buffered_vertices) gfx_queue_proto(p->proto);
}

void merged_model_u::fill_vertices(r_buffer_t *buffer, void *memory) {
    const auto *m = static_cast<const merged_model_u *>(buffer->owner);
    uint8_t *out = static_cast<uint8_t *>(memory);
    for (const part_t *p : m->m_parts) {
        // What was merged when the buffer was made; later merges wait for the next.
        const uint64_t n = p->buffered_vertices;
        if (p->vertex_offset + VERTEX_BYTES * n > buffer->size) break;
        uint8_t *at = out + p->vertex_offset;
        for (uint64_t v = 0; v < n; ++v) {
            const vertex_t &x = p->vertices[uint32_t(v)];
            memcpy(at + stream_offset(R_STREAM_POSITION, n) + POSITION_BYTES * v, &x.position, POSITION_BYTES);
            memcpy(at + stream_offset(R_STREAM_NORMAL, n) + NORMAL_BYTES * v, &x.normal, NORMAL_BYTES);
            memcpy(at + stream_offset(R_STREAM_TANGENT, n) + TANGENT_BYTES * v, &x.tangent, TANGENT_BYTES);
            memcpy(at + stream_offset(R_STREAM_COLOUR, n) + COLOUR_BYTES * v, &x.colour, COLOUR_BYTES);
            memcpy(at + stream_offset(R_STREAM_TEXCOORD, n) + UV_BYTES * v, &x.uv, UV_BYTES);
        }
    }
}

void merged_model_u::fill_indices(r_buffer_t *buffer, void *memory) {
    const auto *m = static_cast<const merged_model_u *>(buffer->owner);
    uint8_t *out = static_cast<uint8_t *>(memory);
    for (const part_t *p : m->m_parts) {
        const uint64_t bytes = 2ull * p->buffered_indices;
        if (p->index_offset + bytes > buffer->size) break;
        if (bytes) memcpy(out + p->index_offset, p->indices.get_data(), bytes);
    }
}

}  // namespace quarn
