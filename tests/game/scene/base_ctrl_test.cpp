// The scene root: its packets, its world and environment, its clock, time factor and
// random source, the update list's frame rules, the units it owns, and its teardown.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "game/scene/scene_fixture.h"
#include "game/scene/scene_list.h"
#include "game/world/environment.h"
#include "kernel/sys.h"
#include "support/fake_clock.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

using base_ctrl = scene_fixture_t;

bool same(const vec4_t &a, const vec4_t &b) { return a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w; }

TEST_F(base_ctrl, construction_colours_the_flat_and_lit_lights_and_fills_four_packet_sets) {
    owner_ptr_t<test_ctrl_u> ctrl = make_ctrl();
    ASSERT_TRUE(ctrl);
    const vec4_t black{0, 0, 0, 1};
    fw4pp_light_u *flat = ctrl->get_light_packet(1);  // light 2
    fw4pp_light_u *lit = ctrl->get_light_packet(7);   // light 8
    ASSERT_TRUE(flat && lit);
    EXPECT_TRUE(same(flat->diffuse, black) && same(flat->specular, black));
    EXPECT_TRUE(same(lit->ambient, vec4_t{1, 1, 1, 1}));
    EXPECT_TRUE(same(lit->diffuse, black) && same(lit->specular, black));
    // The other lights keep the packet's own values.
    EXPECT_TRUE(same(ctrl->get_light_packet(0)->diffuse, fw4pp_light_u::create()->diffuse));

    struct set_case_t {
        uint32_t camera, light;  // 0-based
    };
    const set_case_t sets[] = {{4, 1}, {0, 2}, {0, 4}, {0, 3}};
    for (uint32_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const r_parameter_array_t *set = ctrl->get_packet_set(i);
        ASSERT_TRUE(set);
        EXPECT_EQ(set->get(FW_SLOT_CAMERA), ctrl->get_camera_packet(sets[i].camera));
        EXPECT_EQ(set->get(FW_SLOT_MODEL), ctrl->get_model_packet());
        EXPECT_EQ(set->get(FW_SLOT_FOG), ctrl->get_fog_packet());
        EXPECT_EQ(set->get(FW_SLOT_LIGHT), ctrl->get_light_packet(sets[i].light));
        for (uint32_t slot = 4; slot < r_parameter_array_t::SLOTS; ++slot) EXPECT_EQ(set->get(slot), nullptr);
    }
    for (uint32_t i = 0; i < 5; ++i) EXPECT_TRUE(ctrl->get_camera_packet(i));
    EXPECT_TRUE(ctrl->get_model_packet() && ctrl->get_fog_packet());
    EXPECT_EQ(ctrl->get_light_packet(8), nullptr);
    EXPECT_EQ(ctrl->get_camera_packet(5), nullptr);
    EXPECT_EQ(ctrl->get_packet_set(4), nullptr);

    EXPECT_EQ(ctrl->get_busy_count(), 0);
    EXPECT_EQ(ctrl->get_scene_time(), 0.0f);
    EXPECT_EQ(ctrl->get_time_factor(), 1.0f);
    EXPECT_TRUE(ctrl->get_view_rotation().is_identity());
    EXPECT_TRUE(ctrl->get_ai_navigation() && ctrl->get_bits() && ctrl->get_antler_cache());
    const vec4_t fog = ctrl->get_fog_color();
    EXPECT_TRUE(same(fog, vec4_t{0, 0, 0, 0}));
    EXPECT_FALSE(ctrl->has_overlay_pass());
}

TEST_F(base_ctrl, the_world_exists_once_its_type_is_registered_and_the_environment_always) {
    {
        message_capture_t log;
        owner_ptr_t<test_ctrl_u> ctrl = make_ctrl();
        EXPECT_EQ(ctrl->get_world_unit(), nullptr);
        EXPECT_TRUE(ctrl->get_environment());
        EXPECT_TRUE(log.entries().empty()) << "types not registered yet are no error";
    }
    register_scene_units();
    owner_ptr_t<test_ctrl_u> ctrl = make_ctrl();
    auto *world = ctrl->get_world<test_world_u>();
    environment_u *environment = ctrl->get_environment();
    ASSERT_TRUE(world && environment);
    EXPECT_EQ(ctrl->get_world<environment_u>(), nullptr) << "a typed accessor checks the class";
    EXPECT_EQ(world->attached, 0) << "queued at construction, entered at the first update";
    ctrl->set_time_factor(0.5f);
    ctrl->update(0.1f);
    EXPECT_EQ(world->attached, 1);
    EXPECT_EQ(world->updates, 1);
    EXPECT_FLOAT_EQ(world->last_dt, 0.05f);
    EXPECT_FLOAT_EQ(environment->get_time_of_day(), environment_u::START_TIME + 0.5f);  // 10 game s a second
}

TEST_F(base_ctrl, a_world_type_that_is_no_scene_object_is_refused) {
    ASSERT_TRUE(not_a_scene_object_u::register_class(bank));
    message_capture_t log;
    owner_ptr_t<test_ctrl_u> ctrl = make_ctrl();
    EXPECT_EQ(ctrl->get_world_unit(), nullptr);
    EXPECT_TRUE(ctrl->get_environment_unit());
    EXPECT_TRUE(log.contains("[game] The unit type 'world' is not a scene object"));
}

TEST_F(base_ctrl, the_time_factor_never_drops_below_its_floor_and_refuses_non_numbers) {
    owner_ptr_t<test_ctrl_u> ctrl = make_ctrl();
    struct case_t {
        float factor, stored;
    };
    const case_t cases[] = {{0.0f, 0.00001f}, {-1.0f, 0.00001f}, {0.00001f, 0.00001f}, {0.25f, 0.25f}, {3.0f, 3.0f}};
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.factor);
        EXPECT_TRUE(ctrl->set_time_factor(c.factor));
        EXPECT_EQ(ctrl->get_time_factor(), c.stored);
    }
    ctrl->set_time_factor(0.00001f);
    EXPECT_FLOAT_EQ(ctrl->get_sound_time_scale(1.0f), 0.500005f);
    ctrl->set_time_factor(1.0f);
    EXPECT_FLOAT_EQ(ctrl->get_sound_time_scale(1.0f), 1.0f);
    EXPECT_FLOAT_EQ(ctrl->get_sound_time_scale(2.0f), 2.0f);

    message_capture_t log;
    ctrl->set_time_factor(0.5f);
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                      -std::numeric_limits<float>::infinity()}) {
        EXPECT_FALSE(ctrl->set_time_factor(bad));
        EXPECT_EQ(ctrl->get_time_factor(), 0.5f);
    }
    EXPECT_TRUE(log.contains("[game] Time factor nan refused"));
    probe_t probe(journal, "p");
    ctrl->add_list_object(&probe);
    ctrl->update(0.1f);
    EXPECT_FLOAT_EQ(probe.last_dt, 0.05f) << "the list never gets a NaN step";
}

TEST_F(base_ctrl, update_advances_the_clock_by_the_raw_step_and_the_list_by_the_scaled_one) {
    owner_ptr_t<test_ctrl_u> ctrl = make_ctrl();
    probe_t a(journal, "a"), b(journal, "b");
    ctrl->add_list_object(&a);
    ctrl->add_list_object(&b);
    ctrl->set_time_factor(0.25f);
    ctrl->update(0.5f);
    ctrl->update(0.5f);
    EXPECT_FLOAT_EQ(ctrl->get_scene_time(), 1.0f);
    EXPECT_EQ(ctrl->get_frame_count(), 2u);
    EXPECT_EQ(journal, (std::vector<std::string>{"a.attached", "b.attached", "a.update 0.125", "b.update 0.125",
                                                  "a.update 0.125", "b.update 0.125"}));
    journal.clear();
    ctrl->draw();
    EXPECT_EQ(journal, (std::vector<std::string>{"a.draw", "b.draw"}));
    journal.clear();
    ctrl->set_draw_enabled(false);
    ctrl->draw();
    EXPECT_TRUE(journal.empty());
}

TEST_F(base_ctrl, list_changes_wait_for_the_next_update_and_adds_go_before_removes) {
    owner_ptr_t<test_ctrl_u> ctrl = make_ctrl();
    probe_t kept(journal, "kept"), brief(journal, "brief"), absent(journal, "absent"), late(journal, "late");
    ctrl->add_list_object(&kept);
    ctrl->update(0.1f);

    // Added and removed in one frame: attached once, never updated.
    ctrl->add_list_object(&brief);
    ctrl->remove_list_object(&brief);
    // Removing what the list does not hold only drops the pending entry.
    ctrl->remove_list_object(&absent);
    // An object queued from inside an update enters at the next one.
    kept.on_update = [&] {
        ctrl->add_list_object(&late);
        kept.on_update = nullptr;
    };
    journal.clear();
    ctrl->update(0.1f);
    EXPECT_EQ(journal, (std::vector<std::string>{"brief.attached", "kept.update 0.1"}));
    EXPECT_EQ(late.attached, 0);

    journal.clear();
    ctrl->update(0.1f);
    EXPECT_EQ(journal, (std::vector<std::string>{"late.attached", "kept.update 0.1", "late.update 0.1"}));
    EXPECT_EQ(brief.attached, 1);
    EXPECT_EQ(brief.updates, 0);
    EXPECT_EQ(absent.attached + absent.updates, 0);

    ctrl->remove_list_object(&kept);
    ctrl->remove_list_object(&late);
    journal.clear();
    ctrl->draw();  // draw applies the changes too
    ctrl->update(0.1f);
    EXPECT_TRUE(journal.empty());
}

TEST_F(base_ctrl, an_object_attached_while_the_changes_apply_enters_with_them) {
    // A view queues its camera from on_attached: the camera enters in the same pass.
    owner_ptr_t<test_ctrl_u> ctrl = make_ctrl();
    probe_t camera(journal, "camera");
    struct view_t : probe_t {
        using probe_t::probe_t;
        void on_attached() override {
            probe_t::on_attached();
            ctrl->add_list_object(camera);
        }
        test_ctrl_u *ctrl = nullptr;
        probe_t *camera = nullptr;
    } view(journal, "view");
    view.ctrl = ctrl.get();
    view.camera = &camera;
    ctrl->add_list_object(&view);
    ctrl->activate();
    EXPECT_EQ(journal, (std::vector<std::string>{"view.attached", "camera.attached"}));
    EXPECT_EQ(ctrl->get_frame_count(), 0u) << "activate runs no update";
}

TEST_F(base_ctrl, owned_units_die_with_their_removal_and_an_exhausted_pool_refuses_them) {
    owner_ptr_t<test_ctrl_u> ctrl = make_ctrl();
    owner_ptr_ret_t<owned_thing_u> carrier = owned_thing_u::create();
    owned_thing_u *first = carrier.get();
    EXPECT_TRUE(ctrl->add_object(std::move(carrier)));
    EXPECT_TRUE(first->is_alive() && first->is_owned());
    owner_ptr_t<owned_thing_u> outside(owned_thing_u::create());
    ctrl->remove_object(outside.get());  // not the scene's: untouched
    EXPECT_TRUE(outside->is_alive());
    ctrl->remove_object(first);
    EXPECT_FALSE(first->is_alive());

    probe_t probe(journal, "p");
    scene_list_set_node_budget(0);
    ref_ptr_t<owned_thing_u> watch(owned_thing_u::create().take());
    EXPECT_FALSE(ctrl->add_object(owner_ptr_ret_t<unit_base_t>(watch.get())));
    EXPECT_FALSE(watch->is_alive()) << "a unit the scene cannot take is destroyed at once";
    EXPECT_FALSE(ctrl->add_list_object(&probe));
    EXPECT_FALSE(ctrl->remove_list_object(&probe));
    EXPECT_FALSE(ctrl->get_targets().add(nullptr));
    scene_list_set_node_budget(-1);
    ctrl->update(0.1f);
    EXPECT_EQ(probe.attached, 0);
}

TEST_F(base_ctrl, the_reseed_repeats_with_the_same_clock_and_kernel_sequence) {
    fake_clock_t clock;
    clock.cycles = 987654321;
    sys_reset_random();
    sys_rand();  // the environment's first weather step draws its first target
    const uint32_t expected = uint32_t(sys_rand() * 100000.0f);
    uint32_t seeds[2];
    for (uint32_t &seed : seeds) {
        sys_reset_random();
        owner_ptr_t<test_ctrl_u> ctrl = make_ctrl();
        seed = ctrl->get_random().seed;
    }
    EXPECT_EQ(seeds[0], expected);
    EXPECT_EQ(seeds[1], expected);
    EXPECT_NE(expected, 42u);
}

TEST_F(base_ctrl, destroy_tears_the_scene_down_in_order_and_leaves_no_unit) {
    register_scene_units();
    owner_ptr_t<test_ctrl_u> ctrl = make_ctrl();
    ref_ptr_t<fw4pp_light_u> light(ctrl->get_light_packet(0));
    ref_ptr_t<unit_t> world(ctrl->get_world_unit());
    ref_ptr_t<owned_thing_u> thing(owned_thing_u::create().take());
    ctrl->add_object(owner_ptr_ret_t<unit_base_t>(thing.get()));
    probe_t probe(journal, "p");
    ctrl->add_list_object(&probe);
    ctrl->update(0.1f);
    ctrl->raise_busy_count();
    ctrl->lower_busy_count();

    test_ctrl_u *raw = ctrl.get();
    ref_ptr_t<test_ctrl_u> keep(raw);
    ctrl.reset();  // destroy, then release
    EXPECT_FALSE(raw->is_alive());
    EXPECT_FALSE(light->is_alive());
    EXPECT_FALSE(world->is_alive());
    EXPECT_FALSE(thing->is_alive());
    EXPECT_EQ(raw->get_packet_set(0)->get_count(), 0u);
    EXPECT_EQ(test_ctrl_u::windows_closed, 1);
    EXPECT_TRUE(test_ctrl_u::world_gone_at_close) << "the windows close last";
    raw->update(0.1f);  // a dead scene walks no stale entry
    EXPECT_EQ(probe.updates, 1);
    keep.reset();
    light.reset();
    world.reset();
    thing.reset();
    // TearDown checks the live-unit count against its baseline.
}

TEST_F(base_ctrl, lowering_the_busy_count_at_zero_is_refused) {
    owner_ptr_t<test_ctrl_u> ctrl = make_ctrl();
    message_capture_t log;
    ctrl->lower_busy_count();
    EXPECT_EQ(ctrl->get_busy_count(), 0);
    EXPECT_TRUE(log.contains("[game] The scene's busy count is lowered more often than raised"));
    ctrl->raise_busy_count();
    EXPECT_EQ(ctrl->get_busy_count(), 1);
}

using base_ctrl_death = scene_fixture_t;

TEST_F(base_ctrl_death, cloning_a_controller_aborts) {
    owner_ptr_t<test_ctrl_u> ctrl = make_ctrl();
    base_ctrl_u *base = ctrl.get();
    EXPECT_DEATH(
        {
            message_stdio_t to_stderr;
            base->base_ctrl_u::clone();
        },
        "Can not clone instance of abstract class base_ctrl_u\\.");
}

}  // namespace
}  // namespace quarn::test
