#include "hunt_range.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_support.h"
#include "game/cameras/trail_camera.h"
#include "game/game_data.h"
#include "game/game_module.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/process/game_process.h"
#include "game/round/round_logic.h"
#include "game/round/trail_use.h"
#include "game/scene/current_ctrl.h"
#include "kernel/commands.h"
#include "kernel/fixed_clock.h"
#include "kernel/gfx.h"
#include "kernel/input.h"
#include "kernel/m_server.h"
#include "kernel/mem_sys.h"
#include "kernel/plugins.h"
#include "kernel/process_table.h"
#include "kernel/sound.h"
#include "kernel/sys.h"
#include "outside/ctlbase/ctlbase.h"
#include "outside/qrnshared/def_pool.h"
#include "outside/qrnshared/qrnshared.h"
#include "outside/sonbase/sonbase.h"
#include "outside/visbase/visbase.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/dl_lib.h"
#include "qrncore/system/init.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_system.h"

namespace quarn::bench {

namespace {

namespace fs = std::filesystem;

constexpr const char *HERD_KEYS[4] = {"val_hunger: \"0.8\"", "val_hunger: \"0.8\"", "val_hunger: \"0.8\"", "val_hunger: \"0.8\""};

class quiet_t : public message_handler_t {
public:
    void process_message(const string &, message_t::type_t) override {}
};

}  // namespace

uint32_t live_targets(hunt_ctrl_u *hunt) {
    uint32_t n = 0;
    round_logic_u *round = hunt ? hunt->get_round() : nullptr;
    for (uint32_t t = 0; round && t < round->get_trail_count(); ++t) n += round->get_trail(t)->get_animal_count();
    return n;
}

// The kernel's boot up to its plug-ins (kernel_boot's steps, on the fixed clock, in
// the program's folder and fresh user folders), the device plug-ins, the game module
// and its process started as "lib/game"'s execution starts it, then "init_round 1",
// the intro skipped, the herd, and frames until 20 targets walk.
hunt_range_t::hunt_range_t() {
    quiet_t quiet;
    const std::string bin = bench::bin_dir();
    const fs::path folders = fs::temp_directory_path() / ("fernwold_hunt_bench_" + std::to_string(getpid()));
    fs::remove_all(folders);
    fs::create_directories(folders / "documents");
    fs::create_directories(folders / "config");
    setenv("XDG_DOCUMENTS_DIR", (folders / "documents").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folders / "config").c_str(), 1);
    if (chdir(bin.c_str()) != 0) return;
    fixed_clock_start(HUNT_STEP_USEC);

    static const char *const argv[] = {"fernwold"};
    cdl_init(1, argv);
    qrncore_init(mem_sys_alloc, mem_sys_alloc, mem_sys_free, mem_sys_free, false);
    void *self = dl_lib_t::get_main_handle();
    qrnshared_init(self);
    visbase_init(self);
    sonbase_init(self);
    ctlbase_init(self);
    process_table_setup();
    sys_init();
    cmd_register_builtins();
    mm_init();
    qrnshared_startup();
    inp_start();
    gfx_start();
    snd_start(get_engine_ubank(), get_engine_usystem());
    for (const char *plugin : {"lib/snddev", "lib/loaders", "lib/gl"})
        if (!dll_register(plugin)) return;
    if (!dll_register("lib/game")) return;
    game = new game_process_t;
    game_module_set_mode(GAME_MODULE_RUNNING);
    game->init();
    pass();

    cmd_execute("init_round 1");
    for (int i = 0; i < 100 && !(hunt = unit_cast<hunt_ctrl_u>(get_current_ctrl())); ++i) pass();
    if (!hunt) return;
    game->set_controller_running(true);
    for (int i = 0; i < 100 && !hunt->is_intro_over(); ++i) {
        if (auto *intro = dynamic_cast<trail_camera_t *>(hunt->get_view())) intro->reset_interpolation();
        pass();
    }
    if (!hunt->is_intro_over()) return;

    const std::string herd = bench::whitetail_herds(HERD_KEYS);
    if (!definitions.read_from("/def/game.def") || !mission.read_text(herd.data(), herd.size(), "/bench/herd.def"))
        return;
    ai_world_t *ai = hunt->get_ai_navigation();
    if (!ai) return;
    ai->create_animals(mission.find("animals"), &definitions);
    if (ai->get_animal_count() != 20) return;
    for (int i = 0; i < 3000 && live_targets(hunt) < HUNT_TARGETS; ++i) pass();
    ok = live_targets(hunt) >= HUNT_TARGETS && hunt->get_state() == hunt_ctrl_u::STATE_RUNNING;
}

void hunt_range_t::pass() {
    kernel_step();
    game->update(sys_get_lastdelta());
    game->frame();
    game->system();
}

hunt_range_t &hunt_range() {
    static hunt_range_t *r = new hunt_range_t;
    return *r;
}

}  // namespace quarn::bench
