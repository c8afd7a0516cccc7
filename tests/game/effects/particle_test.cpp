// Particle sets and generators: emission timing and caps, the colour table, the alpha
// attack and fade, the emit and visible flags, list order, relative space and wind,
// evenly spaced particles behind a fast emitter, camera-facing vertices, and the
// particle units the game ships.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "../models/model_lib_fixture.h"
#include "game/visuals/effects/particle_gen.h"
#include "game/visuals/effects/particle_set.h"
#include "game/visuals/effects/visual_objects.h"
#include "kernel/memory/m_server.h"
#include "outside/visbase/camera.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "qrncore/units/unit_load.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

class particles : public model_lib_fixture_t {
protected:
    void SetUp() override {
        model_lib_fixture_t::SetUp();
        write_fixture_models();
        rock = desc("/t/model/rock/rock.zmd");
        ASSERT_NE(rock, nullptr);
    }
    void TearDown() override {
        set.reset();
        unit_system_t::clean_garbage();
        model_lib_fixture_t::TearDown();
    }

    // A set of one generator drawing the rock's unit quad, standing at `at`; still
    // particles (no flow, no spread) unless the test changes them.
    particle_gen_u &make(float ttl, uint32_t count, const vec3_t &at = {}) {
        set = particle_set_u::create();
        owner_ptr_t<particle_gen_u> g(particle_gen_u::create());
        g->m_flow_speed = {};
        g->m_flow_speed_acc = {};
        g->m_particle_displacement = {};
        g->m_scale_acc = 0.0f;
        g->m_particles_max_count = count;
        g->m_model = rock->create_template(0, 0);
        g->set_time_to_live(ttl);
        particle_gen_u &gen = *g;
        set->m_gen_array.append(owner_ptr_t<unit_base_t>(g.release()));
        set->attach_to(nullptr, placement_t(at, quat_t()), true);
        set->set_parameter_packets(&packets->array);
        return gen;
    }

    std::vector<vec3_t> positions(const particle_gen_u &g) {
        std::vector<vec3_t> out;
        for (const particle_t &p : g.get_particles()) out.push_back(p.position);
        return out;
    }

    model_desc_u *rock = nullptr;
    owner_ptr_t<particle_set_u> set;
};

TEST_F(particles, breath_emits_every_seven_seconds_three_at_most) {
    particle_gen_u &g = make(14, 3);
    EXPECT_FLOAT_EQ(g.get_interval(), 7.0f);
    // One at once, the next 7 s later (lives are 11.2-16.8 s, so the first lives on).
    const uint32_t counts[8] = {1, 1, 1, 1, 1, 1, 1, 2};
    for (uint32_t second = 1; second <= 8; ++second) {
        set->update(1.0f);
        EXPECT_EQ(g.get_particle_count(), counts[second - 1]) << second;
    }
    EXPECT_FLOAT_EQ(g.get_timer(), 6.0f);
    uint32_t most = 0;
    for (uint32_t second = 9; second <= 120; ++second) {
        set->update(1.0f);
        most = std::max(most, g.get_particle_count());
    }
    EXPECT_EQ(most, 3u) << "three at most";
}

TEST_F(particles, the_colour_table_follows_the_five_keys) {
    particle_gen_u &g = make(10, 2);
    const struct {
        const char *name;
        std::vector<int32_t> pos;
        std::vector<uint32_t> colour;
        uint32_t at127, at0, at255;
    } cases[] = {
        {"black to white over the last interval", {0, 0, 0, 0, 255}, {0, 0, 0, 0, 0xFFFFFF}, 0x808080, 0xFFFFFF, 0},
        {"one colour throughout", {0, 0, 0, 0, 255}, {0x123456, 0x123456, 0x123456, 0x123456, 0x123456}, 0x123456,
         0x123456, 0x123456},
        {"a short list: the default keys", {0, 255}, {0, 0xFF}, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
        {"positions clamped", {-50, -10, 0, 0, 999}, {0, 0, 0, 0, 0xFFFFFF}, 0x808080, 0xFFFFFF, 0},
        {"an interval running backwards is skipped", {0, 200, 100, 100, 255}, {0, 0xFF, 0xFF0000, 0xFF0000, 0xFF0000},
         0xFF0000, 0xFF0000, 0},
    };
    for (const auto &c : cases) {
        g.m_key_pos.clear();
        g.m_key_color.clear();
        for (int32_t p : c.pos) g.m_key_pos.append(p);
        for (uint32_t k : c.colour) g.m_key_color.append(k);
        g.rebuild_colour_table();
        EXPECT_EQ(g.get_table_colour(127), c.at127) << c.name;
        EXPECT_EQ(g.get_table_colour(0), c.at0) << c.name;
        EXPECT_EQ(g.get_table_colour(255), c.at255) << c.name;
    }
    EXPECT_TRUE(log.contains("has 2 colour key positions and 2 colours, not 5 of each: the default keys are used"));
    // A particle halfway through its life takes entry 127.
    g.m_key_pos.clear();
    g.m_key_color.clear();
    for (int32_t p : {0, 0, 0, 0, 255}) g.m_key_pos.append(p);
    for (uint32_t k : {0u, 0u, 0u, 0u, 0xFFFFFFu}) g.m_key_color.append(k);
    g.rebuild_colour_table();
    set->update(0.01f);
    ASSERT_EQ(g.get_particle_count(), 1u);
    const float life = g.get_particles().begin()->life;
    set->update(life - 5.0f);  // 5 of the 10 seconds left
    ASSERT_EQ(g.get_particle_count(), 1u);
    EXPECT_EQ(g.get_particles().begin()->colour & 0xFFFFFFu, g.get_table_colour(127));
}

TEST_F(particles, alpha_rises_over_the_attack_then_fades) {
    particle_gen_u &g = make(100, 2);
    g.m_alpha_attack_time = 0.5f;
    g.m_base_alpha = 1.0f;
    g.m_alpha_blend_coef = 0.3f;
    set->update(0.0001f);
    ASSERT_EQ(g.get_particle_count(), 1u);
    const particle_t &p = *g.get_particles().begin();
    EXPECT_EQ(p.alpha, 0.0f) << "born transparent";
    EXPECT_EQ(p.colour >> 24, 0u);
    const struct {
        float step, alpha;
    } steps[] = {{0.25f, 0.5f}, {0.25f, 1.0f}, {1.0f, 0.3f}, {1.0f, 0.09f}};
    for (const auto &s : steps) {
        set->update(s.step);
        EXPECT_NEAR(p.alpha, s.alpha, 1e-5f) << s.step;
        EXPECT_EQ(p.colour >> 24, uint32_t(s.alpha * 255.0f + 1e-3f)) << s.step;
    }
}

TEST_F(particles, turning_emission_off_or_hiding_stops_new_particles) {
    particle_gen_u &g = make(2, 5);  // one every 0.5 s, each living 1.6-2.4 s
    for (int i = 0; i < 4; ++i) set->update(0.5f);
    const uint32_t live = g.get_particle_count();
    EXPECT_EQ(live, 4u);
    set->set_emit(false);
    set->update(0.5f);
    EXPECT_LE(g.get_particle_count(), live) << "nothing new";
    for (int i = 0; i < 5; ++i) set->update(0.5f);
    EXPECT_EQ(g.get_particle_count(), 0u) << "the live ones finished their life";

    // Hidden: no emission, no drawing, but ageing goes on.
    set->set_emit(true);
    set->update(0.5f);
    ASSERT_GE(g.get_particle_count(), 1u);
    const float life = g.get_particles().begin()->life;
    set->set_visible(false);
    set->update(0.5f);
    EXPECT_NEAR(g.get_particles().begin()->life, life - 0.5f, 1e-5f);
    const uint32_t hidden_count = g.get_particle_count();
    set->update(0.5f);
    EXPECT_LE(g.get_particle_count(), hidden_count);
    context.begin_frame();
    set->draw();
    shaderlib_queue_render_and_flush(&context);
    EXPECT_EQ(context.get_draw_log().draw_count(), 0u);
}

TEST_F(particles, list_order_relative_space_and_wind) {
    // A moving emitter: particles born later were born further along x.
    for (bool up : {true, false}) {
        particle_gen_u &g = make(100, 10);
        g.m_list_order_up = up;
        for (int i = 0; i < 3; ++i) {
            set->set_placement(placement_t({float(i) * 10, 0, 0}, quat_t()));
            set->update(100.0f / 9.0f);
        }
        const std::vector<vec3_t> p = positions(g);
        ASSERT_EQ(p.size(), 3u) << up;
        if (up) EXPECT_LT(p.front().x, p.back().x) << "new particles last";
        else EXPECT_GT(p.front().x, p.back().x) << "new particles first";
    }
    // World space: particles stay where they were born and drift with the wind.
    particle_gen_u &world = make(100, 10, {5, 0, 0});
    set->update(0.001f);
    set->set_wind({1, 0, 2});
    set->set_placement(placement_t({50, 0, 0}, quat_t()));
    set->update(2.0f);
    ASSERT_GE(world.get_particle_count(), 1u);
    const vec3_t w = world.get_particles().begin()->position;
    EXPECT_NEAR(w.x, 7.0f, 1e-4f);
    EXPECT_NEAR(w.z, 4.0f, 1e-4f);
    // Relative space: particles live in the set's frame, move with it, ignore wind.
    particle_gen_u &local = make(100, 10, {5, 0, 0});
    local.m_relative_space = true;
    set->set_wind({1, 0, 2});
    set->update(0.001f);
    set->set_placement(placement_t({50, 0, 0}, quat_t()));
    set->update(2.0f);
    ASSERT_GE(local.get_particle_count(), 1u);
    EXPECT_EQ(local.get_particles().begin()->position, (vec3_t{0, 0, 0}));
}

TEST_F(particles, a_fast_emitter_leaves_evenly_spaced_particles) {
    particle_gen_u &g = make(10, 11);  // one a second
    set->update(0.0f);
    set->set_placement(placement_t({10, 0, 0}, quat_t()));
    set->update(10.0f);
    const std::vector<vec3_t> p = positions(g);
    ASSERT_EQ(p.size(), 10u);
    // Newest first (list order down): 9, 8, ..., 0.
    for (size_t i = 0; i < p.size(); ++i) EXPECT_NEAR(p[i].x, float(9 - i), 1e-4f) << i;
}

TEST_F(particles, a_tiny_interval_emits_at_most_the_live_count_an_update) {
    particle_gen_u &g = make(0.0f, 50);
    EXPECT_NEAR(g.get_interval(), 0.0001f / 49.0f, 1e-9f);
    set->update(1000.0f);  // some ten billion particles due
    EXPECT_EQ(g.get_particle_count(), 50u);
    EXPECT_GE(g.get_timer(), 0.0f);
    EXPECT_LT(g.get_timer(), g.get_interval());
    set->update(NAN);
    EXPECT_EQ(g.get_particle_count(), 50u) << "a broken step changes nothing";
}

TEST_F(particles, particles_are_camera_facing_copies_of_the_model) {
    particle_gen_u &g = make(100, 3, {0, 0, -10});
    g.m_particle_size = {2, 4};
    packets->camera->set_placement(placement_t({0, 0, 0}, quat_t()));
    gfx_camera_load(*packets->camera);
    set->update(0.001f);
    set->set_placement(placement_t({3, 0, -10}, quat_t()));
    set->update(50.0f);  // a second particle, 50 s in, at (3, 0, -10)
    ASSERT_EQ(g.get_particle_count(), 2u);
    // Turn the camera 90° about y: world -z is now camera +x... the quads still face it.
    quat_t turn;
    turn.set_axis_angle({0, 1, 0}, 1.5707964f);
    packets->camera->set_placement(placement_t({0, 0, 0}, turn));
    gfx_camera_load(*packets->camera);
    context.begin_frame();
    set->draw();
    shaderlib_queue_render_and_flush(&context);
    const r_draw_log_t &drawn = context.get_draw_log();
    ASSERT_EQ(drawn.draw_count(), 1u);
    const r_draw_record_t &r = drawn.draw(0);
    EXPECT_STREQ(r.material.c_str(), "/t/model/rock/rock.mat");
    ASSERT_EQ(r.packets.get_count(), 2u);
    EXPECT_EQ(r.packets[0].type, uint32_t(R_PACKET_PCT));
    EXPECT_EQ(r.packets[0].count, 8u);
    EXPECT_EQ(r.packets[1].count, 12u);
    EXPECT_STREQ(r.slots[1].c_str(), "fw4pp_model") << "the set's camera-space model packet";
    EXPECT_EQ(set->get_packets().get(1), set->get_packets().get(1));
    EXPECT_NE(set->get_packets().get(1), packets->array.get(1));
    // Each quad lies across the view axis around its particle's camera-space point.
    ASSERT_EQ(g.get_vertex_count(), 8u);
    const mat4_t &v = gfx_camera_matrix();
    uint32_t quad = 0;
    for (const particle_t &p : g.get_particles()) {
        const vec3_t &w = p.position;
        const vec3_t c{v.at(0, 0) * w.x + v.at(0, 1) * w.y + v.at(0, 2) * w.z + v.at(0, 3),
                       v.at(1, 0) * w.x + v.at(1, 1) * w.y + v.at(1, 2) * w.z + v.at(1, 3),
                       v.at(2, 0) * w.x + v.at(2, 1) * w.y + v.at(2, 2) * w.z + v.at(2, 3)};
        float min_x = 1e9f, max_x = -1e9f, min_y = 1e9f, max_y = -1e9f;
        for (uint32_t k = 0; k < 4; ++k) {
            const vec3_t &q = g.get_vertex(4 * quad + k);
            EXPECT_NEAR(q.z, c.z, 1e-4f) << "across the view axis";
            min_x = std::fmin(min_x, q.x), max_x = std::fmax(max_x, q.x);
            min_y = std::fmin(min_y, q.y), max_y = std::fmax(max_y, q.y);
            EXPECT_EQ(g.get_vertex_colour(4 * quad + k), p.colour);
        }
        EXPECT_NEAR(max_x - min_x, 2.0f, 1e-4f) << "size x";
        EXPECT_NEAR(max_y - min_y, 4.0f, 1e-4f) << "size y";
        EXPECT_NEAR(0.5f * (min_x + max_x), c.x, 1e-4f);
        EXPECT_NEAR(0.5f * (min_y + max_y), c.y, 1e-4f);
        ++quad;
    }
}

TEST_F(particles, a_frame_writes_at_most_65535_vertices) {
    particle_gen_u &g = make(100, 20000);
    set->update(100.0f);
    ASSERT_EQ(g.get_particle_count(), 20000u);
    set->prepare();
    EXPECT_EQ(g.get_vertex_count(), 4u * 16383);
    EXPECT_LE(g.get_vertex_count(), particle_gen_u::MAX_VERTICES);
}

// The particle units the animals load, from "base.tzk".
class particle_content : public particles {
protected:
    void SetUp() override {
        particles::SetUp();
        previous = fs_set_archive_factory(zip_device_create);
        base = ufs_mount(FS_DEVICE_ZIP, (test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
        ASSERT_NE(base, nullptr);
        ASSERT_TRUE(visual_objects_register(*get_engine_ubank()));
    }
    void TearDown() override {
        loaded.clear();
        visual_objects_unregister();
        particles::TearDown();
        if (base) ufs_unmount(base);
        fs_set_archive_factory(previous);
    }
    fs_device_t *base = nullptr;
    fs_archive_factory_t previous = nullptr;
    std::vector<owner_ptr_t<unit_base_t>> loaded;
};

TEST_F(particle_content, the_shipped_effects_load_and_draw) {
    const struct {
        const char *path;
        float ttl;
        uint32_t count;
    } effects[] = {
        {"/script/particle/animal_breath.unit", 14, 3},
        {"/script/particle/animal_step_sand.unit", 0, 0},
        {"/script/particle/animal_step_dirt.unit", 0, 0},
    };
    for (const auto &e : effects) {
        auto_ptr_t<file_t> file(fs_open(e.path, FS_REALM_VIRTUAL));
        ASSERT_TRUE(file) << e.path;
        unit_load_t loader(*file, *unit_system_t::get_default(), nullptr, e.path);
        owner_ptr_t<unit_base_t> root(loader.load_tree_generic());
        particle_set_u *s = unit_cast<particle_set_u>(root.get());
        ASSERT_NE(s, nullptr) << e.path << (log.entries().empty() ? "" : log.entries().back().text);
        ASSERT_GE(s->get_generator_count(), 1u) << e.path;
        particle_gen_u *g = s->get_generator(0);
        ASSERT_NE(g, nullptr);
        if (e.count) {
            EXPECT_FLOAT_EQ(g->m_time_to_live, e.ttl) << e.path;
            EXPECT_EQ(g->m_particles_max_count, e.count) << e.path;
        }
        ASSERT_NE(g->get_model(), nullptr) << e.path;
        EXPECT_TRUE(g->get_model()->is_loaded()) << e.path;
        s->attach_to(nullptr, placement_t(), true);
        s->set_parameter_packets(&packets->array);
        s->update(0.1f);
        EXPECT_GE(g->get_particle_count(), 1u) << e.path;
        context.begin_frame();
        s->draw();
        shaderlib_queue_render_and_flush(&context);
        ASSERT_EQ(context.get_draw_log().draw_count(), s->get_generator_count()) << e.path;
        EXPECT_STREQ(context.get_draw_log().draw(0).material.c_str(), e.path == effects[0].path
                                                                          ? "/material/particle/smoke.mat"
                                                                          : "/material/particle/dust.mat");
        loaded.push_back(owner_ptr_t<unit_base_t>(root.release()));
    }
    EXPECT_TRUE(log.texts(message_t::ERROR).empty());
}

}  // namespace
}  // namespace quarn::test
