#pragma once
// merged_model_u (type "merged_model"): many placed copies of one model baked into
// two shared render buffers, so that all copies of a plant or rock in a landscape
// chunk draw with one prototype per model piece (docs/effects.md).
//
// Use: set_model (the model and optionally which of its parts), merge_geometry once a
// placement, alloc_buffers, then queue_render every frame. A placement that would
// take any piece's copy past 0xFFFE vertices is refused whole, so every merged part
// always holds the same placements.
//
// Buffers: the vertex buffer (kind 4) holds every part's vertices in part order,
// each part as its streams one after another (positions, normals, tangents,
// colours, texture coordinates: 52 bytes a vertex in all); the index buffer (kind 8)
// every part's 16-bit indices in part order. Each part's packets (R_PACKET_MODEL_TAN
// and R_PACKET_MODEL_INDEX16) locate its streams in them.
#include <cstdint>

#include "game/game_alloc.h"
#include "outside/qrnshared/r_proto.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/math/vec.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class model_packet_provider_t;
class model_template_u;
struct r_buffer_t;

class merged_model_u : public unit_t {
    QRN_UNIT_CLASS(merged_model_u, unit_t);

public:
    static constexpr uint32_t MAX_PART_VERTICES = 0xFFFE;

    // One merged vertex.
    struct vertex_t {
        vec3_t position;  // by the placement's matrix
        vec3_t normal;    // turned by the placement
        vec3_t tangent;   // x, y, z turned by the placement
        float tangent_w;  // copied
        uint32_t colour;  // red, green, blue times the colour factor; alpha 0xFF
        vec2_t uv;        // copied
    };
    static_assert(sizeof(vertex_t) == 52, "a merged vertex is 52 bytes");

    // The copies of one piece of the model.
    struct part_t : game_alloc_t {
        ~part_t();
        uint32_t piece = 0;
        uint32_t position = 0;  // in the part array
        r_packet_t *vertex_packet = nullptr;
        r_packet_t *index_packet = nullptr;
        r_proto_t *proto = nullptr;
        array_dyn_t<vertex_t> vertices;
        array_dyn_t<uint16_t> indices;
        // Where the part lies in the buffers (bytes) and how much of it they hold
        // (what was merged when they were made); what the packets read.
        uint64_t vertex_offset = 0;
        uint64_t index_offset = 0;
        uint32_t buffered_vertices = 0;
        uint32_t buffered_indices = 0;
        r_stream_source_t vertex_source;
        r_stream_source_t index_source;
        merged_model_u *owner = nullptr;
    };

    ~merged_model_u() override;

    // Drops every merged part, takes the model (counted; it must be loaded) and makes
    // one part for every piece of each listed part in order (all parts in order
    // without a list). Part indices past the model's part count are skipped (logged).
    // False when the model is missing or not loaded, or without memory.
    bool set_model(model_template_u *model, const uint32_t *parts = nullptr, uint32_t part_count = 0);
    // Appends one copy at placement to every part, colours multiplied by
    // clamp(factor × 255, 0, 255) / 255. False, with nothing changed, when a part
    // would pass MAX_PART_VERTICES (or without memory).
    bool merge_geometry(const placement_scale_t &placement, float colour_factor);
    // Makes the two buffers and binds the parts' packets to them; then each part whose
    // material has an effect takes the client's packet array for the effect's class
    // (its parents, then the default), or logs "[model] Client failed to provide the
    // parameter packet array for use with effect class '%s'.". Merges after it change
    // only the arrays, not the buffers.
    void alloc_buffers(model_packet_provider_t *client);
    // Queues the prototype of every part that has vertices, once both buffers exist.
    void queue_render();

    model_template_u *get_model() const { return m_model.get(); }
    bool is_built() const { return m_built; }
    uint32_t get_part_count() const { return m_parts.get_count(); }
    const part_t &get_part(uint32_t i) const { return *m_parts[i]; }
    r_buffer_t *get_vertex_buffer() const { return m_vertex_buffer; }
    r_buffer_t *get_index_buffer() const { return m_index_buffer; }

    // The buffers' fill callbacks (the renderer calls them whenever it makes their
    // memory): every part's streams, respectively indices, in part order.
    static void fill_vertices(r_buffer_t *buffer, void *memory);
    static void fill_indices(r_buffer_t *buffer, void *memory);

private:
    void drop_parts();
    void free_buffers();

    ref_ptr_t<model_template_u> m_model;
    bool m_built = false;
    array_dyn_t<part_t *> m_parts;
    r_buffer_t *m_vertex_buffer = nullptr;
    r_buffer_t *m_index_buffer = nullptr;
};

}  // namespace quarn
