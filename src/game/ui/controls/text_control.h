#pragma once
// Text controls (docs/ui-controls.md):
// - ui_text_t, "ui.comp.text": one piece of markup (`text`) rendered in its rectangle,
//   lazily: once per change of text, size or screen, kept until then. Moving a
//   rendered text moves its buffer without rendering again.
// - ui_common_text_t, "ui.comp.common.text": the text of a template of
//   "/def/ui/txt.def" (`look`) filled with `value`.
// - ui_tooltip_t, "ui.comp.tooltip": a text that keeps itself inside the reference
//   screen, shifted by whole screen pixels.
#include <cstdint>

#include "game/ui/ui_templates.h"
#include "outside/qrnshared/ui/ui_view.h"
#include "outside/qrnshared/ui/zml.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

class ui_text_t : public ui_view_t {
    UI_ENTITY_VALUES()

public:
    void handler() override;
    void zml_precache(ui_draw_list_t &list) override;
    void offset(float dx, float dy, uint32_t flags) override;
    void notify(int32_t flags) override;
    void changed(uint32_t flags) override;

    // Renders the text when it changed or is not rendered; the window's draw cache
    // of the control is then marked.
    void render();
    // The bounds of the rendered text (rendering it first when needed); false when
    // it shows nothing.
    virtual bool get_text_bounds(ui_rect_t &out);
    // Sets `text` as a layout's write does.
    void set_text(const char *markup);

    const zml_buffer_t &get_buffer() const { return m_buffer; }
    bool is_rendered() const { return m_rendered; }

    mstring_dyn_t text;
    uint8_t text_flags = 0;

protected:
    // After every fresh rendering (the buffer is at its place of layout).
    virtual void on_rendered() {}

    zml_buffer_t m_buffer;
    bool m_rendered = false;
    bool m_cached = false;  // the window's cache holds the control

private:
    static const evalue_def_t value_defs[];
};

class ui_common_text_t : public ui_text_t {
    UI_ENTITY_VALUES()

public:
    int init(int stage) override;
    void destroy(int stage) override;
    void handler() override;
    void changed(uint32_t flags) override;
    bool get_text_bounds(ui_rect_t &out) override;

    // Applies the template when `look` or `value` was written since it last did.
    void refresh();
    // Applies template `look` with `value` now: size flags and size, then `text`.
    void apply_template();

    int32_t look = 0;
    mstring_dyn_t value;
    uint8_t look_flags = 0, value_flags = 0;

private:
    static const evalue_def_t value_defs[];
    ui_template_user_t m_templates{ui_template_kind_t::TEXT};
};

class ui_tooltip_t : public ui_text_t {
public:
    void zml_precache(ui_draw_list_t &list) override;

    // The shift applied to the rendered text, in reference units.
    float get_shift_x() const { return m_shift_x; }
    float get_shift_y() const { return m_shift_y; }

protected:
    void on_rendered() override;

private:
    float m_shift_x = 0.0f;
    float m_shift_y = 0.0f;
};

}  // namespace quarn
