#pragma once
// model_coll_u: a loaded collision model (".zmc", docs/formats/model-collision.md):
// primitive sets walked with a row of the material map. Bodies turn them into
// physics shapes.
#include <cstdint>

#include "game/visuals/models/model_coll_view.h"
#include "outside/qrnshared/resource_unit.h"

namespace quarn {

class model_coll_u : public resource_unit_u {
    QRN_UNIT_CLASS(model_coll_u, resource_unit_u);

public:
    bool load_memory() override;
    void unload_memory() override;
    void post_move(void *old_data, void *new_data) override;
    bool bind_item(c_item_t *item) override;
    void unbind_item(c_item_t *item) override;

    const model_coll_view_t &view() const { return m_view; }
    bool is_ready() const { return m_view.is_open(); }
    const char *get_path() const { return m_view.get_path(); }
    // Walks primitive set `set` with material row `row` (model_coll_view_t::walk);
    // false when the data is not loaded.
    bool walk(uint32_t set, uint32_t row, model_coll_visitor_t &visitor) const {
        return m_view.is_open() && m_view.walk(set, row, visitor);
    }

private:
    model_coll_view_t m_view;
};

}  // namespace quarn
