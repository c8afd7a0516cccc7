#include "game/visuals/models/model_geom.h"

#include <cstring>

#include "game/visuals/models/model_file.h"
#include "kernel/gfx/gfx.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(model_geom_u, "model_geom");

namespace {

// The renderer made the buffer's memory: the block comes again from the file image.
void fill_vertices(r_buffer_t *buffer, void *memory) {
    const model_geom_u *geom = static_cast<const model_geom_u *>(buffer->owner);
    if (!geom || !geom->is_ready()) return;
    const uint64_t size = geom->view().get_vertex_block_size();
    memcpy(memory, geom->view().get_vertex_block(), size < buffer->size ? size_t(size) : buffer->size);
}

void fill_indices(r_buffer_t *buffer, void *memory) {
    const model_geom_u *geom = static_cast<const model_geom_u *>(buffer->owner);
    if (!geom || !geom->is_ready()) return;
    const uint64_t size = geom->view().get_index_block_size();
    memcpy(memory, geom->view().get_index_block(), size < buffer->size ? size_t(size) : buffer->size);
}

}  // namespace

model_geom_u::~model_geom_u() { free_buffers(); }

bool model_geom_u::load_memory() {
    if (!model_file_load(*this, m_view)) return false;
    m_bones.clear();
    if (!m_bones.request_capacity(m_view.get_bone_count())) {
        error("[model] No memory for the bones of '%s'", m_view.get_path());
        model_file_unload(*this, m_view);
        return false;
    }
    for (uint32_t i = 0; i < m_view.get_bone_count(); ++i) m_bones.append(m_view.get_bone(i));
    return true;
}

void model_geom_u::unload_memory() {
    // Static instances fix the item while they use its buffers, so this runs only
    // when none is left; whatever still exists goes with the data it was filled from.
    free_buffers();
    m_bones.clear();
    model_file_unload(*this, m_view);
}

void model_geom_u::post_move(void *, void *new_data) { m_view.rebase(new_data); }

bool model_geom_u::bind_item(c_item_t *item) {
    return resource_unit_u::bind_item(item) && model_file_bind(item);
}

void model_geom_u::unbind_item(c_item_t *item) {
    if (item && item == get_item()) {
        unload_memory();
        model_lib_unlock();
    }
    resource_unit_u::unbind_item(item);
}

bool model_geom_u::acquire_buffers(r_buffer_t **vertices, r_buffer_t **indices) {
    if (!m_view.is_open()) return false;
    if (!m_vertex_buffer) {
        const uint64_t vsize = m_view.get_vertex_block_size();
        const uint64_t isize = m_view.get_index_block_size();
        if (vsize > UINT32_MAX || isize > UINT32_MAX) {
            error("[model] The blocks of '%s' are too large for render buffers", m_view.get_path());
            return false;
        }
        m_vertex_buffer = gfx_alloc_buffer(MODEL_VERTEX_BUFFER_KIND, uint32_t(vsize));
        m_index_buffer = gfx_alloc_buffer(MODEL_INDEX_BUFFER_KIND, uint32_t(isize));
        if (!m_vertex_buffer || !m_index_buffer) {
            free_buffers();
            return false;
        }
        gfx_buffer_set_fill(m_vertex_buffer, fill_vertices, this);
        gfx_buffer_set_fill(m_index_buffer, fill_indices, this);
    }
    ++m_buffer_users;
    *vertices = m_vertex_buffer;
    *indices = m_index_buffer;
    return true;
}

void model_geom_u::release_buffers() {
    if (m_buffer_users == 0) return;
    if (--m_buffer_users == 0) free_buffers();
}

void model_geom_u::free_buffers() {
    gfx_free_buffer(m_vertex_buffer);
    gfx_free_buffer(m_index_buffer);
    m_vertex_buffer = m_index_buffer = nullptr;
    m_buffer_users = 0;
}

}  // namespace quarn
