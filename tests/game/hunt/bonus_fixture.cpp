#include "bonus_fixture.h"

#include <cstdio>

#include "game/game_module.h"
#include "game/scene/current_ctrl.h"
#include "game/hunt/annoy_gift.h"
#include "game/hunt/fever_bonus.h"
#include "game/hunt/hunt_bonuses.h"
#include "game/hunt/party_gifts.h"
#include "game/ui/ui_classes.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"

namespace quarn::test {

namespace {

constexpr entity_reg_t BONUS_HUD = game_ui_reg<bonus_hud_t>("ui.test.bonus_hud");
constexpr vec4_t RECOIL{-0.03f, 0.02f, 0.5f, 0.3f};

const unit_descriptor_t *const stand_ins[] = {
    &sunglasses_bonus_u::unit_descriptor,
    &fever_bonus_u::unit_descriptor,
    &speed_gift_u::unit_descriptor,
};

const unit_descriptor_t *const real_classes[] = {
    &quarn::quick_shooter_bonus_u::unit_descriptor, &quarn::weapon_3030_bonus_u::unit_descriptor,
    &quarn::weapon_7mm_bonus_u::unit_descriptor,    &quarn::extended_clip_bonus_u::unit_descriptor,
    &quarn::sunglasses_bonus_u::unit_descriptor,    &quarn::fever_bonus_u::unit_descriptor,
    &quarn::annoy_gift_u::unit_descriptor,          &quarn::shake_gift_u::unit_descriptor,
    &quarn::speed_gift_u::unit_descriptor,          &quarn::cloak_gift_u::unit_descriptor,
    &quarn::handswap_gift_u::unit_descriptor,       &quarn::headstand_gift_u::unit_descriptor,
};

}  // namespace

void bonus_hud_t::set_bonus(uint32_t slot, bool on, const expire_timer_t *timer, const char *label) {
    char line[96];
    snprintf(line, sizeof line, "hud.bonus %u %s%s%s", slot, on ? "on" : "off", label ? " " : "", label ? label : "");
    hunt_journal.push_back(line);
    slots[slot] = on ? timer : nullptr;
}

void bonus_hud_t::set_fever(const expire_timer_t *timer) {
    hunt_journal.push_back(timer ? "hud.fever on" : "hud.fever off");
    fever = timer;
}

void bonus_fixture_t::SetUp() {
    player_fixture_t::SetUp();
    unit_bank_t &bank = unit_system_t::get_default()->get_bank();
    for (const unit_descriptor_t *d : stand_ins) ASSERT_TRUE(bank.unregister_class(d));
    for (const unit_descriptor_t *d : real_classes) ASSERT_TRUE(bank.register_class(d));
    ASSERT_TRUE(entity_register(&BONUS_HUD));
    layout("/ui/ghud.esc", "entity ui.window { coords: \"0 0 10 10\" }\nentity ui.test.bonus_hud { }\n");
    bonus_hud_t::slots.clear();
    bonus_hud_t::fever = nullptr;
    bolt = make_rifle("3006_bolt", RECOIL);
    lever = make_rifle("3030_lever", RECOIL);
    autoloader = make_rifle("7mm_auto", RECOIL);
    for (const char *cue : {"vo.quick.shooter", "vo.weapon.bonus", "vo.extended.clip", "vo.sunglasses", "vo.gift"})
        make_voice(cue);
}

void bonus_fixture_t::TearDown() {
    // The hunt and its bonuses go before their classes do.
    ui_shutdown();
    set_current_ctrl(nullptr);
    unit_system_t::clean_garbage();
    if (unit_system_t *system = unit_system_t::get_default()) {
        for (const unit_descriptor_t *d : real_classes) system->get_bank().unregister_class(d);
    }
    entity_unregister(&BONUS_HUD);
    player_fixture_t::TearDown();
}

std::string bonus_fixture_t::active_bonuses() const {
    std::string out;
    for (uint32_t i = 0; i < hunt->get_bonus_count(); ++i)
        out += (out.empty() ? "" : " ") + std::string(hunt->get_bonus(i)->get_descriptor()->class_name->c_str());
    return out;
}

void bonus_fixture_t::settle_on(weapon_u *rifle) {
    for (int i = 0; i < 30 && player->get_weapon() != rifle; ++i) {
        if (weapon_u *held = player->get_weapon()) end_animation(held);
        frame();
    }
}

}  // namespace quarn::test
