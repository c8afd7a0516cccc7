#pragma once
// The model units (docs/models.md):
//
//   model_hookup_u (abstract)  anything that can hang on a model object
//     model_template_u         a model in one look and variant, with its materials
//       model_inst_u           + skeleton, animation channels, skinning, packets
//         model_object_u       + placement, render prototypes, packet arrays, hookups
//     model_duplicate_u        a second drawing of another instance
//
// A template made by a descriptor's creator is set up by set_model, set_look and
// set_variant; one read from a unit file by its post-load step from its attributes
// (model_desc, model_geom, look, variant, rigid), as is a clone.
#include <cstdint>

#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_geom.h"
#include "game/visuals/models/model_lib.h"
#include "outside/qrnshared/c_item.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/geometry/transform_node.h"
#include "qrncore/math/vec.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

// What the base does, and what templates and instances keep: each operation is
// refused ("This object can not be really used as a hookup."; false or null).
class model_hookup_u : public unit_t {
    QRN_UNIT_CLASS(model_hookup_u, unit_t);

public:
    // Hangs the unit on owner at a placement relative to owner's node.
    virtual bool attach(model_hookup_u *owner, const placement_t &relative);
    virtual bool detach();
    // Advances what the unit runs by seconds.
    virtual bool update(float seconds);
    // Queues what the unit draws.
    virtual bool draw();
    // The node the unit is placed by; null when it has none.
    virtual placement_node_t *get_placement_node();

protected:
    // "This object can not be really used as a hookup." and false.
    static bool refuse_as_hookup();
};

// The streams of one piece as the geometry holds them.
struct model_piece_t {
    uint32_t vertex_count = 0;
    uint32_t index_count = 0;
    uint32_t material_slot = 0;
    uint32_t part = 0;
    const vec3_t *positions = nullptr;
    const vec3_t *normals = nullptr;
    const vec2_t *texcoords = nullptr;
    const uint32_t *colours = nullptr;
    const uint32_t *further = nullptr;  // null without the stream
    const vec4_t *tangents = nullptr;   // null without the stream
    const uint16_t *indices = nullptr;
};

class model_template_u : public model_hookup_u {
    QRN_UNIT_CLASS(model_template_u, model_hookup_u);

public:
    ~model_template_u() override;

    // Takes the descriptor and the geometry (counted, their data fixed), reads the
    // pieces and remembers the rigid flag. False (logged) when either is missing or
    // not loaded, or when their part counts differ; the template is then not loaded.
    virtual bool set_model(model_desc_u *desc, model_geom_u *geom, bool rigid);
    // Makes the look's materials (a relative path is joined to directory) and stores
    // its token in `look`. False (logged) for a look out of range.
    virtual bool set_look(uint32_t look, const char *directory);
    // Stores the variant's token in `variant`. False (logged) for one out of range.
    virtual bool set_variant(uint32_t variant);

    // Whether a model is set.
    bool is_loaded() const { return m_loaded; }
    model_desc_u *get_desc() const { return m_desc.get(); }
    model_geom_u *get_geom() const { return m_geom.get(); }
    uint32_t get_look() const { return m_look_index; }
    uint32_t get_variant() const { return m_variant_index; }
    uint64_t get_look_token() const { return m_look; }
    uint64_t get_variant_token() const { return m_variant; }
    bool is_rigid() const { return m_rigid; }

    uint32_t get_piece_count() const { return m_pieces.get_count(); }
    uint32_t get_part_count() const { return m_part_count; }
    const model_piece_t &get_piece(uint32_t piece) const { return m_pieces[piece]; }
    // The material item of a piece (of its material slot), or null when the slot has
    // none (it could not be loaded, or the slot is beyond the descriptor's count).
    c_item_t *get_piece_material(uint32_t piece) const;
    // The descriptor's path, for messages ("" without one).
    const char *get_desc_path() const;

    bool _call_post_load() override;

    // Attributes.
    unit_resource_slot_t m_model_desc;
    unit_resource_slot_t m_model_geom;
    uint64_t m_look = 0;
    uint64_t m_variant = 0;
    bool m_rigid = false;

protected:
    // The template's part of the set-up from the attributes (post-load and clone).
    bool set_up_from_attributes();
    bool _clone_finish(unit_base_t *target);

    // The template's own steps, which the virtual operations of the subclasses
    // compose with theirs.
    bool template_set_model(model_desc_u *desc, model_geom_u *geom, bool rigid);
    bool template_set_look(uint32_t look, const char *directory);
    bool template_set_variant(uint32_t variant);

private:
    void drop_model();

    model_hold_t<model_desc_u> m_desc;
    model_hold_t<model_geom_u> m_geom;
    array_dyn_t<model_piece_t> m_pieces;
    // One counted material item per slot (null where none).
    array_dyn_t<c_item_t *> m_materials;
    uint32_t m_part_count = 0;
    uint32_t m_look_index = 0;
    uint32_t m_variant_index = 0;
    bool m_loaded = false;
};

}  // namespace quarn
