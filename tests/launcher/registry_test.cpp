#include <gtest/gtest.h>

#include <string>

#include "platform/settings_store.h"
#include "support/env_guard.h"
#include "support/temp_dir.h"
#include "tools/kickup/src/exceptions.h"
#include "tools/kickup/src/registry.h"

namespace quarn::kickup {
namespace {

constexpr const char *KEY = "Software\\TZK Software\\Fernwold";

// A settings store of the test's own.
class launcher_registry : public ::testing::Test {
protected:
    launcher_registry() : m_xdg("XDG_CONFIG_HOME") { setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1); }
    std::string store() const { return test::read_file(dir.file("fernwold/registry")); }
    test::temp_dir_t dir;

private:
    quarn::test::env_guard_t m_xdg;
};

TEST_F(launcher_registry, no_key_gives_the_defaults_and_saving_creates_it) {
    launcher_registry_t values;
    load_launcher_registry(values);
    EXPECT_EQ(values.log_limit, 300000);
    EXPECT_FALSE(values.suppress_setup);
    EXPECT_EQ(values.install_path, "");
    save_suppress_setup(false);
    EXPECT_EQ(store(), "Software\\TZK Software\\Fernwold\\SuppressSetup = number:0\n");
}

TEST_F(launcher_registry, values_are_read_as_the_launcher_keeps_them) {
    ASSERT_TRUE(platform::settings_write_number(KEY, "LogLimit", 0xFFFFFFFFu));  // -1 as a signed limit
    ASSERT_TRUE(platform::settings_write_number(KEY, "SuppressSetup", 5));
    const std::string path(511, 'p');
    ASSERT_TRUE(platform::settings_write_string("software\\tzk software\\FERNWOLD", "installpath", path.c_str()));
    launcher_registry_t values;
    load_launcher_registry(values);
    EXPECT_EQ(values.log_limit, -1);
    EXPECT_TRUE(values.suppress_setup);  // 5 reads as true...
    EXPECT_EQ(values.install_path, path);
    save_suppress_setup(values.suppress_setup);
    EXPECT_NE(store().find("SuppressSetup = number:1\n"), std::string::npos) << store();  // ...and is written 1

    // One character more no longer fits with its terminator, and stays unread.
    ASSERT_TRUE(platform::settings_write_string(KEY, "InstallPath", (path + "p").c_str()));
    launcher_registry_t again;
    load_launcher_registry(again);
    EXPECT_EQ(again.install_path, "");
    EXPECT_TRUE(again.suppress_setup);
}

TEST_F(launcher_registry, values_of_the_wrong_type_keep_their_defaults) {
    ASSERT_TRUE(platform::settings_write_string(KEY, "LogLimit", "300"));
    ASSERT_TRUE(platform::settings_write_number(KEY, "InstallPath", 3));
    launcher_registry_t values;
    load_launcher_registry(values);
    EXPECT_EQ(values.log_limit, 300000);
    EXPECT_EQ(values.install_path, "");
}

TEST_F(launcher_registry, opening_a_missing_key_for_reading_names_it) {
    const registry_key_t root = registry_key_t::current_user();
    try {
        root.open_read("Software");
        ADD_FAILURE() << "opened a missing key";
    } catch (const registry_read_exception_t &e) {
        EXPECT_EQ(e.message(), "Software");
        EXPECT_EQ(e.source(), "registry");
    }
    // For writing it opens, and a value written makes the key.
    const registry_key_t key = root.open_write("Software").open_write("TZK Software").open(
        "Fernwold", true, true);
    EXPECT_EQ(key.path(), KEY);
    EXPECT_TRUE(key.write_bool("SuppressSetup", true));
    EXPECT_NO_THROW(root.open_read("SOFTWARE").open_read("tzk software"));
    bool b = false;
    EXPECT_TRUE(key.read_bool("SuppressSetup", &b));
    EXPECT_TRUE(b);
    uint32_t n = 9;
    EXPECT_FALSE(key.read_dword("Missing", &n));
    EXPECT_EQ(n, 9u);
    std::string text = "kept";
    EXPECT_FALSE(key.read_text("SuppressSetup", &text, 512));
    EXPECT_EQ(text, "kept");
}

}  // namespace
}  // namespace quarn::kickup
