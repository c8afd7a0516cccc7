#pragma once
// system_console_handler_t, "ui.handler.system.console": the developer console
// (window "system_02"/"console", "/system/console/console.esc") and the mini console
// under it (docs/ui-system.md).
// - Item 1, the history line: a line entered is trimmed and run at once through the
//   kernel, unless it begins with one of the developer words (goto, bonus, gift,
//   time_factor, developer_pause, map, start, g_time, init_round, round; compared
//   case-sensitively over the word's length, so "mapx" counts too): those are dropped.
// - Item 2, the log view: Page Up and Page Down scroll it by 2 lines, 5 with Shift,
//   the whole history with Ctrl; the next frame scrolls, then every 0.05 s while the
//   key is held.
// - Item 99: the version line.
// - The mini console ("system_03"/"minicon", a log view of the last lines over the
//   game) shows while "g_minicon" is true and the console is hidden.
#include <cstdint>

#include "game/ui/system/system_items.h"
#include "outside/qrnshared/ui/ui_handler.h"

namespace quarn {

class system_console_handler_t : public ui_handler_t {
public:
    static constexpr int32_t INPUT_ITEM = 1;
    static constexpr int32_t LOG_ITEM = 2;
    static constexpr int32_t VERSION_ITEM = 99;
    static constexpr float REPEAT = 0.05f;
    static constexpr uint32_t KEY_PAGE_UP = 201;
    static constexpr uint32_t KEY_PAGE_DOWN = 209;
    static constexpr int32_t PLAIN_STEP = 2;
    static constexpr int32_t SHIFT_STEP = 5;
    static constexpr uint32_t DEVELOPER_WORD_COUNT = 10;
    static const char *const DEVELOPER_WORDS[DEVELOPER_WORD_COUNT];

    system_console_handler_t() : m_items(*this) {}

    // True when the (trimmed) line begins with a developer word.
    static bool is_developer_line(const char *line);

    // Repeat timer, and the log view scrolled while a page key is held.
    void handler() override;
    // Lines entered and the page keys; everything else goes to the layer's default.
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;
    // The version line; the mini console fetched (or inserted) and shown with
    // "g_minicon".
    void on_wcreate() override;
    // The mini console hides; the log view shows the newest line; the input line
    // takes the focus.
    void on_wshow() override;
    // The mini console shows again with "g_minicon".
    void on_whide() override;

    int32_t get_scroll_step() const { return m_step; }
    bool is_scrolling() const { return m_scrolling; }
    float get_repeat_timer() const { return m_timer; }

private:
    static bool minicon_wanted();
    void scroll_log(int32_t lines);

    system_items_t m_items;
    float m_timer = 0.0f;
    int32_t m_step = 0;
    bool m_scrolling = false;
};

}  // namespace quarn
