#include "outside/qrnshared/def_resource.h"

#include <new>

#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(def_resource_u, "def");

bool def_resource_u::load_memory() {
    c_item_t *item = get_item();
    if (!item || !item->manager) return false;
    def_pool_t pool;
    if (!pool.read_from(item->get_name(), FS_REALM_VIRTUAL)) return false;
    void *data = item->manager->allocate_item_memory(item, sizeof(def_pool_t));
    if (!data) {
        error("[qrnshared] No memory for the definitions of '%s'", item->get_name());
        return false;
    }
    new (data) def_pool_t(static_cast<def_pool_t &&>(pool));
    return true;
}

void def_resource_u::unload_memory() {
    c_item_t *item = get_item();
    if (!item || !item->has(c_item_t::MEMORY_VALID) || !item->data) return;
    pool_of(item->data)->~def_pool_t();
    resource_unit_u::unload_memory();
}

void def_resource_u::unbind_item(c_item_t *item) {
    if (item == get_item()) unload_memory();
    resource_unit_u::unbind_item(item);
}

}  // namespace quarn
