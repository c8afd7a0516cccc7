#pragma once
// The title screens and their attract loop:
// - menu_main_handler_t, "ui.handler.menu.main" ("/ui/mmain.esc", menu/main): the main
//   menu; after 60 s without input it opens the high scores in attract mode;
// - menu_highscore_handler_t, "ui.handler.menu.highscore" ("/ui/mhighscore.esc",
//   menu/highscore): the high-score table scrolling through its portal, with a 5 s
//   rest where the table's top stands at the portal's top; in attract mode the second
//   pass opens the credits;
// - menu_credits_handler_t, "ui.handler.menu.credits" ("/ui/mcredits.esc",
//   menu/credits): the text blocks (items 100-200); in attract mode they leave one by
//   one through "uifx.composite.credits" and the last one's end returns to the main
//   menu.
// In attract mode the controls (item 99) and the pointer are hidden, and any input
// returns to the main menu.
#include <cstdint>

#include "game/ui/menuhdl.h"
#include "outside/qrnshared/c_item.h"

namespace quarn {

class ui_list_t;
class ui_portal_t;

// Set by the main menu when it opens the high scores by itself; cleared each time the
// main menu shows.
extern bool menu_attract_mode;

// The link buttons of the main menu and the credits: hovered they show the link
// pointer, activated they open their value (a localisation key) as a web link.
enum menu_link_id_t : int32_t { MENU_LINK_MAKER = 500, MENU_LINK_GAME = 510 };

class menu_main_handler_t : public menu_screen_handler_t {
public:
    static constexpr float ATTRACT_IDLE = 60.0f;
    enum item_t : int32_t {
        BUTTON_PLAY = 10, BUTTON_PARTY = 15, BUTTON_HIGHSCORE = 20, BUTTON_OPTIONS = 30, BUTTON_CREDITS = 40,
        BUTTON_QUIT = 100, ITEM_VERSION = 200
    };

    void on_wcreate() override;
    void on_wshow() override;
    void on_whide() override { shared_menu_hide(); }
    void handler() override;
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;
};

// The link buttons' part of handle: true when the action was theirs.
bool menu_handle_link(base_handler_t &screen, ui_view_t *view, uint32_t type);

class menu_highscore_handler_t : public menu_screen_handler_t {
public:
    static constexpr float PAUSE = 5.0f;
    static constexpr uint32_t ATTRACT_PASSES = 2;
    enum item_t : int32_t {
        BUTTON_BACK = 10, BUTTON_ONLINE = 20, BUTTON_RESET = 30, ITEM_PORTAL = 40, ITEM_CONTROLS = 99,
        ITEM_WHOLE = 100
    };
    // The list's id in the portal's page.
    static constexpr int32_t PAGE_LIST = 10;

    ~menu_highscore_handler_t() override;
    void on_wshow() override;
    void on_whide() override { shared_menu_hide(); }
    void handler() override;
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;

    // The table's rows into the list; scrolling starts again at the stop point.
    void fill_table();
    float get_position() const { return m_position; }
    float get_stop_point() const { return m_stop; }
    float get_end() const { return m_end; }
    float get_countdown() const { return m_countdown; }
    uint32_t get_passes() const { return m_passes; }
    bool holds_reset_dialog() const { return bool(m_reset_dialog); }

private:
    ui_portal_t *portal();
    ui_list_t *list();
    void watch_reset_dialog();
    void scroll(float dt);
    void place_list();

    float m_countdown = PAUSE;
    float m_position = 0.0f;
    float m_stop = 0.0f;
    float m_end = 0.0f;
    uint32_t m_passes = 0;
    c_item_ptr_t m_reset_dialog;
};

class menu_credits_handler_t : public menu_screen_handler_t {
public:
    static constexpr int32_t FIRST_BLOCK = 100;
    static constexpr int32_t LAST_BLOCK = 200;
    static constexpr float BLOCK_IDLE = 10.0f;
    static constexpr const char *EFFECT = "uifx.composite.credits";
    static constexpr const char *VOICE = "/l10n/%s/sound/voiceover/title/tzk_software_effect_2.ogg";
    static constexpr float VOICE_VOLUME = 0.25f;
    enum item_t : int32_t { BUTTON_BACK = 10, ITEM_CONTROLS = 99 };

    void on_wshow() override;
    void on_whide() override { shared_menu_hide(); }
    void handler() override;
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;
    void on_effect_done(int32_t id) override;

    uint32_t get_block_counter() const { return m_blocks; }

private:
    // The first shown block of 100-200, or null.
    ui_view_t *first_shown_block();

    uint32_t m_blocks = 1;
};

}  // namespace quarn
