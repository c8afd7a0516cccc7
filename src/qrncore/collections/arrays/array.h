#pragma once
// quarn::array_t<T>: the engine's array. Contiguous elements with a 32-bit count;
// every index and iterator is checked against the count, and growth is decided by
// the virtual capacity operations, so one interface serves heap storage
// (array_dyn_t) and storage inside the object (array_fix_t).
//
// Growth that cannot be had (no memory, a full fixed array, a count that would pass
// 2^32 - 1) leaves the array unchanged and is reported by a null or false result.
// A bad index or iterator is a programming error and aborts.
//
// Iterators are positions (an index into a given array), not addresses, so that
// remove can hand back the position before element 0: a loop that advances its
// iterator after a removal then visits the element that moved into the gap.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "qrncore/collections/arrays/array_check.h"
#include "qrncore/collections/arrays/array_element.h"
#include "qrncore/strings/mstring.h"
#include "qrncore/strings/string.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/host_object.h"

namespace quarn {

// Arrays made with new (arrays handed to callers) come from the host.
template <class T>
class array_t : public host_object_t {
    template <bool CONST>
    class basic_iterator_t;

public:
    using value_type = T;
    using iterator = basic_iterator_t<false>;
    using const_iterator = basic_iterator_t<true>;

    virtual ~array_t() = default;
    array_t(const array_t &) = delete;
    array_t &operator=(const array_t &) = delete;

    // Fits the storage to the count, where the storage form allows it.
    virtual void shrink() {}
    // Elements the storage holds without growing.
    virtual uint32_t get_capacity() const = 0;
    // Makes room for at least n elements; false when the storage cannot.
    virtual bool request_capacity(uint32_t n) {
        (void)n;
        return false;
    }
    // Room for get_capacity() + extra elements; true at once for 0.
    virtual bool expand(uint32_t extra) {
        if (extra == 0) return true;
        const uint32_t capacity = get_capacity();
        if (extra > UINT32_MAX - capacity) return false;
        return request_capacity(capacity + extra);
    }

    uint32_t get_count() const { return m_count; }
    bool is_empty() const { return m_count == 0; }
    T *get_data() { return m_data; }
    const T *get_data() const { return m_data; }

    // The element at index; aborts when index >= count.
    T &operator[](uint32_t index) {
        check_index(index, __LINE__);
        return m_data[index];
    }
    const T &operator[](uint32_t index) const {
        check_index(index, __LINE__);
        return m_data[index];
    }

    // Assigns the value to the element at index (checked); returns its address.
    T *set(uint32_t index, const T &value) {
        check_index(index, __LINE__);
        m_data[index] = value;
        return m_data + index;
    }
    T *set(uint32_t index, T &&value) {
        check_index(index, __LINE__);
        m_data[index] = std::move(value);
        return m_data + index;
    }
    // Assigns the value to the element at the iterator (checked); returns it.
    iterator assign(iterator at, const T &value) {
        check_iterator(at, __LINE__);
        m_data[at.m_index] = value;
        return at;
    }
    iterator assign(iterator at, T &&value) {
        check_iterator(at, __LINE__);
        m_data[at.m_index] = std::move(value);
        return at;
    }

    // Adds the value at the end; its address, or null when the array cannot grow.
    T *append(const T &value) { return put_at(m_count, value); }
    T *append(T &&value) { return put_at(m_count, std::move(value)); }

    // Puts the value before the element at index (index < count: adding at the end
    // is append's job); its address, or null when the array cannot grow.
    T *insert(uint32_t index, const T &value) {
        check_index(index, __LINE__);
        return put_at(index, value);
    }
    T *insert(uint32_t index, T &&value) {
        check_index(index, __LINE__);
        return put_at(index, std::move(value));
    }
    // Puts the value after the element at index (index < count).
    T *insert_after(uint32_t index, const T &value) {
        check_index(index, __LINE__);
        return put_at(index + 1, value);
    }
    T *insert_after(uint32_t index, T &&value) {
        check_index(index, __LINE__);
        return put_at(index + 1, std::move(value));
    }

    // Appends n default elements; false when the array cannot grow.
    bool grow(uint32_t n) {
        if (!make_room(n)) return false;
        for (uint32_t i = 0; i < n; ++i) {
            array_detail::make_default(m_data + m_count);
            ++m_count;
        }
        return true;
    }
    // Moves the elements from index on up by one and puts a default element at index
    // (index <= count); false when the array cannot grow.
    bool open_slot(uint32_t index) {
        if (index > m_count) array_index_check_failed(__LINE__);
        if (!make_room(1)) return false;
        open_raw(index);
        array_detail::make_default(m_data + index);
        return true;
    }
    // Moves the elements from index to count - 2 up by one slot, over the last one,
    // and leaves a default element at index (used after grow by one).
    void shift_up(uint32_t index) {
        check_index(index, __LINE__);
        array_detail::destroy(m_data + m_count - 1);
        array_detail::relocate_n(m_data + index + 1, m_data + index, m_count - 1 - index);
        array_detail::make_default(m_data + index);
    }

    // Removes the element at index; the later ones move down and the storage stays.
    // Returns the position before the removed element (index - 1, which is before
    // the first element when index is 0), so that advancing it visits the element
    // that moved into the gap.
    iterator remove(uint32_t index) {
        check_index(index, __LINE__);
        array_detail::destroy(m_data + index);
        array_detail::relocate_n(m_data + index, m_data + index + 1, m_count - index - 1);
        --m_count;
        return iterator(this, int64_t(index) - 1);
    }
    iterator remove(iterator at) {
        check_iterator(at, __LINE__);
        return remove(uint32_t(at.m_index));
    }

    // Ends every element from the last to the first; the storage stays.
    void clear() {
        while (m_count) array_detail::destroy(m_data + --m_count);
    }

    // Above the count: appends default elements (false when the array cannot grow);
    // below it: ends the surplus from the last element down.
    bool set_size(uint32_t n) {
        if (n > m_count) return grow(n - m_count);
        while (m_count > n) array_detail::destroy(m_data + --m_count);
        return true;
    }

    // Appends copies of every element of other with one growth; true for an empty
    // source, false (nothing appended) when the array cannot grow. other may be this
    // array.
    bool append_array(const array_t &other) {
        const uint32_t n = other.m_count;
        if (n == 0) return true;
        if (!make_room(n)) return false;
        // other.m_data is read after the growth: it is our new storage when other is us.
        if constexpr (array_detail::IS_PLAIN<T>) {
            memcpy(static_cast<void *>(m_data + m_count), static_cast<const void *>(other.m_data),
                   size_t(n) * sizeof(T));
            m_count += n;
        } else {
            for (uint32_t i = 0; i < n; ++i) {
                ::new (static_cast<void *>(m_data + m_count)) T(other.m_data[i]);
                ++m_count;
            }
        }
        return true;
    }
    // The same, moving the elements of other in; other keeps its count, its elements
    // left as their type leaves a moved-from value (an empty holder, an empty text).
    bool append_array(array_t &&other) {
        const uint32_t n = other.m_count;
        if (n == 0) return true;
        if (!make_room(n)) return false;
        for (uint32_t i = 0; i < n; ++i) {
            ::new (static_cast<void *>(m_data + m_count)) T(std::move(other.m_data[i]));
            ++m_count;
        }
        return true;
    }

    // Copies every element, in order, to dst (count elements of room); the count.
    uint32_t copy_to(T *dst) const {
        if constexpr (array_detail::IS_PLAIN<T>) {
            if (m_count) memcpy(static_cast<void *>(dst), static_cast<const void *>(m_data), size_t(m_count) * sizeof(T));
        } else {
            for (uint32_t i = 0; i < m_count; ++i) dst[i] = m_data[i];
        }
        return m_count;
    }

    // Arrays of object pointers: deletes every object (made with new), from the last
    // to the first, and empties the array.
    void delete_all()
        requires std::is_pointer_v<T>
    {
        while (m_count) {
            T object = m_data[--m_count];
            delete object;
        }
    }

    // Arrays of owned texts: ascending byte-wise order (case-sensitive; not stable).
    // The texts are handed from slot to slot, never copied. False, with the order
    // unchanged, when the host has no memory for the two work blocks.
    bool sort()
        requires std::is_base_of_v<mstring_t, T>
    {
        if (m_count < 2) return true;
        auto **order = static_cast<T **>(qrncore_system_new_vector(size_t(m_count) * sizeof(T *)));
        if (!order) return false;
        T *sorted = static_cast<T *>(qrncore_system_new_vector(size_t(m_count) * sizeof(T)));
        if (!sorted) {
            qrncore_system_delete_vector(order);
            return false;
        }
        for (uint32_t i = 0; i < m_count; ++i) order[i] = m_data + i;
        qsort(order, m_count, sizeof(T *), [](const void *a, const void *b) {
            return strcmp((*static_cast<T *const *>(a))->c_str(), (*static_cast<T *const *>(b))->c_str());
        });
        for (uint32_t i = 0; i < m_count; ++i) array_detail::relocate(sorted + i, order[i]);
        array_detail::relocate_n(m_data, sorted, m_count);
        qrncore_system_delete_vector(sorted);
        qrncore_system_delete_vector(order);
        return true;
    }

    // Byte arrays: appends the bytes of the text (no terminator) with one growth;
    // false, nothing appended, when the array cannot grow.
    bool append_string(const string &text)
        requires(sizeof(T) == 1 && std::is_integral_v<T>)
    {
        const size_t n = text.length();
        if (n > UINT32_MAX || !make_room(uint32_t(n))) return false;
        memcpy(m_data + m_count, text.c_str(), n);
        m_count += uint32_t(n);
        return true;
    }
    // Byte arrays: copies every byte to buf; the count.
    uint32_t copy_out(void *buf) const
        requires(sizeof(T) == 1 && std::is_integral_v<T>)
    {
        if (m_count) memcpy(buf, m_data, m_count);
        return m_count;
    }

    iterator begin() { return iterator(this, 0); }
    iterator end() { return iterator(this, m_count); }
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, m_count); }
    // The position of index (not checked until used).
    iterator position(int64_t index) { return iterator(this, index); }

protected:
    array_t() = default;
    explicit array_t(T *data) : m_data(data) {}

    // Moves every element to raw storage dst (not overlapping ours); our slots are
    // raw afterwards and the count stays.
    void relocate_all_to(T *dst) { array_detail::relocate_n(dst, m_data, m_count); }

    T *m_data = nullptr;
    uint32_t m_count = 0;

private:
    template <bool CONST>
    class basic_iterator_t {
    public:
        using owner_t = std::conditional_t<CONST, const array_t, array_t>;
        using value_type = T;
        using reference = std::conditional_t<CONST, const T &, T &>;
        using pointer = std::conditional_t<CONST, const T *, T *>;
        using difference_type = int64_t;

        basic_iterator_t() = default;
        basic_iterator_t(owner_t *owner, int64_t index) : m_owner(owner), m_index(index) {}
        operator basic_iterator_t<true>() const { return basic_iterator_t<true>(m_owner, m_index); }

        // The element; aborts when the position is not one of the array's elements.
        reference operator*() const { return *element(); }
        pointer operator->() const { return element(); }

        basic_iterator_t &operator++() {
            ++m_index;
            return *this;
        }
        basic_iterator_t &operator--() {
            --m_index;
            return *this;
        }
        basic_iterator_t operator++(int) { return basic_iterator_t(m_owner, m_index++); }
        basic_iterator_t operator--(int) { return basic_iterator_t(m_owner, m_index--); }
        basic_iterator_t &operator+=(int64_t n) {
            m_index += n;
            return *this;
        }
        basic_iterator_t operator+(int64_t n) const { return basic_iterator_t(m_owner, m_index + n); }
        basic_iterator_t operator-(int64_t n) const { return basic_iterator_t(m_owner, m_index - n); }
        int64_t operator-(const basic_iterator_t &o) const { return m_index - o.m_index; }
        bool operator==(const basic_iterator_t &o) const { return m_index == o.m_index && m_owner == o.m_owner; }
        bool operator<(const basic_iterator_t &o) const { return m_index < o.m_index; }

        int64_t index() const { return m_index; }

    private:
        friend class array_t;
        pointer element() const {
            if (!m_owner || m_index < 0 || m_index >= int64_t(m_owner->m_count)) array_iterator_check_failed(__LINE__);
            return m_owner->m_data + m_index;
        }

        owner_t *m_owner = nullptr;
        int64_t m_index = 0;
    };

    void check_index(uint32_t index, unsigned line) const {
        if (index >= m_count) array_index_check_failed(line);
    }
    void check_iterator(const_iterator at, unsigned line) const {
        if (at.m_owner != this || at.m_index < 0 || at.m_index >= int64_t(m_count)) array_iterator_check_failed(line);
    }

    // True when p lies in our elements.
    bool holds(const void *p) const {
        const auto a = reinterpret_cast<uintptr_t>(p), b = reinterpret_cast<uintptr_t>(m_data);
        return m_data && a >= b && a - b < size_t(m_count) * sizeof(T);
    }

    // Room for count + extra elements: expand by the shortfall only when the capacity
    // is below it.
    bool make_room(uint32_t extra) {
        if (extra > UINT32_MAX - m_count) return false;
        const uint32_t want = m_count + extra;
        const uint32_t capacity = get_capacity();
        return want <= capacity || expand(want - capacity);
    }

    // Moves the elements from index on up by one and counts the slot at index, which
    // is left raw. Room must have been made.
    void open_raw(uint32_t index) {
        array_detail::relocate_n(m_data + index + 1, m_data + index, m_count - index);
        ++m_count;
    }

    // Constructs the value in a new slot at index (index <= count).
    template <class V>
    T *put_at(uint32_t index, V &&value) {
        // A value that is one of our elements would move under our feet when the
        // storage grows or the slot opens: take it out first.
        if (holds(std::addressof(value))) {
            T copy(std::forward<V>(value));
            return put_at(index, std::move(copy));
        }
        if (!make_room(1)) return nullptr;
        open_raw(index);
        ::new (static_cast<void *>(m_data + index)) T(std::forward<V>(value));
        return m_data + index;
    }
};

}  // namespace quarn
