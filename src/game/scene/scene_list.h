#pragma once
// scene_list_t<T>: the scene's lists of objects it does not own (the update list and
// its pending adds and removes, the owned-unit list, the target list). Each keeps its
// nodes in a pool of its own, 256 nodes to a block, and keeps insertion order. A node
// can fail to come only when the pool cannot supply one; the callers then leave the
// object out and say so in their result.
#include <cstdint>

#include "qrncore/collections/bmem_manager.h"
#include "qrncore/collections/vptrlist.h"

namespace quarn {

// Test hook: the number of nodes the scene's lists may still take, all lists together;
// each node taken counts one down, and at 0 no list gets a node. Negative (the
// default) is no limit.
void scene_list_set_node_budget(int64_t nodes);

class scene_list_base_t {
public:
    static constexpr uint32_t NODES_PER_BLOCK = 256;

    scene_list_base_t();
    ~scene_list_base_t();
    scene_list_base_t(const scene_list_base_t &) = delete;
    scene_list_base_t &operator=(const scene_list_base_t &) = delete;

    uint32_t get_count() const { return m_list.get_count(); }
    bool is_empty() const { return m_list.is_empty(); }
    // Drops every node; the objects are not touched.
    void clear() { m_list.remove_all(); }

protected:
    // The new last node, or null when no node can be had.
    vptrlist_node_t *append_ptr(void *p);
    // The new first node, or null when no node can be had.
    vptrlist_node_t *prepend_ptr(void *p);
    // Unlinks the first node that holds p; false when none does.
    bool remove_ptr(const void *p);
    bool contains_ptr(const void *p) const { return m_list.find_ptr(p) != nullptr; }
    void *take_first_ptr() { return m_list.remove_first(); }
    vptrlist_node_t *first_node() const { return m_list.get_first(); }

private:
    bmem_manager_t m_pool;
    vptrlist_t m_list;
};

template <class T>
class scene_list_t : public scene_list_base_t {
public:
    class iterator {
    public:
        explicit iterator(vptrlist_node_t *node) : m_node(node) {}
        T *operator*() const { return static_cast<T *>(m_node->data); }
        iterator &operator++() {
            m_node = m_node->next;
            return *this;
        }
        bool operator!=(const iterator &o) const { return m_node != o.m_node; }

    private:
        vptrlist_node_t *m_node;
    };

    // Appends the object at the end: the new node, or null when no node can be had.
    vptrlist_node_t *append(T *object) { return append_ptr(object); }
    vptrlist_node_t *prepend(T *object) { return prepend_ptr(object); }
    // Unlinks the first node that holds the object; false when it is not there.
    bool remove(const T *object) { return remove_ptr(object); }
    bool contains(const T *object) const { return contains_ptr(object); }
    // Unlinks the first node and gives its object. The list must not be empty.
    T *take_first() { return static_cast<T *>(take_first_ptr()); }
    T *first() const { return is_empty() ? nullptr : static_cast<T *>(first_node()->data); }

    // In list order. The list must not change while it is walked.
    iterator begin() const { return iterator(first_node()); }
    iterator end() const { return iterator(nullptr); }
};

}  // namespace quarn
