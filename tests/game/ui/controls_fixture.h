#pragma once
// The UI fixture with what the tests of the game's controls share: a window made of a
// layout body with the logging test handler ("h: TYPE SOURCE WORD0" per action), its
// views by id with their classes, and raw pointer button events.
#include <gtest/gtest.h>

#include <string>

#include "game/ui/controls/find_item.h"
#include "outside/qrnshared/ui/ui_item.h"
#include "ui_fixture.h"

namespace quarn::test {

class controls_fixture_t : public ui_fixture_t {
protected:
    // No control logs an error unless the test says it expects one (missing
    // materials and fonts of the templates show up here).
    void TearDown() override {
        if (!errors_expected) {
            for (const auto &e : messages.entries()) EXPECT_NE(e.type, message_t::ERROR) << e.text;
        }
        ui_fixture_t::TearDown();
    }

    // A window "t"/name of the layout body (the window's entities) closed by the test
    // handler; the table holds it.
    c_item_t *open(const std::string &body, const std::string &name = "w", uint32_t flags = 0) {
        const std::string path = "/ui/" + name + ".esc";
        layout(path, "entity ui.window {\n" + body + "\n}\nentity ui.test.handler { }\n");
        window_item = insert("t", name.c_str(), path, flags);
        window = ui_window_of(window_item);
        return window_item;
    }
    // The view of that id in the window (or the window given), as class T; null when
    // there is none or it is of another class.
    template <class T>
    T *get(int32_t id, c_item_t *in = nullptr) {
        ui_view_t *w = ui_view_of(in ? in : window_item);
        return dynamic_cast<T *>(ui_view_of(find_item_by_id(w, id, false)));
    }
    // Pointer button 1 going down or up where the pointer is.
    void pointer_button(bool down, uint32_t buttons = 1) {
        ui_event_t e;
        e.type = down ? ui_event_t::BUTTON_DOWN : ui_event_t::BUTTON_UP;
        e.buttons = buttons;
        ui_inject_event(e);
    }
    // The actions the handler heard since the last call; the window's life, pointer
    // moves, the pointer entering and leaving and the focus leaving are left out.
    std::string heard() {
        std::string out;
        for (const std::string &l : ui_test_log_t::lines) {
            if (l.find('@') != std::string::npos || l.find(':') == std::string::npos || l.find(": 17 ") != std::string::npos)
                continue;
            out += (out.empty() ? "" : " | ") + l;
        }
        ui_test_log_t::lines.clear();
        return out;
    }

    c_item_t *window_item = nullptr;
    ui_window_t *window = nullptr;
    bool errors_expected = false;
};

}  // namespace quarn::test
