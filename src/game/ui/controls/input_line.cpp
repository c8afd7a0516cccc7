#include "game/ui/controls/input_line.h"

#include <strings.h>

#include <cmath>
#include <cstring>

#include "game/ui/controls/control_kit.h"
#include "game/ui/ui_classes.h"
#include "outside/qrnshared/text_format.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_window.h"
#include "platform/clipboard.h"

namespace quarn {

namespace {

// Scan codes the line reads.
enum : uint32_t {
    KEY_BACKSPACE = 14,
    KEY_C = 46,
    KEY_V = 47,
    KEY_PAD_DELETE = 83,
    KEY_HOME = 199,
    KEY_END = 207,
    KEY_INSERT = 210,
    KEY_DELETE = 211,
};

constexpr char VERBATIM_CLOSE[] = "</verbatim>";

// The class of a character for Ctrl with the arrows: letters and digits, the rest.
bool word_char(char c) { return ui_is_alnum(static_cast<unsigned char>(c)); }

}  // namespace

bool ui_is_alnum(unsigned char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool ui_is_punct(unsigned char c) { return c > ' ' && c < 127 && !ui_is_alnum(c); }

bool ui_append_verbatim(mstring_t &out, const char *text, uint32_t count) {
    bool ok = out.append("<VERBATIM>");
    for (uint32_t i = 0; i < count && text[i]; ++i) {
        // "</" of a closing tag in the text ends its own section; the rest follows in
        // a new one, so the reader never meets the closing tag inside a section.
        if (count - i >= sizeof VERBATIM_CLOSE - 1 && strncasecmp(text + i, VERBATIM_CLOSE, sizeof VERBATIM_CLOSE - 1) == 0) {
            ok = out.append("</</VERBATIM><VERBATIM>") && ok;
            ++i;
            continue;
        }
        ok = out.append(text[i]) && ok;
    }
    return out.append("</VERBATIM>") && ok;
}

// ---- ui_input_line_t ----

const evalue_def_t ui_input_line_t::value_defs[] = {
    {"keep_input", EVT_BOOL, nullptr, &evd_locate<ui_input_line_t, &ui_input_line_t::keep_input>,
     &evd_flags<ui_input_line_t, &ui_input_line_t::keep_input_flags>, nullptr},
    {"limit", EVT_INT, nullptr, &evd_locate<ui_input_line_t, &ui_input_line_t::limit>,
     &evd_flags<ui_input_line_t, &ui_input_line_t::limit_flags>, nullptr},
    {"cursor", EVT_TEXT, nullptr, &evd_locate<ui_input_line_t, &ui_input_line_t::cursor>,
     &evd_flags<ui_input_line_t, &ui_input_line_t::cursor_flags>, nullptr},
    {"style", EVT_TEXT, nullptr, &evd_locate<ui_input_line_t, &ui_input_line_t::style>,
     &evd_flags<ui_input_line_t, &ui_input_line_t::style_flags>, nullptr},
};
const evalue_table_t ui_input_line_t::values = {value_defs, sizeof value_defs / sizeof value_defs[0],
                                                &ui_view_t::values};

ui_input_line_t::ui_input_line_t() {
    view_flags |= UI_VIEW_FOCUSABLE | UI_VIEW_KEEP_INPUT;
    m_text.request_capacity(m_capacity);
}

int ui_input_line_t::init(int stage) {
    if (const int r = ui_view_t::init(stage)) return r;
    if (stage == 0 && !keep_input) view_flags &= ~uint32_t(UI_VIEW_KEEP_INPUT);
    return 0;
}

bool ui_input_line_t::store(const char *text) {
    uint32_t n = uint32_t(strlen(text));
    if (n + 1 > m_capacity) {
        uint32_t want = m_capacity;
        while (want < n + 1 && want < 0x80000000u) want *= 2;
        if (m_text.request_capacity(want)) {
            m_capacity = want;
        } else {
            error("cannot realloc buffer to size %u (capped to %u)", want, m_capacity);
            limit = int32_t(m_capacity - 1);
            n = m_capacity - 1;
        }
    }
    m_text.copy(string(text), 0, 0, n);
    m_text_dirty = true;
    return true;
}

void ui_input_line_t::set_text(const char *text, bool keep_cursor) {
    if (!text) text = "";
    uint32_t n = uint32_t(strlen(text));
    if (limit > 0 && n > uint32_t(limit)) n = uint32_t(limit);
    mstring_dyn_t cut;
    cut.copy(string(text), 0, 0, n);
    store(cut.c_str());
    const uint32_t length = m_text.length();
    m_cursor = keep_cursor ? (m_cursor < length ? m_cursor : length) : 0;
}

void ui_input_line_t::set_cursor(uint32_t n, bool from_end) {
    const uint32_t length = m_text.length();
    m_cursor = from_end ? (n < length ? length - n : 0) : (n < length ? n : length);
}

void ui_input_line_t::clear() {
    store("");
    m_cursor = 0;
}

bool ui_input_line_t::edit(const char *proposed, uint32_t new_cursor) {
    ui_act_param_t check;
    check.text = proposed;
    check.accept = true;
    if (ui_raise(this, UI_ACT_TEXT_CHECK, &check) && !check.accept) return false;
    store(proposed);
    set_cursor(new_cursor, false);
    ui_act_param_t done;
    done.text = m_text.c_str();
    ui_raise(this, UI_ACT_TEXT_CHANGED, &done);
    return true;
}

void ui_input_line_t::submit() {
    // The text travels as a copy: the screen may set the line while it reads it.
    mstring_dyn_t line(m_text.c_str());
    ui_act_param_t p;
    p.text = line.c_str();
    ui_raise(this, UI_ACT_ACTIVATE, &p);
    if (!keep_input) clear();
}

void ui_input_line_t::copy_to_clipboard() const { platform::clipboard_set_text(m_text.c_str()); }

void ui_input_line_t::paste_from_clipboard() {
    char pasted[PASTE_MAX + 1];
    if (!platform::clipboard_get_text(pasted, sizeof pasted)) return;
    for (char *p = pasted; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (!ui_is_alnum(c) && !ui_is_punct(c)) *p = ' ';
    }
    if (limit > 0 && strlen(pasted) > uint32_t(limit)) pasted[limit] = 0;
    edit(pasted, 0);
}

bool ui_input_line_t::handle_key(const ui_event_t &event) {
    if (event.modifiers & UI_MOD_ALT) return false;
    const bool ctrl = (event.modifiers & UI_MOD_CTRL) != 0;
    const uint32_t length = m_text.length();
    mstring_dyn_t proposed(m_text.c_str());
    switch (event.code) {
        case KEY_BACKSPACE:
            if (m_cursor > 0) {
                proposed.remove(m_cursor - 1, m_cursor);
                edit(proposed.c_str(), m_cursor - 1);
            }
            return true;
        case KEY_DELETE:
        case KEY_PAD_DELETE:
            if (m_cursor < length) {
                proposed.remove(m_cursor, m_cursor + 1);
                edit(proposed.c_str(), m_cursor);
            }
            return true;
        case KEY_HOME: m_cursor = 0; return true;
        case KEY_END: m_cursor = length; return true;
        case UI_KEY_LEFT:
            if (m_cursor > 0) --m_cursor;
            if (ctrl && m_cursor < length) {
                // Back over the run the character at the cursor belongs to.
                const bool word = word_char(m_text[m_cursor]);
                while (m_cursor > 0 && word_char(m_text[m_cursor - 1]) == word) --m_cursor;
            }
            return true;
        case UI_KEY_RIGHT:
            if (ctrl && m_cursor < length) {
                const bool word = word_char(m_text[m_cursor]);
                while (m_cursor < length && word_char(m_text[m_cursor]) == word) ++m_cursor;
            } else if (m_cursor < length) {
                ++m_cursor;
            }
            return true;
        case KEY_INSERT: m_insert = !m_insert; return true;
        default: break;
    }
    if (ctrl && event.code == KEY_C) {
        copy_to_clipboard();
        return true;
    }
    if (ctrl && event.code == KEY_V) {
        paste_from_clipboard();
        return true;
    }
    // Printable Latin-1 characters; control characters (Tab, Escape) are not text.
    const uint32_t c = event.character;
    if (c < 32 || c == 127 || c > 255) return false;
    if (limit > 0 && m_cursor >= uint32_t(limit)) return true;
    if (m_insert || m_cursor >= length) {
        if (limit > 0 && length >= uint32_t(limit)) return true;
        mstring_dyn_t tail(m_text.c_str() + m_cursor);
        proposed.copy(string(m_text.c_str()), 0, 0, m_cursor);
        proposed.append(char(c));
        proposed.append(tail);
    } else {
        proposed.data()[m_cursor] = char(c);
    }
    edit(proposed.c_str(), m_cursor + 1);
    return true;
}

void ui_input_line_t::place_cursor_at(float x, float y) {
    // Each character of the rendered runs is a box of its own.
    bool found = false, near = false;
    float best = 0.0f;
    uint32_t pick = 0;
    for (uint32_t i = 0; i < m_text_buffer.count() && !found; ++i) {
        const zml_item_t &item = m_text_buffer.get(i);
        if (item.first_char < 0 || (item.flags & zml_item_t::HIDDEN) || item.kind != zml_item_t::GLYPHS) continue;
        const ui_rect_t r = m_text_buffer.rect(i);
        if (r.top < y) break;  // the walk ends at the first item below the point
        for (uint32_t k = 0; k < item.char_count; ++k) {
            const float left = r.left + float(k) * item.glyph_width;
            const ui_rect_t box{left, left + item.glyph_width, r.top, r.bottom};
            const uint32_t index = uint32_t(item.first_char) + k;
            if (box.contains(x, y)) {
                pick = index;
                found = true;
                break;
            }
            if (y >= box.bottom && y <= box.top) {
                const float d = std::fabs((box.left + box.right) * 0.5f - x);
                if (!near || d < best) {
                    near = true;
                    best = d;
                    pick = index;
                }
            }
        }
    }
    set_cursor(pick, false);
}

void ui_input_line_t::handle_event(ui_event_t *event) {
    if (event->is_key()) {
        const uint32_t ctrl = ui_get_ctrlcallback(event);
        if (ctrl & UI_CTRL_ACTION) {
            // The press of the action key is the screen's; its release submits.
            if (ctrl & UI_CTRL_RELEASE) {
                submit();
                event->consumed = true;
            }
        } else {
            if (event->type == ui_event_t::KEY_DOWN && !m_key_held) {
                m_repeat_event = *event;
                m_repeat_timer = REPEAT_DELAY;
                m_key_held = true;
            }
            if (event->type == ui_event_t::KEY_UP) m_key_held = false;
            if (event->type == ui_event_t::KEY_DOWN && handle_key(*event)) event->consumed = true;
        }
    } else if (event->type == ui_event_t::BUTTON_DOWN && (event->buttons & 1) && hit_rect().contains(event->x, event->y)) {
        place_cursor_at(event->x, event->y);
    }
    ui_view_t::handle_event(event);
}

void ui_input_line_t::render_text(uint32_t count) {
    mstring_dyn_t shown, markup;
    ui_append_verbatim(shown, m_text.c_str(), count);
    // The style is data: its "%s" is filled by the checked formatter.
    text_format(markup, style.c_str(), {shown.c_str()});
    zml_render_to(m_text_buffer, markup.c_str(), rect);
}

void ui_input_line_t::render() {
    if (m_text_dirty) {
        m_text_dirty = false;
        const uint32_t length = m_text.length();
        render_text(length);
        if (m_text_buffer.is_clipped()) {
            // The longest prefix that shows whole, by halving: lo fits, hi clips.
            uint32_t lo = 0, hi = length;
            while (hi - lo > 1) {
                const uint32_t mid = lo + (hi - lo) / 2;
                render_text(mid);
                if (m_text_buffer.is_clipped()) hi = mid;
                else lo = mid;
            }
            m_text.copy(string(m_text.c_str()), 0, 0, lo);
            if (m_cursor > lo) m_cursor = lo;
            render_text(lo);
        }
        mark_dirty();
    }
    if (m_cursor_dirty) {
        m_cursor_dirty = false;
        zml_render_to(m_cursor_buffer, cursor.c_str(), rect);
        ui_rect_t b;
        if (m_cursor_buffer.get_bounds(b)) m_cursor_buffer.offset(-b.left, -b.bottom);
    }
    if (m_empty_dirty) {
        m_empty_dirty = false;
        mstring_dyn_t shown, markup;
        ui_append_verbatim(shown, " ", 1);
        text_format(markup, style.c_str(), {shown.c_str()});
        zml_render_to(m_empty_buffer, markup.c_str(), rect);
    }
}

bool ui_input_line_t::cursor_place(float *x, float *y, float *width) const {
    const uint32_t length = m_text.length();
    // An empty line puts the cursor where its first character would stand.
    const zml_buffer_t &b = length ? m_text_buffer : m_empty_buffer;
    const uint32_t at = length && m_cursor >= length ? length - 1 : (length ? m_cursor : 0);
    for (uint32_t i = 0; i < b.count(); ++i) {
        const zml_item_t &item = b.get(i);
        if (item.kind != zml_item_t::GLYPHS || item.first_char < 0 || (item.flags & zml_item_t::HIDDEN)) continue;
        if (at < uint32_t(item.first_char) || at >= uint32_t(item.first_char) + item.char_count) continue;
        const ui_rect_t r = b.rect(i);
        // At the end of a text the cursor stands at the right edge of the last character.
        const uint32_t column = at - uint32_t(item.first_char) + (length && m_cursor >= length ? 1 : 0);
        *x = r.left + float(column) * item.glyph_width;
        *y = r.bottom;
        *width = item.glyph_width;
        return true;
    }
    return false;
}

void ui_input_line_t::handler() {
    ui_view_t::handler();
    const ui_render_context_t *context = ui_context();
    const float dt = float(context ? context->frame_time : 0.0);
    if (!is_active()) {
        m_cursor_shown = false;
    } else if (m_insert) {
        m_blink += dt;
        while (m_blink >= BLINK_PERIOD) {
            m_blink -= BLINK_PERIOD;
            m_cursor_shown = !m_cursor_shown;
        }
    } else {
        m_cursor_shown = true;
    }
    if (m_key_held) {
        if (!is_focused()) {
            m_key_held = false;
        } else {
            m_repeat_timer -= dt;
            if (m_repeat_timer < 0.0f) {
                ui_event_t again = m_repeat_event;
                again.consumed = false;
                handle_event(&again);
                m_repeat_timer = REPEAT_PERIOD;
            }
        }
    }
    if (is_visible()) render();
}

void ui_input_line_t::zml_precache(ui_draw_list_t &list) { list.add(m_text_buffer); }

void ui_input_line_t::draw(r_queue_t *queue) {
    if (!is_visible() || !m_cursor_shown || !is_focused()) return;
    float x = 0.0f, y = 0.0f, width = 0.0f;
    if (!cursor_place(&x, &y, &width)) return;
    // The cursor stretched to the character's width, standing on its baseline.
    m_cursor_drawn.copy_from(m_cursor_buffer);
    ui_rect_t b;
    const float scale = m_cursor_buffer.get_bounds(b) && b.width() > 0.0f ? width / b.width() : 1.0f;
    for (uint32_t i = 0; i < m_cursor_drawn.count(); ++i) {
        zml_item_t &item = m_cursor_drawn.get(i);
        const float left = (item.rect.left + m_cursor_buffer.get_x()) * scale;
        const float right = (item.rect.right + m_cursor_buffer.get_x()) * scale;
        item.rect.left = left;
        item.rect.right = right;
        item.glyph_width *= scale;
    }
    m_cursor_drawn.set_position(x, y + m_cursor_buffer.get_y());
    zml_buffer_flush(m_cursor_drawn, queue);
}

void ui_input_line_t::notify(int32_t flags) {
    if (flags < 0) m_text_dirty = m_cursor_dirty = m_empty_dirty = true;
    ui_view_t::notify(flags);
}

void ui_input_line_t::changed(uint32_t flags) {
    if (flags & (UI_CHANGED_SIZE | UI_CHANGED_CONTENT)) m_text_dirty = m_cursor_dirty = m_empty_dirty = true;
    ui_view_t::changed(flags);
}

// ---- ui_common_input_line_t ----

const evalue_def_t ui_common_input_line_t::value_defs[] = {
    {"look", EVT_INT, "0", &evd_locate<ui_common_input_line_t, &ui_common_input_line_t::look>,
     &evd_flags<ui_common_input_line_t, &ui_common_input_line_t::look_flags>, nullptr},
    {"value", EVT_TEXT, nullptr, &evd_locate<ui_common_input_line_t, &ui_common_input_line_t::value>,
     &evd_flags<ui_common_input_line_t, &ui_common_input_line_t::value_flags>, nullptr},
};
const evalue_table_t ui_common_input_line_t::values = {value_defs, sizeof value_defs / sizeof value_defs[0],
                                                       &ui_input_line_t::values};

int ui_common_input_line_t::init(int stage) {
    if (stage == 0) {
        m_templates.acquire();
        apply_template(true);
    }
    return ui_input_line_t::init(stage);
}

void ui_common_input_line_t::destroy(int stage) {
    if (stage == 0) m_templates.release();
    ui_input_line_t::destroy(stage);
}

void ui_common_input_line_t::apply_template(bool at_init) {
    look_flags = value_flags = 0;
    const ui_def_templates_t &templates = m_templates.templates();
    if (const def_obj_t *t = templates.find(look))
        if (ui_template_size_flags(*this, *t)) changed(UI_CHANGED_SIZE);
    mstring_dyn_t text;
    if (!templates.expand(look, "style", value.c_str(), text)) text.copy("%s");
    style.copy(text);
    if (!templates.expand(look, "cursor", value.c_str(), text)) text.copy("_");
    cursor.copy(text);
    if (at_init) {
        if (templates.expand(look, "limit", value.c_str(), text)) set_value("limit", text.c_str());
        if (templates.expand(look, "keep_input", value.c_str(), text)) set_value("keep_input", text.c_str());
    }
    changed(UI_CHANGED_CONTENT);
}

void ui_common_input_line_t::handler() {
    if ((look_flags | value_flags) & EVF_WRITTEN) apply_template();
    ui_input_line_t::handler();
}

void ui_common_input_line_t::changed(uint32_t flags) {
    if (flags & UI_CHANGED_SIZE)
        if (const def_obj_t *t = m_templates.templates().find(look)) ui_template_resize(*this, *t);
    ui_input_line_t::changed(flags);
}

namespace {

constexpr entity_reg_t COMMON_INPUT_LINE_REG = game_ui_reg<ui_common_input_line_t>("ui.comp.common.inputline");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_input_lines, quarn::ui_component_row<quarn::COMMON_INPUT_LINE_REG>());
