#include <gtest/gtest.h>

#include "game/game_module.h"

namespace {

// The module's entry is one object for the life of the program.
TEST(game_module, entry_gives_one_object) {
    quarn::dl_ops_t *ops = game_get_dl_ops();
    ASSERT_NE(ops, nullptr);
    EXPECT_EQ(ops, game_get_dl_ops());
}

}  // namespace
