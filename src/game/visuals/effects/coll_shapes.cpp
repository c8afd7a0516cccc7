#include "game/visuals/effects/coll_shapes.h"

#include <vector>

#include "game/visuals/models/model_coll_view.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/visuals/physics/physics_shape.h"

namespace quarn {

namespace {

class shape_builder_t : public model_coll_visitor_t {
public:
    shape_builder_t(physics_scene_t &scene, physics_body_t *owner, const placement_scale_t &placement, float mass_share,
                    array_dyn_t<physics_shape_t *> &out)
        : m_scene(scene), m_owner(owner), m_placement(placement), m_mass_share(mass_share), m_out(out) {}

    bool box(const model_coll_prim_t &p) override {
        return make(p, [&](physics_shape_t *s, const physics_pose_t &pose) {
            return s->init_box_world(m_owner, p.sizes * scale(), &pose);
        });
    }
    bool capsule(const model_coll_prim_t &p) override {
        return make(p, [&](physics_shape_t *s, const physics_pose_t &pose) {
            return s->init_capsule_world(m_owner, p.length * scale(), p.radius * scale(), &pose);
        });
    }
    bool sphere(const model_coll_prim_t &p) override {
        return make(p, [&](physics_shape_t *s, const physics_pose_t &pose) {
            return s->init_sphere_world(m_owner, p.radius * scale(), &pose);
        });
    }
    bool plane(const model_coll_prim_t &p) override {
        return make(p, [&](physics_shape_t *s, const physics_pose_t &) {
            // The plane n·x = d moved by the placement, then into scene units.
            vec3_t n = m_placement.rotation.rotate({p.plane.x, p.plane.y, p.plane.z});
            float d = p.plane.w * m_placement.scale + dot(n, m_placement.position);
            d = (d - dot(n, m_scene.get_origin())) * m_scene.get_inverse_scale();
            return s->create_plane(m_owner, {n.x, n.y, n.z, d}, nullptr);
        });
    }
    bool mesh(const model_coll_prim_t &p) override {
        return make(p, [&](physics_shape_t *s, const physics_pose_t &pose) {
            // Vertices into scene units (the placement's scale too), indices widened.
            const float k = (m_owner ? 1.0f : m_placement.scale) * m_scene.get_inverse_scale();
            std::vector<vec3_t> vertices(p.vertices, p.vertices + p.vertex_count);
            for (vec3_t &v : vertices) v = v * k;
            std::vector<uint32_t> indices(p.indices, p.indices + p.index_count);
            if (!s->create_trimesh_copy(m_owner, vertices.data(), p.vertex_count, indices.data(), p.index_count,
                                        nullptr))
                return false;
            // A mesh has no pose of its own: without a body it stands at the placement.
            return m_owner || s->set_pose(pose);
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
        const physics_pose_t pose = p.type == 5 ? physics_pose_t{m_placement.position, m_placement.rotation} : pose_of(p);
        if (!create(s, pose)) {
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
    shape_builder_t builder(scene, owner, placement, mass_share, out);
    return coll.is_open() && coll.walk(set, row, builder);
}

bool coll_model_to_physics_shapes(const model_coll_view_t &coll, uint32_t set, uint32_t row, float mass_share,
                                  physics_scene_t &scene, physics_body_t *owner, array_dyn_t<physics_shape_t *> &out) {
    return coll_model_to_physics_shapes_ex(coll, set, row, mass_share, scene, owner, placement_scale_t(), out);
}

}  // namespace quarn
