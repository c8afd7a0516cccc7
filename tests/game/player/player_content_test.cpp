// The player's own sound is in the built "base.tzk", and the module's table makes the
// hunt's hunter.
#include <gtest/gtest.h>

#include "game/game_module.h"
#include "game/player/player.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

TEST(player_content, the_death_step_sound_is_packed) {
    fs_startup();
    auto *previous = fs_set_archive_factory(zip_device_create);
    fs_device_t *base = ufs_mount(FS_DEVICE_ZIP, (test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
    ASSERT_NE(base, nullptr);
    for (const player_t::death_step_t &step : player_t::DEATH_STEPS) {
        if (step.sound) {
            EXPECT_TRUE(fs_stat(step.sound, nullptr, FS_REALM_VIRTUAL)) << step.sound;
        }
    }
    EXPECT_STREQ(player_t::DEATH_STEPS[1].sound, "/sound/animal/drop.ogg");
    ufs_unmount(base);
    fs_set_archive_factory(previous);
    fs_shutdown();
}

// Without the row a hunt runs with no hunter (only logged).
TEST(player_content, the_modules_table_has_the_hunter_row) {
    EXPECT_NE(game_module_factory<hunter_factory_fn_t>(HUNTER_FACTORY), nullptr);
}

}  // namespace
}  // namespace quarn::test
