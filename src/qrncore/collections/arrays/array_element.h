#pragma once
// How an array constructs, moves and destroys its elements. Arrays keep their
// elements in raw storage and move them whenever storage is re-laid out (growth,
// insertion, removal, sorting); these helpers decide what such a move means for each
// element kind:
// - plain values (trivially copyable: numbers, pointers, vectors, matrices,
//   quaternions, placements, planes, spheres, boxes) move as bytes;
// - unit holders move, default and release through unit_holder_trait_t below, which
//   the unit holders specialise;
// - everything else (owned texts, records with a virtual destructor) moves through
//   its own move constructor and is then destroyed where it was. An owned text's move
//   constructor hands its buffer over, so the text is never copied.
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace quarn {

// The seam between the arrays and the unit holders. An array of holders H keeps each
// holder's reference alive while it moves the holder between slots and releases it
// when the slot goes away, without knowing how units are counted. A holder type opts
// in by specialising this template:
//
//   template <> struct unit_holder_trait_t<my_holder_t> {
//       static constexpr bool IS_UNIT_HOLDER = true;
//       // Constructs a holder of no unit in raw storage (grow, set_size).
//       static void make_null(my_holder_t *slot);
//       // Constructs *dst (raw storage) holding the unit of *src and leaves *src as raw
//       // storage; the reference travels with the unit (storage moves, shifts).
//       static void transfer(my_holder_t *dst, my_holder_t *src);
//       // Releases the held unit as the holder's own release does and leaves the slot
//       // as raw storage (clear, remove, set_size below the count, destruction).
//       static void release(my_holder_t *slot);
//   };
//
// Putting a value into an array (append, insert, set, assign, append_array) uses the
// holder's own constructors and assignments, so those count as the holder defines.
template <class H>
struct unit_holder_trait_t {
    static constexpr bool IS_UNIT_HOLDER = false;
};

namespace array_detail {

template <class T>
inline constexpr bool IS_HOLDER = unit_holder_trait_t<T>::IS_UNIT_HOLDER;
template <class T>
inline constexpr bool IS_PLAIN = !IS_HOLDER<T> && std::is_trivially_copyable_v<T>;

// A default element in raw storage: a holder of no unit, or the type's default value
// (zero for numbers and pointers, the identity for rotations).
template <class T>
inline void make_default(T *slot) {
    if constexpr (IS_HOLDER<T>) unit_holder_trait_t<T>::make_null(slot);
    else ::new (static_cast<void *>(slot)) T();
}

// Ends the element; the slot is raw storage afterwards.
template <class T>
inline void destroy(T *slot) {
    if constexpr (IS_HOLDER<T>) unit_holder_trait_t<T>::release(slot);
    else if constexpr (!std::is_trivially_destructible_v<T>) slot->~T();
}

// Moves *src into raw *dst; *src is raw storage afterwards.
template <class T>
inline void relocate(T *dst, T *src) {
    if constexpr (IS_HOLDER<T>) {
        unit_holder_trait_t<T>::transfer(dst, src);
    } else if constexpr (IS_PLAIN<T>) {
        memcpy(static_cast<void *>(dst), static_cast<const void *>(src), sizeof(T));
    } else {
        ::new (static_cast<void *>(dst)) T(std::move(*src));
        src->~T();
    }
}

// Moves n elements from src to dst, which may overlap src in either direction.
template <class T>
inline void relocate_n(T *dst, T *src, uint32_t n) {
    if (n == 0 || dst == src) return;
    if constexpr (IS_PLAIN<T>) {
        memmove(static_cast<void *>(dst), static_cast<const void *>(src), size_t(n) * sizeof(T));
    } else {
        // Front to back unless dst overlaps the end of src (a move up by a few slots).
        const auto d = reinterpret_cast<uintptr_t>(dst), s = reinterpret_cast<uintptr_t>(src);
        if (d < s || d - s >= size_t(n) * sizeof(T)) {
            for (uint32_t i = 0; i < n; ++i) relocate(dst + i, src + i);
        } else {
            for (uint32_t i = n; i-- > 0;) relocate(dst + i, src + i);
        }
    }
}

}  // namespace array_detail

}  // namespace quarn
