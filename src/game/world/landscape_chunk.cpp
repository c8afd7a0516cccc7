#include "game/world/landscape_chunk.h"

#include "game/visuals/effects/coll_shapes.h"
#include "game/visuals/effects/merged_model.h"
#include "game/visuals/effects/projected_decal.h"
#include "game/visuals/models/model_coll.h"
#include "game/visuals/models/model_object.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/visuals/physics/physics_shape.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/visuals/shaders/fw_families.h"
#include "game/world/body.h"
#include "game/world/landscape.h"
#include "game/world/landscape_folder.h"
#include "game/world/plant.h"
#include "game/world/landscape_scene.h"
#include "game/world/texture_substance.h"
#include "game/world/world.h"
#include "outside/qrnshared/material.h"
#include "qrncore/spatial/triangle_heap.h"
#include "qrncore/system/messages.h"

#include <algorithm>

namespace quarn {

QRN_UNIT_DEFINE(landscape_chunk_u, "landscape_chunk");

landscape_shape_class_t landscape_shape_class(uint32_t collision_material) {
    switch (collision_material) {
    case 1:
        return {5, world_u::GROUP_TERRAIN};
    case 16:
        return {4, world_u::GROUP_WATER};
    default:
        return {3, world_u::GROUP_TERRAIN};
    }
}

void landscape_chunk_u::on_construct() {
    // The first chunk made loads the texture table, the last one destroyed frees it.
    texture_db_request();
    m_holds_texture_table = true;
    m_own_packet = create_fw4pp_model_unit();
}

landscape_chunk_u::~landscape_chunk_u() { teardown(); }

void landscape_chunk_u::on_destroy() { teardown(); }

template <class F>
void landscape_chunk_u::for_each_body(F f) {
    for (body_inst_u *b : m_bodies) f(*b);
    for (plant_inst_u *p : m_plants) f(*p);
}

void landscape_chunk_u::teardown() {
    release_bodies();
    m_bodies.clear();
    m_plants.clear();
    m_merged_models.clear();
    release_shadows();
    release_collision();
    m_pieces.clear();
    m_model.reset();
    m_collision.reset();
    m_own_packet.reset();
    if (m_holds_texture_table) {
        m_holds_texture_table = false;
        texture_db_release();
    }
}

void landscape_chunk_u::build(int32_t index, landscape_folder_u *folder, const aabox_t &box, physics_scene_t *) {
    m_index = index;
    m_box = m_current_box = box;
    if (!folder || index < 0) return;
    m_model = folder->get_chunk_model(uint32_t(index));
    m_collision.reset(folder->get_chunk_collision(uint32_t(index)));
    model_object_u *model = m_model.get();
    if (!model) return;

    landscape_folder_lock_t lock(folder);
    const uint32_t pieces = model->get_piece_count();
    for (uint32_t n = 0; n < pieces; ++n) {
        owner_ptr_t<landscape_chunk_piece_u> piece(landscape_chunk_piece_u::create());
        if (!piece) continue;
        piece->set_piece(model, int32_t(n));
        // The piece's texture transforms come from the record of its material slot; a
        // slot the file has no record for gets the identity.
        const uint32_t slot = model->get_piece(n).material_slot;
        float layers[3][3];
        for (uint32_t l = 0; l < 3; ++l) {
            if (!lock.ok() || !lock.view().get_slot_layer(uint32_t(index), slot, l, layers[l])) {
                layers[l][0] = 1.0f;
                layers[l][1] = layers[l][2] = 0.0f;
                if (lock.ok() && folder->first_missing_slot())
                    warning("[game] Landscape '%s' chunk %d: piece %u uses material slot %u, beyond the file's %u "
                            "slots; its textures keep their coordinates.",
                            folder->get_path(), index, n, slot, lock.view().get_slot_count());
            }
        }
        piece->set_uv_layers(layers);
        r_parameter_array_t &packets = piece->get_packets();
        landscape_fill_scene_slots(packets);
        packets.set(FW_SLOT_MODEL, m_own_packet.get());
        packets.set(FW_SLOT_TERRAIN_UV, piece->get_uv_packet());
        m_pieces.append(std::move(piece));
    }
    // Every prototype draws with the packets of its piece; the object keeps the chunk's
    // model packet placed.
    model->set_packets(nullptr, m_own_packet.get());
    for (uint32_t n = 0; n < m_pieces.get_count() && n < pieces; ++n)
        if (r_proto_t *proto = model->get_proto(n)) proto->parameters = &m_pieces[n]->get_packets();
}

void landscape_chunk_u::activate(physics_scene_t *scene, const aabox_t &box, int mask) {
    m_idle_time = -1.0f;
    if (!scene) return;
    if (scene->get_pair_collides(mask, world_u::GROUP_TERRAIN) && m_collision && !m_collision_ready) {
        m_shape_scene = scene;
        coll_model_to_physics_shapes(m_collision->view(), 0, 0, 1.0f, *scene, nullptr, m_collision_shapes);
        for (physics_shape_t *s : m_collision_shapes) {
            const landscape_shape_class_t c = landscape_shape_class(uint32_t(s->get_material()));
            s->set_material(c.material);
            s->set_collision_group(c.group);
            s->set_draw_mode(PHYSICS_DRAW_NEVER);
            s->set_user_data(static_cast<unit_base_t *>(this));
        }
        m_collision_ready = true;
    }
    if (!scene->get_pair_collides(mask, world_u::GROUP_OBJECTS)) return;
    if (!m_bodies_ready) {
        // Made disabled: only the regions below enable them.
        for_each_body([&](body_inst_u &b) {
            b.create_shapes(*scene);
            b.disable_shapes();
        });
        m_shape_scene = scene;
        m_bodies_ready = true;
        m_region_count = 0;
    }
    // A region serves the box only when it holds it whole: one that merely meets it
    // (the viewer's, met by every shot fired from there) would leave the bodies along
    // the rest of the box without shapes.
    for (uint32_t r = 0; r < m_region_count; ++r) {
        if (m_regions[r].contains(box)) {
            const aabox_t hit = m_regions[r];
            for (uint32_t k = r; k > 0; --k) m_regions[k] = m_regions[k - 1];
            m_regions[0] = hit;
            return;
        }
    }
    // A fourth region disables every body shape before the new region's are enabled.
    if (m_region_count == MAX_REGIONS) {
        for_each_body([](body_inst_u &b) { b.disable_shapes(); });
        m_region_count = 0;
    }
    aabox_t region = box;
    region.min -= vec3_t{5.0f, 5.0f, 5.0f};
    region.max += vec3_t{5.0f, 5.0f, 5.0f};
    for_each_body([&](body_inst_u &b) {
        if (b.get_world_box().intersects(region)) b.enable_shapes();
    });
    for (uint32_t k = m_region_count; k > 0; --k) m_regions[k] = m_regions[k - 1];
    m_regions[0] = region;
    ++m_region_count;
}

void landscape_chunk_u::deactivate(physics_scene_t *, bool timed) {
    if (!m_bodies_ready && !m_collision_ready) return;
    if (timed) {
        if (m_idle_time == -1.0f) m_idle_time = 0.0f;
        if (m_idle_time > DISABLE_DELAY && m_bodies_ready && m_region_count > 0) {
            for_each_body([](body_inst_u &b) { b.disable_shapes(); });
            m_region_count = 0;
        }
        if (m_idle_time < RELEASE_DELAY) return;
    }
    m_idle_time = -1.0f;
    release_collision();
    release_bodies();
}

void landscape_chunk_u::release_collision() {
    for (physics_shape_t *s : m_collision_shapes) delete s;
    m_collision_shapes.clear();
    m_collision_ready = false;
}

void landscape_chunk_u::release_bodies() {
    if (m_bodies_ready) for_each_body([](body_inst_u &b) { b.delete_shapes(); });
    m_bodies_ready = false;
    m_region_count = 0;
}

void landscape_chunk_u::add_to_heap(triangle_heap_t &heap) {
    model_object_u *model = m_model.get();
    if (m_in_heap || !model || !model->is_alive() || m_index < 0) return;
    for (uint32_t n = 0; n < m_pieces.get_count(); ++n) {
        const model_piece_t &p = model->get_piece(n);
        const material_t *material = material_of(model->get_piece_material(n));
        if (material && material->substance == uint32_t(world_u::WATER_SUBSTANCE)) continue;
        if (!heap.append(p.vertex_count, p.positions, p.index_count, p.indices, uint32_t(m_index), sizeof(vec3_t),
                         m_pieces[n].get())) {
            // A chunk half in the heap would have queries miss the rest of it.
            error("[game] The landscape's triangle heap refused chunk %d (piece %u); its triangles stay out of "
                  "the ground queries.",
                  m_index, n);
            heap.remove(uint32_t(m_index));
            return;
        }
    }
    m_in_heap = true;
}

void landscape_chunk_u::remove_from_heap(triangle_heap_t &heap) {
    if (!m_in_heap) return;
    heap.remove(uint32_t(m_index));
    m_in_heap = false;
}

void landscape_chunk_u::update_timers(float dt) {
    if (m_idle_time != -1.0f) m_idle_time += dt;
    if (m_heap_idle_time < HEAP_KEEP_DELAY) m_heap_idle_time += dt;
}

void landscape_chunk_u::draw(landscape_u *owner) {
    if (model_object_u *model = m_model.get()) model->draw();
    if (!m_merged && (!m_bodies.is_empty() || !m_plants.is_empty())) build_merged_models(owner);
    for (owner_ptr_t<merged_model_u> &m : m_merged_models) m->queue_render();
    for (decal_mesh_t *shadow : m_shadows) shadow->queue();
}

void landscape_chunk_u::release_shadows() {
    for (decal_mesh_t *shadow : m_shadows) delete shadow;
    m_shadows.clear();
}

void landscape_chunk_u::add_unit(body_inst_u *unit) {
    if (!unit) return;
    if (auto *plant = unit_cast<plant_inst_u>(unit))
        m_plants.append(plant);
    else
        m_bodies.append(unit);
}

void landscape_chunk_u::forget_units(physics_scene_t *scene) {
    deactivate(scene, false);
    m_merged_models.clear();
    release_shadows();
    m_merged = false;
    m_bodies.clear();
    m_plants.clear();
}

void landscape_chunk_u::recompute_box() {
    m_current_box = m_box;
    for_each_body([&](body_inst_u &b) {
        if (!b.get_world_box().is_void()) m_current_box.enlarge(b.get_world_box());
    });
}

namespace {

// The packets merged bodies and plants draw with: the scene's packet set 1 for
// bodies; for plants set 2, and set 3 for materials of the fw_dif_opac effect.
class merged_packets_t : public model_packet_provider_t {
public:
    explicit merged_packets_t(bool plants) : m_plants(plants) {}
    r_parameter_array_t *get_packets(const unit_descriptor_t *effect_class) override {
        base_ctrl_u *ctrl = get_current_ctrl();
        if (!ctrl) return nullptr;
        if (!m_plants) return ctrl->get_packet_set(1);
        return ctrl->get_packet_set(effect_class == &fw_dif_opac_u::unit_descriptor ? 3 : 2);
    }

private:
    bool m_plants;
};

// One body or plant to merge: its model and its distance from the camera.
struct merge_entry_t {
    body_inst_u *body;
    model_template_u *model;
    uint32_t rank;  // models in the order they first appear
    float distance2;
};

template <class T>
void merge_group(const array_dyn_t<T *> &units, bool plants, const vec3_t &camera,
                 array_dyn_t<owner_ptr_t<merged_model_u>> &out) {
    array_dyn_t<merge_entry_t> entries;
    for (T *u : units) {
        body_desc_u *desc = u->get_desc();
        model_template_u *model = desc && desc->get_instance_count() > 0 ? desc->get_instance(0) : nullptr;
        if (!model) continue;
        uint32_t rank = entries.get_count();
        for (const merge_entry_t &e : entries)
            if (e.model == model) {
                rank = e.rank;
                break;
            }
        entries.append({u, model, rank, length_squared(u->get_placement().position - camera)});
    }
    // By model, then nearest first.
    std::stable_sort(entries.get_data(), entries.get_data() + entries.get_count(),
                     [](const merge_entry_t &a, const merge_entry_t &b) {
                         if (a.rank != b.rank) return a.rank < b.rank;
                         return a.distance2 < b.distance2;
                     });
    merged_packets_t packets(plants);
    owner_ptr_t<merged_model_u> current;
    auto finish = [&]() {
        if (!current) return;
        current->alloc_buffers(&packets);
        out.append(std::move(current));
    };
    for (const merge_entry_t &e : entries) {
        if (current && current->get_model() != e.model) finish();
        if (!current) {
            current = merged_model_u::create();
            if (!current || !current->set_model(e.model)) {
                current.reset();
                continue;
            }
        }
        if (!current->merge_geometry(e.body->get_placement(), e.body->get_light())) {
            // Full: this one starts the next merged model of the same model.
            finish();
            current = merged_model_u::create();
            if (!current || !current->set_model(e.model) ||
                !current->merge_geometry(e.body->get_placement(), e.body->get_light()))
                current.reset();
        }
    }
    finish();
}

}  // namespace

void landscape_chunk_u::build_merged_models(landscape_u *owner) {
    m_merged = true;
    vec3_t camera{0.0f, 0.0f, 0.0f};
    landscape_camera_position(camera);
    merge_group(m_bodies, false, camera, m_merged_models);
    merge_group(m_plants, true, camera, m_merged_models);
    if (!owner) return;
    for (plant_inst_u *p : m_plants) {
        body_desc_u *desc = p->get_desc();
        std::unique_ptr<decal_mesh_t> shadow = desc ? desc->make_ground_shadow(*owner, p->get_placement()) : nullptr;
        if (shadow) m_shadows.append(shadow.release());
    }
}

}  // namespace quarn
