#include "game/ui/ingame/ganimalhdl.h"

#include <cstdio>

#include "game/ui/ingame/ingame_screen.h"
#include "game/ui/controls/text_control.h"
#include "game/ui/ui_classes.h"
#include "outside/qrnshared/ui/ui.h"

namespace quarn {

void ingame_animal_handler_t::on_wcreate() {
    base_handler_t::on_wcreate();
    m_live = true;
    m_damaged = false;
    m_has_bonus_text = false;
    m_retired = false;
    set_item_value(HEALTH_ITEM, "value", "0.0|7000ff00");
    show_item(HEALTH_ITEM, false);
    set_item_value(BONUS_ITEM, "value", NO_BONUS);
    show_item(BONUS_ITEM, false);
    m_show_timer = 0.0f;
}

void ingame_animal_handler_t::on_wdestroy() {
    m_live = false;
    base_handler_t::on_wdestroy();
}

void ingame_animal_handler_t::on_wshow() {
    base_handler_t::on_wshow();
    set_pointer_state(POINTER_NONE);
}

void ingame_animal_handler_t::set_bar(float cut, const char *colour) {
    char value[64];
    snprintf(value, sizeof value, "%.2f|%s", double(cut), colour);
    set_item_value(HEALTH_ITEM, "value", value);
}

void ingame_animal_handler_t::set_bonus_text(const char *text) {
    if (!m_live || !text || !*text) return;
    set_item_value(BONUS_ITEM, "value", text);
    if (auto *icon = dynamic_cast<ui_common_text_t *>(ui_view(BONUS_ITEM))) icon->refresh();
    m_has_bonus_text = true;
}

void ingame_animal_handler_t::set_health(float ratio) {
    if (!m_live) return;
    m_damaged = ratio < DAMAGED_BELOW;
    float lost = 1.0f - ratio;
    // NaN counts as nothing lost, as a full bar.
    if (!(lost > 0.0f)) lost = 0.0f;
    if (lost > 1.0f) lost = 1.0f;
    set_bar(BAR_SPAN * lost, m_damaged ? DAMAGED_COLOUR : HEALTHY_COLOUR);
    if (m_damaged) ingame_run_on_item(*this, HEALTH_ITEM, GHOST_EFFECT, 1);
}

void ingame_animal_handler_t::set_marked(bool flag) {
    if (!m_live) return;
    show_item(HEALTH_ITEM, false);
    show_item(BONUS_ITEM, false);
    if (flag) {
        m_show_timer = SHOW_DELAY;
        return;
    }
    stop_uifx(-1);
    m_show_timer = 0.0f;
    if (m_has_bonus_text) ingame_run_on_item(*this, BONUS_ITEM, FADE_OUT_EFFECT, 0);
    ingame_run_on_item(*this, HEALTH_ITEM, FADE_OUT_EFFECT, 0);
}

void ingame_animal_handler_t::handler() {
    if (m_retired && m_live && uifx_idle()) {
        // The frame holds the window and this handler until the loop moves on.
        if (c_item_t *window = get_window_item()) ui_wremove(window);
        return;
    }
    base_handler_t::handler();
    if (!m_live || m_show_timer <= 0.0f) return;
    if (m_damaged) {
        m_show_timer = 0.0f;
    } else {
        const ui_render_context_t *context = ui_context();
        m_show_timer -= float(context ? context->frame_time : 0.0);
    }
    if (m_show_timer > 0.0f) return;
    if (m_has_bonus_text) ingame_run_on_item(*this, BONUS_ITEM, BONUS_FADE_IN_EFFECT, 0, BONUS_ITEM);
    ingame_run_on_item(*this, HEALTH_ITEM, FADE_IN_EFFECT, 0, HEALTH_ITEM);
}

void ingame_animal_handler_t::on_effect_done(int32_t id) {
    if (id == HEALTH_ITEM) show_item(HEALTH_ITEM, true);
}

namespace {

constexpr entity_reg_t INGAME_ANIMAL_REG = game_ui_reg<ingame_animal_handler_t>("ui.handler.ingame.animal");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_animal_marker, quarn::ui_handler_row<quarn::INGAME_ANIMAL_REG>());
