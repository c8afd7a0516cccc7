#include "qrncore/collections/vptrlist.h"

#include <cstdlib>

#include "qrncore/collections/list_links.h"

namespace quarn {

void vptrlist_t::init_mm(uint32_t nodes_per_chunk, bmem_manager_t *pool) {
    m_pool = pool;
    pool->set_pars(sizeof(vptrlist_node_t), nodes_per_chunk);
}

vptrlist_node_t *vptrlist_t::new_node(void *p) {
    auto *node = static_cast<vptrlist_node_t *>(m_pool->alloc());
    node->data = p;
    ++m_count;
    return node;
}

void *vptrlist_t::release(vptrlist_node_t *node) {
    list_links::unlink(m_first, m_last, node);
    --m_count;
    void *data = node->data;
    m_pool->free(node);
    return data;
}

vptrlist_node_t *vptrlist_t::insert(void *p) { return append(nullptr, p); }

vptrlist_node_t *vptrlist_t::append(void *p) { return insert(nullptr, p); }

vptrlist_node_t *vptrlist_t::insert(vptrlist_node_t *before, void *p) {
    vptrlist_node_t *node = new_node(p);
    list_links::link_before(m_first, m_last, before, node);
    return node;
}

vptrlist_node_t *vptrlist_t::append(vptrlist_node_t *after, void *p) {
    vptrlist_node_t *node = new_node(p);
    list_links::link_after(m_first, m_last, after, node);
    return node;
}

void vptrlist_t::move_to_start(vptrlist_node_t *node) { list_links::move_to_start(m_first, m_last, node); }

void vptrlist_t::move_to_end(vptrlist_node_t *node) { list_links::move_to_end(m_first, m_last, node); }

void *vptrlist_t::remove_first() { return release(m_first); }

void *vptrlist_t::remove_last() { return release(m_last); }

void *vptrlist_t::remove_pos(vptrlist_node_t *node) { return release(node); }

void vptrlist_t::remove_all() {
    if (m_count == 0) return;
    list_links::free_all(m_first, m_last, m_pool);
    m_count = 0;
}

vptrlist_node_t *vptrlist_t::find_ptr(const void *p, vptrlist_node_t *start) const {
    for (vptrlist_node_t *node = start ? start : m_first; node; node = node->next)
        if (node->data == p) return node;
    return nullptr;
}

void vptrlist_t::minsert_all(vptrlist_t &other) {
    if (other.m_count == 0) return;
    list_links::splice_front(m_first, m_last, other.m_first, other.m_last);
    m_count += other.m_count;
    other.m_count = 0;
}

void vptrlist_t::mappend_all(vptrlist_t &other) {
    if (other.m_count == 0) return;
    list_links::splice_back(m_first, m_last, other.m_first, other.m_last);
    m_count += other.m_count;
    other.m_count = 0;
}

void vptrlist_t::sort(compare_t cmp) {
    if (m_count < 2) return;
    void **array = list_links::alloc_sort_array(m_count);
    size_t i = 0;
    for (vptrlist_node_t *node = m_first; node; node = node->next) array[i++] = node;
    qsort(array, m_count, sizeof(void *), cmp);
    for (i = 0; i < m_count; ++i) array[i] = static_cast<vptrlist_node_t *>(array[i])->data;
    i = 0;
    for (vptrlist_node_t *node = m_first; node; node = node->next) node->data = array[i++];
    list_links::free_sort_array(array);
}

}  // namespace quarn
