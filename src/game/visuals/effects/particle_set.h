#pragma once
// particle_set_u (type "particle_set"): a particle effect (breath, dust under
// hooves, smoke), a unit file such as "/script/particle/animal_breath.unit" holding
// one set with its generators ("gen_array", particle_gen.h). A set hangs on a model
// or a node (it is a model hookup), is placed by its own node, and is updated and
// drawn every frame (docs/effects.md).
//
// Flags: emit (true at creation) lets the generators emit; visible (true at
// creation) lets them emit and draw: a hidden set neither emits nor draws, while its
// live particles keep ageing. The wind moves world-space particles.
//
// Particles are drawn in camera space: the set keeps its own packet array, the
// caller's (set_parameter_packets) with slot 1 replaced by a model packet of its own
// that carries the camera's matrix (camera to world), so that model × view is the
// identity.
#include <cstdint>

#include "game/visuals/models/model_template.h"
#include "outside/qrnshared/parameter_packet.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/transform_node.h"
#include "qrncore/math/vec.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class fw4pp_model_u;
class particle_gen_u;

class particle_set_u : public model_hookup_u {
    QRN_UNIT_CLASS(particle_set_u, model_hookup_u);

public:
    ~particle_set_u() override;

    // Hangs the set on owner's node at a relative placement, binds and resets its
    // generators (emitting from there at the next update).
    bool attach(model_hookup_u *owner, const placement_t &relative) override;
    // The same on any node (null: the set is its own root), with the emit flag.
    void attach_to(placement_node_t *parent, const placement_t &relative, bool emit);
    bool detach() override;
    // Advances every generator by seconds with the set's flags and wind.
    bool update(float seconds) override;
    // update with the kernel's last frame time (sys_get_lastdelta).
    void update_frame();
    // Writes every generator's vertices / queues every generator's prototype; nothing
    // while hidden.
    void prepare();
    void render();
    // prepare, then render.
    bool draw() override;
    placement_node_t *get_placement_node() override { return &m_node; }

    // The scene's packets for drawing (copied; slot 1 becomes the set's own).
    void set_parameter_packets(const r_parameter_array_t *array);
    r_parameter_array_t &get_packets() { return m_packets; }

    uint32_t get_generator_count() const { return m_gen_array.get_count(); }
    // The generator at index, or null.
    particle_gen_u *get_generator(uint32_t index) const;

    matrix_node_t &get_node() { return m_node; }
    // The placement relative to the node's parent.
    void set_placement(const placement_t &placement) { m_node.set_relative(placement); }
    void set_emit(bool emit) { m_emit = emit; }
    bool get_emit() const { return m_emit; }
    void set_visible(bool visible) { m_visible = visible; }
    bool is_visible() const { return m_visible; }
    void set_wind(const vec3_t &wind) { m_wind = wind; }
    const vec3_t &get_wind() const { return m_wind; }

    bool _call_post_load() override;

    // Attribute: the generators (owned).
    array_dyn_t<owner_ptr_t<unit_base_t>> m_gen_array;

protected:
    bool _clone_finish(unit_base_t *target);

private:
    void bind_generators();

    matrix_node_t m_node;
    bool m_emit = true;
    bool m_visible = true;
    vec3_t m_wind;
    owner_ptr_t<fw4pp_model_u> m_camera_packet;
    r_parameter_array_t m_packets;
};

}  // namespace quarn
