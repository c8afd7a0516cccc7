#include "game/ui/effects/uifx_hookup.h"

#include "game/game_module.h"
#include "qrncore/system/auto_ptr.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

bool uifx_load_hookup() {
    array_dyn_t<owner_ptr_t<unit_base_t>> &hookup = game_module_uifx_hookup();
    hookup.clear();
    unit_system_t *system = unit_system_t::get_default();
    auto_ptr_t<file_t> file(fs_open(UIFX_HOOKUP_PATH, FS_REALM_VIRTUAL));
    if (!file || !system) return true;
    unit_load_t loader(*file, *system, nullptr, UIFX_HOOKUP_PATH);
    if (!loader.load()) return true;
    for (uint32_t i = 0; i < loader.get_root_count(); ++i) hookup.append(owner_ptr_t<unit_base_t>(loader.take_root(i)));
    return true;
}

}  // namespace quarn
