#include <gtest/gtest.h>

#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_save.h"
#include "support/temp_dir.h"
#include "unit_fixture.h"

namespace quarn::test {
namespace {

// Unit files by virtual path: a temporary folder mounted at the root of the virtual
// tree, written through fs_create, read through fs_open, includes found through the
// file system. (Files opened through a mount carry their path below the mount point:
// includes resolve against the path the loader is given, else against that name.)
class unit_file_path : public unit_fixture_t {
protected:
    void SetUp() override {
        unit_fixture_t::SetUp();
        fs_startup();
        m_mount = ufs_mount(FS_DEVICE_DIRECTORY, m_dir.path().c_str(), "", false, 500);
        ASSERT_NE(m_mount, nullptr);
    }
    void TearDown() override {
        if (m_mount) ufs_unmount(m_mount);
        fs_shutdown();
        unit_fixture_t::TearDown();
    }

    temp_dir_t m_dir;
    fs_device_t *m_mount = nullptr;
};

TEST_F(unit_file_path, written_and_read_by_virtual_path_with_includes) {
    {
        owner_ptr_t<test_node_u> root(test_node_u::create());
        root->set_name("disk.root");
        root->m_value = 7;
        auto file = fs_create("/units/root.txt", FS_REALM_VIRTUAL);
        ASSERT_TRUE(file);
        unit_save_t writer(*file, UNIT_TRAVERSE_NONE);
        writer.add(root.get());
        ASSERT_TRUE(writer.save(UNIT_PAYLOAD_TEXT));
    }
    unit_system_t::clean_garbage();
    std::string text = read_file(m_dir.file("units/root.txt"));
    ASSERT_FALSE(text.empty());
    // A second file includes the first's body from beside it and from an absolute path.
    const std::string body = text.substr(text.find("test_node"), text.rfind('}') - text.find("test_node"));
    ASSERT_TRUE(write_file(m_dir.file("units/parts/body.txt"), body));
    ASSERT_TRUE(write_file(m_dir.file("units/top.txt"),
                           "RozErere\n{\n@include \"parts/body.txt\"\ntest_node : disk.other { link: disk.root }\n}\n"));
    auto file = fs_open("/units/top.txt", FS_REALM_VIRTUAL);
    ASSERT_TRUE(file);
    unit_load_t loader(*file, system());
    ASSERT_TRUE(loader.load());
    ASSERT_EQ(loader.get_root_count(), 2u);
    auto *root = static_cast<test_node_u *>(unit_system_t::find_unit("disk.root"));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->m_value, 7);
    EXPECT_EQ(static_cast<test_node_u *>(unit_system_t::find_unit("disk.other"))->m_link.get(), root);
    loader.reset();

    ASSERT_TRUE(write_file(m_dir.file("abs.txt"), "RozErere\n{\n@include \"/units/parts/body.txt\"\n}\n"));
    auto abs = fs_open("/abs.txt", FS_REALM_VIRTUAL);
    ASSERT_TRUE(abs);
    unit_load_t abs_loader(*abs, system());
    owner_ptr_t<test_node_u> again(abs_loader.load_tree<test_node_u>());
    ASSERT_TRUE(again);
    EXPECT_EQ(again->m_value, 7);
}

TEST_F(unit_file_path, includes_below_a_mount_point_resolve_against_the_opened_path) {
    // A folder reachable only through "/data", so an include resolved against the
    // file's own name ("/units/...") would not be found.
    temp_dir_t other;
    fs_device_t *data = ufs_mount(FS_DEVICE_DIRECTORY, other.path().c_str(), "/data", false, 600);
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(write_file(other.file("units/parts/body.txt"), "test_node : mounted.one { value: 3 }\n"));
    ASSERT_TRUE(write_file(other.file("units/top.txt"), "RozErere\n{\n@include \"parts/body.txt\"\n}\n"));
    {
        auto file = fs_open("/data/units/top.txt", FS_REALM_VIRTUAL);
        ASSERT_TRUE(file);
        unit_load_t loader(*file, system(), nullptr, "/data/units/top.txt");
        owner_ptr_t<test_node_u> one(loader.load_tree<test_node_u>());
        ASSERT_TRUE(one);
        EXPECT_EQ(one->m_value, 3);
    }
    ufs_unmount(data);
}

}  // namespace
}  // namespace quarn::test
