#pragma once
// The steps the four file resources of the model library share: the item's file is
// read whole into item memory and viewed in place by the format's reader; the view
// follows the memory manager's moves; the lock hooks bracket the binding.
#include "game/visuals/models/model_lib.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/resource_unit.h"

namespace quarn {

// Loads the item's file and opens view over it. True when the view is open; a file
// the reader refuses gives its memory back (the reader logged why).
template <class V>
bool model_file_load(resource_unit_u &unit, V &view) {
    c_item_t *item = unit.get_item();
    if (!item || !item->manager) return false;
    if (item->has(c_item_t::MEMORY_VALID) && view.is_open()) return true;
    void *data = ufs_plain_load(item);
    if (!data) return false;
    if (!view.open(data, item->size, item->get_name())) {
        item->manager->free_item_memory(item);
        return false;
    }
    return true;
}

// Closes the view and gives the memory back.
template <class V>
void model_file_unload(resource_unit_u &unit, V &view) {
    view.close();
    c_item_t *item = unit.get_item();
    if (item && item->has(c_item_t::MEMORY_VALID) && item->manager) item->manager->free_item_memory(item);
}

// Binding: the item stays out of the memory-LRU (holders keep its data where it is
// and nothing else may push it out), then the lock hook.
inline bool model_file_bind(c_item_t *item) {
    item->flags |= c_item_t::MLRU_DISALLOWED;
    item->mlru_leave();
    model_lib_lock();
    return true;
}

}  // namespace quarn
