#pragma once
// c_item_t: a resource item of the kernel's memory manager. It names a resource (or
// is anonymous), holds a counted reference to the resource unit that loads it, owns
// the item's block of pool memory and counts who uses it: references keep the record,
// fixes keep its data in place (neither moved nor evicted), locks belong to this
// layer. The kernel's memory manager makes and keeps the records; this layer and the
// game reach them through the operations below and the holders at the end.
#include <cstddef>
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class c_item_t;
class resource_unit_u;

// The interface of the memory manager that items and resource units use, in the
// order of the manager's operation table (the destructor first).
class QRNSHARED_API c_item_manager_t {
public:
    virtual ~c_item_manager_t();
    // A block of pool memory of bytes bytes owned by the item, stored in the item as
    // its data (the item becomes memory-valid). Memory the item held is freed first.
    // Null only when the pool cannot give a block at all.
    virtual void *allocate_item_memory(c_item_t *item, size_t bytes) = 0;
    // Returns the item's block; the item is no longer memory-valid.
    virtual void free_item_memory(c_item_t *item) = 0;
    // Makes child a sub-item of parent (the child holds a reference on the parent).
    virtual void attach_child(c_item_t *parent, c_item_t *child) = 0;
    // Undoes attach_child and drops the reference on the parent.
    virtual void detach_child(c_item_t *child) = 0;
};

class QRNSHARED_API c_item_t {
public:
    enum flag_t : uint32_t {
        IN_MLRU = 0x1,               // in the memory-LRU ("M")
        MLRU_DISALLOWED = 0x2,       // never enters the memory-LRU ("D")
        MEMORY_VALID = 0x4,          // holds pool memory ("m")
        CHANGED = 0x8,               // new data waits for the renderer (texture objects)
        DESTROY_IMMEDIATELY = 0x10,  // destroyed when its last reference goes ("d")
        ALIAS = 0x20,                // stands for another item
        PRIVATE = 0x40,              // never found by name; "shared" when clear ("s")
        FORWARDED = 0x80,            // a child whose counts go to its memory owner
        HW_VALID = 0x100,            // a hardware copy exists ("h")
        FLAG_P = 0x200,              // this layer's own mark ("p")
        HW_KEEP = 0x400,             // _mm_hw_free_all keeps the hardware copy
        BUSY = 0x800,                // a refresh or a move runs on it
    };

    c_item_t() = default;
    c_item_t(const c_item_t &) = delete;
    c_item_t &operator=(const c_item_t &) = delete;

    // The operations in the order of the item's operation table.
    // 0: frees what the record owns (its name) and drops its unit reference.
    virtual ~c_item_t();
    // 1: "anonymous", or the item's name.
    virtual const char *get_name() const = 0;
    // 2
    virtual bool is_named() const = 0;
    // 3: enters the memory-LRU at its newest end.
    virtual void mlru_enter() = 0;
    // 4: leaves the memory-LRU; nothing when not in it.
    virtual void mlru_leave() = 0;
    // 5: moves to the newest end when in the memory-LRU.
    virtual void touch() = 0;
    // 6: the reference count reached 0: a private item, one marked destroy-immediately
    //    or one without memory is destroyed; any other stays cached.
    virtual void last_reference_gone() = 0;
    // 7: gives up the hardware copy and the memory, then removes the item.
    virtual void destroy() = 0;
    // 8: makes the item an alias of target (counted), or no alias for null.
    virtual void set_alias_target(c_item_t *target) = 0;
    // 9: the alias target, or the item itself.
    virtual c_item_t *resolve() = 0;
    // 10: refresh code (refresh_result_t of the kernel).
    virtual int refresh() = 0;
    // 11: no effect.
    virtual void reserved(void *argument) = 0;
    // 12: the core's debug break.
    virtual void debug_break() = 0;

    // Makes the data present (the unit's load_memory when the item holds none) and
    // fixes it. Null, with no count changed, when it cannot be loaded. No reference is
    // taken.
    void *lock();
    // Undoes one lock(): the last unfix puts the item into the memory-LRU unless it is
    // barred from it or locked. No reference is dropped.
    void unlock();
    // Memory of bytes bytes from the manager, fixed; null when the manager gave none.
    void *lock_entry(size_t bytes);

    // One more reference.
    void add_ref() { ++ref_count; }
    // One reference less; at 0 the last-reference operation runs (which may destroy
    // the item).
    void release_ref();

    bool has(uint32_t flag) const { return (flags & flag) != 0; }
    // The resource unit that loads the item.
    resource_unit_u *get_unit() const;

    // The record, in the order the manager keeps it.
    uint32_t flags = 0;
    c_item_manager_t *manager = nullptr;
    ref_ptr_t<resource_unit_u> unit;
    void *data = nullptr;
    // The item chain of the manager's table.
    c_item_t *chain_prev = nullptr;
    c_item_t *chain_next = nullptr;
    // The memory-LRU: towards the newest and towards the oldest item.
    c_item_t *mlru_newer = nullptr;
    c_item_t *mlru_older = nullptr;
    size_t size = 0;  // bytes of memory held; 0 without
    uint32_t ref_count = 0;
    uint32_t lock_count = 0;
    uint32_t fix_count = 0;
    int32_t hw_key = -1;  // set by this layer; selects items in the bulk operations
    // Two words of this layer's own.
    uintptr_t outside_word0 = 0;
    intptr_t outside_word1 = -1;
    // Children: the parent and the counts they forward to (the memory owner's).
    c_item_t *parent = nullptr;
    uint32_t *lock_forward = nullptr;
    uint32_t *fix_forward = nullptr;
    uintptr_t spare = 0;
    c_item_t *alias_target = nullptr;
    c_item_t *first_child = nullptr;
    c_item_t *prev_sibling = nullptr;
    c_item_t *next_sibling = nullptr;

private:
    void fix();
};

// A counted reference to an item. Assignment counts the new item before it releases
// the old one, so assigning the item already held never lets its count touch 0.
class c_item_ptr_t {
public:
    c_item_ptr_t() = default;
    c_item_ptr_t(c_item_t *item) : m_item(item) {
        if (m_item) m_item->add_ref();
    }
    c_item_ptr_t(const c_item_ptr_t &o) : c_item_ptr_t(o.m_item) {}
    ~c_item_ptr_t() { release(); }

    c_item_ptr_t &operator=(c_item_t *item) {
        if (item) item->add_ref();
        c_item_t *old = m_item;
        m_item = item;
        if (old) old->release_ref();
        return *this;
    }
    c_item_ptr_t &operator=(const c_item_ptr_t &o) { return *this = o.m_item; }

    // Drops the reference (the item's last-reference operation at 0) and empties.
    void release() {
        c_item_t *old = m_item;
        m_item = nullptr;
        if (old) old->release_ref();
    }

    c_item_t *get() const { return m_item; }
    c_item_t *operator->() const { return m_item; }
    explicit operator bool() const { return m_item != nullptr; }

private:
    c_item_t *m_item = nullptr;
};

// Holds an item and its data fixed in place for as long as it lives. A reference is
// taken in every case; when the data cannot be loaded the data address stays null
// and only the reference is released at the end.
class QRNSHARED_API c_item_lock_t {
public:
    c_item_lock_t() = default;
    explicit c_item_lock_t(c_item_t *item) { set(item); }
    ~c_item_lock_t() { release(); }
    c_item_lock_t(const c_item_lock_t &) = delete;
    c_item_lock_t &operator=(const c_item_lock_t &) = delete;

    // Releases what is held, then takes the item and fixes its data.
    void set(c_item_t *item);
    // Unfixes (when data is held) and drops the reference.
    void release();

    c_item_t *get_item() const { return m_item; }
    void *get_data() const { return m_data; }

private:
    c_item_t *m_item = nullptr;
    void *m_data = nullptr;
};

}  // namespace quarn
