#pragma once
// model_object_u: a placed, drawable instance (docs/models.md). One render prototype
// per piece holds the piece's packets, its material and the parameter packet array
// its effect reads; the object has a placement node (or a draw matrix set directly),
// an optional model packet of its own whose matrices it sets from the placement at
// each draw, and units hooked on it.
//
// model_duplicate_u: draws the visible parts of another instance a second time, at
// its own placement with its own model packet.
//
// To draw a model: get an object from a descriptor (model_desc_u::create_object...)
// with a packet provider, or give it packets later (set_packets, apply_materials);
// place it; call draw() each frame before the shader library renders its queues.
#include <cstdint>

#include "game/visuals/models/model_inst.h"
#include "game/visuals/shaders/fw_packets.h"
#include "outside/qrnshared/parameter_packet.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/geometry/transform_node.h"
#include "qrncore/math/mat_sq.h"

namespace quarn {

struct r_proto_t;

// Gives the parameter packet arrays of a model's prototypes by effect class.
class model_packet_provider_t {
public:
    virtual ~model_packet_provider_t() = default;
    // The array for prototypes whose material's effect is of class effect_class, or
    // for null the default; null when it has none for it.
    virtual r_parameter_array_t *get_packets(const unit_descriptor_t *effect_class) = 0;
};

// Answers every class, and the default, with one array.
class model_packets_for_all_t : public model_packet_provider_t {
public:
    explicit model_packets_for_all_t(r_parameter_array_t *array) : m_array(array) {}
    r_parameter_array_t *get_packets(const unit_descriptor_t *) override { return m_array; }

private:
    r_parameter_array_t *m_array;
};

// The array the provider gives for an effect class: the class's, else its parents'
// up to effect_u, else the provider's default (null class); null when none (or no
// provider).
r_parameter_array_t *model_packets_for(model_packet_provider_t *provider, const unit_descriptor_t *effect_class);

// Placement modes: below 2 the node's absolute placement places the object; from 2
// the draw matrix does.
constexpr uint32_t MODEL_PLACE_BY_NODE = 0;
constexpr uint32_t MODEL_PLACE_BY_MATRIX = 2;

class model_object_u : public model_inst_u {
    QRN_UNIT_CLASS(model_object_u, model_inst_u);

public:
    ~model_object_u() override;

    // As the instance, then one prototype per piece.
    bool set_model(model_desc_u *desc, model_geom_u *geom, bool rigid) override;
    // As the template, then each prototype takes its piece's material.
    bool set_look(uint32_t look, const char *directory) override;

    // Gives each prototype its piece's material, then, for each prototype whose
    // material has an effect, the provider's array for the effect's class, else for
    // its parent class and so on up to effect_u, else its default (null class). When
    // even that gives nothing: "[model] Client failed to provide the parameter packet
    // array for use with effect class '%s'." and the prototype keeps no array. With a
    // null provider only the materials are given (the arrays stay as they are).
    void apply_materials(model_packet_provider_t *provider);
    // The array the client supplies for the object's effects and the object's own
    // model packet (slot 1 of that array, usually); both counted or kept as given
    // (the array must outlive the object or the next call). The object sets the
    // packet's matrices at each draw. Either may be null.
    void set_packets(r_parameter_array_t *array, fw4pp_model_u *model_packet);
    // Makes a model packet of the object's own and an array of its own from base
    // (slot 1 replaced by the packet), and gives that array to every prototype
    // (apply_materials with it). False when the packet cannot be made.
    bool make_own_packets(const r_parameter_array_t &base);
    r_parameter_array_t *get_packets() const { return m_packets; }
    fw4pp_model_u *get_model_packet() const { return m_model_packet.get(); }

    // ---- placement ----
    matrix_node_t &get_node() { return m_node; }
    void set_placement(const placement_t &placement) { m_node.set_relative(placement); }
    // A uniform scale applied to the model before the placement (1 by default).
    void set_scale(float scale) { m_scale = scale; }
    float get_scale() const { return m_scale; }
    // Places the object by a matrix (mode 2).
    void set_draw_matrix(const mat4_t &matrix);
    void set_placement_mode(uint32_t mode) { m_mode = mode; }
    uint32_t get_placement_mode() const { return m_mode; }
    // Model space to the world: the node's absolute placement with the scale, or the
    // draw matrix.
    mat4_t get_matrix();

    // The whole model's bounding sphere against the current camera.
    bool is_visible();
    // Queues the prototype of every piece of every visible part after updating the
    // bones, the skinning and the model packet, then draws the hookups; false when no
    // model is set.
    bool draw() override;
    // Draws only the hookups whose class is d or derives from it.
    void draw_hookups(const unit_descriptor_t &d);

    // ---- hookups ----
    // Hangs hookup on this object at a relative placement (hookup->attach) and keeps
    // it counted; false when it refuses.
    bool add_hookup(model_hookup_u *hookup, const placement_t &relative);
    void remove_hookup(model_hookup_u *hookup);
    uint32_t get_hookup_count() const { return m_hookups.get_count(); }

    bool attach(model_hookup_u *owner, const placement_t &relative) override;
    bool detach() override;
    bool update(float seconds) override;
    placement_node_t *get_placement_node() override { return &m_node; }

    r_proto_t *get_proto(uint32_t piece) const { return m_protos[piece]; }

    bool _call_post_load() override;
    bool _call_pre_save() override;
    bool _call_post_save() override;

    // Attributes: parts shown and hidden at load (emptied afterwards).
    array_dyn_t<uint64_t> m_visible_parts;
    array_dyn_t<uint64_t> m_invisible_parts;

protected:
    bool _clone_finish(unit_base_t *target);

private:
    bool build_protos();
    void drop_protos();
    void give_materials();
    void apply_part_lists();

    matrix_node_t m_node;
    mat4_t m_draw_matrix = mat4_t::identity();
    float m_scale = 1.0f;
    uint32_t m_mode = MODEL_PLACE_BY_NODE;
    array_dyn_t<r_proto_t *> m_protos;
    array_dyn_t<ref_ptr_t<model_hookup_u>> m_hookups;
    r_parameter_array_t *m_packets = nullptr;
    ref_ptr_t<fw4pp_model_u> m_model_packet;
    // What the object owns itself (a clone's copies, make_own_packets).
    owner_ptr_t<unit_base_t> m_own_model_packet;
    r_parameter_array_t m_own_packets;
};

class model_duplicate_u : public model_hookup_u {
    QRN_UNIT_CLASS(model_duplicate_u, model_hookup_u);

public:
    ~model_duplicate_u() override;

    // Draws source (counted) with prototypes of its own over the source's packets
    // and materials, with an array of its own made from base (slot 1: the
    // duplicate's model packet). False when source has no model set or the packet
    // cannot be made.
    bool set_source(model_inst_u *source, const r_parameter_array_t &base);
    model_inst_u *get_source() const { return m_source.get(); }

    void set_placement(const placement_t &placement) { m_node.set_relative(placement); }
    matrix_node_t &get_node() { return m_node; }
    fw4pp_model_u *get_model_packet() const;

    // Updates the source's bones and skinning, sets the model packet from the
    // duplicate's placement and queues a prototype for every piece of the source's
    // visible parts.
    bool draw() override;
    bool attach(model_hookup_u *owner, const placement_t &relative) override;
    bool detach() override;
    bool update(float seconds) override;
    placement_node_t *get_placement_node() override { return &m_node; }

protected:
    bool _clone_finish(unit_base_t *target);

private:
    void drop_protos();

    ref_ptr_t<model_inst_u> m_source;
    matrix_node_t m_node;
    owner_ptr_t<unit_base_t> m_model_packet;
    r_parameter_array_t m_packets;
    array_dyn_t<r_proto_t *> m_protos;
};

}  // namespace quarn
