#pragma once
// The model library's entry points: its lock hooks, the registration of its unit
// classes, the obtain functions of its resources, and the holders through which
// models keep resources (docs/models.md).
//
// Resources (model_geom_u, model_desc_u, model_anim_u, model_coll_u) are items of the
// kernel's memory manager, made for a path the first time it is asked for with the
// unit's class. Their data never leaves memory on its own (the items are kept out of
// the memory-LRU); the memory manager may still move it, which the units follow. A
// count on the item keeps a resource; whoever needs its bytes at fixed addresses
// (streams handed to the renderer, keys read while a channel plays) also fixes it:
// model_hold_t does both.
#include <cstdint>

#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/resource_unit.h"

namespace quarn {

class model_anim_u;
class model_coll_u;
class model_desc_u;
class model_geom_u;
class unit_bank_t;

using model_lib_lock_t = void (*)();

// Stores the hooks every model resource calls right after it is bound to its item
// (lock) and right before it is unbound (unlock); the game module gives its guard's.
// Either may be null.
void model_lib_set_lock_callbacks(model_lib_lock_t lock, model_lib_lock_t unlock);
// Calls the stored hooks (nothing for null ones).
void model_lib_lock();
void model_lib_unlock();

// Registers model_template_u and model_object_u with the bank; false when one is
// refused. The resource classes are not registered: the memory manager makes them
// from their descriptors.
bool model_register_classes(unit_bank_t &bank);

// The resource of a path, loaded, with its item counted once for the caller (give
// the count back with model_release or a model_ref_t); null when the memory manager
// gives none (it logs why; a file the reader refuses is logged by the reader).
model_desc_u *model_desc_u_obtain(const char *path);
model_anim_u *model_anim_u_obtain(const char *path);
model_coll_u *model_coll_u_obtain(const char *path);
model_geom_u *model_geom_u_obtain(const char *path);
// Gives back the count an obtain function took (nothing for null).
void model_release(resource_unit_u *unit);

// Takes over the count of an obtain function and gives it back when it goes.
template <class T>
class model_ref_t {
public:
    model_ref_t() = default;
    explicit model_ref_t(T *obtained) : m_unit(obtained) {}
    ~model_ref_t() { reset(); }
    model_ref_t(const model_ref_t &) = delete;
    model_ref_t &operator=(const model_ref_t &) = delete;

    void reset(T *obtained = nullptr) {
        T *old = m_unit;
        m_unit = obtained;
        model_release(old);
    }
    T *get() const { return m_unit; }
    T *operator->() const { return m_unit; }
    explicit operator bool() const { return m_unit != nullptr; }

private:
    T *m_unit = nullptr;
};

// Keeps a resource with its data loaded at fixed addresses: the item counted and
// fixed, or, for a unit bound to no item (a procedural animation), the unit counted.
class model_res_hold_t {
public:
    model_res_hold_t() = default;
    ~model_res_hold_t() { release(); }
    model_res_hold_t(const model_res_hold_t &) = delete;
    model_res_hold_t &operator=(const model_res_hold_t &) = delete;

    // Releases what is held, then holds unit. False, holding nothing, for null or
    // when the item's data cannot be loaded.
    bool set(resource_unit_u *unit);
    void release();
    resource_unit_u *get_unit() const { return m_unit; }

private:
    resource_unit_u *m_unit = nullptr;
    c_item_t *m_item = nullptr;
};

template <class T>
class model_hold_t : public model_res_hold_t {
public:
    bool set(T *unit) { return model_res_hold_t::set(unit); }
    T *get() const { return static_cast<T *>(get_unit()); }
    T *operator->() const { return get(); }
    explicit operator bool() const { return get() != nullptr; }
};

// The same holding as a pair of calls, for records that cannot keep a holder (the
// animation channels): true when unit is held.
bool model_res_acquire(resource_unit_u *unit);
void model_res_give_back(resource_unit_u *unit);

}  // namespace quarn
