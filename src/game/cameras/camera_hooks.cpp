// The cameras' answers to the game process's named hooks (game/process/game_hooks.h):
// the views of the menu and of the screensaver, and the shared camera of "animalcam".
#include <memory>

#include "game/ai/mind/ai_world.h"
#include "game/cameras/animal_camera.h"
#include "game/cameras/animal_views.h"
#include "game/game_rows.h"
#include "game/process/game_hooks.h"
#include "game/scene/game_ctrl.h"

namespace quarn {

namespace {

scene_object_t *make_menu_view() { return new menu_view_t(); }

scene_object_t *make_screensaver_view() { return new screensaver_view_t(); }

// The "animalcam" camera, made at its first use and kept for the run. A controller
// whose update list does not hold it yet (a new scene: the old list went with its
// controller) queues it; the list takes it at once, so a second "animalcam" in the same
// frame does not queue it twice.
std::unique_ptr<animal_camera_t> &shared_camera() {
    static std::unique_ptr<animal_camera_t> camera;
    return camera;
}

// Extra height drawn above min_height for each shot.
constexpr float ANIMALCAM_HEIGHT_RANGE = 1.0f;

bool follow_animal(base_ctrl_u &ctrl, uint32_t animal_index) {
    auto *game = dynamic_cast<game_ctrl_u *>(&ctrl);
    ai_world_t *animals = ctrl.get_ai_navigation();
    ai_animal_t *animal = animals ? animals->get_animal(animal_index) : nullptr;
    if (!game || !animal) return false;
    std::unique_ptr<animal_camera_t> &shared = shared_camera();
    if (!shared) shared.reset(new animal_camera_t());
    animal_camera_t *camera = shared.get();
    if (!camera) return false;
    if (!ctrl.get_update_list().contains(camera)) {
        if (!ctrl.add_list_object(camera)) return false;
        ctrl.apply_list_changes();
    }
    // The camera becomes the active view (the front of the controller's views).
    game->pop_view(camera);
    if (!game->push_view(camera)) return false;
    camera->follow(animal, ANIMALCAM_HEIGHT_RANGE);
    return true;
}

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(cameras, quarn::game_factory_row(quarn::GAME_HOOK_MENU_VIEW, quarn::make_menu_view),
                 quarn::game_factory_row(quarn::GAME_HOOK_SCREENSAVER_VIEW, quarn::make_screensaver_view),
                 quarn::game_factory_row(quarn::GAME_HOOK_ANIMAL_CAMERA, quarn::follow_animal));
