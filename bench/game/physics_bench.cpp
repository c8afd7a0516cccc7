// The physics layer beside the same work through bare ODE calls: 1000 free bodies
// stepped (one fixed step an iteration, poses pulled and interpolated for every
// body).
//
// The library takes and frees large scratch blocks every step (the hash space's
// table, the step's working memory). With glibc's sliding thresholds such a block
// is now and then returned to the system and faulted in again at every step, which
// multiplies a run's time by up to five whichever side it hits. Fixed thresholds keep
// the runs comparable.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <ode/ode.h>

#include <vector>

#include "game/visuals/physics/ode_physics_server.h"
#include "game/visuals/physics/physics_body.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/visuals/physics/physics_shape.h"

namespace {

using namespace quarn;

const bool heap_settled = [] {
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
    return true;
}();

constexpr int FREE_BODIES = 1000;
constexpr double STEP = 1.0 / 30.0;

// Body i: on a 10 x 10 x 10 grid 3 units apart, so no two spheres touch, spinning
// about an axis of its own (so that the work stays the same however long it runs).
vec3_t grid_position(int i) { return {3.0f * float(i % 10), 3.0f * float(i / 10 % 10), 3.0f * float(i / 100)}; }
vec3_t spin(int i) { return {0.5f * float(i % 7), 0.3f * float(i % 5), -0.2f * float(i % 3 + 1)}; }

void BM_layer_free_bodies(benchmark::State &state) {
    ode_physics_server_t server;
    physics_scene_t *scene = server.create_scene(1.0f);
    scene->set_gravity({0, 0, 0});
    std::vector<physics_body_t *> bodies;
    std::vector<physics_shape_t *> shapes;
    for (int i = 0; i < FREE_BODIES; ++i) {
        physics_body_t *body = scene->create_body();
        body->set_mass_sphere(1.0f, 0.5f);
        body->set_position(grid_position(i));
        physics_shape_t *shape = scene->create_shape();
        shape->create_sphere(body, 0.5f, nullptr);
        body->wake();
        body->set_angular_velocity(spin(i));
        bodies.push_back(body);
        shapes.push_back(shape);
    }
    const float h = scene->get_step_time();
    scene->step(h);  // from here on every call runs one step
    for (auto _ : state) scene->step(h);
    benchmark::DoNotOptimize(bodies.front()->get_interpolated_pose());
    state.SetItemsProcessed(state.iterations() * FREE_BODIES);
    for (physics_shape_t *shape : shapes) delete shape;
    for (physics_body_t *body : bodies) delete body;
    delete scene;
}
BENCHMARK(BM_layer_free_bodies)->Unit(benchmark::kMicrosecond);

void no_contacts(void *, dGeomID, dGeomID) {}

// The same world, spaces and step with the library's own calls; the poses are read
// back as the layer reads them.
void BM_bare_ode_free_bodies(benchmark::State &state) {
    dInitODE2(0);
    dAllocateODEDataForThread(dAllocateMaskAll);
    dWorldID world = dWorldCreate();
    dWorldSetAutoDisableFlag(world, 1);
    dWorldSetAutoDisableLinearThreshold(world, 0.1);
    dWorldSetAutoDisableAngularThreshold(world, 0.1);
    dWorldSetAutoDisableSteps(world, 5);
    dWorldSetAutoDisableTime(world, 0);
    dWorldSetGravity(world, 0, 0, 0);
    dSpaceID actors = dHashSpaceCreate(nullptr);
    dSpaceID statics = dHashSpaceCreate(nullptr);
    dJointGroupID contacts = dJointGroupCreate(0);
    std::vector<dBodyID> bodies;
    for (int i = 0; i < FREE_BODIES; ++i) {
        dBodyID body = dBodyCreate(world);
        dMass mass;
        dMassSetSphereTotal(&mass, 1.0, 0.5);
        dBodySetMass(body, &mass);
        const vec3_t p = grid_position(i);
        const vec3_t w = spin(i);
        dBodySetPosition(body, p.x, p.y, p.z);
        dBodySetAngularVel(body, w.x, w.y, w.z);
        dGeomSetBody(dCreateSphere(actors, 0.5), body);
        bodies.push_back(body);
    }
    std::vector<dReal> poses(bodies.size() * 7);
    for (auto _ : state) {
        dSpaceCollide(actors, nullptr, no_contacts);
        dSpaceCollide2(reinterpret_cast<dGeomID>(statics), reinterpret_cast<dGeomID>(actors), nullptr, no_contacts);
        dWorldQuickStep(world, STEP);
        dJointGroupEmpty(contacts);
        dReal *out = poses.data();
        for (dBodyID body : bodies) {
            const dReal *p = dBodyGetPosition(body);
            const dReal *q = dBodyGetQuaternion(body);
            for (int k = 0; k < 3; ++k) *out++ = p[k];
            for (int k = 0; k < 4; ++k) *out++ = q[k];
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * FREE_BODIES);
    dJointGroupDestroy(contacts);
    dSpaceDestroy(statics);
    dSpaceDestroy(actors);
    dWorldDestroy(world);
    dCloseODE();
}
BENCHMARK(BM_bare_ode_free_bodies)->Unit(benchmark::kMicrosecond);

}  // namespace
