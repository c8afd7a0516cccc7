#include "game/visuals/physics/physics_server.h"

#include "game/visuals/physics/physics_checks.h"
#include "game/visuals/physics/physics_scene.h"
#include "kernel/console/commands.h"
#include "outside/visbase/transform_stack.h"
#include "qrncore/profiler/profiler.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// Scenes are few; lists of the layer take their nodes 256 at a time.
constexpr uint32_t LIST_BLOCK = 256;

physics_server_t *oldest = nullptr;
physics_server_t *newest = nullptr;

cmd_t phys_info_record("phys_info", physics_server_t::phys_info_command);

}  // namespace

physics_server_t::physics_server_t() : m_scenes(LIST_BLOCK) {
    if (!newest) cmd_register_command(&phys_info_record);
    m_older = newest;
    if (newest) newest->m_newer = this;
    else oldest = this;
    newest = this;
}

physics_server_t::~physics_server_t() {
    if (!m_scenes.is_empty()) {
        error("[phys] Remove all scenes first");
        for (physics_scene_t *scene : m_scenes) scene->forget_server();
        m_scenes.remove_all();
    }
    if (m_older) m_older->m_newer = m_newer;
    else oldest = m_newer;
    if (m_newer) m_newer->m_older = m_older;
    else newest = m_older;
    if (!newest) cmd_unregister_command(&phys_info_record);
}

physics_server_t *physics_server_t::get_global() { return newest; }

int physics_server_t::phys_info_command(const cmd_context_t *) {
    if (newest) newest->print_info();
    return cmd_t::DONE;
}

void physics_server_t::step(float dt) {
    profiler_sample_t sample("physics_server_t::step", "physics_server_t::step");
    for (physics_scene_t *scene : m_scenes) scene->step(dt);
}

void physics_server_t::draw() {
    profiler_sample_t sample("physics_server_t::draw", "physics_server_t::draw");
    gfx_push_identity();
    for (physics_scene_t *scene : m_scenes) scene->debug_draw();
    gfx_pop();
}

void physics_server_t::draw_near(const vec3_t &point, float radius) {
    gfx_push_identity();
    for (physics_scene_t *scene : m_scenes) scene->debug_draw_near(point, radius);
    gfx_pop();
}

physics_scene_t *physics_server_t::create_scene(float scale) {
    // The scene divides by its scale.
    if (!phys_check_positive("create_scene", "scale", scale)) return nullptr;
    physics_scene_t *scene = new_scene();
    if (!scene) return nullptr;
    if (!scene->init(this, scale) || !m_scenes.append(scene)) {
        scene->forget_server();
        delete scene;
        return nullptr;
    }
    return scene;
}

void physics_server_t::remove_scene(physics_scene_t *scene) {
    for (auto it = m_scenes.begin(); it != m_scenes.end(); ++it) {
        if (*it == scene) {
            m_scenes.erase(it);
            return;
        }
    }
    error("[phys] Deleting scene that is not in scene list!");
}

void physics_server_t::print_info() {
    message("Physics server info :");
    message("Scenes count %zu", size_t(m_scenes.get_count()));
    for (physics_scene_t *scene : m_scenes) scene->print_info();
}

}  // namespace quarn
