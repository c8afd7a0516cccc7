#include "game/world/landscape_chunk_piece.h"

#include <algorithm>

#include "game/visuals/models/model_object.h"
#include "game/visuals/shaders/fw_families.h"
#include "game/world/texture_substance.h"
#include "outside/qrnshared/material.h"

namespace quarn {

QRN_UNIT_DEFINE(landscape_chunk_piece_u, "landscape_chunk_piece");

namespace {

float channel(uint32_t colour, int shift) { return float((colour >> shift) & 255u) * (1.0f / 255.0f); }

// The corners of triangle t, or false when it is not a whole triangle of the piece.
bool corners(const landscape_piece_streams_t &s, uint32_t t, uint32_t out[3]) {
    if (!s.indices || !s.colours || t >= s.index_count / 3) return false;
    for (int k = 0; k < 3; ++k) {
        out[k] = s.indices[3 * t + uint32_t(k)];
        if (out[k] >= s.vertex_count) return false;
    }
    return true;
}

// The blend c0 + (c1 - c0)·a + (c2 - c0)·b of one channel.
float blend(const uint32_t *stream, const uint32_t v[3], int shift, float a, float b) {
    const float c0 = channel(stream[v[0]], shift);
    return c0 + (channel(stream[v[1]], shift) - c0) * a + (channel(stream[v[2]], shift) - c0) * b;
}

// Truncated like a byte store, after a nudge that keeps exact values (32 / 255 × 255)
// from falling a step below by rounding.
uint32_t to_byte(float v) { return uint32_t(std::clamp(v * 255.0f + 1e-3f, 0.0f, 255.0f)); }

}  // namespace

void landscape_chunk_piece_u::set_piece(model_object_u *model, int32_t piece) {
    m_model = model;
    m_piece = piece;
    const material_t *material = nullptr;
    if (model && piece >= 0 && uint32_t(piece) < model->get_piece_count())
        material = material_of(model->get_piece_material(uint32_t(piece)));
    set_layers(material);
}

void landscape_chunk_piece_u::set_layers(const material_t *material) {
    m_layer_count = 0;
    m_layer_substance[0] = m_layer_substance[1] = m_layer_substance[2] = 0;
    if (material && material->effect && material->effect->is_kind_of(fw_terrain_u::unit_descriptor)) {
        for (const char *sampler : {"texture_sampler[0]", "texture_sampler[1]", "texture_sampler[2]"})
            if (const char *texture = material->texture_for(sampler))
                m_layer_substance[m_layer_count++] = substance_for_texture(texture);
    }
    m_high_substance = m_low_substance = m_layer_count ? m_layer_substance[0] : 0;
    for (uint32_t k = 1; k < m_layer_count; ++k) {
        m_high_substance = std::max(m_high_substance, m_layer_substance[k]);
        m_low_substance = std::min(m_low_substance, m_layer_substance[k]);
    }
}

landscape_piece_streams_t landscape_chunk_piece_u::get_streams() const {
    landscape_piece_streams_t s;
    const model_object_u *model = m_model.get();
    if (!model || m_piece < 0 || uint32_t(m_piece) >= model->get_piece_count()) return s;
    const model_piece_t &p = model->get_piece(uint32_t(m_piece));
    s.colours = p.colours;
    s.further = p.further;
    s.indices = p.indices;
    s.vertex_count = p.vertex_count;
    s.index_count = p.index_count;
    return s;
}

uint32_t landscape_chunk_piece_u::colour_at(const landscape_piece_streams_t &s, uint32_t triangle, float a, float b) {
    uint32_t v[3];
    if (!corners(s, triangle, v)) return NEUTRAL_COLOUR;
    // Red, green and blue are capped at one half: the ground never lights what stands
    // on it above its own colour at half strength.
    const uint32_t r = to_byte(std::min(blend(s.colours, v, 16, a, b), 0.5f));
    const uint32_t g = to_byte(std::min(blend(s.colours, v, 8, a, b), 0.5f));
    const uint32_t bl = to_byte(std::min(blend(s.colours, v, 0, a, b), 0.5f));
    return 0xFF000000u | r << 16 | g << 8 | bl;
}

int32_t landscape_chunk_piece_u::dominant_layer(const landscape_piece_streams_t &s, uint32_t triangle, float a,
                                                float b) {
    uint32_t v[3];
    if (!corners(s, triangle, v)) return -1;
    const float c = blend(s.colours, v, 24, a, b);
    const float f = s.further ? blend(s.further, v, 24, a, b) : 0.0f;
    // The weights of the three layers blended over one another: layer 1 over layer 0
    // by c, layer 2 over both by f; they sum to 1.
    const float w0 = (1.0f - c) * (1.0f - f), w1 = c * (1.0f - f), w2 = f;
    if (w0 > w1) return f < w0 ? 0 : 2;
    return w2 < w1 ? 1 : 2;
}

uint32_t landscape_chunk_piece_u::get_colour(uint32_t triangle, float a, float b) const {
    return colour_at(get_streams(), triangle, a, b);
}

uint32_t landscape_chunk_piece_u::get_layer_substance(uint32_t triangle, float a, float b) const {
    if (m_layer_count < 2) return m_low_substance;
    const int32_t layer = dominant_layer(get_streams(), triangle, a, b);
    if (layer < 0) return m_low_substance;
    // A third layer the material does not have stands for its last one.
    return m_layer_substance[std::min(uint32_t(layer), m_layer_count - 1)];
}

bool landscape_chunk_piece_u::set_uv_layers(const float layers[3][3]) {
    if (!m_uv_packet) m_uv_packet = fw4pp_terrain_uv_u::create();
    if (!m_uv_packet) return false;
    for (int k = 0; k < 3; ++k) {
        const float s = layers[k][0];
        m_uv_packet->columns[k][0] = {s, 0.0f, 0.0f, layers[k][1]};
        m_uv_packet->columns[k][1] = {0.0f, s, 0.0f, layers[k][2]};
    }
    return true;
}

void landscape_chunk_piece_u::on_destroy() {
    m_packets.clear();
    m_uv_packet.reset();
    m_model.reset();
}

}  // namespace quarn
