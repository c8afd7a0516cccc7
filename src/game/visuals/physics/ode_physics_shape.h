#pragma once
// The collision shape over ODE geoms. An owned shape's geom sits at its body's mass
// centre, or, when its offset from there is not negligible, inside a geom transform
// that carries the offset (outer geom: the transform, inner: the shape's own). A
// body-less shape's geom is placed directly. Every geom's data is the shape.
#include <ode/ode.h>

#include "game/visuals/physics/physics_shape.h"

namespace quarn {

class ode_physics_shape_t : public physics_shape_t {
public:
    ode_physics_shape_t() = default;
    ~ode_physics_shape_t() override;

    // The geom in the scene's space (the transform when there is one), and the
    // shape's own geom (the same when there is no transform); null before a create.
    dGeomID get_geom() const { return m_outer; }
    dGeomID get_inner_geom() const { return m_inner ? m_inner : m_outer; }

    void enable() override;
    void disable() override;
    bool is_enabled() const override;
    bool create_sphere(physics_body_t *owner, float radius, const physics_pose_t *local) override;
    bool create_box(physics_body_t *owner, const vec3_t &sizes, const physics_pose_t *local) override;
    bool create_plane(physics_body_t *owner, const vec4_t &plane, const physics_pose_t *local) override;
    bool create_capsule(physics_body_t *owner, float length, float radius, const physics_pose_t *local) override;
    bool create_trimesh(physics_body_t *owner, const vec3_t *vertices, uint32_t vertex_count,
                        const uint32_t *indices, uint32_t index_count, const physics_pose_t *local) override;
    bool set_position(const vec3_t &position) override;
    bool set_rotation(const quat_t &rotation) override;
    void detach() override;

private:
    // Which geom to make, once the space and the placement are known.
    enum class kind_t { sphere, box, plane, capsule, trimesh };
    // Makes the geom (in a transform when the offset is not negligible), binds it to
    // the owner's body or places it.
    void build(kind_t kind, const physics_pose_t &offset);
    dGeomID make_geom(kind_t kind, dSpaceID space);
    void destroy_geoms();
    // Refuses placing a shape that is owned, a plane or empty.
    bool placeable(const char *operation) const;

    dGeomID m_outer = nullptr;
    dGeomID m_inner = nullptr;
    dTriMeshDataID m_mesh = nullptr;
};

}  // namespace quarn
