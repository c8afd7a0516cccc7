#include "game/visuals/physics/ode_physics_shape.h"

#include "game/visuals/physics/ode_convert.h"
#include "game/visuals/physics/ode_physics_body.h"
#include "game/visuals/physics/ode_physics_scene.h"
#include "game/visuals/physics/physics_checks.h"
#include "qrncore/system/messages.h"

namespace quarn {

ode_physics_shape_t::~ode_physics_shape_t() { destroy_geoms(); }

void ode_physics_shape_t::destroy_geoms() {
    if (m_outer) dGeomDestroy(m_outer);
    if (m_inner) dGeomDestroy(m_inner);
    // After the geom that reads it.
    if (m_mesh) dGeomTriMeshDataDestroy(m_mesh);
    m_outer = m_inner = nullptr;
    m_mesh = nullptr;
}

void ode_physics_shape_t::detach() {
    destroy_geoms();
    m_scene = nullptr;
    m_owner = nullptr;
}

void ode_physics_shape_t::enable() {
    if (m_outer) dGeomEnable(m_outer);
}

void ode_physics_shape_t::disable() {
    if (m_outer) dGeomDisable(m_outer);
}

bool ode_physics_shape_t::is_enabled() const { return m_outer && dGeomIsEnabled(m_outer) == 1; }

dGeomID ode_physics_shape_t::make_geom(kind_t kind, dSpaceID space) {
    switch (kind) {
    case kind_t::sphere: return dCreateSphere(space, m_sizes[0]);
    case kind_t::box: return dCreateBox(space, m_sizes[0], m_sizes[1], m_sizes[2]);
    case kind_t::plane: return dCreatePlane(space, m_sizes[0], m_sizes[1], m_sizes[2], m_sizes[3]);
    case kind_t::capsule: return dCreateCapsule(space, m_sizes[0], m_sizes[1]);
    case kind_t::trimesh:
        m_mesh = dGeomTriMeshDataCreate();
        dGeomTriMeshDataBuildSingle(m_mesh, m_vertices, sizeof(vec3_t), int(m_vertex_count), m_indices,
                                    int(m_index_count), 3 * sizeof(uint32_t));
        return dCreateTriMesh(space, m_mesh, nullptr, ode_physics_scene_t::triangle_array_callback, nullptr);
    }
    return nullptr;
}

// Geom transforms are deprecated in the library but work, and nothing else offsets
// a geom from its body's mass centre.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
void ode_physics_shape_t::build(kind_t kind, const physics_pose_t &offset) {
    auto *scene = static_cast<ode_physics_scene_t *>(m_scene);
    dQuaternion q;
    ode_from_quat(q, offset.rotation);
    if (!m_owner) {
        m_outer = make_geom(kind, scene->get_static_space());
        if (kind != kind_t::plane) {
            dGeomSetPosition(m_outer, offset.position.x, offset.position.y, offset.position.z);
            dGeomSetQuaternion(m_outer, q);
        }
    } else if (is_negligible(offset)) {
        m_outer = make_geom(kind, scene->get_actor_space());
    } else {
        m_outer = dCreateGeomTransform(scene->get_actor_space());
        m_inner = make_geom(kind, nullptr);
        dGeomTransformSetGeom(m_outer, m_inner);
        dGeomSetQuaternion(m_inner, q);
        dGeomSetPosition(m_inner, offset.position.x, offset.position.y, offset.position.z);
    }
    dGeomSetData(m_outer, this);
    if (m_inner) dGeomSetData(m_inner, this);
    if (m_owner) dGeomSetBody(m_outer, static_cast<ode_physics_body_t *>(m_owner)->get_body_id());
}
#pragma GCC diagnostic pop

bool ode_physics_shape_t::create_sphere(physics_body_t *owner, float radius, const physics_pose_t *local) {
    const char *op = "create_sphere";
    physics_pose_t offset;
    if (!phys_check_not_negative(op, "radius", radius) ||
        !begin_create(op, PHYSICS_SHAPE_SPHERE, &radius, 1, owner, local, &offset))
        return false;
    build(kind_t::sphere, offset);
    return true;
}

bool ode_physics_shape_t::create_box(physics_body_t *owner, const vec3_t &sizes, const physics_pose_t *local) {
    const char *op = "create_box";
    physics_pose_t offset;
    const float s[3] = {sizes.x, sizes.y, sizes.z};
    if (!phys_check_not_negative(op, "size x", sizes.x) || !phys_check_not_negative(op, "size y", sizes.y) ||
        !phys_check_not_negative(op, "size z", sizes.z) ||
        !begin_create(op, PHYSICS_SHAPE_BOX, s, 3, owner, local, &offset))
        return false;
    build(kind_t::box, offset);
    return true;
}

bool ode_physics_shape_t::create_plane(physics_body_t *owner, const vec4_t &plane, const physics_pose_t *local) {
    const char *op = "create_plane";
    // A plane is not placeable: it can neither follow a body nor take a pose.
    if (owner) {
        error("[phys] %s: a plane cannot belong to a body", op);
        return false;
    }
    if (local && (!(local->position == vec3_t{}) || !local->rotation.is_identity())) {
        error("[phys] %s: a plane has no placement", op);
        return false;
    }
    physics_pose_t offset;
    const float s[4] = {plane.x, plane.y, plane.z, plane.w};
    if (!phys_check_direction(op, "normal", {plane.x, plane.y, plane.z}) || !phys_check_finite(op, "distance", plane.w) ||
        !begin_create(op, PHYSICS_SHAPE_PLANE, s, 4, nullptr, nullptr, &offset))
        return false;
    build(kind_t::plane, offset);
    return true;
}

bool ode_physics_shape_t::create_capsule(physics_body_t *owner, float length, float radius,
                                         const physics_pose_t *local) {
    const char *op = "create_capsule";
    physics_pose_t offset;
    const float s[2] = {radius, length};
    if (!phys_check_not_negative(op, "radius", radius) || !phys_check_not_negative(op, "length", length) ||
        !begin_create(op, PHYSICS_SHAPE_CAPSULE, s, 2, owner, local, &offset))
        return false;
    build(kind_t::capsule, offset);
    return true;
}

bool ode_physics_shape_t::create_trimesh(physics_body_t *owner, const vec3_t *vertices, uint32_t vertex_count,
                                         const uint32_t *indices, uint32_t index_count,
                                         const physics_pose_t *local) {
    const char *op = "create_trimesh";
    physics_pose_t offset;
    if (!check_mesh(op, vertices, vertex_count, indices, index_count) ||
        !begin_create(op, PHYSICS_SHAPE_TRIMESH, nullptr, 0, owner, local, &offset))
        return false;
    m_vertices = vertices;
    m_vertex_count = vertex_count;
    m_indices = indices;
    m_index_count = index_count - index_count % 3;
    build(kind_t::trimesh, offset);
    return true;
}

bool ode_physics_shape_t::placeable(const char *operation) const {
    if (!m_outer || m_owner || m_type == PHYSICS_SHAPE_PLANE) {
        error("[phys] %s: only a body-less shape with a placement can be placed", operation);
        return false;
    }
    return true;
}

bool ode_physics_shape_t::set_position(const vec3_t &position) {
    if (!placeable("set_position") || !phys_check_finite("set_position", "position", position)) return false;
    m_pose.position = position;
    dGeomSetPosition(m_outer, position.x, position.y, position.z);
    return true;
}

bool ode_physics_shape_t::set_rotation(const quat_t &rotation) {
    quat_t q = rotation;
    if (!placeable("set_rotation") || !phys_check_rotation("set_rotation", &q)) return false;
    m_pose.rotation = q;
    dQuaternion dq;
    ode_from_quat(dq, q);
    dGeomSetQuaternion(m_outer, dq);
    return true;
}

}  // namespace quarn
