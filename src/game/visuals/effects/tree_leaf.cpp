#include "game/visuals/effects/tree_leaf.h"

#include "qrncore/numerics/random.h"

namespace quarn {

QRN_UNIT_DEFINE(tree_leaf_base, "tree_leaf_base", QRN_ATTR(m_model, UNIT_ATTR_OWNER, "model"));

bool tree_leaf_base::attach(model_hookup_u *owner, const placement_t &relative) {
    m_node.set_parent(owner ? owner->get_placement_node() : nullptr);
    m_node.set_relative(relative);
    if (model_hookup_u *model = get_model()) model->attach(this, placement_t());
    m_phase = 0.3f + v_rand();
    return true;
}

bool tree_leaf_base::detach() {
    m_node.set_parent(nullptr);
    return true;
}

bool tree_leaf_base::update(float seconds) {
    model_hookup_u *model = get_model();
    return model && model->update(seconds);
}

bool tree_leaf_base::draw() {
    model_hookup_u *model = get_model();
    return model && model->draw();
}

}  // namespace quarn
