#include <gtest/gtest.h>

#include "outside/visbase/render.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

r_view_t view_of(float x, float width) {
    r_view_t v;
    v.x = x;
    v.width = width;
    return v;
}

// A frame pushes the view it draws in; popping gives the view before it back, also
// after the frame selected other views meanwhile. Pushing past the depth and popping
// nothing are refused without changing the current view.
TEST(view_stack, push_saves_pop_restores_and_the_ends_are_refused) {
    message_capture_t log;
    gfx_view_set(view_of(1, 100));
    ASSERT_TRUE(gfx_view_push(view_of(2, 200)));
    EXPECT_EQ(gfx_view_get().x, 2.0f);
    gfx_view_set(view_of(3, 300));
    ASSERT_TRUE(gfx_view_pop());
    EXPECT_EQ(gfx_view_get().x, 1.0f);
    EXPECT_EQ(gfx_view_get().width, 100.0f);

    EXPECT_FALSE(gfx_view_pop());
    EXPECT_TRUE(log.contains("[gfx] View stack underflow: no view was pushed"));
    EXPECT_EQ(gfx_view_get().x, 1.0f);
    for (uint32_t i = 0; i < GFX_VIEW_STACK_DEPTH; ++i) EXPECT_TRUE(gfx_view_push(view_of(float(10 + i), 1)));
    EXPECT_FALSE(gfx_view_push(view_of(99, 1)));
    EXPECT_TRUE(log.contains("[gfx] View stack overflow"));
    EXPECT_EQ(gfx_view_get().x, float(10 + GFX_VIEW_STACK_DEPTH - 1));
    while (gfx_view_depth() > 0) gfx_view_pop();
    EXPECT_EQ(gfx_view_get().x, 1.0f);
    gfx_view_set(r_view_t());
}

}  // namespace
}  // namespace quarn::test
