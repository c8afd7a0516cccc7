#include "outside/qrnshared/ui/ui_handler.h"

#include "outside/qrnshared/ui/ui_window.h"

namespace quarn {

void ui_handler_t::handler() {}

int ui_handler_t::init(int) { return 0; }

void ui_handler_t::destroy(int) {}

bool ui_handler_t::handle(ui_view_t *, uint32_t, ui_act_param_t *) { return false; }

int ui_handler_t::query_hook_0() { return 0; }

int ui_handler_t::query_hook_1() { return 0; }

void ui_handler_t::on_wcreate() {}

void ui_handler_t::on_wdestroy() {}

void ui_handler_t::on_wshow() {}

void ui_handler_t::on_whide() {}

void ui_handler_t::pre_wdraw() {}

void ui_handler_t::post_wdraw() {}

void ui_handler_t::on_wfocus() {}

void ui_handler_t::on_wunfocus() {}

ui_window_t *ui_handler_t::get_window() const { return ui_window_of(m_window_item); }

}  // namespace quarn
