#include "player_fixture.h"

#include <cstdio>

#include "game/game_module.h"
#include "game/scene/current_ctrl.h"
#include "game/world/landscape.h"
#include "game/weapons/hunt_weapon_host.h"
#include "game/world/world.h"
#include "kernel/input.h"
#include "kernel/sys.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"

namespace quarn::test {

QRN_UNIT_DEFINE(counting_rifle_u, "counting_rifle");

namespace {

hunter_t *make_player(hunt_ctrl_u &hunt) { return new player_t(hunt); }

}  // namespace

void rifle_journal_t::played(uint32_t slot) { lines.push_back(owner + " " + weapon_u::behavior_names[slot]); }

std::string rifle_journal_t::take() {
    std::string out;
    for (const std::string &line : lines) out += (out.empty() ? "" : " | ") + line;
    lines.clear();
    return out;
}

void player_fixture_t::SetUp() {
    hunt_fixture_t::SetUp();
    unit_bank_t &bank = unit_system_t::get_default()->get_bank();
    ASSERT_TRUE(bank.register_class(&world_u::unit_descriptor));
    ASSERT_TRUE(counting_rifle_u::register_class(bank));
    rows.clear();
    rows.push_back(game_factory_row(HUNTER_FACTORY, &make_player));
    rows.push_back(game_factory_row(WEAPON_HOST_FACTORY, &hunt_weapon_host));
    rows_list = {"player_test_rows", rows.data(), uint32_t(rows.size())};
    game_module_set_rows(nullptr);
    ASSERT_TRUE(rows_table.build(&rows_list));
    game_module_set_rows(&rows_table);
    inp_reset_impulses();
    inp_set_mouse_sensitivity(1.0f);
    make_all_voices();
    make_voice("vo.death");
}

void player_fixture_t::TearDown() {
    inp_reset_impulses();
    ui_shutdown();
    set_current_ctrl(nullptr);
    player = nullptr;
    rifles.clear();
    unit_system_t::clean_garbage();
    if (unit_system_t *system = unit_system_t::get_default()) {
        system->get_bank().unregister_class(&counting_rifle_u::unit_descriptor);
        system->get_bank().unregister_class(&world_u::unit_descriptor);
    }
    hunt_fixture_t::TearDown();
}

counting_rifle_u *player_fixture_t::make_rifle(const char *name, const vec4_t &recoil) {
    owner_ptr_t<counting_rifle_u> rifle(counting_rifle_u::create());
    EXPECT_TRUE(rifle->set_name(name)) << name;
    for (uint32_t slot = 0; slot < weapon_u::BEHAVIOR_COUNT; ++slot) rifle->set_behavior_index(slot, int32_t(slot));
    rifle->ammo_max = 5;
    rifle->ammo_char = "R";
    rifle->recoil_setup = recoil;
    rifle->set_observer(&journal);
    counting_rifle_u *made = rifle.get();
    rifles.emplace_back(std::move(rifle));
    return made;
}

player_t *player_fixture_t::start(float yaw, float view_limit) {
    quat_t facing;
    facing.set(ypr_t(yaw, 0.0f, 0.0f));
    char start_point[200];
    snprintf(start_point, sizeof start_point,
             "start_point : start.a { placement: (0, 0, 0) 1 (%.9g; %.9g, %.9g, %.9g) view_limit: %g }\n",
             double(facing.w), double(facing.x), double(facing.y), double(facing.z),
             double(view_limit < 0.0f ? 55.0f : view_limit));
    put_start_points(start_point);
    set_current_ctrl(test_hunt_ctrl_u::create());
    hunt = unit_cast<test_hunt_ctrl_u>(get_current_ctrl());
    if (!hunt) return nullptr;
    player = dynamic_cast<player_t *>(hunt->get_hunter());
    EXPECT_NE(player, nullptr);
    if (!player) return nullptr;
    EXPECT_TRUE(hunt->load_round(make_round(100, 1000)));
    hunt->activate();
    if (view_limit < 0.0f) player->set_yaw_range(nullptr);
    frame();
    return player;
}

void player_fixture_t::frame(float dt) {
    clock.usec += uint64_t(double(dt) * 1e6 + 0.5);
    sys_frame();
    hunt->update(dt);
}

void player_fixture_t::impulse(int code, float value) {
    if (inp_impulse_t *entry = _inp_get_impulse_code(code)) entry->value = value;
}

void player_fixture_t::end_animation(weapon_u *rifle) { rifle->notify(ZBA_NOTICE_ENDED, zba_value_t{}, 0); }

}  // namespace quarn::test
