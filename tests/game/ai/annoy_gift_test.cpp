// The annoy gift over the shipped animal descriptions: the table's round of animals,
// the head with its antlers in the view, and the call at 0.3 of the way.
#include <gtest/gtest.h>

#include <string>

#include "animal_body_fixture.h"
#include "game/ai/zba/zba_inst.h"
#include "game/hunt/annoy_gift.h"

namespace quarn::test {
namespace {

class annoy_gift : public animal_body_fixture_t {
protected:
    void SetUp() override {
        animal_body_fixture_t::SetUp();
        ASSERT_TRUE(load_hookups());
        previous_row = annoy_gift_u::get_last_row();
    }
    void TearDown() override {
        annoy_gift_u::set_last_row(previous_row);
        animal_body_fixture_t::TearDown();
    }
    uint32_t previous_row = 0;
};

TEST_F(annoy_gift, the_animals_come_round_from_the_moose_and_a_head_with_antlers_is_drawn) {
    struct case_t {
        const char *desc;
        uint32_t antlers;
    };
    const case_t expected[] = {
        {"moose.male.animal.model.desc", 0},   {"whitetail.male.animal.model.desc", 2},
        {"whitetail.female.animal.model.desc", 0}, {"grizzly.male.animal.model.desc", 0},
        {"moose.male.animal.model.desc", 0},
    };
    // As at program start. Only the whitetail buck carries antlers in the content.
    annoy_gift_u::set_last_row(0);
    uint32_t doe_records = 0, buck_records = 0;
    for (const case_t &c : expected) {
        SCOPED_TRACE(c.desc);
        owner_ptr_t<annoy_gift_u> gift(annoy_gift_u::create());
        gift->apply();
        ASSERT_NE(gift->get_desc(), nullptr);
        mstring_dyn_t name;
        ASSERT_TRUE(gift->get_desc()->get_name(name));
        EXPECT_STREQ(name.c_str(), c.desc);
        EXPECT_EQ(gift->get_antler_count(), c.antlers);
        EXPECT_TRUE(gift->has_overlay_pass());
        gift->update(2.0f);
        EXPECT_FLOAT_EQ(gift->get_strength(), 1.0f) << "fully up halfway";
        const uint32_t records = frame([&] { gift->draw_overlay(); }).draw_count();
        EXPECT_GT(records, 0u);
        if (std::string(c.desc) == "whitetail.male.animal.model.desc") buck_records = records;
        if (std::string(c.desc) == "whitetail.female.animal.model.desc") doe_records = records;
        gift->remove();
        EXPECT_FALSE(gift->has_overlay_pass());
        EXPECT_EQ(frame([&] { gift->draw_overlay(); }).draw_count(), 0u) << "nothing once removed";
    }
    EXPECT_GT(buck_records, doe_records) << "the buck's antlers are drawn with its head";
}

TEST_F(annoy_gift, the_head_rises_calls_at_three_tenths_and_sinks) {
    struct case_t {
        float progress, rise;
    };
    for (const case_t &c : {case_t{0.0f, 0.0f}, case_t{0.1f, 0.25f}, case_t{0.2f, 1.0f}, case_t{0.5f, 1.0f},
                            case_t{0.9f, 0.5f}, case_t{1.0f, 0.0f}})
        EXPECT_NEAR(annoy_gift_u::rise_for(c.progress), c.rise, 1e-5f) << c.progress;

    annoy_gift_u::set_last_row(1);  // the whitetail buck next
    owner_ptr_t<annoy_gift_u> gift(annoy_gift_u::create());
    gift->apply();
    ASSERT_EQ(gift->get_row(), 2);
    const int32_t call = gift->get_desc()->find_behavior(annoy_gift_u::CALL_BEHAVIOR);
    ASSERT_GE(call, 0);
    zba_inst_t *head = gift->get_zba();
    ASSERT_NE(head, nullptr);
    gift->update(1.25f);  // progress 0.25
    EXPECT_NEAR(gift->get_strength(), 1.0f, 1e-5f);
    EXPECT_NE(head->get_behavior(0), call);
    gift->update(0.25f);  // 0.3: the call
    EXPECT_EQ(head->get_behavior(0), call);
    gift->update(3.5f);
    EXPECT_TRUE(gift->is_finished());
}

}  // namespace
}  // namespace quarn::test
