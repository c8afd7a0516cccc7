#pragma once
// game_guard_proc_t: the game module's guard process. It is the lock of everything the
// module makes (UI entities, the game's resource hooks hold it through
// game_module_lock), so the module is torn down only after them. Its construction,
// every pass and each stage of its shutdown run the rows of that phase of the
// registration table, and then the base's system.
#include "game/game_rows.h"
#include "outside/qrnshared/dlguard_proc.h"

namespace quarn {

class game_guard_proc_t : public dlguard_proc_t {
public:
    // Becomes the module's guard (and the kernel's, for game_module_lock), then runs
    // the GUARD rows of rows, which must outlive the process.
    game_guard_proc_t(void *module, const game_row_table_t &rows);
    ~game_guard_proc_t() override;

    // Signal 0: the PASS rows with the guard's clock (the UI recache rows only when
    // asked for); 1, 2, 3: the STOP, DRAIN and KILL rows. The base's system last.
    void system() override;

private:
    const game_row_table_t &m_rows;
};

}  // namespace quarn
