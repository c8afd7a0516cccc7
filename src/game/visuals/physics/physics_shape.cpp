#include "game/visuals/physics/physics_shape.h"

#include <climits>
#include <cstring>

#include "game/visuals/physics/physics_body.h"
#include "game/visuals/physics/physics_checks.h"
#include "game/visuals/physics/physics_debug_draw.h"
#include "game/visuals/physics/physics_memory.h"
#include "game/visuals/physics/physics_scene.h"
#include "kernel/gfx/debug_lines.h"
#include "outside/visbase/transform_stack.h"
#include "qrncore/system/messages.h"

namespace quarn {

physics_shape_t::~physics_shape_t() {
    free_mesh_copies();
    if (m_scene) m_scene->remove_shape(this);
}

void physics_shape_t::free_mesh_copies() {
    if (!m_owns_mesh) return;
    physics_memory_free(const_cast<vec3_t *>(m_vertices), size_t(m_vertex_count) * sizeof(vec3_t));
    physics_memory_free(const_cast<uint32_t *>(m_indices), size_t(m_index_count) * sizeof(uint32_t));
    m_vertices = nullptr;
    m_indices = nullptr;
    m_owns_mesh = false;
}

bool physics_shape_t::begin_create(const char *operation, int type, const float *sizes, int size_count,
                                   physics_body_t *owner, const physics_pose_t *local, physics_pose_t *offset) {
    // A second geometry would leave the first one in the scene with nobody to free it.
    if (m_type != PHYSICS_SHAPE_NONE) {
        error("[phys] %s: the shape has its geometry already", operation);
        return false;
    }
    if (!m_scene) {
        error("[phys] %s: the shape has no scene", operation);
        return false;
    }
    if (owner && owner->get_scene() != m_scene) {
        error("[phys] %s: the owner body is not in the shape's scene", operation);
        return false;
    }
    physics_pose_t pose;
    if (local) {
        pose = *local;
        if (!phys_check_pose(operation, &pose)) return false;
    }
    m_type = type;
    for (int i = 0; i < size_count; ++i) m_sizes[i] = sizes[i];
    m_owner = owner;
    m_local = pose;
    if (!owner) {
        m_pose = pose;
        *offset = pose;
        return true;
    }
    // A body's first shape placed off its reference point takes the mass centre.
    if (!owner->is_static() && local && owner->get_com_offset() == vec3_t{} && m_scene->count_shapes_of(owner) < 2)
        owner->set_com_offset(pose.position);
    *offset = {pose.position - owner->get_com_offset(), pose.rotation};
    return true;
}

bool physics_shape_t::is_negligible(const physics_pose_t &offset) const {
    const float d2 = length_squared(offset.position);
    float limit;
    switch (m_type) {
    case PHYSICS_SHAPE_SPHERE: limit = m_sizes[0] * m_sizes[0]; break;
    case PHYSICS_SHAPE_BOX: limit = length_squared(vec3_t{m_sizes[0], m_sizes[1], m_sizes[2]}); break;
    case PHYSICS_SHAPE_CAPSULE: limit = m_sizes[1] * m_sizes[1]; break;
    default: limit = 1.0f; break;
    }
    return d2 < limit * 0.0001f && offset.rotation.is_identity();
}

bool physics_shape_t::check_mesh(const char *operation, const vec3_t *vertices, uint32_t vertex_count,
                                 const uint32_t *indices, uint32_t index_count) {
    if (index_count < 3 || !indices || !vertices || vertex_count == 0) {
        error("[phys] %s: the mesh has no whole triangle (%u vertices, %u indices)", operation, vertex_count,
              index_count);
        return false;
    }
    if (vertex_count > INT_MAX || index_count > INT_MAX) {
        error("[phys] %s: the mesh is too large (%u vertices, %u indices)", operation, vertex_count, index_count);
        return false;
    }
    const uint32_t whole = index_count - index_count % 3;
    for (uint32_t i = 0; i < whole; ++i) {
        // Past the vertices the library would read outside the array.
        if (indices[i] >= vertex_count) {
            error("[phys] %s: index %u at %u is past the %u vertices", operation, indices[i], i, vertex_count);
            return false;
        }
    }
    for (uint32_t i = 0; i < vertex_count; ++i) {
        if (!phys_is_finite(vertices[i])) {
            error("[phys] %s: vertex %u is not finite", operation, i);
            return false;
        }
    }
    return true;
}

bool physics_shape_t::create_trimesh_copy(physics_body_t *owner, const vec3_t *vertices, uint32_t vertex_count,
                                          const uint32_t *indices, uint32_t index_count, const physics_pose_t *local) {
    if (!check_mesh("create_trimesh_copy", vertices, vertex_count, indices, index_count)) return false;
    const uint32_t whole = index_count - index_count % 3;
    const size_t vertex_bytes = size_t(vertex_count) * sizeof(vec3_t);
    const size_t index_bytes = size_t(whole) * sizeof(uint32_t);
    auto *v = static_cast<vec3_t *>(physics_memory_alloc(vertex_bytes));
    auto *x = static_cast<uint32_t *>(physics_memory_alloc(index_bytes));
    if (!v || !x) {
        error("[phys] create_trimesh_copy: no memory for a mesh of %u vertices", vertex_count);
        physics_memory_free(v, vertex_bytes);
        physics_memory_free(x, index_bytes);
        return false;
    }
    memcpy(v, vertices, vertex_bytes);
    memcpy(x, indices, index_bytes);
    if (!create_trimesh(owner, v, vertex_count, x, whole, local)) {
        physics_memory_free(v, vertex_bytes);
        physics_memory_free(x, index_bytes);
        return false;
    }
    m_owns_mesh = true;
    return true;
}

namespace {

// An owned shape's offset is scaled only: it is relative to its body, not to the
// scene's origin.
bool world_pose_to_scene(const physics_scene_t *scene, const physics_body_t *owner, const physics_pose_t *pose,
                         physics_pose_t *out) {
    if (!pose) return false;
    *out = owner ? physics_pose_t{pose->position * scene->get_inverse_scale(), pose->rotation}
                 : scene->world_to_local_placement(*pose);
    return true;
}

}  // namespace

bool physics_shape_t::init_sphere_world(physics_body_t *owner, float radius, const physics_pose_t *pose) {
    if (!m_scene) return create_sphere(owner, radius, pose);
    physics_pose_t local;
    const bool has = world_pose_to_scene(m_scene, owner, pose, &local);
    return create_sphere(owner, radius * m_scene->get_inverse_scale(), has ? &local : nullptr);
}

bool physics_shape_t::init_box_world(physics_body_t *owner, const vec3_t &sizes, const physics_pose_t *pose) {
    if (!m_scene) return create_box(owner, sizes, pose);
    physics_pose_t local;
    const bool has = world_pose_to_scene(m_scene, owner, pose, &local);
    return create_box(owner, sizes * m_scene->get_inverse_scale(), has ? &local : nullptr);
}

bool physics_shape_t::init_capsule_world(physics_body_t *owner, float length, float radius,
                                         const physics_pose_t *pose) {
    if (!m_scene) return create_capsule(owner, length, radius, pose);
    physics_pose_t local;
    const bool has = world_pose_to_scene(m_scene, owner, pose, &local);
    const float inv = m_scene->get_inverse_scale();
    return create_capsule(owner, length * inv, radius * inv, has ? &local : nullptr);
}

bool physics_shape_t::set_pose(const physics_pose_t &world_pose) {
    physics_pose_t pose = world_pose;
    if (!m_scene) {
        error("[phys] set_pose: the shape has no scene");
        return false;
    }
    if (!phys_check_pose("set_pose", &pose)) return false;
    pose = m_scene->world_to_local_placement(pose);
    return set_position(pose.position) && set_rotation(pose.rotation);
}

vec3_t physics_shape_t::get_world_position() {
    if (!m_scene) return m_pose.position;
    if (!m_owner) return m_scene->local_to_world(m_pose.position);
    const physics_pose_t &body = m_owner->get_world_pose();
    return body.position + body.rotation.rotate(m_local.position * m_scene->get_scale());
}

quat_t physics_shape_t::get_world_rotation() {
    if (!m_owner) return m_pose.rotation;
    return m_owner->get_world_pose().rotation * m_local.rotation;
}

bool physics_shape_t::set_material(int index) {
    if (!phys_check_index("set_material", "material", index)) return false;
    m_material = index;
    return true;
}

bool physics_shape_t::set_collision_group(int group) {
    if (!phys_check_index("set_collision_group", "group", group)) return false;
    m_group = group;
    return true;
}

void physics_shape_t::debug_draw(int scene_mode) {
    if (!m_scene || m_type == PHYSICS_SHAPE_NONE || m_type == PHYSICS_SHAPE_PLANE ||
        !phys_draw_allowed(m_draw_mode, scene_mode))
        return;
    const bool asleep = m_owner && m_owner->is_disabled();
    const float s = m_scene->get_scale();
    gfx_push();
    gfx_translate(get_world_position());
    gfx_qrotate(get_world_rotation());
    gfx_scale({s, s, s});
    switch (m_type) {
    case PHYSICS_SHAPE_SPHERE: phys_draw_sphere(m_sizes[0], asleep ? PHYS_COLOUR_ASLEEP : PHYS_COLOUR_AWAKE); break;
    case PHYSICS_SHAPE_BOX:
        phys_draw_box({m_sizes[0], m_sizes[1], m_sizes[2]}, asleep ? PHYS_COLOUR_BOX_ASLEEP : PHYS_COLOUR_BOX);
        break;
    case PHYSICS_SHAPE_CAPSULE:
        phys_draw_capsule(m_sizes[1], m_sizes[0], (asleep ? PHYS_COLOUR_ASLEEP : PHYS_COLOUR_AWAKE) & PHYS_MASK_CAPSULE);
        break;
    case PHYSICS_SHAPE_TRIMESH: draw_mesh(PHYS_COLOUR_MESH); break;
    default: break;
    }
    gfx_pop();
}

void physics_shape_t::draw_mesh(uint32_t colour) {
    if (!m_vertices || !m_indices) return;
    for (uint32_t i = 0; i + 2 < m_index_count; i += 3) {
        const vec3_t corners[4] = {m_vertices[m_indices[i]], m_vertices[m_indices[i + 1]],
                                   m_vertices[m_indices[i + 2]], m_vertices[m_indices[i]]};
        debug_lines_add_strip(corners, 4, colour, nullptr);
    }
}

}  // namespace quarn
