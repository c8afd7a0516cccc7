#pragma once
// ui_group_t: a view that holds child views, each by a counted reference to its item,
// in tree order (the order they are drawn and searched in). Children that a layout
// names are public components of the group; children a control spawns at run time
// are not, so that searches by id (find_item_by_id) do not reach them.
#include <cstdint>

#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/ui/ui_view.h"

namespace quarn {

class QRNSHARED_API ui_group_t : public ui_view_t {
public:
    ui_group_t() { view_flags |= UI_VIEW_GROUP | UI_VIEW_POINTER_THROUGH; }
    ~ui_group_t() override;

    uint32_t get_kind() const override { return ENTITY_VIEW | ENTITY_GROUP; }

    // The group and then its children, in tree order.
    void handler() override;
    int init(int stage) override;
    // The children first, then the group.
    void destroy(int stage) override;
    void offset(float dx, float dy, uint32_t flags) override;
    void notify(int32_t flags) override;

    // True when the item is a public child of the group, or a public component of a
    // public child group, at any depth.
    virtual bool public_component(const c_item_t *item) const;
    // The children changed (one added or removed); base: nothing.
    virtual void group_changed();
    // Once a frame after the children's handlers; base: nothing.
    virtual void group_update();

    // Appends the item's view as the last child (counted). False for an item that is
    // not a view, one that has a parent already, or the group itself or an ancestor.
    bool add_child(c_item_t *item, bool is_public);
    // Takes the child out (its reference is dropped); false when it is no child.
    bool remove_child(c_item_t *item);
    uint32_t child_count() const { return m_children.get_count(); }
    c_item_t *child_item(uint32_t i) const { return m_children[i].item.get(); }
    ui_view_t *child(uint32_t i) const;
    bool child_is_public(uint32_t i) const { return m_children[i].is_public; }

private:
    struct child_t {
        c_item_ptr_t item;
        bool is_public = false;
    };
    array_dyn_t<child_t> m_children;
};

inline ui_group_t *ui_as_group(entity_t *e) {
    return e && (e->get_kind() & ENTITY_GROUP) ? static_cast<ui_group_t *>(e) : nullptr;
}

// Calls f(view) for the view and every view below it, in tree order (parents first).
template <class F>
void ui_walk(ui_view_t *view, F &&f) {
    if (!view) return;
    f(view);
    if (ui_group_t *g = ui_as_group(view))
        for (uint32_t i = 0; i < g->child_count(); ++i) ui_walk(g->child(i), f);
}

}  // namespace quarn
