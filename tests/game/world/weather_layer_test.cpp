// The rain and the snow: the pool made from seed 42, the intensity that selects a
// prefix of it, the box that travels with the camera and wraps, the steps of each
// layer, what they write into their packet, and the rain's load checks.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "env_fixture.h"
#include "game/world/rain.h"
#include "game/world/snow.h"
#include "kernel/gfx/gfx.h"
#include "support/math_compare.h"

namespace quarn::test {
namespace {

class weather_layer : public env_fixture_t {
protected:
    void SetUp() override {
        env_fixture_t::SetUp();
        rain_u::register_class(m_bank);
        gfx_start();
    }
    void TearDown() override {
        unit_system_t::clean_garbage();  // the layers' records go back before the pools
        gfx_stop();
        env_fixture_t::TearDown();
    }
    // Attached without a memory manager: no material (logged), the packet all the same.
    template <class L>
    void attach(L &layer) {
        message_capture_t quiet;
        ASSERT_TRUE(layer.attach(nullptr));
    }
};

TEST_F(weather_layer, the_intensity_selects_a_prefix_and_a_dry_spell_does_not_end_the_rain) {
    owner_ptr_t<rain_u> rain(rain_u::create());
    ASSERT_TRUE(rain);
    particle_layer_t &layer = rain->get_layer();
    EXPECT_FALSE(layer.is_enabled());  // made off
    // Not attached yet: the share is kept, the layer stays off.
    rain->set_intensity(0.8f);
    EXPECT_EQ(layer.get_active_count(), 1600u);
    EXPECT_FALSE(layer.is_enabled());
    rain->set_intensity(0.0f);

    attach(*rain);
    layer.switch_on();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct {
        float intensity;
        float kept;
        uint32_t active;
        bool enabled;
    } steps[] = {
        {0.5f, 0.5f, 1000, true},
        {0.5004f, 0.5f, 1000, true},  // a change below 0.001 is ignored
        {0.4995f, 0.5f, 1000, true},
        {0.0005f, 0.0f, 0, false},   // at or below 0.001: off
        {0.001f, 0.0f, 0, false},
        {0.8f, 0.8f, 1600, true},    // and on again when the rain comes back
        {0.0f, 0.0f, 0, false},
        {1.0f, 1.0f, 2000, true},
        {1.7f, 1.7f, 2000, true},    // never more than the pool
        {nan, 0.0f, 0, false},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.intensity);
        rain->set_intensity(s.intensity);
        EXPECT_EQ(rain->get_intensity(), s.kept);
        EXPECT_EQ(layer.get_active_count(), s.active);
        EXPECT_EQ(layer.is_enabled(), s.enabled);
    }
}

TEST_F(weather_layer, the_pool_comes_from_seed_42_the_same_every_time) {
    owner_ptr_t<rain_u> a(rain_u::create()), b(rain_u::create());
    ASSERT_TRUE(a && b);
    const particle_layer_t &la = a->get_layer(), &lb = b->get_layer();
    ASSERT_EQ(la.get_particle_count(), 2000u);
    randomizer_t r(42);
    for (uint32_t i = 0; i < la.get_particle_count(); ++i) {
        const particle_layer_t::particle_t &p = la.get_particles()[i];
        const float x = r.rand(), y = r.rand(), z = r.rand();
        ASSERT_EQ(p.position, (vec3_t{(x - (1 - x)) * 3.0f, (y - (1 - y)) * 3.0f, (z - (1 - z)) * 3.0f})) << i;
        ASSERT_EQ(p.position, lb.get_particles()[i].position) << i;
        ASSERT_FLOAT_EQ(p.scale, 0.7f * (1.0f - i / 2000.0f) + 1.0f * (i / 2000.0f)) << i;
    }
    // A copy makes its pool again from the seed.
    owner_ptr_t<rain_u> copy(unit_cast<rain_u>(a->clone()));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->get_layer().get_particles()[1999].position, la.get_particles()[1999].position);

    // The snow draws its ten wobble vectors after its flakes.
    owner_ptr_t<snow_u> snow(snow_u::create());
    ASSERT_TRUE(snow);
    const particle_layer_t &ls = snow->get_layer();
    ASSERT_EQ(ls.get_particle_count(), snow_u::PARTICLES);
    randomizer_t s(42);
    for (uint32_t i = 0; i < 3 * snow_u::PARTICLES; ++i) s.rand();
    vec3_t previous{0.0f, 0.0f, 0.0f};
    for (uint32_t w = 0; w < snow_u::WOBBLES; ++w) {
        const vec3_t drawn{s.rand() * 0.05f, s.rand() * 0.0f, s.rand() * 0.05f};
        EXPECT_EQ(snow->get_wobble(w), drawn - previous) << w;
        EXPECT_EQ(snow->get_ring_entry(w), w);
        previous = drawn;
    }
    EXPECT_EQ(ls.get_particles()[0].angle, 0.0f);
    EXPECT_FLOAT_EQ(ls.get_particles()[1000].angle, 180.0f);
    EXPECT_FLOAT_EQ(ls.get_particles()[1000].scale, 0.075f);
    for (uint32_t i = 0; i < ls.get_particle_count(); ++i) {
        const vec3_t &p = ls.get_particles()[i].position;
        ASSERT_TRUE(std::fabs(p.x) <= 15.0f && std::fabs(p.y) <= 10.0f && std::fabs(p.z) <= 15.0f) << i;
    }
}

TEST_F(weather_layer, the_box_travels_with_the_camera_and_wraps_what_leaves_it) {
    owner_ptr_t<rain_u> rain(rain_u::create());
    particle_layer_t &layer = rain->get_layer();
    struct {
        float at, wrapped;
    } wraps[] = {
        {3.5f, -2.5f}, {-3.5f, 2.5f}, {2.9f, 2.9f}, {3.0f, 3.0f}, {-3.0f, -3.0f},
        {6.5f, 0.5f},  // more than a box width out still lands inside
        {-8.0f, -2.0f}, {0.0f, 0.0f},
    };
    for (const auto &w : wraps) {
        vec3_t p{w.at, 0.0f, -w.at};
        layer.wrap(p);
        EXPECT_FLOAT_EQ(p.x, w.wrapped) << w.at;
        EXPECT_FLOAT_EQ(p.z, -w.wrapped) << w.at;
    }

    // A camera jump of 100 moves the drops by at most twice the half extent (6) on
    // each axis; the fall and the drift come on top within the same bound.
    rain->move_with_camera({100.0f, -100.0f, 0.5f});
    EXPECT_TRUE(vec_near(layer.take_offset({0.0f, -0.45f, 0.0f}), vec3_t{-6.0f, 6.0f, -0.5f}, TOL_ULPS));
    EXPECT_EQ(layer.get_camera_movement(), (vec3_t{0.0f, 0.0f, 0.0f}));  // taken by the step
    rain->move_with_camera({std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.0f});
    EXPECT_EQ(layer.take_offset({0.0f, 0.0f, 0.0f}).x, 0.0f);  // a broken movement moves nothing

    // The step itself: off it moves nothing; on, the active prefix moves and wraps.
    rain->set_intensity(0.5f);
    const vec3_t before0 = layer.get_particles()[0].position;
    const vec3_t before1999 = layer.get_particles()[1999].position;
    rain->update(0.1f);  // not attached: off
    EXPECT_EQ(layer.get_particles()[0].position, before0);
    attach(*rain);
    layer.switch_on();
    rain->move_with_camera({0.3f, 0.0f, -0.1f});
    rain->update(0.1f);
    vec3_t expected = before0 + vec3_t{-0.3f + 0.02f, -0.45f, 0.1f + 0.02f};
    layer.wrap(expected);
    EXPECT_TRUE(vec_near(layer.get_particles()[0].position, expected, 1e-5f));
    EXPECT_EQ(layer.get_particles()[1999].position, before1999);  // not active
    rain->move_with_camera({100.0f, 100.0f, -100.0f});
    rain->update(0.016f);
    for (uint32_t i = 0; i < layer.get_active_count(); ++i) {
        const vec3_t &p = layer.get_particles()[i].position;
        ASSERT_TRUE(std::fabs(p.x) <= 3.0f && std::fabs(p.y) <= 3.0f && std::fabs(p.z) <= 3.0f) << i;
    }
}

TEST_F(weather_layer, snow_drifts_with_the_wind_wobbles_and_spins) {
    owner_ptr_t<snow_u> snow(snow_u::create());
    particle_layer_t &layer = snow->get_layer();
    attach(*snow);
    layer.switch_on();
    snow->set_intensity(0.01f);  // 20 flakes
    ASSERT_EQ(layer.get_active_count(), 20u);
    snow->set_wind({1.0f, 0.0f, 0.5f});
    for (int step = 0; step < 40; ++step) {
        SCOPED_TRACE(step);
        particle_layer_t::particle_t before[20];
        for (int i = 0; i < 20; ++i) before[i] = layer.get_particles()[i];
        uint32_t ring[snow_u::WOBBLES];
        for (uint32_t k = 0; k < snow_u::WOBBLES; ++k) ring[k] = snow->get_ring_entry(k);
        const uint32_t cursor = snow->get_ring_cursor();
        // The ring moves on when the layer's next draw is below 0.1.
        randomizer_t peek = layer.get_random();
        const bool moves_on = peek.rand() < 0.1f;
        if (moves_on) ring[cursor] = (ring[cursor] + 1) % snow_u::WOBBLES;
        snow->update(0.5f);
        EXPECT_EQ(snow->get_ring_cursor(), moves_on ? (cursor + 1) % snow_u::WOBBLES : cursor);
        for (uint32_t k = 0; k < snow_u::WOBBLES; ++k) ASSERT_EQ(snow->get_ring_entry(k), ring[k]);
        for (uint32_t i = 0; i < 20; ++i) {
            vec3_t expected = before[i].position + vec3_t{0.5f, -0.5f, 0.25f} + snow->get_wobble(ring[i % 10]) * 0.5f;
            layer.wrap(expected);
            ASSERT_TRUE(vec_near(layer.get_particles()[i].position, expected, 1e-4f)) << i;
            ASSERT_NEAR(layer.get_particles()[i].angle, std::fmod(before[i].angle + 1.0f, 360.0f), 1e-3f) << i;
        }
    }
}

TEST_F(weather_layer, the_packet_holds_twelve_vertices_a_drop_and_six_a_flake) {
    owner_ptr_t<rain_u> rain(rain_u::create());
    owner_ptr_t<snow_u> snow(snow_u::create());
    attach(*rain);
    attach(*snow);
    const particle_layer_t &rl = rain->get_layer(), &sl = snow->get_layer();
    ASSERT_EQ(rl.get_packet()->type, uint32_t(R_PACKET_PST));
    ASSERT_EQ(rl.get_proto()->packets[0], rl.get_packet());
    EXPECT_EQ(rl.get_proto()->parameters->get(1), rl.get_model_packet());

    rain->draw();  // off, and nothing active: nothing written
    EXPECT_EQ(rl.get_geometry().vertex_count, 0u);

    rain->get_layer().switch_on();
    snow->get_layer().switch_on();
    rain->set_intensity(0.25f);
    snow->set_intensity(0.5f);
    rain->set_colour({200, 150, 100, 255});
    rain->set_camera_position({10.0f, 2.0f, -4.0f});
    rain->draw();
    snow->draw();
    EXPECT_EQ(rl.get_geometry().vertex_count, 500u * 12u);
    EXPECT_EQ(sl.get_geometry().vertex_count, 1000u * 6u);
    EXPECT_EQ(*rl.get_geometry().colours, 0xFF6496C8u);
    const mat4_t &placed = rl.get_model_packet()->matrix;
    EXPECT_EQ((vec3_t{placed[3], placed[7], placed[11]}), (vec3_t{10.0f, 2.0f, -4.0f}));

    // The first drop: two crossed triangles, then both reversed.
    const particle_layer_t::particle_t &d = rl.get_particles()[0];
    const float w = 0.015f * d.scale, h = 0.2f * d.scale;
    const vec3_t c = d.position;
    const vec3_t drop[12] = {
        {c.x + w, c.y, c.z}, {c.x - w, c.y, c.z}, {c.x, c.y + h, c.z}, {c.x, c.y, c.z + w},
        {c.x, c.y, c.z - w}, {c.x, c.y + h, c.z}, {c.x, c.y + h, c.z}, {c.x - w, c.y, c.z},
        {c.x + w, c.y, c.z}, {c.x, c.y + h, c.z}, {c.x, c.y, c.z - w}, {c.x, c.y, c.z + w},
    };
    const float *v = rl.get_geometry().positions;
    for (int k = 0; k < 12; ++k) EXPECT_EQ((vec3_t{v[3 * k], v[3 * k + 1], v[3 * k + 2]}), drop[k]) << k;
    const float *uv = rl.get_geometry().texcoords;
    EXPECT_EQ(uv[4], 0.5f);  // the tip
    EXPECT_EQ(uv[5], 0.0f);

    // The first flake stands unturned (angle 0): a square of half width its scale.
    const particle_layer_t::particle_t &f = sl.get_particles()[0];
    const float s = f.scale;
    const vec3_t m = f.position;
    const vec3_t flake[6] = {{m.x - s, m.y - s, m.z}, {m.x + s, m.y - s, m.z}, {m.x + s, m.y + s, m.z},
                             {m.x - s, m.y - s, m.z}, {m.x + s, m.y + s, m.z}, {m.x - s, m.y + s, m.z}};
    const float *fv = sl.get_geometry().positions;
    for (int k = 0; k < 6; ++k)
        EXPECT_TRUE(vec_near((vec3_t{fv[3 * k], fv[3 * k + 1], fv[3 * k + 2]}), flake[k], 1e-6f)) << k;
    // The flake of angle 90 (index 500) is the same square turned by a quarter.
    const particle_layer_t::particle_t &q = sl.get_particles()[500];
    const float *qv = fv + 500 * 18;
    EXPECT_TRUE(vec_near((vec3_t{qv[0], qv[1], qv[2]}), q.position + vec3_t{q.scale, -q.scale, 0.0f}, 1e-5f));

    // Detached, nothing is drawn.
    rain->get_layer().detach();
    EXPECT_FALSE(rain->get_layer().is_enabled());
    EXPECT_EQ(rain->get_layer().begin_draw(), nullptr);
}

TEST_F(weather_layer, a_rain_file_with_a_flat_box_or_a_huge_pool_is_refused) {
    struct {
        const char *attributes;
        const char *message;  // null: loads
    } cases[] = {
        {"box_dimensions: (0, 3, 3)", "' has the box half extent (0, 3, 3); each must be a number above 0."},
        {"box_dimensions: (3, -1, 3)", "has the box half extent (3, -1, 3)"},
        {"box_dimensions: (3, 3, &7fc00000)", "has the box half extent (3, 3, nan)"},
        {"particle_count: 65537", "' asks for 65537 particles; at most 65536 are allowed."},
        {"particle_count: 4000000000", "asks for 4000000000 particles"},
        {"particle_count: 65536", nullptr},
        {"particle_count: 0 box_dimensions: (1, 2, 3)", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.attributes);
        message_capture_t log;
        owner_ptr_t<rain_u> rain(load<rain_u>(std::string("rain : .r { ") + c.attributes + " }"));
        if (!c.message) {
            ASSERT_TRUE(rain);
            EXPECT_TRUE(log.entries().empty());
            continue;
        }
        EXPECT_FALSE(rain);
        EXPECT_TRUE(log.contains(c.message));
    }
    owner_ptr_t<rain_u> rain(load<rain_u>(
        "rain : .r { box_dimensions: (1, 2, 4) particle_count: 10 fall_velocity: (0, -9, 0)"
        " particle_material: \"/material/wet.mat\" particle_min_scale: 2 particle_max_scale: 3 }"));
    ASSERT_TRUE(rain);
    const particle_layer_t &layer = rain->get_layer();
    EXPECT_EQ(layer.get_particle_count(), 10u);
    EXPECT_EQ(layer.get_half_extent(), (vec3_t{1.0f, 2.0f, 4.0f}));
    EXPECT_FLOAT_EQ(layer.get_particles()[5].scale, 2.5f);
    EXPECT_EQ(rain->get_fall_velocity(), (vec3_t{0.0f, -9.0f, 0.0f}));
    randomizer_t r(42);
    const float x = r.rand(), y = r.rand(), z = r.rand();
    EXPECT_EQ(layer.get_particles()[0].position,
              (vec3_t{(x - (1 - x)) * 1.0f, (y - (1 - y)) * 2.0f, (z - (1 - z)) * 4.0f}));
}

}  // namespace
}  // namespace quarn::test
