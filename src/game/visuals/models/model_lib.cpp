#include "game/visuals/models/model_lib.h"

#include "game/visuals/models/model_anim.h"
#include "game/visuals/models/model_coll.h"
#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_geom.h"
#include "game/visuals/models/model_object.h"
#include "kernel/memory/m_manager.h"
#include "kernel/memory/m_server.h"
#include "qrncore/units/unit_bank.h"

namespace quarn {

namespace {

model_lib_lock_t lock_hook = nullptr;
model_lib_lock_t unlock_hook = nullptr;

template <class T>
T *obtain(const char *path) {
    // Loaded at once; the count the caller keeps is taken here, so that a failed load
    // leaves nothing behind.
    c_item_t *item = mm_obtain_resource(MM_NAMED_LOAD, path ? path : "", &T::unit_descriptor, 0);
    if (!item) return nullptr;
    resource_unit_u *unit = item->get_unit();
    if (!unit || !unit->is_kind_of(T::unit_descriptor)) return nullptr;
    item->add_ref();
    return static_cast<T *>(unit);
}

}  // namespace

void model_lib_set_lock_callbacks(model_lib_lock_t lock, model_lib_lock_t unlock) {
    lock_hook = lock;
    unlock_hook = unlock;
}

void model_lib_lock() {
    if (lock_hook) lock_hook();
}

void model_lib_unlock() {
    if (unlock_hook) unlock_hook();
}

bool model_register_classes(unit_bank_t &bank) {
    const bool templates = model_template_u::register_class(bank);
    const bool objects = model_object_u::register_class(bank);
    return templates && objects;
}

model_desc_u *model_desc_u_obtain(const char *path) { return obtain<model_desc_u>(path); }
model_anim_u *model_anim_u_obtain(const char *path) { return obtain<model_anim_u>(path); }
model_coll_u *model_coll_u_obtain(const char *path) { return obtain<model_coll_u>(path); }
model_geom_u *model_geom_u_obtain(const char *path) { return obtain<model_geom_u>(path); }

void model_release(resource_unit_u *unit) {
    if (unit && unit->get_item()) unit->get_item()->release_ref();
}

bool model_res_acquire(resource_unit_u *unit) {
    if (!unit) return false;
    c_item_t *item = unit->get_item();
    if (!item) {
        unit->add_ref();
        return true;
    }
    item->add_ref();
    if (!item->lock()) {
        item->release_ref();
        return false;
    }
    return true;
}

void model_res_give_back(resource_unit_u *unit) {
    if (!unit) return;
    c_item_t *item = unit->get_item();
    if (!item) {
        unit->release_ref();
        return;
    }
    item->unlock();
    item->release_ref();
}

bool model_res_hold_t::set(resource_unit_u *unit) {
    release();
    if (!model_res_acquire(unit)) return false;
    m_unit = unit;
    m_item = unit->get_item();
    return true;
}

void model_res_hold_t::release() {
    resource_unit_u *unit = m_unit;
    c_item_t *item = m_item;
    m_unit = nullptr;
    m_item = nullptr;
    if (!unit) return;
    if (item) {
        item->unlock();
        item->release_ref();
    } else {
        unit->release_ref();
    }
}

}  // namespace quarn
