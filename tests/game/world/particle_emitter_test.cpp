// Particle emitters: the copy of the hookup taken at load (and the two load errors),
// the pre-run at start, the emit and pause phases of the duration list with and
// without loop, the emission turned by the placement's rotation, an empty list, and
// copies fired by name that the scene keeps until their list runs out.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "../models/model_lib_fixture.h"
#include "../scene/scene_fixture.h"
#include "game/scene/current_ctrl.h"
#include "game/visuals/effects/particle_gen.h"
#include "game/visuals/effects/particle_set.h"
#include "game/world/particle_emitter.h"
#include "kernel/memory/m_server.h"
#include "qrncore/units/unit_load.h"
#include "support/math_compare.h"
#include "support/memory_file.h"

namespace quarn::test {
namespace {

class emitters : public model_lib_fixture_t {
protected:
    void SetUp() override {
        model_lib_fixture_t::SetUp();
        ASSERT_TRUE(get_engine_ubank()->register_class(&particle_emitter_u::unit_descriptor));
        write_fixture_models();
        rock = desc("/t/model/rock/rock.zmd");
        ASSERT_NE(rock, nullptr);
        // The hookup: one generator of still particles, one every 0.1 s, flowing along -z.
        owner_ptr_ret_t<particle_set_u> made = particle_set_u::create();
        owner_ptr_t<particle_gen_u> g(particle_gen_u::create());
        g->m_flow_speed = {0.0f, 0.0f, -1.0f};
        g->m_flow_speed_acc = {0.0f, 0.0f, -2.0f};
        g->m_particle_displacement = {};
        g->m_particles_max_count = 101;
        g->m_model = rock->create_template(0, 0);
        g->set_time_to_live(10.0f);
        made->m_gen_array.append(owner_ptr_t<unit_base_t>(g.release()));
        ASSERT_TRUE(made->set_name("particle.test"));
        hookup = std::move(made);
        owner_ptr_ret_t<test_ctrl_u> c = test_ctrl_u::create();
        ctrl = c.get();
        set_current_ctrl(std::move(c));
    }
    void TearDown() override {
        loader.reset();
        file.reset();
        set_current_ctrl(nullptr);
        hookup.reset();
        unit_system_t::clean_garbage();
        get_engine_ubank()->unregister_class(&particle_emitter_u::unit_descriptor);
        model_lib_fixture_t::TearDown();
    }

    // Loads "particle_emitter : <name> { <body> }"; the emitter or null.
    particle_emitter_u *load(const std::string &name, const std::string &body) {
        loader.reset();
        file = std::make_unique<memory_file_t>("RozErere\n{\nparticle_emitter : " + name + "\n{\n" + body + "\n}\n}\n",
                                               "/t/emitters.unit");
        loader = std::make_unique<unit_load_t>(*file, *unit_system_t::get_default());
        if (!loader->load() || loader->get_root_count() != 1) return nullptr;
        return unit_cast<particle_emitter_u>(loader->get_root(0));
    }
    // The particle emitters in the scene's update list.
    std::vector<particle_emitter_u *> running() {
        ctrl->apply_list_changes();
        std::vector<particle_emitter_u *> out;
        for (updatable_t *u : ctrl->get_update_list())
            if (auto *e = dynamic_cast<particle_emitter_u *>(u)) out.push_back(e);
        return out;
    }

    model_desc_u *rock = nullptr;
    owner_ptr_t<particle_set_u> hookup;
    test_ctrl_u *ctrl = nullptr;
    std::unique_ptr<memory_file_t> file;
    std::unique_ptr<unit_load_t> loader;
};

TEST_F(emitters, the_load_copies_the_hookup_or_fails_with_its_message) {
    particle_emitter_u *e = load("e", "hookup: \"particle.test\"");
    ASSERT_NE(e, nullptr);
    ASSERT_NE(e->get_particle_set(), nullptr);
    EXPECT_NE(e->get_particle_set(), hookup.get()) << "a copy of its own";
    EXPECT_EQ(e->get_particle_set()->get_generator_count(), 1u);
    EXPECT_TRUE(e->m_hack_rotation);
    EXPECT_EQ(e->get_state(), particle_emitter_u::STATE_IDLE) << "no autostart";
    EXPECT_TRUE(running().empty());

    const struct {
        const char *body;
        const char *message;
    } failures[] = {
        {"init_time: 1", "[game] missing emitter hookup"},
        {"hookup: \"particle.none\"", "[game] cannot initialize hookup 'particle.none'"},
        {"hookup: \"e\"", "[game] cannot initialize hookup 'e'"},  // an emitter, no particle set
    };
    for (const auto &f : failures) {
        SCOPED_TRACE(f.body);
        log.clear();
        EXPECT_EQ(load("f", f.body), nullptr);
        EXPECT_TRUE(log.contains(f.message));
    }
}

TEST_F(emitters, the_first_update_pre_runs_init_time_in_steps_of_five_hundredths) {
    const struct {
        const char *init_time;
        uint32_t steps;
    } cases[] = {{"0", 0}, {"0.05", 1}, {"0.12", 3}, {"0.15", 3}, {"0.151", 4}, {"1", 20}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.init_time);
        particle_emitter_u *e = load("pre", std::string("hookup: \"particle.test\" autostart: true emit_stop_times: 1"
                                                        " emit_stop_times[0]: 5 init_time: ") + c.init_time);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->get_state(), particle_emitter_u::STATE_STARTED);
        ctrl->update(0.0f);
        EXPECT_EQ(e->get_state(), particle_emitter_u::STATE_RUNNING);
        EXPECT_EQ(e->get_prerun_steps(), c.steps);
        // One particle at once, then one every 0.1 s of the pre-run (and the update's own).
        EXPECT_GE(e->get_particle_set()->get_generator(0)->get_particle_count(), c.steps / 2);
        EXPECT_FLOAT_EQ(e->get_current_duration(), 5.0f);
        loader.reset();
        ctrl->apply_list_changes();
    }
}

// The emit flag of the set after each update of 0.5 s while the emitter runs ('E'
// emitting, 'p' pausing), and whether it is still running at the end.
std::string phases(particle_emitter_u *e, test_ctrl_u *ctrl, int updates) {
    std::string out;
    for (int i = 0; i < updates && e->get_state() != particle_emitter_u::STATE_IDLE; ++i) {
        ctrl->update(0.5f);
        if (e->get_state() != particle_emitter_u::STATE_IDLE) out += e->get_particle_set()->get_emit() ? 'E' : 'p';
    }
    return out;
}

TEST_F(emitters, the_list_alternates_emit_and_pause_and_a_zero_skips_its_phase) {
    const struct {
        const char *times;
        bool loop;
        std::string expected;
        bool runs_on;
    } cases[] = {
        // 10 s emitting, then again from the start: never a pause.
        {"emit_stop_times: 1 emit_stop_times[0]: 10", true, std::string(60, 'E'), true},
        // 2 s, the 0 skipped to index 2 (even): 3 s more emitting, then done.
        {"emit_stop_times: 3 emit_stop_times[0]: 2 emit_stop_times[1]: 0 emit_stop_times[2]: 3", false,
         std::string(10, 'E'), false},
        {"emit_stop_times: 3 emit_stop_times[0]: 1 emit_stop_times[1]: 1.5 emit_stop_times[2]: 1", false,
         "EEpppEE", false},
        {"emit_stop_times: 2 emit_stop_times[0]: 1 emit_stop_times[1]: 1", true, "EEppEEppEE", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.times);
        particle_emitter_u *e = load("list", std::string("hookup: \"particle.test\" autostart: true ") + c.times +
                                                 (c.loop ? " loop: true" : ""));
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(phases(e, ctrl, int(c.expected.size())), c.expected);
        if (!c.runs_on) ctrl->update(0.5f);  // the update that finds the list's end
        EXPECT_EQ(e->get_state() != particle_emitter_u::STATE_IDLE, c.runs_on);
        EXPECT_EQ(running().size(), c.runs_on ? 1u : 0u) << "a finished emitter leaves the update list";
        loader.reset();
        ctrl->apply_list_changes();
        EXPECT_TRUE(running().empty()) << "a destroyed emitter leaves the update list";
    }
}

TEST_F(emitters, hack_rotation_turns_the_flow_and_places_the_set_unturned) {
    quat_t turn;
    turn.set_axis_angle({0.0f, 1.0f, 0.0f}, 1.5707964f);  // -z becomes -x
    const std::string placement = "placement: (3, 4, 5) 1 (" + std::to_string(turn.w) + "; 0, " +
                                  std::to_string(turn.y) + ", 0)";
    for (bool hack : {true, false}) {
        SCOPED_TRACE(hack);
        particle_emitter_u *e = load("turned", "hookup: \"particle.test\" autostart: true emit_stop_times: 1 "
                                               "emit_stop_times[0]: 1 " + placement +
                                                   (hack ? "" : " hack_rotation: false"));
        ASSERT_NE(e, nullptr);
        particle_set_u *set = e->get_particle_set();
        const particle_gen_u *g = set->get_generator(0);
        const placement_t &at = set->get_node().get_relative();
        EXPECT_TRUE(vec_near(at.position, {3.0f, 4.0f, 5.0f}, 1e-5f));
        if (hack) {
            EXPECT_TRUE(vec_near(g->m_flow_speed, {-1.0f, 0.0f, 0.0f}, 1e-5f));
            EXPECT_TRUE(vec_near(g->m_flow_speed_acc, {-2.0f, 0.0f, 0.0f}, 1e-5f));
            EXPECT_NEAR(at.rotation.w, 1.0f, 1e-6f) << "the set stands unturned";
            EXPECT_NEAR(e->m_placement.rotation.w, 1.0f, 1e-6f) << "the rotation was taken out";
        } else {
            EXPECT_TRUE(vec_near(g->m_flow_speed, {0.0f, 0.0f, -1.0f}, 0.0f));
            EXPECT_NEAR(std::fabs(at.rotation.y), std::fabs(turn.y), 1e-5f) << "the set takes the placement";
        }
        const particle_gen_u *source = hookup->get_generator(0);
        EXPECT_TRUE(vec_near(source->m_flow_speed, {0.0f, 0.0f, -1.0f}, 0.0f)) << "the hookup is untouched";
        loader.reset();
        ctrl->apply_list_changes();
    }
}

TEST_F(emitters, fired_copies_run_until_their_list_runs_out) {
    const uint32_t live_before = unit_base_t::get_live_count();
    particle_emitter_u *templ = load("emitter.test", "hookup: \"particle.test\" emit_stop_times: 1 emit_stop_times[0]: 1");
    ASSERT_NE(templ, nullptr);
    const uint32_t with_template = unit_base_t::get_live_count();
    EXPECT_GT(with_template, live_before);

    const placement_t at({1.0f, 2.0f, 3.0f}, quat_t());
    ASSERT_TRUE(trigger_emitter("emitter.test", at));
    ASSERT_TRUE(trigger_emitter("EMITTER.TEST", at)) << "names ignore letter case";
    std::vector<particle_emitter_u *> copies = running();
    ASSERT_EQ(copies.size(), 2u);
    for (particle_emitter_u *c : copies) {
        EXPECT_NE(c, templ);
        EXPECT_TRUE(c->is_discarded_when_done());
        EXPECT_TRUE(vec_near(c->m_placement.position, at.position, 0.0f));
    }
    EXPECT_EQ(templ->get_state(), particle_emitter_u::STATE_IDLE) << "the template itself never runs";

    for (int i = 0; i < 3; ++i) ctrl->update(0.5f);
    EXPECT_TRUE(running().empty());
    unit_system_t::clean_garbage();
    EXPECT_EQ(unit_base_t::get_live_count(), with_template) << "the copies are gone";

    // A looping copy stays.
    templ->m_loop = true;
    ASSERT_TRUE(trigger_emitter("emitter.test", at));
    for (int i = 0; i < 10; ++i) ctrl->update(0.5f);
    EXPECT_EQ(running().size(), 1u);
}

TEST_F(emitters, an_empty_list_places_its_particles_and_leaves_the_lists) {
    particle_emitter_u *e = load("still", "hookup: \"particle.test\" autostart: true placement: (7, 0, -2) 1 (1; 0, 0, 0)");
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(vec_near(e->get_particle_set()->get_node().get_relative().position, {7.0f, 0.0f, -2.0f}, 0.0f));
    EXPECT_TRUE(running().empty());
    ctrl->update(0.5f);
    EXPECT_EQ(e->get_particle_set()->get_generator(0)->get_particle_count(), 0u) << "never runs";

    const uint32_t live = unit_base_t::get_live_count();
    EXPECT_TRUE(trigger_emitter("still", placement_t()));
    EXPECT_TRUE(running().empty());
    unit_system_t::clean_garbage();
    EXPECT_EQ(unit_base_t::get_live_count(), live) << "the fired copy went at once";
}

TEST_F(emitters, firing_refuses_silently_what_is_no_live_emitter) {
    particle_emitter_u *e = load("emitter.gone", "hookup: \"particle.test\" emit_stop_times: 1 emit_stop_times[0]: 1");
    ASSERT_NE(e, nullptr);
    ref_ptr_t<particle_emitter_u> dead(e);
    loader.reset();  // destroyed; the reference keeps its memory
    ASSERT_FALSE(dead->is_alive());
    log.clear();
    EXPECT_FALSE(trigger_emitter("emitter.unknown", placement_t()));
    EXPECT_FALSE(trigger_emitter("emitter.gone", placement_t()));
    EXPECT_FALSE(trigger_emitter("particle.test", placement_t())) << "a particle set";
    EXPECT_FALSE(trigger_emitter("", placement_t()));
    EXPECT_FALSE(trigger_emitter(nullptr, placement_t()));
    EXPECT_TRUE(log.entries().empty());
    EXPECT_TRUE(running().empty());
    dead.reset();

    // Without a scene nothing is fired, nor started.
    particle_emitter_u *kept = load("emitter.kept", "hookup: \"particle.test\" emit_stop_times: 1 emit_stop_times[0]: 1");
    ASSERT_NE(kept, nullptr);
    set_current_ctrl(nullptr);
    EXPECT_FALSE(trigger_emitter("emitter.kept", placement_t()));
    EXPECT_FALSE(kept->start(false));
}

}  // namespace
}  // namespace quarn::test
