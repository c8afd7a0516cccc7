// The bonuses' and gifts' content in the built archives: their sounds, the gift
// targets' hookup units, their model and materials.
#include <gtest/gtest.h>

#include <string>

#include "game/hunt/annoy_gift.h"
#include "game/hunt/fever_bonus.h"
#include "game/hunt/party_gifts.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

std::string read_all(const char *path) {
    auto_ptr_t<file_t> file(fs_open(path, FS_REALM_VIRTUAL));
    if (!file) return {};
    std::string text(size_t(file->size()), '\0');
    if (!file->read(text.data(), uint32_t(text.size()))) return {};
    return text;
}

TEST(bonus_content, the_sounds_gift_units_and_texts_are_packed) {
    fs_startup();
    auto *previous = fs_set_archive_factory(zip_device_create);
    fs_device_t *base = ufs_mount(FS_DEVICE_ZIP, (test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
    ASSERT_NE(base, nullptr);
    for (const char *path :
         {fever_bonus_u::START_SOUND, fever_bonus_u::LOOP_SOUND, fever_bonus_u::END_SOUND, annoy_gift_u::YAWN_SOUND,
          shake_gift_u::BEAT_SOUND, headstand_gift_u::START_SOUND, headstand_gift_u::END_SOUND,
          "/l10n/en_us/sound/voiceover/gift/right_left.ogg", "/model/object/gift/object.zmd",
          "/material/object/gift/target.mat", "/material/object/gift/gift.mat"})
        EXPECT_TRUE(fs_stat(path, nullptr, FS_REALM_VIRTUAL)) << path;
    const std::string units = read_all("/script/hookup/gifts.unit");
    for (const char *line : {"model_object : gift.target", "model_object : gift.coin", "look: target", "look: gift"})
        EXPECT_NE(units.find(line), std::string::npos) << line;
    ufs_unmount(base);
    fs_set_archive_factory(previous);
    fs_shutdown();
}

}  // namespace
}  // namespace quarn::test
