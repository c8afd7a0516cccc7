#include "qrncore/units/unit_load_tree.h"

#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

owner_ptr_ret_t<unit_base_t> load_unit_tree(const char *path, const unit_descriptor_t &wanted) {
    unit_system_t *system = unit_system_t::get_default();
    if (!path) path = "";
    if (system) {
        auto_ptr_t<file_t> file(fs_open(path, FS_REALM_VIRTUAL));
        if (!file) {
            error("[unit] load_unit_tree() - Failed to open file (%s)", path);
            return {};
        }
        unit_load_t loader(*file, *system, nullptr, path);
        owner_ptr_ret_t<unit_base_t> root = loader.load_first_tree_as(wanted);
        if (root) return root;
    }
    error("[unit] load_unit_tree() - Failed to load unit tree from file (%s)", path);
    return {};
}

}  // namespace quarn
