#include "game/cameras/animal_views.h"

#include "game/ai/mind/ai_animal.h"
#include "game/ai/mind/ai_world.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/system/messages.h"

namespace quarn {

animal_view_t::animal_view_t() {
    m_camera.min_distance = 8.0f;
    m_camera.max_distance = 15.0f;
    m_camera.min_height = 1.0f;
    m_camera.shot_min_time = 30.0f;
    m_camera.shot_max_time = 30.0f;
    m_camera.yaw_spread = 45.0f;
}

animal_view_t::~animal_view_t() {
    if (m_queued_in && get_current_ctrl() == m_queued_in) m_queued_in->remove_list_object(&m_camera);
}

void animal_view_t::on_attached() {
    base_ctrl_u *ctrl = get_current_ctrl();
    if (ctrl && ctrl->add_list_object(&m_camera)) m_queued_in = ctrl;
}

void animal_view_t::update(float) {
    if (m_started) return;
    m_started = true;
    base_ctrl_u *ctrl = get_current_ctrl();
    ai_world_t *world = ctrl ? ctrl->get_ai_navigation() : nullptr;
    array_dyn_t<ai_animal_t *> live;
    for (uint32_t i = 0, n = world ? world->get_animal_count() : 0; i < n; ++i) {
        ai_animal_t *animal = world->get_animal(i);
        if (animal && !animal->is_removed()) live.append(animal);
    }
    if (live.is_empty()) {
        on_no_animal();
        return;
    }
    const uint32_t index = choose(*ctrl, live.get_count());
    m_camera.follow(live[index < live.get_count() ? index : 0], HEIGHT_RANGE);
}

uint32_t menu_view_t::choose(base_ctrl_u &ctrl, uint32_t count) { return ctrl.get_random().rand_u(count); }

void screensaver_view_t::on_no_animal() { warning("[game] Unable to find requested animal."); }

}  // namespace quarn
