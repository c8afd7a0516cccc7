// load_unit_tree: a unit file by virtual path as one tree of a wanted class, whose
// first unit is the root and whose other roots live on only while they are pointed to.
#include <gtest/gtest.h>

#include <string>

#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/units/unit_load_tree.h"
#include "support/temp_dir.h"
#include "unit_fixture.h"

namespace quarn::test {
namespace {

class unit_load_tree : public unit_fixture_t {
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
    void put(const std::string &name, const std::string &body) {
        ASSERT_TRUE(write_file(m_dir.file(name), "RozErere\n{\n" + body + "\n}\n"));
    }

    temp_dir_t m_dir;
    fs_device_t *m_mount = nullptr;
    message_capture_t log;
};

TEST_F(unit_load_tree, the_first_unit_is_the_root_and_the_others_live_while_pointed_to) {
    put("tree.unit",
        "test_node : .root { value: 1 link: .linked child: .owned }\n"
        "test_node : .linked { value: 2 }\n"
        "test_node : .owned { value: 3 }\n"
        "test_node : .stray { value: 4 }\n");
    const uint32_t before = live();
    owner_ptr_t<test_node_u> root(load_unit_tree<test_node_u>("/tree.unit"));
    ASSERT_TRUE(root);
    EXPECT_TRUE(log.entries().empty());
    EXPECT_EQ(root->m_value, 1);
    ASSERT_TRUE(root->m_link);
    EXPECT_TRUE(root->m_link->is_alive());
    EXPECT_EQ(static_cast<test_node_u *>(root->m_link.get())->m_value, 2);
    ASSERT_TRUE(root->m_child);
    EXPECT_TRUE(root->m_child->is_alive());
    unit_system_t::clean_garbage();
    EXPECT_EQ(live(), before + 3) << "the stray unit went to the garbage list";
    root.reset();
    unit_system_t::clean_garbage();
    EXPECT_EQ(live(), before) << "the linked unit went with the root";
}

TEST_F(unit_load_tree, failures_are_logged_and_leave_nothing) {
    put("other_first.unit", "test_concrete : .a { }\ntest_node : .b { }\n");
    put("broken.unit", "test_node : .a { value: }\n");
    put("empty.unit", "");
    const struct {
        const char *path;
        const char *message;
    } cases[] = {
        {"/missing.unit", "[unit] load_unit_tree() - Failed to open file (/missing.unit)"},
        {"/broken.unit", "[unit] load_unit_tree() - Failed to load unit tree from file (/broken.unit)"},
        {"/empty.unit", "There were no units in the file '/empty.unit'."},
        {"/other_first.unit", "has type 'test_concrete', but the code expected 'test_node' type."},
    };
    const uint32_t before = live();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        log.clear();
        owner_ptr_t<test_node_u> root(load_unit_tree<test_node_u>(c.path));
        EXPECT_FALSE(root);
        EXPECT_TRUE(log.contains(c.message)) << (log.entries().empty() ? "" : log.entries()[0].text);
        unit_system_t::clean_garbage();
        EXPECT_EQ(live(), before);
    }
    // A derived class passes for its parent.
    put("leaf.unit", "test_leaf : .a { value: 9 }\n");
    owner_ptr_t<test_node_u> leaf(load_unit_tree<test_node_u>("/leaf.unit"));
    ASSERT_TRUE(leaf);
    EXPECT_EQ(static_cast<test_leaf_u *>(leaf.get())->m_value2, 9u);
}

}  // namespace
}  // namespace quarn::test
