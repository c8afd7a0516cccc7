#pragma once
// tree_leaf_base (type "tree_leaf_base"): a model hung on a tree (leaves, a branch
// that sways), placed by its own node under the tree's. It holds the model it draws
// ("model", owned) and a random phase (0.3 to 1.3) drawn when it is attached, so
// that leaves of one tree do not move in step (docs/effects.md).
#include "game/visuals/models/model_template.h"
#include "qrncore/geometry/transform_node.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class tree_leaf_base : public model_hookup_u {
    QRN_UNIT_CLASS(tree_leaf_base, model_hookup_u);

public:
    // The node takes owner's node as parent and the relative placement; then the model
    // (when it is a hookup) is hung on the leaf; a new phase is drawn (v_rand).
    bool attach(model_hookup_u *owner, const placement_t &relative) override;
    bool detach() override;
    // Passed on to the model.
    bool update(float seconds) override;
    bool draw() override;
    placement_node_t *get_placement_node() override { return &m_node; }

    model_hookup_u *get_model() const { return unit_cast<model_hookup_u>(m_model.get()); }
    float get_phase() const { return m_phase; }
    matrix_node_t &get_node() { return m_node; }

    // Attribute.
    owner_ptr_t<unit_base_t> m_model;

private:
    matrix_node_t m_node;
    float m_phase = 0.0f;
};

}  // namespace quarn
