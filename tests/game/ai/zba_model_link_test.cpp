// The game's behaviour files reach their model through the model library: the
// whitetail's file initialises against the packed models, holds its descriptor while
// initialised and lets it go when unloaded; what cannot be had is refused.
#include <gtest/gtest.h>

#include "../models/model_lib_fixture.h"
#include "embedded_archive.h"
#include "game/ai/zba/zba_info.h"
#include "game/ai/zba/zba_model_link.h"
#include "game/ai/zba/zba_parse.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

class zba_model_link : public model_lib_fixture_t {
protected:
    void SetUp() override {
        model_lib_fixture_t::SetUp();
        previous = fs_set_archive_factory(zip_device_create);
        base = ufs_mount(FS_DEVICE_ZIP, (test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
        ASSERT_NE(base, nullptr);
        // The behaviour files come with the archive stored in the program.
        builtin = ufs_mount_romfs(fernwold_builtin_archive, uint32_t(fernwold_builtin_archive_size), "", 55);
        ASSERT_NE(builtin, nullptr);
    }
    void TearDown() override {
        if (builtin) ufs_unmount(builtin);
        if (base) ufs_unmount(base);
        fs_set_archive_factory(previous);
        model_lib_fixture_t::TearDown();
    }

    fs_archive_factory_t previous = nullptr;
    fs_device_t *base = nullptr;
    fs_device_t *builtin = nullptr;
};

TEST_F(zba_model_link, the_whitetail_initialises_from_the_model_library) {
    zba_parser_t parser;
    ASSERT_TRUE(parser.parse_file("/model/animal/whitetail/animal.zba"));
    zba_runtime_t runtime;
    zba_info_t info(parser.image(), &runtime);
    zba_model_library_source_t models;
    ASSERT_TRUE(info.init(&models));
    EXPECT_TRUE(log.texts(message_t::ERROR).empty());
    ASSERT_NE(runtime.model.get(), nullptr);
    const zba_behavior_t walk = info.behavior(uint32_t(info.find_behavior("walk")));
    EXPECT_EQ(walk.duration(), 1.0f);

    info.unload();
    EXPECT_EQ(runtime.model.get(), nullptr);
    EXPECT_FALSE(models.animation_length("/model/animal/whitetail/missing.zma", nullptr));
    EXPECT_EQ(models.obtain_descriptor("/model/animal/missing/animal.zmd"), nullptr);
}

}  // namespace
}  // namespace quarn::test
