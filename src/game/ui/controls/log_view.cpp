#include "game/ui/controls/log_view.h"

#include <cmath>

#include "game/ui/controls/input_line.h"
#include "game/ui/ui_classes.h"
#include "kernel/log_setup.h"
#include "outside/qrnshared/ui/ui.h"
#include "qrncore/system/messages.h"

namespace quarn {

const evalue_def_t ui_log_view_t::value_defs[] = {
    {"offset", EVT_INT, "0", &evd_locate<ui_log_view_t, &ui_log_view_t::offset>,
     &evd_flags<ui_log_view_t, &ui_log_view_t::offset_flags>, nullptr},
    {"font", EVT_TEXT, nullptr, &evd_locate<ui_log_view_t, &ui_log_view_t::font>,
     &evd_flags<ui_log_view_t, &ui_log_view_t::font_flags>, nullptr},
};
const evalue_table_t ui_log_view_t::values = {value_defs, sizeof value_defs / sizeof value_defs[0], &ui_view_t::values};

namespace {

// A message's text for the text layer: its colour escapes (and "\\" for a backslash)
// as they stand, everything between them verbatim, so that a tag stays text.
bool append_message(mstring_t &out, const char *text, uint32_t count) {
    bool ok = true;
    uint32_t run = 0;  // where the text not yet appended begins
    for (uint32_t i = 0; i + 1 < count && text[i + 1]; ++i) {
        if (text[i] != '\\') continue;
        const char e = text[i + 1];
        if (e != 'y' && e != 'w' && e != 'r' && e != 'g' && e != '\\') continue;
        if (i > run) ok = ui_append_verbatim(out, text + run, i - run) && ok;
        ok = out.append(text[i]) && out.append(e) && ok;
        run = ++i + 1;
    }
    if (run < count && text[run]) ok = ui_append_verbatim(out, text + run, count - run) && ok;
    return ok;
}

}  // namespace

void ui_log_view_t::handler() {
    ui_view_t::handler();
    if (!is_visible()) {
        if (m_built) {
            mark_dirty();
            m_built = false;
        }
        return;
    }
    const ui_render_context_t *context = ui_context();
    m_timer -= float(context ? context->frame_time : 0.0);
    if (m_built && m_timer > 0.0f) return;
    m_timer = REFRESH;
    rebuild();
}

void ui_log_view_t::rebuild() {
    const zml_font_t *f = zml_get_font(font.c_str());
    if (!f) {
        error("Failed to load the font '%s'", font.c_str());
        return;
    }
    const int32_t count = message_history_count();
    if (offset > count - 1) offset = count - 1;
    if (offset < 0) offset = 0;
    const ui_render_context_t *context = ui_context();
    const float screen_h = context && context->screen_height > 0 ? float(context->screen_height) : UI_REFERENCE_HEIGHT;
    m_view.reset();
    float y = rect.bottom;
    mstring_dyn_t line;
    // Newer messages below the lowest one shown: the more-line stands lowest.
    bool more = offset > 0;
    for (int32_t i = offset; y < rect.top;) {
        line.copy("");
        if (more) {
            line.copy("\\r**** more ****");
            more = false;
        } else {
            const message_history_entry_t *m = message_history_get(i++);
            if (!m) break;
            if (m->type == message_t::WARNING) line.copy("\\y");
            else if (m->type == message_t::ERROR) line.copy("\\r");
            append_message(line, m->text.c_str(), m->text.length());
        }
        zml_render_to(m_line, line.c_str(), rect);
        float height = 0.0f;
        ui_rect_t b;
        if (m_line.get_bounds(b)) {
            // The line's lower edge on y, moved by whole screen pixels.
            const float pixels = std::floor((y - b.bottom) * screen_h / UI_REFERENCE_HEIGHT + 0.5f);
            m_line.offset(0.0f, pixels * UI_REFERENCE_HEIGHT / screen_h);
            height = b.height();
            for (uint32_t k = 0; k < m_line.count(); ++k)
                if (m_line.rect(k).top > rect.top) m_line.get(k).flags |= zml_item_t::HIDDEN;
            m_view.append(m_line);
        }
        y += f->spacing + (f->line_height > height ? f->line_height : height);
    }
    mark_dirty();
    m_built = true;
}

void ui_log_view_t::zml_precache(ui_draw_list_t &list) {
    if (m_built) list.add(m_view);
}

void ui_log_view_t::notify(int32_t flags) {
    if (flags < 0) m_built = false;
    ui_view_t::notify(flags);
}

namespace {

constexpr entity_reg_t LOG_VIEW_REG = game_ui_reg<ui_log_view_t>("ui.comp.logview");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_log_views, quarn::ui_component_row<quarn::LOG_VIEW_REG>());
