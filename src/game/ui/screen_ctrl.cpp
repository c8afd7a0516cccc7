#include "game/ui/screen_ctrl.h"

#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "outside/qrnshared/ui/ui.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

namespace {

constinit screen_process_t *installed = nullptr;

}  // namespace

bool ctrl_derives_from(const base_ctrl_u *ctrl, const char *type_name) {
    if (!ctrl || !type_name) return false;
    unit_system_t *system = ctrl->get_system();
    const unit_descriptor_t *wanted = system ? system->get_bank().get_descriptor(string(type_name)) : nullptr;
    return wanted && unit_system_t::inherits_from(ctrl->get_descriptor(), wanted);
}

bool current_ctrl_is_hunt() { return ctrl_derives_from(get_current_ctrl(), HUNT_CTRL_TYPE); }

bool current_ctrl_is_menu() { return ctrl_derives_from(get_current_ctrl(), MENU_CTRL_TYPE); }

void set_screen_process(screen_process_t *process) { installed = process; }

screen_process_t *get_screen_process() { return installed; }

void screens_set_paused(bool paused) {
    if (installed) installed->set_paused(paused);
}

bool screens_is_paused() { return installed && installed->is_paused(); }
void screens_open_link(const char *key) {
    if (installed) installed->open_link(key ? key : "");
    else warning("[ui] No game process opens the link '%s'.", key ? key : "");
}

double screens_process_time() { return installed ? installed->get_process_time() : 0.0; }

float screens_average_fps() { return installed ? installed->get_average_fps() : -1.0f; }

bool screens_find_rounds_on_map(const char *map_name, array_dyn_t<uint32_t> &rounds) {
    return installed && installed->find_rounds_on_map(map_name, rounds);
}

void screens_close_splash() {
    if (installed) {
        installed->close_splash();
        return;
    }
    ui_set_splash(nullptr);
    ui_wremove(ui_wget("splash", "load"));
}

}  // namespace quarn
