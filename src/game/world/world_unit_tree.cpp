#include "game/world/world_unit_tree.h"

#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

owner_ptr_ret_t<unit_base_t> load_world_unit_tree(const char *path, const unit_descriptor_t *root_class) {
    auto_ptr_t<file_t> file = fs_open(string(path), FS_REALM_VIRTUAL);
    if (!file) {
        error("[env] load_unit_tree() - Failed to open file (%s)", path);
        return {};
    }
    owner_ptr_ret_t<unit_base_t> root;
    unit_system_t *system = unit_system_t::get_default();
    if (system && root_class) {
        unit_load_t loader(*file, *system, nullptr, path);
        root = loader.load_tree_as(*root_class);
    }
    if (!root) error("[env] load_unit_tree() - Failed to load unit tree from file (%s)", path);
    return root;
}

}  // namespace quarn
