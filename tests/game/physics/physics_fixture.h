#pragma once
// A physics server with one scene for the physics tests, and owning pointers for the
// objects a test makes (deleted before the scene, as their owners would).
#include <gtest/gtest.h>

#include <memory>

#include "game/visuals/physics/ode_physics_body.h"
#include "game/visuals/physics/ode_physics_scene.h"
#include "game/visuals/physics/ode_physics_server.h"
#include "game/visuals/physics/ode_physics_shape.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "support/message_capture.h"

namespace quarn::test {

using body_ptr = std::unique_ptr<physics_body_t>;
using shape_ptr = std::unique_ptr<physics_shape_t>;

class physics_test : public ::testing::Test {
protected:
    void SetUp() override { make_scene(1.0f); }
    void TearDown() override { delete m_scene; }

public:

    // Replaces the scene by one of the given scale.
    void make_scene(float scale) {
        delete m_scene;
        m_scene = server.create_scene(scale);
        ASSERT_NE(m_scene, nullptr);
    }
    physics_scene_t &scene() { return *m_scene; }
    ode_physics_scene_t &ode_scene() { return *static_cast<ode_physics_scene_t *>(m_scene); }

    body_ptr make_body() { return body_ptr(m_scene->create_body()); }
    shape_ptr make_shape() { return shape_ptr(m_scene->create_shape()); }
    // A body with a sphere of radius 0.5 and mass 1 at its reference point.
    body_ptr make_ball(shape_ptr *shape) {
        body_ptr body = make_body();
        body->set_mass_sphere(1.0f, 0.5f);
        *shape = make_shape();
        (*shape)->create_sphere(body.get(), 0.5f, nullptr);
        return body;
    }

    static dBodyID ode(physics_body_t *body) { return static_cast<ode_physics_body_t *>(body)->get_body_id(); }
    static dGeomID geom(physics_shape_t *shape) { return static_cast<ode_physics_shape_t *>(shape)->get_geom(); }
    static vec3_t library_position(physics_body_t *body) {
        const dReal *p = dBodyGetPosition(ode(body));
        return {float(p[0]), float(p[1]), float(p[2])};
    }

    message_capture_t log;
    ode_physics_server_t server;

private:
    physics_scene_t *m_scene = nullptr;
};

}  // namespace quarn::test
