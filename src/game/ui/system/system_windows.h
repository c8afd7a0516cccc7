#pragma once
// The developer windows of the game's window table: the console and the mini console
// under it, the bug report tool and the profiler view. All sit in the system band
// above every other window and are inserted hidden; the mini console takes no input,
// so that the screens beneath it keep their keys while it shows the log.
#include "game/session/window_desc.h"
#include "outside/qrnshared/ui/ui.h"

namespace quarn {

inline constexpr uint32_t SYSTEM_WINDOW_FLAGS = UI_WINSERT_SYSTEM | UI_WINSERT_HIDDEN;

inline constexpr window_desc_t WINDOW_SYSTEM_CONSOLE = {"system_02", "console", SYSTEM_WINDOW_FLAGS, 0,
                                                        "/system/console/console.esc"};
inline constexpr window_desc_t WINDOW_SYSTEM_MINICON = {"system_03", "minicon", SYSTEM_WINDOW_FLAGS | UI_WINSERT_PASSIVE,
                                                        0, "/system/console/minicon.esc"};
inline constexpr window_desc_t WINDOW_SYSTEM_BUGREPORT = {"system_05", "bugreport", UI_WINSERT_SYSTEM, 0,
                                                          "/ui/system/bugreport.esc"};
inline constexpr window_desc_t WINDOW_SYSTEM_PROFILER = {"system_07", "profiler", SYSTEM_WINDOW_FLAGS, 0,
                                                         "/ui/system/profiler.esc"};

// The open window of the row, else the window inserted from the row's layout (null,
// logged by the layer, when the layout does not build).
c_item_t *system_window_get_or_insert(const window_desc_t &row);

}  // namespace quarn
