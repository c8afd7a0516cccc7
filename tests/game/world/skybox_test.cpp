// The sky box: clouds moved by the wind, the sky kept at height 0 under the camera,
// the look and variant it is made in, the sun disc 400 units out, and what happens
// when the sky, its look or the sun disc cannot be had.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "kernel/memory/m_server.h"
#include "qrncore/geometry/projection.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "outside/visbase/camera.h"
#include "support/math_compare.h"
#include "support/test_paths.h"
#include "weather_fixture.h"
#include "zm_description.h"
#include "zm_writer.h"

namespace quarn::test {
namespace {

class skybox : public weather_fixture_t {
protected:
    // The scene's environment with the sky of the map in the look.
    environment_u *sky_scene(const char *map, const char *look) {
        environment_u *env = start_scene();
        if (env) env->get_skybox()->set_sky(map, look);
        return env;
    }
    static vec3_t translation(const mat4_t &m) { return {m[3], m[7], m[11]}; }
    // Model resources nobody holds leave the memory manager (the files are read again).
    static void forget_models() {
        unit_system_t::clean_garbage();
        for (const unit_descriptor_t *d : {&model_desc_u::unit_descriptor, &model_geom_u::unit_descriptor}) {
            _mm_mem_free_unreferenced(-1, d);
            mm_remove_unreferenced(-1, d);
        }
    }
    // No line of the log comes from the weather itself.
    bool weather_said_nothing() const {
        for (const auto &e : log.entries())
            if (e.text.rfind("[env]", 0) == 0) return false;
        return true;
    }
};

TEST_F(skybox, the_clouds_move_against_the_wind_and_stand_still_without_it) {
    owner_ptr_t<skybox_u> sky(skybox_u::create());
    ASSERT_TRUE(sky);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct {
        const char *what;
        vec3_t direction;
        float speed, seconds;
        vec2_t scroll;  // from (0, 0)
    } cases[] = {
        {"no wind", {1, 0, 0}, 0.0f, 10.0f, {0.0f, 0.0f}},
        {"east at 2.0 for a second", {1, 0, 0}, 2.0f, 1.0f, {-0.008f, 0.0f}},
        {"south at 2.0", {0, 0, 1}, 2.0f, 1.0f, {0.0f, -0.008f}},
        {"west at 1.0 for 10 s", {-1, 0, 0}, 1.0f, 10.0f, {0.04f, 0.0f}},
        {"east at 2.0 for 200 s: kept within -1..1", {1, 0, 0}, 2.0f, 200.0f, {-0.6f, 0.0f}},
        {"a broken wind", {nan, 0, 0}, 2.0f, 1.0f, {0.0f, 0.0f}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        owner_ptr_t<skybox_u> fresh(skybox_u::create());
        fresh->move_clouds(c.seconds, c.direction, c.speed);
        EXPECT_NEAR(fresh->get_scroll().x, c.scroll.x, 1e-6f);
        EXPECT_NEAR(fresh->get_scroll().y, c.scroll.y, 1e-6f);
    }
    // Step by step it adds up the same.
    for (int i = 0; i < 10; ++i) sky->move_clouds(0.1f, {1, 0, 0}, 2.0f);
    EXPECT_NEAR(sky->get_scroll().x, -0.008f, 1e-6f);

    // The offset reaches the texture matrix at the next draw.
    sky->draw_sky({0, 0, 0}, nullptr);
    const mat4_t &m = sky->get_texture_matrix_packet()->matrix;
    EXPECT_NEAR(m[3], -0.008f, 1e-6f);
    EXPECT_EQ(m[7], 0.0f);
    EXPECT_EQ(m[0], 1.0f);
}

TEST_F(skybox, the_scene_update_moves_the_clouds_by_the_scene_wind) {
    environment_u *env = start_scene();
    ASSERT_TRUE(env);
    owner_ptr_t<environment_preset_u> rain(load_environment_preset("valley", "rain"));  // wind 2.0
    ASSERT_TRUE(rain && env->apply_preset("valley", rain.get()));
    ctrl->update(0.5f);  // the wind drifts before the sky moves by it
    const vec3_t d = env->get_wind()->get_direction();
    EXPECT_NEAR(env->get_skybox()->get_scroll().x, -d.x * 2.0f * 0.5f * 0.004f, 1e-7f);
    EXPECT_NEAR(env->get_skybox()->get_scroll().y, -d.z * 2.0f * 0.5f * 0.004f, 1e-7f);
}

TEST_F(skybox, the_sky_stays_at_height_0_under_the_camera_in_its_look_and_variant) {
    struct {
        const char *map, *look;
        uint32_t pieces;  // the peaks show their ridge too
    } cases[] = {{"valley", "flat", 1}, {"peaks", "mountain", 2}, {"cross", "flat_sunset", 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.map);
        environment_u *env = sky_scene(c.map, c.look);
        ASSERT_TRUE(env);
        skybox_u *sky = env->get_skybox();
        ASSERT_TRUE(sky->get_sky());
        EXPECT_TRUE(sky->is_listed());
        EXPECT_EQ(sky->get_packets().get(FW_SLOT_CAMERA), ctrl->get_camera_packet(skybox_u::SCENE_CAMERA));
        EXPECT_EQ(sky->get_packets().get(FW_SLOT_LIGHT), ctrl->get_light_packet(skybox_u::SCENE_LIGHT));
        EXPECT_EQ(sky->get_packets().get(FW_SLOT_TEXTURE_TRANSFORM), sky->get_texture_matrix_packet());
        for (float height : {1.7f, 50.0f, 400.0f}) {
            ctrl->view.position = {10.0f, height, -20.0f};
            context.begin_frame();
            env->update_skybox();
            EXPECT_EQ(translation(sky->get_model_packet()->matrix), (vec3_t{10.0f, 0.0f, -20.0f})) << height;
            shaderlib_queue_render_and_flush(&context);
            const r_draw_log_t &drawn = context.get_draw_log();
            uint32_t sky_pieces = 0;
            for (uint32_t i = 0; i < drawn.draw_count(); ++i)
                if (std::string(drawn.draw(i).material.c_str()) == std::string("/material/skybox/") + c.look + ".mat")
                    ++sky_pieces;
            EXPECT_EQ(sky_pieces, c.pieces) << height;
        }
        set_current_ctrl({});
    }
}

TEST_F(skybox, the_sun_disc_stands_400_units_out_along_the_sun_when_in_view) {
    environment_u *env = sky_scene("valley", "flat");
    ASSERT_TRUE(env);
    skybox_u *sky = env->get_skybox();
    model_object_u *disc = sky->get_sun_disc();
    ASSERT_TRUE(disc);
    EXPECT_NE(disc->get_model_packet(), sky->get_model_packet());  // placed apart from the sky
    sun_u *sun = env->get_sun();
    sun->set_azimuth(90.0f);
    const vec3_t camera{5.0f, 30.0f, -8.0f};
    ctrl->view.position = camera;

    // A camera looking at the sun sees the disc; one looking away does not.
    owner_ptr_t<pp_camera_u> eye(pp_camera_u::create());
    r_frustum_projection_matrix(&eye->projection, rectangle_t<float>{-1, 1, 1, -1}, 1.0f, 10000.0f, 90.0f, 1.0f);
    for (bool toward : {true, false}) {
        SCOPED_TRACE(toward);
        quat_t look;
        look.set_cartes(toward ? sun->get_direction() : -sun->get_direction());
        eye->set_placement({camera, look});
        gfx_camera_load(*eye);
        context.begin_frame();
        EXPECT_EQ(env->update_skybox(), toward);
        const vec3_t at = translation(disc->get_matrix());
        EXPECT_TRUE(vec_near(at, camera + sun->get_direction() * 400.0f, 1e-3f));
        EXPECT_TRUE(vec_near(disc->get_node().get_relative().rotation.get_cartes(), sun->get_direction(), 1e-5f));
        shaderlib_queue_render_and_flush(&context);
        uint32_t discs = 0;
        for (uint32_t i = 0; i < context.get_draw_log().draw_count(); ++i)
            if (std::string(context.get_draw_log().draw(i).material.c_str()) == "/material/particle/sun.mat") ++discs;
        EXPECT_EQ(discs, toward ? 1u : 0u);
    }
    gfx_camera_load(*owner_ptr_t<pp_camera_u>(pp_camera_u::create()));
}

TEST_F(skybox, a_missing_sky_or_look_draws_nothing_and_a_missing_sun_leaves_the_sky_bare) {
    // A look or a variant the sky model does not have.
    for (const char *look : {"hail", ""}) {
        SCOPED_TRACE(look);
        log.clear();
        environment_u *env = sky_scene("valley", look);
        ASSERT_TRUE(env);
        skybox_u *sky = env->get_skybox();
        EXPECT_FALSE(sky->get_sky());
        EXPECT_FALSE(sky->get_sun_disc());
        EXPECT_FALSE(sky->is_listed());
        context.begin_frame();
        EXPECT_FALSE(env->update_skybox());
        shaderlib_queue_render_and_flush(&context);
        EXPECT_EQ(context.get_draw_log().draw_count(), 0u);
        EXPECT_TRUE(weather_said_nothing());
        set_current_ctrl({});
    }
    {
        environment_u *env = sky_scene("moon", "flat");
        EXPECT_FALSE(env->get_skybox()->get_sky());
        set_current_ctrl({});
    }

    // The sky alone, without the sun disc's model.
    unmount_base();
    forget_models();
    zmgen::zm_model_t model;
    ASSERT_TRUE(zmgen::zm_read_description((test_source_dir() + "/data/models/skybox/model.def").c_str(), model));
    ASSERT_TRUE(zmgen::zm_write_model(model, dir.file("sky_only/skybox"), "model"));
    fs_device_t *models = ufs_mount(FS_DEVICE_DIRECTORY, dir.file("sky_only").c_str(), "/model", false, 0);
    ASSERT_NE(models, nullptr);
    log.clear();
    {
        environment_u *env = sky_scene("valley", "flat");
        skybox_u *sky = env->get_skybox();
        EXPECT_TRUE(sky->get_sky());
        EXPECT_FALSE(sky->get_sun_disc());
        EXPECT_FALSE(env->update_skybox());
        EXPECT_TRUE(weather_said_nothing());
        set_current_ctrl({});
    }
    forget_models();
    ufs_unmount(models);

    // No sky model at all.
    log.clear();
    environment_u *env = sky_scene("valley", "flat");
    EXPECT_FALSE(env->get_skybox()->get_sky());
    EXPECT_FALSE(env->update_skybox());
    EXPECT_TRUE(weather_said_nothing());
}

}  // namespace
}  // namespace quarn::test
