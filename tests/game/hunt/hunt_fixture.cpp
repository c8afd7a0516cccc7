#include "hunt_fixture.h"

#include <cstdio>

#include "game/game_module.h"
#include "game/round/target_spawners.h"
#include "game/scene/current_ctrl.h"
#include "game/ui/ui_classes.h"
#include "game/voiceover/voiceover.h"
#include "game/world/start_point.h"
#include "kernel/hw_devices.h"
#include "kernel/sound/sound.h"
#include "outside/sonbase/sonbase.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/dl_lib.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"

namespace quarn::test {

QRN_UNIT_DEFINE(test_hunt_ctrl_u, "test_hunt_ctrl");
QRN_UNIT_DEFINE(test_bonus_u, "test_bonus");
QRN_UNIT_DEFINE(sunglasses_bonus_u, "sunglasses_bonus");
QRN_UNIT_DEFINE(goggles_bonus_u, "goggles_bonus");
QRN_UNIT_DEFINE(fever_bonus_u, "fever_bonus");
QRN_UNIT_DEFINE(blocker_bonus_u, "blocker_bonus");
QRN_UNIT_DEFINE(chain_bonus_u, "chain_bonus");
QRN_UNIT_DEFINE(speed_gift_u, "speed_gift");
QRN_UNIT_DEFINE(test_target_u, "test_target");

namespace {

constexpr entity_reg_t TEST_HUD = game_ui_reg<recording_hud_t>("ui.test.hud");

std::string printed(const char *format, ...) __attribute__((format(printf, 1, 2)));
std::string printed(const char *format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

hunter_t *make_hunter(hunt_ctrl_u &) { return new recording_hunter_t; }

owner_ptr_ret_t<target_u> spawn_warning_animal(unit_base_t *, trail_u *, const char *, uint32_t) {
    owner_ptr_ret_t<test_target_u> target = test_target_u::create();
    target->warns = true;
    target->warn_position = {0.0f, 0.0f, -30.0f};
    return target;
}

}  // namespace

std::string take_journal() {
    std::string out;
    for (const std::string &line : hunt_journal) out += (out.empty() ? "" : " | ") + line;
    hunt_journal.clear();
    return out;
}

void recording_hunter_t::set_yaw_range(const start_point_u *start) {
    hunt_journal.push_back(printed("hunter.yaw_range %g", start ? double(start->get_view_limit()) : -1.0));
}

void recording_hud_t::show_penalty(uint32_t points) { hunt_journal.push_back(printed("hud.penalty %u", points)); }
void recording_hud_t::show_shot_score(uint32_t points, uint32_t flags) {
    hunt_journal.push_back(printed("hud.score %u flags %u", points, flags));
}
void recording_hud_t::show_message(const char *text, int32_t priority) {
    hunt_journal.push_back(printed("hud.message %s %d", text, priority));
}
void recording_hud_t::show_gift_received(const char *gift_name, const char *sender_name) {
    hunt_journal.push_back(printed("hud.gift %s from %s", gift_name, sender_name));
}
void recording_hud_t::show_danger(int32_t side) { hunt_journal.push_back(printed("hud.danger %d", side)); }

void test_bonus_u::apply() { hunt_journal.push_back(std::string(type_name()) + ".apply"); }

void test_bonus_u::remove() {
    hunt_journal.push_back(std::string(type_name()) + ".remove");
    if (unit_cast<chain_bonus_u>(this)) {
        if (auto *hunt = unit_cast<hunt_ctrl_u>(get_current_ctrl())) hunt->end_bonuses_of_kind(1);
    }
}

uint32_t test_bonus_u::get_kind_bits() const {
    if (unit_cast<sunglasses_bonus_u>(const_cast<test_bonus_u *>(this))) return 1;
    if (unit_cast<goggles_bonus_u>(const_cast<test_bonus_u *>(this))) return 1;
    if (unit_cast<fever_bonus_u>(const_cast<test_bonus_u *>(this))) return 2;
    if (unit_cast<blocker_bonus_u>(const_cast<test_bonus_u *>(this))) return 4;
    return 8;
}

uint32_t test_bonus_u::get_blocked_bits() const {
    return unit_cast<blocker_bonus_u>(const_cast<test_bonus_u *>(this)) ? 2 | 8 : 0;
}

void hunt_fixture_t::SetUp() {
    ui_fixture_t::SetUp();
    unit_system_t *system = unit_system_t::get_default();
    ASSERT_NE(system, nullptr);
    unit_bank_t &bank = system->get_bank();
    ASSERT_TRUE(test_hunt_ctrl_u::register_class(bank));
    ASSERT_TRUE(start_point_u::register_class(bank));
    ASSERT_TRUE(sunglasses_bonus_u::register_class(bank));
    ASSERT_TRUE(goggles_bonus_u::register_class(bank));
    ASSERT_TRUE(fever_bonus_u::register_class(bank));
    ASSERT_TRUE(blocker_bonus_u::register_class(bank));
    ASSERT_TRUE(chain_bonus_u::register_class(bank));
    ASSERT_TRUE(speed_gift_u::register_class(bank));
    sonbase_init(dl_lib_t::get_main_handle());
    snd_start(&bank, system);
    hw_device_insert(&sound_device);
    ASSERT_TRUE(snd_init_devices());
    ASSERT_TRUE(entity_register(&TEST_HUD));
    layout("/ui/ghud.esc", "entity ui.window { coords: \"0 0 10 10\" }\nentity ui.test.hud { }\n");
    ASSERT_TRUE(write_file(maps_dir.file(".keep"), ""));
    maps = ufs_mount(FS_DEVICE_DIRECTORY, maps_dir.path().c_str(), "/map/hunt", false, 70);
    ASSERT_NE(maps, nullptr);
    data = std::make_unique<game_data_t>();
    data->reset_scores();
    set_game_data(data.get());
    hunt_journal.clear();
    test_hunt_ctrl_u::table = nullptr;
    test_target_u::warnings_on = true;
    install_rows();
}

void hunt_fixture_t::TearDown() {
    ui_shutdown();
    set_current_ctrl(nullptr);
    hunt = nullptr;
    held.clear();
    set_game_data(nullptr);
    data.reset();
    game_module_set_rows(nullptr);
    entity_unregister(&TEST_HUD);
    snd_shutdown_devices();
    snd_stop();
    hw_device_remove(&sound_device);
    if (maps) ufs_unmount(maps);
    unit_system_t::clean_garbage();
    ui_fixture_t::TearDown();
    sonbase_shutdown();
}

void test_target_u::update(float) {
    if (!warns || !warnings_on) return;
    if (auto *hunt = unit_cast<hunt_ctrl_u>(get_current_ctrl()))
        hunt->warn_danger(warn_position.x, warn_position.y, warn_position.z, false);
}

void hunt_fixture_t::install_rows(bool hunter, bool animals) {
    rows.clear();
    if (hunter) rows.push_back(game_factory_row(HUNTER_FACTORY, &make_hunter));
    if (animals) rows.push_back(game_factory_row(ANIMAL_TARGET_SPAWNER, &spawn_warning_animal));
    rows_list = {"hunt_test_rows", rows.data(), uint32_t(rows.size())};
    game_module_set_rows(nullptr);
    EXPECT_TRUE(rows_table.build(rows.empty() ? nullptr : &rows_list));
    game_module_set_rows(&rows_table);
}

test_hunt_ctrl_u *hunt_fixture_t::start_hunt(bool activate) {
    set_current_ctrl(test_hunt_ctrl_u::create());
    hunt = unit_cast<test_hunt_ctrl_u>(get_current_ctrl());
    if (!hunt) return nullptr;
    if (activate) hunt->activate();
    hunt->show_hud();
    return hunt;
}

voiceover_table_u *hunt_fixture_t::make_voice(const std::string &name, uint32_t priority) {
    owner_ptr_t<voiceover_table_u> table(voiceover_table_u::create());
    EXPECT_TRUE(table->set_name(name.c_str())) << name;
    table->priority = priority;
    owner_ptr_t<voiceover_u> line(voiceover_u::create());
    line->text = name.c_str();
    line->sound_file = ("sound/" + name + ".ogg").c_str();
    table->voiceovers.append(owner_ptr_t<unit_base_t>(std::move(line)));
    voiceover_table_u *made = table.get();
    held.emplace_back(std::move(table));
    return made;
}

void hunt_fixture_t::make_all_voices() {
    for (const char *name : {"vo.bad_shot", "vo.hit", "vo.illegal_shot", "vo.skillshot", "vo.relief", "vo.trophy_buck",
                             "vo.good_shot", "vo.new_record", "vo.kill.chain", "vo.missed", "vo.danger",
                             "vo.danger.left", "vo.danger.right"})
        make_voice(name);
}

trail_u *hunt_fixture_t::make_trail(const std::string &name, const std::vector<vec3_t> &nodes) {
    owner_ptr_t<trail_u> trail(trail_u::create());
    EXPECT_TRUE(trail->set_name(name.c_str())) << name;
    for (const vec3_t &p : nodes) {
        trail->m_position.append(p);
        trail->m_rotation.append(quat_t());
        trail->m_speed.append(1.0f);
        trail->m_behavior.append(BEHAVIOR_walk);
    }
    EXPECT_TRUE(trail->prepare());
    trail_u *made = trail.get();
    held.emplace_back(std::move(trail));
    return made;
}

void hunt_fixture_t::set_best_score(uint32_t best) {
    owner_ptr_t<score_table_u> table(score_table_u::create());
    owner_ptr_t<score_u> entry(score_u::create());
    entry->score = best;
    table->scores.append(owner_ptr_t<unit_base_t>(std::move(entry)));
    test_hunt_ctrl_u::table = table.get();
    held.emplace_back(std::move(table));
}

void hunt_fixture_t::put_start_points(const std::string &units) {
    ASSERT_TRUE(write_file(maps_dir.file("landscape.start.unit"), "RozErere\n{\n" + units + "}\n"));
}

owner_ptr_ret_t<round_logic_u> hunt_fixture_t::make_round(uint32_t time_limit, uint32_t kill_limit) {
    owner_ptr_ret_t<round_logic_u> round = round_logic_u::create();
    round->map_name = "hunt";
    round->start_point_name = "start.a";
    round->time_limit = time_limit;
    round->kill_limit = kill_limit;
    round->target_count = 0;
    return round;
}

void hunt_fixture_t::run(float dt, int n) {
    for (int i = 0; i < n; ++i) hunt->update(dt);
}

std::string hunt_fixture_t::sounds() {
    snd_update_state();
    std::string out;
    for (; m_sound_calls < sound_device.calls.size(); ++m_sound_calls) {
        const std::string &call = sound_device.calls[m_sound_calls];
        if (call.rfind("play ", 0) != 0) continue;
        const std::string resource = call.substr(5);
        float volume = -1.0f;
        if (recording_channel_t *c = sound_device.channel(resource); c && !c->sent.empty()) volume = c->sent.back().volume;
        out += (out.empty() ? "" : " | ") + printed("%s %g", resource.c_str(), double(volume));
    }
    return out;
}

}  // namespace quarn::test
