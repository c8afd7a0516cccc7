// The game process's own sounds are in the built "base.tzk": the menu music and the
// screenshot's click.
#include <gtest/gtest.h>

#include "game/ctrl/menu_ctrl.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

TEST(game_content, the_menu_music_and_the_camera_click_are_packed) {
    fs_startup();
    auto *previous = fs_set_archive_factory(zip_device_create);
    fs_device_t *base = ufs_mount(FS_DEVICE_ZIP, (test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
    ASSERT_NE(base, nullptr);
    for (const char *sound : {menu_ctrl_u::MUSIC, "/sound/ui/cameraclick.ogg"})
        EXPECT_TRUE(fs_stat(sound, nullptr, FS_REALM_VIRTUAL)) << sound;
    ufs_unmount(base);
    fs_set_archive_factory(previous);
    fs_shutdown();
}

}  // namespace
}  // namespace quarn::test
