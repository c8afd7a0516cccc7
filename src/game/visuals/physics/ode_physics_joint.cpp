#include "game/visuals/physics/ode_physics_joint.h"

#include <cmath>

#include "game/visuals/physics/ode_convert.h"
#include "game/visuals/physics/ode_physics_body.h"
#include "game/visuals/physics/ode_physics_scene.h"
#include "game/visuals/physics/physics_checks.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// The force limit of a linear motor: no limit.
constexpr dReal UNLIMITED = 3.37e38;
// The force limit of each axis of an angular motor.
constexpr dReal AMOTOR_FMAX = 1.0;
// Unit axes whose cross product is shorter than this count as parallel.
constexpr float PARALLEL_SINE = 1e-4f;

const char *const KIND_NAMES[] = {"none", "ball", "slider", "hinge", "hinge2", "universal", "linear motor",
                                  "angular motor"};

dBodyID ode_body(physics_body_t *body) {
    return body ? static_cast<ode_physics_body_t *>(body)->get_body_id() : nullptr;
}

bool check_not_parallel(const char *operation, const vec3_t &a, const vec3_t &b) {
    if (length(cross(normalized(a), normalized(b))) >= PARALLEL_SINE) return true;
    error("[phys] %s: the two axes are parallel", operation);
    return false;
}

// A unit vector perpendicular to the unit vector a: a crossed with the world axis
// least along it.
vec3_t perpendicular(const vec3_t &a) {
    const vec3_t m{std::fabs(a.x), std::fabs(a.y), std::fabs(a.z)};
    const vec3_t other = m.x <= m.y && m.x <= m.z ? vec3_t{1, 0, 0} : m.y <= m.z ? vec3_t{0, 1, 0} : vec3_t{0, 0, 1};
    return normalized(cross(a, other));
}

}  // namespace

ode_physics_joint_t::~ode_physics_joint_t() {
    if (m_joint) dJointDestroy(m_joint);
}

void ode_physics_joint_t::detach() {
    if (m_joint) dJointDestroy(m_joint);
    m_joint = nullptr;
    m_scene = nullptr;
}

bool ode_physics_joint_t::check_bodies(const char *operation, physics_body_t *body1, physics_body_t *body2) const {
    if (m_kind != PHYSICS_JOINT_NONE) {
        error("[phys] %s: the joint is made already (a %s)", operation, KIND_NAMES[m_kind]);
        return false;
    }
    if (!m_scene) {
        error("[phys] %s: the joint has no scene", operation);
        return false;
    }
    for (physics_body_t *body : {body1, body2}) {
        if (body && (body->get_scene() != m_scene || !ode_body(body))) {
            error("[phys] %s: a body is not in the joint's scene", operation);
            return false;
        }
    }
    if (body1 && body1 == body2) {
        error("[phys] %s: the two bodies are one", operation);
        return false;
    }
    return true;
}

template <class MAKE>
void ode_physics_joint_t::make(int kind, MAKE make_joint, physics_body_t *body1, physics_body_t *body2) {
    m_kind = kind;
    m_joint = make_joint(static_cast<ode_physics_scene_t *>(m_scene)->get_world(), nullptr);
    dJointSetData(m_joint, this);
    dJointAttach(m_joint, ode_body(body1), ode_body(body2));
}

bool ode_physics_joint_t::create_ball(physics_body_t *body1, physics_body_t *body2, const vec3_t &anchor) {
    const char *op = "create_ball";
    if (!check_bodies(op, body1, body2) || !phys_check_finite(op, "anchor", anchor)) return false;
    make(PHYSICS_JOINT_BALL, dJointCreateBall, body1, body2);
    dJointSetBallAnchor(m_joint, anchor.x, anchor.y, anchor.z);
    return true;
}

bool ode_physics_joint_t::create_hinge(physics_body_t *body1, physics_body_t *body2, const vec3_t &anchor,
                                       const vec3_t &axis) {
    const char *op = "create_hinge";
    if (!check_bodies(op, body1, body2) || !phys_check_finite(op, "anchor", anchor) ||
        !phys_check_direction(op, "axis", axis))
        return false;
    make(PHYSICS_JOINT_HINGE, dJointCreateHinge, body1, body2);
    dJointSetHingeAnchor(m_joint, anchor.x, anchor.y, anchor.z);
    dJointSetHingeAxis(m_joint, axis.x, axis.y, axis.z);
    return true;
}

bool ode_physics_joint_t::create_hinge2(physics_body_t *body1, physics_body_t *body2, const vec3_t &anchor,
                                        const vec3_t &axis1, const vec3_t &axis2) {
    const char *op = "create_hinge2";
    if (!check_bodies(op, body1, body2) || !phys_check_finite(op, "anchor", anchor) ||
        !phys_check_direction(op, "axis 1", axis1) || !phys_check_direction(op, "axis 2", axis2) ||
        !check_not_parallel(op, axis1, axis2))
        return false;
    if (!body1 || !body2) {
        error("[phys] %s: a hinge2 joins two bodies", op);
        return false;
    }
    make(PHYSICS_JOINT_HINGE2, dJointCreateHinge2, body1, body2);
    dJointSetHinge2Anchor(m_joint, anchor.x, anchor.y, anchor.z);
    const dReal a1[3] = {axis1.x, axis1.y, axis1.z};
    const dReal a2[3] = {axis2.x, axis2.y, axis2.z};
    dJointSetHinge2Axes(m_joint, a1, a2);
    return true;
}

bool ode_physics_joint_t::create_slider(physics_body_t *body1, physics_body_t *body2, const vec3_t &,
                                        const vec3_t &axis) {
    const char *op = "create_slider";
    if (!check_bodies(op, body1, body2) || !phys_check_direction(op, "axis", axis)) return false;
    make(PHYSICS_JOINT_SLIDER, dJointCreateSlider, body1, body2);
    dJointSetSliderAxis(m_joint, axis.x, axis.y, axis.z);
    return true;
}

bool ode_physics_joint_t::create_universal(physics_body_t *body1, physics_body_t *body2, const vec3_t &anchor,
                                           const vec3_t &axis1, const vec3_t &axis2) {
    const char *op = "create_universal";
    if (!check_bodies(op, body1, body2) || !phys_check_finite(op, "anchor", anchor) ||
        !phys_check_direction(op, "axis 1", axis1) || !phys_check_direction(op, "axis 2", axis2) ||
        !check_not_parallel(op, axis1, axis2))
        return false;
    make(PHYSICS_JOINT_UNIVERSAL, dJointCreateUniversal, body1, body2);
    dJointSetUniversalAnchor(m_joint, anchor.x, anchor.y, anchor.z);
    dJointSetUniversalAxis1(m_joint, axis1.x, axis1.y, axis1.z);
    dJointSetUniversalAxis2(m_joint, axis2.x, axis2.y, axis2.z);
    return true;
}

bool ode_physics_joint_t::create_lmotor(physics_body_t *body1, physics_body_t *body2, const vec3_t &axis1,
                                        const vec3_t &axis2, const vec3_t &axis3) {
    const char *op = "create_lmotor";
    if (!check_bodies(op, body1, body2) || !phys_check_direction(op, "axis 1", axis1) ||
        !phys_check_direction(op, "axis 2", axis2) || !phys_check_direction(op, "axis 3", axis3))
        return false;
    make(PHYSICS_JOINT_LMOTOR, dJointCreateLMotor, body1, body2);
    dJointSetLMotorNumAxes(m_joint, 3);
    const vec3_t *axes[3] = {&axis1, &axis2, &axis3};
    for (int i = 0; i < 3; ++i) dJointSetLMotorAxis(m_joint, i, 0, axes[i]->x, axes[i]->y, axes[i]->z);
    dJointSetLMotorParam(m_joint, dParamFMax, UNLIMITED);
    dJointSetLMotorParam(m_joint, dParamFMax2, UNLIMITED);
    dJointSetLMotorParam(m_joint, dParamFMax3, UNLIMITED);
    return true;
}

bool ode_physics_joint_t::create_amotor(physics_body_t *body1, physics_body_t *body2, const vec3_t &axis) {
    const char *op = "create_amotor";
    if (!check_bodies(op, body1, body2) || !phys_check_direction(op, "axis", axis)) return false;
    // Euler mode fixes axis 0 to body 1.
    if (!body1) {
        error("[phys] %s: an angular motor needs its first body", op);
        return false;
    }
    make(PHYSICS_JOINT_AMOTOR, dJointCreateAMotor, body1, body2);
    // Euler mode keeps three axes: axis 0 on body 1, axis 2 on body 2 (or the world),
    // axis 1 between them. With axis 0 alone the library fails on a zero axis 2.
    const vec3_t a = normalized(axis);
    const vec3_t b = perpendicular(a);
    dJointSetAMotorMode(m_joint, dAMotorEuler);
    dJointSetAMotorAxis(m_joint, 0, 1, a.x, a.y, a.z);
    dJointSetAMotorAxis(m_joint, 2, body2 ? 2 : 0, b.x, b.y, b.z);
    dJointSetAMotorParam(m_joint, dParamVel, 0);
    dJointSetAMotorParam(m_joint, dParamFMax, AMOTOR_FMAX);
    dJointSetAMotorParam(m_joint, dParamFMax2, AMOTOR_FMAX);
    dJointSetAMotorParam(m_joint, dParamFMax3, AMOTOR_FMAX);
    return true;
}

bool ode_physics_joint_t::is_kind(const char *operation, int kind_a, int kind_b) const {
    if (!m_joint) {
        error("[phys] %s: the joint is not made", operation);
        return false;
    }
    if (m_kind == kind_a || (kind_b != PHYSICS_JOINT_NONE && m_kind == kind_b)) return true;
    error("[phys] %s: not for a %s joint", operation, KIND_NAMES[m_kind]);
    return false;
}

bool ode_physics_joint_t::set_param(const char *operation, int parameter, float value) {
    if (!is_kind(operation, PHYSICS_JOINT_HINGE, PHYSICS_JOINT_HINGE2) ||
        !phys_check_finite(operation, "value", value))
        return false;
    if (m_kind == PHYSICS_JOINT_HINGE) dJointSetHingeParam(m_joint, parameter, value);
    else dJointSetHinge2Param(m_joint, parameter, value);
    return true;
}

bool ode_physics_joint_t::set_suspension_erp(float value) {
    return set_param("set_suspension_erp", dParamSuspensionERP, value);
}

bool ode_physics_joint_t::set_suspension_cfm(float value) {
    return set_param("set_suspension_cfm", dParamSuspensionCFM, value);
}

int ode_physics_joint_t::set_limits(int axis, float high, float low) {
    const char *op = "set_limits";
    if (!m_joint) {
        error("[phys] %s: the joint is not made", op);
        return -1;
    }
    if (m_kind != PHYSICS_JOINT_HINGE && m_kind != PHYSICS_JOINT_HINGE2 && m_kind != PHYSICS_JOINT_UNIVERSAL) {
        error("[phys] %s: a %s joint has no stops", op, KIND_NAMES[m_kind]);
        return -1;
    }
    if (!phys_check_finite(op, "high stop", high) || !phys_check_finite(op, "low stop", low)) return -1;
    if (m_kind == PHYSICS_JOINT_HINGE) {
        if (axis != 0) {
            error("[phys] %s: a hinge has only axis 0, not %d", op, axis);
            return axis;
        }
        dJointSetHingeParam(m_joint, dParamHiStop, high);
        dJointSetHingeParam(m_joint, dParamLoStop, low);
        return 0;
    }
    auto set = m_kind == PHYSICS_JOINT_HINGE2 ? dJointSetHinge2Param : dJointSetUniversalParam;
    set(m_joint, axis == 0 ? dParamHiStop : dParamHiStop2, high);
    set(m_joint, axis == 0 ? dParamLoStop : dParamLoStop2, low);
    return 0;
}

bool ode_physics_joint_t::set_lmotor_velocity(const vec3_t &velocity) {
    const char *op = "set_lmotor_velocity";
    if (!is_kind(op, PHYSICS_JOINT_LMOTOR) || !phys_check_finite(op, "velocity", velocity)) return false;
    dJointSetLMotorParam(m_joint, dParamVel, velocity.x);
    dJointSetLMotorParam(m_joint, dParamVel2, velocity.y);
    dJointSetLMotorParam(m_joint, dParamVel3, velocity.z);
    return true;
}

vec3_t ode_physics_joint_t::get_anchor() const {
    dVector3 a = {0, 0, 0, 0};
    if (!m_joint) return {};
    switch (m_kind) {
    case PHYSICS_JOINT_HINGE: dJointGetHingeAnchor(m_joint, a); break;
    case PHYSICS_JOINT_HINGE2: dJointGetHinge2Anchor(m_joint, a); break;
    case PHYSICS_JOINT_UNIVERSAL: dJointGetUniversalAnchor(m_joint, a); break;
    default: break;
    }
    return ode_to_vec(a);
}

}  // namespace quarn
