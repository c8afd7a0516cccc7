#include "game/world/landscape.h"

#include <algorithm>
#include <utility>

#include "game/game_rows.h"
#include "game/world/body.h"
#include "game/world/landscape_scene.h"
#include "game/world/plant.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(landscape_u, "landscape");

GAME_MODULE_ROWS(landscape, game_class_row(landscape_u::unit_descriptor));

// ---- volumes ----

landscape_volume_t landscape_volume_t::of_box(const vec3_t &a, const vec3_t &b) {
    landscape_volume_t v;
    kdop_box_bounds(v_min(a, b), v_max(a, b), v.min, v.max);
    return v;
}

landscape_volume_t landscape_volume_t::of_point(const vec3_t &p, float margin) {
    landscape_volume_t v;
    kdop_project(p, v.min);
    kdop_project(p, v.max);
    v.widen(margin);
    return v;
}

void landscape_volume_t::widen(float margin) {
    for (int k = 0; k < KDOP_AXES; ++k) {
        min[k] -= margin;
        max[k] += margin;
    }
}

// ---- life ----

landscape_u::~landscape_u() { teardown(); }

void landscape_u::on_destroy() { teardown(); }

void landscape_u::teardown() {
    for (owner_ptr_t<landscape_chunk_u> &c : m_chunks) {
        if (!c) continue;
        c->deactivate(m_scene, false);
        c->remove_from_heap(m_heap);
    }
    m_draw_order.clear();
    m_chunks.clear();
    m_folder.release();
    m_packets.clear();
    m_own_packet.reset();
    m_chunk_index.reset();
}

void landscape_u::load(const char *path, physics_scene_t *scene) {
    message("Loading landscape [%s]", path);
    teardown();
    m_scene = scene;
    m_total_box.set_void();
    m_folder = landscape_folder_u::obtain(path);
    if (!m_folder) return;
    m_sort_timer = SORT_INTERVAL;
    m_own_packet = create_fw4pp_model_unit();
    landscape_fill_scene_slots(m_packets);
    m_packets.set(FW_SLOT_MODEL, m_own_packet.get());

    const uint32_t count = m_folder->get_chunk_count();
    // One level of 200-unit cells, boxes on it when they span at most 3 of them.
    m_chunk_index = std::make_unique<spatialhash_t>(200.0f, 2.0f, 1, 3.0f);
    for (uint32_t i = 0; i < count; ++i) {
        aabox_t box;
        m_folder->get_chunk_box(box, i);
        box.enlarge(box.max + vec3_t{0.0f, BOX_TOP_MARGIN, 0.0f});
        m_total_box.enlarge(box);
        owner_ptr_t<landscape_chunk_u> chunk(landscape_chunk_u::create());
        if (!chunk) continue;
        chunk->build(int32_t(i), m_folder.get(), box, scene);
        m_chunk_index->insert(box.min, box.max, chunk.get());
        m_draw_order.append(chunk.get());
        m_chunks.append(std::move(chunk));
    }
    if (landscape_chunk_stats_enabled()) message("Loaded %u landscape chunks", count);
}

// ---- activation ----

uint32_t landscape_u::find_chunks(const aabox_t &box, array_dyn_t<landscape_chunk_u *> &out) {
    out.clear();
    if (!m_chunk_index) return 0;
    const vptrlist_t &found = m_chunk_index->query(box.min, box.max);
    for (const vptrlist_node_t *n = found.get_first(); n; n = n->next)
        out.append(static_cast<landscape_chunk_u *>(n->data));
    // The hash answers in the order of its keys (addresses): file order instead, so
    // that the heap's sets, and with them what a walk meets first, never depend on
    // where the chunks happen to lie in memory.
    std::sort(out.get_data(), out.get_data() + out.get_count(),
              [](const landscape_chunk_u *a, const landscape_chunk_u *b) { return a->get_index() < b->get_index(); });
    return out.get_count();
}

void landscape_u::update(float dt) {
    m_sort_timer += dt;
    vec3_t viewer;
    const bool has_viewer = landscape_camera_position(viewer);
    const vec3_t near{2.0f, 2.0f, 2.0f};
    for (owner_ptr_t<landscape_chunk_u> &c : m_chunks) {
        c->update_timers(dt);
        const aabox_t &box = c->get_current_box();
        const bool in_range =
            has_viewer && (box.contains(viewer) ||
                           length_squared(box.get_center() - viewer) < ACTIVE_RANGE * ACTIVE_RANGE);
        if (in_range) {
            c->activate(m_scene, aabox_t(viewer - near, viewer + near), ACTIVATION_MASK);
            c->add_to_heap(m_heap);
        } else {
            c->deactivate(m_scene, true);
            // A chunk the queries still need keeps its triangles: taking them out and
            // putting them back would rebuild the heap's tree at every query.
            if (!c->is_queried()) c->remove_from_heap(m_heap);
        }
    }
}

array_dyn_t<landscape_chunk_u *> landscape_u::take_chunks(const aabox_t &box) {
    array_dyn_t<landscape_chunk_u *> found(std::move(m_found));
    find_chunks(box, found);
    return found;
}

void landscape_u::give_back(array_dyn_t<landscape_chunk_u *> &&found) {
    if (found.get_capacity() >= m_found.get_capacity()) m_found = std::move(found);
}

void landscape_u::prepare_region(const aabox_t &box, int mask) {
    array_dyn_t<landscape_chunk_u *> found = take_chunks(box);
    for (landscape_chunk_u *c : found) c->activate(m_scene, box, mask);
    give_back(std::move(found));
}

bool landscape_u::add_unit_to_chunk(body_inst_u *unit) {
    if (!unit) return false;
    const vec3_t p = unit->get_placement().position;
    array_dyn_t<landscape_chunk_u *> found;
    find_chunks(aabox_t(p, p), found);
    for (landscape_chunk_u *c : found) {
        if (c->get_current_box().contains(p)) {
            c->add_unit(unit);
            return true;
        }
    }
    return false;
}

void landscape_u::rebuild_chunk_index(const std::function<void(body_inst_u &)> &light) {
    if (!m_chunk_index) return;
    // The hash made at load is emptied, not made anew: a new one's bucket table is
    // fresh memory, and touching it all again is a good part of a map's load. The
    // bounds are taken from the new boxes alone, as a new hash would have them.
    m_chunk_index->clear();
    for (owner_ptr_t<landscape_chunk_u> &c : m_chunks) {
        c->recompute_box();
        m_chunk_index->insert(c->get_current_box().min, c->get_current_box().max, c.get());
    }
    m_chunk_index->recompute();
    if (light)
        for (owner_ptr_t<landscape_chunk_u> &c : m_chunks) {
            for (uint32_t i = 0; i < c->get_body_count(); ++i) light(*c->get_body(i));
            for (uint32_t i = 0; i < c->get_plant_count(); ++i) light(*c->get_plant(i));
        }
    for (owner_ptr_t<landscape_chunk_u> &c : m_chunks) c->deactivate(m_scene, false);
}

void landscape_u::release_units() {
    for (owner_ptr_t<landscape_chunk_u> &c : m_chunks) c->forget_units(m_scene);
}

// ---- drawing ----

void landscape_u::draw() {
    vec3_t camera;
    const bool has_camera = landscape_camera_position(camera);
    if (m_sort_timer > SORT_INTERVAL && has_camera) {
        m_sort_timer = 0.0f;
        // Front to back: the nearest chunk's box centre first; equal distances keep
        // their order.
        std::stable_sort(m_draw_order.get_data(), m_draw_order.get_data() + m_draw_order.get_count(),
                         [&](const landscape_chunk_u *a, const landscape_chunk_u *b) {
                             return length_squared(a->get_current_box().get_center() - camera) <
                                    length_squared(b->get_current_box().get_center() - camera);
                         });
    }
    uint32_t drawn = 0;
    for (landscape_chunk_u *c : m_draw_order) {
        if (!landscape_box_in_view(c->get_current_box())) continue;
        c->draw(this);
        ++drawn;
    }
    if (landscape_chunk_stats_enabled()) message("Chunks rendered:  %u", drawn);
}

}  // namespace quarn
