#include "game/visuals/effects/kdop_resource.h"

#include <strings.h>

#include "game/visuals/effects/btr_reader.h"
#include "kernel/memory/m_server.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/spatial/kdop_node.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE_ABSTRACT(gamesup_resource_u, "gamesup_resource");
QRN_UNIT_DEFINE(kdop_u, "kdop");

namespace {

btr_loader_t the_loader;

// The whole file in a raw block of the pool, given back at the end.
struct raw_block_t {
    ~raw_block_t() { mm_free_mem(data); }
    void *data = nullptr;
};

}  // namespace

// ---- gamesup_resource_u ----

bool gamesup_resource_u::bind_item(c_item_t *item) {
    if (!resource_unit_u::bind_item(item)) return false;
    gamesup_call_lock_hook();
    return true;
}

void gamesup_resource_u::unbind_item(c_item_t *item) {
    if (item && item == get_item()) gamesup_call_unlock_hook(this);
    resource_unit_u::unbind_item(item);
}

// ---- kdop_u ----

bool kdop_u::load_memory() {
    c_item_t *item = get_item();
    if (!item || !item->manager) return false;
    const char *path = item->get_name();
    auto_ptr_t<file_t> file(fs_open(path, FS_REALM_VIRTUAL));
    if (!file) {
        error("[kdop] Can not open the tree file '%s'", path);
        return false;
    }
    const uint64_t size = file->size();
    if (file->get_error() != FS_ERR_NONE) {
        error("[kdop] Can not read the tree file '%s'", path);
        return false;
    }
    if (size > btr_reader_t::MAX_FILE_SIZE) {
        error("[kdop] The tree file '%s' is larger than 4 GB", path);
        return false;
    }
    raw_block_t raw;
    raw.data = size ? mm_alloc_mem(size_t(size)) : nullptr;
    if (size && !raw.data) {
        error("[kdop] No memory to read the tree file '%s' (%llu bytes)", path, static_cast<unsigned long long>(size));
        return false;
    }
    if (size && !file->block_read(raw.data, uint32_t(size), 0)) {
        error("[kdop] Can not read the tree file '%s'", path);
        return false;
    }
    file.reset();
    btr_reader_t reader;
    if (!reader.measure(raw.data, size, path)) return false;
    void *tree = item->manager->allocate_item_memory(item, reader.get_tree_size());
    if (!tree) {
        error("[kdop] No memory for the tree of '%s'", path);
        return false;
    }
    reader.build(tree);
    return true;
}

void kdop_u::post_move(void *old_data, void *new_data) {
    if (old_data && new_data) btr_rebase(static_cast<kdop_node_t *>(new_data), old_data, new_data);
}

const kdop_node_t *kdop_u::get_root() const {
    const c_item_t *item = get_item();
    if (!item || !item->has(c_item_t::MEMORY_VALID)) return nullptr;
    return static_cast<const kdop_node_t *>(item->data);
}

// ---- the loader ----

bool btr_loader_t::detect_resource(const string &, const string &extension) {
    return strcasecmp(extension.c_str(), "btr") == 0;
}

const unit_descriptor_t *btr_loader_t::get_resource_type(const string &name, const string &extension) {
    return detect_resource(name, extension) ? &kdop_u::unit_descriptor : nullptr;
}

btr_loader_t &btr_loader() { return the_loader; }

c_item_t *kdop_obtain(const char *path) {
    return mm_obtain_resource(MM_NAMED_LOAD_REF, path ? path : "", &kdop_u::unit_descriptor);
}

const kdop_node_t *kdop_root_of(const c_item_t *item) {
    resource_unit_u *unit = item ? item->get_unit() : nullptr;
    if (!unit || !unit->is_kind_of(kdop_u::unit_descriptor)) return nullptr;
    return static_cast<const kdop_u *>(unit)->get_root();
}

void kdop_u_free_unreferenced() {
    _mm_mem_free_unreferenced(-1, &kdop_u::unit_descriptor);
    _mm_remove_unreferenced(-1, &kdop_u::unit_descriptor);
}

}  // namespace quarn
