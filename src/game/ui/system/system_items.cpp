#include "game/ui/system/system_items.h"

#include "game/ui/controls/find_item.h"
#include "game/ui/system/system_windows.h"
#include "outside/qrnshared/ui/ui_handler.h"
#include "outside/qrnshared/ui/ui_view.h"
#include "outside/qrnshared/ui/ui_window.h"
#include "qrncore/system/messages.h"

namespace quarn {

c_item_t *system_window_get_or_insert(const window_desc_t &row) {
    if (c_item_t *window = ui_wget(row.group, row.name)) return window;
    return ui_winsert(row.group, row.name, row.insert_flags, row.layout);
}

ui_view_t *system_items_t::view(int32_t id) {
    ui_window_t *window = m_owner.get_window();
    ui_view_t *v = window ? ui_view_of(find_item_by_id(window, id)) : nullptr;
    if (!v) report(id, false);
    return v;
}

bool system_items_t::set_text(int32_t id, const char *text) {
    ui_view_t *v = view(id);
    if (!v) return false;
    return v->try_set_value("value", text ? text : "") || v->set_value("text", text ? text : "");
}

bool system_items_t::show(int32_t id, bool visible) {
    ui_view_t *v = view(id);
    if (v) v->show(visible);
    return v != nullptr;
}

void system_items_t::report(int32_t id, bool wrong_class) {
    for (uint32_t i = 0; i < m_reported.get_count(); ++i)
        if (m_reported[i] == id) return;
    m_reported.append(id);
    ui_window_t *window = m_owner.get_window();
    const char *layout = window ? window->path.c_str() : "";
    if (wrong_class) error("[ui] '%s': item %d for %s is of another class", layout, id, m_owner.get_class_name());
    else error("[ui] '%s': no item %d for %s", layout, id, m_owner.get_class_name());
}

}  // namespace quarn
