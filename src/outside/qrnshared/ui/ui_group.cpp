#include "outside/qrnshared/ui/ui_group.h"

#include "outside/qrnshared/ui/ui_item.h"
#include "outside/qrnshared/ui/ui_window.h"

namespace quarn {

namespace {

// The view and its subtree belong to window from now on (null: to none).
void set_window(ui_view_t *view, ui_window_t *window) {
    ui_walk(view, [&](ui_view_t *v) {
        // A child window keeps being its own window.
        if (v != view && ui_as_window(v)) return;
        v->window = ui_as_window(v) ? static_cast<ui_window_t *>(v) : window;
        v->cache_dirty = true;
    });
}

}  // namespace

ui_group_t::~ui_group_t() {
    // The children go with their references; they must not point back here.
    for (child_t &c : m_children)
        if (ui_view_t *v = ui_view_of(c.item.get())) {
            v->parent = nullptr;
            set_window(v, nullptr);
        }
    m_children.clear();
}

ui_view_t *ui_group_t::child(uint32_t i) const { return ui_view_of(m_children[i].item.get()); }

void ui_group_t::handler() {
    ui_view_t::handler();
    // By index: a handler may add children (spawned controls), never remove them
    // from under the loop without the group's own remove_child.
    for (uint32_t i = 0; i < m_children.get_count(); ++i) {
        c_item_ptr_t hold(m_children[i].item);
        if (ui_view_t *v = ui_view_of(hold.get())) v->handler();
    }
    group_update();
}

int ui_group_t::init(int stage) {
    if (const int r = ui_view_t::init(stage)) return r;
    for (uint32_t i = 0; i < m_children.get_count(); ++i)
        if (ui_view_t *v = child(i))
            if (const int r = v->init(stage)) return r;
    return 0;
}

void ui_group_t::destroy(int stage) {
    for (uint32_t i = 0; i < m_children.get_count(); ++i)
        if (ui_view_t *v = child(i)) v->destroy(stage);
    ui_view_t::destroy(stage);
}

void ui_group_t::offset(float dx, float dy, uint32_t flags) {
    if (dx == 0.0f && dy == 0.0f) return;
    ui_view_t::offset(dx, dy, flags);
    for (uint32_t i = 0; i < m_children.get_count(); ++i)
        if (ui_view_t *v = child(i)) v->offset(dx, dy, flags);
}

void ui_group_t::notify(int32_t flags) {
    ui_view_t::notify(flags);
    for (uint32_t i = 0; i < m_children.get_count(); ++i)
        if (ui_view_t *v = child(i)) v->notify(flags);
}

bool ui_group_t::public_component(const c_item_t *item) const {
    for (const child_t &c : m_children) {
        if (!c.is_public) continue;
        if (c.item.get() == item) return true;
        if (ui_group_t *g = ui_as_group(ui_entity_of(c.item.get())))
            if (g->public_component(item)) return true;
    }
    return false;
}

void ui_group_t::group_changed() {}

void ui_group_t::group_update() {}

bool ui_group_t::add_child(c_item_t *item, bool is_public) {
    ui_view_t *v = ui_view_of(item);
    if (!v || v->parent || v == this) return false;
    for (ui_view_t *a = parent; a; a = a->parent)
        if (a == v) return false;
    child_t *c = m_children.append(child_t());
    if (!c) return false;
    c->item = item;
    c->is_public = is_public;
    v->parent = this;
    set_window(v, window);
    group_changed();
    return true;
}

bool ui_group_t::remove_child(c_item_t *item) {
    for (uint32_t i = 0; i < m_children.get_count(); ++i) {
        if (m_children[i].item.get() != item) continue;
        // Held until the group's books are in order: the child may go with this
        // reference.
        c_item_ptr_t hold(item);
        if (ui_view_t *v = ui_view_of(item)) {
            if (window) ui_walk(v, [&](ui_view_t *w) { window->forget(w); });
            v->parent = nullptr;
            set_window(v, nullptr);
        }
        m_children.remove(i);
        mark_dirty();
        group_changed();
        return true;
    }
    return false;
}

}  // namespace quarn
