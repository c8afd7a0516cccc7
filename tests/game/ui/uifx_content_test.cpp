// The effect instances of "/script/hookup/0_uifx.unit": every name the screens use
// exists with its class, and each one's clone runs a few seconds of frames over a
// text without a rectangle that is not a number.
#include <gtest/gtest.h>

#include <cmath>

#include "game/game_module.h"
#include "game/ui/effects/uifx_hookup.h"
#include "ui_fixture.h"
#include "uifx_fixture.h"

namespace quarn::test {
namespace {

class uifx_content : public ui_fixture_t {
protected:
    void SetUp() override {
        ui_fixture_t::SetUp();
        system = new unit_system_t(bank);
        system->set_default();
        ASSERT_TRUE(register_uifx_classes(bank));
    }
    void TearDown() override {
        game_module_uifx_hookup().clear();
        unit_system_t::clean_garbage();
        delete system;
        ui_fixture_t::TearDown();
    }
    unit_bank_t bank;
    unit_system_t *system = nullptr;
};

TEST_F(uifx_content, the_hookup_holds_every_instance_the_screens_name) {
    messages.clear();
    ASSERT_TRUE(uifx_load_hookup());
    EXPECT_TRUE(messages.entries().empty()) << messages.entries().front().text;
    EXPECT_GT(game_module_uifx_hookup().get_count(), 20u);
    const struct {
        const char *name;
        const unit_descriptor_t *type;
    } names[] = {
        {"uifx.scale.ghost", &uifx_scale_u::unit_descriptor},
        {"uifx.scale.shrink", &uifx_scale_u::unit_descriptor},
        {"uifx.scale.fadein", &uifx_scale_u::unit_descriptor},
        {"uifx.scale.fadeout", &uifx_scale_u::unit_descriptor},
        {"uifx.scale.fever.txt", &uifx_scale_u::unit_descriptor},
        {"uifx.scale.fever.img", &uifx_scale_u::unit_descriptor},
        {"uifx.scale.gift", &uifx_scale_u::unit_descriptor},
        {"uifx.scale.pointer", &uifx_scale_u::unit_descriptor},
        {"uifx.smoke.pointer", &uifx_smoke_u::unit_descriptor},
        {"uifx.composite.reload", &uifx_composite_u::unit_descriptor},
        {"uifx.composite.message", &uifx_composite_u::unit_descriptor},
        {"uifx.composite.score.flag.0", &uifx_composite_u::unit_descriptor},
        {"uifx.composite.score.flag.1", &uifx_composite_u::unit_descriptor},
        {"uifx.composite.score.flag.2", &uifx_composite_u::unit_descriptor},
        {"uifx.composite.credits", &uifx_composite_u::unit_descriptor},
        {"uifx.composite.fadein.bonus", &uifx_composite_u::unit_descriptor},
        {"uifx.composite.splash.tzk.ghost", &uifx_composite_u::unit_descriptor},
        {"uifx.score.normal", &uifx_score_u::unit_descriptor},
        {"uifx.score.fever_mult", &uifx_score_u::unit_descriptor},
        {"uifx.scroll", &uifx_scroll_u::unit_descriptor},
        {"uifx.button.focus", &uifx_button_focus_u::unit_descriptor},
        {"uifx.nop.1", &uifx_nop_u::unit_descriptor},
        {"uifx.nop.forever", &uifx_nop_u::unit_descriptor},
    };
    zml_buffer_t text;
    ASSERT_TRUE(zml_render_to(text, "Points 1200", {400, 600, 400, 380}));
    r_queue_t *queue = gfx_queue_alloc();
    for (const auto &n : names) {
        SCOPED_TRACE(n.name);
        unit_t *u = unit_system_t::find_unit(n.name);
        ASSERT_NE(u, nullptr);
        EXPECT_TRUE(u->is_kind_of(*n.type));
        owner_ptr_t<zml_effect_u> e(unit_cast<zml_effect_u>(u->clone()));
        ASSERT_TRUE(e);
        e->start(text);
        for (int frame = 0; frame < 300; ++frame) {
            e->update(0.02f, text);
            gfx_queue_flush(queue);
            e->draw(queue);
            for (const r_ui_record_t &r : queue->ui_records)
                ASSERT_FALSE(std::isnan(r.left) || std::isnan(r.right) || std::isnan(r.top) || std::isnan(r.bottom));
        }
    }
    gfx_queue_free(queue);
    // The "_nameless" parts stay inside their composites.
    uifx_composite_u *splash = unit_cast<uifx_composite_u>(unit_system_t::find_unit("uifx.composite.splash.tzk.ghost"));
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->get_clone_count(), 4u);
    // Loading again replaces the hookup.
    ASSERT_TRUE(uifx_load_hookup());
    EXPECT_TRUE(messages.entries().empty());
}

}  // namespace
}  // namespace quarn::test
