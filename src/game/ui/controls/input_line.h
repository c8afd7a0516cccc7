#pragma once
// Single-line text entry (docs/ui-controls.md, "Input lines"):
// - ui_input_line_t: the editor: typed characters in insert or overwrite mode, the
//   editing keys, Ctrl with the arrows (runs of letters and digits), Ctrl+C / Ctrl+V
//   through the system clipboard, key repeat, a blinking cursor; validate (3) before
//   every edit, changed (4) after it, submit (2) with the text when the action key is
//   let go. The text shows as typed (markup in it is not read), put into `style`,
//   and is cut to what fits the control.
// - ui_common_input_line_t, "ui.comp.common.inputline": the editor with `style`,
//   `cursor`, `limit` and `keep_input` from a template of "/def/ui/inp.def".
// - ui_history_line_t, "ui.comp.historyline": the console's command line, with a
//   history of 25 lines (Up and Down) and Tab completion over the kernel's commands
//   and variables.
#include <cstdint>

#include "game/ui/ui_templates.h"
#include "outside/qrnshared/ui/ui_view.h"
#include "outside/qrnshared/ui/zml.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

// Appends text (its first count bytes) as a verbatim section of markup: shown as
// written, tags and escapes included. A "</verbatim>" in the text is split so that it
// shows too.
bool ui_append_verbatim(mstring_t &out, const char *text, uint32_t count);

// Letters and digits of the C locale, by unsigned byte; bytes above 127 are neither.
bool ui_is_alnum(unsigned char c);
// Printable ASCII that is neither a letter, a digit nor a blank.
bool ui_is_punct(unsigned char c);

class ui_input_line_t : public ui_view_t {
    UI_ENTITY_VALUES()

public:
    static constexpr float BLINK_PERIOD = 0.35f;
    static constexpr float REPEAT_DELAY = 0.75f;
    static constexpr float REPEAT_PERIOD = 0.05f;
    static constexpr uint32_t PASTE_MAX = 2047;

    ui_input_line_t();

    int init(int stage) override;
    void handler() override;
    void zml_precache(ui_draw_list_t &list) override;
    void draw(r_queue_t *queue) override;
    void handle_event(ui_event_t *event) override;
    void notify(int32_t flags) override;
    void changed(uint32_t flags) override;

    // The text (cut to `limit` when there is one); the cursor stays where it was but
    // not past the end when keep_cursor is set, else goes to 0.
    void set_text(const char *text, bool keep_cursor);
    // The cursor at length - n (not below 0) from the end, else at n (not past the end).
    void set_cursor(uint32_t n, bool from_end);
    void clear();

    const char *get_text() const { return m_text.c_str(); }
    uint32_t get_length() const { return m_text.length(); }
    uint32_t get_cursor() const { return m_cursor; }
    bool is_insert_mode() const { return m_insert; }
    bool is_cursor_shown() const { return m_cursor_shown; }
    const zml_buffer_t &get_text_buffer() const { return m_text_buffer; }
    // Where the cursor is drawn (left, baseline) and the width it is stretched to;
    // false when the line has no place for it.
    bool cursor_place(float *x, float *y, float *width) const;

    bool keep_input = true;
    int32_t limit = 0;
    mstring_dyn_t cursor{"_"};
    mstring_dyn_t style{"%s"};
    uint8_t keep_input_flags = 0, limit_flags = 0, cursor_flags = 0, style_flags = 0;

protected:
    // A key going down: true when the line used it (the event is then consumed).
    // Keys with Alt are ignored.
    virtual bool handle_key(const ui_event_t &event);
    // Validate (3) with the proposed text; when accepted the text is stored, the
    // cursor placed and changed (4) raised. False when refused.
    bool edit(const char *proposed, uint32_t new_cursor);
    // Sends the submit action (2) with the text.
    void submit();

private:
    bool store(const char *text);
    void render();
    void render_text(uint32_t count);
    void place_cursor_at(float x, float y);
    void copy_to_clipboard() const;
    void paste_from_clipboard();

    static const evalue_def_t value_defs[];

    mstring_dyn_t m_text;
    uint32_t m_capacity = 32;
    uint32_t m_cursor = 0;
    bool m_insert = true;
    bool m_cursor_shown = true;
    float m_blink = 0.0f;
    // Key repeat: the key held, its event and the time to its next repeat.
    bool m_key_held = false;
    ui_event_t m_repeat_event;
    float m_repeat_timer = 0.0f;
    // The rendered text, the cursor (its bounds starting at 0, 0), the style with a
    // blank (where the cursor of an empty line goes) and the cursor as drawn.
    zml_buffer_t m_text_buffer, m_cursor_buffer, m_empty_buffer, m_cursor_drawn;
    bool m_text_dirty = true, m_cursor_dirty = true, m_empty_dirty = true;
};

class ui_common_input_line_t : public ui_input_line_t {
    UI_ENTITY_VALUES()

public:
    int init(int stage) override;
    void destroy(int stage) override;
    void handler() override;
    void changed(uint32_t flags) override;

    // Applies template `look` with `value`: size flags, `style`, `cursor`, and at
    // init also `limit` and `keep_input` when the template has them.
    void apply_template(bool at_init = false);

    int32_t look = 0;
    mstring_dyn_t value;
    uint8_t look_flags = 0, value_flags = 0;

private:
    static const evalue_def_t value_defs[];
    ui_template_user_t m_templates{ui_template_kind_t::INPUTLINE};
};

class ui_history_line_t : public ui_input_line_t {
public:
    static constexpr uint32_t HISTORY = 25;

    // Its own submit: the action goes on to the screen first (which runs the line),
    // then the text joins the history and the line empties; answered as handled.
    bool action(ui_view_t *source, uint32_t type, ui_act_param_t *param) override;

    void add_history(const char *line);
    uint32_t get_history_count() const { return m_history.get_count(); }
    const char *get_history(uint32_t i) const { return m_history[i].c_str(); }
    // Completes the text over the commands and variables whose names start with it.
    void complete();

protected:
    bool handle_key(const ui_event_t &event) override;

private:
    void browse(bool back);

    array_dyn_t<mstring_dyn_t> m_history;
    uint32_t m_write = 0;
    uint32_t m_browse = 0;
};

}  // namespace quarn
