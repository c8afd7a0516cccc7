#pragma once
// Entity classes for tests of the UI layer and of screens: a markup text view, a
// focusable button, a group whose action hook ends the bubble, a view that uses every
// key, and a handler that writes down what it hears. Header-only, so that the shared
// layer's tests and the game's share them; every call goes into one text log that a
// test reads and clears.
//
// register_ui_test_classes() registers the "test.*" classes; with `framework` also
// "ui.window" and "ui.comp.group" over the layer's own classes (tests without the
// game module, which registers those itself).
#include <cstdio>
#include <string>
#include <vector>

#include "outside/qrnshared/ui/entity.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_group.h"
#include "outside/qrnshared/ui/ui_handler.h"
#include "outside/qrnshared/ui/ui_window.h"
#include "outside/qrnshared/ui/zml.h"

namespace quarn::test {

struct ui_test_log_t {
    static inline std::vector<std::string> lines;
    static void add(const std::string &line) { lines.push_back(line); }
    // The lines joined by " | ", and the log emptied.
    static std::string take() {
        std::string all;
        for (const std::string &l : lines) all += (all.empty() ? "" : " | ") + l;
        lines.clear();
        return all;
    }
};

inline std::string ui_view_label(const ui_view_t *v) {
    if (!v) return "-";
    if (*v->get_name()) return v->get_name();
    return std::to_string(v->id);
}

// "ui.test.text": its "text" attribute rendered in its rectangle, handed to the
// window's layer. It renders again when the text is written, the size changes or the
// layer asks (negative notify), and then marks itself dirty, unless
// `forget_dirty_mark` is set: the fault the stale-draw test shows.
class test_text_view_t : public ui_view_t {
    UI_ENTITY_VALUES()

public:
    void handler() override {
        ui_view_t::handler();
        if (text_flags & EVF_WRITTEN) {
            text_flags = 0;
            rendered = false;
        }
        if (is_visible() && !rendered) {
            zml_render_to(buffer, text.c_str(), rect);
            rendered = true;
            ++renders;
            if (!forget_dirty_mark) mark_dirty();
        }
    }
    void zml_precache(ui_draw_list_t &list) override {
        if (rendered) list.add(buffer, tint);
    }
    void notify(int32_t flags) override {
        if (flags < 0) rendered = false;
        ui_view_t::notify(flags);
    }
    void changed(uint32_t flags) override {
        if (flags & (UI_CHANGED_SIZE | UI_CHANGED_CONTENT)) rendered = false;
        ui_view_t::changed(flags);
    }
    // A rendered text moves with the view instead of rendering again.
    void offset(float dx, float dy, uint32_t flags) override {
        if (!rendered || !(flags & UI_OFFSET_RECT)) return ui_view_t::offset(dx, dy, flags);
        rect.move(dx, dy);
        if (has_area && (flags & UI_OFFSET_AREA)) area.move(dx, dy);
        buffer.offset(dx, dy);
        mark_dirty();
    }

    mstring_dyn_t text;
    uint8_t text_flags = 0;
    uint32_t tint = ZML_WHITE;
    zml_buffer_t buffer;
    bool rendered = false;
    int renders = 0;
    static inline bool forget_dirty_mark = false;

private:
    static inline const evalue_def_t defs[] = {
        {"text", EVT_TEXT, nullptr, &evd_locate<test_text_view_t, &test_text_view_t::text>,
         &evd_flags<test_text_view_t, &test_text_view_t::text_flags>, nullptr},
        {"tint", EVT_UINT, nullptr, &evd_locate<test_text_view_t, &test_text_view_t::tint>, nullptr, nullptr},
    };
};
inline const evalue_table_t test_text_view_t::values = {test_text_view_t::defs, 2, &ui_view_t::values};

// "ui.test.button": takes the focus; the action key's press raises action 2 (it is
// consumed); every action it hears is logged.
class test_button_t : public ui_view_t {
public:
    test_button_t() { view_flags |= UI_VIEW_FOCUSABLE | UI_VIEW_BUTTON; }
    void handle_event(ui_event_t *event) override {
        if ((ui_get_ctrlcallback(event) & (UI_CTRL_ACTION | UI_CTRL_PRESS)) == (UI_CTRL_ACTION | UI_CTRL_PRESS)) {
            event->consumed = true;
            ui_act_param_t p;
            p.word0 = 1;
            action(this, UI_ACT_ACTIVATE, &p);
        }
        ui_view_t::handle_event(event);
    }
};

// "ui.test.stop": a group whose action hook takes every key action (7, 8) and logs
// it, so that they never reach the handler.
class test_stop_group_t : public ui_group_t {
public:
    bool action(ui_view_t *source, uint32_t type, ui_act_param_t *param) override {
        if (type == UI_ACT_KEY_DOWN || type == UI_ACT_KEY_UP) {
            ui_test_log_t::add("stop " + std::to_string(type) + " from " + ui_view_label(source));
            return true;
        }
        return ui_group_t::action(source, type, param);
    }
};

// "ui.test.eater": a focusable view that uses every key event.
class test_eater_t : public ui_view_t {
public:
    test_eater_t() { view_flags |= UI_VIEW_FOCUSABLE; }
    void handle_event(ui_event_t *event) override {
        if (event->is_key()) {
            event->consumed = true;
            ui_test_log_t::add("eat " + std::to_string(event->code));
        }
    }
};

// "ui.test.failing": a view whose init answers 7 at its `stage` attribute (-1: never)
// and that logs its destroy stages.
class test_failing_view_t : public ui_view_t {
    UI_ENTITY_VALUES()

public:
    int init(int s) override { return s == stage ? 7 : 0; }
    void destroy(int s) override { ui_test_log_t::add("failing destroy " + std::to_string(s)); }

    int32_t stage = -1;

private:
    static inline const evalue_def_t defs[] = {
        {"stage", EVT_INT, nullptr, &evd_locate<test_failing_view_t, &test_failing_view_t::stage>, nullptr, nullptr},
    };
};
inline const evalue_table_t test_failing_view_t::values = {test_failing_view_t::defs, 1, &ui_view_t::values};

// "ui.test.handler": logs its window's life and every action:
// "<type> <source> <word0>" (pointer actions with the position instead of word0).
class test_handler_t : public ui_handler_t {
public:
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override {
        char line[160];
        if (type == UI_ACT_POINTER_MOVE || type == UI_ACT_POINTER_ENTER || type == UI_ACT_POINTER_LEAVE)
            snprintf(line, sizeof line, "%s: %u %s @%d,%d", *get_name() ? get_name() : "h", type,
                     ui_view_label(view).c_str(), int(param->x), int(param->y));
        else
            snprintf(line, sizeof line, "%s: %u %s %u", *get_name() ? get_name() : "h", type, ui_view_label(view).c_str(),
                     param ? param->word0 : 0u);
        ui_test_log_t::add(line);
        return false;
    }
    void on_wcreate() override { note("create"); }
    void on_wdestroy() override { note("destroy"); }
    void on_wshow() override { note("show"); }
    void on_whide() override { note("hide"); }
    void on_wfocus() override { note("focus"); }
    void on_wunfocus() override { note("unfocus"); }
    void handler() override { ++frames; }

    int frames = 0;

private:
    void note(const char *what) { ui_test_log_t::add(std::string(*get_name() ? get_name() : "h") + " " + what); }
};

template <class T>
entity_t *ui_test_factory(void *memory) {
    return memory ? new (memory) T : new T;
}
inline void ui_test_release(entity_t *object, bool in_place) {
    if (in_place) object->~entity_t();
    else delete object;
}
template <class T>
constexpr entity_reg_t ui_test_reg(const char *name) {
    return {name, {0, 0, 0, 0}, uint32_t(sizeof(T)), &ui_test_factory<T>, &ui_test_release};
}

inline const entity_reg_t UI_TEST_FRAMEWORK_REGS[] = {
    ui_test_reg<ui_window_t>("ui.window"),
    ui_test_reg<ui_group_t>("ui.comp.group"),
};
inline const entity_reg_t UI_TEST_REGS[] = {
    ui_test_reg<test_text_view_t>("ui.test.text"),   ui_test_reg<test_button_t>("ui.test.button"),
    ui_test_reg<test_stop_group_t>("ui.test.stop"),  ui_test_reg<test_eater_t>("ui.test.eater"),
    ui_test_reg<test_handler_t>("ui.test.handler"), ui_test_reg<test_failing_view_t>("ui.test.failing"),
};

inline bool register_ui_test_classes(bool framework) {
    bool ok = true;
    if (framework)
        for (const entity_reg_t &r : UI_TEST_FRAMEWORK_REGS) ok = entity_register(&r) && ok;
    for (const entity_reg_t &r : UI_TEST_REGS) ok = entity_register(&r) && ok;
    return ok;
}

inline void unregister_ui_test_classes() {
    for (const entity_reg_t &r : UI_TEST_FRAMEWORK_REGS) entity_unregister(&r);
    for (const entity_reg_t &r : UI_TEST_REGS) entity_unregister(&r);
}

}  // namespace quarn::test
