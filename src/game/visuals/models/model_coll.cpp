#include "game/visuals/models/model_coll.h"

#include "game/visuals/models/model_file.h"

namespace quarn {

QRN_UNIT_DEFINE(model_coll_u, "model_coll");

bool model_coll_u::load_memory() { return model_file_load(*this, m_view); }

void model_coll_u::unload_memory() { model_file_unload(*this, m_view); }

void model_coll_u::post_move(void *, void *new_data) { m_view.rebase(new_data); }

bool model_coll_u::bind_item(c_item_t *item) { return resource_unit_u::bind_item(item) && model_file_bind(item); }

void model_coll_u::unbind_item(c_item_t *item) {
    if (item && item == get_item()) {
        unload_memory();
        model_lib_unlock();
    }
    resource_unit_u::unbind_item(item);
}

}  // namespace quarn
