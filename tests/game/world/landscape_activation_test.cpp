// Chunk activation around the viewer and for queries: the range, the idle delay
// against an injected time step, the masks, the shapes' classes, the heap, drawing
// and its log, and teardown back to the baselines.
#include <gtest/gtest.h>

#include "game/visuals/physics/physics_shape.h"
#include "landscape_fixture.h"
#include "outside/qrnshared/effect_registry.h"
#include "qrncore/spatial/triangle_heap.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

class landscape_activation_test : public landscape_fixture_t {};

TEST_F(landscape_activation_test, range_of_the_viewer) {
    landscape_u *l = load_map(map_slope_text(), "slope");
    ASSERT_EQ(l->get_chunk_count(), 4u);
    // Chunk 0: x 0..8, y 0..52, z 0..8; its centre (4, 26, 4).
    const landscape_chunk_u *c = l->get_chunk(0);
    const vec3_t centre = c->get_current_box().get_center();
    const struct {
        const char *name;
        vec3_t viewer;
        bool active;
    } cases[] = {
        {"on the box edge", {8, 52, 8}, true},
        {"inside", {1, 1, 1}, true},
        {"centre 49 away", centre + vec3_t{0, 0, 49}, true},
        {"centre 51 away", centre + vec3_t{0, 0, 51}, false},
        {"centre 51 away along y, outside", centre + vec3_t{0, 51, 0}, false},
    };
    for (const auto &k : cases) {
        // Active first, then the viewer moves: an idle chunk's clock starts.
        view_at({1, 1, 1});
        l->update(0.0f);
        ASSERT_TRUE(c->is_in_heap());
        view_at(k.viewer);
        l->update(0.0f);
        EXPECT_EQ(c->is_in_heap(), k.active) << k.name;
        EXPECT_EQ(c->get_idle_time(), k.active ? -1.0f : 0.0f) << k.name;
        EXPECT_TRUE(c->is_collision_ready()) << k.name;
    }
}

TEST_F(landscape_activation_test, idle_delay_against_the_time_step) {
    landscape_u *l = load_map(map_slope_text(), "slope");
    landscape_chunk_u *c = l->get_chunk(0);
    const vec3_t near{4, 1, 4}, far{500, 1, 500};
    view_at(near);
    l->update(0.1f);
    ASSERT_TRUE(c->is_collision_ready());
    const uint32_t shapes = c->get_shape_count();
    ASSERT_GT(shapes, 0u);

    // Steps of 1 s away: kept through 5 s, lost after.
    const struct {
        float dt;
        const vec3_t *viewer;
        bool collision;
        float idle;
    } steps[] = {
        {1, &far, true, 0},  // the clock starts at the first step out of range
        {1, &far, true, 1},  {1, &far, true, 2},   {1, &far, true, 3},
        {1, &far, true, 4},  {1, &far, false, -1},  // 5 s idle: released
        {1, &near, true, -1}, {1, &far, true, 0},  {2, &far, true, 2},
        {2, &near, true, -1},  // back within 5 s: the same shapes
    };
    int i = 0;
    for (const auto &s : steps) {
        view_at(*s.viewer);
        l->update(s.dt);
        EXPECT_EQ(c->is_collision_ready(), s.collision) << "step " << i;
        EXPECT_EQ(c->get_idle_time(), s.idle) << "step " << i;
        EXPECT_EQ(c->is_in_heap(), s.viewer == &near) << "step " << i;
        ++i;
    }
    EXPECT_EQ(c->get_shape_count(), shapes);
    physics_shape_t *kept = c->get_shape(0);
    view_at(far);
    l->update(3);
    view_at(near);
    l->update(0);
    EXPECT_EQ(c->get_shape(0), kept);
}

// The ground under a far animal is asked for every frame: its chunk keeps its
// triangles while queries need them (the heap's tree is not rebuilt at every query)
// and leaves the heap one second after the last; a chunk no query needed leaves with
// the viewer at once.
TEST_F(landscape_activation_test, a_chunk_the_queries_need_stays_in_the_heap_for_a_second) {
    landscape_u *l = load_map(map_slope_text(), "slope");
    landscape_chunk_u *asked = l->get_chunk(0);
    landscape_chunk_u *other = l->get_chunk(1);
    const vec3_t near{4, 1, 4}, far{500, 1, 500};
    view_at(near);
    l->update(0.1f);
    ASSERT_TRUE(asked->is_in_heap());
    view_at(far);
    const landscape_volume_t ground = landscape_volume_t::of_point({4, 1, 4}, 0.5f);
    landscape_triangle_query_t query;
    const struct {
        float dt;
        bool query;
        bool asked_in_heap;
    } steps[] = {
        {0.5f, true, true}, {0.5f, true, true}, {0.5f, false, true}, {0.4f, false, true}, {0.2f, false, false},
        {0.0f, true, true},  // a query takes the chunk back
    };
    int i = 0;
    for (const auto &s : steps) {
        l->update(s.dt);
        if (s.query) {
            EXPECT_TRUE(l->query_triangles_box(query, ground)) << "step " << i;
        }
        EXPECT_EQ(asked->is_in_heap(), s.asked_in_heap) << "step " << i;
        EXPECT_FALSE(other->is_in_heap()) << "step " << i;
        ++i;
    }
}

TEST_F(landscape_activation_test, masks_and_shape_classes) {
    const struct {
        uint32_t material;
        int scene_material, group;
    } classes[] = {{1, 5, 0}, {16, 4, 1}, {0, 3, 0}, {2, 3, 0}, {31, 3, 0}};
    for (const auto &k : classes) {
        const landscape_shape_class_t c = landscape_shape_class(k.material);
        EXPECT_EQ(c.material, k.scene_material) << k.material;
        EXPECT_EQ(c.group, k.group) << k.material;
    }

    landscape_u *l = load_map(map_pond_text(), "pond");
    landscape_chunk_u *c = l->get_chunk(0);
    const aabox_t box({7, -5, 7}, {9, 5, 9});
    // Water-only rays build no terrain collision.
    l->prepare_region(box, 11);
    EXPECT_FALSE(c->is_collision_ready());
    EXPECT_EQ(scene->get_shape_count(), shapes_before);
    EXPECT_EQ(c->get_idle_time(), -1.0f);
    // Terrain rays build it, water included; no region of body shapes (mask 10 does
    // not see the map objects).
    l->prepare_region(box, 10);
    ASSERT_TRUE(c->is_collision_ready());
    EXPECT_FALSE(c->is_bodies_ready());
    ASSERT_EQ(c->get_shape_count(), 2u);
    EXPECT_EQ(c->get_shape(0)->get_material(), 5);
    EXPECT_EQ(c->get_shape(0)->get_collision_group(), 0);
    EXPECT_EQ(c->get_shape(1)->get_material(), 4);
    EXPECT_EQ(c->get_shape(1)->get_collision_group(), 1);
    EXPECT_EQ(c->get_shape(1)->get_draw_mode(), PHYSICS_DRAW_NEVER);
    EXPECT_EQ(scene->get_shape_count(), shapes_before + 2);
    // The activation mask sees the map objects: regions up to three, the fourth
    // distinct one starts them again.
    l->prepare_region(box, 6);
    EXPECT_TRUE(c->is_bodies_ready());
    EXPECT_EQ(c->get_region_count(), 1u);
    l->prepare_region(box, 6);
    EXPECT_EQ(c->get_region_count(), 1u);
    c->activate(scene, aabox_t({-30, 0, -30}, {-29, 1, -29}), 6);
    c->activate(scene, aabox_t({60, 0, 60}, {61, 1, 61}), 6);
    EXPECT_EQ(c->get_region_count(), 3u);
    c->activate(scene, aabox_t({-90, 0, 60}, {-89, 1, 61}), 6);
    EXPECT_EQ(c->get_region_count(), 1u);
    // Untimed: everything goes.
    c->deactivate(scene, false);
    EXPECT_FALSE(c->is_collision_ready());
    EXPECT_FALSE(c->is_bodies_ready());
    EXPECT_EQ(scene->get_shape_count(), shapes_before);
}

TEST_F(landscape_activation_test, heap_keeps_water_out_and_refusals_whole) {
    landscape_u *l = load_map(map_pond_text(), "pond");
    landscape_chunk_u *c = l->get_chunk(0);
    triangle_heap_t &heap = l->get_triangle_heap();
    c->add_to_heap(heap);
    ASSERT_TRUE(c->is_in_heap());
    // The water piece (substance 16) stays out: one set, the terrain's.
    ASSERT_EQ(heap.get_slot_count(), 1u);
    EXPECT_EQ(heap.get_set(0).data, c->get_piece(0));
    EXPECT_EQ(heap.get_set(0).key, 0u);
    c->add_to_heap(heap);
    EXPECT_EQ(heap.get_slot_count(), 1u);
    c->remove_from_heap(heap);
    EXPECT_FALSE(c->is_in_heap());
    EXPECT_TRUE(heap.get_set(0).is_free());

    // A heap of 255 sources refuses the chunk: logged, and the chunk stays out.
    const vec3_t tri[3] = {{0, 0, 0}, {0, 0, 1}, {1, 0, 0}};
    triangle_heap_t full;
    for (uint32_t k = 0; k < triangle_heap_t::MAX_SETS; ++k) ASSERT_TRUE(full.append(3, tri, 0, nullptr, 1000 + k, 12, nullptr));
    message_capture_t log;
    c->add_to_heap(full);
    EXPECT_FALSE(c->is_in_heap());
    EXPECT_TRUE(log.contains("refused chunk 0"));
    uint32_t live = 0;
    for (uint32_t s = 0; s < full.get_slot_count(); ++s) live += full.get_set(s).is_free() ? 0 : 1;
    EXPECT_EQ(live, triangle_heap_t::MAX_SETS);
}

TEST_F(landscape_activation_test, drawing_its_log_and_the_sort) {
    landscape_u *l = load_map(map_slope_text(), "slope");
    chunks_variable.set("1");
    // A wide view looking down from above the map, off to the side of chunk 3
    // (x 8..16, z 8..16).
    movable_view_t &v = ctrl()->view;
    v.has_frustum = true;
    v.placement.rotation.set_axis_angle({1, 0, 0}, -1.5707963f);
    v.frustum = frustum_t(170, 1, 1, 1000);
    view_at({100, 27, 100});
    v.frustum.update({8, 200, 8}, v.placement.rotation);
    message_capture_t log;
    l->update(0.1f);  // the timer starts at 10: the first frame sorts
    l->draw();
    EXPECT_TRUE(log.contains("Chunks rendered:  4"));
    // The first draw sorts (the timer starts at 10 and passes it): nearest first.
    EXPECT_EQ(l->get_drawn_chunk(0), l->get_chunk(3));
    EXPECT_EQ(l->get_drawn_chunk(3), l->get_chunk(0));
    EXPECT_EQ(l->get_sort_timer(), 0.0f);
    // Not again before 10 s have passed.
    view_at({-100, 27, -100});
    l->update(9.5f);
    l->draw();
    EXPECT_EQ(l->get_drawn_chunk(0), l->get_chunk(3));
    l->update(1.0f);
    l->draw();
    EXPECT_EQ(l->get_drawn_chunk(0), l->get_chunk(0));

    // A narrow view straight down on chunk 0: one chunk drawn.
    v.frustum = frustum_t(2, 1, 1, 200);
    view_at({4, 100, 4});
    v.frustum.update(v.placement.position, v.placement.rotation);
    log.clear();
    l->draw();
    EXPECT_TRUE(log.contains("Chunks rendered:  1")) << (log.entries().empty() ? "" : log.entries().back().text);
    chunks_variable.set("0");
    log.clear();
    l->draw();
    EXPECT_FALSE(log.contains("Chunks rendered"));
}

TEST_F(landscape_activation_test, teardown_returns_to_the_baselines) {
    // The effect registry keeps the effects it made: made before the count is taken.
    ASSERT_NE(r_effect_get("/effect/fw4/fw_terrain"), nullptr);
    ASSERT_NE(r_effect_get("/effect/fw4/fw_water"), nullptr);
    live_before = unit_base_t::get_live_count();
    {
        landscape_u *l = load_map(map_pond_text(), "pond");
        view_at({8, 0, 8});
        l->update(0.1f);
        ASSERT_TRUE(l->get_chunk(0)->is_collision_ready());
        ASSERT_GT(scene->get_shape_count(), shapes_before);
        landscape_triangle_query_t q;
        EXPECT_TRUE(l->query_triangles_box(q, landscape_volume_t::of_point({8, 0, 8}, 20)));
        EXPECT_NE(q.piece.get(), nullptr);
    }
    landscape.reset();
    free_cached();
    EXPECT_EQ(scene->get_shape_count(), shapes_before);
    EXPECT_EQ(unit_base_t::get_live_count(), live_before);
}

}  // namespace
}  // namespace quarn::test
