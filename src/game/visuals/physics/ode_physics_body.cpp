#include "game/visuals/physics/ode_physics_body.h"

#include "game/visuals/physics/ode_convert.h"
#include "game/visuals/physics/ode_physics_scene.h"
#include "game/visuals/physics/physics_checks.h"
#include "qrncore/system/messages.h"

namespace quarn {

ode_physics_body_t::~ode_physics_body_t() {
    if (m_body) dBodyDestroy(m_body);
}

// The scene and the library body come and go together (attach_scene, detach).
bool ode_physics_body_t::live(const char *operation) const { return in_scene(operation) && m_body; }

void ode_physics_body_t::place(const vec3_t &reference, const quat_t &rotation) {
    const vec3_t centre = reference + rotation.rotate(m_com_offset);
    dBodySetPosition(m_body, centre.x, centre.y, centre.z);
}

bool ode_physics_body_t::attach_scene(physics_scene_t *scene) {
    auto *ode_scene = dynamic_cast<ode_physics_scene_t *>(scene);
    if (!ode_scene || m_body) {
        error("[phys] attach_scene: the body needs one scene of the library");
        return false;
    }
    physics_body_t::attach_scene(scene);
    m_body = dBodyCreate(ode_scene->get_world());
    dBodySetData(m_body, this);
    dBodySetAutoDisableDefaults(m_body);
    set_auto_disable(true);
    set_disabled(true);
    return true;
}

void ode_physics_body_t::detach() {
    if (m_body) dBodyDestroy(m_body);
    m_body = nullptr;
    m_scene = nullptr;
}

void ode_physics_body_t::pull_pose() {
    if (!m_body) return;
    m_previous = m_current;
    m_current.rotation = ode_to_quat(dBodyGetQuaternion(m_body));
    m_current.position = ode_to_vec(dBodyGetPosition(m_body)) - m_current.rotation.rotate(m_com_offset);
}

bool ode_physics_body_t::is_disabled() const { return m_body && !dBodyIsEnabled(m_body); }

void ode_physics_body_t::set_disabled(bool disabled) {
    if (!m_body) return;
    if (disabled) dBodyDisable(m_body);
    else dBodyEnable(m_body);
}

bool ode_physics_body_t::get_auto_disable() const { return m_body && dBodyGetAutoDisableFlag(m_body); }

void ode_physics_body_t::set_auto_disable(bool flag) {
    if (m_body) dBodySetAutoDisableFlag(m_body, flag ? 1 : 0);
}

bool ode_physics_body_t::get_gravity_mode() const { return m_body && dBodyGetGravityMode(m_body) != 0; }

void ode_physics_body_t::set_gravity_mode(bool flag) {
    if (m_body) dBodySetGravityMode(m_body, flag ? 1 : 0);
}

bool ode_physics_body_t::apply_mass(const char *operation, dMass *mass) {
    // The values were checked; this catches an inertia the library would still
    // reject (it aborts in dBodySetMass).
    if (!dMassCheck(mass)) {
        error("[phys] %s: the mass distribution is not valid", operation);
        return false;
    }
    dBodySetMass(m_body, mass);
    return true;
}

bool ode_physics_body_t::set_mass(float mass) {
    if (!live("set_mass") || !phys_check_positive("set_mass", "mass", mass)) return false;
    dMass m;
    dBodyGetMass(m_body, &m);
    m.mass = mass;
    return apply_mass("set_mass", &m);
}

float ode_physics_body_t::get_mass() const {
    if (!m_body) return 0.0f;
    dMass m;
    dBodyGetMass(m_body, &m);
    return float(m.mass);
}

bool ode_physics_body_t::set_mass_box(float mass, const vec3_t &sizes) {
    const char *op = "set_mass_box";
    if (!live(op) || !phys_check_positive(op, "mass", mass) || !phys_check_positive(op, "size x", sizes.x) ||
        !phys_check_positive(op, "size y", sizes.y) || !phys_check_positive(op, "size z", sizes.z))
        return false;
    dMass m;
    dMassSetBoxTotal(&m, mass, sizes.x, sizes.y, sizes.z);
    return apply_mass(op, &m);
}

bool ode_physics_body_t::set_mass_sphere(float mass, float radius) {
    const char *op = "set_mass_sphere";
    if (!live(op) || !phys_check_positive(op, "mass", mass) || !phys_check_positive(op, "radius", radius))
        return false;
    dMass m;
    dMassSetSphereTotal(&m, mass, radius);
    return apply_mass(op, &m);
}

bool ode_physics_body_t::set_mass_capsule(float mass, float length, float radius) {
    const char *op = "set_mass_capsule";
    if (!live(op) || !phys_check_positive(op, "mass", mass) || !phys_check_positive(op, "radius", radius) ||
        !phys_check_not_negative(op, "length", length))
        return false;
    dMass m;
    dMassSetCapsuleTotal(&m, mass, 3, radius, length);
    return apply_mass(op, &m);
}

bool ode_physics_body_t::set_com_offset(const vec3_t &offset) {
    if (!live("set_com_offset") || !phys_check_finite("set_com_offset", "offset", offset)) return false;
    m_com_offset = offset;
    place(m_current.position, m_current.rotation);
    return true;
}

bool ode_physics_body_t::set_position(const vec3_t &position) {
    if (!live("set_position") || !phys_check_finite("set_position", "position", position)) return false;
    m_previous.position = m_current.position = m_interpolated.position = position;
    place(position, m_current.rotation);
    return true;
}

bool ode_physics_body_t::set_rotation(const quat_t &rotation) {
    quat_t q = rotation;
    if (!live("set_rotation") || !phys_check_rotation("set_rotation", &q)) return false;
    const quat_t old = ode_to_quat(dBodyGetQuaternion(m_body));
    const vec3_t reference = ode_to_vec(dBodyGetPosition(m_body)) - old.rotate(m_com_offset);
    m_previous.rotation = m_current.rotation = m_interpolated.rotation = q;
    place(reference, q);
    dQuaternion dq;
    ode_from_quat(dq, q);
    dBodySetQuaternion(m_body, dq);
    return true;
}

bool ode_physics_body_t::set_pose(const physics_pose_t &pose) {
    physics_pose_t p = pose;
    if (!live("set_pose") || !phys_check_pose("set_pose", &p)) return false;
    m_previous = m_current = m_interpolated = p;
    place(p.position, p.rotation);
    dQuaternion dq;
    ode_from_quat(dq, p.rotation);
    dBodySetQuaternion(m_body, dq);
    return true;
}

vec3_t ode_physics_body_t::get_linear_velocity() const { return m_body ? ode_to_vec(dBodyGetLinearVel(m_body)) : vec3_t{}; }

vec3_t ode_physics_body_t::get_angular_velocity() const {
    return m_body ? ode_to_vec(dBodyGetAngularVel(m_body)) : vec3_t{};
}

bool ode_physics_body_t::set_linear_velocity(const vec3_t &v) {
    if (!live("set_linear_velocity") || !phys_check_finite("set_linear_velocity", "velocity", v)) return false;
    dBodySetLinearVel(m_body, v.x, v.y, v.z);
    return true;
}

bool ode_physics_body_t::set_angular_velocity(const vec3_t &v) {
    if (!live("set_angular_velocity") || !phys_check_finite("set_angular_velocity", "velocity", v)) return false;
    dBodySetAngularVel(m_body, v.x, v.y, v.z);
    return true;
}

bool ode_physics_body_t::add_force(const vec3_t &f) {
    if (!live("add_force") || !phys_check_finite("add_force", "force", f)) return false;
    dBodyAddForce(m_body, f.x, f.y, f.z);
    return true;
}

bool ode_physics_body_t::add_relative_force(const vec3_t &f) {
    if (!live("add_relative_force") || !phys_check_finite("add_relative_force", "force", f)) return false;
    dBodyAddRelForce(m_body, f.x, f.y, f.z);
    return true;
}

bool ode_physics_body_t::add_force_at_pos(const vec3_t &f, const vec3_t &p) {
    const char *op = "add_force_at_pos";
    if (!live(op) || !phys_check_finite(op, "force", f) || !phys_check_finite(op, "position", p)) return false;
    dBodyAddForceAtPos(m_body, f.x, f.y, f.z, p.x, p.y, p.z);
    return true;
}

// Relative positions are relative to the reference point; the library's are relative
// to the mass centre, com offset further along the body's axes.
bool ode_physics_body_t::add_force_at_relative_pos(const vec3_t &f, const vec3_t &p) {
    const char *op = "add_force_at_relative_pos";
    if (!live(op) || !phys_check_finite(op, "force", f) || !phys_check_finite(op, "position", p)) return false;
    const vec3_t r = p - m_com_offset;
    dBodyAddForceAtRelPos(m_body, f.x, f.y, f.z, r.x, r.y, r.z);
    return true;
}

bool ode_physics_body_t::add_relative_force_at_pos(const vec3_t &f, const vec3_t &p) {
    const char *op = "add_relative_force_at_pos";
    if (!live(op) || !phys_check_finite(op, "force", f) || !phys_check_finite(op, "position", p)) return false;
    dBodyAddRelForceAtPos(m_body, f.x, f.y, f.z, p.x, p.y, p.z);
    return true;
}

bool ode_physics_body_t::add_relative_force_at_relative_pos(const vec3_t &f, const vec3_t &p) {
    const char *op = "add_relative_force_at_relative_pos";
    if (!live(op) || !phys_check_finite(op, "force", f) || !phys_check_finite(op, "position", p)) return false;
    const vec3_t r = p - m_com_offset;
    dBodyAddRelForceAtRelPos(m_body, f.x, f.y, f.z, r.x, r.y, r.z);
    return true;
}

bool ode_physics_body_t::set_force(const vec3_t &f) {
    if (!live("set_force") || !phys_check_finite("set_force", "force", f)) return false;
    dBodySetForce(m_body, f.x, f.y, f.z);
    return true;
}

vec3_t ode_physics_body_t::get_force() const { return m_body ? ode_to_vec(dBodyGetForce(m_body)) : vec3_t{}; }

bool ode_physics_body_t::add_torque(const vec3_t &t) {
    if (!live("add_torque") || !phys_check_finite("add_torque", "torque", t)) return false;
    dBodyAddTorque(m_body, t.x, t.y, t.z);
    return true;
}

bool ode_physics_body_t::add_relative_torque(const vec3_t &t) {
    if (!live("add_relative_torque") || !phys_check_finite("add_relative_torque", "torque", t)) return false;
    dBodyAddRelTorque(m_body, t.x, t.y, t.z);
    return true;
}

bool ode_physics_body_t::set_torque(const vec3_t &t) {
    if (!live("set_torque") || !phys_check_finite("set_torque", "torque", t)) return false;
    dBodySetTorque(m_body, t.x, t.y, t.z);
    return true;
}

vec3_t ode_physics_body_t::get_torque() const { return m_body ? ode_to_vec(dBodyGetTorque(m_body)) : vec3_t{}; }

}  // namespace quarn
