#pragma once
// Lists (docs/ui-controls.md):
// - ui_list_t: a column (or, with `multi_column`, a grid) of items, each shown by a
//   radio button named "_list item" with the id 100000 + the item's index, made by
//   the list in an inner group "_list group". An item carries its look's parameters
//   (`item_zml`), a text, whether it is active, a 32-bit number and a pointer the
//   screen attaches. The list scrolls through the first slider of its parent group.
//   Actions on its own chain, each with a ui_list_item_t as `item` of the parameter:
//   20 the pointer enters an item, 21 it leaves it, 23 the selected item loses the
//   selection and then 22 the clicked item gets it, 24 an item passed on action 14.
//   The item buttons' 12, 13 and 15 go on from the list with the index in word1;
//   7 and 8 go on as the list's; their other actions stop at the list.
//   Not registered by itself: the common list is the class layouts name.
// - ui_common_list_t, "ui.comp.common.list": its item buttons are common buttons of
//   the list's `look` with the item's parameters as `value` and `value2`; the
//   template's size is the size of an item.
#include <cstdint>

#include "game/ui/ui_templates.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/ui/ui_group.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

class ui_button_t;
class ui_slider_t;

// An item as the list's actions and get_item / set_item / insert_item hand it over.
// The texts point into the list: valid until the item changes.
struct ui_list_item_t {
    enum field_t : uint32_t { ZML = 1, ACTIVE = 2, TEXT = 4, DATA = 8, POINTER = 16, ALL = 31 };
    const char *zml = "";
    const char *text = "";
    uint32_t data = 0;
    void *pointer = nullptr;
    bool active = true;
    int32_t index = -1;
};

class ui_list_t : public ui_group_t {
    UI_ENTITY_VALUES()

public:
    // The first id of the item buttons: item i shows as id ITEM_ID + i.
    static constexpr int32_t ITEM_ID = 100000;

    ui_list_t();
    ~ui_list_t() override;

    int init(int stage) override;
    void destroy(int stage) override;
    void handler() override;
    bool action(ui_view_t *source, uint32_t type, ui_act_param_t *param) override;
    void changed(uint32_t flags) override;

    // ---- items ----
    uint32_t item_count() const { return m_items.get_count(); }
    // A new item at position (the count when beyond it) with the fields of mask
    // taken from item, the others their defaults (empty texts, active, 0, null).
    bool insert_item(const ui_list_item_t &item, uint32_t mask, uint32_t position);
    // The fields of mask of the item at position; false at or beyond the count.
    bool get_item(uint32_t position, ui_list_item_t &out, uint32_t mask = ui_list_item_t::ALL) const;
    // The list's own resource item stays reachable beside the items.
    using entity_t::get_item;
    // Sets the fields of mask; setting the active field of the selected item clears
    // the selection. False at or beyond the count.
    bool set_item(uint32_t position, const ui_list_item_t &item, uint32_t mask);
    // Every item goes; nothing is hovered or selected.
    void clear_items();
    // Orders the items by compare (negative: a before b), keeping the order of items
    // it finds equal; nothing is hovered or selected afterwards.
    using compare_t = int (*)(ui_list_t *list, const ui_list_item_t &a, const ui_list_item_t &b);
    void sort_items(compare_t compare);

    // ---- scrolling and state ----
    // Shows the row of item index first, as far down as rows stay filled; nothing for
    // an index at or beyond the count.
    void set_first(int32_t index);
    int32_t get_first() const { return m_first; }
    int32_t get_hovered() const { return m_hovered; }
    int32_t get_selected() const { return m_selected; }
    // The grid as the last layout found it.
    uint32_t get_rows() const { return m_rows; }
    uint32_t get_columns() const { return m_columns; }
    ui_slider_t *get_slider() const;
    // Item button k in creation order (null beyond them).
    ui_button_t *item_button(uint32_t k) const;
    uint32_t item_button_count() const;
    // Lays the items out now when something changed since the last time.
    void lay_out();

    // ---- attributes ----
    mstring_dyn_t d_zml, p_zml, s_zml, n_zml;  // formats, "%s" where the item's markup goes
    float item_gap = 0.0f;
    float item_width = 32.0f;
    float item_height = 32.0f;
    bool slider_management = false;
    bool multi_column = false;
    uint8_t format_flags = 0, size_flags = 0;

protected:
    // The class of the item buttons, what is set on a new one before its init, and
    // how an item fills its looks.
    virtual const char *button_class() const { return "ui.comp.button"; }
    virtual void prepare_button(ui_button_t *) {}
    virtual void fill_button(ui_button_t *button, const char *zml);

    void ask_layout() { m_needs_layout = true; }

private:
    struct item_t {
        mstring_dyn_t zml, text;
        bool active = true;
        uint32_t data = 0;
        void *pointer = nullptr;
    };
    static bool set_items(entity_t *entity, const evalue_def_t &def, const char *text);
    static bool set_item_field(entity_t *entity, const evalue_def_t &def, const char *text);
    static const evalue_def_t value_defs[];

    ui_list_item_t record(int32_t index) const;
    // Raises the action on the list's own chain with the item's record.
    bool send(uint32_t type, int32_t index);
    bool make_buttons(uint32_t count);
    void place(ui_button_t *button, uint32_t k) const;
    void take_slider();
    void update_slider();
    void let_go_of_slider();

    array_dyn_t<item_t> m_items;
    c_item_ptr_t m_group;   // "_list group"
    c_item_ptr_t m_slider;  // the scroll slider, once taken
    bool m_slider_looked = false;
    int32_t m_first = 0;
    int32_t m_hovered = -1;
    int32_t m_selected = -1;
    uint32_t m_rows = 0;
    uint32_t m_columns = 0;
    bool m_needs_layout = true;
    bool m_needs_place = true;
};

class ui_common_list_t : public ui_list_t {
    UI_ENTITY_VALUES()

public:
    int init(int stage) override;
    void destroy(int stage) override;
    void handler() override;

    // The template's size becomes the item size; every item button takes the look.
    void apply_template();

    int32_t look = 0;
    uint8_t tlook_flags = 0;

protected:
    const char *button_class() const override { return "ui.comp.common.button"; }
    void prepare_button(ui_button_t *button) override;
    void fill_button(ui_button_t *button, const char *zml) override;

private:
    static const evalue_def_t value_defs[];
    ui_template_user_t m_templates{ui_template_kind_t::LIST};
};

}  // namespace quarn
