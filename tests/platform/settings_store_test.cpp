#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/settings_store.h"
#include "support/env_guard.h"
#include "support/temp_dir.h"

namespace quarn::platform {
namespace {

constexpr const char *KEY = "Software\\TZK Software\\Fernwold";

std::vector<std::string> warnings;
void collect(const char *text) { warnings.push_back(text); }

// Each test gets a store of its own below a temporary config folder, and sees the
// store's warnings.
class settings_store : public ::testing::Test {
protected:
    settings_store() : m_xdg("XDG_CONFIG_HOME"), m_home("HOME") {
        setenv("XDG_CONFIG_HOME", (dir.path() + "/config/").c_str(), 1);
        warnings.clear();
        settings_store_set_warning_sink(collect);
    }
    ~settings_store() override { settings_store_set_warning_sink(nullptr); }

    std::string store_file() const { return dir.path() + "/config/fernwold/registry"; }
    std::string text() const { return test::read_file(store_file()); }

    test::temp_dir_t dir;

private:
    test::env_guard_t m_xdg, m_home;
};

std::string read_string(const char *key, const char *name, size_t size = 4096) {
    std::vector<char> out(size, '?');
    return settings_read_string(key, name, out.data(), out.size()) ? std::string(out.data()) : "<none>";
}

TEST_F(settings_store, the_file_lies_in_the_config_folder_and_falls_back_to_home) {
    char path[4096];
    ASSERT_TRUE(settings_store_path(path, sizeof path));
    EXPECT_EQ(path, store_file());
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "/home/hunter", 1);
    ASSERT_TRUE(settings_store_path(path, sizeof path));
    EXPECT_STREQ(path, "/home/hunter/.config/fernwold/registry");
    setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
    ASSERT_TRUE(settings_store_path(path, sizeof path));
    EXPECT_STREQ(path, "/home/hunter/.config/fernwold/registry");
    char small[8];
    EXPECT_FALSE(settings_store_path(small, sizeof small));
    unsetenv("HOME");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_FALSE(settings_store_path(path, sizeof path));
    EXPECT_FALSE(settings_write_number(KEY, "LogLimit", 1));
    EXPECT_FALSE(warnings.empty());
}

TEST_F(settings_store, values_round_trip_in_their_documented_lines) {
    const std::string odd = "C:\\Games\\Fernwold\nsecond line\r, \xC3\xBC and = signs";
    ASSERT_TRUE(settings_write_number(KEY, "LogLimit", 4294967295u));
    ASSERT_TRUE(settings_write_string(KEY, "InstallPath", odd.c_str()));
    ASSERT_TRUE(settings_write_string("Software\\Other", "Empty", ""));
    EXPECT_EQ(text(),
              "Software\\TZK Software\\Fernwold\\LogLimit = number:4294967295\n"
              "Software\\TZK Software\\Fernwold\\InstallPath = string:C:\\\\Games\\\\Fernwold\\nsecond line\\r, "
              "\xC3\xBC and = signs\n"
              "Software\\Other\\Empty = string:\n");

    uint32_t n = 7;
    EXPECT_TRUE(settings_read_number(KEY, "LogLimit", &n));
    EXPECT_EQ(n, 4294967295u);
    EXPECT_EQ(read_string(KEY, "InstallPath"), odd);
    EXPECT_EQ(read_string("Software\\Other", "Empty"), "");
    EXPECT_EQ(settings_value_type(KEY, "LogLimit"), SETTINGS_NUMBER);
    EXPECT_EQ(settings_value_type(KEY, "InstallPath"), SETTINGS_STRING);
    EXPECT_EQ(settings_value_type(KEY, "Missing"), SETTINGS_ABSENT);

    // A value of the other type does not read, and the target stays as it was.
    n = 7;
    EXPECT_FALSE(settings_read_number(KEY, "InstallPath", &n));
    EXPECT_EQ(n, 7u);
    EXPECT_EQ(read_string(KEY, "LogLimit"), "<none>");

    // Rewriting a value keeps its place; a new value of a known key joins its key.
    ASSERT_TRUE(settings_write_number(KEY, "LogLimit", 0));
    ASSERT_TRUE(settings_write_number(KEY, "SuppressSetup", 1));
    EXPECT_EQ(text(),
              "Software\\TZK Software\\Fernwold\\LogLimit = number:0\n"
              "Software\\TZK Software\\Fernwold\\InstallPath = string:C:\\\\Games\\\\Fernwold\\nsecond line\\r, "
              "\xC3\xBC and = signs\n"
              "Software\\TZK Software\\Fernwold\\SuppressSetup = number:1\n"
              "Software\\Other\\Empty = string:\n");
    EXPECT_TRUE(warnings.empty());
}

TEST_F(settings_store, keys_and_names_compare_without_regard_to_case) {
    ASSERT_TRUE(settings_write_number(KEY, "SaveMeasure", 5));
    uint32_t n = 0;
    EXPECT_TRUE(settings_read_number("SOFTWARE\\tzk software\\FERNWOLD", "savemeasure", &n));
    EXPECT_EQ(n, 5u);
    // Writing in another case replaces the value and keeps the spelling it had.
    ASSERT_TRUE(settings_write_number("software\\tzk software\\fernwold", "SAVEMEASURE", 6));
    EXPECT_EQ(text(), "Software\\TZK Software\\Fernwold\\SaveMeasure = number:6\n");
    EXPECT_TRUE(settings_delete_value("SoftWare\\TZK SOFTWARE\\Fernwold", "saveMEASURE"));
    EXPECT_EQ(text(), "");
}

TEST_F(settings_store, a_key_exists_while_a_value_lies_below_it) {
    EXPECT_FALSE(settings_key_exists("Software"));
    ASSERT_TRUE(settings_write_string(KEY, "InstallPath", "/games/fernwold/"));
    for (const char *k : {"Software", "software\\", "Software\\TZK Software", KEY})
        EXPECT_TRUE(settings_key_exists(k)) << k;
    for (const char *k : {"Soft", "Software\\TZK", "Software\\TZK Software\\Fernwold\\InstallPath", "", "\\"})
        EXPECT_FALSE(settings_key_exists(k)) << k;
    ASSERT_TRUE(settings_delete_value(KEY, "InstallPath"));
    EXPECT_FALSE(settings_key_exists("Software"));
    EXPECT_TRUE(settings_delete_value(KEY, "InstallPath"));  // already gone
}

TEST_F(settings_store, a_missing_file_holds_nothing_and_the_first_write_makes_its_folders) {
    uint32_t n = 3;
    EXPECT_FALSE(settings_read_number(KEY, "LogLimit", &n));
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(read_string(KEY, "InstallPath"), "<none>");
    EXPECT_FALSE(settings_key_exists(KEY));
    ASSERT_TRUE(settings_write_number(KEY, "LogLimit", 300000));
    EXPECT_EQ(text(), "Software\\TZK Software\\Fernwold\\LogLimit = number:300000\n");
    EXPECT_TRUE(warnings.empty());
}

TEST_F(settings_store, texts_read_only_when_they_fit_with_their_terminator) {
    const std::string fits(511, 'p'), too_long(512, 'p');
    ASSERT_TRUE(settings_write_string(KEY, "Fits", fits.c_str()));
    ASSERT_TRUE(settings_write_string(KEY, "TooLong", too_long.c_str()));
    EXPECT_EQ(read_string(KEY, "Fits", 512), fits);
    char out[512] = "untouched";
    EXPECT_FALSE(settings_read_string(KEY, "TooLong", out, sizeof out));
    EXPECT_STREQ(out, "untouched");
}

TEST_F(settings_store, names_that_would_not_read_back_are_refused) {
    ASSERT_TRUE(settings_write_number(KEY, "Kept", 1));
    const std::string before = text();
    const struct {
        const char *key, *name;
    } bad[] = {
        {"", "Name"},        {KEY, ""},           {"\\Software", "Name"}, {"Software\\", "Name"},
        {"A\\\\B", "Name"},  {KEY, "Back\\slash"}, {KEY, "New\nline"},    {"Key = x", "Name"},
        {KEY, "Name ="},     {nullptr, "Name"},   {KEY, nullptr},
    };
    for (const auto &b : bad) {
        EXPECT_FALSE(settings_write_number(b.key, b.name, 2)) << (b.key ? b.key : "null") << " / " << (b.name ? b.name : "null");
        EXPECT_FALSE(settings_write_string(b.key, b.name, "x"));
    }
    EXPECT_FALSE(settings_write_string(KEY, "Kept", nullptr));
    EXPECT_EQ(text(), before);
}

TEST_F(settings_store, malformed_lines_are_skipped_with_a_warning_and_kept) {
    const std::string file =
        "# written by hand\n"
        "Software\\TZK Software\\Fernwold\\LogLimit = number:12\n"
        "no separator here\n"
        "NoKey = number:1\n"
        "Software\\A\\Big = number:4294967296\n"
        "Software\\A\\Negative = number:-1\n"
        "Software\\A\\Type = dword:1\n"
        "Software\\A\\Escape = string:\\t\n"
        "\n"
        "Software\\TZK Software\\Fernwold\\InstallPath = string:/games/\r\n";
    ASSERT_TRUE(test::write_file(store_file(), file));
    uint32_t n = 0;
    EXPECT_TRUE(settings_read_number(KEY, "LogLimit", &n));
    EXPECT_EQ(n, 12u);
    ASSERT_EQ(warnings.size(), 6u);
    EXPECT_NE(warnings[0].find("fernwold/registry:3: malformed line skipped"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[5].find("registry:8:"), std::string::npos) << warnings[5];
    EXPECT_EQ(read_string(KEY, "InstallPath"), "/games/");  // a CR LF line end is a line end
    EXPECT_EQ(settings_value_type("Software\\A", "Big"), SETTINGS_ABSENT);

    // A write keeps every line it does not change, the malformed ones too.
    ASSERT_TRUE(settings_write_number(KEY, "LogLimit", 13));
    std::string expected = file;
    expected.replace(expected.find("number:12"), 9, "number:13");
    EXPECT_EQ(text(), expected);
}

// Writers re-read the store under its lock, so concurrent writers of different
// values all find theirs afterwards.
TEST_F(settings_store, concurrent_writers_lose_no_value) {
    constexpr int WRITERS = 4, VALUES = 25;
    std::vector<std::thread> threads;
    for (int w = 0; w < WRITERS; ++w) {
        threads.emplace_back([w] {
            for (int i = 0; i < VALUES; ++i) {
                const std::string name = "w" + std::to_string(w) + "_" + std::to_string(i);
                if (w % 2) settings_write_number(KEY, name.c_str(), uint32_t(i));
                else settings_write_string(KEY, name.c_str(), name.c_str());
            }
        });
    }
    for (auto &t : threads) t.join();
    for (int w = 0; w < WRITERS; ++w) {
        for (int i = 0; i < VALUES; ++i) {
            const std::string name = "w" + std::to_string(w) + "_" + std::to_string(i);
            if (w % 2) {
                uint32_t n = 999;
                EXPECT_TRUE(settings_read_number(KEY, name.c_str(), &n)) << name;
                EXPECT_EQ(n, uint32_t(i));
            } else {
                EXPECT_EQ(read_string(KEY, name.c_str()), name);
            }
        }
    }
    EXPECT_TRUE(warnings.empty());
}

}  // namespace
}  // namespace quarn::platform
