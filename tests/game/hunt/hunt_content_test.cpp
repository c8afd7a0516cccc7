// The hunt's own sounds are in the built "base.tzk".
#include <gtest/gtest.h>

#include "game/hunt/hunt_ctrl.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

TEST(hunt_content, the_danger_and_round_sounds_are_packed) {
    fs_startup();
    auto *previous = fs_set_archive_factory(zip_device_create);
    fs_device_t *base = ufs_mount(FS_DEVICE_ZIP, (test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
    ASSERT_NE(base, nullptr);
    for (const char *path : {hunt_ctrl_u::DANGER_SOUND, hunt_ctrl_u::ROUND_SOUND})
        EXPECT_TRUE(fs_stat(path, nullptr, FS_REALM_VIRTUAL)) << path;
    ufs_unmount(base);
    fs_set_archive_factory(previous);
    fs_shutdown();
}

}  // namespace
}  // namespace quarn::test
