#pragma once
// quarn::map_t<K, V>: a small associative container: keys and values in two parallel
// heap arrays, found by a linear scan. Meant for maps of a few entries (no hashing, no
// order); keys are compared as values and neither counted nor owned. The value of
// keys[i] is values[i], and keys are unique.
#include <cstdint>

#include "qrncore/collections/arrays/array_dyn.h"

namespace quarn {

template <class K, class V>
class map_t {
public:
    map_t() = default;
    // Frees the storage of both arrays.
    virtual ~map_t() = default;
    map_t(const map_t &) = delete;
    map_t &operator=(const map_t &) = delete;

    // The key's index, or -1 when absent.
    int32_t index_of(const K &key) const {
        const uint32_t n = m_keys.get_count();
        const K *keys = m_keys.get_data();
        for (uint32_t i = 0; i < n; ++i)
            if (keys[i] == key) return int32_t(i);
        return -1;
    }

    // Adds the pair; false, changing nothing, when the key is present or the arrays
    // cannot grow (a key whose value could not be added is taken out again).
    virtual bool insert(const K &key, const V &value) {
        if (index_of(key) >= 0) return false;
        if (!m_keys.append(key)) return false;
        if (!m_values.append(value)) {
            m_keys.remove(m_keys.get_count() - 1);
            return false;
        }
        return true;
    }
    virtual bool contains(const K &key) const { return index_of(key) >= 0; }
    // The key's value, or null. The index is checked against the values, so a pair of
    // arrays out of step aborts instead of reading past the values.
    virtual V *get(const K &key) {
        const int32_t i = index_of(key);
        return i < 0 ? nullptr : &m_values[uint32_t(i)];
    }
    const V *get(const K &key) const { return const_cast<map_t *>(this)->get(key); }
    // Overwrites the key's value; false when the key is absent.
    virtual bool set(const K &key, const V &value) {
        V *v = get(key);
        if (!v) return false;
        *v = value;
        return true;
    }
    // Removes the pair (later pairs move down); false when the key is absent.
    virtual bool remove(const K &key) {
        const int32_t i = index_of(key);
        if (i < 0) return false;
        m_values.remove(uint32_t(i));
        m_keys.remove(uint32_t(i));
        return true;
    }
    // Empties both arrays; their storage stays.
    virtual void clear() {
        m_keys.clear();
        m_values.clear();
    }

    uint32_t get_count() const { return m_keys.get_count(); }
    const array_dyn_t<K> &get_keys() const { return m_keys; }
    const array_dyn_t<V> &get_values() const { return m_values; }

private:
    array_dyn_t<K> m_keys;
    array_dyn_t<V> m_values;
};

}  // namespace quarn
