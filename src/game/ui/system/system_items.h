#pragma once
// system_items_t: how the developer screens whose handlers derive from ui_handler_t
// directly (the console, the profiler view) reach the items of their window. A layout
// that lacks an item is logged once per id ("[ui] '<layout>': no item <id> for
// <handler>") and the caller skips what it would have done with it.
#include <cstdint>

#include "qrncore/collections/arrays/array_dyn.h"

namespace quarn {

class c_item_t;
class ui_handler_t;
class ui_view_t;

class system_items_t {
public:
    explicit system_items_t(ui_handler_t &owner) : m_owner(owner) {}

    // The view of that layout id anywhere in the handler's window; null (logged once)
    // when there is none.
    ui_view_t *view(int32_t id);
    // The view as the class the screen expects; null (logged once) when it is missing
    // or of another class.
    template <class T>
    T *get(int32_t id) {
        ui_view_t *v = view(id);
        T *typed = dynamic_cast<T *>(v);
        if (v && !typed) report(id, true);
        return typed;
    }
    // What the item shows: its "value" (templated texts), else its "text".
    bool set_text(int32_t id, const char *text);
    bool show(int32_t id, bool visible);

private:
    void report(int32_t id, bool wrong_class);

    ui_handler_t &m_owner;
    array_dyn_t<int32_t> m_reported;
};

}  // namespace quarn
