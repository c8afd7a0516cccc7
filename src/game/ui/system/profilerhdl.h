#pragma once
// system_profiler_handler_t, "ui.handler.system.profiler": the developer view of the
// core's profiler (window "system_07"/"profiler", "/ui/system/profiler.esc"; F6 runs
// "profiler", which toggles it; docs/ui-system.md).
//
// Three views of one frame of the profiler's 64-frame history, the live one unless
// Left and Right pick an older one (item 2 reads "\gLIVE!" or "\g-N"):
// - tree (T, group 5): the children of the current node, drilled into with the row's
//   key (0-9, A-F) and left with U; the level's and the frame's sums and the path;
// - flat (L, group 100): every section's sums over the whole tree, leaves first, then
//   by total time;
// - zones (Z, group 200): the zones, a zone's sections (callers), a section's places
//   in the tree (chains); drill in with the row's key, back with U.
// At most 16 rows show; Page Up and Page Down move by 16. Times are milliseconds with
// one decimal, shares percentages of the frame's time (calls: of the frame's calls);
// an empty frame shows 0.0, never a division by zero. The live frame refreshes every
// 0.5 s while the window shows; an older frame stays as it is.
#include <cstdint>

#include "game/ui/system/system_items.h"
#include "outside/qrnshared/ui/ui_handler.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/profiler/profiler.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

class system_profiler_handler_t : public ui_handler_t {
public:
    enum mode_t : uint32_t { MODE_TREE = 0, MODE_FLAT = 1, MODE_ZONES = 2, MODE_COUNT = 3 };
    static constexpr uint32_t ROWS = 16;
    static constexpr float REFRESH = 0.5f;
    static constexpr int32_t FRAME_ITEM = 2;
    // The groups of the three views and their items.
    static constexpr int32_t TREE_GROUP = 5, TREE_LIST = 10, TREE_LEVEL = 20, TREE_TOTAL = 30, TREE_PATH = 40;
    static constexpr int32_t FLAT_GROUP = 100, FLAT_LIST = 110, FLAT_TOTAL = 130;
    static constexpr int32_t ZONE_GROUP = 200, ZONE_LIST = 210, ZONE_TOTAL = 230, ZONE_PATH = 240, ZONE_MODE = 250;
    // Kernel key codes.
    static constexpr uint32_t KEY_T = 20, KEY_L = 38, KEY_Z = 44, KEY_U = 22;
    static constexpr uint32_t KEY_PAGE_UP = 201, KEY_PAGE_DOWN = 209, KEY_LEFT = 203, KEY_RIGHT = 205;

    system_profiler_handler_t() : m_items(*this) {}

    void handler() override;
    // Key presses in the window (table above); a key taken answers false all the same,
    // so it is not marked consumed. Everything else goes to the layer's default.
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;
    // The tree and zones of the running profiler; the tree view.
    void on_wcreate() override;
    // The profiler pauses its history; the view shows its live frame.
    void on_wshow() override;
    // The profiler records its history again.
    void on_whide() override;

    // The row a key drills into (0 ... 15), or -1 for a key that is no row key.
    static int32_t row_of_key(uint32_t code);
    // Frame offset from the live frame: 0 live, else -63 ... -1.
    int32_t get_frame_offset() const;

    void select_mode(uint32_t mode);
    void refresh();
    void drill(uint32_t row);
    void up();

    uint32_t get_mode() const { return m_mode; }
    uint32_t get_offset(uint32_t mode) const { return mode < MODE_COUNT ? m_offset[mode] : 0; }
    void set_offset(uint32_t mode, uint32_t offset) {
        if (mode < MODE_COUNT) m_offset[mode] = offset;
    }
    uint32_t get_pass() const { return m_pass; }
    const profiler_node_t *get_current_node() const { return m_node; }
    const profiler_zone_t *get_zone() const { return m_zone; }
    const profiler_node_t *get_caller() const { return m_caller; }
    // What the last refresh wrote: the frame text and the rows of the mode's list.
    const char *get_frame_text() const { return m_frame_text.c_str(); }
    uint32_t row_count() const { return m_rows.get_count(); }
    const char *row(uint32_t i) const { return m_rows[i].c_str(); }

private:
    // The sums the rows divide by.
    struct frame_t {
        uint32_t slot = 0;
        uint64_t time = 0;   // microseconds of the frame
        uint32_t calls = 0;  // the root's tree calls
    };
    frame_t frame() const;
    bool take_key(uint32_t code);
    void refresh_tree(const frame_t &f);
    void refresh_flat(const frame_t &f);
    void refresh_zones(const frame_t &f);
    // The rows into the list item; the summary, path and mode texts into theirs.
    void publish(int32_t list_id);
    void add_row(const char *text);
    // The offset clamped to the last of count rows.
    uint32_t clamp_offset(uint32_t count);

    system_items_t m_items;
    float m_refresh = 0.0f;
    uint32_t m_pass = 0;
    uint32_t m_shown = 0;
    uint32_t m_live = 0;
    profiler_node_t *m_root = nullptr;
    profiler_node_t *m_node = nullptr;
    profiler_zone_t *m_zones = nullptr;
    profiler_zone_t *m_zone = nullptr;
    profiler_node_t *m_caller = nullptr;
    uint32_t m_mode = MODE_TREE;
    uint32_t m_offset[MODE_COUNT] = {};
    mstring_dyn_t m_frame_text;
    array_dyn_t<mstring_dyn_t> m_rows;
};

// The command "profiler" (F6 by the built-in bindings): inserts the profiler window
// once and then shows or hides it. The game process registers it with its commands.
void register_profiler_command();
void unregister_profiler_command();

}  // namespace quarn
