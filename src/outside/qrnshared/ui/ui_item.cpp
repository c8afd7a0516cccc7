#include "outside/qrnshared/ui/ui_item.h"

#include "outside/qrnshared/qrnshared.h"
#include "outside/qrnshared/ui/entity.h"
#include "outside/qrnshared/ui/ui_view.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(ui_entity_unit_u, "ui_entity");

void ui_entity_unit_u::unload_memory() {
    c_item_t *item = get_item();
    if (entity) {
        entity_t *e = entity;
        entity = nullptr;
        const entity_reg_t *reg = e->get_reg();
        if (reg) reg->release(e, true);
    }
    if (item && item->fix_count) item->unlock();
    resource_unit_u::unload_memory();
}

c_item_t *ui_spawn_ci(const char *class_name) {
    const entity_reg_t *reg = entity_find_class(class_name);
    if (!reg) {
        error("[ui] No entity class '%s' is registered", class_name ? class_name : "");
        return nullptr;
    }
    const kernel_links_t &k = qrnshared_kernel();
    if (!k.mm_obtain_resource) {
        error("[ui] No memory manager to make a '%s' in", reg->class_name);
        return nullptr;
    }
    c_item_t *item = k.mm_obtain_resource(QS_MM_ANONYMOUS_REF, "", &ui_entity_unit_u::unit_descriptor,
                                          c_item_t::MLRU_DISALLOWED);
    resource_unit_u *unit = item ? item->get_unit() : nullptr;
    if (!unit || !unit->is_kind_of(ui_entity_unit_u::unit_descriptor)) {
        error("[ui] No item for a '%s'", reg->class_name);
        if (item) item->release_ref();
        return nullptr;
    }
    // The block is fixed from here to the item's end: the object never moves.
    void *memory = item->lock_entry(reg->object_size);
    if (!memory) {
        error("[ui] No memory of %u bytes for a '%s'", reg->object_size, reg->class_name);
        item->release_ref();
        return nullptr;
    }
    entity_t *entity = reg->factory(memory);
    if (!entity) {
        error("[ui] The class '%s' made no object", reg->class_name);
        item->release_ref();
        return nullptr;
    }
    if (entity != memory) {
        // Built elsewhere: the item could not release it in place.
        error("[ui] The class '%s' did not build its object in the memory given", reg->class_name);
        reg->release(entity, false);
        item->release_ref();
        return nullptr;
    }
    entity->bind(item, reg);
    static_cast<ui_entity_unit_u *>(unit)->entity = entity;
    entity->apply_defaults();
    return item;
}

entity_t *ui_entity_of(const c_item_t *item) {
    resource_unit_u *unit = item ? item->get_unit() : nullptr;
    if (!unit || !unit->is_kind_of(ui_entity_unit_u::unit_descriptor)) return nullptr;
    return static_cast<ui_entity_unit_u *>(unit)->entity;
}

ui_view_t *ui_view_of(const c_item_t *item) { return ui_as_view(ui_entity_of(item)); }

int ui_init_ci(c_item_t *item) {
    ui_view_t *view = ui_view_of(item);
    if (!view) return 0;
    for (int stage = 0; stage < 2; ++stage)
        if (const int r = view->init(stage)) return r;
    return 0;
}

}  // namespace quarn
