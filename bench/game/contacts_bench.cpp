// Contacts and queries of the physics layer beside the same work through bare ODE
// calls: 200 boxes settling on a triangle-mesh ground (90 steps a run, reported as
// steps a second), and 10000 first-hit rays among 1000 static shapes.
#include <benchmark/benchmark.h>

#include <ode/ode.h>

#include <memory>
#include <random>
#include <vector>

#include "game/visuals/physics/ode_physics_server.h"
#include "game/visuals/physics/physics_body.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/visuals/physics/physics_shape.h"

namespace {

using namespace quarn;

constexpr int BOXES = 200;
constexpr int SETTLE_STEPS = 90;
constexpr int RAYS = 10000;
constexpr int STATIC_SHAPES = 1000;
constexpr float FRICTION = 10.0f;  // a row of the material table: mu = 100
constexpr double STEP = 1.0 / 30.0;

// A ground of 20 x 20 quads over 40 x 40 units, wound to face up.
struct ground_t {
    std::vector<vec3_t> vertices;
    std::vector<uint32_t> indices;
    ground_t() {
        const int n = 20;
        for (int z = 0; z <= n; ++z)
            for (int x = 0; x <= n; ++x) vertices.push_back({-20.0f + 2.0f * float(x), 0.1f * float((x * z) % 3), -20.0f + 2.0f * float(z)});
        for (int z = 0; z < n; ++z) {
            for (int x = 0; x < n; ++x) {
                const uint32_t a = uint32_t(z * (n + 1) + x), b = a + 1, c = a + uint32_t(n + 1), d = c + 1;
                indices.insert(indices.end(), {a, c, b, b, c, d});
            }
        }
    }
};
const ground_t ground;

// Box i: two layers of 10 x 10, a little turned.
physics_pose_t box_pose(int i) {
    const int layer = i / 100, k = i % 100;
    quat_t q;
    q.set_axis_angle(normalized(vec3_t{1.0f, float(k % 3), 0.5f}), 0.1f * float(k % 7));
    return {{-7.5f + 1.5f * float(k % 10) + 0.3f * float(layer), 1.5f + 1.6f * float(layer), -7.5f + 1.5f * float(k / 10)}, q};
}

void BM_layer_boxes_settling(benchmark::State &state) {
    ode_physics_server_t server;
    for (auto _ : state) {
        state.PauseTiming();
        physics_scene_t *scene = server.create_scene(1.0f);
        scene->set_gravity({0, -9.81f, 0});
        scene->set_material(0, {0.0f, FRICTION, 0.0f});
        physics_shape_t *mesh = scene->create_shape();
        mesh->create_trimesh(nullptr, ground.vertices.data(), uint32_t(ground.vertices.size()), ground.indices.data(),
                             uint32_t(ground.indices.size()), nullptr);
        std::vector<physics_body_t *> bodies;
        std::vector<physics_shape_t *> shapes;
        for (int i = 0; i < BOXES; ++i) {
            physics_body_t *body = scene->create_body();
            body->set_mass_box(1.0f, {1, 1, 1});
            body->set_pose(box_pose(i));
            body->wake();
            physics_shape_t *shape = scene->create_shape();
            shape->create_box(body, {1, 1, 1}, nullptr);
            bodies.push_back(body);
            shapes.push_back(shape);
        }
        const float h = scene->get_step_time();
        scene->step(h);
        state.ResumeTiming();
        for (int s = 0; s < SETTLE_STEPS; ++s) scene->step(h);
        state.PauseTiming();
        for (physics_shape_t *shape : shapes) delete shape;
        for (physics_body_t *body : bodies) delete body;
        delete mesh;
        delete scene;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * SETTLE_STEPS);
}
BENCHMARK(BM_layer_boxes_settling)->Unit(benchmark::kMillisecond);

struct bare_world_t {
    dWorldID world;
    dSpaceID actors, statics;
    dJointGroupID contacts;
};

void bare_near(void *data, dGeomID g1, dGeomID g2) {
    auto *w = static_cast<bare_world_t *>(data);
    if (dGeomIsSpace(g1) || dGeomIsSpace(g2)) {
        dSpaceCollide2(g1, g2, data, bare_near);
        return;
    }
    dBodyID b1 = dGeomGetBody(g1), b2 = dGeomGetBody(g2);
    if (!b1 && !b2) return;
    if (b1 && b2 && dAreConnectedExcluding(b1, b2, dJointTypeContact)) return;
    dContact c[10];
    for (dContact &x : c) {
        x.surface = {};
        x.surface.mu = FRICTION * FRICTION;
        x.surface.bounce_vel = 0.1;
    }
    const int n = dCollide(g1, g2, 10, &c[0].geom, sizeof(dContact));
    for (int i = 0; i < n; ++i) dJointAttach(dJointCreateContact(w->world, w->contacts, &c[i]), b1, b2);
}

void BM_bare_ode_boxes_settling(benchmark::State &state) {
    dInitODE2(0);
    dAllocateODEDataForThread(dAllocateMaskAll);
    for (auto _ : state) {
        state.PauseTiming();
        bare_world_t w;
        w.world = dWorldCreate();
        dWorldSetAutoDisableFlag(w.world, 1);
        dWorldSetAutoDisableLinearThreshold(w.world, 0.1);
        dWorldSetAutoDisableAngularThreshold(w.world, 0.1);
        dWorldSetAutoDisableSteps(w.world, 5);
        dWorldSetAutoDisableTime(w.world, 0);
        dWorldSetGravity(w.world, 0, -9.81, 0);
        w.actors = dHashSpaceCreate(nullptr);
        w.statics = dHashSpaceCreate(nullptr);
        w.contacts = dJointGroupCreate(0);
        dTriMeshDataID data = dGeomTriMeshDataCreate();
        dGeomTriMeshDataBuildSingle(data, ground.vertices.data(), sizeof(vec3_t), int(ground.vertices.size()),
                                    ground.indices.data(), int(ground.indices.size()), 3 * sizeof(uint32_t));
        dCreateTriMesh(w.statics, data, nullptr, nullptr, nullptr);
        std::vector<dBodyID> bodies;
        for (int i = 0; i < BOXES; ++i) {
            dBodyID body = dBodyCreate(w.world);
            dMass mass;
            dMassSetBoxTotal(&mass, 1.0, 1, 1, 1);
            dBodySetMass(body, &mass);
            const physics_pose_t pose = box_pose(i);
            dBodySetPosition(body, pose.position.x, pose.position.y, pose.position.z);
            const dQuaternion q = {pose.rotation.w, pose.rotation.x, pose.rotation.y, pose.rotation.z};
            dBodySetQuaternion(body, q);
            dGeomSetBody(dCreateBox(w.actors, 1, 1, 1), body);
            bodies.push_back(body);
        }
        std::vector<dReal> poses(bodies.size() * 7);
        state.ResumeTiming();
        for (int s = 0; s < SETTLE_STEPS; ++s) {
            dSpaceCollide(w.actors, &w, bare_near);
            dSpaceCollide2(reinterpret_cast<dGeomID>(w.statics), reinterpret_cast<dGeomID>(w.actors), &w, bare_near);
            dWorldQuickStep(w.world, STEP);
            dJointGroupEmpty(w.contacts);
            dReal *out = poses.data();
            for (dBodyID body : bodies) {
                const dReal *p = dBodyGetPosition(body);
                const dReal *q = dBodyGetQuaternion(body);
                for (int k = 0; k < 3; ++k) *out++ = p[k];
                for (int k = 0; k < 4; ++k) *out++ = q[k];
            }
            benchmark::ClobberMemory();
        }
        state.PauseTiming();
        dJointGroupDestroy(w.contacts);
        dSpaceDestroy(w.statics);
        dSpaceDestroy(w.actors);
        dWorldDestroy(w.world);
        dGeomTriMeshDataDestroy(data);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * SETTLE_STEPS);
    dCloseODE();
}
BENCHMARK(BM_bare_ode_boxes_settling)->Unit(benchmark::kMillisecond);

// Static shape i (spheres and boxes alternately) somewhere in 100 x 100; ray j from
// high above, straight down.
vec3_t static_position(std::mt19937 &rng) {
    std::uniform_real_distribution<float> xz(-50.0f, 50.0f), y(0.0f, 5.0f);
    const float x = xz(rng), h = y(rng), z = xz(rng);
    return {x, h, z};
}

struct ray_work_t {
    std::vector<vec3_t> shapes;
    std::vector<vec3_t> starts;
    ray_work_t() {
        std::mt19937 rng(4357);
        for (int i = 0; i < STATIC_SHAPES; ++i) shapes.push_back(static_position(rng));
        for (int i = 0; i < RAYS; ++i) {
            vec3_t p = static_position(rng);
            p.y = 20.0f;
            starts.push_back(p);
        }
    }
};
const ray_work_t ray_work;

void BM_layer_first_hit_rays(benchmark::State &state) {
    ode_physics_server_t server;
    physics_scene_t *scene = server.create_scene(1.0f);
    std::vector<std::unique_ptr<physics_shape_t>> shapes;
    for (int i = 0; i < STATIC_SHAPES; ++i) {
        const physics_pose_t pose{ray_work.shapes[size_t(i)], {}};
        physics_shape_t *shape = scene->create_shape();
        if (i % 2) shape->create_sphere(nullptr, 1.5f, &pose);
        else shape->create_box(nullptr, {2, 2, 2}, &pose);
        shapes.emplace_back(shape);
    }
    int found = 0;
    for (auto _ : state) {
        for (const vec3_t &start : ray_work.starts) {
            physics_ray_hit_t hit;
            found += scene->ray_first_hit_local(0, start, {0, -1, 0}, 40.0f, &hit);
        }
    }
    benchmark::DoNotOptimize(found);
    state.SetItemsProcessed(state.iterations() * RAYS);
    shapes.clear();
    delete scene;
}
BENCHMARK(BM_layer_first_hit_rays)->Unit(benchmark::kMillisecond);

struct bare_ray_t {
    dGeomID ray;
    dReal best;
};

void bare_ray_hit(void *data, dGeomID g1, dGeomID g2) {
    auto *r = static_cast<bare_ray_t *>(data);
    dGeomID other = g1 == r->ray ? g2 : g1;
    dContactGeom c[10];
    const int n = dCollide(r->ray, other, 10, c, sizeof(dContactGeom));
    for (int i = 0; i < n; ++i)
        if (c[i].depth < r->best) r->best = c[i].depth;
}

void BM_bare_ode_first_hit_rays(benchmark::State &state) {
    dInitODE2(0);
    dAllocateODEDataForThread(dAllocateMaskAll);
    dSpaceID statics = dHashSpaceCreate(nullptr);
    dSpaceID actors = dHashSpaceCreate(nullptr);
    for (int i = 0; i < STATIC_SHAPES; ++i) {
        const vec3_t p = ray_work.shapes[size_t(i)];
        dGeomID g = i % 2 ? dCreateSphere(statics, 1.5) : dCreateBox(statics, 2, 2, 2);
        dGeomSetPosition(g, p.x, p.y, p.z);
    }
    bare_ray_t r{dCreateRay(nullptr, 40.0), 0};
    int found = 0;
    for (auto _ : state) {
        for (const vec3_t &start : ray_work.starts) {
            r.best = 3.37e38;
            dGeomRaySet(r.ray, start.x, start.y, start.z, 0, -1, 0);
            dSpaceCollide2(r.ray, reinterpret_cast<dGeomID>(statics), &r, bare_ray_hit);
            dSpaceCollide2(r.ray, reinterpret_cast<dGeomID>(actors), &r, bare_ray_hit);
            found += r.best < 3.37e38;
        }
    }
    benchmark::DoNotOptimize(found);
    state.SetItemsProcessed(state.iterations() * RAYS);
    dGeomDestroy(r.ray);
    dSpaceDestroy(actors);
    dSpaceDestroy(statics);
    dCloseODE();
}
BENCHMARK(BM_bare_ode_first_hit_rays)->Unit(benchmark::kMillisecond);

}  // namespace
