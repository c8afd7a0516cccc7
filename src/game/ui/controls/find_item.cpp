#include "game/ui/controls/find_item.h"

#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/ui/ui_group.h"
#include "outside/qrnshared/ui/ui_item.h"

namespace quarn {

c_item_t *find_item_by_id(ui_view_t *group, int32_t id, bool public_only) {
    if (!group) return nullptr;
    if (group->id == id) return group->get_item();
    ui_group_t *g = ui_as_group(group);
    if (!g) return nullptr;
    c_item_t *result = nullptr;
    for (uint32_t i = 0; i < g->child_count() && !result; ++i) {
        c_item_lock_t lock(g->child_item(i));
        ui_view_t *child = ui_view_of(lock.get_item());
        if (!child) continue;
        if (ui_as_group(child)) result = find_item_by_id(child, id, true);
        else if (child->id == id) result = lock.get_item();
    }
    if (public_only && result && !g->public_component(result)) return nullptr;
    return result;
}

}  // namespace quarn
