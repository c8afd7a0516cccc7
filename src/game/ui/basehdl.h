#pragma once
// base_handler_t: the common base of the game's screen handlers (docs/ui-screens.md).
// Every screen gets from it the same behaviour:
// - a focus effect and sound when the pointer enters a button, the accept sound on
//   clicks (ids can be made silent, or sounding again);
// - the pointer's shape (normal, over a button, over a link) on the pointer layer 0;
// - a caption line (the item 999 anywhere in the window) showing the caption of the
//   view or list item under the pointer;
// - an idle timer: seconds since the last key, button or larger pointer move;
// - the pause of the hunt while an in-game dialog is up (show_in_game, hide_in_game);
// - the UIFX cache: the effect views of the window's group 9999, in which any screen
//   code runs a named UI effect over any rectangle of the screen (run_uifx).
//
// Screens reach their items through ui_item (or ui_get<T>): a layout that lacks an
// item is data gone wrong, not a programming error, so the lookup logs it once per
// handler and id ("[ui] '<layout>': no item <id> for <handler>") and the caller skips
// what it would have done with it.
#include <cstdint>

#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/ui/ui_handler.h"
#include "outside/qrnshared/ui/ui_types.h"
#include "outside/qrnshared/ui/ui_view.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

class ui_window_t;

class base_handler_t : public ui_handler_t {
public:
    // The pointer shapes of pointer_state: the groups 1, 2 and 3 of the pointer layout.
    enum pointer_t : uint32_t { POINTER_NONE = 0, POINTER_NORMAL = 1, POINTER_ACTIVE = 2, POINTER_LINK = 3 };
    // The caption line's item, anywhere in the window.
    static constexpr int32_t CAPTION_ITEM = 999;
    // A pointer move of more than this (|dx| + |dy|, reference units) counts as use.
    static constexpr float POINTER_IDLE_SLACK = 10.0f;
    static constexpr float IDLE_AT_CONSTRUCTION = 0.1f;
    static constexpr float IDLE_AT_SHOW = 1.01f;
    static constexpr float UI_SOUND_VOLUME = 0.5f;
    static constexpr const char *FOCUS_SOUND = "/sound/ui/focus.ogg";
    static constexpr const char *ACCEPT_SOUND = "/sound/ui/accept.ogg";
    // The sound tags while a hunt plays and while a dialog holds it.
    static constexpr int32_t SOUND_TAG_GAME = 10;
    static constexpr int32_t SOUND_TAG_DIALOG = 20;
    // Effect views run from the cache carry this plus the caller's id.
    static constexpr int32_t UIFX_ID_BASE = 10000;
    // The group of the window whose effect views are the cache.
    static constexpr int32_t UIFX_CACHE_ITEM = 9999;
    static constexpr const char *FOCUS_EFFECT = "uifx.button.focus";
    // In the pointer layout: the groups 1-3 of the shapes and, 100 above each, the
    // effect view that runs while its shape shows.
    static constexpr int32_t POINTER_EFFECT_BASE = 100;

    base_handler_t();
    ~base_handler_t() override;

    // ---- the framework's operations ----
    // Per frame: the caption, the pointer's shape, the idle timer.
    void handler() override;
    // Idle timer, captions, focus effects and sounds; always false (not consumed).
    // Handlers derived from it call it first or last and answer true for what they
    // consume. A handler without its window answers false.
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;
    // The handler's name (its layout's, else its window's) and an empty caption.
    void on_wcreate() override;
    // Lets go of what it holds of the window.
    void on_wdestroy() override;
    // Normal pointer, idle 1.01 s, pointer position forgotten.
    void on_wshow() override;

    // ---- its own operations ----
    // Writes the text as the "value" of the caption item (nothing without one).
    virtual void set_caption(const char *text);
    // The caption of a list item under the pointer (action 20); null: none.
    virtual const char *query_caption(ui_view_t *view, ui_act_param_t *param);
    // An effect run with that id ended.
    virtual void on_effect_done(int32_t id);

    // ---- the UIFX cache ----
    // Runs the named effect over rect showing the markup text, in that layer of the
    // window; id (-1: none) comes back through on_effect_done when the effect ends.
    // The first idle view of the cache takes it and starts at its next frame; with
    // every view busy the request is dropped; without a cache it is logged.
    void run_uifx(const ui_rect_t &rect, const char *text, const char *effect_name, int32_t layer, int32_t id);
    // The markup a button shows now, for an effect over it: its pressed look while a
    // check or radio button is down, else its normal look; "" for a view that is no
    // button.
    static const char *button_markup(const ui_view_t *view);
    // Stops the cache views run with that id (every one for -1), without on_effect_done.
    void stop_uifx(int32_t id);
    // No view of the cache has a start pending or a live effect.
    bool uifx_idle() const;
    uint32_t get_uifx_cache_size() const { return m_uifx_cache.get_count(); }

    // ---- sounds ----
    // Plays the file once at volume 0.5; nothing when the sound cannot be made.
    static void play_ui_sound(const char *path);
    static void play_accept_sound() { play_ui_sound(ACCEPT_SOUND); }
    // Clicks on a silent id play nothing; a sounding id plays again even when it was
    // made silent before.
    void add_silent_id(int32_t id);
    void add_sounding_id(int32_t id);
    bool is_silent_id(int32_t id) const;
    bool is_sounding_id(int32_t id) const;

    // ---- in-game dialogs ----
    // on_wshow; with a hunt controller current the hunt is held: paused, sound tag 20,
    // pointer layer 0 shown, impulses off. hide_in_game (the in-game dialogs'
    // on_whide) undoes exactly what show_in_game did, so the impulse counter and the
    // pause stay paired even when the controller changed in between.
    void show_in_game();
    void hide_in_game();
    bool holds_game() const { return m_holds_game; }

    // ---- items ----
    // The item of that layout id anywhere in the window (public components); null,
    // logged once per id, when the window has none.
    c_item_t *ui_item(int32_t id);
    ui_view_t *ui_view(int32_t id) { return ui_view_of(ui_item(id)); }
    // The view as the class the screen expects; null, logged once per id, when it is
    // missing or of another class.
    template <class T>
    T *ui_get(int32_t id) {
        ui_view_t *view = ui_view(id);
        T *typed = dynamic_cast<T *>(view);
        if (view && !typed) report_item(id, true);
        return typed;
    }
    // Without a log line, for items a layout may leave out (the caption line).
    c_item_t *find_item(int32_t id) const;
    // Shows or hides the item (false when it is missing, logged).
    bool show_item(int32_t id, bool visible);
    // Sets an attribute of the item from text (false when it is missing, logged, or
    // the attribute does not take the text).
    bool set_item_value(int32_t id, const char *name, const char *text);
    // Sets what the item shows: the "value" of a templated text or button, else the
    // "text" (false when it is missing, logged, or takes neither).
    bool set_item_text(int32_t id, const char *text);
    // The layout path of the window, for messages.
    const char *layout_name() const;

    // ---- state read by derived handlers and tests ----
    float get_idle_time() const { return m_idle_time; }
    uint32_t get_pointer_state() const { return m_pointer_state; }
    // 3 while the pointer is over a link; applied once by the next frame.
    void set_pointer_state(uint32_t state) { m_pointer_state = state; }
    const char *get_caption_text() const { return m_caption_text.c_str(); }

protected:
    // Logs "[ui] '<layout>': no item <id> for <handler>" (or that the item is of
    // another class) once per id; the layout is "" for a handler without window.
    void report_item(int32_t id, bool wrong_class);
    // Holds the game (paused, sound tag 20, pointer layer 0 shown, impulses off) or
    // gives it back. Nothing when it is already so: each hold is given back once, so
    // the pause and the impulse counter stay paired.
    void hold_game(bool hold);

private:
    // False when the pointer layout lacks one of its groups (the state stays).
    bool apply_pointer_state();
    void build_uifx_cache();
    // Stopped and moved out of the way (an empty rectangle).
    static void park_uifx_view(ui_view_t *view);
    void track_idle(uint32_t type, const ui_act_param_t *param);
    void leave_caption(ui_view_t *view);
    void pointer_entered(ui_view_t *view);

    array_dyn_t<int32_t> m_silent_ids;    // ascending
    array_dyn_t<int32_t> m_sounding_ids;  // ascending
    array_dyn_t<int32_t> m_reported_ids;  // ids already logged missing
    array_dyn_t<c_item_ptr_t> m_uifx_cache;  // the effect views of group 9999, in child order
    c_item_ptr_t m_caption_view;          // the view whose caption shows, or none
    mstring_dyn_t m_caption_text;
    bool m_caption_shown = false;
    uint32_t m_pointer_state = POINTER_NONE;
    float m_idle_time = IDLE_AT_CONSTRUCTION;
    bool m_pointer_known = false;
    float m_pointer_x = 0.0f;
    float m_pointer_y = 0.0f;
    bool m_holds_game = false;
};

}  // namespace quarn
