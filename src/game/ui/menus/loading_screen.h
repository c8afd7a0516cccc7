#pragma once
// The loading screen's two operations, as the game process calls them. The window
// "splash"/"load" ("/ui/sload.esc") shows while a mission or a round is started; its
// handler implements loading_screen_t, and the game process reaches it through the
// window (loading_screen_of):
// - start_loading (show tip): the screen goes up. A round shows a tip and, once
//   loading has finished, waits for a key; a mission does not.
// - finish_loading: loading is done. Without a tip the screen closes at once
//   (game_process_t::close_splash); otherwise it waits for the key, then closes.
namespace quarn {

class c_item_t;

class loading_screen_t {
public:
    virtual void start_loading(bool show_tip) = 0;
    virtual void finish_loading() = 0;

protected:
    ~loading_screen_t() = default;
};

// The loading screen of the window's handler; null for no window, no handler, or a
// handler that is no loading screen.
loading_screen_t *loading_screen_of(c_item_t *window);

}  // namespace quarn
