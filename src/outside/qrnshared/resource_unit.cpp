#include "outside/qrnshared/resource_unit.h"

#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE_ABSTRACT(resource_unit_u, "resource_unit");

bool resource_unit_u::load_memory() { return false; }

void resource_unit_u::unload_memory() {
    if (m_item && m_item->has(c_item_t::MEMORY_VALID) && m_item->manager) m_item->manager->free_item_memory(m_item);
}

bool resource_unit_u::hw_load() { return false; }

void resource_unit_u::hw_unload() {
    if (m_item) m_item->flags &= ~uint32_t(c_item_t::HW_VALID);
}

int resource_unit_u::refresh_item() { return REFRESH_UNSUPPORTED; }

void resource_unit_u::pre_move(void *, void *) {}

void resource_unit_u::post_move(void *, void *) {}

bool resource_unit_u::bind_item(c_item_t *item) {
    m_item = item;
    return item != nullptr;
}

void resource_unit_u::unbind_item(c_item_t *item) {
    if (m_item == item) m_item = nullptr;
}

void *ufs_plain_load(c_item_t *item) {
    if (!item || !item->manager) return nullptr;
    const char *name = item->get_name();
    auto_ptr_t<file_t> file(fs_open(name, FS_REALM_VIRTUAL));
    if (!file) return nullptr;
    const uint64_t size = file->size();
    if (file->get_error() != FS_ERR_NONE || size > 0xFFFFFFFFu) {
        error("[qrnshared] Can not read the resource '%s'", name);
        return nullptr;
    }
    void *data = item->manager->allocate_item_memory(item, size_t(size));
    if (!data) return nullptr;
    if (size && !file->block_read(data, uint32_t(size), 0)) {
        error("[qrnshared] Can not read the resource '%s'", name);
        item->manager->free_item_memory(item);
        return nullptr;
    }
    return data;
}

}  // namespace quarn
