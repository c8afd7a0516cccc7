#include "game/visuals/effects/coll_shapes.h"

#include "game/visuals/models/model_coll_view.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/visuals/physics/physics_shape.h"

namespace quarn {

namespace {

// The collision model's visitor: one new shape a primitive.
class shape_builder_t : public model_coll_visitor_t {
public:
    shape_builder_t(physics_scene_t &scene, physics_body_t *owner, const placement_scale_t &placement, float mass_share,
                    array_dyn_t<physics_shape_t *> &out)
        : m_scene(scene), m_owner(owner), m_placement(placement), m_mass_share(mass_share), m_out(out) {}

    bool box(const model_coll_prim_t &p) override {
        const physics_pose_t pose = pose_of(p);
        return make(p, [&](physics_shape_t &s) { return s.init_box_world(m_owner, p.sizes * scale(), &pose); });
    }
    bool capsule(const model_coll_prim_t &p) override {
        const physics_pose_t pose = pose_of(p);
        return make(p, [&](physics_shape_t &s) {
            return s.init_capsule_world(m_owner, p.length * scale(), p.radius * scale(), &pose);
        });
    }
    bool sphere(const model_coll_prim_t &p) override {
        const physics_pose_t pose = pose_of(p);
        return make(p, [&](physics_shape_t &s) { return s.init_sphere_world(m_owner, p.radius * scale(), &pose); });
    }
    bool plane(const model_coll_prim_t &p) override {
        return make(p, [&](physics_shape_t &s) {
            // The plane n·x = d moved by the placement (x' = position + scale · R x
            // gives n'·x' = n'·position + scale · d with n' = R n), then into scene
            // units.
            const vec3_t n = m_placement.rotation.rotate({p.plane.x, p.plane.y, p.plane.z});
            float d = p.plane.w * m_placement.scale + dot(n, m_placement.position);
            d = (d - dot(n, m_scene.get_origin())) * m_scene.get_inverse_scale();
            return s.create_plane(m_owner, {n.x, n.y, n.z, d}, nullptr);
        });
    }
    bool mesh(const model_coll_prim_t &p) override {
        return make(p, [&](physics_shape_t &s) {
            // Vertices into scene units (and by the placement's scale without a body),
            // indices widened to 32 bits.
            const float k = scale() * m_scene.get_inverse_scale();
            array_dyn_t<vec3_t> vertices;
            array_dyn_t<uint32_t> indices;
            if (!vertices.request_capacity(p.vertex_count) || !indices.request_capacity(p.index_count)) return false;
            for (uint32_t v = 0; v < p.vertex_count; ++v) vertices.append(p.vertices[v] * k);
            for (uint32_t i = 0; i < p.index_count; ++i) indices.append(uint32_t(p.indices[i]));
            if (!s.create_trimesh_copy(m_owner, vertices.get_data(), p.vertex_count, indices.get_data(),
                                       p.index_count, nullptr))
                return false;
            // A mesh has no pose of its own: without a body it stands at the placement.
            return m_owner || s.set_pose({m_placement.position, m_placement.rotation});
        });
    }

private:
    float scale() const { return m_owner ? 1.0f : m_placement.scale; }

    // The primitive's pose: its own on a body, moved by the placement without one.
    physics_pose_t pose_of(const model_coll_prim_t &p) const {
        if (m_owner) return {p.position, p.rotation};
        return {m_placement.from_local_space(p.position), m_placement.rotation * p.rotation};
    }

    template <class F>
    bool make(const model_coll_prim_t &p, F create) {
        physics_shape_t *s = m_scene.create_shape();
        if (!s) return false;
        if (!create(*s)) {
            delete s;
            return false;
        }
        s->set_material(int(p.material));
        s->set_mass(p.mass * m_mass_share);
        if (!m_out.append(s)) {
            delete s;
            return false;
        }
        return true;
    }

    physics_scene_t &m_scene;
    physics_body_t *m_owner;
    placement_scale_t m_placement;
    float m_mass_share;
    array_dyn_t<physics_shape_t *> &m_out;
};

}  // namespace

bool coll_model_to_physics_shapes_ex(const model_coll_view_t &coll, uint32_t set, uint32_t row, float mass_share,
                                     physics_scene_t &scene, physics_body_t *owner,
                                     const placement_scale_t &placement, array_dyn_t<physics_shape_t *> &out) {
    if (!coll.is_open()) return false;
    shape_builder_t builder(scene, owner, placement, mass_share, out);
    return coll.walk(set, row, builder);
}

bool coll_model_to_physics_shapes(const model_coll_view_t &coll, uint32_t set, uint32_t row, float mass_share,
                                  physics_scene_t &scene, physics_body_t *owner, array_dyn_t<physics_shape_t *> &out) {
    return coll_model_to_physics_shapes_ex(coll, set, row, mass_share, scene, owner, placement_scale_t(), out);
}

}  // namespace quarn
