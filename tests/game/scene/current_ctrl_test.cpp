// The module's current controller: held until replaced, never handed out dead, and
// still current while it is torn down.
#include <gtest/gtest.h>

#include "game/scene/current_ctrl.h"
#include "game/scene/scene_fixture.h"

namespace quarn::test {
namespace {

using current_ctrl = scene_fixture_t;

TEST_F(current_ctrl, answers_the_held_controller_and_null_for_none_or_a_dead_one) {
    EXPECT_EQ(get_current_ctrl(), nullptr);
    owner_ptr_ret_t<test_ctrl_u> made = test_ctrl_u::create();
    test_ctrl_u *ctrl = made.get();
    set_current_ctrl(std::move(made));
    EXPECT_EQ(get_current_ctrl(), ctrl);
    EXPECT_TRUE(ctrl->is_owned());

    ref_ptr_t<test_ctrl_u> watch(ctrl);
    ctrl->destroy();  // someone ended it behind the holder's back
    EXPECT_EQ(get_current_ctrl(), nullptr);
    set_current_ctrl(nullptr);
    EXPECT_EQ(get_current_ctrl(), nullptr);
    EXPECT_EQ(watch->get_count(), 1) << "the holder let its count go";
}

// Notes which controller was current while its windows closed (the last teardown step).
class noting_ctrl_u : public test_ctrl_u {
    QRN_UNIT_CLASS(noting_ctrl_u, test_ctrl_u);

public:
    void close_windows() override { current_at_close = get_current_ctrl(); }
    static inline base_ctrl_u *current_at_close = nullptr;
};
QRN_UNIT_DEFINE(noting_ctrl_u, "noting_ctrl");

TEST_F(current_ctrl, replacing_tears_the_old_one_down_while_it_is_still_current) {
    owner_ptr_ret_t<noting_ctrl_u> first = noting_ctrl_u::create();
    noting_ctrl_u *old = first.get();
    ref_ptr_t<noting_ctrl_u> watch(old);
    set_current_ctrl(std::move(first));
    owner_ptr_ret_t<test_ctrl_u> second = test_ctrl_u::create();
    test_ctrl_u *next = second.get();
    ref_ptr_t<test_ctrl_u> watch_next(next);
    set_current_ctrl(std::move(second));
    EXPECT_EQ(noting_ctrl_u::current_at_close, old);
    EXPECT_FALSE(watch->is_alive());
    EXPECT_EQ(get_current_ctrl(), next);
    set_current_ctrl(nullptr);
    EXPECT_FALSE(watch_next->is_alive());
    EXPECT_EQ(get_current_ctrl(), nullptr);
}

}  // namespace
}  // namespace quarn::test
