#include "player_fixture.h"

#include <cstdio>

#include "game/game_module.h"
#include "game/scene/current_ctrl.h"
#include "game/world/landscape.h"
#include "game/world/landscape_folder.h"
#include "../world/map_fixtures.h"
#include "kernel/console/cvars.h"
#include "kernel/gfx/gfx.h"
#include "qrncore/qrnutils/substance/substance_db.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "game/weapons/hunt_weapon_host.h"
#include "game/world/world.h"
#include "kernel/input/input.h"
#include "kernel/sys.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"

namespace quarn::test {

QRN_UNIT_DEFINE(counting_rifle_u, "counting_rifle");

namespace {

// The substance list of "/material/material.db".
const char *SUBSTANCES = "0: default\n1: flesh\n2: concrete\n3: snow\n4: meadow\n5: grass\n6: planks\n7: leaves\n"
                         "8: wood\n9: dirt\n10: sand\n11: moss\n12: mud_dry\n13: gravel\n14: rock\n15: metal\n"
                         "16: water\n17: ice\n";

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

    gfx_start();
    cvar_register_variable(&chunks_variable);
    ASSERT_TRUE(write_file(map_base.file("material/material.db"), SUBSTANCES));
    ASSERT_TRUE(write_map(flat_map(), "hunt", map_base.path()));
    map_mount = ufs_mount(FS_DEVICE_DIRECTORY, map_base.file("map").c_str(), "/map", false, 0);
    material_mount = ufs_mount(FS_DEVICE_DIRECTORY, map_base.file("material").c_str(), "/material", false, 0);
    ASSERT_TRUE(map_mount && material_mount);
    set_substance_file("/material/material.db");
    substance_db_request();
    make_voice("vo.death");
}

void player_fixture_t::TearDown() {
    inp_reset_impulses();
    ui_shutdown();
    set_current_ctrl(nullptr);
    player = nullptr;
    rifles.clear();
    unit_system_t::clean_garbage();
    landscape_folder_free_unreferenced();
    substance_db_release();
    gfx_stop();
    cvar_unregister_variable(&chunks_variable);
    if (map_mount) ufs_unmount(map_mount);
    if (material_mount) ufs_unmount(material_mount);
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

std::string player_fixture_t::flat_map() {
    return std::string(MAP_TERRAIN) + R"(
def landscape {
    area: "-16 -16 32 32"
    spacing: "4"
    material: "meadow"
}
)";
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
