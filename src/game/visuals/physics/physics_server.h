#pragma once
// The physics server: the scenes of the game's physics, stepped and drawn together.
// The world makes one server and one scene. While a world hands over to the next, two
// servers live at once: the global pointer names the newest live server, and the
// console command "phys_info" (the server's print_info) lives from the first server
// up to the last one down.
#include <cstdint>

#include "qrncore/collections/list_dyn.h"
#include "qrncore/math/vec.h"
#include "qrncore/system/host_object.h"

namespace quarn {

class physics_scene_t;
struct cmd_context_t;

class physics_server_t : public host_object_t {
public:
    physics_server_t();
    // Logs "[phys] Remove all scenes first" when scenes are left; they stay alive
    // (their owners delete them) but are no longer stepped by this server.
    virtual ~physics_server_t();
    physics_server_t(const physics_server_t &) = delete;
    physics_server_t &operator=(const physics_server_t &) = delete;

    // Steps every scene in creation order (physics_scene_t::step).
    virtual void step(float dt);
    // Debug drawing of every scene, from the identity transform.
    virtual void draw();
    // The same, of what lies strictly within radius of point (world units).
    virtual void draw_near(const vec3_t &point, float radius);

    // A new scene of the given unit scale (world units per scene unit), appended to
    // the list; null when the scale is not a finite value above 0 (logged) or the
    // scene cannot be made. The caller deletes it, before the server.
    physics_scene_t *create_scene(float scale);
    // Called by a scene's destructor; logs when the scene is not listed.
    void remove_scene(physics_scene_t *scene);
    uint32_t get_scene_count() const { return m_scenes.get_count(); }

    // Logs "Physics server info :", the scene count and every scene's information.
    void print_info();

    // The newest live server, or null.
    static physics_server_t *get_global();
    // The handler of "phys_info": print_info of the global server when there is one.
    static int phys_info_command(const cmd_context_t *context);

protected:
    // An uninitialised scene of the implementation, or null.
    virtual physics_scene_t *new_scene() = 0;

private:
    list_dyn_t<physics_scene_t *> m_scenes;
    // The chain of live servers, oldest first.
    physics_server_t *m_older = nullptr;
    physics_server_t *m_newer = nullptr;
};

}  // namespace quarn
