#include "game/visuals/physics/physics_scene.h"

#include <cmath>
#include <cstring>

#include "game/visuals/physics/physics_avatar.h"
#include "game/visuals/physics/physics_body.h"
#include "game/visuals/physics/physics_checks.h"
#include "game/visuals/physics/physics_joint.h"
#include "game/visuals/physics/physics_server.h"
#include "game/visuals/physics/physics_shape.h"
#include "qrncore/profiler/profiler.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr uint32_t LIST_BLOCK = 256;

// Removes the first node holding p; false when there is none.
template <class T>
bool unlink(list_dyn_t<T *> &list, T *p) {
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (*it == p) {
            list.erase(it);
            return true;
        }
    }
    return false;
}

}  // namespace

physics_scene_t::physics_scene_t() : m_bodies(LIST_BLOCK), m_shapes(LIST_BLOCK), m_joints(LIST_BLOCK) {
    memset(m_collides, 1, sizeof m_collides);
    memset(m_no_response, 0, sizeof m_no_response);
}

physics_scene_t::~physics_scene_t() {
    release_objects();
    if (m_server) m_server->remove_scene(this);
}

void physics_scene_t::release_objects() {
    if (!m_shapes.is_empty()) error("[phys] There are %zu unremoved shapes!", size_t(m_shapes.get_count()));
    if (!m_bodies.is_empty()) error("[phys] There are %zu unremoved actors!", size_t(m_bodies.get_count()));
    if (!m_joints.is_empty()) error("[phys] There are %zu unremoved joints!", size_t(m_joints.get_count()));
    for (physics_joint_t *joint : m_joints) joint->detach();
    for (physics_shape_t *shape : m_shapes) shape->detach();
    for (physics_body_t *body : m_bodies) body->detach();
    m_joints.remove_all();
    m_shapes.remove_all();
    m_bodies.remove_all();
    if (m_avatar) m_avatar->set_scene(nullptr);
    m_avatar = nullptr;
}

bool physics_scene_t::init(physics_server_t *server, float scale) {
    if (!phys_check_positive("init", "scale", scale)) return false;
    m_server = server;
    m_scale = scale;
    m_inv_scale = 1.0f / scale;
    return true;
}

bool physics_scene_t::set_steps_per_second(uint32_t n) {
    if (n == 0) {
        error("[phys] set_steps_per_second: 0 steps a second would never step");
        return false;
    }
    m_steps_per_second = n;
    m_step_time = 1.0f / float(n);
    return true;
}

bool physics_scene_t::set_step_time(float seconds) {
    // A step of 0 would never empty the accumulator.
    if (!phys_check_positive("set_step_time", "step time", seconds)) return false;
    m_step_time = seconds;
    return true;
}

void physics_scene_t::debug_draw() {
    if (m_draw_mode == PHYSICS_DRAW_NEVER) return;
    for (physics_shape_t *shape : m_shapes) shape->debug_draw(m_draw_mode);
    for (physics_body_t *body : m_bodies) body->debug_draw(m_draw_mode);
    for (physics_joint_t *joint : m_joints) joint->debug_draw(m_draw_mode);
}

void physics_scene_t::debug_draw_near(const vec3_t &point, float radius) {
    if (m_draw_mode == PHYSICS_DRAW_NEVER) return;
    const float r2 = radius * radius;
    for (physics_shape_t *shape : m_shapes) {
        if (length_squared(shape->get_world_position() - point) < r2) shape->debug_draw(m_draw_mode);
    }
    for (physics_body_t *body : m_bodies) {
        if (length_squared(body->get_world_interpolated_pose().position - point) < r2) body->debug_draw(m_draw_mode);
    }
    for (physics_joint_t *joint : m_joints) joint->debug_draw(m_draw_mode);
}

bool physics_scene_t::set_material(int index, const physics_material_t &material) {
    // Negative friction or bounce would give the library contacts it cannot solve.
    if (!phys_check_index("set_material", "material", index) ||
        !phys_check_not_negative("set_material", "bounce", material.bounce) ||
        !phys_check_not_negative("set_material", "friction", material.friction))
        return false;
    m_materials[index] = material;
    return true;
}

const physics_material_t *physics_scene_t::get_material(int index) const {
    if (index < 0 || index >= PHYSICS_MATERIALS) return nullptr;
    return &m_materials[index];
}

uint32_t physics_scene_t::collect_triangles(array_t<physics_triangle_t> &out, physics_shape_t *) {
    return out.get_count();
}

bool physics_scene_t::ray_first_hit_local(int, const vec3_t &, const vec3_t &, float, physics_ray_hit_t *hit) {
    *hit = physics_ray_hit_t{};
    return false;
}

uint32_t physics_scene_t::ray_all_hits_local(int, const vec3_t &, const vec3_t &, float,
                                             array_t<physics_ray_hit_t> &hits) {
    return hits.get_count();
}

bool physics_scene_t::set_gravity_local(const vec3_t &) { return false; }

vec3_t physics_scene_t::get_gravity_local() const { return {}; }

bool physics_scene_t::set_pair_collides(int a, int b, bool flag) {
    if (!phys_check_index("set_pair_collides", "group", a) || !phys_check_index("set_pair_collides", "group", b))
        return false;
    m_collides[a][b] = m_collides[b][a] = flag ? 1 : 0;
    return true;
}

bool physics_scene_t::set_group_collides(int a, bool flag) {
    if (!phys_check_index("set_group_collides", "group", a)) return false;
    for (int i = 0; i < PHYSICS_GROUPS; ++i) m_collides[a][i] = m_collides[i][a] = flag ? 1 : 0;
    return true;
}

bool physics_scene_t::get_pair_collides(int a, int b) const {
    if (a < 0 || a >= PHYSICS_GROUPS || b < 0 || b >= PHYSICS_GROUPS) return false;
    return m_collides[a][b] != 0;
}

bool physics_scene_t::set_pair_no_response(int a, int b, bool flag) {
    if (!phys_check_index("set_pair_no_response", "group", a) ||
        !phys_check_index("set_pair_no_response", "group", b))
        return false;
    m_no_response[a][b] = m_no_response[b][a] = flag ? 1 : 0;
    return true;
}

bool physics_scene_t::get_pair_no_response(int a, int b) const {
    if (a < 0 || a >= PHYSICS_GROUPS || b < 0 || b >= PHYSICS_GROUPS) return false;
    return m_no_response[a][b] != 0;
}

bool physics_scene_t::set_query_group(int group) {
    if (!phys_check_index("set_query_group", "group", group)) return false;
    m_query_group = group;
    return true;
}

physics_body_t *physics_scene_t::create_body() {
    physics_body_t *body = new_body();
    if (body && !m_bodies.append(body)) {
        delete body;
        body = nullptr;
    }
    if (!body) {
        error("[phys2](scene) Unable to create dynamic actor!");
        return nullptr;
    }
    if (!body->attach_scene(this)) {
        // Not attached: the body does not unlink itself.
        unlink(m_bodies, body);
        delete body;
        error("[phys2](scene) Unable to create dynamic actor!");
        return nullptr;
    }
    return body;
}

physics_shape_t *physics_scene_t::create_shape() {
    physics_shape_t *shape = new_shape();
    if (shape && !m_shapes.append(shape)) {
        delete shape;
        shape = nullptr;
    }
    if (!shape) {
        error("[phys2](scene) Unable to create shape!");
        return nullptr;
    }
    shape->set_scene(this);
    return shape;
}

physics_joint_t *physics_scene_t::create_joint() {
    physics_joint_t *joint = new_joint();
    if (joint && !m_joints.append(joint)) {
        delete joint;
        joint = nullptr;
    }
    if (!joint) {
        error("[phys2](scene) Unable to create joint!");
        return nullptr;
    }
    joint->set_scene(this);
    return joint;
}

physics_avatar_t *physics_scene_t::create_avatar() {
    physics_avatar_t *avatar = new_avatar();
    if (!avatar) {
        error("Unable to create physics avatar !");
        return nullptr;
    }
    avatar->set_scene(this);
    m_avatar = avatar;
    return avatar;
}

void physics_scene_t::remove_body(physics_body_t *body) {
    if (!unlink(m_bodies, body)) {
        error("[phys2](scene) Deleting actor that is not in actor list!");
        return;
    }
    // Shapes left behind keep their geometry where it was, without an owner to
    // point at freed memory.
    uint32_t orphans = 0;
    for (physics_shape_t *shape : m_shapes) {
        if (shape->get_owner() == body) {
            shape->forget_owner();
            ++orphans;
        }
    }
    if (orphans) error("[phys2](scene) Deleting actor that still owns %u shapes!", orphans);
}

void physics_scene_t::remove_shape(physics_shape_t *shape) {
    if (!unlink(m_shapes, shape)) error("[phys2](scene) Deleting shape that is not in shape list!");
}

void physics_scene_t::remove_joint(physics_joint_t *joint) {
    if (!unlink(m_joints, joint)) error("[phys2](scene) Deleting joint that is not in joint list!");
}

uint32_t physics_scene_t::count_shapes_of(const physics_body_t *body) const {
    uint32_t n = 0;
    for (const physics_shape_t *shape : m_shapes)
        if (shape->get_owner() == body) ++n;
    return n;
}

void physics_scene_t::step_engine(float) {}

void physics_scene_t::step(float dt) {
    profiler_sample_t sample("physics_scene_t::step", "physics_scene_t::step");
    if (m_pause > 0) return;
    // A NaN would stop the scene for good, a negative time run the accumulator below 0.
    if (!(dt >= 0.0f) || !std::isfinite(dt)) {
        error("[phys] step: frame time %g is not a finite value of 0 or more", double(dt));
        dt = 0.0f;
    }
    m_accumulator += dt;
    while (m_accumulator > m_step_time) {
        m_accumulator -= m_step_time;
        step_engine(m_step_time);
        if (m_avatar) m_avatar->update();
        for (physics_body_t *body : m_bodies) {
            body->pull_pose();
            if (body->get_sweep()) body->sweep();
            if (physics_step_listener_t *listener = body->get_step_listener()) listener->on_step(body);
            if (body->get_damping()) body->apply_damping();
        }
    }
    m_alpha = m_accumulator / m_step_time;
    for (physics_body_t *body : m_bodies) body->interpolate(m_alpha);
}

void physics_scene_t::set_origin(const vec3_t &origin) {
    if (!phys_check_finite("set_origin", "origin", origin)) return;
    // Scene positions move against the origin, so world positions stay.
    const vec3_t delta = (origin - m_origin) * m_inv_scale;
    for (physics_shape_t *shape : m_shapes) {
        if (shape->get_owner() || shape->get_type() == PHYSICS_SHAPE_NONE ||
            shape->get_type() == PHYSICS_SHAPE_PLANE)
            continue;
        shape->set_position(shape->get_placement().position - delta);
    }
    for (physics_body_t *body : m_bodies) body->translate_poses(-delta);
    m_origin = origin;
}

void physics_scene_t::print_info() {
    size_t awake = 0;
    for (physics_body_t *body : m_bodies)
        if (!body->is_disabled()) ++awake;
    size_t dynamic = 0;
    for (physics_body_t *body : m_bodies)
        if (!body->is_static()) ++dynamic;
    size_t enabled = 0;
    for (physics_shape_t *shape : m_shapes)
        if (shape->is_enabled()) ++enabled;
    message("Physics scene info :");
    message("Actors count %zu .", size_t(m_bodies.get_count()));
    message("Actors dynamic count %zu .", dynamic);
    message("Actors not sleeping count %zu .", awake);
    message("Shapes count %zu .", size_t(m_shapes.get_count()));
    message("Shapes enabled count %zu .", enabled);
}

bool physics_scene_t::ray_first_hit_world(int group, const vec3_t &start, const vec3_t &direction, float length,
                                          physics_ray_hit_t *hit) {
    if (!set_query_group(group)) {
        *hit = physics_ray_hit_t{};
        return false;
    }
    const bool found = ray_first_hit_local(group, world_to_local(start), direction, length * m_inv_scale, hit);
    if (found) {
        hit->position = local_to_world(hit->position);
        hit->depth *= m_scale;
    }
    return found;
}

uint32_t physics_scene_t::ray_all_hits(int group, const vec3_t &start, const vec3_t &direction, float length,
                                       array_t<physics_ray_hit_t> &hits) {
    hits.clear();
    if (!set_query_group(group)) return 0;
    const uint32_t n = ray_all_hits_local(group, world_to_local(start), direction, length * m_inv_scale, hits);
    for (uint32_t i = 0; i < n; ++i) {
        hits[i].position = local_to_world(hits[i].position);
        hits[i].depth *= m_scale;
    }
    return n;
}

}  // namespace quarn
