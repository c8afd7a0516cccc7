// Mission scripts: reading commands, exit conditions, and the steps that start,
// repeat and end commands.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "game/ai/ai_fakes.h"
#include "game/ai/mind/ai_script.h"
#include "support/message_capture.h"

namespace quarn {
namespace {

class fake_host_t : public ai_script_host_t {
public:
    float get_scene_time() const override { return now; }
    const float *get_urges() const override { return urges; }
    int32_t get_navigation_state() const override { return navigation; }
    bool has_leader() const override { return leader_present; }
    const ai_script_t *get_leader_script() const override { return leader; }
    int32_t find_behavior(const char *name) const override {
        auto it = behaviours.find(name);
        return it == behaviours.end() ? -1 : it->second;
    }
    ai_world_t *get_world() const override { return world; }
    ai_factors_t &get_factors() override { return factors; }
    void set_stress(float s) override { stress = s; }
    void dispatch(ai_command_t &c) override { dispatched.push_back(c); }

    float now = 100.0f;
    float urges[7] = {};
    int32_t navigation = 0;
    bool leader_present = false;
    const ai_script_t *leader = nullptr;
    std::map<std::string, int32_t> behaviours = {{"call", 40}, {"sstand", 61}};
    ai_world_t *world = nullptr;
    ai_factors_t factors;
    float stress = -1.0f;
    std::vector<ai_command_t> dispatched;
};

class ai_script_fixture_t : public test::ai_world_fixture_t {
protected:
    void SetUp() override {
        ai_world_fixture_t::SetUp();
        create({"buck", "doe"});
        points = test::def_text("def script_points { def ford { position: \"1 0 2\" radius: \"3\" } "
                                "def hill { position: \"1 0 2\" radius: \"3\" } }");
        world->load_script_points(points->find("script_points"));
        host.world = world.get();
    }
    // Loads the text as the "script" block.
    ai_script_t &read(const std::string &text) {
        scripts.push_back(test::def_text("def script {\n" + text + "\n}\n"));
        script.load_script(*scripts.back()->find("script"), host);
        return script;
    }
    std::vector<int32_t> kinds() const {
        std::vector<int32_t> k;
        for (uint32_t i = 0; i < script.get_command_count(); ++i) k.push_back(script.get_command(i).command.kind);
        return k;
    }

    std::unique_ptr<def_pool_t> points;
    std::vector<std::unique_ptr<def_pool_t>> scripts;
    fake_host_t host;
    ai_script_t script;
};

using ai_script_load = ai_script_fixture_t;

TEST_F(ai_script_load, numbers_place_the_commands) {
    struct case_t {
        const char *text;
        std::vector<int32_t> kinds;
    } cases[] = {
        // cmd00 and cmd03 alone: the first and second commands.
        {"def cmd00 { action: \"rest\" } def cmd03 { action: \"drink\" }", {6, 5}},
        // cmd05 after 00-04 is command 5.
        {"def cmd00 { action: \"rest\" } def cmd01 { action: \"feed\" } def cmd02 { action: \"hide\" }"
         " def cmd03 { action: \"scrape\" } def cmd04 { action: \"drink\" } def cmd05 { action: \"feed\" }",
         {6, 2, 7, 9, 5, 2}},
        // "08" is eight, so it does not replace command 0.
        {"def cmd00 { action: \"rest\" } def cmd08 { action: \"drink\" }", {6, 5}},
        // A later block of a lower number replaces that command.
        {"def cmd00 { action: \"rest\" } def cmd01 { action: \"feed\" } def cmd19 { action: \"hide\" }"
         " def cmd0 { action: \"drink\" }",
         {5, 2, 7}},
    };
    for (const case_t &c : cases) {
        read(c.text);
        EXPECT_EQ(kinds(), c.kinds) << c.text;
        EXPECT_TRUE(script.is_active());
    }
}

TEST_F(ai_script_load, bad_commands_are_reported_and_skipped) {
    struct case_t {
        const char *block;
        const char *message;
    } cases[] = {
        {"def cmdx { action: \"rest\" }", "Bad script command name."},
        {"def command { action: \"rest\" }", "Bad script command name."},
        {"def cmd { action: \"rest\" }", "Bad script command name."},
        {"def cmd20 { action: \"rest\" }", "Too many script commands."},
        {"def cmd00 { param: \"ford\" }", "MISSION SCRIPT: Command section not found!"},
        {"def cmd00 { action: \"dance\" }", "MISSION SCRIPT: Unknown command (dance)!"},
        {"def cmd00 { action: \"UNUSED!\" }", "MISSION SCRIPT: Unknown command (UNUSED!)!"},
        {"def cmd00 { action: \"fight tree\" }", "MISSION SCRIPT: Unknown command (fight tree)!"},
        {"def cmd00 { action: \"undefined\" }", "MISSION SCRIPT: Unknown command (undefined)!"},
        {"def cmd00 { action: \"move\" param: \"lake\" }", "MISSION SCRIPT: Unknown script point (lake)!"},
        {"def cmd00 { action: \"appetite\" param: \"thirst\" }", "MISSION SCRIPT: Unknown appetite (thirst)!"},
        {"def cmd00 { action: \"flee\" param: \"bear\" }", "MISSION SCRIPT: Unknown animal (bear)!"},
        {"def cmd00 { action: \"play behavior\" param: \"dance\" }", "MISSION SCRIPT: Unknown behavior (dance)!"},
    };
    for (const case_t &c : cases) {
        test::message_capture_t log;
        read(std::string(c.block) + " def cmd01 { action: \"rest\" }");
        EXPECT_TRUE(log.contains(c.message)) << c.block;
        EXPECT_EQ(kinds(), std::vector<int32_t>{6}) << c.block;
    }
}

TEST_F(ai_script_load, arguments) {
    read(R"(
def cmd00 { action: "move" param: "HILL" }
def cmd01 { action: "appetite" param: "sexual appetite" }
def cmd02 { action: "flee" param: "doe" }
def cmd03 { action: "play behavior" param: "sstand" }
def cmd04 { action: "Wander" param: "ford" }
def cmd05 { action: "move" })");
    ASSERT_EQ(script.get_command_count(), 6u);
    EXPECT_EQ(script.get_command(0).command.argument, 1);
    EXPECT_EQ(script.get_command(1).command.argument, AI_APPETITE_SEXUAL);
    EXPECT_EQ(script.get_command(2).command.argument, 1);
    EXPECT_EQ(script.get_command(2).command.target, world->get_animal(1));
    EXPECT_EQ(script.get_command(3).command.argument, 61);
    EXPECT_EQ(script.get_command(4).command.kind, AI_CMD_WANDER);
    EXPECT_EQ(script.get_command(4).command.argument, 0);
    EXPECT_EQ(script.get_command(5).command.argument, 0);  // no param: the default
}

TEST_F(ai_script_load, search_mate_needs_a_leader) {
    test::message_capture_t log;
    read("def cmd00 { action: \"search mate\" } def cmd01 { action: \"rest\" }");
    EXPECT_TRUE(log.contains("'search mate' script command specified, but this animal has no mate"));
    EXPECT_EQ(kinds(), (std::vector<int32_t>{AI_CMD_UNDEFINED, AI_CMD_REST}));
    EXPECT_EQ(script.get_current(), 1u);  // the undefined one is skipped
    host.leader_present = true;
    read("def cmd00 { action: \"search mate\" }");
    EXPECT_EQ(kinds(), std::vector<int32_t>{AI_CMD_SEARCH_MATE});
}

TEST_F(ai_script_load, the_leaders_commands_come_first_and_its_exit_blocks_stand_in) {
    ai_script_t leader;
    scripts.push_back(test::def_text(R"(def script {
def cmd00 { action: "rest" }
def cmd01 { action: "feed" }
def exit_conditions { time: "30" }
def exit_factors { fact_enemy: "4" }
})"));
    leader.load_script(*scripts.back()->find("script"), host);
    host.leader = &leader;
    host.leader_present = true;
    read("def cmd01 { action: \"drink\" } def cmd02 { action: \"search mate\" }");
    EXPECT_EQ(kinds(), (std::vector<int32_t>{AI_CMD_REST, AI_CMD_DRINK, AI_CMD_SEARCH_MATE}));
    EXPECT_FLOAT_EQ(script.get_exit_conditions().time, 30.0f);
    EXPECT_FLOAT_EQ(script.get_default_factors().facts[0], 0.4f);
    read("def cmd00 { action: \"drink\" } def exit_conditions { time: \"5\" }");
    EXPECT_FLOAT_EQ(script.get_exit_conditions().time, 5.0f);
}

TEST(ai_script_factors, keys_scales_and_unset) {
    auto pool = test::def_text(R"(def f {
fade_enemy: "2" fact_pain: "3" fact_rival_perception: "0.5" fact_call_perception: "1" status_stress: "0.25"
})");
    ai_factors_t f;
    f.read(*pool->find("f"));
    EXPECT_FLOAT_EQ(f.fades[0], 0.2f);
    EXPECT_FLOAT_EQ(f.facts[5], 0.3f);
    EXPECT_FLOAT_EQ(f.perceptions[4], 1.0f);
    EXPECT_FLOAT_EQ(f.perceptions[6], 2.0f);
    EXPECT_FLOAT_EQ(f.status_stress, 0.25f);
    EXPECT_EQ(f.fades[1], AI_UNSET);
    EXPECT_EQ(f.facts[6], AI_UNSET);
    ai_factors_t target;
    for (float &v : target.facts) v = 9.0f;
    f.apply_to(target);
    EXPECT_FLOAT_EQ(target.facts[5], 0.3f);
    EXPECT_FLOAT_EQ(target.facts[0], 9.0f);  // unset: unchanged
}

TEST(ai_script_exit, conditions) {
    auto pool = test::def_text(R"(
def hunger { val_hunger: "0.5" }
def danger { val_danger: "0.5" }
def mate { val_mate: "0.5" }
def time { time: "10" }
def total { total_time: "60" }
def nav { navigation: "2" }
def alert { alert: "1" }
def alert0 { alert: "0" }
def hit { hit: "1" }
def none { }
)");
    struct case_t {
        const char *block;
        int urge;
        float urge_value, command_time, script_time;
        int32_t navigation;
        bool alerted, hit, met;
    } cases[] = {
        {"hunger", 0, 0.6f, 0, 0, 0, false, false, true},
        {"hunger", 0, 0.5f, 0, 0, 0, false, false, false},  // not below
        {"hunger", 1, 0.9f, 0, 0, 0, false, false, false},  // another urge
        {"danger", 6, 0.6f, 0, 0, 0, false, false, true},   // danger is the flight urge
        {"danger", 5, 0.6f, 0, 0, 0, false, false, false},
        {"mate", 5, 0.6f, 0, 0, 0, false, false, true},
        {"time", 0, 0, 10.5f, 0, 0, false, false, true},
        {"time", 0, 0, 10.0f, 99, 0, false, false, false},
        {"total", 0, 0, 99, 60.5f, 0, false, false, true},
        {"total", 0, 0, 99, 59.0f, 0, false, false, false},
        {"nav", 0, 0, 0, 0, 2, false, false, true},
        {"nav", 0, 0, 0, 0, 1, false, false, false},
        {"none", 0, 0, 0, 0, 22, false, false, false},  // unset: 22, never tested
        {"alert", 0, 0, 0, 0, 0, true, false, true},
        {"alert", 0, 0, 0, 0, 0, false, true, false},
        {"alert0", 0, 0, 0, 0, 0, true, false, false},
        {"hit", 0, 0, 0, 0, 0, false, true, true},
        {"none", 0, 99, 1e30f, 1e30f, 0, true, true, false},
    };
    for (const case_t &c : cases) {
        ai_exit_conditions_t conditions;
        conditions.read(*pool->find(c.block));
        float urges[7] = {};
        urges[c.urge] = c.urge_value;
        ai_exit_state_t state;
        state.urges = urges;
        state.command_time = c.command_time;
        state.script_time = c.script_time;
        state.navigation = c.navigation;
        state.alerted = c.alerted;
        state.hit = c.hit;
        EXPECT_EQ(ai_exit_met(conditions, state), c.met) << c.block << " urge " << c.urge;
    }
}

// ---- running ----

using ai_script_run = ai_script_fixture_t;

TEST_F(ai_script_run, commands_start_repeat_move_on_and_the_script_stops) {
    read(R"(
def cmd00 { action: "rest" def conditions { time: "10" } def factors { fact_enemy: "5" status_stress: "0.7" } }
def cmd01 { action: "flee" param: "doe" }
def cmd02 { action: "drink" }
def exit_factors { fact_enemy: "1" status_stress: "0.1" }
)");
    ai_command_t command;  // undefined, forced: as the mind starts
    // Start: the running command is told to end, the first one begins.
    ASSERT_TRUE(script.script_step(command, host));
    ASSERT_EQ(host.dispatched.size(), 1u);
    EXPECT_EQ(host.dispatched[0].kind, AI_CMD_UNDEFINED);
    EXPECT_EQ(host.dispatched[0].phase, AI_PHASE_ENDING);
    EXPECT_EQ(command.kind, AI_CMD_REST);
    EXPECT_EQ(command.phase, AI_PHASE_NEW);
    EXPECT_FLOAT_EQ(host.factors.facts[0], 0.5f);
    EXPECT_FLOAT_EQ(host.stress, 0.7f);
    // Running on: the same command again, nothing dispatched here.
    host.now += 5;
    ASSERT_TRUE(script.script_step(command, host));
    EXPECT_EQ(command.kind, AI_CMD_REST);
    EXPECT_EQ(host.dispatched.size(), 1u);
    // Its time runs out: the next command starts.
    host.now += 6;
    ASSERT_TRUE(script.script_step(command, host));
    EXPECT_EQ(host.dispatched.back().kind, AI_CMD_REST);
    EXPECT_EQ(host.dispatched.back().phase, AI_PHASE_ENDING);
    EXPECT_EQ(command.kind, AI_CMD_FLEE);
    EXPECT_EQ(command.target, world->get_animal(1));
    // A forced decision moves on too.
    command.phase = AI_PHASE_FORCED;
    ASSERT_TRUE(script.script_step(command, host));
    EXPECT_EQ(command.kind, AI_CMD_DRINK);
    EXPECT_TRUE(script.is_active());
    // Past the last command the script stops: the default factors return.
    command.phase = AI_PHASE_FORCED;
    EXPECT_FALSE(script.script_step(command, host));
    EXPECT_FALSE(script.is_active());
    EXPECT_FLOAT_EQ(host.factors.facts[0], 0.1f);
    EXPECT_FLOAT_EQ(host.stress, 0.1f);
    host.stress = 0.9f;
    EXPECT_FALSE(script.script_step(command, host));
    EXPECT_FLOAT_EQ(host.stress, 0.9f);  // applied when it stopped, not on every step
    // A restart begins at the first command again.
    script.restart_script(host);
    ASSERT_TRUE(script.script_step(command, host));
    EXPECT_EQ(command.kind, AI_CMD_REST);
}

TEST_F(ai_script_run, the_scripts_exit_conditions_stop_it) {
    read(R"(
def cmd00 { action: "rest" }
def exit_conditions { total_time: "20" alert: "1" }
)");
    ai_command_t command;
    ASSERT_TRUE(script.script_step(command, host));
    host.now += 10;
    ASSERT_TRUE(script.script_step(command, host));
    script.set_alerted();
    EXPECT_FALSE(script.script_step(command, host));
    EXPECT_FALSE(script.is_active());
}

TEST_F(ai_script_run, an_empty_script_supplies_nothing) {
    read("");
    ai_command_t command;
    EXPECT_FALSE(script.is_active());
    EXPECT_FALSE(script.script_step(command, host));
    EXPECT_TRUE(host.dispatched.empty());
    read("def cmd00 { action: \"search mate\" }");  // only an undefined command
    EXPECT_TRUE(script.is_active());
    EXPECT_FALSE(script.script_step(command, host));
    EXPECT_FALSE(script.is_active());
    EXPECT_TRUE(host.dispatched.empty());
}

}  // namespace
}  // namespace quarn
