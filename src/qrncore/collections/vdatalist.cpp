#include "qrncore/collections/vdatalist.h"

#include <cstdlib>

#include "qrncore/collections/list_links.h"
#include "qrncore/system/messages.h"

namespace quarn {

void vdatalist_t::init_mm(size_t data_size, uint32_t nodes_per_chunk, bmem_manager_t *pool) {
    V_ASSERT(data_size <= SIZE_MAX / 2);
    m_pool = pool;
    pool->set_pars(vdatalist_node_t::DATA_OFFSET + data_size, nodes_per_chunk);
}

vdatalist_node_t *vdatalist_t::insert() { return append(nullptr); }

vdatalist_node_t *vdatalist_t::append() { return insert(nullptr); }

vdatalist_node_t *vdatalist_t::find_data(const void *data) const {
    for (vdatalist_node_t *node = m_first; node; node = node->next)
        if (node->data() == data) return node;
    return nullptr;
}

void vdatalist_t::remove_first() { remove_pos(m_first); }

void vdatalist_t::remove_last() { remove_pos(m_last); }

void vdatalist_t::remove_pos(vdatalist_node_t *node) {
    tremove_pos(node);
    m_pool->free(node);
}

void vdatalist_t::remove_all() {
    if (m_count == 0) return;
    list_links::free_all(m_first, m_last, m_pool);
    m_count = 0;
}

vdatalist_node_t *vdatalist_t::tremove_first() {
    vdatalist_node_t *node = m_first;
    tremove_pos(node);
    return node;
}

vdatalist_node_t *vdatalist_t::tremove_last() {
    vdatalist_node_t *node = m_last;
    tremove_pos(node);
    return node;
}

void vdatalist_t::tinsert(vdatalist_node_t *node) { tappend(nullptr, node); }

void vdatalist_t::tappend(vdatalist_node_t *node) { tinsert(nullptr, node); }

void vdatalist_t::minsert(vdatalist_t &other, vdatalist_node_t *node) {
    other.tremove_pos(node);
    tinsert(node);
}

void vdatalist_t::mappend(vdatalist_t &other, vdatalist_node_t *node) {
    other.tremove_pos(node);
    tappend(node);
}

void vdatalist_t::move_to_start(vdatalist_node_t *node) { list_links::move_to_start(m_first, m_last, node); }

void vdatalist_t::move_to_end(vdatalist_node_t *node) { list_links::move_to_end(m_first, m_last, node); }

void vdatalist_t::sort(compare_t cmp) {
    if (m_count < 2) return;
    const uint32_t count = m_count;
    void **array = list_links::alloc_sort_array(count);
    // Detaching from the end fills the array back to front, so it holds list order.
    for (uint32_t i = count; i > 0; --i) array[i - 1] = tremove_last();
    qsort(array, count, sizeof(void *), cmp);
    for (uint32_t i = 0; i < count; ++i) tappend(static_cast<vdatalist_node_t *>(array[i]));
    list_links::free_sort_array(array);
}

}  // namespace quarn
