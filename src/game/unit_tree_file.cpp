#include "game/unit_tree_file.h"

#include "game/atomic_file.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

owner_ptr_ret_t<unit_base_t> load_unit_tree(const char *path, const unit_descriptor_t &root_class) {
    return load_unit_tree(path, &root_class);
}

owner_ptr_ret_t<unit_base_t> load_unit_tree(const char *path, const unit_descriptor_t *root_class) {
    auto_ptr_t<file_t> file = fs_open(string(path), FS_REALM_VIRTUAL);
    if (!file) {
        error("[game] load_unit_tree() - Failed to open file (%s)", path);
        return {};
    }
    unit_system_t *system = unit_system_t::get_default();
    owner_ptr_ret_t<unit_base_t> root;
    if (system && root_class) {
        unit_load_t loader(*file, *system, nullptr, path);
        root = loader.load_tree_as(*root_class);
    }
    if (!root) error("[game] load_unit_tree() - Failed to load unit tree from file (%s)", path);
    return root;
}

bool save_unit_tree(unit_base_t *unit, const char *path, unit_traversal_mode_t mode) {
    const atomic_write_result_t result = write_file_atomically(path, [&](auto_ptr_t<file_t> &file) {
        if (!unit) return false;
        unit_save_t saver(*file, mode);
        saver.add(unit);
        return saver.save(UNIT_PAYLOAD_TEXT);
    });
    if (result == ATOMIC_WRITE_NOT_CREATED) error("[game] save_unit_tree() - Failed to create file (%s)", path);
    if (result == ATOMIC_WRITE_NOT_WRITTEN) error("[game] save_unit_tree() - Failed to save units to file (%s)", path);
    return result == ATOMIC_WRITE_DONE;
}

}  // namespace quarn
