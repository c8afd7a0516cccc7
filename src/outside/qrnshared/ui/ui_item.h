#pragma once
// The items entities live in. ui_spawn_ci asks the memory manager for an anonymous
// item of the class "ui_entity" (private, destroyed with its last reference, never in
// the memory-LRU), takes a block of the record's object size for it and fixes it, so
// that the manager never moves or evicts the object, and has the record's factory
// build the entity in that block. When the item's last reference goes the entity is
// released in place and the block given back: an entity lives exactly as long as its
// item. Moving the item's data is never asked for (the block is fixed), and the unit's
// move hooks do nothing.
#include "outside/qrnshared/api.h"
#include "outside/qrnshared/resource_unit.h"

namespace quarn {

class entity_t;
struct entity_reg_t;

class QRNSHARED_API ui_entity_unit_u : public resource_unit_u {
    QRN_UNIT_CLASS(ui_entity_unit_u, resource_unit_u);

public:
    // Releases the entity in place (its record's release), unfixes the block and
    // gives it back.
    void unload_memory() override;

    entity_t *entity = nullptr;
};

// A new entity of the registered class in an item of its own. The item comes counted
// once for the caller. Null, logged, for an unknown class, without a memory manager,
// or when the block or the object cannot be had (nothing is left behind).
QRNSHARED_API c_item_t *ui_spawn_ci(const char *class_name);
// The entity of an item made by ui_spawn_ci; null for null or any other item.
QRNSHARED_API entity_t *ui_entity_of(const c_item_t *item);
// Runs the entity's init stages 0 and 1 when it is a view (a group with all its
// children); 0 when every stage answered 0, else the first other answer.
QRNSHARED_API int ui_init_ci(c_item_t *item);

}  // namespace quarn
