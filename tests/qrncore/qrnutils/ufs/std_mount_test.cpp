#include "qrncore/qrnutils/ufs/std_mount.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/mount_fixture.h"
#include "support/message_capture.h"
#include "support/ufs_read.h"
#include "support/test_paths.h"
#include "zip_writer.h"

namespace quarn {
namespace {

using test::read_virtual;

class std_mount_fixture : public test::mount_fixture_t {
protected:
    void before_shutdown() override { mounts.unmount_directories(); }

    // An archive holding name -> content.
    void write_archive(const std::string &path, const std::string &name, const std::string &content) {
        zippack::zip_writer_t w;
        w.add_file(name, content);
        std::filesystem::create_directories(std::filesystem::path(dir.file(path)).parent_path());
        ASSERT_TRUE(w.write(dir.file(path)));
    }
    // The mount point and priority of a device, as "point@priority".
    static std::string mount_of(const fs_device_t *device) {
        fs_root_device_t *root = fs_get_root_device();
        for (uint32_t i = 0; i < root->get_mount_count(); ++i) {
            const fs_mount_t &m = root->get_mount(i);
            if (m.device == device) return std::string(m.mount_point.c_str()) + "@" + std::to_string(m.priority);
        }
        return "<not mounted>";
    }
    static bool is_dir(const std::string &path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }

    std_mount_t mounts;
};

TEST_F(std_mount_fixture, the_game_mode_needs_its_archive) {
    test::message_capture_t capture;
    EXPECT_FALSE(mounts.mount_directories(STD_MOUNT_GAME));
    EXPECT_EQ(capture.texts(message_t::ERROR),
              (std::vector<std::string>{"[fs] Unable to open file for reading. (base.tzk)", "UFS: error creating device!",
                                        "[ufs] Unable to mount required device 'base.tzk'."}));
    EXPECT_EQ(mounts.get_device(4), nullptr);

    write_archive("base.tzk", "def/game.def", "game");
    ASSERT_TRUE(mounts.mount_directories(STD_MOUNT_GAME));
    EXPECT_EQ(mount_of(mounts.get_device(4)), "@50");
    EXPECT_EQ(read_virtual("/def/game.def"), "game");
    // Mounting again replaces the device in the slot.
    ASSERT_TRUE(mounts.mount_directories(STD_MOUNT_GAME));
    EXPECT_EQ(fs_get_root_device()->get_mount_count(), 1u);

    // Mode 1 stops at the missing secure archive; what was mounted before stays.
    capture.clear();
    EXPECT_FALSE(mounts.mount_directories(STD_MOUNT_GAME_SECURE));
    EXPECT_TRUE(capture.contains("[ufs] Unable to mount required device 'secure.tzk'."));
    EXPECT_NE(mounts.get_device(4), nullptr);

    mounts.unmount_directories();
    EXPECT_EQ(fs_get_root_device()->get_mount_count(), 0u);
    EXPECT_EQ(mounts.get_device(4), nullptr);
}

TEST_F(std_mount_fixture, modes_without_a_table_mount_nothing) {
    test::message_capture_t capture;
    for (int32_t mode : {3, 4, 9, -1}) EXPECT_FALSE(mounts.mount_directories(mode)) << mode;
    EXPECT_TRUE(capture.entries().empty());
    EXPECT_EQ(fs_get_root_device()->get_mount_count(), 0u);
}

TEST_F(std_mount_fixture, optional_entries_may_be_missing) {
    ASSERT_TRUE(test::write_file(dir.file("rsrc/model/tree.zmd"), "converted"));
    test::message_capture_t capture;
    ASSERT_TRUE(mounts.mount_directories(STD_MOUNT_CONVERTED));
    // "user" is made and mounted; the missing archive is only logged below.
    EXPECT_TRUE(is_dir(dir.file("user")));
    EXPECT_EQ(mount_of(mounts.get_device(1)), "@350");
    EXPECT_EQ(mount_of(mounts.get_device(3)), "@150");
    EXPECT_EQ(mounts.get_device(4), nullptr);
    EXPECT_TRUE(capture.contains("[fs] Unable to open file for reading. (base.tzk)"));
    EXPECT_FALSE(capture.contains("[ufs] Unable to mount required device"));
    EXPECT_EQ(read_virtual("/model/tree.zmd"), "converted");
    // The read-only mounts take no new files.
    EXPECT_EQ(fs_create("/new.txt", FS_REALM_VIRTUAL).get(), nullptr);

    // Mode 8 has writable "rsrc" and ".dep" for the converter's output.
    mounts.unmount_directories();
    ASSERT_TRUE(test::write_file(dir.file("base/src.txt"), "source"));
    ASSERT_TRUE(mounts.mount_directories(STD_MOUNT_CONVERTER_OUTPUT));
    EXPECT_EQ(mount_of(mounts.get_device(0)), "@450");
    EXPECT_EQ(mounts.get_device(10), nullptr);
    EXPECT_TRUE(is_dir(dir.file(".dep")));
    auto_ptr_t<file_t> out = fs_create("/made.txt", FS_REALM_VIRTUAL);
    ASSERT_TRUE(out);
    EXPECT_EQ(test::read_file(dir.file("rsrc/made.txt")), "");
}

TEST_F(std_mount_fixture, nine_user_modifications_at_most_in_name_order) {
    const char *names[] = {"j.tzk", "B.tzk", "a.tzk", "c.tzk", "D.tzk", "e.tzk", "f.tzk", "g.tzk", "h.tzk", "i.tzk"};
    for (const char *n : names) write_archive(std::string("mods/") + n, "which.txt", n);
    write_archive("mods/upper.TZK", "which.txt", "upper");
    ASSERT_TRUE(test::write_file(dir.file("mods/folder.tzk/x"), "a folder"));
    ASSERT_TRUE(test::write_file(dir.file("mods/notes.txt"), "not an archive"));

    test::message_capture_t capture;
    EXPECT_EQ(mounts.mount_user_mods(dir.file("mods").c_str()), 9u);
    EXPECT_EQ(capture.texts(message_t::ERROR),
              std::vector<std::string>{"[ufs] Too many user modifications to mount - remove some of modifications from "
                                       "the directory '" +
                                       dir.file("mods") + "'."});
    // a, B, c, D, e, f, g, h, i at 60..68; j is left out.
    const char *order = "aBcDefghi";
    for (uint32_t n = 0; n < 9; ++n) {
        fs_device_t *d = mounts.get_device(std_mount_t::SLOT_FIRST_MOD + n);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(mount_of(d), "@" + std::to_string(60 + n));
        EXPECT_EQ(std::string(d->get_root()), dir.file("mods/" + std::string(1, order[n]) + ".tzk"));
    }
    EXPECT_EQ(read_virtual("/which.txt"), "i.tzk");
    EXPECT_EQ(mounts.get_user_mod_count(), 9u);
    // The count is not reset: the slots are spent.
    mounts.unmount_directories();
    capture.clear();
    EXPECT_EQ(mounts.mount_user_mods(dir.file("mods").c_str()), 0u);
    EXPECT_TRUE(capture.contains("[ufs] Too many user modifications"));
}

TEST_F(std_mount_fixture, a_broken_modification_is_skipped) {
    ASSERT_TRUE(test::write_file(dir.file("mods/a.tzk"), "not a zip archive at all, sorry"));
    write_archive("mods/b.tzk", "b.txt", "b");
    test::message_capture_t capture;
    EXPECT_EQ(mounts.mount_user_mods(dir.file("mods").c_str()), 1u);
    EXPECT_TRUE(capture.contains("[ufs] Failed mounting user modification '" + dir.file("mods/a.tzk") + "'."));
    EXPECT_EQ(mount_of(mounts.get_device(std_mount_t::SLOT_FIRST_MOD)), "@60");
    EXPECT_EQ(read_virtual("/b.txt"), "b");
    EXPECT_EQ(mounts.mount_user_mods(dir.file("none").c_str()), 0u);
}

TEST_F(std_mount_fixture, home_and_temp_folders) {
    unsetenv("XDG_DOCUMENTS_DIR");
    setenv("HOME", dir.file("user-home").c_str(), 1);
    ASSERT_TRUE(test::write_file(dir.file("user-home/.profile"), ""));
    mstring_dyn_t home;
    ASSERT_TRUE(std_mount_t::get_home_directory(home, STD_HOME_FOLDER));
    EXPECT_EQ(std::string(home.c_str()), dir.file("user-home/Documents/Fernwold"));

    test::message_capture_t capture;
    ASSERT_TRUE(mounts.mount_home("Games"));
    EXPECT_TRUE(capture.contains("[ufs] Home directory: '" + dir.file("user-home/Documents/Games") + "'."));
    EXPECT_TRUE(is_dir(dir.file("user-home/Documents/Games")));
    EXPECT_EQ(mount_of(mounts.get_device(std_mount_t::SLOT_HOME)), "/home@650");
    {
        auto_ptr_t<file_t> cfg = fs_create("/home/config.cfg", FS_REALM_VIRTUAL);
        ASSERT_TRUE(cfg);
        ASSERT_TRUE(cfg->printf("uset x 1\r\n"));
    }
    EXPECT_EQ(test::read_file(dir.file("user-home/Documents/Games/config.cfg")), "uset x 1\r\n");

    setenv("TMPDIR", dir.file("tmp/").c_str(), 1);
    ASSERT_TRUE(test::write_file(dir.file("tmp/scratch"), "s"));
    ASSERT_TRUE(mounts.mount_temp());
    EXPECT_TRUE(capture.contains("[ufs] Temporary directory: '" + dir.file("tmp") + "'."));
    EXPECT_EQ(mount_of(mounts.get_device(std_mount_t::SLOT_TEMP)), "/temp@1");
    EXPECT_EQ(read_virtual("/temp/scratch"), "s");
    mounts.unmount_temp();
    EXPECT_EQ(mounts.get_device(std_mount_t::SLOT_TEMP), nullptr);
    EXPECT_NE(mounts.get_device(std_mount_t::SLOT_HOME), nullptr);

    // A temporary folder that does not exist fails the mount.
    setenv("TMPDIR", dir.file("gone").c_str(), 1);
    capture.clear();
    EXPECT_FALSE(mounts.mount_temp());
    EXPECT_TRUE(capture.contains("[ufs] Temporary directory mount failed."));

    // Without a home there is no documents folder: false, nothing logged.
    unsetenv("HOME");
    capture.clear();
    EXPECT_FALSE(mounts.mount_home("Games"));
    EXPECT_TRUE(capture.entries().empty());
}

// The archive the build packs from data/base/ is what mode 0 mounts beside the program.
TEST_F(std_mount_fixture, the_built_base_archive_serves_mode_0) {
    ASSERT_EQ(chdir(test::test_bin_dir().c_str()), 0);
    ASSERT_TRUE(mounts.mount_directories(STD_MOUNT_GAME));
    EXPECT_EQ(read_virtual("/base.txt"), "base archive\n");
}

}  // namespace
}  // namespace quarn
