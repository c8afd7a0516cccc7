#pragma once
// system_bugreport_handler_t, "ui.handler.system.bugreport": the play testers' bug
// report tool (window "system_05"/"bugreport", "/ui/system/bugreport.esc", shown by
// the command "bugreport"; docs/ui-system.md).
//
// Shown, it holds the hunt (the game process paused, the pointer's layer 0 shown),
// writes the camera's position into item 20 and gives the focus to the note line
// (item 21). "Report" (item 100, or Enter in the note) appends the note as a marker at
// that position to the map's scene file "/home/bugs-<map>.ma", written with the
// header the first time; Cancel (101, or Escape) just closes. Hidden, it gives the
// pause and the pointer back as they were. While a game started from the menu runs
// (game data mode 1) the window closes at once.
#include <cstdint>

#include "game/ui/basehdl.h"
#include "qrncore/math/vec.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

class system_bugreport_handler_t : public base_handler_t {
public:
    static constexpr int32_t DESC_ITEM = 20;
    static constexpr int32_t NOTE_ITEM = 21;
    static constexpr int32_t OK_ITEM = 100;
    static constexpr int32_t CANCEL_ITEM = 101;
    static constexpr const char *PATH_FORMAT = "/home/bugs-%s.ma";

    void on_wshow() override;
    void on_whide() override;
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;

    // Appends the report of the note at the position to the map's file. False, logged,
    // when the file cannot be opened or written.
    bool write_report();

    // The marker's name: "%.0f%.0f%.0f" of the absolute coordinates and then
    // 100 × random (nothing for 0).
    static void make_tag(const vec3_t &position, int random, mstring_t &out);
    // The note as the file quotes it: letters, digits, '_' and '\'' kept (C locale),
    // every other byte a blank.
    static void make_note(const char *text, mstring_t &out);
    // The block of one report.
    static void make_block(const vec3_t &position, const char *tag, const char *note, mstring_t &out);

    const vec3_t &get_position() const { return m_position; }
    void set_position(const vec3_t &position) { m_position = position; }

private:
    // The window hides (no-op without one).
    void close();
    static bool in_menu_game();

    vec3_t m_position{0.0f, 0.0f, 0.0f};
    int32_t m_saved_pointer = -1;
    bool m_saved_paused = false;
    bool m_holding = false;  // shown and holding the hunt
};

}  // namespace quarn
