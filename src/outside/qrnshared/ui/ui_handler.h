#pragma once
// ui_handler_t: the object the last top-level entity of a layout makes, which the
// layer tells of its window's life (created, shown, hidden, destroyed, drawn, every
// frame) and hands every action that the window's views pass up (handle).
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "outside/qrnshared/ui/entity.h"

namespace quarn {

class ui_view_t;
class ui_window_t;

class QRNSHARED_API ui_handler_t : public entity_t {
public:
    uint32_t get_kind() const override { return ENTITY_HANDLER; }

    // ---- the handler operations, in slot order ----
    // Every frame while the window exists, after its views' handlers.
    virtual void handler();
    // As for views: stages 0 and 1 after the window was built; 0 is success.
    virtual int init(int stage);
    virtual void destroy(int stage);
    // An action the window's views passed up; true when the handler took it.
    virtual bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param);
    // Two hooks kept for controls; both answer 0.
    virtual int query_hook_0();
    virtual int query_hook_1();
    virtual void on_wcreate();
    virtual void on_wdestroy();
    virtual void on_wshow();
    virtual void on_whide();
    // Around the window's drawing each frame it is shown.
    virtual void pre_wdraw();
    virtual void post_wdraw();
    // The window becomes / stops being the one that takes keys.
    virtual void on_wfocus();
    virtual void on_wunfocus();

    // The window item (set by the layer, uncounted) and its window.
    c_item_t *get_window_item() const { return m_window_item; }
    ui_window_t *get_window() const;
    void set_window_item(c_item_t *item) { m_window_item = item; }

private:
    c_item_t *m_window_item = nullptr;
};

inline ui_handler_t *ui_as_handler(entity_t *e) {
    return e && (e->get_kind() & ENTITY_HANDLER) ? static_cast<ui_handler_t *>(e) : nullptr;
}

}  // namespace quarn
