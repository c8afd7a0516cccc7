#include "game/world/landscape_folder.h"

#include "game/game_rows.h"
#include "game/visuals/models/model_coll.h"
#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_object.h"
#include "kernel/memory/m_server.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(landscape_folder_u, "landscape_folder");

landscape_folder_u *landscape_folder_ref_t::get() const {
    c_item_t *item = m_item.get();
    return item ? static_cast<landscape_folder_u *>(item->get_unit()) : nullptr;
}

landscape_folder_ref_t landscape_folder_u::obtain(const char *path) {
    landscape_folder_ref_t out;
    // The manager's reference goes to the caller: the folder is never left without
    // one while it is handed out.
    c_item_t *item = mm_obtain_resource(MM_NAMED_LOAD_REF, path, &landscape_folder_u::unit_descriptor, 0);
    if (!item) return out;
    out.m_item = item;
    item->release_ref();
    return out;
}

bool landscape_folder_u::load_memory() {
    c_item_t *item = get_item();
    const void *data = ufs_plain_load(item);
    if (!data) return false;
    landscape_file_view_t view;
    if (!view.open(data, item->size, item->get_name())) {
        unload_memory();
        return false;
    }
    return true;
}

bool landscape_folder_u::bind_item(c_item_t *item) {
    if (!resource_unit_u::bind_item(item)) return false;
    gamesup_call_lock_hook();
    return true;
}

void landscape_folder_u::unbind_item(c_item_t *item) {
    if (get_item() && get_item() == item) {
        gamesup_call_unlock_hook(this);
    }
    resource_unit_u::unbind_item(item);
}

const char *landscape_folder_u::get_path() const { return get_item() ? get_item()->get_name() : ""; }

uint32_t landscape_folder_u::get_chunk_count() const {
    landscape_folder_lock_t lock(this);
    return lock.ok() ? lock.view().get_chunk_count() : 0;
}

uint32_t landscape_folder_u::get_slot_count() const {
    landscape_folder_lock_t lock(this);
    return lock.ok() ? lock.view().get_slot_count() : 0;
}

bool landscape_folder_u::get_chunk_box(aabox_t &out, uint32_t chunk) const {
    landscape_folder_lock_t lock(this);
    if (!lock.ok() || chunk >= lock.view().get_chunk_count()) {
        out.set_void();
        return false;
    }
    out = lock.view().get_chunk_box(chunk);
    return true;
}

bool landscape_folder_u::has_chunk_model(uint32_t chunk) const {
    landscape_folder_lock_t lock(this);
    return lock.ok() && chunk < lock.view().get_chunk_count() && lock.view().has_model(chunk);
}

bool landscape_folder_u::has_chunk_collision(uint32_t chunk) const {
    landscape_folder_lock_t lock(this);
    return lock.ok() && chunk < lock.view().get_chunk_count() && lock.view().has_collision(chunk);
}

bool landscape_folder_u::get_chunk_path(uint32_t chunk, const string &extension, mstring_t &out) const {
    return landscape_chunk_path(get_path(), chunk, extension, out);
}

owner_ptr_ret_t<model_object_u> landscape_folder_u::get_chunk_model(uint32_t chunk) const {
    mstring_dyn_t path;
    if (!has_chunk_model(chunk) || !get_chunk_path(chunk, ".zmd", path)) return {};
    model_ref_t<model_desc_u> desc(model_desc_u_obtain(path.c_str()));
    if (!desc || !desc->is_ready()) return {};
    return desc->create_object(0, 0, nullptr);
}

model_coll_u *landscape_folder_u::get_chunk_collision(uint32_t chunk) const {
    mstring_dyn_t path;
    if (!has_chunk_collision(chunk) || !get_chunk_path(chunk, ".zmc", path)) return nullptr;
    return model_coll_u_obtain(path.c_str());
}

landscape_folder_lock_t::landscape_folder_lock_t(const landscape_folder_u *folder) {
    c_item_t *item = folder ? folder->get_item() : nullptr;
    if (!item) return;
    const void *data = item->lock();
    if (!data) return;
    m_item = item;
    m_view.attach(data, item->size);
}

landscape_folder_lock_t::~landscape_folder_lock_t() {
    m_view.close();
    if (m_item) m_item->unlock();
}

void landscape_folder_free_unreferenced() {
    _mm_mem_free_unreferenced(-1, &landscape_folder_u::unit_descriptor);
    _mm_remove_unreferenced(-1, &landscape_folder_u::unit_descriptor);
}

namespace {

// Unreferenced folders stay cached, bound, and so hold the module: they go while the
// guard drains.
bool drain_folders(const game_row_args_t &) {
    landscape_folder_free_unreferenced();
    return true;
}

}  // namespace

GAME_MODULE_ROWS(landscape_folders, game_row(game_step_t::DRAIN_GAMESUP, "landscape_folder_free_unreferenced",
                                             drain_folders, 1));

}  // namespace quarn
