#pragma once
// simple_shadow_u (type "simple_shadow"): the blob shadows of a frame, dark quads on
// the ground under animals and objects, all drawn as one prototype with the material
// "/material/decal/simple.mat" (docs/effects.md). The hunt owns one: each frame it
// empties it (reset), the scene's objects add their quads while they are drawn, and
// the hunt queues it when anything was added.
//
// A quad is four vertices (positions and one colour each); indices and texture
// coordinates come from tables shared by every instance, made once: quad a has the
// indices 4a, 4a + 1, 4a + 2, 4a + 2, 4a + 3, 4a and its corners the texture
// coordinates (0, 1), (0, 0), (1, 0), (1, 1). A frame holds at most MAX_QUADS quads
// (16-bit indices); more are refused.
//
// The prototype's packet array: slot 1 an identity model packet (the quads are in
// world space), slot 3 the shadow's texture projection packet
// (drypp_texprojection_u), slots 0 and 2 the scene's camera and fog packets, taken
// from the owner's array by prepare_parameters.
#include <cstdint>

#include "outside/qrnshared/parameter_packet.h"
#include "outside/qrnshared/r_proto.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/math/vec.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class c_item_t;
class drypp_texprojection_u;
class fw4pp_model_u;

class simple_shadow_u : public unit_t {
    QRN_UNIT_CLASS(simple_shadow_u, unit_t);

public:
    static constexpr uint32_t MAX_QUADS = 16383;
    static constexpr const char *MATERIAL = "/material/decal/simple.mat";

    ~simple_shadow_u() override;

    // Empties the frame's quads (the arrays keep their memory).
    void reset();
    // Appends one quad: four corners in order and their shade. False past MAX_QUADS.
    bool add_quad(const vec3_t corners[4], uint32_t colour);
    // The quad of half extents a, b in the placement's xy plane: the corners (-a, b),
    // (-a, -b), (a, -b), (a, b) by the placement's matrix.
    bool add_quad(const placement_scale_t &placement, float a, float b, uint32_t colour);

    uint32_t get_vertex_count() const { return m_positions.get_count(); }
    // (vertex count × 6) / 4.
    uint32_t get_index_count() const { return get_vertex_count() * 6 / 4; }
    const vec3_t &get_position(uint32_t v) const { return m_positions[v]; }
    uint32_t get_colour(uint32_t v) const { return m_colours[v]; }

    // The owner's array whose camera and fog packets (slots 0, 2) prepare_parameters
    // takes (null: none; it must outlive the shadow or the next call).
    void set_scene_packets(const r_parameter_array_t *scene) { m_scene = scene; }
    void prepare_parameters();
    r_parameter_array_t &get_packets() { return m_packets; }
    drypp_texprojection_u *get_projection() const { return m_projection.get(); }

    // The prototype, its packets pointing at this frame's quads.
    r_proto_t *get_proto();
    // Queues the prototype when the frame holds a quad; false when nothing was queued.
    bool queue_render();

    // The shared tables (made on first use).
    static const uint16_t *get_index_table();
    static const vec2_t *get_uv_table();

    void on_construct();

private:
    array_dyn_t<vec3_t> m_positions;
    array_dyn_t<uint32_t> m_colours;
    r_geometry_t m_geometry{};
    r_packet_t *m_vertex_packet = nullptr;
    r_packet_t *m_index_packet = nullptr;
    r_proto_t *m_proto = nullptr;
    c_item_t *m_material = nullptr;
    owner_ptr_t<drypp_texprojection_u> m_projection;
    owner_ptr_t<fw4pp_model_u> m_identity;
    r_parameter_array_t m_packets;
    const r_parameter_array_t *m_scene = nullptr;
};

}  // namespace quarn
