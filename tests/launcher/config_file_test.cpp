#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"
#include "tools/kickup/src/config_file.h"
#include "tools/kickup/src/exceptions.h"

namespace quarn::kickup {
namespace {

// Loads text from a file and answers the reads a case asks for.
struct loaded_t {
    test::temp_dir_t dir;
    config_file_t model;
    std::string error;

    explicit loaded_t(const std::string &text) {
        test::write_file(dir.file("config.cfg"), text);
        try {
            model = config_file_t::load(dir.file("config.cfg"));
        } catch (const base_exception_t &e) {
            error = e.type_name() + ": " + e.message();
        }
    }
    std::string get(const std::string &name) const {
        try {
            return model.get_value(name);
        } catch (const base_exception_t &e) {
            return e.type_name() + ": " + e.message();
        }
    }
    // The lines of a copy (only "uset" lines, in the launcher's form), each ended by
    // the separator.
    std::string copied(const char *separator = "|") const {
        config_file_t copy;
        copy.merge(model);
        std::string out;
        for (const std::string &l : copy.lines()) out += l + separator;
        return out;
    }
};

TEST(launcher_config_file, reading_and_copying_uset_lines) {
    const struct {
        const char *text, *name, *value, *copy;
    } cases[] = {
        {"# quarn3d variable config data\r\n\r\nuset r_device \"gl\"\r\n", "r_device", "gl", "uset r_device \"gl\"|"},
        {"uset r_path \"3\"\nuset r_path \"6\"\nuset r_mode \"a\"\n", "r_path", "6", "uset r_path \"6\"|uset r_mode \"a\"|"},
        {"USET r_path \"3\"\n", "r_path", "config_file_read_exception_t: config file has missing uset command [r_path]", ""},
        {"uset g_player_name \"Red Fox\"\n", "g_player_name", "Red Fox", "uset g_player_name \"Red Fox\"|"},
        {"uset g_player_name \"open quote\n", "g_player_name", "open quote", "uset g_player_name \"open quote\"|"},
        {"  uset\tr_mode   800x600x16x0 trailing\n", "r_mode", "800x600x16x0", "uset r_mode \"800x600x16x0\"|"},
        {"uset s_device \"\"\n", "s_device", "", "uset s_device \"\"|"},
        {"uset s_device\n", "s_device", "", "uset s_device \"\"|"},
        {"uset \"two words\" \"v\"\n", "two words", "v", "uset \"two words\" \"v\"|"},
        {"uset a b\"c\n", "a", "b\"c", "uset a \"b\\\"c\"|"},  // a bare word keeps its quote
        // the game's escapes: a quote and a backslash inside a quoted word
        {"uset say \"say \\\"hi\\\" \\\\ #1\"\n", "say", "say \"hi\" \\ #1", "uset say \"say \\\"hi\\\" \\\\ #1\"|"},
        {"uset dir \"C:\\games\"\n", "dir", "C:\\games", "uset dir \"C:\\\\games\"|"},
        // a name that would not read back as a bare word is written quoted
        {"uset  \"\\\"[\\a", "\"[\\a", "", "uset \"\\\"[\\\\a\" \"\"|"},
        {"uset \"a#b\" 1\n", "a#b", "1", "uset \"a#b\" \"1\"|"},
        {"useta r_path \"3\"\n\"uset\" x \"1\"\n", "r_path", "config_file_read_exception_t: config file has missing uset command [r_path]", ""},
        {"", "r_path", "config_file_read_exception_t: config file has missing uset command [r_path]", ""},
    };
    for (const auto &c : cases) {
        const loaded_t l(c.text);
        EXPECT_EQ(l.error, "") << c.text;
        EXPECT_EQ(l.get(c.name), c.value) << c.text;
        EXPECT_EQ(l.copied(), c.copy) << c.text;
        // The copy reads back under the same name, to the same value.
        if (l.model.has_value(c.name)) {
            const loaded_t again(l.copied("\r\n"));
            EXPECT_EQ(again.get(c.name), c.value) << c.text;
        }
    }
    EXPECT_EQ(loaded_t("uset \"\" \"1\"\n").error, "config_file_read_exception_t: cvar had zero length");
    EXPECT_EQ(loaded_t("uset\n").error, "config_file_read_exception_t: cvar had zero length");
}

TEST(launcher_config_file, typed_reads_and_writes) {
    loaded_t l("uset a \"12x\"\nuset b \"1\"\nuset c \"true\"\nuset d \"-7\"\n");
    EXPECT_EQ(l.model.get_int("a"), 12);
    EXPECT_EQ(l.model.get_int("c"), 0);
    EXPECT_EQ(l.model.get_int("d"), -7);
    EXPECT_TRUE(l.model.get_bool("b"));
    EXPECT_FALSE(l.model.get_bool("c"));
    l.model.set_bool("c", true);
    l.model.set_int("e", 44100);
    EXPECT_EQ(l.model.lines()[2], "uset c \"1\"");
    EXPECT_EQ(l.model.lines()[4], "uset e \"44100\"");
}

TEST(launcher_config_file, saving_writes_crlf_lines_that_read_back) {
    loaded_t l("# header\r\nuset g_player_name \"Red Fox\"\r\n\r\nuset r_mode \"1024x768x32x0\"\r\n");
    l.model.set_value("s_mix_rate", "22050");
    l.model.save(l.dir.file("out.cfg"));
    EXPECT_EQ(test::read_file(l.dir.file("out.cfg")),
              "# header\r\nuset g_player_name \"Red Fox\"\r\n\r\nuset r_mode \"1024x768x32x0\"\r\n"
              "uset s_mix_rate \"22050\"\r\n");
    const config_file_t again = config_file_t::load(l.dir.file("out.cfg"));
    EXPECT_EQ(again.get_value("g_player_name"), "Red Fox");

    try {
        config_file_t::load(l.dir.file("missing.cfg"));
        ADD_FAILURE();
    } catch (const config_file_open_exception_t &e) {
        EXPECT_EQ(e.message(), l.dir.file("missing.cfg"));
        EXPECT_EQ(e.source(), "config_file");
    }
    EXPECT_THROW(l.model.save(l.dir.file("no/such/folder/config.cfg")), config_file_open_exception_t);
}

}  // namespace
}  // namespace quarn::kickup
