#include "qrncore/qrnutils/ufs/fs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "qrncore/qrnutils/ufs/cvfs_device.h"
#include "qrncore/qrnutils/ufs/mem_file.h"
#include "qrncore/qrnutils/ufs/os_device.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/init.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "support/ufs_read.h"

namespace quarn {
namespace {

using test::read_all;
using test::read_virtual;

// A device that records what it is asked and answers only for paths it was given.
class spy_device_t : public fs_device_t {
public:
    explicit spy_device_t(bool read_only = false) : fs_device_t(string::EMPTY, read_only) {}

    auto_ptr_t<file_t>::ret_t open(const string &path) override {
        asked.push_back("open " + std::string(path.c_str()));
        return nullptr;
    }
    auto_ptr_t<file_t>::ret_t create(const string &path) override {
        asked.push_back("create " + std::string(path.c_str()));
        return nullptr;
    }
    bool stat(const string &path, fs_stat_t *) override {
        asked.push_back("stat " + std::string(path.c_str()));
        return false;
    }
    bool remove(const string &path) override {
        asked.push_back("remove " + std::string(path.c_str()));
        return false;
    }

    std::vector<std::string> asked;
};

// The file system started on its own, over temporary folders; every device the test
// mounts is unmounted again.
class fs_fixture : public ::testing::Test {
protected:
    void SetUp() override { fs_startup(); }
    void TearDown() override {
        for (fs_device_t *d : mounted) ufs_unmount(d);
        fs_shutdown();
    }

    fs_device_t *mount_dir(const std::string &dir, const char *mount_point, int32_t priority, bool read_only = false) {
        fs_device_t *d = ufs_mount(FS_DEVICE_DIRECTORY, dir.c_str(), mount_point, read_only, priority);
        EXPECT_NE(d, nullptr) << dir;
        if (d) mounted.push_back(d);
        return d;
    }

    static std::vector<std::string> names(const auto_ptr_t<fs_dirlist_t> &list) {
        std::vector<std::string> out;
        if (list) {
            for (const fs_direntry_t &e : *list) out.push_back(std::string(e.name.c_str()) + (e.type == FS_TYPE_DIRECTORY ? "/" : ""));
        }
        return out;
    }

    test::temp_dir_t a, b;
    std::vector<fs_device_t *> mounted;
};

TEST_F(fs_fixture, higher_mounts_are_asked_first_with_the_rest_of_the_path) {
    spy_device_t home;
    ASSERT_TRUE(ufs_mount_device(&home, "/home", 650));
    mount_dir(b.path(), "", 450);
    test::write_file(b.file("home/config.cfg"), "from b");

    auto_ptr_t<file_t> f = fs_open("/home/config.cfg", FS_REALM_VIRTUAL);
    ASSERT_TRUE(f);
    EXPECT_EQ(home.asked, (std::vector<std::string>{"open /config.cfg"}));
    EXPECT_EQ(read_all(*f), "from b");
    EXPECT_EQ(f->get_fs_realm(), FS_REALM_VIRTUAL);
    EXPECT_STREQ(f->get_name(), "/home/config.cfg");
    mstring_dyn_t where;
    f->get_system_location(where);
    EXPECT_EQ(std::string(where.c_str()), b.file("home/config.cfg"));

    // A mount point holds only paths that continue it with "/".
    home.asked.clear();
    test::write_file(b.file("homeX/y"), "sibling");
    auto_ptr_t<file_t> sibling = fs_open("/homeX/y", FS_REALM_VIRTUAL);
    ASSERT_TRUE(sibling);
    EXPECT_EQ(read_all(*sibling), "sibling");
    EXPECT_TRUE(home.asked.empty());
    fs_stat_t st;
    EXPECT_TRUE(fs_stat("/home", &st, FS_REALM_VIRTUAL));
    EXPECT_EQ(home.asked, (std::vector<std::string>{"stat "}));
    EXPECT_TRUE(ufs_unmount_device(&home));
}

TEST_F(fs_fixture, equal_priorities_keep_their_mounting_order) {
    spy_device_t first, second, top;
    ufs_mount_device(&first, "", 100);
    ufs_mount_device(&second, "/", 100);  // a trailing "/" is dropped
    ufs_mount_device(&top, "", 101);
    fs_open("/x", FS_REALM_VIRTUAL);
    EXPECT_EQ(top.asked.size(), 1u);
    EXPECT_EQ(first.asked, (std::vector<std::string>{"open /x"}));
    EXPECT_EQ(second.asked, (std::vector<std::string>{"open /x"}));
    fs_root_device_t *root = fs_get_root_device();
    ASSERT_EQ(root->get_mount_count(), 3u);
    EXPECT_EQ(root->get_mount(0).device, &top);
    EXPECT_EQ(root->get_mount(1).device, &first);
    EXPECT_EQ(root->get_mount(2).device, &second);
    EXPECT_STREQ(root->get_mount(2).mount_point.c_str(), "");

    // The window narrows the walk.
    first.asked.clear();
    top.asked.clear();
    EXPECT_EQ(root->open_in("/y", fs_window_t{101, 200}).get(), nullptr);
    EXPECT_EQ(top.asked.size(), 1u);
    EXPECT_TRUE(first.asked.empty());
    for (spy_device_t *d : {&first, &second, &top}) ufs_unmount_device(d);
}

TEST_F(fs_fixture, read_only_mounts_are_skipped_for_everything_but_open) {
    test::message_capture_t capture;
    spy_device_t locked(true);
    ufs_mount_device(&locked, "", 500);
    mount_dir(a.path(), "", 400, true);
    test::write_file(a.file("x.txt"), "x");
    EXPECT_EQ(fs_create("/new.txt", FS_REALM_VIRTUAL).get(), nullptr);
    EXPECT_EQ(fs_append("/x.txt", FS_REALM_VIRTUAL).get(), nullptr);
    EXPECT_FALSE(fs_remove("/x.txt", FS_REALM_VIRTUAL));
    EXPECT_FALSE(fs_mkdir("/dir", FS_REALM_VIRTUAL));
    EXPECT_TRUE(locked.asked.empty());
    EXPECT_TRUE(capture.contains("[fs] Unable to create file. (/new.txt)"));
    EXPECT_TRUE(capture.contains("[fs] Unable to open file for appending. (/x.txt)"));
    EXPECT_TRUE(fs_open("/x.txt", FS_REALM_VIRTUAL));
    EXPECT_EQ(locked.asked, (std::vector<std::string>{"open /x.txt"}));

    // A writable mount below takes what the read-only ones refuse.
    mount_dir(b.path(), "", 300);
    auto_ptr_t<file_t> made = fs_create("/sub/new.txt", FS_REALM_VIRTUAL);
    ASSERT_TRUE(made);
    EXPECT_TRUE(made->write("hi", 2));
    EXPECT_EQ(test::read_file(b.file("sub/new.txt")), "hi");
    ufs_unmount_device(&locked);
}

TEST_F(fs_fixture, listings_merge_mounts_and_hide_duplicates) {
    for (const char *n : {"same.txt", "onlya.txt", "dir/inner.txt"}) test::write_file(a.file(n), std::string("a:") + n);
    for (const char *n : {"same.txt", "Onlyb.txt", "dir/other.txt"}) test::write_file(b.file(n), std::string("b:") + n);
    mount_dir(a.path(), "", 500);
    mount_dir(b.path(), "", 400);
    spy_device_t h1, h2;
    ufs_mount_device(&h1, "/home/one", 600);
    ufs_mount_device(&h2, "/home/two", 600);

    EXPECT_EQ(names(fs_read_dir("", false, FS_REALM_VIRTUAL)),
              (std::vector<std::string>{"home/", "dir/", "onlya.txt", "same.txt", "Onlyb.txt"}));
    EXPECT_EQ(names(fs_read_dir("", true, FS_REALM_VIRTUAL)),
              (std::vector<std::string>{"/home/", "/dir/", "/onlya.txt", "/same.txt", "/Onlyb.txt"}));
    // "/" is an ordinary directory of the mounts at "": no entries above mount points.
    EXPECT_EQ(names(fs_read_dir("/", false, FS_REALM_VIRTUAL)),
              (std::vector<std::string>{"dir/", "onlya.txt", "same.txt", "Onlyb.txt"}));
    EXPECT_EQ(names(fs_read_dir("/home", false, FS_REALM_VIRTUAL)), (std::vector<std::string>{"one/", "two/"}));
    EXPECT_EQ(names(fs_read_dir("/home", true, FS_REALM_VIRTUAL)),
              (std::vector<std::string>{"/home/one/", "/home/two/"}));
    EXPECT_EQ(names(fs_read_dir("/dir", true, FS_REALM_VIRTUAL)),
              (std::vector<std::string>{"/dir/inner.txt", "/dir/other.txt"}));
    EXPECT_EQ(names(fs_read_dir("/nothing", false, FS_REALM_VIRTUAL)), std::vector<std::string>{});
    EXPECT_TRUE(fs_read_dir("/nothing", false, FS_REALM_VIRTUAL));
    // The higher mount's copy is the one that opens.
    EXPECT_EQ(read_virtual("/same.txt"), "a:same.txt");

    fs_stat_t st;
    ASSERT_TRUE(fs_stat("/home", &st, FS_REALM_VIRTUAL));
    EXPECT_EQ(st.type, FS_TYPE_DIRECTORY);
    EXPECT_EQ(st.time, 0u);
    ASSERT_TRUE(fs_stat("", &st, FS_REALM_VIRTUAL));
    EXPECT_EQ(st.type, FS_TYPE_DIRECTORY);
    EXPECT_TRUE(fs_stat("/dir/other.txt", nullptr, FS_REALM_VIRTUAL)) << "no record: only whether it exists";
    EXPECT_FALSE(fs_stat("/dir/none.txt", nullptr, FS_REALM_VIRTUAL));
    EXPECT_TRUE(fs_directory_exists("/dir", FS_REALM_VIRTUAL));
    EXPECT_TRUE(fs_file_exists("/dir/other.txt", FS_REALM_VIRTUAL));
    EXPECT_FALSE(fs_file_exists("/dir", FS_REALM_VIRTUAL));
    ufs_unmount_device(&h1);
    ufs_unmount_device(&h2);
}

TEST_F(fs_fixture, mounted_home_lists_with_its_mount_point) {
    test::write_file(a.file("saves/one.sav"), "1");
    test::write_file(a.file("config.cfg"), "c");
    mount_dir(a.path(), "/home", 650);
    EXPECT_EQ(names(fs_read_dir("/home", true, FS_REALM_VIRTUAL)),
              (std::vector<std::string>{"/home/config.cfg", "/home/saves/"}));
    EXPECT_EQ(names(fs_read_dir("/home/saves", true, FS_REALM_VIRTUAL)),
              (std::vector<std::string>{"/home/saves/one.sav"}));
    auto_ptr_t<fs_dirlist_t> all = fs_match_files("/home", FS_REALM_VIRTUAL, "", true);
    EXPECT_EQ(names(all), (std::vector<std::string>{"/home/config.cfg", "/home/saves/one.sav"}));
    EXPECT_EQ(names(fs_match_files("/home", FS_REALM_VIRTUAL, ".sav", false)), std::vector<std::string>{});
    EXPECT_EQ(names(fs_match_files("/home", FS_REALM_VIRTUAL, ".sav", true)),
              (std::vector<std::string>{"/home/saves/one.sav"}));
    EXPECT_EQ(names(fs_match_files("/none", FS_REALM_VIRTUAL, "", true)), std::vector<std::string>{});
}

TEST_F(fs_fixture, bad_paths_and_realms_are_refused_with_a_message) {
    test::message_capture_t capture;
    test::write_file(a.file("root/def/a.def"), "a");
    test::write_file(a.file("outside.txt"), "secret");
    mount_dir(a.file("root"), "", 450);

    EXPECT_EQ(fs_open("def/a.def", FS_REALM_VIRTUAL).get(), nullptr);
    EXPECT_TRUE(capture.contains(
        "[fs] fs_open called with invalid path \"def/a.def\" (expected absolute path, starting with slash)"));
    EXPECT_EQ(fs_open("/def/../../outside.txt", FS_REALM_VIRTUAL).get(), nullptr);
    EXPECT_TRUE(capture.contains("\"..\" is not allowed"));
    EXPECT_FALSE(fs_file_exists("/..", FS_REALM_VIRTUAL));
    EXPECT_TRUE(fs_file_exists("/def/a.def", FS_REALM_VIRTUAL));
    EXPECT_FALSE(fs_stat("def/a.def", nullptr, FS_REALM_VIRTUAL));

    capture.clear();
    EXPECT_EQ(fs_open("/x", fs_realm_t(3)).get(), nullptr);
    EXPECT_TRUE(capture.contains("[fs] unable to retrive device pointer of specified type (3)"));
    EXPECT_FALSE(fs_mkdir("/x", fs_realm_t(0)));

    // A path longer than the file system builds is refused, not cut.
    capture.clear();
    const std::string deep = "/" + std::string(FS_PATH_MAX, 'd');
    EXPECT_EQ(fs_create(deep.c_str(), FS_REALM_VIRTUAL).get(), nullptr);
    EXPECT_TRUE(capture.contains("[fs] path too long"));
    const std::string system_deep = a.file(std::string(FS_PATH_MAX, 'd'));
    EXPECT_EQ(fs_create(system_deep.c_str(), FS_REALM_SYSTEM).get(), nullptr);
    EXPECT_FALSE(fs_file_exists(system_deep.c_str(), FS_REALM_SYSTEM));
}

TEST_F(fs_fixture, directory_devices_on_the_operating_system) {
    mount_dir(a.path(), "", 450);
    // create makes the folders on the way; append keeps the content and goes to its end.
    {
        auto_ptr_t<file_t> f = fs_create("/x/y/z.txt", FS_REALM_VIRTUAL);
        ASSERT_TRUE(f);
        EXPECT_TRUE(f->printf("one"));
    }
    {
        auto_ptr_t<file_t> f = fs_append("/x/y/z.txt", FS_REALM_VIRTUAL);
        ASSERT_TRUE(f);
        EXPECT_EQ(f->tell(), 3u);
        EXPECT_TRUE(f->printf("two"));
        char buf[6];
        auto_ptr_t<file_request_t> r = f->block_read_request(buf, 6, 0);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->get_bytes_moved(), 6);
        EXPECT_EQ(std::string(buf, 6), "onetwo");
        EXPECT_EQ(f->block_read_request(buf, 6, 1)->get_bytes_moved(), -1);
        EXPECT_EQ(f->block_write_request("!", 1, 6)->get_bytes_moved(), 1);
    }
    EXPECT_EQ(test::read_file(a.file("x/y/z.txt")), "onetwo!");
    {
        auto_ptr_t<file_t> f = fs_create("/x/y/z.txt", FS_REALM_VIRTUAL);
        ASSERT_TRUE(f);
        EXPECT_EQ(f->size(), 0u);
    }
    fs_stat_t st;
    ASSERT_TRUE(fs_stat("/x/y/z.txt", &st, FS_REALM_VIRTUAL));
    EXPECT_EQ(st.type, FS_TYPE_FILE);
    EXPECT_GT(st.time, 116444736000000000u);
    EXPECT_TRUE(fs_stat("/x/y/z.txt", nullptr, FS_REALM_VIRTUAL));  // existence alone
    EXPECT_FALSE(fs_stat("/x/y/none.txt", nullptr, FS_REALM_VIRTUAL));

    EXPECT_TRUE(fs_mkdir("/m/n/o", FS_REALM_VIRTUAL));
    EXPECT_TRUE(fs_mkdir("/m/n/o", FS_REALM_VIRTUAL));
    EXPECT_TRUE(fs_directory_exists("/m/n/o", FS_REALM_VIRTUAL));
    EXPECT_FALSE(fs_rmdir("/m/n", FS_REALM_VIRTUAL));  // not empty
    EXPECT_TRUE(fs_rmdir("/m/n/o", FS_REALM_VIRTUAL));
    EXPECT_FALSE(fs_remove("/m/n", FS_REALM_VIRTUAL));  // a directory
    EXPECT_TRUE(fs_remove("/x/y/z.txt", FS_REALM_VIRTUAL));
    EXPECT_FALSE(fs_file_exists("/x/y/z.txt", FS_REALM_VIRTUAL));
    EXPECT_EQ(fs_open("/x/y", FS_REALM_VIRTUAL).get(), nullptr);  // a directory is no file

    // Pipes and the like are neither files nor directories: not listed, not files.
    ASSERT_EQ(mkfifo(a.file("pipe").c_str(), 0600), 0);
    test::write_file(a.file(".svn/entries"), "");
    EXPECT_EQ(names(fs_read_dir("", false, FS_REALM_VIRTUAL)), (std::vector<std::string>{"m/", "x/"}));
    EXPECT_FALSE(fs_file_exists("/pipe", FS_REALM_VIRTUAL));
    EXPECT_EQ(fs_open("/pipe", FS_REALM_VIRTUAL).get(), nullptr);
}

TEST_F(fs_fixture, the_system_realm_and_list_only_devices) {
    test::write_file(a.file("top.txt"), "t");
    test::write_file(a.file("sub/deep.txt"), "d");
    auto_ptr_t<file_t> f = fs_open(a.file("top.txt").c_str(), FS_REALM_SYSTEM);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->get_fs_realm(), FS_REALM_SYSTEM);
    EXPECT_EQ(names(fs_read_dir(a.path().c_str(), false, FS_REALM_SYSTEM)), (std::vector<std::string>{"sub/", "top.txt"}));

    // The system root prefixes every system path.
    sysfs_change_root(a.path().c_str());
    EXPECT_TRUE(fs_file_exists("/sub/deep.txt", FS_REALM_SYSTEM));
    sysfs_change_root("");

    fs_device_t *list = ufs_mount(FS_DEVICE_LIST_ONLY, a.path().c_str(), "/l", true, 300);
    ASSERT_NE(list, nullptr);
    mounted.push_back(list);
    EXPECT_EQ(names(fs_read_dir("/l", true, FS_REALM_VIRTUAL)), (std::vector<std::string>{"/l/sub/", "/l/top.txt"}));
    EXPECT_TRUE(fs_file_exists("/l/sub/deep.txt", FS_REALM_VIRTUAL));
    EXPECT_EQ(fs_open("/l/top.txt", FS_REALM_VIRTUAL).get(), nullptr);
    EXPECT_TRUE(list->is_read_only());
}

TEST_F(fs_fixture, mounting_and_unmounting) {
    test::message_capture_t capture;
    // A directory that does not exist gives no device and no message.
    EXPECT_EQ(ufs_mount(FS_DEVICE_DIRECTORY, a.file("missing").c_str(), "", false, 1), nullptr);
    EXPECT_TRUE(capture.entries().empty());
    EXPECT_EQ(fs_create_device(fs_device_type_t(9), "x", false).get(), nullptr);
    EXPECT_TRUE(capture.contains("Error creating FS device!"));
    EXPECT_EQ(ufs_mount(fs_device_type_t(9), "x", "", false, 1), nullptr);
    EXPECT_TRUE(capture.contains("UFS: error creating device!"));
    spy_device_t stray;
    EXPECT_FALSE(ufs_unmount_device(&stray));
    EXPECT_TRUE(capture.contains("Error unmounting device: device not found!"));
    EXPECT_FALSE(ufs_mount_device(&stray, "home", 1));
    // Zip archives and converters need their devices registered (the core's start
    // registers them; an earlier test may have started it).
    const fs_archive_factory_t archives = fs_set_archive_factory(nullptr);
    const fs_converter_factory_t converters = fs_set_converter_factory(nullptr);
    EXPECT_EQ(ufs_mount(FS_DEVICE_ZIP, "base.tzk", "", true, 50), nullptr);
    EXPECT_TRUE(capture.contains("[fs] no archive device is available (base.tzk)"));
    EXPECT_EQ(fs_create_device(FS_DEVICE_CONVERTING, "rsrc", true).get(), nullptr);
    fs_set_archive_factory(archives);
    fs_set_converter_factory(converters);
}

// An archive stand-in: serves a copy of its whole archive file as "/blob"; an empty
// archive makes it not valid.
class blob_device_t : public fs_device_t {
public:
    explicit blob_device_t(auto_ptr_t<file_t> &archive) : fs_device_t("<blob>", true), m_archive(std::move(archive)) {
        set_valid(m_archive->size() > 0);
    }
    auto_ptr_t<file_t>::ret_t open(const string &path) override {
        if (path != "/blob") return nullptr;
        std::string bytes(m_archive->size(), '\0');
        m_archive->block_read(bytes.data(), uint32_t(bytes.size()), 0);
        auto_ptr_t<file_t> copy = mem_file_create();
        copy->block_write(bytes.data(), uint32_t(bytes.size()), 0);
        return copy;
    }

private:
    auto_ptr_t<file_t> m_archive;
};

fs_device_t *make_blob(auto_ptr_t<file_t> &archive) { return new blob_device_t(archive); }

TEST_F(fs_fixture, romfs_and_archives_go_through_the_registered_factory) {
    test::message_capture_t capture;
    static const char block[] = "archive bytes";
    EXPECT_EQ(ufs_mount_romfs(block, sizeof block - 1, "/rom", 10), nullptr);
    EXPECT_TRUE(capture.contains("UFS: romfs device not valid!"));

    const fs_archive_factory_t previous = fs_set_archive_factory(make_blob);
    fs_device_t *rom = ufs_mount_romfs(block, sizeof block - 1, "/rom", 10);
    ASSERT_NE(rom, nullptr);
    mounted.push_back(rom);
    EXPECT_EQ(read_virtual("/rom/blob"), "archive bytes");
    // An empty block reads as no archive.
    capture.clear();
    EXPECT_EQ(ufs_mount_romfs(block, 0, "/rom2", 10), nullptr);
    EXPECT_TRUE(capture.contains("UFS: romfs device not valid!"));

    test::write_file(a.file("data.tzk"), "zip");
    fs_device_t *zip = ufs_mount(FS_DEVICE_ZIP, a.file("data.tzk").c_str(), "", true, 50);
    ASSERT_NE(zip, nullptr);
    mounted.push_back(zip);
    EXPECT_EQ(read_virtual("/blob"), "zip");
    EXPECT_EQ(ufs_mount(FS_DEVICE_ZIP, a.file("none.tzk").c_str(), "", true, 50), nullptr);
    fs_set_archive_factory(previous);
}

TEST_F(fs_fixture, copies_and_text_files) {
    test::message_capture_t capture;
    mount_dir(a.path(), "", 450);
    test::write_file(a.file("src.bin"), std::string(10000, 'q') + "end");
    ASSERT_TRUE(ufs_copy("/copy/dst.bin", "/src.bin"));
    EXPECT_EQ(test::read_file(a.file("copy/dst.bin")), std::string(10000, 'q') + "end");
    EXPECT_FALSE(ufs_copy("/copy/x", "/missing"));
    EXPECT_TRUE(capture.contains("[ufs_copy] Cannot open /missing."));

    test::write_file(a.file("lines.txt"), "\r\nfirst\r\n\r\nsecond\nthird");
    auto_ptr_t<file_t> f = fs_open("/lines.txt", FS_REALM_VIRTUAL);
    auto_ptr_t<fs_text_lines_t> lines = fs_read_text_file(*f);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->get_count(), 3u);
    EXPECT_STREQ((*lines)[0].c_str(), "first");
    EXPECT_STREQ((*lines)[2].c_str(), "third");
    {
        auto_ptr_t<file_t> out = fs_create("/out.txt", FS_REALM_VIRTUAL);
        ASSERT_TRUE(fs_write_text_file(*out, *lines));
    }
    EXPECT_EQ(test::read_file(a.file("out.txt")), "first\nsecond\nthird\n");
    test::write_file(a.file("empty.txt"), "");
    auto_ptr_t<fs_text_lines_t> none = fs_read_text_file(*fs_open("/empty.txt", FS_REALM_VIRTUAL));
    ASSERT_TRUE(none);
    EXPECT_EQ(none->get_count(), 0u);
}

TEST(fs_startup, the_core_start_makes_both_root_devices) {
    const host_new_t n = qrncore_system_new, nv = qrncore_system_new_vector;
    const host_delete_t d = qrncore_system_delete, dv = qrncore_system_delete_vector;
    qrncore_init(n, nv, d, dv, false);
    fs_device_t *system = fs_get_device(FS_REALM_SYSTEM);
    ASSERT_NE(system, nullptr);
    EXPECT_FALSE(system->is_read_only());
    EXPECT_STREQ(system->get_root(), "");
    ASSERT_NE(fs_get_root_device(), nullptr);
    EXPECT_EQ(fs_get_device(FS_REALM_VIRTUAL), fs_get_root_device());
    EXPECT_EQ(fs_get_root_device()->get_mount_count(), 0u);
    // Archives and converters can be mounted from the start.
    EXPECT_EQ(fs_set_archive_factory(zip_device_create), zip_device_create);
    EXPECT_EQ(fs_set_converter_factory(cvfs_device_create), cvfs_device_create);
    qrncore_shutdown();
    EXPECT_EQ(fs_get_device(FS_REALM_SYSTEM), nullptr);
    EXPECT_EQ(fs_get_device(FS_REALM_VIRTUAL), nullptr);
}

}  // namespace
}  // namespace quarn
