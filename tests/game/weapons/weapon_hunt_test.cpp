// A rifle in a running hunt: without a host of its own it reaches the hunt through the
// module's row, which counts its shots and shows the reload prompt.
#include "../hunt/hunt_fixture.h"
#include "game/game_module.h"
#include "game/weapons/hunt_weapon_host.h"
#include "game/weapons/weapon_rifle.h"

namespace quarn::test {
namespace {

class rifle_in_hunt : public hunt_fixture_t {
protected:
    void SetUp() override {
        hunt_fixture_t::SetUp();
        install_rows();
        rows.push_back(game_factory_row(WEAPON_HOST_FACTORY, &hunt_weapon_host));
        rows_list = {"hunt_test_rows", rows.data(), uint32_t(rows.size())};
        game_module_set_rows(nullptr);
        ASSERT_TRUE(rows_table.build(&rows_list));
        game_module_set_rows(&rows_table);
        make_all_voices();
        put_start_points("start_point : start.a { }\n");
        ASSERT_NE(start_hunt(), nullptr);
        hunt->load_round(make_round(100, 1000));
        take_journal();
    }
    void TearDown() override {
        rifle.reset();
        hunt_fixture_t::TearDown();
    }
    owner_ptr_t<weapon_rifle_u> rifle;
};

TEST_F(rifle_in_hunt, shots_are_counted_by_the_hunt_and_an_empty_clip_asks_for_a_reload) {
    rifle = weapon_rifle_u::create();
    rifle->set_behavior_index(weapon_u::B_FIRE, 0);
    rifle->ammo_max = 1;
    rifle->ammo_char = "R";
    ASSERT_EQ(rifle->get_host(), hunt_weapon_host(hunt));
    rifle->raise();
    rifle->notify(ZBA_NOTICE_ENDED, zba_value_t{}, 0);
    ASSERT_EQ(rifle->get_state(), item_u::STATE_READY);

    rifle->fire();
    EXPECT_EQ(hunt->get_round_score()->shots, 1u) << "after_shot";
    rifle->notify(ZBA_NOTICE_ENDED, zba_value_t{}, 0);
    rifle->update(0.01f);
    rifle->update(0.01f);  // no cycling behaviour: ready
    ASSERT_EQ(rifle->get_state(), item_u::STATE_READY);
    take_journal();
    rifle->fire();
    EXPECT_NE(take_journal().find("hud.reload"), std::string::npos);
    EXPECT_EQ(hunt->get_round_score()->shots, 1u) << "nothing shot";

    // Any other controller has no host.
    EXPECT_EQ(hunt_weapon_host(nullptr), nullptr);
}

}  // namespace
}  // namespace quarn::test
