#pragma once
// Effect views (docs/ui-effects.md):
// - uifx_text_view_t, "ui.comp.uifx.text": a markup text (`text`) that a named effect
//   instance (`effect_name`, such as "uifx.scale.fadein") animates. The view never
//   draws its own text: it is seen only while its effect runs. Each start clones the
//   instance and runs the clone; the end of an effect raises action 32 on the view.
// - uifx_common_text_view_t, "ui.comp.uifx.common.text": the same with its text made
//   from a template of "/def/ui/txt.def" (`look`) filled with `value`.
//
// A running effect holds the scene while its window shows: it raises the busy count of
// the controller that is current when it starts (or when its window shows again) and
// lowers that controller's count when it ends (stop, destroy, finish, a new start) or
// its window is hidden or removed, however long the effect would have run. Without a
// current controller, or while the game module is hosted, the effect runs uncounted.
#include <cstdint>

#include "game/ui/ui_templates.h"
#include "game/ui/effects/zml_effect.h"
#include "outside/qrnshared/ui/ui_view.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class base_ctrl_u;
class scene_root_t;

class uifx_text_view_t : public ui_view_t {
    UI_ENTITY_VALUES()

public:
    int init(int stage) override;
    void handler() override;
    void destroy(int stage) override;
    void draw(r_queue_t *queue) override;
    void offset(float dx, float dy, uint32_t flags) override;
    void notify(int32_t flags) override;
    void changed(uint32_t flags) override;

    // Lays the text out (when it changed or was not laid out) and gives its bounds;
    // false when it shows nothing.
    virtual bool get_text_bounds(ui_rect_t &out);
    // The effect named by `effect_name` starts at the next frame.
    void start();
    // Ends the effect at once (no action 32) and drops a pending start.
    void stop();
    // No start pending and no live effect.
    bool is_idle() const;

    bool is_start_pending() const { return m_start_pending; }
    // The running effect holds a controller's busy count.
    bool is_counted() const;
    // Whether the view's effect holds that controller (any controller for null).
    bool holds(const scene_root_t *ctrl) const;
    // Ends every effect that still holds the controller (as stop does): the scene is
    // going, and nothing of it may keep it waiting. Null ends nothing.
    static void end_holds(const scene_root_t *ctrl);

    zml_effect_u *get_effect() const { return m_effect.get(); }
    const zml_buffer_t &get_buffer() const { return m_buffer; }

    mstring_dyn_t text;
    mstring_dyn_t effect_name;
    bool auto_start = false;
    uint8_t text_flags = 0, effect_name_flags = 0, auto_start_flags = 0;

protected:
    void lay_out();

private:
    // Ends the effect held (uncounting it) and, given a unit, runs a clone of it.
    void set_effect(unit_base_t *unit);
    // Takes the hold when the effect runs in a shown window, gives it back otherwise.
    void update_hold();
    void take_hold();
    void give_hold_back();
    // The window shows, and so do the windows of the views that own it (a child window
    // shows with its owner).
    bool in_shown_window() const;

    static const evalue_def_t value_defs[];

    zml_buffer_t m_buffer;
    owner_ptr_t<zml_effect_u> m_effect;
    // The controller whose busy count this view's effect raised, while it does.
    ref_ptr_t<base_ctrl_u> m_counted_ctrl;
    bool m_start_pending = false;
    bool m_laid_out = false;
    // The window was shown when the view last looked: a hold is taken again only when
    // it comes back into view, never on a controller that merely became current.
    bool m_seen_shown = false;
};

class uifx_common_text_view_t : public uifx_text_view_t {
    UI_ENTITY_VALUES()

public:
    int init(int stage) override;
    void handler() override;
    void destroy(int stage) override;
    void changed(uint32_t flags) override;
    bool get_text_bounds(ui_rect_t &out) override;

    // Applies template `look` with `value` now: size flags, then `text`.
    void apply_template();

    mstring_dyn_t value;
    int32_t look = 0;
    uint8_t value_flags = 0, look_flags = 0;

    // The views' own template store of "/def/ui/txt.def" (the text controls have
    // theirs).
    static ui_template_class_t &store();

private:
    void refresh();

    static const evalue_def_t value_defs[];
    ui_template_user_t m_templates{store()};
};

}  // namespace quarn
