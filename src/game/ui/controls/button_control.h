#pragma once
// Buttons (docs/ui-controls.md):
// - ui_button_t, "ui.comp.button": push button, check box, radio button and menu entry
//   in one control. It shows one of five markup looks by its state and reports a
//   click as action 2 with the new `down` in word0.
// - ui_common_button_t, "ui.comp.common.button": its looks, type and size come from a
//   template of "/def/ui/btn.def" (`look`) filled with `value` and `value2`.
//
// Looks by state:
//   0 active, up, not selected          n_zml
//   1 active, up, selected              s_zml
//   2 active, down, type not 0, selected and s2_zml not empty   s2_zml
//   3 active and down otherwise         p_zml
//   4 inactive                          d_zml
// "Selected" is the pointer over the button or the keyboard focus on it.
//
// Input while selected: the action key (Enter) and the first pointer button.
// Normal buttons go down on the press and click on the release; check and radio
// buttons arm on the press and click on the release; menu buttons click on the press.
// Leaving (actions 1 and 17) disarms; the pointer leaving a held normal button sets
// it up, so that its click is cancelled. Keys the button uses are consumed; pointer
// events go on, so the layer still raises 12, 13 and 15.
#include <cstdint>

#include "game/ui/ui_templates.h"
#include "outside/qrnshared/ui/ui_view.h"
#include "outside/qrnshared/ui/zml.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

class ui_button_t : public ui_view_t {
    UI_ENTITY_VALUES()

public:
    enum type_t : int32_t { NORMAL = 0, CHECK = 1, RADIO = 2, MENU = 3 };
    enum look_t : int32_t { LOOK_NORMAL = 0, LOOK_SELECTED, LOOK_SELECTED_DOWN, LOOK_DOWN, LOOK_DISABLED, LOOK_COUNT };

    ui_button_t();

    void handler() override;
    void zml_precache(ui_draw_list_t &list) override;
    void handle_event(ui_event_t *event) override;
    bool action(ui_view_t *source, uint32_t type, ui_act_param_t *param) override;
    void offset(float dx, float dy, uint32_t flags) override;
    void notify(int32_t flags) override;
    void changed(uint32_t flags) override;

    // Sets `down`; setting a radio button down sets every other radio button of the
    // parent group up. Answers the former `down`.
    bool set_down(bool value);
    // Check: toggles; radio: sets down (with the group rule); normal and menu: up.
    // Then action 2 with the new `down`.
    void click();

    // The state of the table above for the button as it is now.
    int32_t state() const;
    // The look handed to the window's cache: -1 hidden, -2 before caching.
    int32_t get_shown_look() const { return m_shown_look; }
    bool is_armed() const { return m_armed; }
    // The markup of a look (look_t) and its rendered buffer.
    mstring_dyn_t &look_text(int32_t look);
    const zml_buffer_t &look_buffer(int32_t look) const { return m_buffers[look]; }
    // Writes a look as a layout would.
    void set_look_text(int32_t look, const char *markup);

    mstring_dyn_t n_zml, s_zml, s2_zml, p_zml, d_zml;
    int32_t button_type = NORMAL;
    bool down = false;
    uint8_t look_flags[LOOK_COUNT] = {};
    uint8_t type_flags = 0, down_flags = 0;

private:
    static bool set_type(entity_t *entity, const evalue_def_t &def, const char *text);
    static const evalue_def_t value_defs[];

    zml_buffer_t m_buffers[LOOK_COUNT];
    bool m_rendered[LOOK_COUNT] = {};
    bool m_armed = false;
    int32_t m_shown_look = -1;
};

class ui_common_button_t : public ui_button_t {
    UI_ENTITY_VALUES()

public:
    int init(int stage) override;
    void destroy(int stage) override;
    void handler() override;
    void changed(uint32_t flags) override;

    // Applies the template when `look`, `value` or `value2` was written since it last
    // did.
    void refresh();
    // Applies template `look`: size, "type", then the five looks with their
    // fallbacks.
    void apply_template();
    const ui_def_templates_t &templates() const { return m_templates.templates(); }

    int32_t look = 0;
    mstring_dyn_t value, value2;
    uint8_t tlook_flags = 0, value_flags = 0, value2_flags = 0;

private:
    static const evalue_def_t value_defs[];
    ui_template_user_t m_templates{ui_template_kind_t::BUTTON};
};

// The button type a word names ("normal", "check", "radio", "menu", any case, or
// 0 to 3); -1 for none.
int32_t ui_button_type_of(const char *text);

}  // namespace quarn
