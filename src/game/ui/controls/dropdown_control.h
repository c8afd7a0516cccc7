#pragma once
// Dropdowns (docs/ui-controls.md):
// - ui_dropdown_t: a check button ("_drop button", made by the dropdown over its whole
//   rectangle) that opens and closes a list. Down, the dropdown takes the first list
//   among its window's children (hidden in the layout until then), lays it out and
//   shows it; up, it hides it. Clicking the button toggles; the end of an interaction
//   (notify UI_NOTIFY_END_INTERACTION, which a screen sends when a choice is made)
//   closes it. `list_management` and `tooltip` are kept for screens; the dropdown
//   reads neither.
//   Not registered by itself: the common dropdown is the class layouts name.
// - ui_common_dropdown_t, "ui.comp.common.dropdown": the drop button is a common
//   button of the dropdown's `look`; a template size sizes the dropdown.
#include <cstdint>

#include "game/ui/ui_templates.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/ui/ui_group.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

class ui_button_t;
class ui_list_t;

class ui_dropdown_t : public ui_group_t {
    UI_ENTITY_VALUES()

public:
    // A control: it takes the pointer over its whole rectangle.
    ui_dropdown_t() { view_flags &= ~uint32_t(UI_VIEW_POINTER_THROUGH); }
    ~ui_dropdown_t() override;

    int init(int stage) override;
    void destroy(int stage) override;
    void handler() override;
    bool action(ui_view_t *source, uint32_t type, ui_act_param_t *param) override;
    void notify(int32_t flags) override;
    void changed(uint32_t flags) override;

    // Sets the drop button down (up) and shows (hides) the list it holds.
    void set_open(bool open);
    bool is_open() const;
    ui_button_t *get_button() const;
    ui_list_t *get_list() const;

    mstring_dyn_t d_zml, p_zml, s_zml, n_zml;
    bool list_management = false;
    mstring_dyn_t tooltip;
    uint8_t format_flags = 0, other_flags = 0;

protected:
    virtual const char *button_class() const { return "ui.comp.button"; }
    virtual void prepare_button(ui_button_t *) {}
    // Makes the drop button when there is none; false when it cannot be had.
    bool make_button();
    // The button over the dropdown's rectangle; a button that sizes itself sizes the
    // dropdown.
    void fit_button();

private:
    static const evalue_def_t value_defs[];

    void fill_looks();
    void find_list();

    c_item_ptr_t m_button;
    c_item_ptr_t m_list;
};

class ui_common_dropdown_t : public ui_dropdown_t {
    UI_ENTITY_VALUES()

public:
    int init(int stage) override;
    void destroy(int stage) override;
    void handler() override;

    int32_t look = 0;
    uint8_t tlook_flags = 0;

protected:
    const char *button_class() const override { return "ui.comp.common.button"; }
    void prepare_button(ui_button_t *button) override;

private:
    static const evalue_def_t value_defs[];
    ui_template_user_t m_templates{ui_template_kind_t::DROPDOWN};
};

}  // namespace quarn
