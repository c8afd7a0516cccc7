#pragma once
// The process "game" that stage 0 starts until the game process itself exists: it
// mounts the archive stored in the program, runs the autoexec files, opens the windows
// and the sound and input devices, and runs "quit" after game_frames passes (default
// 5; 0 runs until something else ends the run). See docs/kernel.md.
#include "outside/qrnshared/common_proc.h"
#include "outside/qrnshared/def_pool.h"

namespace quarn {

class fs_device_t;

class stand_in_game_process_t : public common_proc_t {
public:
    stand_in_game_process_t();
    ~stand_in_game_process_t() override;

    // Everything stage 0 does after adding the process; false when the stored archive
    // does not mount.
    bool start();

    void handler() override;
    void system() override;

private:
    bool mount_builtin();
    void unmount_builtin();
    void open_window();

    int m_frames = 0;
    fs_device_t *m_builtin = nullptr;
    def_pool_t m_bindings;
};

}  // namespace quarn
