#pragma once
// game_process_t: the game's main process, "game" (one; made by the module's stage 0).
// It mounts the game data, registers the game's variables and commands, opens the
// window and the devices, owns the current controller (the menu, hunt or screensaver
// scene, held through set_current_ctrl) and the front-end session, and every frame
// updates and draws the scene and the UI, follows the application's activity and the
// requested graphics mode and path, and runs its command queue (queue 1), on which
// every game command runs. "quit" lets the controller go and asks every process to
// stop; the first shutdown pass stores "/home/config.cfg", shuts the devices down and
// unmounts the data. docs/game-process.md.
#include <cstdint>

#include "game/process/viewport.h"
#include "game/ui/screen_ctrl.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/cmd.h"
#include "outside/qrnshared/cmd_queue.h"
#include "outside/qrnshared/common_proc.h"
#include "outside/qrnshared/def_pool.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/collections/data_cache.h"
#include "qrncore/qrnutils/ufs/std_mount.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class base_ctrl_u;
class fs_device_t;
class front_end_session_t;
class unit_base_t;

// The kinds of controller the game installs, by unit type.
enum game_ctrl_kind_t : int32_t { GAME_CTRL_HUNT = 0, GAME_CTRL_MENU = 1, GAME_CTRL_SCREENSAVER = 2 };
const char *game_ctrl_type_name(game_ctrl_kind_t kind);

// What the loading screen is shown for (show_loading): a mission closes at
// finish_loading; a round shows a tip and waits for a key.
enum game_loading_kind_t : int32_t { GAME_LOADING_MISSION = 0, GAME_LOADING_ROUND = 1 };

class game_process_t : public common_proc_t, public screen_process_t {
public:
    static constexpr int PRIORITY = -100;
    static constexpr int COMMAND_QUEUE = 1;
    static constexpr size_t DATA_CACHE_SIZE = 131072;
    static constexpr const char *ROUNDS_PATH = "/script/round/rounds.unit";
    static constexpr const char *MISSION_PATH = "/home/tmp_mission.def";
    static constexpr const char *CONFIG_PATH = "/home/config.cfg";

    // Installs itself as the screens' process (set_screen_process) and the menu
    // controller's accessor of the menu screens (set_menu_ctrl_access) while it lives.
    game_process_t();
    // Lets a controller still held go, unmounts what is still mounted, unregisters the
    // queue, the commands and the variables.
    ~game_process_t() override;

    // ---- start-up ----
    // The whole start-up, in order (docs/game-process.md). Mount failures and a
    // graphics mode that cannot open end the program.
    void init();
    // Its steps, for tests that need only some of them.
    void mount_game_data();
    void register_console();
    void open_devices();
    void count_rounds();

    // ---- the scheduler's operations ----
    void handler() override { frame(); }
    // At the first shutdown signal: shutdown.
    void system() override;
    bool init_gfx2(const gfx_mode_t &mode, bool activate) override;
    void shutdown_gfx2() override;
    bool thaw_gfx2(const gfx_mode_t &mode) override;
    void freeze_gfx2() override;
    void set_paused(bool paused) override { m_paused = paused; }
    bool is_paused() const override { return m_paused; }
    // Asks for a mode switch on the next frame; false (nothing asked) for a mode line
    // that does not parse.
    bool request_mode(const char *driver, const char *device, const char *mode_line, bool fullscreen) override;

    // ---- frames ----
    void frame();
    // The frame's drawing: begin_render, render_scene, render_ui, end_render, in that
    // order (apart for the benchmarks, which time the scene and the UI).
    void render_frame();
    // The frame begun, the window cleared, the scene's view pushed.
    void begin_render();
    // The running controller's scene: the camera and lights, the sky, the scene, the
    // visual objects, the overlay pass and the held weapon in the scope, each flushed
    // into the renderer.
    void render_scene();
    // The UI over the whole window (not in the frame of a capture, unless
    // "g_screenshot_ui" keeps it).
    void render_ui();
    // The view popped, the frame ended, a due capture taken, the buffers swapped.
    void end_render();
    // The render path for the context: "r_path" when it is a valid path the context
    // offers, else 3 when offered, else 1.
    static int32_t choose_gfx_path(r_context_t *context);
    // The viewports from the render context's size.
    void layout_viewports();
    const viewport_t &get_full_viewport() const { return m_full; }
    const viewport_t &get_scene_viewport() const { return m_scene; }
    const viewport_t &get_scope_viewport() const { return m_scope; }
    float get_band_height() const { return m_band_height; }
    void set_band_factor(float factor);
    // Frames per second over the hunt frames counted (10 frames in 1 s before any).
    float get_average_fps() const override { return float(m_frames_counted) / m_seconds_counted; }
    // Scratch memory of the frame, freed at its end.
    data_cache_t &get_data_cache() { return m_data_cache; }
    void shutdown();

    // ---- controllers ----
    // The current controller while it is alive, else null.
    base_ctrl_u *get_ctrl() const;
    // True once the controller is gone: removes the loading window, frees the unit
    // garbage, clears controller running; while the controller is busy it closes its
    // windows, which ends what holds it, and answers false only when something holds it
    // still (the caller tries again later).
    bool release_controller();
    // A new controller of the kind becomes current (the one before is let go); false,
    // logged, when the type cannot be made.
    bool install_controller(game_ctrl_kind_t kind);
    bool is_hunt_ctrl(const base_ctrl_u *ctrl) const;
    bool is_controller_running() const { return m_controller_running; }
    void set_controller_running(bool running) { m_controller_running = running; }
    // Forwards to the game data: the round-start flag, then "init_round %u".
    void start_round(uint32_t index);
    // A menu controller becomes current, activated and running; the start screen
    // "highscore" or "party" (else none: the main menu) picks its first screen. False,
    // logged, when no menu controller can be made.
    bool open_menu(const char *start_screen);

    // ---- the loading screen and the splash ----
    void show_loading(game_loading_kind_t kind);
    void finish_loading();
    c_item_t *get_loading_window() const { return m_loading_window.get(); }
    // Ends the UI splash, removes the loading window, sets controller running.
    void close_splash() override;

    // ---- others' operations ----
    double get_process_time() const override { return common_proc_t::get_process_time(); }
    void set_language(const char *language) override;
    // Opens the translation of the key in the web browser, the window deactivated.
    void open_link(const char *key) override;
    void request_minimize() { m_minimize_request = true; }
    // Appends the 1-based numbers of the rounds played on the map; true when the
    // progression holds any round.
    bool find_rounds_on_map(const char *map_name, array_dyn_t<uint32_t> &rounds) const override;
    // The round progression of path ("[game] load_unit_tree() - ..." when it does not
    // load); null on failure.
    static owner_ptr_ret_t<unit_base_t> load_unit_tree(const char *path);
    // Writes a random mission to path: area, time 11, weather (of the area, or
    // "clear"), and the herds of one species. False when the file cannot be made.
    bool generate_random_mission(const char *path, bool with_weather);
    // Map start-up with the mission at path (obtained as a definition resource):
    // "Mission (%s) does not exist." when it cannot be read.
    bool start_mission_file(base_ctrl_u &ctrl, const char *path);

    bool is_screensaver() const { return m_screensaver; }
    uint32_t get_round_count() const { return m_round_count; }
    bool is_screenshot_pending() const { return m_screenshot_pending; }
    bool is_mode_switch_requested() const { return m_mode_request; }
    const gfx_mode_t &get_previous_mode() const { return m_previous_mode; }

    // The fatal stop without graphics: a message box and the core's abort.
    [[noreturn]] void fatal_no_graphics(unsigned line);

    // ---- the commands that are the process's (game_commands.cpp) ----
    int cmd_map(const cmd_context_t &c);
    int cmd_exit(const cmd_context_t &c);
    int cmd_menu(const cmd_context_t &c);
    int cmd_start(const cmd_context_t &c);
    int cmd_time(const cmd_context_t &c);
    int cmd_path(const cmd_context_t &c);
    int cmd_mode(const cmd_context_t &c);
    int cmd_screenshot(const cmd_context_t &c);
    int cmd_init_round(const cmd_context_t &c);
    int cmd_screensaver(const cmd_context_t &c);
    int cmd_quit(const cmd_context_t &c);

private:
    void mount_failed(const char *text, unsigned line);
    void unmount_game_data();
    void remove_console_window();
    void remove_loading_window();
    void apply_mode_switch();
    void apply_path_change(int32_t path);
    void count_hunt_frame(double dt);
    // After a command let the controller go and started nothing: the loading screen
    // goes and the menu opens, so the player always has a screen that leads on.
    // Answers the command's result (done).
    int leave_for_menu();
    // Map start-up of the controller's scene from the mission (path names it); false,
    // logged, when it does not start or nothing can start maps yet.
    bool start_mission(base_ctrl_u &ctrl, const def_pool_t &mission, const char *path);
    static void capture_arrived(const r_image_t *image);
    // "g_screenshot_ui" and the draw logs' test support (game_process_frame.cpp).
    void register_screenshot_variable();
    void unregister_screenshot_variable();
    // A capture is due in this frame and shows the scene alone: no scope, no UI.
    bool is_clean_capture() const;
    // The frame's draw log as "/home/screenshots/..." with ".draw" for the picture's
    // ".png" (a failure is logged).
    void write_draw_log_beside(uint32_t number);

    data_cache_t m_data_cache{DATA_CACHE_SIZE};
    cmd_queue_t m_queue;
    viewport_t m_full, m_scene, m_scope;
    float m_band_height = 0.0f;
    float m_band_factor = 1.0f;
    c_item_ptr_t m_console_window;
    c_item_ptr_t m_loading_window;
    bool m_ui_recache_request = false;
    bool m_mode_request = false;
    bool m_minimize_request = false;
    gfx_mode_t m_requested_mode;
    gfx_mode_t m_previous_mode;
    bool m_controller_running = false;
    bool m_paused = false;
    uint32_t m_round_count = 0;
    bool m_screensaver = false;
    uint32_t m_frames_counted = 10;
    float m_seconds_counted = 1.0f;
    bool m_screenshot_pending = false;
    bool m_capture_due = false;
    bool m_draw_logs_with_screenshots = false;
    fs_device_t *m_embedded = nullptr;
    fs_device_t *m_translation = nullptr;
    std_mount_t m_mounts;
    bool m_mounted = false;
    def_pool_t m_bindings;
    bool m_bindings_read = false;
    bool m_substances = false;
    front_end_session_t *m_session = nullptr;
    bool m_devices_open = false;
};

// The game process while it lives, else null.
game_process_t *get_game_process();

}  // namespace quarn
