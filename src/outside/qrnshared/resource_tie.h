#pragma once
// resource_tie_t<T>: a handle to a resource unit of class T (resource_unit_u or a
// subclass) that counts the unit's item, so that the item stays while the handle
// holds it. Assignment counts the new item before it releases the old one.
#include <cstddef>

#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/resource_unit.h"
#include "qrncore/system/messages.h"

namespace quarn {

template <class T>
class resource_tie_t {
public:
    resource_tie_t() = default;
    resource_tie_t(std::nullptr_t) {}
    explicit resource_tie_t(c_item_t *item) { *this = item; }
    resource_tie_t(const resource_tie_t &o) { *this = o.get_item(); }
    ~resource_tie_t() { release(); }

    // Holds the item's unit and counts the item; the item held before is released
    // (its last-reference operation runs at 0). The item's unit must be a T.
    resource_tie_t &operator=(c_item_t *item) {
        T *unit = nullptr;
        if (item) {
            resource_unit_u *u = item->get_unit();
            V_ASSERT(u && u->is_kind_of(T::unit_descriptor));
            unit = static_cast<T *>(u);
            item->add_ref();
        }
        c_item_t *old = get_item();
        m_unit = unit;
        if (old) old->release_ref();
        return *this;
    }
    resource_tie_t &operator=(const resource_tie_t &o) { return *this = o.get_item(); }
    resource_tie_t &operator=(std::nullptr_t) {
        release();
        return *this;
    }

    // Releases the item and empties the handle.
    void release() {
        c_item_t *old = get_item();
        m_unit = nullptr;
        if (old) old->release_ref();
    }

    T *get() const { return m_unit; }
    T *operator->() const { return m_unit; }
    explicit operator bool() const { return m_unit != nullptr; }
    // The item of the unit held, or null.
    c_item_t *get_item() const { return m_unit ? m_unit->get_item() : nullptr; }

private:
    T *m_unit = nullptr;
};

}  // namespace quarn
