#pragma once
// quarn::list_dyn_t<T>: a circular doubly linked list with its sentinel inside the
// list object and its nodes from a node pool of its own. The first node's previous
// link and the last node's next link point at the sentinel, so an empty list is a
// sentinel pointing at itself. Nodes come from the pool a block at a time and go back
// to it for reuse (last freed, first reused); blocks are freed only with the list.
//
// The element lives in the node. Whenever a node goes back to the pool (remove,
// erase, remove_all, clear) the element's destructor runs, so owned texts are freed
// and a holder releases what it holds.
#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

#include "qrncore/system/host_alloc.h"
#include "qrncore/system/host_object.h"
#include "qrncore/system/messages.h"

namespace quarn {

// The links every node starts with; the sentinel is one of these.
struct list_links_dyn_t {
    list_links_dyn_t *next;
    list_links_dyn_t *prev;
};

template <class T>
struct list_node_dyn_t : list_links_dyn_t {
    T element;
};

// A pool of equal nodes carved from blocks of the host's vector allocation. A block
// is a word pointing at its first node, a word linking to the next block of the
// chain, then the nodes; a free node's first word links to the next free node.
template <class NODE>
class node_pool_t {
    static_assert(alignof(NODE) <= 16, "nodes must not need more than 16-byte alignment");

public:
    explicit node_pool_t(uint32_t nodes_per_block) : m_nodes_per_block(nodes_per_block ? nodes_per_block : 1) {}
    ~node_pool_t() { release_blocks(); }
    node_pool_t(const node_pool_t &) = delete;
    node_pool_t &operator=(const node_pool_t &) = delete;

    // Raw storage for one node: the node freed last, else the first node of a new
    // block linked in front of the chain. Null when the host has no memory.
    NODE *alloc() {
        if (!m_free && !add_block()) return nullptr;
        void *node = m_free;
        m_free = *static_cast<void **>(node);
        return static_cast<NODE *>(node);
    }
    // Puts raw node storage back; the next alloc returns it.
    void free(NODE *node) {
        *reinterpret_cast<void **>(node) = m_free;
        m_free = node;
    }
    // Frees every block of the chain. The free list is left as it is: the pool is
    // being destroyed.
    void release_blocks() {
        while (m_blocks) {
            void *next = static_cast<void **>(m_blocks)[1];
            qrncore_system_delete_vector(m_blocks);
            m_blocks = next;
        }
    }

    uint32_t get_nodes_per_block() const { return m_nodes_per_block; }
    // Bytes of one block: the two header words, padded so the nodes keep their
    // alignment, then the nodes.
    static constexpr size_t HEADER_BYTES = (2 * sizeof(void *) + alignof(NODE) - 1) / alignof(NODE) * alignof(NODE);
    size_t get_block_bytes() const { return HEADER_BYTES + size_t(m_nodes_per_block) * sizeof(NODE); }

private:
    // A new block with its nodes threaded in address order onto the (empty) free list.
    bool add_block() {
        auto *block = static_cast<char *>(qrncore_system_new_vector(get_block_bytes()));
        if (!block) return false;
        char *first = block + HEADER_BYTES;
        auto **header = reinterpret_cast<void **>(block);
        header[0] = first;
        header[1] = m_blocks;
        m_blocks = block;
        for (uint32_t i = 0; i < m_nodes_per_block; ++i) {
            char *node = first + size_t(i) * sizeof(NODE);
            *reinterpret_cast<void **>(node) = i + 1 < m_nodes_per_block ? node + sizeof(NODE) : nullptr;
        }
        m_free = first;
        return true;
    }

    void *m_free = nullptr;
    uint32_t m_nodes_per_block;
    void *m_blocks = nullptr;  // most recent block first
};

// Lists made with new (directory listings handed to callers) come from the host.
template <class T>
class list_dyn_t : public host_object_t {
public:
    using node_t = list_node_dyn_t<T>;

    // A forward and backward walk over the elements, from the sentinel's next round
    // to the sentinel.
    template <bool CONST>
    class basic_iterator_t {
    public:
        using links_t = std::conditional_t<CONST, const list_links_dyn_t, list_links_dyn_t>;
        using reference = std::conditional_t<CONST, const T &, T &>;

        basic_iterator_t() = default;
        explicit basic_iterator_t(links_t *at) : m_at(at) {}
        operator basic_iterator_t<true>() const { return basic_iterator_t<true>(m_at); }

        reference operator*() const { return node()->element; }
        auto *operator->() const { return &node()->element; }
        basic_iterator_t &operator++() {
            m_at = m_at->next;
            return *this;
        }
        basic_iterator_t &operator--() {
            m_at = m_at->prev;
            return *this;
        }
        bool operator==(const basic_iterator_t &o) const { return m_at == o.m_at; }

        // The node under the position (the sentinel at the end).
        links_t *get_links() const { return m_at; }
        auto *node() const {
            using n_t = std::conditional_t<CONST, const node_t, node_t>;
            return static_cast<n_t *>(m_at);
        }

    private:
        links_t *m_at = nullptr;
    };
    using iterator = basic_iterator_t<false>;
    using const_iterator = basic_iterator_t<true>;

    // An empty list whose pool takes nodes_per_block nodes per host allocation.
    explicit list_dyn_t(uint32_t nodes_per_block = 16) : m_pool(nodes_per_block) {
        m_sentinel.next = m_sentinel.prev = &m_sentinel;
    }
    virtual ~list_dyn_t() {
        remove_all();
        m_pool.release_blocks();
    }
    list_dyn_t(const list_dyn_t &) = delete;
    list_dyn_t &operator=(const list_dyn_t &) = delete;

    // New node with the element at the end; null (list unchanged) when no node can be
    // had.
    node_t *append(const T &element) { return link_new(&m_sentinel, element); }
    node_t *append(T &&element) { return link_new(&m_sentinel, std::move(element)); }
    // New node before the position (end() appends); null when no node can be had.
    node_t *insert(iterator position, const T &element) { return link_new(position.get_links(), element); }
    node_t *insert(iterator position, T &&element) { return link_new(position.get_links(), std::move(element)); }

    // Unlinks the first node whose element equals the given one and frees it;
    // nothing when none does.
    void remove(const T &element) {
        for (list_links_dyn_t *at = m_sentinel.next; at != &m_sentinel; at = at->next) {
            if (static_cast<node_t *>(at)->element == element) {
                unlink_and_free(static_cast<node_t *>(at));
                return;
            }
        }
    }
    // Unlinks the node at the position and frees it; the position after it.
    iterator erase(iterator position) {
        list_links_dyn_t *next = position.get_links()->next;
        unlink_and_free(position.node());
        return iterator(next);
    }
    // Unlinks and frees every node from the first on.
    void remove_all() {
        while (m_sentinel.next != &m_sentinel) unlink_and_free(static_cast<node_t *>(m_sentinel.next));
    }
    void clear() { remove_all(); }

    uint32_t get_count() const { return m_count; }
    bool is_empty() const { return m_sentinel.next == &m_sentinel; }
    const list_links_dyn_t *get_sentinel() const { return &m_sentinel; }
    // The first / last element; the list must not be empty.
    T &front() {
        V_ASSERT(!is_empty());
        return static_cast<node_t *>(m_sentinel.next)->element;
    }
    T &back() {
        V_ASSERT(!is_empty());
        return static_cast<node_t *>(m_sentinel.prev)->element;
    }

    iterator begin() { return iterator(m_sentinel.next); }
    iterator end() { return iterator(&m_sentinel); }
    const_iterator begin() const { return const_iterator(m_sentinel.next); }
    const_iterator end() const { return const_iterator(&m_sentinel); }

protected:
    // Raw storage for one node from the list's pool; null when none can be had.
    virtual node_t *alloc_node() { return m_pool.alloc(); }
    // Gives raw node storage back to the pool.
    virtual void free_node(node_t *node) { m_pool.free(node); }

private:
    template <class V>
    node_t *link_new(list_links_dyn_t *before, V &&element) {
        node_t *storage = alloc_node();
        if (!storage) return nullptr;
        auto *node = ::new (static_cast<void *>(storage)) node_t{{before, before->prev}, std::forward<V>(element)};
        before->prev->next = node;
        before->prev = node;
        ++m_count;
        return node;
    }
    void unlink_and_free(node_t *node) {
        node->prev->next = node->next;
        node->next->prev = node->prev;
        --m_count;
        node->~node_t();
        free_node(node);
    }

    uint32_t m_count = 0;
    list_links_dyn_t m_sentinel;
    node_pool_t<node_t> m_pool;
};

// The list of untyped pointers.
using ptr_list_t = list_dyn_t<void *>;

}  // namespace quarn
