// The window table, pointer layers, the command "ui" and the layer's start and stop.
#include <strings.h>

#include <algorithm>
#include <cstring>

#include "outside/qrnshared/bindery.h"
#include "outside/qrnshared/effect_registry.h"
#include "outside/qrnshared/qrnshared.h"
#include "outside/qrnshared/r_queue.h"
#include "outside/qrnshared/ui/esc.h"
#include "outside/qrnshared/ui/ui_effect.h"
#include "outside/qrnshared/ui/ui_handler.h"
#include "outside/qrnshared/ui/ui_item.h"
#include "outside/qrnshared/ui/ui_state.h"
#include "outside/qrnshared/ui/ui_window.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// Never destroyed: at exit the memory manager the windows' items belong to may be gone
// already, so nothing may release them then. The layer's state ends with ui_shutdown.
ui_state_t &state = *new ui_state_t;

// The handler the framework registers itself: the shortcut manager's layout closes
// with it. It takes no action of its own.
class ui_shortcut_handler_t : public ui_handler_t {};

entity_t *shortcut_factory(void *memory) {
    return memory ? new (memory) ui_shortcut_handler_t : new ui_shortcut_handler_t;
}

void shortcut_release(entity_t *object, bool in_place) {
    if (in_place) object->~entity_t();
    else delete object;
}

const entity_reg_t SHORTCUT_MANAGER = {"ui.handler.system.shortcut_manager", {0, 0, 0, 0},
                                       uint32_t(sizeof(ui_shortcut_handler_t)), &shortcut_factory, &shortcut_release};

// "ui t|s|h NAME:GROUP": toggles, shows or hides the window.
int ui_command(const cmd_context_t *c) {
    if (c->argc() < 3 || strlen(c->argv(1)) != 1 || !strchr("tsh", c->argv(1)[0])) {
        error("[ui] usage: ui t|s|h NAME:GROUP");
        return cmd_t::FAILED;
    }
    const char *spec = c->argv(2);
    const char *colon = strchr(spec, ':');
    if (!colon) {
        error("[ui] usage: ui t|s|h NAME:GROUP");
        return cmd_t::FAILED;
    }
    mstring_dyn_t name;
    name.copy(spec, 0, 0, uint32_t(colon - spec));
    c_item_t *window = ui_wget(colon + 1, name.c_str());
    if (!window) {
        error("[ui] No window '%s'", spec);
        return cmd_t::FAILED;
    }
    switch (c->argv(1)[0]) {
        case 't':
            if (ui_wis_shown(window)) ui_whide(window);
            else ui_wshow(window);
            break;
        case 's': ui_wshow(window); break;
        default: ui_whide(window); break;
    }
    return cmd_t::DONE;
}

cmd_t UI_COMMAND("ui", &ui_command);

int band_of(uint32_t flags) {
    if (flags & UI_WINSERT_SYSTEM) return 2;
    if (flags & UI_WINSERT_BENEATH) return 0;
    return 1;
}

int32_t find_window(const c_item_t *item) {
    for (uint32_t i = 0; i < state.windows.get_count(); ++i)
        if (state.windows[i].get() == item) return int32_t(i);
    return -1;
}

c_item_t *insert(const char *group, const char *name, uint32_t flags, const char *path, const char *text,
                 bool report) {
    if (!state.running) ui_init();
    esc_document_t doc;
    c_item_t *item = nullptr;
    if (ui_read_layout(path, text, doc)) item = ui_build_layout(doc);
    if (!item) {
        if (report) error("[ui] The window '%s:%s' could not be made from '%s'", name ? name : "", group ? group : "", path ? path : "");
        return nullptr;
    }
    ui_window_t *w = ui_window_of(item);
    w->group_name = group ? group : "";
    w->window_name = name ? name : "";
    w->insert_flags = flags;
    w->serial = ++state.serial;
    if (!state.windows.append(c_item_ptr_t(item))) {
        error("[ui] No memory to keep the window '%s:%s'", name ? name : "", group ? group : "");
        ui_retire_window(item);
        item->release_ref();
        return nullptr;
    }
    item->release_ref();  // the table holds it
    c_item_ptr_t hold(w->handler_item);
    if (ui_handler_t *h = w->get_handler()) h->on_wcreate();
    if (flags & UI_WINSERT_CHILD) w->shown = !(flags & UI_WINSERT_HIDDEN);
    else if (!(flags & UI_WINSERT_HIDDEN)) ui_wshow(item);
    return item;
}

}  // namespace

ui_state_t &ui_state() { return state; }

bool ui_init() {
    if (state.running) return true;
    state.queue = gfx_queue_alloc();
    if (!state.queue) return false;
    state.running = true;
    state.context = ui_render_context_t();
    state.pointer_shown = -1;
    state.cursor_known = false;
    if (qrnshared_kernel().cmd_register_command) bindery_t(bindery_t::REGISTER).update_cmd(UI_COMMAND);
    r_effect_register_directory(UI_EFFECT_DIRECTORY);
    entity_register(&SHORTCUT_MANAGER);
    return true;
}

void ui_shutdown() {
    if (!state.running) return;
    state.splash.release();
    while (!state.pointers.is_empty()) ui_premove(int32_t(state.pointers.get_count() - 1));
    // Newest first. A handler that inserts windows while it is destroyed could keep
    // this going: after a bound, whatever is left is dropped without its calls.
    for (uint32_t guard = 0; !state.windows.is_empty() && guard < 100000; ++guard)
        ui_wremove(state.windows[state.windows.get_count() - 1].get());
    state.windows.clear();
    state.injected.clear();
    if (qrnshared_kernel().cmd_unregister_command && UI_COMMAND.hash)
        bindery_t(bindery_t::UNREGISTER).update_cmd(UI_COMMAND);
    r_effect_unregister_directory(UI_EFFECT_DIRECTORY);
    entity_unregister(&SHORTCUT_MANAGER);
    gfx_queue_free(state.queue);
    state.queue = nullptr;
    state.key_window = state.pointer_window = nullptr;
    state.running = false;
}

bool ui_is_running() { return state.running; }

c_item_t *ui_winsert(const char *group, const char *name, uint32_t flags, const char *path, bool report) {
    return insert(group, name, flags, path, nullptr, report);
}

c_item_t *ui_winsert_text(const char *group, const char *name, uint32_t flags, const char *text,
                          const char *source_name, bool report) {
    return insert(group, name, flags, source_name ? source_name : "<text>", text ? text : "", report);
}

c_item_t *ui_wget(const char *group, const char *name, bool add_ref) {
    for (const c_item_ptr_t &p : state.windows) {
        ui_window_t *w = ui_window_of(p.get());
        if (!w || strcasecmp(w->group_name.c_str(), group ? group : "") != 0 ||
            strcasecmp(w->window_name.c_str(), name ? name : "") != 0)
            continue;
        if (add_ref) p->add_ref();
        return p.get();
    }
    return nullptr;
}

void ui_wshow(c_item_t *window, uint32_t) {
    ui_window_t *w = ui_window_of(window);
    if (!w || w->shown) return;
    w->shown = true;
    w->dirty_cache(nullptr);
    c_item_ptr_t hold(w->handler_item);
    w->notify(UI_NOTIFY_SHOWN);
    if (ui_handler_t *h = w->get_handler()) h->on_wshow();
}

void ui_whide(c_item_t *window) {
    ui_window_t *w = ui_window_of(window);
    if (!w || !w->shown) return;
    w->shown = false;
    c_item_ptr_t hold(w->handler_item);
    w->notify(UI_NOTIFY_SHOWN);
    if (ui_handler_t *h = w->get_handler()) h->on_whide();
}

bool ui_wis_shown(const c_item_t *window) {
    const ui_window_t *w = ui_window_of(window);
    return w && w->shown;
}

void ui_retire_window(c_item_t *window) {
    ui_window_t *w = ui_window_of(window);
    if (!w) return;
    c_item_ptr_t hold_window(window);
    c_item_ptr_t hold(w->handler_item);
    ui_whide(window);
    ui_handler_t *h = w->get_handler();
    if (h) h->on_wdestroy();
    for (int stage = 0; stage < 2; ++stage) {
        w->destroy(stage);
        if (h) h->destroy(stage);
    }
}

void ui_wremove(c_item_t *window) {
    const int32_t i = find_window(window);
    if (i < 0) return;
    c_item_ptr_t hold(window);
    if (state.splash.get() == window) state.splash.release();
    if (state.key_window == window) state.key_window = nullptr;
    if (state.pointer_window == window) state.pointer_window = nullptr;
    ui_retire_window(window);
    // The handler's calls may have changed the table: look again.
    const int32_t j = find_window(window);
    if (j >= 0) state.windows.remove(uint32_t(j));
}

void ui_set_splash(c_item_t *window) {
    if (window && !ui_window_of(window)) return;
    state.splash = window;
}

c_item_t *ui_get_splash() { return state.splash.get(); }

void ui_sorted_windows(array_dyn_t<c_item_t *> &out) {
    out.clear();
    for (const c_item_ptr_t &p : state.windows) {
        ui_window_t *w = ui_window_of(p.get());
        if (w && !(w->insert_flags & UI_WINSERT_CHILD)) out.append(p.get());
    }
    c_item_t **data = out.get_data();
    std::sort(data, data + out.get_count(), [](c_item_t *a, c_item_t *b) {
        const ui_window_t *wa = ui_window_of(a), *wb = ui_window_of(b);
        const int ba = band_of(wa->insert_flags), bb = band_of(wb->insert_flags);
        if (ba != bb) return ba < bb;
        if (wa->layer != wb->layer) return wa->layer < wb->layer;
        return wa->serial < wb->serial;
    });
}

uint32_t ui_window_count() {
    array_dyn_t<c_item_t *> sorted;
    ui_sorted_windows(sorted);
    return sorted.get_count();
}

c_item_t *ui_window_get(uint32_t i) {
    array_dyn_t<c_item_t *> sorted;
    ui_sorted_windows(sorted);
    return i < sorted.get_count() ? sorted[i] : nullptr;
}

// ---- pointer layers ----

int32_t ui_pinsert(const char *path) {
    if (!state.running) ui_init();
    esc_document_t doc;
    c_item_t *item = ui_read_layout(path, nullptr, doc) ? ui_build_layout(doc) : nullptr;
    if (!item) {
        error("[ui] The pointer layer '%s' could not be made", path ? path : "");
        return -1;
    }
    ui_window_t *w = ui_window_of(item);
    w->group_name = "pointer";
    w->window_name = path;
    w->insert_flags = UI_WINSERT_PASSIVE | UI_WINSERT_SYSTEM;
    if (!state.pointers.append(c_item_ptr_t(item))) {
        ui_retire_window(item);
        item->release_ref();
        return -1;
    }
    item->release_ref();
    c_item_ptr_t hold(w->handler_item);
    if (ui_handler_t *h = w->get_handler()) h->on_wcreate();
    return int32_t(state.pointers.get_count() - 1);
}

void ui_premove(int32_t index) {
    if (index < 0 || uint32_t(index) >= state.pointers.get_count()) return;
    c_item_ptr_t hold(state.pointers[uint32_t(index)]);
    ui_retire_window(hold.get());
    state.pointers.remove(uint32_t(index));
    if (state.pointer_shown == index) state.pointer_shown = -1;
    else if (state.pointer_shown > index) --state.pointer_shown;
}

c_item_t *ui_pget(int32_t index) {
    return index >= 0 && uint32_t(index) < state.pointers.get_count() ? state.pointers[uint32_t(index)].get() : nullptr;
}

void ui_pshow(int32_t index) {
    if (index >= int32_t(state.pointers.get_count())) return;
    if (index < -1) index = -1;
    for (uint32_t i = 0; i < state.pointers.get_count(); ++i) {
        c_item_t *p = state.pointers[i].get();
        if (int32_t(i) == index) ui_wshow(p);
        else ui_whide(p);
    }
    state.pointer_shown = index;
}

int32_t ui_pindex() { return state.pointer_shown; }

void ui_pointer_position(float *x, float *y) {
    if (x) *x = state.pointer_x;
    if (y) *y = state.pointer_y;
}

void ui_set_layout_source(ui_layout_source_t source) { state.source = source; }

r_queue_t *ui_queue() { return state.queue; }

void ui_get_reference_mode(float *width, float *height) {
    if (width) *width = UI_REFERENCE_WIDTH;
    if (height) *height = UI_REFERENCE_HEIGHT;
}

}  // namespace quarn
