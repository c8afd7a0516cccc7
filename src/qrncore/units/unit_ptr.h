#pragma once
// The unit holders, one pointer word each, which decide when a unit is counted,
// destroyed and handed to the garbage list:
// - owner_ptr_t<T>: owns the unit (count + 1, owned flag); letting go destroys it.
// - owner_ptr_ret_t<T>: carries a unit that nothing counts out of a function and into
//   an owner; a carrier dropped with its unit still in it disposes of the unit.
// - ref_ptr_t<T>: counts the unit without owning it.
// Null means no unit everywhere. A unit that is no longer alive is never handed on by
// a move or a copy (the destination gets null), and the count it had is released, so
// that it still reaches the garbage list.
#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

#include "qrncore/collections/arrays/array_element.h"
#include "qrncore/units/unit_base.h"

namespace quarn {

template <class T>
class owner_ptr_t;

template <class T>
class owner_ptr_ret_t {
public:
    owner_ptr_ret_t() = default;
    owner_ptr_ret_t(std::nullptr_t) {}
    // Carries a unit that no counted pointer holds yet (a freshly created one).
    explicit owner_ptr_ret_t(T *unit) : m_unit(unit) {}
    owner_ptr_ret_t(owner_ptr_ret_t &&o) noexcept : m_unit(o.take_base()) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U *, T *>>>
    owner_ptr_ret_t(owner_ptr_ret_t<U> &&o) noexcept : m_unit(o.take_base()) {}
    // Gives the owner's unit up into the carrier (see owner_ptr_t::release).
    template <class U, class = std::enable_if_t<std::is_convertible_v<U *, T *>>>
    owner_ptr_ret_t(owner_ptr_t<U> &owner) : m_unit(owner.release().take_base()) {}
    owner_ptr_ret_t(const owner_ptr_ret_t &) = delete;
    owner_ptr_ret_t &operator=(const owner_ptr_ret_t &) = delete;
    owner_ptr_ret_t &operator=(owner_ptr_ret_t &&o) noexcept {
        if (this != &o) {
            drop();
            m_unit = o.take_base();
        }
        return *this;
    }
    ~owner_ptr_ret_t() { drop(); }

    T *get() const { return static_cast<T *>(m_unit); }
    T *operator->() const { return get(); }
    T &operator*() const { return *get(); }
    explicit operator bool() const { return m_unit != nullptr; }

    // Hands the unit out uncounted and empties the carrier; the caller must give it to
    // an owner (or dispose of it).
    T *take() { return static_cast<T *>(take_base()); }
    unit_base_t *take_base() {
        unit_base_t *u = m_unit;
        m_unit = nullptr;
        return u;
    }

private:
    void drop() {
        unit_base_t *u = take_base();
        if (u) u->dispose_unowned();
    }

    unit_base_t *m_unit = nullptr;
};

// What owners and references share: the pointer word, access to the unit, and the
// source side of a move.
template <class T>
class unit_ptr_base_t {
public:
    T *get() const { return static_cast<T *>(m_unit); }
    unit_base_t *get_base() const { return m_unit; }
    T *operator->() const { return get(); }
    T &operator*() const { return *get(); }
    explicit operator bool() const { return m_unit != nullptr; }
    bool operator==(const unit_base_t *u) const { return m_unit == u; }

    // The source side of a move: the holder ends empty; an alive unit keeps its count
    // (and an owner's owned flag) for the destination, a dead one has its count
    // released and gives null.
    unit_base_t *take_for_move() {
        unit_base_t *u = exchange(nullptr);
        if (u && !u->is_alive()) {
            // Its count is lowered all the same, or the unit would never reach the
            // garbage list.
            u->release_ref();
            return nullptr;
        }
        return u;
    }

protected:
    unit_ptr_base_t() = default;
    explicit unit_ptr_base_t(unit_base_t *unit) : m_unit(unit) {}
    ~unit_ptr_base_t() = default;

    // Puts unit in the word; returns the unit held before.
    unit_base_t *exchange(unit_base_t *unit) { return std::exchange(m_unit, unit); }

    unit_base_t *m_unit = nullptr;
};

template <class T>
class owner_ptr_t : public unit_ptr_base_t<T> {
    using base_t = unit_ptr_base_t<T>;
    using base_t::m_unit;

public:
    owner_ptr_t() = default;
    owner_ptr_t(std::nullptr_t) {}
    // Holds a plain unit pointer: count + 1, owned flag set.
    explicit owner_ptr_t(T *unit) : base_t(owned(unit)) {}
    // Takes the carried unit (no alive test): count + 1, owned flag set.
    template <class U, class = std::enable_if_t<std::is_convertible_v<U *, T *>>>
    owner_ptr_t(owner_ptr_ret_t<U> &&carrier) : base_t(owned(carrier.take_base())) {}
    owner_ptr_t(owner_ptr_t &&o) : base_t(o.take_for_move()) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U *, T *>>>
    owner_ptr_t(owner_ptr_t<U> &&o) : base_t(o.take_for_move()) {}
    owner_ptr_t(const owner_ptr_t &) = delete;
    owner_ptr_t &operator=(const owner_ptr_t &) = delete;
    ~owner_ptr_t() { reset(); }

    // Owner release of the current unit, then takes the carried one.
    template <class U, class = std::enable_if_t<std::is_convertible_v<U *, T *>>>
    owner_ptr_t &operator=(owner_ptr_ret_t<U> &&carrier) {
        unit_base_t *u = carrier.take_base();
        if (u == m_unit) return *this;  // the carrier claimed the unit held here: keep it
        reset();
        m_unit = owned(u);
        return *this;
    }
    // Owner release of the current unit, then takes the source's unit (null when the
    // source's unit is not alive); the source ends empty.
    owner_ptr_t &operator=(owner_ptr_t &&o) {
        if (this != &o) {
            reset();
            m_unit = o.take_for_move();
        }
        return *this;
    }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U *, T *>>>
    owner_ptr_t &operator=(owner_ptr_t<U> &&o) {
        reset();
        m_unit = o.take_for_move();
        return *this;
    }
    owner_ptr_t &operator=(std::nullptr_t) {
        reset();
        return *this;
    }

    // Owner release: destroys the unit and drops its count; the owner ends empty.
    void reset() { disown(this->exchange(nullptr)); }
    // Holds another plain unit pointer: the new one is counted before the old one is
    // released; holding the unit already held changes nothing.
    void reset(T *unit) {
        if (unit == this->get()) return;
        disown(this->exchange(owned(unit)));
    }
    // Gives the unit up without destroying it: count - 1 and owned flag cleared, the
    // unit goes to the carrier. A unit no longer alive gives an empty carrier (its
    // count is released).
    owner_ptr_ret_t<T> release() {
        unit_base_t *u = this->exchange(nullptr);
        if (!u) return {};
        if (!u->is_alive()) {
            u->release_ref();
            return {};
        }
        u->hand_over();
        return owner_ptr_ret_t<T>(static_cast<T *>(u));
    }

private:
    // Count + 1 and owned flag set (nothing for null); returns the unit.
    static unit_base_t *owned(unit_base_t *unit) {
        if (unit) unit->take_owned();
        return unit;
    }
    // Owner release of a unit taken out of the word (nothing for null).
    static void disown(unit_base_t *unit) {
        if (unit) unit->release_owned();
    }
};

template <class T>
class ref_ptr_t : public unit_ptr_base_t<T> {
    using base_t = unit_ptr_base_t<T>;
    using base_t::m_unit;

public:
    ref_ptr_t() = default;
    ref_ptr_t(std::nullptr_t) {}
    // Counts the unit (alive or not).
    ref_ptr_t(T *unit) : base_t(counted(unit)) {}
    // Counts the source's unit when it is alive; null otherwise.
    ref_ptr_t(const ref_ptr_t &o) : base_t(counted(o.alive_or_null())) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U *, T *>>>
    ref_ptr_t(const ref_ptr_t<U> &o) : base_t(counted(o.alive_or_null())) {}
    // Takes the source's count over; a unit no longer alive gives null.
    ref_ptr_t(ref_ptr_t &&o) : base_t(o.take_for_move()) {}
    ~ref_ptr_t() { reset(); }

    // The new unit is counted before the old one is released, so assigning the unit
    // already held never lets its count touch 0.
    ref_ptr_t &operator=(T *unit) {
        uncount(this->exchange(counted(unit)));
        return *this;
    }
    // As above with the source's unit when it is alive; null otherwise, and nothing
    // counted, since nothing would ever lower that count.
    ref_ptr_t &operator=(const ref_ptr_t &o) {
        uncount(this->exchange(counted(o.alive_or_null())));
        return *this;
    }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U *, T *>>>
    ref_ptr_t &operator=(const ref_ptr_t<U> &o) {
        uncount(this->exchange(counted(o.alive_or_null())));
        return *this;
    }
    ref_ptr_t &operator=(ref_ptr_t &&o) {
        if (this != &o) uncount(this->exchange(o.take_for_move()));
        return *this;
    }
    ref_ptr_t &operator=(std::nullptr_t) {
        reset();
        return *this;
    }

    // Reference release: the count drops, the unit goes to the garbage list at 0.
    void reset() { uncount(this->exchange(nullptr)); }

    unit_base_t *alive_or_null() const { return m_unit && m_unit->is_alive() ? m_unit : nullptr; }

private:
    // Count + 1 (nothing for null); returns the unit.
    static unit_base_t *counted(unit_base_t *unit) {
        if (unit) unit->add_ref();
        return unit;
    }
    // Reference release of a unit taken out of the word (nothing for null).
    static void uncount(unit_base_t *unit) {
        if (unit) unit->release_ref();
    }
};

// Arrays of holders: a new slot holds no unit, a move takes the unit and its count
// along (a unit no longer alive becomes null and its count is released), and a slot
// that goes away releases its unit as the holder's own release does: owners destroy,
// references only count down.
template <class H>
struct unit_ptr_holder_trait_t {
    static constexpr bool IS_UNIT_HOLDER = true;
    static void make_null(H *slot) { ::new (static_cast<void *>(slot)) H(); }
    static void transfer(H *dst, H *src) {
        ::new (static_cast<void *>(dst)) H(std::move(*src));
        src->~H();
    }
    static void release(H *slot) { slot->~H(); }
};

template <class T>
struct unit_holder_trait_t<owner_ptr_t<T>> : unit_ptr_holder_trait_t<owner_ptr_t<T>> {};
template <class T>
struct unit_holder_trait_t<ref_ptr_t<T>> : unit_ptr_holder_trait_t<ref_ptr_t<T>> {};

// The unit as a T when its class is T's class or derives from it; null otherwise (and
// for null). A proxy is not taken for a T.
template <class T>
T *unit_cast(unit_base_t *unit) {
    return unit && unit->is_kind_of(T::unit_descriptor) ? static_cast<T *>(unit) : nullptr;
}

// The carried unit as a T; a unit of another class is disposed of and the result is
// empty.
template <class T>
owner_ptr_ret_t<T> unit_cast(owner_ptr_ret_t<unit_base_t> &&carrier) {
    T *unit = unit_cast<T>(carrier.get());
    if (!unit) {
        carrier = owner_ptr_ret_t<unit_base_t>();
        return {};
    }
    carrier.take_base();
    return owner_ptr_ret_t<T>(unit);
}

}  // namespace quarn
